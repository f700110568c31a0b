// The JSON form: the exact document for every kind of value, reals kept exactly, bytes that are
// not UTF-8 kept, names spelled as declared; and JSON that does not fit refused with its place.
#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_test_util.h"
#include "tools/omltool/grammar_file.h"
#include "tools/omltool/json_reader.h"
#include "tools/omltool/json_text.h"
#include "tools/omltool/json_writer.h"
#include "tools/omltool/tree_writer.h"

namespace {

// The corpus grammar as a grammar file, its names in mixed case.
const char kGrammar[] =
    "value box 1\nvalue Circle 2\nvalue OVAL 3\n"
    "O $toplevel$\nT Graph\n}\n"
    "O Graph\nF label S\nF node I\nF directed B\nE shape [box..oval]\nS Layout\nF spacing R\n"
    "S grid\nF step I\n}\nS inner\nF depth I\n}\nT Node\n}\nS style\nS border\nF thickness I\n}\n"
    "S inner\nF depth I\n}\n}\nT Node\nT Edge\n}\n"
    "O Node\nF x I\nF y I\nF weight R\nF address P\nF data X\nR next Node\n}\n"
    "O Edge\nR source Node R\nR target Node R\nF weight R\n}\n";

class JsonTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    writeRaw("g.grammar", kGrammar);
    std::string error;
    grammar_ = loadGrammar(path("g.grammar"), error, &names_);
    ASSERT_NE(grammar_, nullptr) << error;
  }

  // Reads OML text; writes its JSON form and returns it.
  std::string toJson(const std::string& oml) {
    writeRaw("in.oml", oml);
    LoggingOMLFile reader;
    EXPECT_EQ(reader.readOMLFile(path("in.oml").c_str(), grammar_.get(), nullptr, -1, 0, 0, 0),
              KT_FILE_OK)
        << reader.log;
    JsonWriter writer(reader.pSyntaxTree(), &names_);
    EXPECT_EQ(writer.writeOMLFile(path("out.json").c_str(), grammar_.get(), nullptr, 0, 0, 0),
              KT_FILE_OK);
    return readRaw("out.json");
  }
  // Reads a JSON text; "" and the tree in `reader`, or the refusal.
  std::string fromJson(const std::string& json, JsonReader& reader) {
    writeRaw("in.json", json);
    std::string error;
    TextPlace place;
    if (reader.read(path("in.json"), grammar_.get(), dir_, error, place)) return "";
    // The message names the file; the tests name only the place.
    return error.substr(path("in.json").size());
  }
  std::string refusal(const std::string& json) {
    JsonReader reader;
    return fromJson(json, reader);
  }
  // The OML text of a JSON text, names spelled as declared.
  std::string toText(const std::string& json) {
    JsonReader reader;
    const std::string error = fromJson(json, reader);
    if (!error.empty()) return error;
    TreeWriter writer(reader.pSyntaxTree(), &names_);
    EXPECT_EQ(writer.writeOMLFile(path("out.oml").c_str(), grammar_.get(), nullptr, 0, 0, 0),
              KT_FILE_OK);
    return readRaw("out.oml");
  }

  DeclaredNames names_;
  std::unique_ptr<KtOMLStatic> grammar_;
};

TEST_F(JsonTest, TheGrammarFileIsTheCorpusGrammar) {
  std::unique_ptr<KtOMLStatic> corpus(newCorpusGrammar());
  EXPECT_EQ(dumpGrammar(*grammar_), dumpGrammar(*corpus));
  EXPECT_STREQ(names_.spell(DeclaredNames::kValue, "CIRCLE"), "Circle");
  EXPECT_STREQ(names_.spell(DeclaredNames::kValue, "true"), "true");
  EXPECT_STREQ(names_.spell(DeclaredNames::kSection, "LAYOUT"), "Layout");
  EXPECT_STREQ(names_.spell(DeclaredNames::kType, "$TOPLEVEL$"), "$toplevel$");
  EXPECT_STREQ(names_.spell(DeclaredNames::kField, "unknown"), "unknown");
  // The first spelling stays; the kinds are apart.
  DeclaredNames names;
  names.declare(DeclaredNames::kField, "Label");
  names.declare(DeclaredNames::kField, "LABEL");
  names.declare(DeclaredNames::kType, "lAbEl");
  EXPECT_STREQ(names.spell(DeclaredNames::kField, "label"), "Label");
  EXPECT_STREQ(names.spell(DeclaredNames::kType, "LABEL"), "lAbEl");
}

