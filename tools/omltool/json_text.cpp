#include "tools/omltool/json_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// The length of the well-formed UTF-8 sequence at `p` (of at most `left` bytes) that does not
// encode one of the mapped code points; 0 when there is none.
std::size_t sequenceLength(const unsigned char* p, std::size_t left) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  auto continuation = [&](std::size_t i, unsigned char low, unsigned char high) {
    return i < left && p[i] >= low && p[i] <= high;
  };
  if (b >= 0xC2 && b <= 0xDF) return continuation(1, 0x80, 0xBF) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const unsigned char low = b == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = b == 0xED ? 0x9F : 0xBF;
    return continuation(1, low, high) && continuation(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const unsigned char low = b == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = b == 0xF4 ? 0x8F : 0xBF;
    if (!continuation(1, low, high) || !continuation(2, 0x80, 0xBF) || !continuation(3, 0x80, 0xBF))
      return 0;
    // U+10FF80 to U+10FFFF: F4 8F BE.. and F4 8F BF..
    return b == 0xF4 && p[1] == 0x8F && p[2] >= 0xBE ? 0 : 4;
  }
  return 0;
}

}  // namespace

const char* bytesToUtf8(const char* bytes, std::size_t n, std::string& scratch,
                        std::size_t& length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t i = 0;
  while (i < n) {
    const std::size_t s = sequenceLength(p + i, n - i);
    if (s == 0) break;
    i += s;
  }
  if (i == n) {
    length = n;
    return bytes;
  }
  scratch.assign(bytes, i);
  while (i < n) {
    const std::size_t s = sequenceLength(p + i, n - i);
    if (s != 0) {
      scratch.append(bytes + i, s);
      i += s;
      continue;
    }
    const unsigned char b = p[i++];
    const char mapped[4] = {static_cast<char>(0xF4), static_cast<char>(0x8F),
                            static_cast<char>(0xBC | (b >> 6)),
                            static_cast<char>(0x80 | (b & 0x3F))};
    scratch.append(mapped, 4);
  }
  length = scratch.size();
  return scratch.data();
}

void utf8ToBytes(const char* text, std::size_t n, std::string& out) {
  out.clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t run = 0;
  for (std::size_t i = 0; i < n;) {
    if (i + 3 < n && p[i] == 0xF4 && p[i + 1] == 0x8F && (p[i + 2] == 0xBE || p[i + 2] == 0xBF)) {
      out.append(text + run, i - run);
      out.push_back(static_cast<char>(0x80 | ((p[i + 2] & 1) << 6) | (p[i + 3] & 0x3F)));
      i += 4;
      run = i;
    } else {
      ++i;
    }
  }
  out.append(text + run, n - run);
}

std::size_t realText(double value, char* text) {
  if (std::isnan(value)) return std::strlen(std::strcpy(text, "nan"));
  if (std::isinf(value)) return std::strlen(std::strcpy(text, value > 0 ? "inf" : "-inf"));
  const std::to_chars_result r = std::to_chars(text, text + 28, value);
  std::size_t n = static_cast<std::size_t>(r.ptr - text);
  if (std::memchr(text, '.', n) == nullptr && std::memchr(text, 'e', n) == nullptr) {
    std::memcpy(text + n, ".0", 2);
    n += 2;
  }
  text[n] = 0;
  return n;
}
