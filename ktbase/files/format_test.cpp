#include "ktbase/files/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

// Formats into a guarded buffer and checks that the length returned is the text's and that
// nothing was written behind the terminator.
template <class... Args>
std::string format(const char* fmt, Args... args) {
  char buffer[1024];
  std::memset(buffer, 0x5a, sizeof buffer);
  int length = kt_vs8_ktprintf(buffer, fmt, args...);
  EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
  for (std::size_t i = static_cast<std::size_t>(length) + 1; i < sizeof buffer; ++i)
    if (buffer[i] != 0x5a) {
      ADD_FAILURE() << "written past the text at " << i;
      break;
    }
  return buffer;
}

TEST(Format, ExactResults) {
  EXPECT_EQ(format("%s%d.%s", "base", 7, "dat"), "base7.dat");
  EXPECT_EQ(format("100%%"), "100%");
  EXPECT_EQ(format("%5d", 42), "   42");
  EXPECT_EQ(format("%5s|%-10s|%.1s", "ab", "cd", "ef"), "ab|cd|ef");  // s ignores its fields
  EXPECT_EQ(format("%08lx", (std::int64_t{1} << 32) + 15), "0000000f");
  EXPECT_EQ(format("%lf", 1.5), "1.500000");
  EXPECT_EQ(format(""), "");
  EXPECT_EQ(format("%ld %lu", std::int32_t{-5}, std::uint32_t{4000000000u}), "-5 4000000000");
  EXPECT_EQ(format("%d", std::int64_t{-1}), "-1");  // the low 32 bits of a 64-bit value
  EXPECT_EQ(format("%u", std::int64_t{0x100000002}), "2");
  EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(format("%*d|%-*d|%.*f", 4, 7, 3, 8, 2, 3.14159), "   7|8  |3.14");
  EXPECT_EQ(format("%S", "wide"), "wide");
  EXPECT_EQ(format("ID%08lx%08lx", std::int64_t{0x1234}, std::int64_t{0xabcdef}),
            "ID0000123400abcdef");
  char text[32];
  EXPECT_EQ(kt_vs8_ansi_sprintf(text, "%s=%d", "x", 3), 3);
  EXPECT_STREQ(text, "x=3");
}

TEST(Format, MalformedFormatsAreTextAndTakeNoArgument) {
  EXPECT_EQ(format("50%"), "50%");
  EXPECT_EQ(format("%-"), "%-");
  EXPECT_EQ(format("%n%d", 5), "%n5");  // an unknown letter is text; %d still takes 5
  EXPECT_EQ(format("%5.2"), "%5.2");
  EXPECT_EQ(format("%s|%s", static_cast<const char*>(nullptr), "b"), "(null)|b");
  EXPECT_EQ(format("a%"), "a%");
}

TEST(Format, PiecesAreCutAt253Characters) {
  EXPECT_EQ(format("%300d", 1).size(), 253u);
  EXPECT_EQ(format("[%-1000d]", 1), "[1" + std::string(252, ' ') + "]");
  EXPECT_EQ(format("%.400f", 1.0).size(), 253u);
  EXPECT_EQ(format("%s", std::string(600, 'x').c_str()).size(), 600u);  // strings are not cut
  char small[8];
  EXPECT_EQ(ktFormat(small, sizeof small, "%s-%d", "abcdef", 12345), 7);
  EXPECT_STREQ(small, "abcdef-");
  EXPECT_EQ(ktFormat(small, 0, "%d", 1), 0);
}

// Random conversions of 32-bit integers and doubles against the C library.
TEST(Format, AgreesWithSnprintf) {
  std::mt19937 random(20261206);
  const char* flagSet[] = {"", "-", "+", " ", "#", "0", "-+", "0+", "# ", "-0"};
  const char* intLetters = "dioxXuc";
  const char* doubleLetters = "feEgG";
  for (int step = 0; step < 20000; ++step) {
    std::string conversion = "%";
    conversion += flagSet[random() % 10];
    if (random() % 2) conversion += std::to_string(random() % 30);
    if (random() % 2) conversion += "." + std::to_string(random() % 20);
    bool isDouble = random() % 2;
    char letter = isDouble ? doubleLetters[random() % 5] : intLetters[random() % 7];
    std::string withModifier = conversion + (random() % 2 && !isDouble ? "l" : "") + letter;
    std::string plain = conversion + letter;
    if (letter == 'c') plain = withModifier = "%c";  // flags on %c mean little; keep it plain
    std::string fmt = "<" + withModifier + ">";
    char expected[512];
    char actual[512];
    if (isDouble) {
      double value = std::ldexp(static_cast<double>(static_cast<std::int32_t>(random())),
                                static_cast<int>(random() % 80) - 40);
      std::snprintf(expected, 254, ("<" + plain + ">").c_str(), value);
      kt_vs8_ktprintf(actual, fmt.c_str(), value);
    } else {
      std::uint32_t value = static_cast<std::uint32_t>(random());
      if (letter == 'c') value = 'A' + value % 26;
      std::int64_t wide = (static_cast<std::int64_t>(random()) << 32) | value;  // high bits
      std::snprintf(expected, 254, ("<" + plain + ">").c_str(), value);
      kt_vs8_ktprintf(actual, fmt.c_str(), wide);
    }
    ASSERT_STREQ(actual, expected) << fmt;
  }
}

}  // namespace