TEST_F(JsonTest, EveryKindOfValue) {
  const std::string oml =
      "Graph 1 {\n"
      "  label: \"caf\xE9 \xC3\xA9\\\"\\n\"\n"
      "  directed: false\n"
      "  shape: oval\n"
      "  layout { spacing: 2.5 grid step: 3 }\n"
      "  _ inner depth: 4\n"
      "  Node 7 { x: -5 weight: 1e-3 address: 10.0.0.1 data: 0x00ff next: 8 }\n"
      "  Node 8\n"
      "  layout Node n9 { y: 0 }\n"
      "  Node defaults { y: 2 Node d1 }\n"
      "  Edge { source: 7 target: $,1,n9 }\n"
      "  { comment: \"unchecked\" anything: 12 }\n"
      "  layout { comment: \"unchecked\" extra: 1e999 }\n"
      "}\n";
  const std::string json =
      "{\n"
      "  \"objects\": [\n"
      "    {\n"
      "      \"type\": \"Graph\",\n"
      "      \"id\": \"1\",\n"
      "      \"fields\": [\n"
      "        {\"label\": \"caf\xF4\x8F\xBF\xA9 \xC3\xA9\\\"\\n\"},\n"
      "        {\"directed\": false},\n"
      "        {\"shape\": {\"enum\": \"OVAL\"}},\n"
      "        {\"Layout/spacing\": 2.5},\n"
      "        {\"Layout/grid/step\": 3},\n"
      "        {\"_/inner/depth\": 4}\n"
      "      ],\n"
      "      \"unchecked\": [\n"
      "        {\"ANYTHING\": 12},\n"
      "        {\"Layout/EXTRA\": {\"real\": \"inf\"}}\n"
      "      ],\n"
      "      \"objects\": [\n"
      "        {\n"
      "          \"type\": \"Node\",\n"
      "          \"id\": \"7\",\n"
      "          \"fields\": [\n"
      "            {\"x\": -5},\n"
      "            {\"weight\": 0.001},\n"
      "            {\"address\": {\"ip\": \"10.0.0.1\"}},\n"
      "            {\"data\": {\"bytes\": \"00ff\"}},\n"
      "            {\"next\": {\"ref\": \"8\"}}\n"
      "          ]\n"
      "        },\n"
      "        {\n"
      "          \"type\": \"Node\",\n"
      "          \"id\": \"8\"\n"
      "        },\n"
      "        {\n"
      "          \"type\": \"Node\",\n"
      "          \"id\": \"n9\",\n"
      "          \"section\": \"Layout\",\n"
      "          \"fields\": [\n"
      "            {\"y\": 0}\n"
      "          ]\n"
      "        },\n"
      "        {\n"
      "          \"type\": \"Node\",\n"
      "          \"defaults\": true,\n"
      "          \"fields\": [\n"
      "            {\"y\": 2}\n"
      "          ],\n"
      "          \"objects\": [\n"
      "            {\n"
      "              \"type\": \"Node\",\n"
      "              \"id\": \"d1\"\n"
      "            }\n"
      "          ]\n"
      "        },\n"
      "        {\n"
      "          \"type\": \"Edge\",\n"
      "          \"fields\": [\n"
      "            {\"source\": {\"ref\": \"7\"}},\n"
      "            {\"target\": {\"ref\": \"n9\"}}\n"
      "          ]\n"
      "        }\n"
      "      ]\n"
      "    }\n"
      "  ]\n"
      "}\n";
  EXPECT_EQ(toJson(oml), json);
  // Back to the text format writes, in the grammar file's spelling.
  const std::string text = toText(json);
  EXPECT_EQ(text.rfind("Graph: 1\r\n{\r\n\tlabel: \"caf\xE9 \xC3\xA9\\\"\n\"\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\tshape: OVAL\r\n\tLayout: \r\n\t{\r\n\t\tspacing: 2.500000\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(
      text.find("\tLayout: \r\n\t{\r\n\t\t{\r\n\t\t\tcomment: \"unchecked\"\r\n\t\t\tEXTRA: "),
      std::string::npos)
      << text;
  EXPECT_EQ(toJson(text), json);
  // The root alone.
  EXPECT_EQ(toJson(""), "{}\n");
  EXPECT_EQ(toText("{}"), "");
}

TEST_F(JsonTest, RealsKeepTheirValueExactly) {
  const double values[] = {
      0.1,   1e-300, 1.7976931348623157e308, 5e-324, 123456789.12345679, -0.0, 2.0,
      -1e21, 1e22,   0.30000000000000004};
  const char* const texts[] = {
      "0.1",    "1e-300", "1.7976931348623157e+308", "5e-324", "123456789.12345679", "-0.0", "2.0",
      "-1e+21", "1e+22",  "0.30000000000000004"};
  std::string json = "{\"objects\": [{\"type\": \"Graph\", \"id\": \"1\", \"objects\": [";
  for (int i = 0; i < 10; ++i) {
    char text[40];
    EXPECT_EQ(realText(values[i], text), std::strlen(texts[i]));
    EXPECT_STREQ(text, texts[i]);
    json += std::string(i > 0 ? "," : "") + "{\"type\": \"Node\", \"id\": \"" + std::to_string(i) +
            "\", \"fields\": [{\"weight\": " + texts[i] + "}]}";
  }
  json += ",{\"type\": \"Node\", \"id\": \"10\", \"fields\": [{\"weight\": {\"real\": 7}}]}]}]}";
  JsonReader reader;
  ASSERT_EQ(fromJson(json, reader), "");
  int i = 0;
  for (KtOMLSyntaxObjectIter node(reader.pSyntaxTree()->pObjectList()->pObject); node;
       ++node, ++i) {
    KtOMLSyntaxFieldIter field(node.pObject());
    ASSERT_TRUE(field);
    const double expected = i < 10 ? values[i] : 7.0;
    const double read = field.pField()->pValueToken()->realValue();
    EXPECT_EQ(std::memcmp(&expected, &read, sizeof expected), 0) << i;
  }
  EXPECT_EQ(i, 11);
}

// An independent check of UTF-8: RapidJSON's writer, told to validate.
bool isValidUtf8(const char* text, std::size_t n) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                    rapidjson::CrtAllocator, rapidjson::kWriteValidateEncodingFlag>
      writer(buffer);
  return writer.String(text, static_cast<rapidjson::SizeType>(n));
}

