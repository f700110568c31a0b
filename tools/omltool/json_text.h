// The texts of omltool's JSON form that are not plain JSON: OML strings (any bytes but zero) as
// valid UTF-8, and reals in their shortest exact form.
//
// Bytes. An OML string is a run of bytes, usually but not always UTF-8. In JSON it is UTF-8:
// each well-formed UTF-8 sequence stands for itself, and every other byte b (0x80 to 0xFF) is
// written as the code point U+10FF00 + b, from the private use plane. So that the mapping can be
// undone, a well-formed sequence that itself encodes U+10FF80 to U+10FFFF is taken byte by byte
// as well. Reading back turns each of those 128 code points into its byte again.
#ifndef KTBASE_TOOLS_OMLTOOL_JSON_TEXT_H
#define KTBASE_TOOLS_OMLTOOL_JSON_TEXT_H

#include <cstddef>
#include <string>

// The UTF-8 text of `n` bytes: `bytes` itself when they need no mapping, else `scratch` filled
// with the mapped text. `length` receives the text's length.
const char* bytesToUtf8(const char* bytes, std::size_t n, std::string& scratch,
                        std::size_t& length);
// The bytes of a valid UTF-8 text, the mapped code points turned back into bytes, into `out`.
void utf8ToBytes(const char* text, std::size_t n, std::string& out);

// The shortest text that reads back as exactly `value`, with a '.' or an exponent so that it
// reads as a real ("2.0", "0.1", "1e+300"); "inf" or "-inf" for an infinity, "nan" for NaN.
// `text` has room for 32 characters; returns the length.
std::size_t realText(double value, char* text);

#endif  // KTBASE_TOOLS_OMLTOOL_JSON_TEXT_H
