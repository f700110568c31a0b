#include "ktbase/files/text_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "ktbase/files/file_test_util.h"

namespace {

using TextFileTest = TempDirTest;

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
