#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

class LexerTest : public TempDirTest {
 protected:
  LexerTest() : grammarOwner_(newCorpusGrammar()), grammar_(*grammarOwner_) {
    file_.pErrorStringBuffer(4096);
    file_.pWarningStringBuffer(4096);
  }

  // The tokens of a text, written to a file named `name`.
  std::string text(const std::string& content, const std::string& name = "t.oml") {
    writeRaw(name, content);
    return KtOMLFileProbe::tokens(file_, grammar_, path(name).c_str(), false);
  }
  std::string binary(const std::string& content, const std::string& name = "t.omlb") {
    writeRaw(name, content);
    return KtOMLFileProbe::tokens(file_, grammar_, path(name).c_str(), true);
  }
  // The messages of the last reading, with the temporary directory left out of file names.
  std::string messages() {
    std::string log = file_.log;
    for (std::size_t at; (at = log.find(dir_ + "/")) != std::string::npos;)
      log.erase(at, dir_.size() + 1);
    file_.log.clear();
    return log;
  }

  std::unique_ptr<KtOMLStatic> grammarOwner_;
  KtOMLStatic& grammar_;
  LoggingOMLFile file_;
};

TEST_F(LexerTest, PunctuationWhiteSpaceAndComments) {
  EXPECT_EQ(text("{ ( [ < > ] ) }\n:=;  # a comment ( \n// another {\n/* a\n block */ %"),
            "{ @1:1\n( @1:3\n[ @1:5\n< @1:7\n> @1:9\n] @1:11\n) @1:13\n} @1:15\n"
            ": @2:1\n= @2:2\n; @2:3\n"
            "err 37 @5:11\n");
  EXPECT_EQ(messages(), "");
  // Every line ending counts one line.
  EXPECT_EQ(text("a\r\nb\rc\n\rd"), "scope a @1:1\nscope b @2:1\nscope c @3:1\nscope d @4:1\n");
}

TEST_F(LexerTest, Numbers) {
  EXPECT_EQ(text("12 -5 +7 2147483648 -2147483648 99999999999"),
            "int 12 @1:2\nint -5 @1:5\nint 7 @1:8\nint -2147483648 @1:19\n"
            "int -2147483648 @1:31\nint 1215752191 @1:43\n");
  EXPECT_EQ(text("12. .5 1.5e3 -.5 2E-2 1e 7e+ 92.070000 -3.25"),
            "real 12 @1:3\nreal 0.5 @1:6\nreal 1500 @1:12\nreal -0.5 @1:16\nreal 0.02 @1:21\n"
            "real 1 @1:24\nreal 7 @1:28\nreal 92.069999999999993 @1:38\nreal -3.25 @1:44\n");
  EXPECT_EQ(text("255.255.255.255 0.0.0.7 1.2.3 1.2.300.4 300.1.1.1 1.2.3.4.5 1.2."),
            "ip 255.255.255.255 @1:15\nip 0.0.0.7 @1:23\nerr 0 @1:29\nerr 0 @1:39\n"
            "real 300.10000000000002 @1:45\nreal 0.10000000000000001 @1:47\n"
            "real 0.10000000000000001 @1:49\nip 1.2.3.4 @1:57\nreal 0.5 @1:59\nerr 0 @1:64\n");
  EXPECT_EQ(text("- + -x . 1e999 -1e999 1e-999"),
            "err 0 @1:1\nerr 0 @1:3\nerr 0 @1:5\nfield X @1:6\nerr 0 @1:8\nreal inf @1:14\n"
            "real -inf @1:21\nreal 0 @1:28\n");
}

// Reals of every length and precision read as the C library reads them, to the last bit.
TEST_F(LexerTest, RealsAsTheCLibraryReadsThem) {
  std::mt19937 random(7);
  std::string content, expected;
  for (int i = 0; i < 4000; ++i) {
    std::string number = i % 5 == 0 ? "-" : i % 7 == 0 ? "+" : "";
    const int whole = static_cast<int>(random() % 21);
    const int decimals = static_cast<int>(random() % 26);
    for (int d = 0; d < whole; ++d) number += static_cast<char>('0' + random() % 10);
    number += '.';
    for (int d = 0; d < decimals; ++d) number += static_cast<char>('0' + random() % 10);
    if (whole == 0 && decimals == 0) number += '5';
    if (i % 11 == 0) number += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
    content += number + "\n";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "real %.17g @%d:%zu\n",
                  std::strtod(number.c_str(), nullptr), i + 1, number.size());
    expected += buffer;
  }
  EXPECT_EQ(text(content), expected);
  EXPECT_EQ(messages(), "");
}

