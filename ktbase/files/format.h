// The library's formatter. Every number, message, identifier and numbered file name the library
// formats goes through it instead of the C library's unbounded printf family.
//
// A format is copied to the buffer character by character; "%%" gives one '%', and a conversion
// (a '%', then flags from "-+ #0", a width, a precision, length modifiers, and one of the letters
// s S d i o u x X c f e E g G p) takes the next argument:
//   s, S                  a const char*, inserted as it is: flags, width and precision are
//                         ignored, and null inserts "(null)";
//   d i o u x X c         the low 32 bits of the next integer argument, whatever its width (every
//                         integer argument occupies a full 64-bit slot on the supported
//                         platforms), formatted as a 32-bit value: "%ld" of a 32-bit number and
//                         "%08lx" of 2^32 + 15 ("0000000f") both behave as in C for 32 bits;
//   f e E g G             a double ("%lf" is "%f");
//   p                     a pointer.
// Every number is written with the "C" conventions ('.' as the decimal point, no grouping),
// whatever locale the program set: its text is snprintf's in the "C" locale, byte for byte.
// A '*' width or precision takes an int argument, as in C. Each numeric piece is at most 253
// characters; longer output of one conversion is cut there. A '%' not followed by a valid
// conversion (the end of the format, an unknown letter such as n) is copied as text and takes
// no argument.
#ifndef KTBASE_FILES_FORMAT_H
#define KTBASE_FILES_FORMAT_H

#include <cstdarg>
#include <cstddef>

extern "C" {

// Writes the formatted text into `buffer`, zero-terminated, and returns its length. The caller
// guarantees that the buffer holds the whole result.
int kt_vs8_ktprintf(char* buffer, const char* format, ...);
// The same formatter under its second name.
int kt_vs8_ansi_sprintf(char* buffer, const char* format, ...);
}

// The bounded form used inside the library: writes at most size - 1 characters and a terminator
// (nothing for size 0) and returns the length written.
int ktFormatV(char* buffer, std::size_t size, const char* format, std::va_list arguments);
int ktFormat(char* buffer, std::size_t size, const char* format, ...);

#endif  // KTBASE_FILES_FORMAT_H
