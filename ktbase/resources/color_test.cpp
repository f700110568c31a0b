#include "ktbase/resources/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

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
  EXPECT_DOUBLE_EQ(c.red(0.5), 128 / 255.0);
  EXPECT_EQ(c.ired(), 128);
  EXPECT_DOUBLE_EQ(c.red(2.0), 1.0);
  EXPECT_EQ(c.green(-0.1), 0.0);
  EXPECT_EQ(c.ired(300), 44);
  EXPECT_EQ(c.ired(-1), 255);
  // Fractions far out of range, infinities and not-a-number clamp instead of overflowing.
  EXPECT_EQ(c.blue(1e300), 1.0);
  EXPECT_EQ(c.blue(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(c.blue(std::numeric_limits<double>::quiet_NaN()), 0.0);
  c.blue(0.002);  // 1.01
  EXPECT_EQ(c.iblue(), 1);

  // needsSaving: set by every change, left alone by a value the colour has.
  EXPECT_EQ(c.needsSaving(0), 0);
  c.ired(c.ired());
  c.green(c.green());
  c.transparent(0);
  EXPECT_EQ(c.needsSaving(), 0);
  EXPECT_EQ(c.transparent(5), 5);
  EXPECT_EQ(c.transparent(), 1);
  EXPECT_EQ(c.needsSaving(), 1);

  // compare: channels and transparency, not needsSaving.
  KtColor d = c;
  EXPECT_EQ(d.needsSaving(), 1);  // a copy starts as a new colour
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

// Every palette entry in bytes, as text, and back.
TEST(ColorTest, Palette) {
  struct Entry {
    Bytes bytes;
    const char* text;
  };
  const Entry palette[] = {{{0, 0, 0}, "0.00 0.00 0.00"},       {{0, 0, 255}, "0.00 0.00 1.00"},
                           {{255, 0, 0}, "1.00 0.00 0.00"},     {{0, 255, 0}, "0.00 1.00 0.00"},
                           {{255, 255, 0}, "1.00 1.00 0.00"},   {{255, 0, 255}, "1.00 0.00 1.00"},
                           {{0, 255, 255}, "0.00 1.00 1.00"},   {{230, 230, 230}, "0.90 0.90 0.90"},
                           {{204, 204, 255}, "0.80 0.80 1.00"}, {{255, 204, 204}, "1.00 0.80 0.80"},
                           {{204, 255, 204}, "0.80 1.00 0.80"}, {{255, 255, 179}, "1.00 1.00 0.70"},
                           {{255, 179, 255}, "1.00 0.70 1.00"}, {{179, 255, 255}, "0.70 1.00 1.00"},
                           {{153, 153, 153}, "0.60 0.60 0.60"}, {{26, 26, 204}, "0.10 0.10 0.80"},
                           {{204, 26, 26}, "0.80 0.10 0.10"},   {{26, 204, 26}, "0.10 0.80 0.10"},
                           {{204, 204, 26}, "0.80 0.80 0.10"},  {{204, 26, 204}, "0.80 0.10 0.80"},
                           {{26, 204, 204}, "0.10 0.80 0.80"},  {{102, 102, 102}, "0.40 0.40 0.40"},
                           {{0, 0, 128}, "0.00 0.00 0.50"},     {{128, 0, 0}, "0.50 0.00 0.00"},
                           {{0, 128, 0}, "0.00 0.50 0.00"},     {{128, 128, 0}, "0.50 0.50 0.00"},
                           {{128, 0, 128}, "0.50 0.00 0.50"},   {{0, 128, 128}, "0.00 0.50 0.50"},
                           {{255, 255, 255}, "1.00 1.00 1.00"}};
  ASSERT_EQ(sizeof palette / sizeof palette[0], 29u);
  for (int id = 0; id < 29; ++id) {
    KtColor c = colorOf(1, 2, 3);
    c.rgb(static_cast<KtColorIdentifierEnum>(id));
    EXPECT_EQ(bytesOf(c), palette[id].bytes) << "entry " << id;
    EXPECT_EQ(textOf(c), palette[id].text) << "entry " << id;
    KtColor back = colorOf(7, 7, 7);
    EXPECT_EQ(back.setRGBFromString(palette[id].text), 1);
    EXPECT_EQ(back.compare(&c), 1) << "entry " << id;
  }
  for (int id : {-1, 29, 1000}) {
    KtColor c = colorOf(1, 2, 3);
    c.needsSaving(0);
    c.rgb(static_cast<KtColorIdentifierEnum>(id));
    EXPECT_EQ(bytesOf(c), (Bytes{1, 2, 3}));
    EXPECT_EQ(c.needsSaving(), 0);
  }
}

TEST(ColorTest, GreyAndInversion) {
  KtColor c;
  c.rgb(KT_COLOR_RED);
  EXPECT_DOUBLE_EQ(c.gray(), 0.299);
  EXPECT_DOUBLE_EQ(c.invertGray(), 0.701);
  c.rgb(KT_COLOR_LIGHT_YELLOW);  // 255, 255, 179
  EXPECT_DOUBLE_EQ(c.gray(), 0.299 + 0.587 + 0.114 * 179 / 255.0);
  EXPECT_DOUBLE_EQ(c.invertBlue(), 76 / 255.0);
  EXPECT_DOUBLE_EQ(c.invertRed(), 0.0);
  EXPECT_DOUBLE_EQ(c.invertGreen(), 0.0);
  c.rgb(KT_COLOR_WHITE);
  EXPECT_NEAR(c.gray(), 1.0, 1e-15);
  EXPECT_DOUBLE_EQ(c.gray(0.5), 128 / 255.0);
  EXPECT_EQ(bytesOf(c), (Bytes{128, 128, 128}));
  EXPECT_NEAR(c.gray(), 128 / 255.0, 1e-15);
  EXPECT_EQ(c.gray(-3.0), 0.0);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 0, 0}));

  c.rgb(KT_COLOR_DARK_GREY);
  c.transparent(1);
  c.needsSaving(0);
  KtColor inverted = c.invertColor();
  EXPECT_EQ(bytesOf(inverted), (Bytes{153, 153, 153}));
  EXPECT_EQ(inverted.transparent(), 1);
  EXPECT_EQ(inverted.needsSaving(), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{102, 102, 102}));
  inverted = colorOf(0, 128, 255).invertColor();
  EXPECT_EQ(bytesOf(inverted), (Bytes{255, 127, 0}));
}