TEST_F(LexerTest, BinarySequencesInText) {
  // An odd last digit is a high half; the character after it stays. (The empty sequence and
  // the next one are adjacent, so they are joined.)
  EXPECT_EQ(text("0x1F2} 0x 0xAbCd;0x0g 00x7"),
            "bin 1f20 @1:5\n} @1:6\nbin abcd @1:9\n; @1:17\nbin 00 @1:20\nscope g @1:21\n"
            "bin 70 @1:26\n");
  // Adjacent sequences are joined into the first.
  EXPECT_EQ(text("0x0102\n  0x03\n0x04 5"), "bin 01020304 @1:6\nint 5 @3:6\n");
}

TEST_F(LexerTest, IdentifiersAndScopes) {
  EXPECT_EQ(text("Graph node NODE label LAYOUT skip _ Box true FALSE spacing other _x9"),
            "type GRAPH @1:5\ntype NODE @1:10\ntype NODE @1:15\nfield LABEL @1:21\n"
            "sec LAYOUT @1:28\nsec SKIP @1:33\nsec _ @1:35\nval BOX @1:39\nval TRUE @1:44\n"
            "val FALSE @1:50\nfield SPACING @1:58\nscope other @1:64\nscope _x9 @1:68\n");
  EXPECT_EQ(text("a|b|3 a,b,3 $x $,x $|x $-2 $ $+4,y a,% 12,-3|z x, $$"),
            "scope a,b,3 @1:5\nscope a,b,3 @1:11\nscope $,x @1:14\nscope $,x @1:18\n"
            "scope $,x @1:22\nscope $,-2 @1:26\nscope $ @1:28\nscope $,+4,y @1:34\n"
            "err 0 @1:37\nerr 37 @1:38\nscope 12,-3,z @1:46\nerr 0 @1:49\nscope $ @1:51\n"
            "scope $ @1:52\n");
  // Declared fields and sections, and unchecked mode, where every word is a field.
  writeRaw("d.oml", "extra more graph x label");
  const std::string declared =
      KtOMLFileProbe::tokens(file_, grammar_, path("d.oml").c_str(), false, [](KtOMLFile& f) {
        KtOMLFileProbe::declareField(f, "extra");
        KtOMLFileProbe::declareSection(f, "more");
      });
  EXPECT_EQ(declared,
            "field? EXTRA @1:5\nsec MORE* @1:10\ntype GRAPH @1:16\nfield X @1:18\n"
            "field LABEL @1:24\n");
  const std::string unchecked =
      KtOMLFileProbe::tokens(file_, grammar_, path("d.oml").c_str(), false,
                             [](KtOMLFile& f) { KtOMLFileProbe::unchecked(f, true); });
  EXPECT_EQ(unchecked,
            "field EXTRA* @1:5\nfield MORE* @1:10\nfield GRAPH* @1:16\n"
            "field X @1:18\nfield LABEL @1:24\n");
  EXPECT_EQ(messages(), "");
}

// The grammar's words are shared by its readings: what one file declares stays with that
// reading, and names the grammar gains between readings are words from the next one on.
TEST_F(LexerTest, WordsOfTheGrammarAcrossReadings) {
  writeRaw("d.oml", "extra more");
  EXPECT_EQ(KtOMLFileProbe::tokens(file_, grammar_, path("d.oml").c_str(), false,
                                   [](KtOMLFile& f) {
                                     KtOMLFileProbe::declareField(f, "extra");
                                     KtOMLFileProbe::declareSection(f, "more");
                                   }),
            "field? EXTRA @1:5\nsec MORE* @1:10\n");
  LoggingOMLFile other;
  EXPECT_EQ(KtOMLFileProbe::tokens(other, grammar_, path("d.oml").c_str(), false),
            "scope extra @1:5\nscope more @1:10\n");
  EXPECT_EQ(text("extra more"), "scope extra @1:5\nscope more @1:10\n");

  const char* const fields[] = {"extra", nullptr};
  const char* const sections[] = {"more", nullptr};
  grammar_.installFieldTable(fields);
  grammar_.installSectionTable(sections);
  EXPECT_EQ(text("extra more Extra"), "field EXTRA @1:5\nsec MORE @1:10\nfield EXTRA @1:16\n");
  EXPECT_EQ(KtOMLFileProbe::tokens(other, grammar_, path("d.oml").c_str(), false),
            "field EXTRA @1:5\nsec MORE @1:10\n");
  EXPECT_EQ(messages(), "");
}

