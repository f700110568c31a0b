// KtFile is the library's file: one operating-system handle (opened by name, or a caller's
// handle attached), or an attached host archive, with a mode, sticky state flags, a read buffer
// and the file's name. It reads and writes lines and raw byte blocks and reports every result as
// a KtFileCodeEnum. KtTextFile adds line and number formatting; the OML reader and writer derive
// from that.
//
// States. Idle (after construction, close, detach, empty, a failed open); open (by open, ended
// by close, empty, another open or attach, or destruction, which close the handle); attached to
// a caller's handle (ended by detach, empty, open, attach or destruction, none of which closes
// it: the handle stays the caller's); attached to an archive (detach(1) and empty write the end
// marker first). Archives are opaque here: strings written to one go nowhere and lines read from
// one are empty.
//
// Modes decide which operations are accepted: writeString in 1, 2, 3, 7; writeBinary in 5;
// readString in 0, 2, 6; readBinary in 4. Modes 0, 4 and 6 read through a 10,240-byte buffer.
// Reads and writes in another mode are refused, not converted.
//
// Flags. Every refused or failed operation sets the error flag; only a successful open, close,
// attach or detach clears it, so successful reads and writes leave it as they find it. The
// end-of-file flag, once a read reaches the end, stays set until the next open or attach, and
// every read refuses to run while it is set. Nothing throws and nothing is printed.
//
// Names hold at most 259 characters: open refuses a longer name (KT_FILE_OPEN_ERROR) and
// fileExist answers 0 for one, rather than use a cut name that could be another file. Files are
// opened without sharing (see platform.h), so a second open of an open file fails.
//
// The library calls close, detach, flush, writeEndOfFile, writeString, readString and
// readBinary through their virtual slots, so a subclass that overrides one changes empty, close,
// detach and the text-file operations with it.
#ifndef KTBASE_FILES_FILE_H
#define KTBASE_FILES_FILE_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/files/platform.h"
#include "ktbase/files/string_pool.h"

// The mode given to open or attach.
enum KtFileModeEnum : int {
  KT_FILE_READ = 0,          // read text; the file must exist; buffered
  KT_FILE_WRITE = 1,         // write text; created or truncated
  KT_FILE_READ_WRITE = 2,    // read and write; opened or created, never truncated; unbuffered
  KT_FILE_APPEND = 3,        // write at the end of an existing file, or create it
  KT_FILE_READ_BINARY = 4,   // read raw bytes with readBinary; buffered
  KT_FILE_WRITE_BINARY = 5,  // write raw bytes with writeBinary; created or truncated
  KT_FILE_READ_ASCII = 6,    // as KT_FILE_READ
  KT_FILE_WRITE_ASCII = 7    // as KT_FILE_WRITE
};

// The result of every file operation of the library (1 is never produced).
enum KtFileCodeEnum : int {
  KT_FILE_OK = 0,
  KT_FILE_OPEN_ERROR = 2,           // could not open: no name, too long a name, unknown mode
  KT_FILE_CLOSE_ERROR = 3,          // not open, or the system refused to close
  KT_FILE_READ_ERROR = 4,           // nothing read: wrong mode, no handle, failure, end of file
  KT_FILE_WRITE_ERROR = 5,          // the write failed or the mode does not allow it
  KT_FILE_READ_ARGUMENT_ERROR = 6,  // the OML reader got no file name or no grammar
  KT_FILE_WRITE_ARGUMENT_ERROR = 7  // the OML writer got no file name or no grammar
};

// A host archive; opaque to the library.
class KtArchiveClass;

// The size of a file's read buffer, and of its name buffers (names of up to 259 characters).
constexpr int KT_FILE_BUFFER_SIZE = 10240;
constexpr int KT_FILE_NAME_SIZE = 260;

class KtFile : public KtObject {
  KT_OBJECT(KtFile, KtObject)

 public:
  KtFile();
  ~KtFile() override;

  void debugOutput(int) override {}

