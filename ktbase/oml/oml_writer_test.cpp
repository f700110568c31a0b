// The writer's exact output in both encodings, and what the reader makes of it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

// A writer whose vWriteContents is a function of the test's.
class ScriptedWriter : public KtOMLFile {
 public:
  std::function<void(KtOMLFile&)> script;

 protected:
  void vWriteContents(KtObject*) override {
    if (script) script(*this);
  }
};

// Objects with an owner and an id of their own.
class Owned : public KtOMLObject {
 public:
  Owned(KtOMLObject* owner, std::int64_t id) : owner_(owner) { iUserField(id); }
  KtOMLObject* pOwnerObject() override { return owner_; }

 private:
  KtOMLObject* owner_;
};

class WriterTest : public TempDirTest {
 protected:
  WriterTest() : grammar_(newCorpusGrammar()) {}

  std::string text(const std::function<void(KtOMLFile&)>& script, KtObject* top = nullptr) {
    writer_.script = script;
    EXPECT_EQ(writer_.writeOMLFile(path("w.oml").c_str(), grammar_.get(), top, 0, 0, 0),
              KT_FILE_OK);
    return readRaw("w.oml");
  }
  std::string binary(const std::function<void(KtOMLFile&)>& script, KtObject* top = nullptr) {
    writer_.script = script;
    EXPECT_EQ(writer_.writeOMLFile(path("w.omlb").c_str(), grammar_.get(), top, 1, 0, 0),
              KT_FILE_OK);
    return readRaw("w.omlb");
  }
  // The tree the corpus reader makes of a file just written.
  std::string readBack(bool binaryFile) {
    LoggingOMLFile reader;
    reader.readOMLFile(path(binaryFile ? "w.omlb" : "w.oml").c_str(), grammar_.get(), nullptr, -1,
                       binaryFile, 0, 0);
    return reader.log + dumpTree(reader);
  }

  std::unique_ptr<KtOMLStatic> grammar_;
  ScriptedWriter writer_;
};

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST_F(WriterTest, LayoutAndOneLineObjects) {
  Owned graph(nullptr, 1), node(&graph, 7);
  auto script = [&](KtOMLFile& w) {
    w.writeObjectStart("Graph", &graph, 0, 1);
    w.writeOpeningBracket();
    w.writeStringAttribute("label", "a \"quoted\" \\ text\r\n");
    w.writeSectionStart("layout", 0);
    w.writeOpeningBracket();
    w.writeAttribute("spacing", 2.5);
    w.writeClosingBracket();
    w.writeBlancLine();
    w.writeObjectStart("Node", &node, 1, 1);
    w.writeOpeningBracket();
    w.writeAttribute("x", 1);
    w.writeAttribute("y", -2147483647 - 1);
    w.writeClosingBracket();
    w.writeObjectDefaultStart("Node");
    w.writeOpeningBracket();
    w.writeAttribute("x", 2147483647);
    w.writeClosingBracket();
    w.writeAttribute("shape", "oval");
    w.writeBoolAttribute("directed", 0);
    w.writeClosingBracket();
  };
  EXPECT_EQ(text(script, &graph),
            "Graph: 1\r\n{\r\n\tlabel: \"a \\\"quoted\\\" \\\\ text\\r\n\"\r\n\tlayout: \r\n\t{\r\n"
            "\t\tspacing: 2.500000\r\n\t}\r\n\r\n\tNode: 7 { x: 1 y: -2147483648 }\r\n"
            "\tNode: defaults\r\n\t{\r\n\t\tx: 2147483647\r\n\t}\r\n\tshape: oval\r\n"
            "\tdirected: false\r\n}\r\n");
  const std::string tree = readBack(false);
  EXPECT_NE(tree.find(".LABEL = str \"a \"quoted\" \\ text\r\n\""), std::string::npos) << tree;
  EXPECT_NE(tree.find(".Y = int -2147483648"), std::string::npos) << tree;
  EXPECT_NE(tree.find(".X = int 2147483647"), std::string::npos) << tree;
  // The same in binary reads back to the same tree, places aside.
  binary(script, &graph);
  auto withoutPlaces = [](std::string t) {
    for (std::size_t at; (at = t.find(" @")) != std::string::npos;)
      t.erase(at, t.find('\n', at) - at);
    return t;
  };
  EXPECT_EQ(withoutPlaces(readBack(true)), withoutPlaces(tree));
}