// The text of every byte against snprintf and a search over all percentages: the smallest that
// reads back to at least the byte.
TEST(ColorTest, TextFormOfEveryByte) {
  EXPECT_EQ(textOf(colorOf(255, 128, 0)), "1.00 0.50 0.00");
  EXPECT_EQ(textOf(colorOf(1, 127, 254)), "0.01 0.50 1.00");
  KtColor back;
  EXPECT_EQ(back.setRGBFromString(textOf(colorOf(1, 127, 254)).c_str()), 1);
  EXPECT_EQ(bytesOf(back), (Bytes{3, 128, 255}));

  auto byteOf = [](double f) { return static_cast<int>(std::trunc(f * 255 + 0.5)); };
  for (int c = 0; c < 256; ++c) {
    int p = 0;
    while (p < 100 && byteOf(p / 100.0) < c) ++p;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.2f %.2f %.2f", p / 100.0, 0.0, p / 100.0);
    const std::string text = textOf(colorOf(c, 0, c));
    ASSERT_EQ(text, expected) << "byte " << c;
    KtColor read;
    ASSERT_EQ(readExact(read, text), 1);
    ASSERT_EQ(read.ired(), byteOf(p / 100.0));
    ASSERT_GE(read.ired(), c);
  }
  EXPECT_EQ(textOf(colorOf(255, 255, 255)).size(), 14u);
  EXPECT_EQ(back.setStringFromRGB(nullptr), 0);
}

TEST(ColorTest, ReadingText) {
  KtColor c = colorOf(9, 9, 9);
  c.needsSaving(0);
  // Fewer than three tokens change nothing.
  for (const char* text : {"", "   ", "1 0.5", " 1  0.5  ", "0.5"}) {
    EXPECT_EQ(c.setRGBFromString(text), 0) << text;
    EXPECT_EQ(bytesOf(c), (Bytes{9, 9, 9}));
  }
  EXPECT_EQ(c.setRGBFromString(nullptr), 0);
  EXPECT_EQ(c.needsSaving(), 0);
  EXPECT_EQ(c.setRGBFromString("   0 0 1 word"), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 0, 255}));
  // Only the space separates: a tab belongs to its token, and a token of a tab alone reads as 0.
  EXPECT_EQ(c.setRGBFromString("0\t1 1 0"), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 255, 0}));
  EXPECT_EQ(c.setRGBFromString("1 \t 0.5 1"), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{255, 0, 128}));
  // Out-of-range numbers, infinities and not-a-number clamp.
  EXPECT_EQ(c.setRGBFromString("nan inf -1e999"), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{0, 255, 0}));
  // Long tokens are read whole, not cut at some buffer's end.
  const std::string longNumber = "0." + std::string(5000, '0') + "1";
  const std::string longHalf = "0.5" + std::string(5000, '0');
  EXPECT_EQ(readExact(c, longHalf + " " + longNumber + "    " + longHalf), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{128, 0, 128}));
  EXPECT_EQ(readExact(c, std::string(100000, ' ') + "1 1 1" + std::string(70, 'x')), 1);
  EXPECT_EQ(bytesOf(c), (Bytes{255, 255, 255}));
}