// Readings on several threads take the grammar's words as they are first made. (Each reads a
// file of its own: a file being read is locked.)
TEST_F(LexerTest, ReadingsOnThreadsShareTheGrammarsWords) {
  std::unique_ptr<KtOMLStatic> fresh(newCorpusGrammar());
  std::vector<std::string> seen(4);
  for (std::size_t i = 0; i < seen.size(); ++i)
    writeRaw("t" + std::to_string(i) + ".oml", "Graph label other");
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&, i] {
      const std::string name = path("t" + std::to_string(i) + ".oml");
      LoggingOMLFile reader;
      for (int n = 0; n < 20; ++n)
        seen[i] += KtOMLFileProbe::tokens(reader, *fresh, name.c_str(), false) + reader.log;
    });
  for (std::thread& t : threads) t.join();
  std::string expected;
  for (int n = 0; n < 20; ++n)
    expected += "type GRAPH @1:5\nfield LABEL @1:11\nscope other @1:17\n";
  for (const std::string& s : seen) EXPECT_EQ(s, expected);
}

TEST_F(LexerTest, StringsAndEscapes) {
  EXPECT_EQ(
      text("\"plain\" \"a\\\"b\\\\c\" \"\\a\\b\\f\\n\\r\\t\\v\\q\\101\\7x\\x41\\x4g\\x\" \"\""),
      "str \"plain\" @1:7\nstr \"a\"b\\5cc\" @1:17\n"
      "str \"\\07\\08\\0c\\0a\\0d\\09\\0bqA\\07xA\\04gx\" @1:53\nstr \"\" @1:56\n");
  // A string runs over lines (each line ending as one line feed) and keeps its characters.
  EXPECT_EQ(text("\"one\r\ntwo {\\\n}\" x"), "str \"one\\0atwo {\\0a}\" @3:2\nfield X @3:4\n");
  EXPECT_EQ(messages(), "");
  EXPECT_EQ(text("label \"open\n\nstill"),
            "field LABEL @1:5\nstr \"open\\0a\\0astill\\0a\" @3:6\n");
  EXPECT_EQ(messages(), "Error #018 (t.oml:1:7) unterminated string !\n");
}

TEST_F(LexerTest, CommentsAndBracketsReport) {
  EXPECT_EQ(text("x /* never\nclosed"), "field X @1:1\n");
  EXPECT_EQ(messages(), "Error #017 (t.oml:1:3) unterminated comment !\n");
  EXPECT_EQ(text("{ ( ] }\n}"), "{ @1:1\n( @1:3\n] @1:5\n} @1:7\n} @2:1\n");
  EXPECT_EQ(messages(),
            "Warning #050 (t.oml:1:3) left bracket different than right bracket !\n"
            "Warning #051 (t.oml:1:5) right bracket different than left bracket !\n"
            "Error #016 (t.oml:2:1) right bracket without left bracket !\n");
  EXPECT_EQ(text("{\n  [ (\n)"), "{ @1:1\n[ @2:3\n( @2:5\n) @3:1\n");
  EXPECT_EQ(messages(), "Error #015 (t.oml:2:3) left bracket without right bracket !\n");
  // The default hooks collect the same lines.
  EXPECT_EQ(file_.pErrorStringBuffer(),
            "Error #015 (" + path("t.oml") + ":2:3) left bracket without right bracket !\n");
}