TEST_F(WriterTest, BinaryForms) {
  EXPECT_EQ(binary([](KtOMLFile& w) { w.writeAttribute("weight", 1.5); }),
            bytes({'f', 17, 'R', 0x00, 0xE4, 0xE1, 0xC0, 'R', 0xFF, 0xFF, 0xFF, 0xF9}));
  EXPECT_EQ(binary([](KtOMLFile& w) {
              w.writeAttribute("x", 255);
              w.writeAttribute("x", 256);
              w.writeAttribute("x", -1);
              w.writeIPBytesAttribute("address", 7);
              w.writeIPBytesAttribute("address", 0x0A000001);
              w.writeBoolAttribute("directed", 1);
              w.writeAttribute("nowhere", 0);
            }),
            bytes({'f',  15,   'i',  0xFF, 'f', 15,  'I',  0,    0,    1,    0,   'f', 15, 'I',
                   0xFF, 0xFF, 0xFF, 0xFF, 'f', 18,  'p',  7,    'f',  18,   'P', 10,  0,  0,
                   1,    'f',  9,    'e',  0,   'F', 0xFF, 0xFF, 0xFF, 0xFF, 'i', 0}));
  EXPECT_EQ(binary([](KtOMLFile& w) { w.writeStringAttribute("label", "a\"b\\"); }),
            "f\x07\"a\\\"b\\\\\"");
  // Infinities and NaN have a form of their own; the reader gets the infinities back.
  EXPECT_EQ(binary([](KtOMLFile& w) {
              w.writeAttribute("weight", std::numeric_limits<double>::infinity());
              w.writeAttribute("weight", std::nan(""));
            }),
            bytes({'f', 17, 'r', 1, 'R', 0, 0, 3, 0xE7, 'f', 17, 'r', 0, 'r', 0}));
}

TEST_F(WriterTest, RealsInFull) {
  char full[400];  // what "%f" gives for 1e300, all 301 digits of it
  std::snprintf(full, sizeof full, "%f", 1e300);
  EXPECT_EQ(text([](KtOMLFile& w) {
              w.writeAttribute("weight", 1e300);
              w.writeAttribute("weight", -std::numeric_limits<double>::infinity());
              w.writeAttribute("weight", std::nan(""));
              w.writeAttribute("weight", 0.1f);
            }),
            "weight: " + std::string(full) +
                "\r\nweight: -1e999\r\nweight: 0.000000\r\nweight: 0.100000\r\n");
}

TEST_F(WriterTest, ByteSequences) {
  std::vector<char> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i);
  KtOMLBinValue seventeen(17, data.data()), many(300, data.data()), empty;
  const std::string out = text([&](KtOMLFile& w) {
    w.writeObjectStart("Node", static_cast<const KtObject*>(nullptr), 0);
    w.writeOpeningBracket();
    w.writeAttribute("data", &seventeen);
    w.writeAttribute("data", static_cast<const KtOMLBinValue*>(nullptr));  // nothing at all
    w.writeAttribute("data", &empty);
    w.writeClosingBracket();
  });
  EXPECT_EQ(out,
            "Node:\r\n{\r\n\tdata: \r\n\t\t0x000102030405060708090a0b0c0d0e0f\r\n\t\t0x10\r\n"
            "\tdata: 0x\r\n}\r\n");
  const std::string long_ = text([&](KtOMLFile& w) { w.writeAttribute("data", &many); });
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = long_.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(long_.substr(at, end - at));
  ASSERT_EQ(lines.size(), 11u);  // the attribute, 9 lines of 32 bytes, one of 12
  EXPECT_EQ(lines[0], "data: ");
  EXPECT_EQ(lines[1].size(), 2u + 64u);
  EXPECT_EQ(lines[10].size(), 2u + 24u);
  // The reader joins the lines into one sequence again.
  text([&](KtOMLFile& w) {
    w.writeObjectStart("Graph", static_cast<const KtObject*>(nullptr), 0);
    w.writeOpeningBracket();
    w.writeObjectStart("Node", static_cast<const KtObject*>(nullptr), 0);
    w.writeOpeningBracket();
    w.writeAttribute("data", &many);
    w.writeClosingBracket();
    w.writeClosingBracket();
  });
  LoggingOMLFile reader;
  ASSERT_EQ(reader.readOMLFile(path("w.oml").c_str(), grammar_.get(), nullptr, -1, 0, 0, 0),
            KT_FILE_OK)
      << reader.log;
  const KtOMLSyntaxObject* node =
      reader.pSyntaxTree()->pObjectList()->pObject->pObjectList()->pObject;
  const KtOMLBinValue* back = node->pFieldList()->pField->pBinValue();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::string(back->pByteSequence(), back->length()), std::string(data.data(), 300));
}