TEST(JsonTextTest, BytesMapToUtf8AndBack) {
  std::string scratch, back;
  std::size_t n = 0;
  // UTF-8 stays as it is, without a copy.
  const char utf8[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBD\xBF";
  EXPECT_EQ(bytesToUtf8(utf8, sizeof utf8 - 1, scratch, n), utf8);
  EXPECT_EQ(n, sizeof utf8 - 1);
  // Each byte of what is not UTF-8 is a code point of its own.
  struct Case {
    std::string bytes, mapped;
  } cases[] = {
      {"\xFF", "\xF4\x8F\xBF\xBF"},
      {"a\x80z", "a\xF4\x8F\xBE\x80z"},
      {"\xC3", "\xF4\x8F\xBF\x83"},                                          // cut short
      {"\xC0\xAF", "\xF4\x8F\xBF\x80\xF4\x8F\xBE\xAF"},                      // overlong
      {"\xED\xA0\x80", "\xF4\x8F\xBF\xAD\xF4\x8F\xBE\xA0\xF4\x8F\xBE\x80"},  // a surrogate
      {"\xF4\x90\x80\x80", "\xF4\x8F\xBF\xB4\xF4\x8F\xBE\x90\xF4\x8F\xBE\x80\xF4\x8F\xBE\x80"},
      // U+10FF80, which stands for a byte, is taken byte by byte.
      {"\xF4\x8F\xBE\x80", "\xF4\x8F\xBF\xB4\xF4\x8F\xBE\x8F\xF4\x8F\xBE\xBE\xF4\x8F\xBE\x80"},
  };
  for (const Case& c : cases) {
    const char* text = bytesToUtf8(c.bytes.data(), c.bytes.size(), scratch, n);
    EXPECT_EQ(std::string(text, n), c.mapped);
    utf8ToBytes(text, n, back);
    EXPECT_EQ(back, c.bytes);
  }
  // Random bytes: valid UTF-8 that maps back to them.
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      // Mostly high bytes, and now and then a well-formed sequence.
      if (random() % 5 == 0)
        bytes += "\xE2\x82\xAC";
      else
        bytes += static_cast<char>(1 + random() % 255);
    }
    const char* text = bytesToUtf8(bytes.data(), bytes.size(), scratch, n);
    ASSERT_TRUE(isValidUtf8(text, n)) << round;
    utf8ToBytes(text, n, back);
    ASSERT_EQ(back, bytes) << round;
  }
}

