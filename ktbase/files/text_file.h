// KtTextFile is a KtFile that reads and writes lines of text, and single numbers or truth values
// one per line. Lines are written with "\r\n"; truth values as the words TRUE and FALSE. Every
// write goes through the virtual writeString, so the file's mode decides whether it is accepted;
// every line is read through the virtual readString and loses its ending through the virtual
// stripBuffer, which subclasses may override.
//
// Numbers are written and read with the "C" conventions ('.' as the decimal point), whatever
// locale the program set, so that a file means the same to every reader.
//
// Results. A failed read returns KT_FILE_READ_ERROR and leaves the caller's variable as it was;
// a failed write returns KT_FILE_WRITE_ERROR (write(const char*) passes writeString's result
// on). A line that does not convert sets the error flag; the end of the data sets only the
// end-of-file flag, so a caller can tell a malformed line from the end.
//
// The long and int forms are one: a 32-bit long is an int here, and "%ld" and "%d" give the same
// text for it.
#ifndef KTBASE_FILES_TEXT_FILE_H
#define KTBASE_FILES_TEXT_FILE_H

#include "ktbase/files/file.h"

class KtTextFile : public KtFile {
  KT_OBJECT(KtTextFile, KtFile)

 public:
  KtTextFile() {}
  ~KtTextFile() override;

  KtFileCodeEnum write(const char* text);
  KtFileCodeEnum write(int value);
  KtFileCodeEnum write(unsigned int value);
  // "%lf": six digits after the point.
  KtFileCodeEnum write(double value);
  // The caller's format holds one conversion of a double; its text is at most 253 characters.
  KtFileCodeEnum write(double value, const char* format);
  KtFileCodeEnum writeTrueOrFalse(int value);

  // The same texts followed by "\r\n".
  KtFileCodeEnum writeLine(const char* text);
  KtFileCodeEnum writeLine(int value);
  KtFileCodeEnum writeLine(unsigned int value);
  KtFileCodeEnum writeLine(double value);
  KtFileCodeEnum writeLine(double value, const char* format);
  KtFileCodeEnum writeLineTrueOrFalse(int value);

  // One line without its ending.
  KtFileCodeEnum readLine(KtStringHandle& line);
  // One line converted as the C library's scan does: leading white space skipped, the number
  // taken, the rest ignored.
  KtFileCodeEnum readLine(int& value);
  KtFileCodeEnum readLine(unsigned int& value);
  KtFileCodeEnum readLine(double& value);
  // A line beginning with TRUE stores 1, one beginning with FALSE stores 0 (case matters).
  KtFileCodeEnum readLineTrueOrFalse(int& value);

  // Returns 1 iff s is not null, at least two characters long and begins with "//".
  static int isDoubleSlashString(const char* s);

  // Slot 21: removes every line feed and carriage return from the end of `text`, in place;
  // returns `text` (null stays null).
  virtual char* stripBuffer(char* text);

 protected:
  void init() {}
  // Return 1 iff c is a line feed or carriage return, respectively a blank or horizontal tab.
  static int isCntrl(char c) { return c == '\n' || c == '\r'; }
  static int isSpace(char c) { return c == ' ' || c == '\t'; }

 private:
  // Writes `text`, then with `newLine` the line end; the error flag and KT_FILE_WRITE_ERROR
  // when either fails.
  KtFileCodeEnum writeText(const char* text, bool newLine);
  KtFileCodeEnum writeDouble(double value, const char* format, bool newLine);
  // "%ld" (isSigned) or "%lu" of a 32-bit value.
  KtFileCodeEnum writeInteger(std::uint32_t bits, bool isSigned, bool newLine);
  // Reads a line into `line` for a conversion; the error flag unless at the end of the data.
  KtFileCodeEnum readConversionLine(KtStringHandle& line);
  KtFileCodeEnum refuseConversion();
};

#endif  // KTBASE_FILES_TEXT_FILE_H
