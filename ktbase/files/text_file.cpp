#include "ktbase/files/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ktbase/files/c_locale.h"
#include "ktbase/files/format.h"

namespace {

constexpr std::size_t kNumberSize = 254;

// Leading white space as the C library's scan skips it.
const char* skipSpace(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  return s;
}

// A decimal integer as "%d" / "%u" scan it: an optional sign, then digits; the value wraps to
// 32 bits as a 64-bit conversion cut to its low half. False when no digit follows. strtoll sees
// a sign or a digit first, so the locale's white space never comes into it, and it groups no
// digits: the result is that of the "C" locale.
bool scanInteger(const char* text, bool isSigned, std::uint32_t& value) {
  const char* s = skipSpace(text);
  const char* digits = s + (*s == '+' || *s == '-');
  if (*digits < '0' || *digits > '9') return false;
  errno = 0;
  char* end = nullptr;
  if (isSigned)
    value = static_cast<std::uint32_t>(std::strtoll(s, &end, 10));
  else
    value = static_cast<std::uint32_t>(std::strtoull(s, &end, 10));
  return end != s;
}

}  // namespace

KtTextFile::~KtTextFile() {}

void KtTextFile::KtTextFiledeepCopy(const KtTextFile& source) { KtFile::copyObject(&source); }
void KtTextFile::KtTextFileattributeCopy(const KtTextFile& source) {
  KtFile::copyAttributes(&source);
}

// ---------------------------------------------------------------------------------------------
// Writing

KtFileCodeEnum KtTextFile::writeText(const char* text, bool newLine) {
  if (writeString(text) == KT_FILE_OK && (!newLine || writeString("\r\n") == KT_FILE_OK))
    return KT_FILE_OK;
  error(1);
  return KT_FILE_WRITE_ERROR;
}

KtFileCodeEnum KtTextFile::write(const char* text) { return writeString(text); }

KtFileCodeEnum KtTextFile::writeInteger(std::uint32_t bits, bool isSigned, bool newLine) {
  char text[kNumberSize] = {};
  ktFormat(text, sizeof text, isSigned ? "%ld" : "%lu", bits);
  return writeText(text, newLine);
}

KtFileCodeEnum KtTextFile::write(int value) {
  return writeInteger(static_cast<std::uint32_t>(value), true, false);
}

KtFileCodeEnum KtTextFile::write(unsigned int value) {
  return writeInteger(static_cast<std::uint32_t>(value), false, false);
}

KtFileCodeEnum KtTextFile::writeDouble(double value, const char* format, bool newLine) {
  if (format == nullptr) {
    error(1);
    return KT_FILE_WRITE_ERROR;
  }
  std::size_t size = std::strlen(format) + kNumberSize;
  char* text = static_cast<char*>(std::malloc(size));
  if (text == nullptr) {
    error(1);
    return KT_FILE_WRITE_ERROR;
  }
  ktFormat(text, size, format, value);
  KtFileCodeEnum result = writeText(text, newLine);
  std::free(text);
  return result;
}

KtFileCodeEnum KtTextFile::write(double value) { return writeDouble(value, "%lf", false); }
KtFileCodeEnum KtTextFile::write(double value, const char* format) {
  return writeDouble(value, format, false);
}
KtFileCodeEnum KtTextFile::writeTrueOrFalse(int value) {
  return writeText(value != 0 ? "TRUE" : "FALSE", false);
}

KtFileCodeEnum KtTextFile::writeLine(const char* text) { return writeText(text, true); }

KtFileCodeEnum KtTextFile::writeLine(int value) {
  return writeInteger(static_cast<std::uint32_t>(value), true, true);
}

KtFileCodeEnum KtTextFile::writeLine(unsigned int value) {
  return writeInteger(static_cast<std::uint32_t>(value), false, true);
}

KtFileCodeEnum KtTextFile::writeLine(double value) { return writeDouble(value, "%lf", true); }
KtFileCodeEnum KtTextFile::writeLine(double value, const char* format) {
  return writeDouble(value, format, true);
}
KtFileCodeEnum KtTextFile::writeLineTrueOrFalse(int value) {
  return writeText(value != 0 ? "TRUE" : "FALSE", true);
}

// ---------------------------------------------------------------------------------------------
// Reading

char* KtTextFile::stripBuffer(char* text) {
  if (text == nullptr) return text;
  std::size_t length = std::strlen(text);
  while (length > 0 && isCntrl(text[length - 1])) --length;
  text[length] = 0;
  return text;
}

KtFileCodeEnum KtTextFile::readLine(KtStringHandle& line) {
  if (readString(line) != KT_FILE_OK) {
    if (!endOfFile()) error(1);
    return KT_FILE_READ_ERROR;
  }
  // stripBuffer works on a copy: an override may do anything to its text.
  std::size_t length = static_cast<std::size_t>(line.strlenBuf());
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) {
    error(1);
    return KT_FILE_READ_ERROR;
  }
  std::memcpy(copy, line.pString(), length + 1);
  const char* stripped = stripBuffer(copy);
  line.empty();
  line.appendString(stripped);
  std::free(copy);
  return KT_FILE_OK;
}

KtFileCodeEnum KtTextFile::refuseConversion() {
  if (!endOfFile()) error(1);
  return KT_FILE_READ_ERROR;
}

KtFileCodeEnum KtTextFile::readConversionLine(KtStringHandle& line) {
  return readLine(line) == KT_FILE_OK ? KT_FILE_OK : refuseConversion();
}

KtFileCodeEnum KtTextFile::readLine(int& value) {
  KtStringHandle line;
  std::uint32_t scanned;
  if (readConversionLine(line) != KT_FILE_OK) return KT_FILE_READ_ERROR;
  if (!scanInteger(line.pString(), true, scanned)) return refuseConversion();
  value = static_cast<int>(scanned);
  return KT_FILE_OK;
}

KtFileCodeEnum KtTextFile::readLine(unsigned int& value) {
  KtStringHandle line;
  std::uint32_t scanned;
  if (readConversionLine(line) != KT_FILE_OK) return KT_FILE_READ_ERROR;
  if (!scanInteger(line.pString(), false, scanned)) return refuseConversion();
  value = scanned;
  return KT_FILE_OK;
}

KtFileCodeEnum KtTextFile::readLine(double& value) {
  KtStringHandle line;
  if (readConversionLine(line) != KT_FILE_OK) return KT_FILE_READ_ERROR;
  const char* start = skipSpace(line.pString());
  char* end = nullptr;
  double scanned = ktStrtodC(start, &end);
  if (end == start) return refuseConversion();
  value = scanned;
  return KT_FILE_OK;
}

KtFileCodeEnum KtTextFile::readLineTrueOrFalse(int& value) {
  KtStringHandle line;
  if (readConversionLine(line) != KT_FILE_OK) return KT_FILE_READ_ERROR;
  if (std::strncmp(line.pString(), "TRUE", 4) == 0)
    value = 1;
  else if (std::strncmp(line.pString(), "FALSE", 5) == 0)
    value = 0;
  else
    return refuseConversion();
  return KT_FILE_OK;
}

int KtTextFile::isDoubleSlashString(const char* s) {
  return s != nullptr && s[0] == '/' && s[1] == '/' ? 1 : 0;
}
