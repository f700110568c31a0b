#include "ktbase/files/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ktbase/files/file_test_util.h"
#include "ktbase/files/locale_test_util.h"

namespace {

using TextFileTest = TempDirTest;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
    end = std::min(text.find("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

// Doubles compared bit for bit: signed zeros and not-a-number included.
std::uint64_t bitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST_F(TextFileTest, WritesNumbersAndTruthValuesAsText) {
  KtTextFile file;
  ASSERT_EQ(file.open(path("t").c_str(), KT_FILE_WRITE), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(42), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(1.5), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(-7), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(4000000000u), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(2.0, "%.2e"), KT_FILE_OK);
  EXPECT_EQ(file.writeLineTrueOrFalse(5), KT_FILE_OK);
  EXPECT_EQ(file.writeLineTrueOrFalse(0), KT_FILE_OK);
  EXPECT_EQ(file.write("a"), KT_FILE_OK);
  EXPECT_EQ(file.write(3), KT_FILE_OK);
  EXPECT_EQ(file.write(3u), KT_FILE_OK);
  EXPECT_EQ(file.write(0.25), KT_FILE_OK);
  EXPECT_EQ(file.write(0.25, "[%g]"), KT_FILE_OK);
  EXPECT_EQ(file.writeTrueOrFalse(1), KT_FILE_OK);
  EXPECT_EQ(file.writeLine(""), KT_FILE_OK);
  // A caller's format that would overflow the number buffer is cut, not written past.
  EXPECT_EQ(file.write(1e300, "%f%f"), KT_FILE_OK);
  file.close();
  const std::string expected =
      "42\r\n1.500000\r\n-7\r\n4000000000\r\n2.00e+00\r\nTRUE\r\nFALSE\r\n"
      "a330.250000[0.25]TRUE\r\n";
  std::string text = readRaw("t");
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_EQ(text.size() - expected.size(), std::strlen("%f%f") + 254 - 1);
}

TEST_F(TextFileTest, WriteFailuresAndRefusals) {
  writeRaw("r", "x\n");
  KtTextFile file;
  file.open(path("r").c_str(), KT_FILE_READ);
  EXPECT_EQ(file.writeLine("no"), KT_FILE_WRITE_ERROR);
  EXPECT_TRUE(file.error());
  EXPECT_EQ(file.write("no"), KT_FILE_WRITE_ERROR);
  EXPECT_EQ(file.writeLine(1), KT_FILE_WRITE_ERROR);
  file.close();
  EXPECT_EQ(readRaw("r"), "x\n");
  file.open("/dev/full", KT_FILE_WRITE);
  EXPECT_EQ(file.writeLine(12), KT_FILE_WRITE_ERROR);
  EXPECT_EQ(file.writeLineTrueOrFalse(1), KT_FILE_WRITE_ERROR);
  EXPECT_EQ(file.writeLine(1.0, nullptr), KT_FILE_WRITE_ERROR);
}

TEST_F(TextFileTest, LinesComeBackWithoutEndings) {
  {
    KtTextFile out;
    out.open(path("l").c_str(), KT_FILE_WRITE);
    out.writeLine("first");
    out.writeLine("");
    out.writeLine("  third  ");
  }
  KtTextFile in;
  ASSERT_EQ(in.open(path("l").c_str(), KT_FILE_READ), KT_FILE_OK);
  KtStringHandle line;
  for (const char* expected : {"first", "", "  third  "}) {
    ASSERT_EQ(in.readLine(line), KT_FILE_OK);
    EXPECT_STREQ(line.pString(), expected);
  }
  EXPECT_EQ(in.readLine(line), KT_FILE_READ_ERROR);
  EXPECT_TRUE(in.endOfFile());

  char text[] = "x\n\r\n";
  EXPECT_STREQ(in.stripBuffer(text), "x");
  char ends[] = "\r\n";
  EXPECT_STREQ(in.stripBuffer(ends), "");
  char inner[] = "a\nb";
  EXPECT_STREQ(in.stripBuffer(inner), "a\nb");
  EXPECT_EQ(in.stripBuffer(nullptr), nullptr);
  EXPECT_EQ(KtTextFile::isDoubleSlashString("//x"), 1);
  EXPECT_EQ(KtTextFile::isDoubleSlashString("//"), 1);
  EXPECT_EQ(KtTextFile::isDoubleSlashString("/x"), 0);
  EXPECT_EQ(KtTextFile::isDoubleSlashString(nullptr), 0);
}

// The line-end hook is virtual: a subclass's stripping applies to readLine.
class KeepingFile : public KtTextFile {
 public:
  char* stripBuffer(char* text) override {
    std::strcat(text, "");
    return text;
  }
};

TEST_F(TextFileTest, ConversionsLeaveTheVariableAloneOnFailure) {
  writeRaw("n", "12abc\nabc\n  -5\n99999999999\n-1\n 2.5e3x\nTRUEly\nFALSE\ntrue\n\n7");
  KtTextFile file;
  ASSERT_EQ(file.open(path("n").c_str(), KT_FILE_READ), KT_FILE_OK);
  int value = 0;
  EXPECT_EQ(file.readLine(value), KT_FILE_OK);
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(file.error());
  EXPECT_EQ(file.readLine(value), KT_FILE_READ_ERROR);  // abc
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(file.error());
  EXPECT_FALSE(file.endOfFile());
  EXPECT_EQ(file.readLine(value), KT_FILE_OK);
  EXPECT_EQ(value, -5);
  EXPECT_EQ(file.readLine(value), KT_FILE_OK);  // too big: the low 32 bits, as the C scan
  EXPECT_EQ(value, static_cast<int>(99999999999LL & 0xffffffffLL));
  unsigned int unsignedValue = 0;
  EXPECT_EQ(file.readLine(unsignedValue), KT_FILE_OK);
  EXPECT_EQ(unsignedValue, UINT_MAX);
  double real = 0;
  EXPECT_EQ(file.readLine(real), KT_FILE_OK);
  EXPECT_EQ(real, 2500.0);
  int truth = -1;
  EXPECT_EQ(file.readLineTrueOrFalse(truth), KT_FILE_OK);
  EXPECT_EQ(truth, 1);
  EXPECT_EQ(file.readLineTrueOrFalse(truth), KT_FILE_OK);
  EXPECT_EQ(truth, 0);
  EXPECT_EQ(file.readLineTrueOrFalse(truth), KT_FILE_READ_ERROR);  // case matters
  EXPECT_EQ(truth, 0);
  EXPECT_EQ(file.readLine(real), KT_FILE_READ_ERROR);  // an empty line
  EXPECT_EQ(real, 2500.0);
  EXPECT_EQ(file.readLine(value), KT_FILE_OK);  // the last line needs no ending
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(file.endOfFile());
  EXPECT_EQ(file.readLine(value), KT_FILE_READ_ERROR);
  EXPECT_EQ(value, 7);

  writeRaw("k", "line\r\n");
  KeepingFile keeping;
  keeping.open(path("k").c_str(), KT_FILE_READ);
  KtStringHandle line;
  EXPECT_EQ(keeping.readLine(line), KT_FILE_OK);
  EXPECT_STREQ(line.pString(), "line\n");
}

// Under a locale with a decimal comma, numbers are written and read as in "C": the text of
// writeLine(double) and of seeded random values in random formats is snprintf's in "C", and
// random number texts (with commas and points among the characters) read as strtod reads them in
// "C", refusals included. The expectations are all made in "C" first.
TEST_F(TextFileTest, NumbersIgnoreTheProgramLocale) {
  DecimalCommaLocale comma;
  if (!comma.unavailable().empty()) GTEST_SKIP() << comma.unavailable();
  std::mt19937 random(1207);
  const char* formats[] = {"%lf", "%.17g", "%e", "%+.3f", "%12.4E", "%#.0f", "%-9.2g|", "%G"};
  std::vector<double> values;
  std::vector<const char*> used;
  std::vector<std::string> written{"2.500000"};
  for (int i = 0; i < 2000; ++i) {
    values.push_back(std::ldexp(static_cast<double>(static_cast<std::int32_t>(random())),
                                static_cast<int>(random() % 120) - 60));
    used.push_back(formats[random() % 8]);
    char text[256];
    std::snprintf(text, sizeof text, used.back(), values.back());
    written.push_back(text);
  }
  const std::string alphabet = "0123456789.,-+eE xinfa";
  std::vector<std::string> texts{"2.5", "1,5", " 1.234,5", "-0,0", "1e3,2", "0x1.8p1", "inf"};
  for (int i = 0; i < 2000; ++i) {
    std::string line;
    for (int n = 1 + static_cast<int>(random() % 12); n > 0; --n)
      line += alphabet[random() % alphabet.size()];
    texts.push_back(line);
  }
  std::string readable;
  std::vector<double> read;
  std::vector<bool> refused;
  for (const std::string& line : texts) {
    readable += line + "\n";
    const char* start = line.c_str() + std::min(line.find_first_not_of(' '), line.size());
    char* end = nullptr;
    read.push_back(std::strtod(start, &end));
    refused.push_back(end == start);
  }
  writeRaw("in", readable);

  ASSERT_TRUE(comma.enter());
  KtTextFile out;
  ASSERT_EQ(out.open(path("out").c_str(), KT_FILE_WRITE), KT_FILE_OK);
  EXPECT_EQ(out.writeLine(2.5), KT_FILE_OK);
  for (std::size_t i = 0; i < values.size(); ++i) out.writeLine(values[i], used[i]);
  out.close();
  std::vector<std::string> lines = linesOf(readRaw("out"));
  ASSERT_EQ(lines.size(), written.size());
  for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], written[i]);

  KtTextFile in;
  ASSERT_EQ(in.open(path("in").c_str(), KT_FILE_READ), KT_FILE_OK);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    double value = -7.25;
    const KtFileCodeEnum result = in.readLine(value);
    ASSERT_EQ(result, refused[i] ? KT_FILE_READ_ERROR : KT_FILE_OK) << "[" << texts[i] << "]";
    ASSERT_EQ(bitsOf(value), bitsOf(refused[i] ? -7.25 : read[i])) << "[" << texts[i] << "]";
  }
}

TEST_F(TextFileTest, CopiesAreTextFiles) {
  KtTextFile file;
  KtObject* clone = file.cloneObject();
  EXPECT_NE(dynamic_cast<KtTextFile*>(clone), nullptr);
  delete clone;
  KtFile* attributes = file.cloneAttributes();
  EXPECT_NE(dynamic_cast<KtTextFile*>(attributes), nullptr);
  delete attributes;
  EXPECT_EQ(file.sizeOf(),
            KtFile().sizeOf() + static_cast<std::int32_t>(sizeof(KtTextFile) - sizeof(KtFile)));
}

}  // namespace
