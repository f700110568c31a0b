// Writing syntax trees back: text to binary to text, and text to JSON to text, give what text to
// text gives; binary to text to binary gives the binary back, and JSON to tree to JSON the JSON;
// for the corpus and for random documents.
#include "tools/omltool/tree_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_test_util.h"
#include "tools/omltool/json_reader.h"
#include "tools/omltool/json_writer.h"

namespace {

class RoundTripTest : public TempDirTest {
 protected:
  RoundTripTest() : grammar_(newCorpusGrammar()) {}

  // Reads a file; the reading's messages go to `log`.
  std::unique_ptr<LoggingOMLFile> read(const std::string& file, bool binary, std::string& log) {
    auto reader = std::make_unique<LoggingOMLFile>();
    reader->readOMLFile(file.c_str(), grammar_.get(), nullptr, -1, binary, 0, 0);
    log = reader->log;
    return reader;
  }
  // Writes the reader's tree to `name`; the bytes written. Counts the fields binary could not
  // name.
  std::string write(const KtOMLFile& reader, const std::string& name, bool binary) {
    TreeWriter writer(reader.pSyntaxTree());
    EXPECT_EQ(writer.writeOMLFile(path(name).c_str(), grammar_.get(), nullptr, binary, 0, 0),
              KT_FILE_OK);
    unnamed_ = writer.unnamedFields();
    return readRaw(name);
  }
  std::string writeJson(const KtOMLFile& reader, const std::string& name) {
    JsonWriter writer(reader.pSyntaxTree(), nullptr);
    EXPECT_EQ(writer.writeOMLFile(path(name).c_str(), grammar_.get(), nullptr, 0, 0, 0),
              KT_FILE_OK);
    return readRaw(name);
  }
  // Text to JSON to text gives `text`, and the JSON read back writes the same JSON.
  std::string jsonRoundTrip(const KtOMLFile& original, const std::string& text) {
    const std::string json = writeJson(original, "j1.json");
    JsonReader fromJson;
    std::string error;
    TextPlace place;
    if (!fromJson.read(path("j1.json"), grammar_.get(), dir_, error, place))
      return "reading the written JSON: " + error + "\n" + json;
    if (write(fromJson, "t4.oml", false) != text)
      return "text to JSON to text differs:\n" + text + "\n---\n" + readRaw("t4.oml");
    if (writeJson(fromJson, "j2.json") != json) return "JSON to JSON differs:\n" + json;
    return "";
  }

  // The round trips of one text file; "" when all agree, else what went wrong.
  std::string roundTrips(const std::string& file) {
    std::string log;
    auto original = read(file, false, log);
    if (!log.empty() || original->pSyntaxTree() == nullptr) return "reading: " + log;
    const std::string text = write(*original, "t1.oml", false);
    const std::string binary = write(*original, "b1.omlb", true);
    const int unnamed = unnamed_;
    auto fromText = read(path("t1.oml"), false, log);
    if (!log.empty()) return "reading the written text: " + log + text;
    if (write(*fromText, "t2.oml", false) != text) return "text to text differs:\n" + text;
    const std::string json = jsonRoundTrip(*original, text);
    if (!json.empty()) return json;
    // Unchecked fields the grammar cannot name stay out of binary files.
    if (unnamed > 0) return file.find("unchecked") != std::string::npos ? "" : "fields left out";
    auto fromBinary = read(path("b1.omlb"), true, log);
    if (!log.empty()) return "reading the written binary: " + log;
    if (write(*fromBinary, "t3.oml", false) != text)
      return "text to binary to text differs:\n" + text + "\n---\n" + readRaw("t3.oml");
    if (write(*fromBinary, "b2.omlb", true) != binary) return "binary to binary differs";
    return "";
  }

  std::unique_ptr<KtOMLStatic> grammar_;
  int unnamed_ = 0;
};

TEST_F(RoundTripTest, Corpus) {
  namespace fs = std::filesystem;
  int files = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(KTBASE_OML_TESTDATA) / "valid")) {
    if (entry.path().extension() != ".oml") continue;
    // Included files are found from the file's own folder.
    const fs::path previous = fs::current_path();
    fs::current_path(entry.path().parent_path());
    EXPECT_EQ(roundTrips(entry.path().filename().string()), "") << entry.path();
    fs::current_path(previous);
    ++files;
  }
  EXPECT_GT(files, 5);
}

TEST(OwnIDTest, AnonymousObjectsHaveNone) {
  EXPECT_EQ(ownID("$,1,7"), "7");
  EXPECT_EQ(ownID("$,g,-3"), "");
  EXPECT_EQ(ownID("$,g,-1"), "-1");
  EXPECT_EQ(ownID("$,g,name"), "name");
  EXPECT_EQ(ownID("$"), "");
}

