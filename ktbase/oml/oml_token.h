// KtOMLToken is one token of an OML file: its kind (tag), its value, and the place of its last
// character (file, line and position; in a binary file the line is the number of bytes read so
// far and the position 0). Whoever takes a token from the reader owns it; a binary-sequence token
// owns its KtOMLBinValue, which dies with it.
//
// The value by tag: the character for brackets, ':' '=' ';' and error tokens (0 for a malformed
// number or scope); a signed 32-bit integer; a pool index for strings (the reader's string
// pool), values, object types, sections, fields and scopes; a double; a 32-bit IP address with
// the first component in the most significant byte; a KtOMLBinValue.
//
// A field of a syntax tree holds its value as a token, placed at the field: the field's place
// is stored once. A token that is no node's keeps positions up to 33,554,429; one further out on a
// line is reported at that position.
#ifndef KTBASE_OML_OML_TOKEN_H
#define KTBASE_OML_OML_TOKEN_H

#include <cstdint>
#include <cstring>

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
  KtOMLToken() : line_(-1), bits_(kPositionMask << kPositionShift | OML_TOKEN_ERROR), file_(-1) {
    value_[0] = value_[1] = 0;
  }
  KtOMLToken(const KtOMLToken&) = delete;
  KtOMLToken& operator=(const KtOMLToken&) = delete;
  // Destroys the binary value of a binary-sequence token.
  ~KtOMLToken() {
    if (tagBits() == OML_TOKEN_BINVALUE) releaseValue();
  }

  KtOMLTokenTagEnum tag() const { return static_cast<KtOMLTokenTagEnum>(tagBits()); }
  // The file the token was read from: its name's index in the reader's string pool.
  std::int32_t fileNameIndex() const { return (bits_ & kInNode) != 0 ? nodeFile() : file_; }
  std::int32_t line() const { return line_; }
  std::int32_t position() const {
    const std::uint32_t p = bits_ >> kPositionShift;
    if (p < kBigPosition) return static_cast<std::int32_t>(p);
    if (p == kPositionMask) return -1;
    return (bits_ & kHasExtra) != 0 ? nodePosition() : static_cast<std::int32_t>(p);
  }
  // 1 when a field name was found only among the field names declared in the file.
  int unknownField() const { return (bits_ & kUnknownField) != 0; }

  // The value, read as the tag says (nothing is checked).
  char character() const { return static_cast<char>(intValue()); }
  std::int32_t intValue() const { return static_cast<std::int32_t>(value_[0]); }
  std::int32_t index() const { return intValue(); }
  double realValue() const {
    double d;
    std::memcpy(&d, value_, sizeof d);
    return d;
  }
  std::uint32_t ipAddress() const { return value_[0]; }
  KtOMLBinValue* pBinValue() const {
    KtOMLBinValue* v;
    std::memcpy(&v, value_, sizeof v);
    return v;
  }

  // Setters for the reader. A token that held a binary value keeps no claim on it afterwards:
  // the caller of set... on such a token releases the old value first (releaseValue).
  void set(KtOMLTokenTagEnum tag, std::int32_t value) {
    tagBits(tag);
    value_[0] = static_cast<std::uint32_t>(value);
    value_[1] = 0;
  }
  void setReal(double value) {
    tagBits(OML_TOKEN_REAL);
    std::memcpy(value_, &value, sizeof value);
  }
  void setBinValue(KtOMLBinValue* value) {
    tagBits(OML_TOKEN_BINVALUE);
    value_[1] = 0;
    std::memcpy(value_, &value, sizeof value);
  }
  void place(std::int32_t fileNameIndex, std::int32_t line, std::int32_t position);
  int unknownField(int on) {
    bits_ = on != 0 ? bits_ | kUnknownField : bits_ & ~kUnknownField;
    return on;
  }
  // Destroys a binary value and leaves an error token of value 0.
  void releaseValue();
  // Takes over everything `other` holds, its binary value included; `other` keeps no value.
  void takeFrom(KtOMLToken* other);
  // Hands the binary value over to the caller: the token keeps none.
  KtOMLBinValue* takeBinValue();

 private:
  friend class KtOMLSyntaxStruct;
  friend class KtOMLSyntaxObject;
  friend class KtOMLSyntaxField;
  friend class KtOMLLexer;
  friend class KtOMLFile;

  // bits_: the tag (4 bits; 15 in a syntax node that holds no value), whether the field name was
  // only declared, whether the token sits in a syntax node of a reader's blocks (file_ then holds
  // the node's context, and the file is the context's), whether such a node has a record of
  // exceptions with its reader, and the position.
  static constexpr std::uint32_t kTagMask = 15;
  static constexpr std::uint32_t kNoValue = 15;
  static constexpr std::uint32_t kUnknownField = 1u << 4;
  static constexpr std::uint32_t kInNode = 1u << 5;
  static constexpr std::uint32_t kHasExtra = 1u << 6;
  static constexpr int kPositionShift = 7;
  static constexpr std::uint32_t kPositionMask = (1u << (32 - kPositionShift)) - 1;  // -1
  static constexpr std::uint32_t kBigPosition = kPositionMask - 1;  // this one or beyond

  std::uint32_t tagBits() const { return bits_ & kTagMask; }
  // A token that is no node's, all of it at once (the value's high word 0, no declared field).
  void assign(std::uint32_t tag, std::uint32_t value, std::int32_t file, std::int32_t line,
              std::int32_t position) {
    value_[0] = value;
    value_[1] = 0;
    file_ = file;
    line_ = line;
    const std::uint32_t p = position < 0 ? kPositionMask
                            : static_cast<std::uint32_t>(position) < kBigPosition
                                ? static_cast<std::uint32_t>(position)
                                : kBigPosition;
    bits_ = p << kPositionShift | tag;
  }
  // Takes what `other` (no node's token) holds into this token, which holds no byte sequence;
  // `other` is left an error token of value 0.
  void moveFrom(KtOMLToken& other) {
    value_[0] = other.value_[0];
    value_[1] = other.value_[1];
    line_ = other.line_;
    bits_ = other.bits_;
    file_ = other.file_;
    other.bits_ = (other.bits_ & ~kTagMask) | OML_TOKEN_ERROR;
    other.value_[0] = other.value_[1] = 0;
  }
  void tagBits(std::uint32_t tag) { bits_ = (bits_ & ~kTagMask) | tag; }
  // The place fields, as stored: a position below 0 as the mask, one too large for the bits as
  // kBigPosition (a node keeps the exact one in its record of exceptions).
  void rawPlace(std::int32_t line, std::int32_t position) {
    line_ = line;
    std::uint32_t p = kPositionMask;
    if (position >= 0)
      p = static_cast<std::uint32_t>(position) < kBigPosition ? static_cast<std::uint32_t>(position)
                                                              : kBigPosition;
    bits_ = (bits_ & ((1u << kPositionShift) - 1)) | p << kPositionShift;
  }
  // For a token in a syntax node of a reader's blocks: its file and a position beyond the bits.
  std::int32_t nodeFile() const;
  std::int32_t nodePosition() const;

  // 20 bytes, 4-byte aligned: a syntax node holds its token without padding.
  std::uint32_t value_[2];
  std::int32_t line_;
  std::uint32_t bits_;
  std::int32_t file_;
};

#endif  // KTBASE_OML_OML_TOKEN_H
