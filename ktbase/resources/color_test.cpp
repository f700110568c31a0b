#include "ktbase/resources/color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ktbase/files/locale_test_util.h"

namespace {

using Bytes = std::vector<int>;

Bytes bytesOf(const KtColor& c) { return Bytes{c.ired(), c.igreen(), c.iblue()}; }

KtColor colorOf(int r, int g, int b) {
  KtColor c;
  c.ired(r);
  c.igreen(g);
  c.iblue(b);
  return c;
}

std::string textOf(const KtColor& c) {
  char buffer[15];
  EXPECT_EQ(c.setStringFromRGB(buffer), 0);
  return buffer;
}

// The text in a heap block of exactly its size, so that a read past the terminator is caught.
int readExact(KtColor& c, const std::string& text) {
  std::vector<char> exact(text.begin(), text.end());
  exact.push_back(0);
  char* block = static_cast<char*>(std::malloc(exact.size()));
  std::memcpy(block, exact.data(), exact.size());
  const int result = c.setRGBFromString(block);
  std::free(block);
  return result;
}

TEST(ColorTest, ChannelsFlagsAndCopies) {
  KtColor c;
  EXPECT_EQ(bytesOf(c), (Bytes{0, 0, 0}));
  EXPECT_EQ(c.transparent(), 0);
  EXPECT_EQ(c.needsSaving(), 1);
  // Each channel's fraction setter rounds and clamps as rgb() does, which the text model covers.
  EXPECT_DOUBLE_EQ(c.red(0.5), 128 / 255.0);
  EXPECT_EQ(c.green(-0.1), 0.0);
  EXPECT_EQ(c.blue(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(c.ired(300), 44);
  EXPECT_EQ(c.ired(-1), 255);

  // needsSaving: set by every change, left alone by a value the colour has.
  EXPECT_EQ(c.needsSaving(0), 0);
  c.ired(c.ired());
  c.green(c.green());
  c.transparent(0);
  EXPECT_EQ(c.needsSaving(), 0);
  EXPECT_EQ(c.transparent(5), 5);
  EXPECT_EQ(c.transparent(), 1);
  EXPECT_EQ(c.needsSaving(), 1);

  // compare: channels and transparency, not needsSaving; a copy starts as a new colour.
  KtColor d = c;
  EXPECT_EQ(d.needsSaving(), 1);
  d.needsSaving(0);
  EXPECT_EQ(c.compare(&d), 1);
  d.transparent(0);
  EXPECT_EQ(c.compare(&d), 0);
  EXPECT_EQ(c.compare(nullptr), 0);
  KtColor attributes(c, KT_ATTRIBUTE_COPY);  // both flags copy the same
  EXPECT_EQ(attributes.compare(&c), 1);
  // Assignment goes through the setters: the flag is set only when something changed.
  KtColor e = colorOf(1, 2, 3);
  e.needsSaving(0);
  e = colorOf(1, 2, 3);
  EXPECT_EQ(e.needsSaving(), 0);
  e.copyObject(&c);
  EXPECT_EQ(e.needsSaving(), 1);
  EXPECT_EQ(e.compare(&c), 1);
}

// Every palette entry in bytes (their text form is that of any byte, tested below); other
// identifiers change nothing.
TEST(ColorTest, PaletteGreyAndInversion) {
  const Bytes palette[] = {
      {0, 0, 0},       {0, 0, 255},     {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
      {255, 0, 255},   {0, 255, 255},   {230, 230, 230}, {204, 204, 255}, {255, 204, 204},
      {204, 255, 204}, {255, 255, 179}, {255, 179, 255}, {179, 255, 255}, {153, 153, 153},
      {26, 26, 204},   {204, 26, 26},   {26, 204, 26},   {204, 204, 26},  {204, 26, 204},
      {26, 204, 204},  {102, 102, 102}, {0, 0, 128},     {128, 0, 0},     {0, 128, 0},
      {128, 128, 0},   {128, 0, 128},   {0, 128, 128},   {255, 255, 255}};
  for (int id = -1; id <= 29; ++id) {
    KtColor c = colorOf(1, 2, 3);
    c.needsSaving(0);
    c.rgb(static_cast<KtColorIdentifierEnum>(id));
    const bool named = id >= 0 && id < 29;
    EXPECT_EQ(bytesOf(c), named ? palette[id] : (Bytes{1, 2, 3})) << "entry " << id;
    EXPECT_EQ(c.needsSaving(), named ? 1 : 0) << "entry " << id;
  }

  KtColor c;
  c.rgb(KT_COLOR_RED);
  EXPECT_DOUBLE_EQ(c.gray(), 0.299);
  EXPECT_DOUBLE_EQ(c.invertGray(), 0.701);
  c.rgb(KT_COLOR_LIGHT_YELLOW);  // 255, 255, 179
  EXPECT_DOUBLE_EQ(c.gray(), 0.299 + 0.587 + 0.114 * 179 / 255.0);
  EXPECT_DOUBLE_EQ(c.invertBlue(), 76 / 255.0);
  EXPECT_DOUBLE_EQ(c.invertRed(), 0.0);
  c.rgb(KT_COLOR_WHITE);
  EXPECT_NEAR(c.gray(), 1.0, 1e-15);
  EXPECT_DOUBLE_EQ(c.gray(0.5), 128 / 255.0);
  EXPECT_EQ(bytesOf(c), (Bytes{128, 128, 128}));
  EXPECT_EQ(c.gray(-3.0), 0.0);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 0, 0}));

  // The inverse keeps the transparency and is a new colour; the source stays.
  c = colorOf(0, 128, 255);
  c.transparent(1);
  c.needsSaving(0);
  const KtColor inverted = c.invertColor();
  EXPECT_EQ(bytesOf(inverted), (Bytes{255, 127, 0}));
  EXPECT_EQ(inverted.transparent(), 1);
  EXPECT_EQ(inverted.needsSaving(), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 128, 255}));
}

