// The binary encoding of OML files, as the reader decodes it and the writer writes it: one tag
// byte per item, each followed by its payload. Brackets, ':', '=' and ';' stand as themselves;
// there is no white space and no comment. Internal to the library: not installed.
//
// A number behind a tag takes one of two forms: the tag in lower case and one unsigned byte for
// 0 to 255 (compared as an unsigned 64-bit value, so every negative number takes the long form),
// else the tag in upper case and four bytes, most significant first (two's complement).
#ifndef KTBASE_OML_OML_BINARY_H
#define KTBASE_OML_OML_BINARY_H

#include <cstdint>

// The tags, in their upper-case (long) form.
constexpr unsigned char KT_OML_TAG_SECTION = 'S';  // a section's index
constexpr unsigned char KT_OML_TAG_FIELD = 'F';    // a field's index
constexpr unsigned char KT_OML_TAG_OBJTYPE = 'O';  // an object type's index
constexpr unsigned char KT_OML_TAG_VALUE = 'E';    // an enumeration value's index
constexpr unsigned char KT_OML_TAG_INTEGER = 'I';  // an integer; also the length of a sequence
constexpr unsigned char KT_OML_TAG_REAL = 'R';     // the mantissa, then 'R' and the exponent
constexpr unsigned char KT_OML_TAG_ADDRESS = 'P';  // four bytes; 'p' and d stands for 0.0.0.d
constexpr unsigned char KT_OML_TAG_BYTES = 'X';    // 'I' and the length, then the bytes
constexpr unsigned char KT_OML_TAG_STRING = '"';   // escaped text up to an unescaped '"'
constexpr unsigned char KT_OML_TAG_NAME = 'N';     // an object name or scope, up to '"'
constexpr unsigned char KT_OML_TAG_SCOPE = '$';    // a full scope, up to '"'
constexpr unsigned char KT_OML_TEXT_END = '"';     // ends strings, names and scopes
constexpr unsigned char KT_OML_ESCAPE = '\\';      // in a string: the next byte as it stands

// The one-byte form of a tag, and the long form.
constexpr unsigned char ktOMLShortTag(unsigned char tag) { return tag | 0x20; }
constexpr unsigned char ktOMLLongTag(unsigned char tag) { return tag & ~0x20; }
// Returns 1 iff a tag byte is in its one-byte form.
constexpr int ktOMLIsShortTag(unsigned char tag) { return tag >= 'a' && tag <= 'z'; }
// Returns 1 iff a value takes the one-byte form.
constexpr int ktOMLFitsShortForm(std::int32_t value) {
  return static_cast<std::uint32_t>(value) <= 255;
}

// The decimal exponent a real's mantissa is scaled by: the writer keeps the mantissa between
// 1e7 and 1e8; the reader multiplies or divides by ten, eight steps at a time, then one at a
// time.
constexpr double KT_OML_REAL_MANTISSA_LOW = 1e7;
constexpr double KT_OML_REAL_MANTISSA_HIGH = 1e8;
// An infinity is written as a mantissa of +-1 with this exponent.
constexpr std::int32_t KT_OML_REAL_INFINITE_EXPONENT = 999;

#endif  // KTBASE_OML_OML_BINARY_H