TEST_F(JsonTest, RefusalsNameThePlace) {
  const std::string graph = "{\"objects\": [{\"type\": \"Graph\", \"id\": \"1\", ";
  struct Case {
    std::string json, error;
  } cases[] = {
      {"", ":1:1: not JSON: The document is empty."},
      {"[]", ":1:1: the document is a record ({...}), not a list"},
      {"{\"type\": \"Graph\"}",
       ":1:7: \"type\" is no member of the root record (fields, "
       "unchecked, objects)"},
      {"{\"objects\": [{\"id\": \"1\"}]}", ":1:24: an object has a \"type\""},
      {"{\"objects\": [{\"type\": \"Graph\", \"id\": \"1\", \"objects\": [], \"id\": \"2\"}]}",
       ":1:61: \"id\" is given twice"},
      {"{\"objects\": [{\"type\": \"Graph\", \"fields\": [], \"id\": \"2\"}]}",
       ":1:49: \"id\" comes before \"fields\", \"unchecked\" and \"objects\""},
      {"{\"objects\": [{\"type\": \"Graf\"}]}",
       ":1:28: `Graf' is not an object type of the grammar"},
      {"{\"objects\": [{\"type\": \"Graph\", \"id\": \"label\"}]}",
       ":1:44: the id `label' is a name of the grammar, which OML text cannot use as an id"},
      {"{\"objects\": [{\"type\": \"Graph\", \"id\": \"a b\"}]}",
       ":1:42: the id `a b' is neither a name (a letter or _, then letters, digits and _) nor a "
       "32-bit integer"},
      {"{\"objects\": [{\"type\": \"Graph\", \"id\": 4294967296}]}",
       ":1:47: the id `4294967296' is neither a name (a letter or _, then letters, digits and _) "
       "nor a 32-bit integer"},
      {"{\"objects\": [{\"type\": \"Graph\", \"id\": \"defaults\"}]}",
       ":1:47: the id `defaults' is a name of the grammar, which OML text cannot use as an id"},
      {"{\"objects\": [{\"type\": \"Node\", \"defaults\": true, \"id\": \"3\"}]}",
       ":1:57: a defaults object has no id"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"defaults\": true, \"objects\": [{\"type\": "
               "\"Node\", \"section\": \"layout\"}]}]}]}",
       ":1:137: an object inside a defaults object stands in the defaults' section"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"section\": \"skip\"}]}]}",
       ":1:88: the section `skip' holds nothing that is read"},
      {graph + "\"fields\": [{\"lable\": 1}]}]}", ":1:61: `lable' is not a field of the grammar"},
      // "node" is a field, but OML text reads the word as the object type Node.
      {graph + "\"fields\": [{\"node\": 1}]}]}",
       ":1:60: `node' is not a field of the grammar that OML text can name here"},
      // A field of the grammar, but not of this section: the reader's message, at the value.
      {graph + "\"fields\": [{\"layout/grid/x\": 1}]}]}",
       ":1:72: field `X' is not allowed in this section `GRID' or all sections (after wildcard "
       "expansion) of `GRAPH' (#047)"},
      {graph + "\"unchecked\": [{\"include\": \"x.oml\"}]}]}",
       ":1:66: `include' is a built-in name, not a field"},
      {graph + "\"fields\": [{\"label\": null}]}]}",
       ":1:67: a field's value is a number, a string, true, false or "
       "{\"enum\"|\"ip\"|\"bytes\"|\"ref\"|\"real\": ...}, not null"},
      {graph + "\"fields\": [{\"label\": \"a\", \"label\": \"b\"}]}]}",
       ":1:75: a field has one member, its name and value"},
      {graph + "\"fields\": [{}]}]}", ":1:55: a field has one member, its name and value"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"x\": 2147483648}]}]}]}",
       ":1:98: the integer 2147483648 has more than 32 bits"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"weight\": 1e400}]}]}]}",
       ":1:94: not JSON: Number too big to be stored in double."},
      {graph + "\"fields\": [{\"shape\": {\"enum\": \"square\"}}]}]}",
       ":1:80: `square' is not a value of the grammar"},
      {graph + "\"fields\": [{\"shape\": {\"colour\": \"red\"}}]}]}",
       ":1:72: \"colour\" is no kind of value (enum, ip, bytes, ref or real)"},
      {graph + "\"unchecked\": [{\"a\": {\"enum\": \"box\"}}]}]}",
       ":1:69: an unchecked field takes no enumeration value"},
      {graph + "\"unchecked\": [{\"a\": true}]}]}",
       ":1:66: an unchecked field takes no truth value"},
      {graph + "\"unchecked\": [{\"a\": {\"ref\": \"n1\"}}]}]}",
       ":1:74: an unchecked field refers by a path (\"$,1,7\") or a number, not by the name `n1'"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"address\": {\"ip\": "
               "\"1.2.3\"}}]}]}]}",
       ":1:108: `1.2.3' is not an IP address (four numbers 0 to 255 with dots)"},
      {graph +
           "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"data\": {\"bytes\": \"abc\"}}]}]}]}",
       ":1:106: bytes are written as pairs of hexadecimal digits"},
      {graph +
           "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"next\": {\"ref\": \"a b\"}}]}]}]}",
       ":1:104: the reference `a b' is neither an id nor a path of ids (\"$,1,7\")"},
      {graph +
           "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"next\": {\"ref\": \"Node\"}}]}]}]}",
       ":1:105: the reference `Node' is a name of the grammar, which OML text cannot use as an id"},
      {graph + "\"objects\": [{\"type\": \"Node\", \"fields\": [{\"weight\": {\"real\": "
               "\"nan\"}}]}]}]}",
       ":1:107: \"real\" takes a number, \"inf\" or \"-inf\", not \"nan\""},
      {graph + "\"fields\": [{\"label\": \"a\\u0000b\"}]}]}",
       ":1:73: a string holds no zero character (\\u0000)"},
      {graph + "\"fields\": [{\"label\": \"\xC3\"}]}]}",
       ":1:65: not JSON: Invalid encoding in string."},
      {graph + "\"fields\": [{\"label\": \"x\"}",
       ":1:68: not JSON: Missing a comma or ']' after "
       "an array element."},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal(c.json), c.error) << c.json;
}

