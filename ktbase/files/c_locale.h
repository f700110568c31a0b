// Private to the library: number conversions with the "C" conventions ('.' as the decimal point,
// no grouping, white space and the words inf and nan as in "C") whatever locale the program has
// set. Graph applications call setlocale(LC_ALL, ""); a number the library writes or reads must
// mean the same in each of them, and its text must be the one it has in the "C" locale, byte for
// byte.
#ifndef KTBASE_FILES_C_LOCALE_H
#define KTBASE_FILES_C_LOCALE_H

#include <cstddef>

// strtod as in the "C" locale.
double ktStrtodC(const char* text, char** end);

// snprintf of one conversion of a double ("%f", "%e", "%g" and their flags, width and
// precision) as in the "C" locale.
int ktFormatDoubleC(char* buffer, std::size_t size, const char* conversion, double value);

#endif  // KTBASE_FILES_C_LOCALE_H