// References: the bare id of a sibling, else the ids from the top-level object down; ids in 64
// bits; nothing for an object without id.
TEST_F(WriterTest, ObjectAddresses) {
  Owned graph(nullptr, 1), node(&graph, 7), deep(&node, std::int64_t{1} << 40), edge(&graph, 9);
  Owned unnamed(&graph, 0);
  auto script = [&](KtOMLFile& w) {
    w.writeAttribute("source", &node, &edge, 1);
    w.writeAttribute("source", &deep, &edge, 1);
    w.writeAttribute("source", &unnamed, &edge, 1);
    w.writeAttribute("target", &node, nullptr, 0);
    w.writeObjectStart("Node", &deep, 0, 1);
  };
  EXPECT_EQ(text(script, &graph),
            "source: 7\r\nsource: $1,7,1099511627776\r\n$1,7\r\nNode: 1099511627776\r\n");
  EXPECT_EQ(binary(script, &graph),
            "f\x15N7\"f\x15$1,7,1099511627776\"$1,7\"o\x02N1099511627776\"");
  // With an index table, objects written with their ids are entered in it.
  writer_.script = script;
  ASSERT_EQ(writer_.writeOMLFile(path("t.oml").c_str(), grammar_.get(), &graph, 0, 1, 0),
            KT_FILE_OK);
  ASSERT_NE(writer_.pIndexHashTable(), nullptr);
  EXPECT_EQ(writer_.pIndexHashTable()->lookup(
                static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&deep))),
            std::int64_t{1} << 40);
}

TEST_F(WriterTest, FailuresAndNulls) {
  writer_.script = [](KtOMLFile& w) {
    for (int i = 0; i < 20000; ++i) w.writeAttribute("x", i);
  };
  EXPECT_EQ(writer_.writeOMLFile("/dev/full", grammar_.get(), nullptr, 0, 0, 0),
            KT_FILE_WRITE_ERROR);
  EXPECT_EQ(writer_.writeOMLFile("/dev/full", grammar_.get(), nullptr, 1, 0, 0),
            KT_FILE_WRITE_ERROR);
  EXPECT_EQ(writer_.writeOMLFile(path("no/dir.oml").c_str(), grammar_.get(), nullptr, 0, 0, 0),
            KT_FILE_OPEN_ERROR);
  EXPECT_EQ(writer_.writeOMLFile(nullptr, grammar_.get(), nullptr, 0, 0, 0),
            KT_FILE_WRITE_ARGUMENT_ERROR);
  EXPECT_EQ(writer_.writeOMLFile(path("x.oml").c_str(), nullptr, nullptr, 0, 0, 0),
            KT_FILE_WRITE_ARGUMENT_ERROR);
  writer_.script = [](KtOMLFile&) { throw 1; };
  EXPECT_EQ(writer_.writeOMLFile(path("x.oml").c_str(), grammar_.get(), nullptr, 0, 0, 0),
            KT_FILE_WRITE_ERROR);
  auto nulls = [](KtOMLFile& w) {
    w.writeObjectStart(nullptr, static_cast<const KtOMLObject*>(nullptr), 0, 1);
    w.writeObjectDefaultStart(nullptr);
    w.writeSectionStart(nullptr, 0);
    w.writeStringAttribute(nullptr, nullptr);
    w.writeAttribute(nullptr, static_cast<const char*>(nullptr));
    w.writeReferenceAttribute(nullptr, nullptr);
  };
  EXPECT_EQ(text(nulls), ":\r\n: defaults\r\n: \r\n: \"\"\r\n: \r\n: \r\n");
  binary(nulls);
}

}  // namespace
