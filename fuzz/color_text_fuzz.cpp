// Reads the input as a colour text. Any text must end in an answer, with no crash, read beyond
// its end or sanitizer report; a text that is accepted gives a colour whose own text reads back
// to the same text again, once it has been through one round.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ktbase/resources/color.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The text ends at the input's end or at a zero byte in it; it is kept in a block of exactly
  // its size.
  char* text = static_cast<char*>(std::malloc(size + 1));
  if (text == nullptr) return 0;
  std::memcpy(text, data, size);
  text[size] = 0;
  KtColor colour;
  colour.ired(7);
  const int accepted = colour.setRGBFromString(text);
  std::free(text);
  if (accepted != 1) {
    if (accepted != 0 || colour.ired() != 7 || colour.igreen() != 0) std::abort();
    return 0;
  }
  char first[15], second[15];
  colour.setStringFromRGB(first);
  if (std::strlen(first) != 14 || colour.setRGBFromString(first) != 1) std::abort();
  colour.setStringFromRGB(second);
  KtColor again;
  if (std::string(first) != second || again.setRGBFromString(second) != 1 ||
      again.compare(&colour) != 1)
    std::abort();
  return 0;
}