// The byte that a fraction gives, as the header states it (not-a-number gives 0).
int byteOfFraction(double f) {
  const double v = f * 255 + 0.5;
  return v >= 255 ? 255 : v >= 0 ? static_cast<int>(v) : 0;
}

// The smallest percentage whose byte is at least c, found by search.
int percentageOf(int c) {
  int p = 0;
  while (p < 100 && byteOfFraction(p / 100.0) < c) ++p;
  return p;
}

// The text of a colour by the rule, through snprintf in the current locale.
std::string expectedText(const Bytes& b) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f", percentageOf(b[0]) / 100.0,
                percentageOf(b[1]) / 100.0, percentageOf(b[2]) / 100.0);
  return text;
}

// The numbers of the first three tokens (runs of characters other than the space), each read by
// strtod in the current locale.
std::vector<double> tokensOf(const std::string& text) {
  std::vector<double> values;
  std::size_t at = 0;
  for (int t = 0; t < 3; ++t) {
    while (at < text.size() && text[at] == ' ') ++at;
    const std::size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) values.push_back(std::strtod(text.substr(at, end - at).c_str(), nullptr));
    at = end;
  }
  return values;
}

// Random texts of digits, signs, points, commas, exponents, letters of inf and nan, tabs, spaces
// and bytes above 127; every hundredth is long.
std::string randomText(std::mt19937& random, int round) {
  static const std::string alphabet = "0123456789.,-+eE  \t xXpinfaINFA\x80\xff\xc3";
  std::string text;
  const std::size_t length = random() % (round % 100 == 0 ? 400 : 24);
  for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
  return text;
}

// Reading `text` gives the bytes of the three token values, or, with fewer tokens, 0 and no
// change at all (needsSaving included).
::testing::AssertionResult readsAsModel(const std::string& text,
                                        const std::vector<double>& values) {
  KtColor c = colorOf(1, 2, 3);
  c.needsSaving(0);
  const int result = readExact(c, text);
  const Bytes expected =
      values.size() == 3
          ? Bytes{byteOfFraction(values[0]), byteOfFraction(values[1]), byteOfFraction(values[2])}
          : Bytes{1, 2, 3};
  if (result != (values.size() == 3 ? 1 : 0) || bytesOf(c) != expected ||
      (result == 0 && c.needsSaving() != 0))
    return ::testing::AssertionFailure() << "text [" << text << "]";
  return ::testing::AssertionSuccess();
}

// The text of every byte against snprintf and a search over all percentages: the smallest that
// reads back to at least the byte.
TEST(ColorTest, TextFormOfEveryByte) {
  EXPECT_EQ(textOf(colorOf(255, 128, 0)), "1.00 0.50 0.00");
  EXPECT_EQ(textOf(colorOf(1, 127, 254)), "0.01 0.50 1.00");
  KtColor back;
  EXPECT_EQ(back.setRGBFromString(textOf(colorOf(1, 127, 254)).c_str()), 1);
  EXPECT_EQ(bytesOf(back), (Bytes{3, 128, 255}));

  for (int c = 0; c < 256; ++c) {
    const std::string text = textOf(colorOf(c, 0, c));
    ASSERT_EQ(text, expectedText(Bytes{c, 0, c})) << "byte " << c;
    KtColor read;
    ASSERT_EQ(readExact(read, text), 1);
    ASSERT_EQ(read.ired(), byteOfFraction(percentageOf(c) / 100.0));
    ASSERT_GE(read.ired(), c);
  }
  EXPECT_EQ(textOf(colorOf(255, 255, 255)).size(), 14u);
  EXPECT_EQ(back.setStringFromRGB(nullptr), 0);
}

