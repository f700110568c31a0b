#include "ktbase/files/format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ktbase/files/c_locale.h"

namespace {

constexpr int kPieceSize = 254;
// Widths and precisions beyond this change nothing in a 253-character piece; the bound keeps
// snprintf's work finite.
constexpr int kFieldLimit = 4096;

// The output: a buffer, its size and the length written so far.
struct Sink {
  char* buffer;
  std::size_t size;
  std::size_t length;

  void append(const char* text, std::size_t count) {
    if (length + 1 >= size) return;
    std::size_t room = size - 1 - length;
    if (count > room) count = room;
    std::memcpy(buffer + length, text, count);
    length += count;
  }
};

bool isFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool isLengthModifier(char c) {
  return c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A parsed conversion. Its text is rebuilt without length modifiers, with the '*' fields written
// out, so that snprintf reads exactly the one value passed to it.
struct Conversion {
  char flags[8];
  int flagCount = 0;
  int width = -1;
  int precision = -1;
  char letter = 0;
};

// Reads digits, saturating at kFieldLimit.
int readNumber(const char*& p) {
  int value = 0;
  while (isDigit(*p)) {
    if (value < kFieldLimit) value = value * 10 + (*p - '0');
    ++p;
  }
  return value < kFieldLimit ? value : kFieldLimit;
}

int clampField(int value) { return value > kFieldLimit ? kFieldLimit : value; }

// Parses the conversion after a '%'. Returns the character behind it, or null when the text is
// not a conversion; in that case no argument has been taken.
const char* parse(const char* p, Conversion& conversion, std::va_list& arguments) {
  while (isFlag(*p)) {
    if (conversion.flagCount < 7) conversion.flags[conversion.flagCount++] = *p;
    ++p;
  }
  // A '*' consumes an argument, so the whole conversion is checked before any is taken.
  const char* q = p;
  bool starWidth = *q == '*';
  if (starWidth)
    ++q;
  else
    while (isDigit(*q)) ++q;
  bool starPrecision = false;
  if (*q == '.') {
    ++q;
    starPrecision = *q == '*';
    if (starPrecision)
      ++q;
    else
      while (isDigit(*q)) ++q;
  }
  while (isLengthModifier(*q)) ++q;
  if (*q == 0 || std::strchr("sSdiouxXcfeEgGp", *q) == nullptr) return nullptr;

  if (starWidth) {
    int width = va_arg(arguments, int);
    if (width < 0) {  // as in C: a negative '*' width is the '-' flag with its magnitude
      if (conversion.flagCount < 7) conversion.flags[conversion.flagCount++] = '-';
      width = width == INT32_MIN ? kFieldLimit : -width;
    }
    conversion.width = clampField(width);
    ++p;
  } else if (isDigit(*p)) {
    conversion.width = readNumber(p);
  }
  if (*p == '.') {
    ++p;
    if (starPrecision) {
      int precision = va_arg(arguments, int);
      conversion.precision = precision < 0 ? -1 : clampField(precision);
      ++p;
    } else {
      conversion.precision = readNumber(p);
    }
  }
  conversion.letter = *q;
  return q + 1;
}

// Writes "%<flags><width>.<precision><modifier><letter>" into `text`.
void rebuild(const Conversion& conversion, const char* modifier, char* text) {
  char* out = text;
  *out++ = '%';
  for (int i = 0; i < conversion.flagCount; ++i) *out++ = conversion.flags[i];
  if (conversion.width >= 0) out += std::sprintf(out, "%d", conversion.width);
  if (conversion.precision >= 0) out += std::sprintf(out, ".%d", conversion.precision);
  while (*modifier != 0) *out++ = *modifier++;
  *out++ = conversion.letter;
  *out = 0;
}

// One numeric piece of at most kPieceSize - 1 characters. Doubles are converted as in the "C"
// locale, whatever locale the program set; the integer and pointer conversions, with the flags
// accepted here (no grouping flag), do not depend on the locale.
void formatPiece(Sink& sink, const Conversion& conversion, std::va_list& arguments) {
  char text[48];
  char piece[kPieceSize];
  int written = 0;
  switch (conversion.letter) {
    case 'f':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
      rebuild(conversion, "", text);
      written = ktFormatDoubleC(piece, sizeof piece, text, va_arg(arguments, double));
      break;
    case 'p':
      rebuild(conversion, "", text);
      written = std::snprintf(piece, sizeof piece, text, va_arg(arguments, void*));
      break;
    default: {
      std::uint32_t low = static_cast<std::uint32_t>(va_arg(arguments, unsigned long long));
      rebuild(conversion, "", text);
      if (conversion.letter == 'd' || conversion.letter == 'i' || conversion.letter == 'c')
        written = std::snprintf(piece, sizeof piece, text, static_cast<int>(low));
      else
        written = std::snprintf(piece, sizeof piece, text, static_cast<unsigned int>(low));
      break;
    }
  }
  if (written < 0) return;
  std::size_t length = static_cast<std::size_t>(written);
  if (length > sizeof piece - 1) length = sizeof piece - 1;
  sink.append(piece, length);
}

}  // namespace

int ktFormatV(char* buffer, std::size_t size, const char* format, std::va_list arguments) {
  Sink sink{buffer, size, 0};
  if (buffer == nullptr || size == 0) return 0;
  if (format != nullptr) {
    std::va_list walk;
    va_copy(walk, arguments);
    const char* p = format;
    while (*p != 0) {
      const char* percent = std::strchr(p, '%');
      if (percent == nullptr) {
        sink.append(p, std::strlen(p));
        break;
      }
      sink.append(p, static_cast<std::size_t>(percent - p));
      if (percent[1] == '%') {
        sink.append("%", 1);
        p = percent + 2;
        continue;
      }
      Conversion conversion;
      const char* next = parse(percent + 1, conversion, walk);
      if (next == nullptr) {  // not a conversion: the '%' is text
        sink.append("%", 1);
        p = percent + 1;
        continue;
      }
      if (conversion.letter == 's' || conversion.letter == 'S') {
        const char* text = va_arg(walk, const char*);
        if (text == nullptr) text = "(null)";
        sink.append(text, std::strlen(text));
      } else {
        formatPiece(sink, conversion, walk);
      }
      p = next;
    }
    va_end(walk);
  }
  buffer[sink.length] = 0;
  return static_cast<int>(sink.length);
}

int ktFormat(char* buffer, std::size_t size, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  int length = ktFormatV(buffer, size, format, arguments);
  va_end(arguments);
  return length;
}

extern "C" int kt_vs8_ktprintf(char* buffer, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  int length = ktFormatV(buffer, SIZE_MAX, format, arguments);
  va_end(arguments);
  return length;
}

extern "C" int kt_vs8_ansi_sprintf(char* buffer, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  int length = ktFormatV(buffer, SIZE_MAX, format, arguments);
  va_end(arguments);
  return length;
}
