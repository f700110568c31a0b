// The excerpts under messages: the caret's column with tabs and UTF-8, the token marked, long
// lines cut around the place; and the lines of a file with every kind of line end.
#include "tools/omltool/caret.h"

#include <gtest/gtest.h>

#include <string>

#include "ktbase/files/file_test_util.h"

namespace {

TEST(CaretExcerptTest, MarksTheTokenThatEndsAtThePlace) {
  const std::string line = "  Node 1 { x: 1.5 shape: square }";
  EXPECT_EQ(caretExcerpt(line, 3, 17),
            "    3 |   Node 1 { x: 1.5 shape: square }\n"
            "      |               ~~^\n");
  EXPECT_EQ(caretExcerpt(line, 3, 33),
            "    3 |   Node 1 { x: 1.5 shape: square }\n"
            "      |                                 ^\n");
  // A string, with an escaped quote inside; a place behind the end of the line.
  EXPECT_EQ(caretExcerpt("label: \"a\\\"b\"", 12, 13),
            "   12 | label: \"a\\\"b\"\n"
            "      |        ~~~~~^\n");
  EXPECT_EQ(caretExcerpt("x", 1, 9), "    1 | x\n      |  ^\n");
  EXPECT_EQ(caretExcerpt("", 1, 1), "    1 | \n      | ^\n");
}

TEST(CaretExcerptTest, TabsControlsAndUtf8TakeTheirColumns) {
  // A tab reaches the next multiple of eight; the caret stands under the same character.
  EXPECT_EQ(caretExcerpt("\tx: 1", 1, 5), "    1 |         x: 1\n      |            ^\n");
  EXPECT_EQ(caretExcerpt("ab\tc", 1, 4), "    1 | ab      c\n      |         ^\n");
  EXPECT_EQ(caretExcerpt("a\x01z", 1, 3), "    1 | a z\n      |   ^\n");
  // "é" is two bytes and one column; the place of the byte after it is column 3.
  EXPECT_EQ(caretExcerpt("a\xC3\xA9z", 1, 4), "    1 | a\xC3\xA9z\n      |   ^\n");
  // A window edge shows its part of a tab, and keeps a character whole: cells 23 to 30 of
  // "é", 21 x, a tab (cells 22 and 23), "yzé" and w's, the caret under the first w.
  const std::string line =
      "\xC3\xA9" + std::string(21, 'x') + "\tyz\xC3\xA9" + std::string(30, 'w');
  EXPECT_EQ(caretExcerpt(line, 1, 29, 8),
            "    1 | ... yz\xC3\xA9wwww...\n"
            "      |        ^\n");
}

TEST(CaretExcerptTest, LongLinesAreShownAroundThePlace) {
  std::string line;
  for (int i = 0; i < 30; ++i) line += "word" + std::to_string(i) + " ";  // 200 characters
  const std::size_t at = line.find("word15") + 6;                         // the 5 of word15
  const std::string excerpt = caretExcerpt(line, 7, static_cast<std::int64_t>(at), 40);
  const std::size_t lineEnd = excerpt.find('\n');
  const std::string shown = excerpt.substr(0, lineEnd);
  const std::string marks = excerpt.substr(lineEnd + 1);
  EXPECT_EQ(shown.substr(0, 11), "    7 | ...");
  EXPECT_EQ(shown.size(), 8u + 3 + 40 + 3);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  // The caret stands under the last character of word15, the tildes under the rest of it.
  const std::size_t caret = marks.find('^');
  EXPECT_EQ(shown[caret], '5');
  EXPECT_EQ(shown.substr(caret - 5, 6), "word15");
  EXPECT_EQ(marks.substr(caret - 5), "~~~~~^\n");
  // At the start, nothing is cut before; at the end, nothing after, and the window stays full.
  EXPECT_EQ(caretExcerpt(line, 7, 2, 40).substr(0, 12), "    7 | word");
  // (one column is kept for a place just behind the end)
  const std::string tail = caretExcerpt(line, 7, 200, 40);
  EXPECT_EQ(tail.substr(0, tail.find('\n')), "    7 | ..." + line.substr(161));
}

class SourceLinesTest : public TempDirTest {};

TEST_F(SourceLinesTest, LineEndsAndOrder) {
  // LF, CR LF, CR, LF CR: each ends one line; a last line without end counts too.
  writeRaw("f.txt", "one\ntwo\r\nthree\rfour\n\rfive");
  SourceLines lines;
  std::string text;
  const char* const expected[] = {"one", "two", "three", "four", "five"};
  for (int i = 4; i >= 0; --i) {  // backwards: each time from the start
    ASSERT_TRUE(lines.line(path("f.txt"), i + 1, text)) << i;
    EXPECT_EQ(text, expected[i]);
  }
  ASSERT_TRUE(lines.line(path("f.txt"), 2, text));
  ASSERT_TRUE(lines.line(path("f.txt"), 5, text));
  EXPECT_EQ(text, "five");
  EXPECT_FALSE(lines.line(path("f.txt"), 6, text));
  EXPECT_FALSE(lines.line(path("f.txt"), 0, text));
  EXPECT_FALSE(lines.line(path("missing.txt"), 1, text));
  // Another file, then the first again.
  writeRaw("g.txt", "alpha\n");
  ASSERT_TRUE(lines.line(path("g.txt"), 1, text));
  EXPECT_EQ(text, "alpha");
  ASSERT_TRUE(lines.line(path("f.txt"), 3, text));
  EXPECT_EQ(text, "three");
}

}  // namespace