// Random texts against a reading of the same rule on std::string and strtod: fewer than three
// tokens change nothing, needsSaving included.
TEST(ColorTest, ReadingTextAgainstModel) {
  KtColor c = colorOf(9, 9, 9);
  EXPECT_EQ(c.setRGBFromString(nullptr), 0);
  // Tokens longer than any buffer are read whole, past any number of leading spaces.
  const std::string longNumber = "0." + std::string(5000, '0') + "1";
  const std::string longHalf = "0.5" + std::string(5000, '0');
  EXPECT_EQ(readExact(c, longHalf + " " + longNumber + "    " + longHalf), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{128, 0, 128}));
  EXPECT_EQ(readExact(c, std::string(100000, ' ') + "1 1 1" + std::string(70, 'x')), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{255, 255, 255}));

  std::mt19937 random(19);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(random, round);
    const std::vector<double> values = tokensOf(text);
    ASSERT_TRUE(readsAsModel(text, values));
    accepted += values.size() == 3;
  }
  EXPECT_GT(accepted, 1000);
}

// Under a locale with a decimal comma both directions are those of "C": the texts of random
// colours and the readings of random texts are made in "C" first, then compared.
TEST(ColorTest, TextIgnoresTheProgramLocale) {
  DecimalCommaLocale comma;
  if (!comma.unavailable().empty()) GTEST_SKIP() << comma.unavailable();
  std::mt19937 random(1207);
  std::vector<Bytes> colours;
  std::vector<std::string> texts, inputs;
  std::vector<std::vector<double>> tokens;
  for (int c = 0; c < 256; ++c) {
    colours.push_back(Bytes{c, static_cast<int>(random() % 256), static_cast<int>(random() % 256)});
    texts.push_back(expectedText(colours.back()));
  }
  for (int round = 0; round < 5000; ++round) {
    inputs.push_back(randomText(random, round));
    tokens.push_back(tokensOf(inputs.back()));
  }

  ASSERT_TRUE(comma.enter());
  KtColor c;
  EXPECT_EQ(c.setRGBFromString("1.00 0.50 0.25"), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{255, 128, 64}));
  EXPECT_EQ(textOf(c), "1.00 0.50 0.25");
  EXPECT_EQ(c.setRGBFromString("1,00 0,50 0,25"), 1);  // each number ends at its comma
  EXPECT_EQ(bytesOf(c), (Bytes{255, 0, 0}));
  for (std::size_t i = 0; i < colours.size(); ++i)
    ASSERT_EQ(textOf(colorOf(colours[i][0], colours[i][1], colours[i][2])), texts[i]);
  for (std::size_t i = 0; i < inputs.size(); ++i) ASSERT_TRUE(readsAsModel(inputs[i], tokens[i]));
}

// What is the colour resource's own; sharing and permanence are resource_test.cpp's.
TEST(ColorResourceTest, KeysEqualityCopiesAndTheDatabase) {
  EXPECT_EQ(KtColorResource().sortKey(), 0);
  const KtColor mixed = colorOf(1, 2, 3);
  EXPECT_EQ(KtColorResource(nullptr, &mixed).sortKey(), 65536 + 2 * 256 + 3);
  KtColorResourceDB db;
  KtColor white;
  white.rgb(KT_COLOR_WHITE);
  KtColor clear = white, saved = white;
  clear.transparent(1);
  saved.needsSaving(0);
  const KtColorResource probe(&db, &white);
  EXPECT_EQ(probe.sortKey(), 16777215);
  EXPECT_EQ(probe.pResourceDB(), &db);

  // Equal RGB, different transparency: the same key, two listed values; needsSaving plays no
  // part in equality.
  const KtColorResource* opaque = db.insert(new KtColorResource(&db, &white));
  const KtColorResource* seeThrough = db.insert(new KtColorResource(&db, &clear));
  EXPECT_NE(opaque, seeThrough);
  EXPECT_EQ(opaque->isEqual(&probe), 1);
  EXPECT_EQ(opaque->isEqual(nullptr), 0);
  EXPECT_EQ(db.insert(new KtColorResource(&db, &saved)), opaque);
  // The default is black.
  EXPECT_EQ(db.pDefaultResource()->sortKey(), 0);
  EXPECT_EQ(db.pDefaultResource()->index(), 1);

  // A shared colour's private copy holds its colour; the attribute copy takes the database only.
  KtColorResource* mine = db.remove(opaque);
  ASSERT_NE(mine, opaque);
  EXPECT_EQ(mine->pColor()->compare(&white), 1);
  KtColorResource attributes(*mine, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.sortKey(), 0);
  EXPECT_EQ(attributes.pResourceDB(), &db);
  mine->pColor()->rgb(KT_COLOR_GREY);
  EXPECT_EQ(db.insert(mine), mine);
  EXPECT_EQ(opaque->pColor()->compare(&white), 1);
  EXPECT_TRUE(db.checkInvariants());
}

}  // namespace