TEST_F(JsonTest, TheReadersErrorsAreTracedToTheirPlace) {
  const std::string json =
      "{\"objects\": [{\n"
      "  \"type\": \"Graph\", \"id\": \"1\",\n"
      "  \"objects\": [\n"
      "    {\"type\": \"Node\", \"id\": \"7\", \"fields\": [{\"x\": 1}, {\"y\": @Y}]},\n"
      "    {\"type\": \"Edge\", \"fields\": [{\"source\": {\"ref\": \"7\"}}, {\"target\": @T}]},\n"
      "    {\"type\": \"@O\", \"section\": \"@S\"}\n"
      "  ]}]}\n";
  auto make = [&](const char* y, const char* target, const char* type, const char* section) {
    std::string text = json;
    text.replace(text.find("@Y"), 2, y);
    text.replace(text.find("@T"), 2, target);
    text.replace(text.find("@O"), 2, type);
    text.replace(text.find("@S"), 2, section);
    return text;
  };
  EXPECT_EQ(toText(make("2", "{\"ref\": \"7\"}", "Node", "layout")).substr(0, 10), "Graph: 1\r\n");
  EXPECT_EQ(refusal(make("\"2\"", "{\"ref\": \"7\"}", "Node", "layout")),
            ":4:62: integer number expected (#024)");
  EXPECT_EQ(refusal(make("2", "{\"ref\": \"8\"}", "Node", "layout")),
            ":5:80: reference to undefined object (#028)");
  EXPECT_EQ(refusal(make("2", "{\"ref\": \"7\"}", "Graph", "layout")),
            ":6:20: `GRAPH' is not allowed in this section `LAYOUT' of `GRAPH' (#039)");
  EXPECT_EQ(refusal(make("2", "{\"ref\": \"7\"}", "Node", "style/border")),
            ":6:19: `NODE' is not allowed in this section `BORDER' of `GRAPH' (#039)");
  EXPECT_EQ(refusal(make("2", "{\"ref\": \"7\"}", "Node", "border/grid")),
            ":6:45: section `GRID' is not direct or unique subsection of this section `BORDER' "
            "of `GRAPH' (#036)");
  // A required field missing: the place of the object's type.
  EXPECT_EQ(
      refusal("{\"objects\": [{\"type\": \"Graph\", \"objects\": [\n{\"type\": \"Edge\"}]}]}"),
      ":2:15: missing attribute `TARGET' (#029)");
}