// Random texts (digits, signs, points, exponents, letters of inf and nan, tabs, spaces and bytes
// above 127) against a reading of the same rule on std::string and strtod.
TEST(ColorTest, ReadingRandomTextAgainstModel) {
  const std::string alphabet = "0123456789.-+eE  \t xXpinfaINFA\x80\xff\xc3";
  std::mt19937 random(19);
  auto byteOf = [](double f) {
    const double v = f * 255 + 0.5;
    return v >= 255 ? 255 : v >= 0 ? static_cast<int>(v) : 0;  // not-a-number gives 0
  };
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t length = random() % (round % 100 == 0 ? 400 : 24);
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];

    std::vector<double> values;
    std::size_t at = 0;
    for (int t = 0; t < 3; ++t) {
      while (at < text.size() && text[at] == ' ') ++at;
      const std::size_t end = std::min(text.find(' ', at), text.size());
      if (end > at) values.push_back(std::strtod(text.substr(at, end - at).c_str(), nullptr));
      at = end;
    }
    KtColor c = colorOf(1, 2, 3);
    const int result = readExact(c, text);
    ASSERT_EQ(result, values.size() == 3 ? 1 : 0) << "text [" << text << "]";
    if (result == 0) {
      ASSERT_EQ(bytesOf(c), (Bytes{1, 2, 3}));
    } else {
      ++accepted;
      const Bytes expected{byteOf(values[0]), byteOf(values[1]), byteOf(values[2])};
      ASSERT_EQ(bytesOf(c), expected) << "text [" << text << "]";
    }
  }
  EXPECT_GT(accepted, 1000);
}

TEST(ColorResourceTest, KeysEqualityAndTheDatabase) {
  KtColorResourceDB db;
  KtColor white;
  white.rgb(KT_COLOR_WHITE);
  KtColorResource probe(&db, &white);
  EXPECT_EQ(probe.sortKey(), 16777215);
  EXPECT_EQ(probe.pResourceDB(), &db);
  EXPECT_EQ(probe.pColor()->compare(&white), 1);
  KtColorResource black;
  EXPECT_EQ(black.sortKey(), 0);
  EXPECT_EQ(black.pResourceDB(), nullptr);
  EXPECT_EQ(bytesOf(*black.pColor()), (Bytes{0, 0, 0}));

  // Equal RGB, different transparency: the same key, two listed values, in insertion order.
  KtColor clear = white;
  clear.transparent(1);
  const KtColorResource* opaque = db.insert(new KtColorResource(&db, &white));
  const KtColorResource* seeThrough = db.insert(new KtColorResource(&db, &clear));
  EXPECT_NE(opaque, seeThrough);
  EXPECT_EQ(opaque->sortKey(), seeThrough->sortKey());
  EXPECT_EQ(opaque->isEqual(seeThrough), 0);
  EXPECT_EQ(opaque->isEqual(&probe), 1);
  EXPECT_EQ(opaque->isEqual(nullptr), 0);
  EXPECT_EQ(opaque->index(), 1);
  EXPECT_EQ(seeThrough->index(), 2);
  // needsSaving plays no part in equality.
  KtColor saved = white;
  saved.needsSaving(0);
  EXPECT_EQ(db.insert(new KtColorResource(&db, &saved)), opaque);
  EXPECT_EQ(opaque->refCount(), 2);

  // The default is black, permanent, listed first.
  const KtColorResource* d = db.pDefaultResource();
  EXPECT_EQ(db.pDefaultResource(), d);
  EXPECT_EQ(d->sortKey(), 0);
  EXPECT_TRUE(d->permanent());
  EXPECT_EQ(d->index(), 1);
  EXPECT_EQ(d->pResourceDB(), &db);

  // Changing a shared colour: a private copy, changed, inserted; the other holder keeps white.
  KtColorResource* mine = db.remove(opaque);
  ASSERT_NE(mine, opaque);
  EXPECT_EQ(mine->pColor()->compare(&white), 1);
  mine->pColor()->rgb(KT_COLOR_GREY);
  const KtColorResource* grey = db.insert(mine);
  EXPECT_EQ(grey, mine);
  EXPECT_EQ(grey->index(), 2);
  EXPECT_EQ(opaque->refCount(), 1);
  EXPECT_EQ(opaque->index(), 3);

  // The attribute copy takes the database, not the colour.
  KtColorResource attributes(*grey, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.sortKey(), 0);
  EXPECT_EQ(attributes.pResourceDB(), &db);

  KtColorResourceDB other;
  db.makePermanent(grey);
  EXPECT_EQ(other.copyPermanent(&db), 1);
  const KtColorResource* copied = other.pDefaultResource();
  EXPECT_NE(copied, d);
  EXPECT_EQ(copied->refCount(), KT_RESOURCE_PERMANENT + 1);
  EXPECT_TRUE(db.checkInvariants());
  EXPECT_TRUE(other.checkInvariants());
}

}  // namespace