  // Slots 9 to 20.
  // Opens the named file in `mode`. Anything held before is released first (empty()).
  virtual KtFileCodeEnum open(const char* name, KtFileModeEnum mode);
  // Closes a file opened by open; KT_FILE_CLOSE_ERROR for an attached or idle file. The read
  // buffer stays until the next empty or open.
  virtual KtFileCodeEnum close();
  // Attaches a host archive in mode KT_FILE_WRITE. Borrows the archive.
  virtual KtFileCodeEnum attach(KtArchiveClass* archive);
  // Attaches a caller's open handle in `mode`. Borrows the handle: it is never closed here.
  virtual KtFileCodeEnum attach(void* handle, KtFileModeEnum mode);
  // Ends an attachment; with writeEnd non-zero in mode 1 or 7, writes the end marker first.
  // Refuses (KT_FILE_CLOSE_ERROR, error flag) when nothing is attached.
  virtual KtFileCodeEnum detach(int writeEnd);
  // Does nothing here; a hook for subclasses that hold output back.
  virtual KtFileCodeEnum flush();
  // In mode 1 or 7 with an archive attached, writes "__KT_END_OF_FILE__" and "\n\r"; otherwise
  // writes nothing and returns KT_FILE_OK.
  virtual KtFileCodeEnum writeEndOfFile();
  // Writes the text's characters (no line end is added).
  virtual KtFileCodeEnum writeString(const char* text);
  // Writes `count` bytes (count >= 1).
  virtual KtFileCodeEnum writeBinary(const char* bytes, int count);
  // Reads one line into `line` (emptied first). A buffered file ends a line at LF, CR, CR LF or
  // LF CR and gives it with one line feed at its end; a last line without ending comes without
  // one, with the end-of-file flag set. A zero byte ends the data. A call with nothing left gives
  // an empty line, KT_FILE_READ_ERROR and both flags. Mode 2 reads without the buffer, byte by
  // byte, as ktInternalRead does: the line keeps its ending (a CR, after at most one LF).
  virtual KtFileCodeEnum readString(KtStringHandle& line);
  // Reads up to `count` bytes; `count` becomes the number delivered, and fewer than asked sets
  // the end-of-file flag.
  virtual KtFileCodeEnum readBinary(char* bytes, int& count);
  // The object's size, plus the read buffer when held, plus the lengths of the stored names.
  virtual std::int32_t sizeOf() const;

  // The flag bits, each 0 or 1.
  int isOpen() const { return (bits_ & kOpen) != 0; }
  int isAttached() const { return (bits_ & kAttached) != 0; }
  int endOfFile() const { return (bits_ & kEndOfFile) != 0; }
  int error() const { return (bits_ & kError) != 0; }
  int storedOnDisk() const { return (bits_ & kStoredOnDisk) != 0; }
  void* fileHandle() const { return fileHandle_; }
  KtFileModeEnum mode() const { return mode_; }
  KtArchiveClass* pArchive() const { return pArchive_; }

  // The stored full name and its directory part (up to and including the last '/', '\' or
  // ':'). The first pair creates an empty buffer on first use and is never null; the query pair
  // is null while nothing was ever stored.
  char* pFileName() const;
  char* pPathName() const;
  char* pQueryFileName() const { return fileName_; }
  char* pQueryPathName() const { return pathName_; }

  // Closes or detaches whatever the object holds and releases the buffer and the names. The
  // mode, the error and end-of-file flags and the byte order stay.
  void empty();

  // Returns 1 iff the named file exists and can be opened for reading without sharing.
  static int fileExist(const char* name);
  // Turns `name` into the first of name1.ext, name2.ext, ... (name1. for a name without '.')
  // that does not exist and returns 1; after 998 existing candidates writes the 999th and
  // returns 0. The buffer must hold the name plus three digits (and a '.').
  static int renameUnique(char* name);
  // Splits `full` at its last '/', '\' or ':': `path` receives everything up to and including
  // it, `file` everything behind it. Without a separator `file` receives the whole name and
  // `path` is not written; with the separator last, `file` is not written. Nothing happens when
  // an argument is null.
  static void separatePathFromFile(const char* full, char* file, char* path);
  // The index of the first (direction '+') or last ('-') character of `s` that occurs in
  // `tokens`; -1 when none, for null or empty `s`, null `tokens` or any other direction.
  static int searchForToken(const char* s, const char* tokens, int direction);

 protected:
  void init();