TEST_F(JsonTest, HostileDocuments) {
  // Deep lists are refused at the first that does not fit; deep objects at the reader's bound.
  EXPECT_EQ(refusal(std::string(100000, '[') + std::string(100000, ']')),
            ":1:1: the document is a record ({...}), not a list");
  std::string deep = "{\"objects\": [{\"type\": \"Graph\"";
  for (int i = 0; i < 1200; ++i) deep += ", \"objects\": [{\"type\": \"Graph\"";
  EXPECT_EQ(refusal(deep).substr(0, 8), ":1:30014");
  EXPECT_NE(refusal(deep).find("objects nested deeper than 1000"), std::string::npos);
  // Random bytes and cut documents: refused, never a crash.
  std::mt19937 random(11);
  const std::string good =
      "{\"objects\": [{\"type\": \"Graph\", \"id\": \"1\", \"fields\": "
      "[{\"label\": \"x\"}, {\"shape\": {\"enum\": \"box\"}}]}]}";
  for (int round = 0; round < 300; ++round) {
    std::string text = good.substr(0, random() % good.size());
    for (int i = 0; i < 2 && !text.empty(); ++i)
      text[random() % text.size()] ^= static_cast<char>(1 + random() % 255);
    EXPECT_NE(refusal(text), "") << text;
  }
  EXPECT_EQ(refusal(good), "");
}

}  // namespace