// Positions are counted in 32 bits: a token far out on a long line is placed right.
TEST_F(LexerTest, LongLines) {
  const std::string line = std::string(70000, ' ') + "x \"";
  EXPECT_EQ(text(line), "field X @1:70001\nstr \"\\0a\" @1:70004\n");
  EXPECT_EQ(messages(), "Error #018 (t.oml:1:70003) unterminated string !\n");
}

// Every kind of line ending (LF, CR, CR LF, LF CR), lines far longer than the blocks a file is
// read in, and strings and comments over many lines and blocks: the tokens, their places and
// the messages are those of the same text with every ending a line feed.
TEST_F(LexerTest, LineEndingsAndBlocks) {
  static const char* const kEndings[] = {"\n", "\r", "\r\n", "\n\r"};
  static const char* const kWords[] = {"x",     "label", "12",      "-7",   "3.5e2", "$,1,2",
                                       "a|b|3", "{",     "}",       ":",    "0x0a1", "10.0.0.1",
                                       "\"s\"", "# c",   "/* c */", "Node", ";",     "\"q\\\"\""};
  std::mt19937 random(5);
  for (int round = 0; round < 8; ++round) {
    // Lines are never empty, so that two endings never run into one.
    std::vector<std::string> lines;
    std::size_t size = 0;
    const std::size_t wanted = round < 4 ? 250000 + random() % 400000 : 1 + random() % 3000;
    while (size < wanted) {
      std::string line = " ";
      const int words = random() % 60 == 0 ? 40000 : static_cast<int>(random() % 8);
      for (int w = 0; w < words; ++w) line += std::string(kWords[random() % 18]) + " ";
      if (random() % 30 == 0) line += random() % 2 == 0 ? "\"open" : "/* open";
      if (random() % 30 == 0) line += random() % 2 == 0 ? "close\" " : "close */ ";
      size += line.size() + 1;
      lines.push_back(line);
    }
    std::string normal, mixed;
    for (const std::string& line : lines) {
      normal += line + "\n";
      mixed += line + kEndings[random() % 4];
    }
    if (round % 2 == 1) {  // a last line without ending
      normal.pop_back();
      while (mixed.back() == '\n' || mixed.back() == '\r') mixed.pop_back();
    }
    const std::string expected = text(normal);
    const std::string expectedMessages = messages();
    ASSERT_EQ(text(mixed), expected) << round;
    ASSERT_EQ(messages(), expectedMessages) << round;
  }
}

TEST_F(LexerTest, ErrorLimit) {
  file_.maxNumberOfErrors(16);
  EXPECT_EQ(text(std::string(20, '}') + "\n\"x").substr(0, 8), "} @1:1\n}");
  std::string expected;
  for (int i = 1; i <= 16; ++i)
    expected +=
        "Error #016 (t.oml:1:" + std::to_string(i) + ") right bracket without left bracket !\n";
  expected += "Fatal error #010 too many errors !\n";
  EXPECT_EQ(messages(), expected);
  EXPECT_EQ(file_.numberOfErrors(), 17);
  EXPECT_EQ(file_.isFatalError(), 1);
}

TEST_F(LexerTest, MessageBuffers) {
  // 20 bytes hold at most 14 characters of messages, then "...\n".
  file_.pErrorStringBuffer(20);
  text("}");
  EXPECT_STREQ(file_.pErrorStringBuffer(), "Error #016 (/t...\n");
  text("} }");
  EXPECT_STREQ(file_.pErrorStringBuffer(), "Error #016 (/t...\n");
  EXPECT_EQ(file_.errorStringBufferSize(), 20u);
  EXPECT_EQ(file_.pErrorStringBuffer(-1), file_.pErrorStringBuffer());
  EXPECT_EQ(file_.pErrorStringBuffer(0), nullptr);
  text("}");  // without a buffer the message goes nowhere else
  EXPECT_EQ(file_.numberOfErrors(), 1);
  messages();
}

// Reports without a place: a warning's number is padded with blanks, an error's with zeros.
class ReportingFile : public KtOMLFile {
 public:
  using KtOMLFile::vErrorMessage;
  using KtOMLFile::vWarningMessage;
};

