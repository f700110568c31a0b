// KtOMLToken is one token of an OML file: its kind (tag), its value, and the place of its last
// character (file, line and position; in a binary file the line is the number of bytes read so
// far and the position 0). Whoever takes a token from the reader owns it; a binary-sequence token
// owns its KtOMLBinValue, which dies with it.
//
// The value by tag: the character for brackets, ':' '=' ';' and error tokens (0 for a malformed
// number or scope); a signed 32-bit integer; a pool index for strings (the reader's string
// pool), values, object types, sections, fields and scopes; a double; a 32-bit IP address with
// the first component in the most significant byte; a KtOMLBinValue.
#ifndef KTBASE_OML_OML_TOKEN_H
#define KTBASE_OML_OML_TOKEN_H

#include <cstdint>

#include "ktbase/core/allocation.h"

class KtOMLBinValue;

enum KtOMLTokenTagEnum : int {
  OML_TOKEN_OPEN_BRACKET = 0,   // ( < [ {
  OML_TOKEN_CLOSE_BRACKET = 1,  // ) > ] }
  OML_TOKEN_ASSIGN = 2,         // : or =
  OML_TOKEN_SEMICOLON = 3,      // ;
  OML_TOKEN_INTEGER = 4,
  OML_TOKEN_STRING = 5,   // index in the reader's string pool, escapes removed
  OML_TOKEN_VALUE = 6,    // index in the grammar's value pool
  OML_TOKEN_OBJTYPE = 7,  // index in the grammar's object type pool
  OML_TOKEN_SECTION = 8,  // grammar sections, then the sections declared in the file
  OML_TOKEN_FIELD = 9,    // grammar fields, then unchecked fields; or a declared field
  OML_TOKEN_SCOPE = 10,   // index in the object-ID pool of the normalised text
  OML_TOKEN_REAL = 11,
  OML_TOKEN_IPADDRESS = 12,
  OML_TOKEN_BINVALUE = 13,  // an owned KtOMLBinValue
  OML_TOKEN_ERROR = 14      // any other character; a malformed number or scope
};

class KtOMLToken {
  KT_MALLOC_ALLOCATED

 public:
  KtOMLToken()
      : fileNameIndex_(-1), line_(-1), position_(-1), tag_(OML_TOKEN_ERROR), unknownField_(0) {
    value_.integer = 0;
  }
  KtOMLToken(const KtOMLToken&) = delete;
  KtOMLToken& operator=(const KtOMLToken&) = delete;
  // Destroys the binary value of a binary-sequence token.
  ~KtOMLToken();

  KtOMLTokenTagEnum tag() const { return static_cast<KtOMLTokenTagEnum>(tag_); }
  // The file the token was read from: its name's index in the reader's string pool.
  std::int32_t fileNameIndex() const { return fileNameIndex_; }
  std::int32_t line() const { return line_; }
  std::int32_t position() const { return position_; }
  // 1 when a field name was found only among the field names declared in the file.
  int unknownField() const { return unknownField_; }

  // The value, read as the tag says (nothing is checked).
  char character() const { return static_cast<char>(value_.integer); }
  std::int32_t intValue() const { return value_.integer; }
  std::int32_t index() const { return value_.integer; }
  double realValue() const { return value_.real; }
  std::uint32_t ipAddress() const { return static_cast<std::uint32_t>(value_.integer); }
  KtOMLBinValue* pBinValue() const { return value_.binValue; }

  // Setters for the reader. A token that held a binary value keeps no claim on it afterwards:
  // the caller of set... on such a token releases the old value first (releaseValue).
  void set(KtOMLTokenTagEnum tag, std::int32_t value) {
    tag_ = static_cast<std::uint8_t>(tag);
    value_.integer = value;
  }
  void setReal(double value) {
    tag_ = OML_TOKEN_REAL;
    value_.real = value;
  }
  void setBinValue(KtOMLBinValue* value) {
    tag_ = OML_TOKEN_BINVALUE;
    value_.binValue = value;
  }
  void place(std::int32_t fileNameIndex, std::int32_t line, std::int32_t position) {
    fileNameIndex_ = fileNameIndex;
    line_ = line;
    position_ = position;
  }
  int unknownField(int on) {
    unknownField_ = on != 0;
    return on;
  }
  // Destroys a binary value and leaves an error token of value 0.
  void releaseValue();
  // Takes over everything `other` holds, its binary value included; `other` keeps no value.
  void takeFrom(KtOMLToken* other);
  // Hands the binary value over to the caller: the token keeps none.
  KtOMLBinValue* takeBinValue();

 private:
  // 24 bytes: syntax trees hold one token per field.
  union {
    std::int32_t integer;
    double real;
    KtOMLBinValue* binValue;
  } value_;
  std::int32_t fileNameIndex_;
  std::int32_t line_;
  std::int32_t position_;
  std::uint8_t tag_;
  std::uint8_t unknownField_;
};

#endif  // KTBASE_OML_OML_TOKEN_H