// Random graphs of the corpus grammar with every kind of value, ids of every form, sections,
// a wildcard, defaults and unchecked fields.
class GraphGenerator {
 public:
  explicit GraphGenerator(unsigned seed) : random_(seed) {}

  std::string document() {
    std::string out = "Graph 1 {\n";
    for (int i = 0; i < pick(4); ++i) out += graphField();
    std::vector<std::string> nodes;
    const int count = pick(6);
    for (int i = 0; i < count; ++i) {
      const bool named = pick(3) != 0;
      const std::string id = pick(2) != 0 ? std::to_string(10 + i) : "n" + std::to_string(i);
      if (named) nodes.push_back(id);
      out += std::string(pick(4) == 0 ? "layout " : "") + "Node " + (named ? id : "") + " {\n" +
             nodeFields(nodes) + "}\n";
    }
    if (pick(2) == 0)
      out += "Node defaults { x: " + std::to_string(pick(9)) + " Node d1 { y: 1 } }\n";
    for (int i = 0; i < pick(4) && !nodes.empty(); ++i)
      out += "Edge { source: " + reference(nodes) + " target: " + reference(nodes) +
             (pick(2) == 0 ? " weight: " + real() : std::string()) + " }\n";
    // Unchecked names the grammar knows: the binary encoding can name them.
    if (pick(3) == 0) out += "{ comment: \"unchecked\" x: \"text\" spacing: 5 }\n";
    if (pick(3) == 0) out += "layout { comment: \"unchecked\" x: 1.5 y: 0x0a }\n";
    return out + "}\n";
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  // At most eight significant digits, which a binary real keeps.
  std::string real() {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%06d", pick(2) != 0 ? "-" : "", pick(100),
                  pick(1000000));
    return text;
  }

  std::string string() {
    // Bytes that are not UTF-8 too: a lone byte, a cut sequence, an encoded surrogate, and the
    // encoding of a code point that the JSON form uses for such bytes.
    static const char* const pieces[] = {
        "a",        "B c", "\\\"", "\\\\", "\\r",  "\\n",      "\n",           "\t",
        "\xC3\xA9", "#",   "{",    "0x",   "\xFF", "\xE2\x82", "\xED\xA0\x80", "\xF4\x8F\xBE\x80"};
    std::string s = "\"";
    for (int i = 0; i < pick(6); ++i) s += pieces[pick(16)];
    return s + "\"";
  }

  std::string bytes() {
    static const char hex[] = "0123456789abcdef";
    std::string s = "0x";
    const int n = pick(4) == 0 ? pick(300) : pick(20);
    for (int i = 0; i < 2 * n; ++i) s += hex[pick(16)];
    return s;
  }

  std::string graphField() {
    switch (pick(6)) {
      case 0:
        return "label: " + string() + "\n";
      case 1:
        return std::string("directed: ") + (pick(2) != 0 ? "true" : "false") + "\n";
      case 2:
        return std::string("shape: ") + (pick(2) != 0 ? "circle" : "oval") + "\n";
      case 3:
        return "layout { spacing: " + real() + " grid step: " + std::to_string(pick(50)) + " }\n";
      case 4:
        return "_ inner depth: " + std::to_string(pick(9)) + "\n";
      default:
        return "style border thickness = " + std::to_string(pick(9)) + ";\n";
    }
  }

  std::string reference(const std::vector<std::string>& nodes) {
    const std::string& id = nodes[static_cast<std::size_t>(pick(static_cast<int>(nodes.size())))];
    return pick(2) != 0 ? id : "$,1," + id;
  }

  std::string nodeFields(const std::vector<std::string>& nodes) {
    std::string out;
    for (int i = 0; i < pick(5); ++i) {
      switch (pick(6)) {
        case 0:
          out += "x: " + std::to_string(pick(2000) - 1000) + "\n";
          break;
        case 1:
          out += "y: " + std::to_string(pick(2) != 0 ? -2147483647 - 1 : 2147483647) + "\n";
          break;
        case 2:
          out += "weight: " + real() + "\n";
          break;
        case 3:
          out += "address: " + std::to_string(pick(256)) + "." + std::to_string(pick(256)) + "." +
                 std::to_string(pick(256)) + "." + std::to_string(pick(256)) + "\n";
          break;
        case 4:
          out += "data: " + bytes() + "\n";
          break;
        default:
          if (!nodes.empty()) out += "next: " + reference(nodes) + "\n";
      }
    }
    return out;
  }

  std::mt19937 random_;
};

TEST_F(RoundTripTest, RandomDocuments) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    writeRaw("r.oml", GraphGenerator(seed).document());
    ASSERT_EQ(roundTrips(path("r.oml")), "") << "seed " << seed << "\n" << readRaw("r.oml");
  }
}

}  // namespace