TEST(OMLDiagnosticsTest, WithoutPlace) {
  ReportingFile file;
  file.pErrorStringBuffer(200);
  file.pWarningStringBuffer(200);
  file.vWarningMessage("", -1, -1, 3, "something wrong");
  file.vErrorMessage("", -1, -1, 4, "x", 0);
  file.vWarningMessage("f.oml", 7, 0, 50, "left");
  EXPECT_STREQ(file.pWarningStringBuffer(),
               "Warning #  3 something wrong !\nWarning #050 (f.oml:7:0) left !\n");
  EXPECT_STREQ(file.pErrorStringBuffer(), "Error #004 x !\n");
}

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST_F(LexerTest, BinaryForms) {
  EXPECT_EQ(
      binary(bytes({'i', 0xFF, 'I', 0, 0,   1, 0,    'I',  0xFF, 0xFF, 0xFF, 0xFF, 'p',  7,   'P',
                    10,  0,    0,   1, 'R', 0, 0xE4, 0xE1, 0xC0, 'R',  0xFF, 0xFF, 0xFF, 0xF9})),
      "int 255 @2:0\nint 256 @7:0\nint -1 @12:0\nip 0.0.0.7 @14:0\nip 10.0.0.1 @19:0\n"
      "real 1.5 @29:0\n");
  EXPECT_EQ(binary("{o\1f\4:N7\"}$\"$1,2\"$,3\"\"a\\\"b\\\\\"Xi\3abcXi\1de\1e\2;"),
            "{ @1:0\ntype GRAPH @3:0\nfield ID @5:0\n: @6:0\nscope 7 @9:0\n} @10:0\n"
            "scope $ @12:0\nscope $,1,2 @17:0\nscope $,3 @21:0\nstr \"a\"b\\5c\" @29:0\n"
            "bin 61626364 @35:0\nval FALSE @41:0\nval BOX @43:0\n; @44:0\n");
  EXPECT_EQ(messages(), "");
  EXPECT_EQ(binary("\"\""), "str \"\" @2:0\n");  // the empty string, first thing read
  // Indexes beyond their pools, and unknown tags, are error tokens.
  EXPECT_EQ(binary(bytes({'o', 9, 'S', 0, 0, 0, 0x50, 'f', 0x63, 'Z'})),
            "err 111 @2:0\nerr 83 @7:0\nerr 102 @9:0\nerr 90 @10:0\n");
}

TEST_F(LexerTest, TruncatedBinary) {
  EXPECT_EQ(binary("i"), "");
  EXPECT_EQ(messages(), "Error #019 (t.omlb:1:0) unterminated binary sequence !\n");
  EXPECT_EQ(binary("I\1\2"), "");
  EXPECT_EQ(messages(), "Error #019 (t.omlb:3:0) unterminated binary sequence !\n");
  EXPECT_EQ(binary("\"abc"), "str \"abc\" @4:0\n");
  EXPECT_EQ(messages(), "Error #018 (t.omlb:4:0) unterminated string !\n");
  EXPECT_EQ(binary("N12"), "scope 12 @3:0\n");
  EXPECT_EQ(messages(), "Error #018 (t.omlb:3:0) unterminated string !\n");
  // A length far beyond the file claims nothing ahead of the bytes that exist.
  EXPECT_EQ(binary("XI\x7F\xFF\xFF\xFFshort"), "");
  EXPECT_EQ(messages(), "Error #019 (t.omlb:11:0) unterminated binary sequence !\n");
  EXPECT_EQ(binary("X"), "");
  EXPECT_EQ(messages(), "Error #019 (t.omlb:1:0) unterminated binary sequence !\n");
  EXPECT_EQ(binary("XI\xFF\xFF\xFF\xFF{"), "err 0 @6:0\n{ @7:0\n");
  EXPECT_EQ(messages(), "Error #015 (t.omlb:7:0) left bracket without right bracket !\n");
  EXPECT_EQ(binary(bytes({'{', 'R', 0, 0, 0, 1})), "{ @1:0\n");
  EXPECT_EQ(messages(),
            "Error #019 (t.omlb:6:0) unterminated binary sequence !\n"
            "Error #015 (t.omlb:1:0) left bracket without right bracket !\n");
  EXPECT_EQ(binary(bytes({'r', 1, 'x'})), "err 0 @3:0\n");
}