  // Flag setters; each returns its argument.
  int isOpen(int on) { return setBit(kOpen, on); }
  int isAttached(int on) { return setBit(kAttached, on); }
  int buffered(int on) { return setBit(kBuffered, on); }
  int error(int on) { return setBit(kError, on); }
  int endOfFile(int on) { return setBit(kEndOfFile, on); }
  int storedOnDisk(int on) { return setBit(kStoredOnDisk, on); }
  int buffered() const { return (bits_ & kBuffered) != 0; }
  unsigned short bits() const { return bits_; }
  unsigned short bits(unsigned short bits) { return bits_ = bits; }
  KtFileModeEnum mode(KtFileModeEnum mode) { return mode_ = mode; }
  void* fileHandle(void* handle) { return fileHandle_ = handle; }
  KtArchiveClass* pArchive(KtArchiveClass* archive) { return pArchive_ = archive; }
  KtByteOrderEnum byteOrder() const { return byteOrder_; }
  KtByteOrderEnum byteOrder(KtByteOrderEnum order) { return byteOrder_ = order; }
  int numberOfBufferedBytes() const { return numberOfBufferedBytes_; }
  int numberOfBufferedBytes(int count) { return numberOfBufferedBytes_ = count; }
  char* pFileBuffer() const { return pFileBuffer_; }
  // Releases the previous buffer.
  char* pFileBuffer(char* buffer);
  char* pTopBuffer() const { return pTopBuffer_; }
  char* pTopBuffer(char* top) { return pTopBuffer_ = top; }
  // Store a name: the full name with its directory part, or (pPathName) just a directory. Null
  // stores the empty text; a longer name than 259 characters is cut.
  void pFileName(const char* name);
  void pPathName(const char* name);

  // The next byte of a buffered file, refilling the buffer when three or fewer (or exactly 256)
  // unread bytes remain; 0 with the end-of-file flag at the end, 0 with the error flag for a
  // file that is not buffered.
  char nextBufferedChar() {
    if ((bits_ & kBuffered) == 0) {
      error(1);
      return 0;
    }
    if (numberOfBufferedBytes_ <= 3 || numberOfBufferedBytes_ == 256) refill();
    if (numberOfBufferedBytes_ < 1) {
      endOfFile(1);
      return 0;
    }
    --numberOfBufferedBytes_;
    return *pTopBuffer_++;
  }
  unsigned char nextBufferedByte() { return static_cast<unsigned char>(nextBufferedChar()); }
  // The next byte without consuming it; 0 when none is buffered. Never refills.
  char lookAheadBufferedChar() const {
    return (bits_ & kBuffered) != 0 && numberOfBufferedBytes_ > 0 ? *pTopBuffer_ : 0;
  }

 private:
  enum : unsigned short {
    kAttached = 1,
    kOpen = 2,
    kBuffered = 4,
    kError = 8,
    kEndOfFile = 16,
    kStoredOnDisk = 32
  };
  int setBit(unsigned short bit, int on) {
    bits_ = static_cast<unsigned short>(on != 0 ? bits_ | bit : bits_ & ~bit);
    return on;
  }
  // Moves the unread bytes to the front and reads behind them with one raw read.
  void refill();
  // How many bytes can be taken from the buffer before the next refill point.
  int bytesBeforeRefill() const;
  // Allocates the read buffer for a buffered mode; false when memory ran out.
  bool startBuffer();
  // A name buffer, allocated on first use.
  char* nameBuffer(char*& buffer) const;
  KtFileCodeEnum refuseRead();
  KtFileCodeEnum refuseWrite();
  KtFileCodeEnum readBufferedLine(KtStringHandle& line);
  KtFileCodeEnum readUnbufferedLine(KtStringHandle& line);

  KtFileModeEnum mode_;
  unsigned short bits_;
  void* fileHandle_;
  KtArchiveClass* pArchive_;
  char* pFileBuffer_;
  char* pTopBuffer_;
  int numberOfBufferedBytes_;
  KtByteOrderEnum byteOrder_;
  mutable char* fileName_;
  mutable char* pathName_;
  // The empty name handed out when not even a name buffer could be allocated.
  mutable char noName_[1];
};

#endif  // KTBASE_FILES_FILE_H
