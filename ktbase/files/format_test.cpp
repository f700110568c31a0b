#include "ktbase/files/format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ktbase/files/locale_test_util.h"

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

// A seeded random format of three conversions between literal texts: a double with its own
// fields, a double with '*' width and precision, and a 32-bit integer, each with flags from
// "-+ #0", widths, precisions and length modifiers, some wide enough to be cut. `expected` is
// what the C library gives in the locale current when the case is made: each conversion by
// snprintf cut at 253 characters, the literal texts as they are ("%%" as '%').
struct RandomCase {
  std::string format;
  double x, y;
  int width, precision;
  std::uint32_t k;
  std::int64_t wide;  // k with random high bits, which the formatter drops
  std::string expected;
};

RandomCase randomCase(std::mt19937& random) {
  auto pick = [&random](std::uint32_t n) { return static_cast<int>(random() % n); };
  auto field = [&pick]() {
    return pick(2) ? "" : pick(20) ? std::to_string(pick(40)) : std::to_string(200 + pick(100));
  };
  auto flags = [&pick]() {
    std::string f;
    for (int n = pick(4); n > 0; --n) f += "-+ #0"[pick(5)];
    return f;
  };
  auto value = [&pick, &random]() {
    static const double special[] = {0.0, -0.0, INFINITY, -INFINITY, NAN,    -NAN,    0.5,
                                     2.5, -1.5, 9.5,      0.125,     1e-310, DBL_MAX, -DBL_MIN};
    if (pick(8) == 0) return special[pick(sizeof special / sizeof special[0])];
    return std::ldexp(static_cast<double>(static_cast<std::int32_t>(random())), pick(200) - 100);
  };
  auto cut = [](const char* text) { return std::string(text).substr(0, 253); };
  const char* literals[] = {"", " ", "1,5", "2.5", "|", "%%", "a;b"};
  auto literal = [&](std::string& format, std::string& expected) {
    const std::string text = literals[pick(7)];
    format += text;
    expected += text == "%%" ? "%" : text;
  };

  RandomCase c;
  c.x = value();
  c.y = value();
  c.width = pick(10) ? pick(81) - 40 : pick(601) - 300;
  c.precision = pick(10) ? pick(44) - 3 : 300;
  c.k = static_cast<std::uint32_t>(random());
  c.wide = static_cast<std::int64_t>((static_cast<std::uint64_t>(random()) << 32) | c.k);
  char piece[1024];
  const char* modifier = pick(3) ? "" : "l";

  literal(c.format, c.expected);
  std::string conversion = "%" + flags() + field();
  if (pick(2)) conversion += "." + field();
  conversion += "feEgG"[pick(5)];
  std::snprintf(piece, sizeof piece, conversion.c_str(), c.x);
  c.format += conversion.substr(0, conversion.size() - 1) + modifier + conversion.back();
  c.expected += cut(piece);

  literal(c.format, c.expected);
  conversion = "%" + flags() + "*.*" + "feEgG"[pick(5)];
  std::snprintf(piece, sizeof piece, conversion.c_str(), c.width, c.precision, c.y);
  c.format += conversion;
  c.expected += cut(piece);

  literal(c.format, c.expected);
  const char letter = "dioxXuc"[pick(7)];
  if (letter == 'c') {
    c.k = 'A' + c.k % 26;
    c.wide = c.k;
    conversion = std::string(pick(2) ? "%-" : "%") + field() + "c";  // other flags mean nothing
  } else {
    conversion = "%" + flags() + field() + (pick(2) ? "." + field() : "") + letter;
  }
  std::snprintf(piece, sizeof piece, conversion.c_str(), c.k);
  c.format += conversion.substr(0, conversion.size() - 1) + modifier + conversion.back();
  c.expected += cut(piece);
  literal(c.format, c.expected);
  return c;
}

std::string formatCase(const RandomCase& c) {
  return format(c.format.c_str(), c.x, c.width, c.precision, c.y, c.wide);
}

TEST(Format, AgreesWithSnprintf) {
  std::mt19937 random(20261206);
  for (int step = 0; step < 20000; ++step) {
    const RandomCase c = randomCase(random);
    ASSERT_EQ(formatCase(c), c.expected) << c.format;
  }
}

// A program that runs under a locale with a decimal comma gets the texts of the "C" locale, byte
// for byte: the cases' texts are made in "C" first. Literal commas and points stay as written,
// and a grouping flag is no conversion.
TEST(Format, NumbersIgnoreTheProgramLocale) {
  DecimalCommaLocale comma;
  if (!comma.unavailable().empty()) GTEST_SKIP() << comma.unavailable();
  std::mt19937 random(1207);
  std::vector<RandomCase> cases;
  for (int step = 0; step < 10000; ++step) cases.push_back(randomCase(random));
  ASSERT_TRUE(comma.enter());
  EXPECT_EQ(format("%lf|%.2e|%g|%'d|1,5", 2.5, 1234.5, 0.25, 1234567),
            "2.500000|1.23e+03|0.25|%'d|1,5");
  for (const RandomCase& c : cases) ASSERT_EQ(formatCase(c), c.expected) << c.format;
}

}  // namespace