TEST_F(LexerTest, IncludedFiles) {
  writeRaw("inner.oml", "y \"in\"\n  }");
  writeRaw("middle.oml", "x\ninclude: \"" + path("inner.oml") + "\" label\n");
  EXPECT_EQ(text("{ input \"" + path("middle.oml") + "\"\nnode", "main.oml"),
            "{ @1:1\nfield INPUT @1:7\nstr \"" + path("middle.oml") +
                "\" @1:" + std::to_string(10 + path("middle.oml").size()) +
                "\nfield X @1:1\nfield INCLUDE @2:7\n: @2:8\nstr \"" + path("inner.oml") +
                "\" @2:" + std::to_string(11 + path("inner.oml").size()) +
                "\nfield Y @1:1\nstr \"in\" @1:6\n} @2:3\nfield LABEL @2:" +
                std::to_string(17 + path("inner.oml").size()) + "\ntype NODE @2:4\n");
  EXPECT_EQ(messages(), "");
  // An unterminated string or comment ends with its own file.
  writeRaw("open.oml", "\"never closed\n");
  writeRaw("comment.oml", "/* never closed\n");
  const std::string statements =
      "include \"" + path("open.oml") + "\" include \"" + path("comment.oml") + "\" x";
  const std::string tokens = text(statements, "main.oml");
  EXPECT_EQ(tokens.substr(tokens.find("str \"never")),
            "str \"never closed\\0a\" @1:14\nfield INCLUDE @1:" +
                std::to_string(statements.size() - 2 - path("comment.oml").size() - 3) +
                "\nstr \"" + path("comment.oml") +
                "\" @1:" + std::to_string(statements.size() - 2) +
                "\nfield X @1:" + std::to_string(statements.size()) + "\n");
  EXPECT_EQ(messages(),
            "Error #018 (open.oml:1:1) unterminated string !\n"
            "Error #017 (comment.oml:1:1) unterminated comment !\n");
}

TEST_F(LexerTest, IncludeFailuresAndCycles) {
  text("x\n  include \"missing.oml\" y", "main.oml");
  EXPECT_EQ(messages(), "Fatal error #013 (main.oml:2:23) cannot open `missing.oml' !\n");
  EXPECT_EQ(file_.errorCode(), KT_FILE_OPEN_ERROR);
  // A file that includes itself, by its own name and by another name for it.
  writeRaw("self.oml", "include \"" + path("self.oml") + "\"");
  text("include \"" + path("self.oml") + "\"", "main.oml");
  EXPECT_EQ(messages(),
            "Fatal error #013 (self.oml:1:" + std::to_string(10 + path("self.oml").size()) +
                ") cannot open `self.oml' !\n");
  ASSERT_EQ(symlink(path("loop.oml").c_str(), path("alias.oml").c_str()), 0);
  writeRaw("loop.oml", "include \"" + path("alias.oml") + "\"");
  text("include \"" + path("loop.oml") + "\"", "main.oml");
  EXPECT_EQ(messages(),
            "Fatal error #013 (loop.oml:1:" + std::to_string(10 + path("alias.oml").size()) +
                ") cannot open `alias.oml' !\n");
  // The main file missing: no place.
  KtOMLFileProbe::tokens(file_, grammar_, path("none.oml").c_str(), false);
  EXPECT_EQ(messages(), "Fatal error #013 cannot open `none.oml' !\n");
}

