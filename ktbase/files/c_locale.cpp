#include "ktbase/files/c_locale.h"

#include <locale.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The "C" locale, made on the first call and constant afterwards; it is never freed. glibc hands
// out its built-in object for "C", so nothing is allocated; elsewhere the one object stays
// reachable until the program ends. Null only when it could not be made: the conversions then
// follow the program's locale, as the C library's own do.
locale_t cLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

}  // namespace

double ktStrtodC(const char* text, char** end) {
  const locale_t c = cLocale();
  return c != static_cast<locale_t>(0) ? strtod_l(text, end, c) : std::strtod(text, end);
}

int ktFormatDoubleC(char* buffer, std::size_t size, const char* conversion, double value) {
  // snprintf has no form that takes a locale: the calling thread alone runs in "C" for the call
  // and returns to its own locale right after, so the text is exactly snprintf's in "C".
  const locale_t c = cLocale();
  const locale_t own = c != static_cast<locale_t>(0) ? uselocale(c) : static_cast<locale_t>(0);
  const int written = std::snprintf(buffer, size, conversion, value);
  if (own != static_cast<locale_t>(0)) uselocale(own);
  return written;
}