// An included file must be a regular file: a FIFO, a device or a folder is refused at once,
// without waiting. The reader can confine includes to a folder (by default the main file's)
// after resolving '..' and symbolic links, or refuse them all.
TEST_F(LexerTest, IncludesFromFilesNotTrusted) {
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(path("root").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(path("root/sub").c_str(), 0700), 0);
  auto refused = [this](const std::string& name) {
    const std::string shown = name.rfind(dir_ + "/", 0) == 0 ? name.substr(dir_.size() + 1) : name;
    return "Fatal error #013 (root/main.oml:1:" + std::to_string(10 + name.size()) +
           ") cannot open `" + shown + "' !\n";
  };
  auto include = [this](const std::string& name) {
    return text("include \"" + name + "\" z", "root/main.oml");
  };
  for (const std::string& name : {path("fifo"), path("root"), std::string("/dev/null")}) {
    include(name);
    EXPECT_EQ(messages(), refused(name));
  }
  writeRaw("outside.oml", "x");
  writeRaw("root/sub/in.oml", "y");
  ASSERT_EQ(symlink(path("outside.oml").c_str(), path("root/link.oml").c_str()), 0);
  ASSERT_EQ(symlink(path("root/sub/in.oml").c_str(), path("root/inner.oml").c_str()), 0);
  EXPECT_EQ(include(path("outside.oml")),
            "field INCLUDE @1:7\nstr \"" + path("outside.oml") +
                "\" @1:" + std::to_string(10 + path("outside.oml").size()) +
                "\nfield X @1:1\nscope z @1:" + std::to_string(12 + path("outside.oml").size()) +
                "\n");
  EXPECT_EQ(messages(), "");

  file_.includeMode(KT_OML_INCLUDE_BELOW_ROOT);
  for (const std::string& name :
       {path("outside.oml"), path("root/../outside.oml"), path("root/link.oml")}) {
    include(name);
    EXPECT_EQ(messages(), refused(name)) << name;
  }
  for (const std::string& name :
       {path("root/sub/in.oml"), path("root/sub/../sub/in.oml"), path("root/inner.oml")}) {
    EXPECT_NE(include(name).find("field Y @1:1"), std::string::npos) << name;
    EXPECT_EQ(messages(), "") << name;
  }
  file_.includeRoot(dir_.c_str());  // a root of the caller's
  EXPECT_NE(include(path("root/link.oml")).find("field X @1:1"), std::string::npos);
  EXPECT_EQ(messages(), "");
  file_.includeRoot(path("root/sub").c_str());
  include(path("outside.oml"));
  EXPECT_EQ(messages(), refused(path("outside.oml")));
  EXPECT_STREQ(file_.includeRoot(), path("root/sub").c_str());

  file_.includeMode(KT_OML_INCLUDE_NONE);
  include(path("root/sub/in.oml"));
  EXPECT_EQ(messages(), refused(path("root/sub/in.oml")));
  file_.includeMode(KT_OML_INCLUDE_ANYWHERE);
  file_.includeRoot(nullptr);
}

TEST_F(LexerTest, AuxiliaryText) {
  char* text = static_cast<char*>(std::malloc(32));
  std::strcpy(text, "x 12 { \"s\"");
  EXPECT_EQ(KtOMLFileProbe::auxTokens(file_, grammar_, &text),
            "field X @-1:-1\nint 12 @-1:-1\n{ @-1:-1\nstr \"s\" @-1:-1\n");
  EXPECT_EQ(messages(), "Error #015 left bracket without right bracket !\n");
  EXPECT_STREQ(text, "");
  std::free(text);
}

// Random bytes, and random texts made of the format's own characters, in both encodings: every
// reading ends, with or without messages, and the sanitizers see nothing.
TEST_F(LexerTest, HostileInputEnds) {
  std::mt19937 random(11);
  const std::string alphabet = "{}[]()<>:=;\"\\$,|+-.0123456789xeEabcXIiRrSsFfOoNPp_#/*\n \t\r";
  for (int round = 0; round < 200; ++round) {
    std::string content;
    const int length = static_cast<int>(random() % 300);
    for (int i = 0; i < length; ++i)
      content +=
          round % 2 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
    text(content);
    binary(content);
    messages();
  }
  // Nesting far beyond any parser's depth costs the lexer only its bracket records.
  const std::string deep(1000000, '{');
  const std::string tokens = text(deep);
  EXPECT_EQ(std::count(tokens.begin(), tokens.end(), '\n'), 1000000);
  EXPECT_EQ(messages(), "Error #015 (t.oml:1:1000000) left bracket without right bracket !\n");
  // Past the bracket records' limit: memory exhausted, and the input ends there.
  const std::string deeper(1100000, '[');
  binary(deeper);
  EXPECT_EQ(messages(), "Fatal error #012 (t.omlb:1000001:0) memory exhausted !\n");
}

}  // namespace
