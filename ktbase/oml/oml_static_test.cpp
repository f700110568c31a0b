#include "ktbase/oml/oml_static.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

using Probe = KtOMLStaticProbe;

const KtOMLStaticVEStruct kShapes[] = {{"box", 10}, {"circle", 11}, {"oval", 12}, {nullptr, 0}};

// Definition lines as the null-terminated table a grammar reads.
class Table {
 public:
  explicit Table(std::vector<std::string> lines) : lines_(std::move(lines)) {
    for (const std::string& line : lines_) rows_.push_back(line.c_str());
    rows_.push_back(nullptr);
  }
  Table(const Table&) = delete;  // the rows point into the lines
  const char* const* data() const { return rows_.data(); }

 private:
  std::vector<std::string> lines_;
  std::vector<const char*> rows_;
};

Table table(std::vector<std::string> lines) { return Table(std::move(lines)); }

std::string fieldsOf(const KtOMLStatic& g, const char* type) {
  return dumpFields(g, Probe::type(g, type)->pFieldList);
}

TEST(OMLStaticTest, PredefinedNamesAndSizes) {
  KtOMLStatic g;
  const KtStringPool* fields = Probe::fields(g);
  const char* expectedFields[] = {"INCLUDE", "INPUT", "COMMENT", "SECTION", "ID", "NAME", "FIELD"};
  ASSERT_EQ(fields->decodeTableMax(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(fields->decode(i), expectedFields[i]);
  EXPECT_STREQ(Probe::sections(g)->decode(0), "SKIP");
  EXPECT_STREQ(Probe::sections(g)->decode(1), "_");
  EXPECT_EQ(Probe::sections(g)->decodeTableMax(), 2);
  EXPECT_EQ(Probe::valueIndex(g, "True"), 0);
  EXPECT_EQ(Probe::enumValue(g, 0), 1);
  EXPECT_EQ(Probe::valueIndex(g, "FALSE"), 1);
  EXPECT_EQ(Probe::enumValue(g, 1), 0);
  EXPECT_EQ(Probe::typeIndex(g, "$TopLevel$"), 0);
  EXPECT_NE(Probe::type(g, 0), nullptr);
  EXPECT_EQ(Probe::types(g)->decodeTableMax(), 1);
  // The default sizes, then the hash sizes derived from them.
  EXPECT_EQ(Probe::sizes(g), "4048 512 32 32 256 4048 7507 1103 251 251 1103 7507 ");
  // Out of range.
  EXPECT_EQ(Probe::type(g, -1), nullptr);
  EXPECT_EQ(Probe::type(g, 1), nullptr);
  EXPECT_EQ(Probe::enumValue(g, 2), 0);
  EXPECT_EQ(Probe::enumValue(g, -1), 0);
  EXPECT_EQ(Probe::definedSection(g, 1), 1);
  EXPECT_EQ(Probe::definedSection(g, 2), 0);
  EXPECT_EQ(Probe::definedSection(g, -1), 0);
}

TEST(OMLStaticTest, HashTableSizes) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 2},           {10, 79},           {32, 251},     {256, 1103}, {512, 1103}, {4048, 7507},
      {106800, 160201}, {106801, 15013},    {-5, 2},       {170, 1103}, {171, 751},  {341, 1103},
      {342, 751},       {INT32_MAX, 15013}, {INT32_MIN, 2}};
  for (auto [n, size] : cases) EXPECT_EQ(Probe::hashTableSize(n), size) << n;
}

TEST(OMLStaticTest, TheNodeExample) {
  auto lines = table({"O Node", "{", "F width R R", "E shape [box, circle, oval]", "S label", "{",
                      "F text S", "}", "}"});
  KtOMLStatic g(static_cast<const char* const*>(nullptr), nullptr, kShapes, lines.data(), 10, 10,
                10, 10, 10, 10);
  EXPECT_EQ(Probe::sizes(g), "10 10 10 10 10 10 79 79 79 79 79 79 ");
  ASSERT_EQ(Probe::typeIndex(g, "node"), 1);
  EXPECT_EQ(Probe::enumValue(g, Probe::valueIndex(g, "circle")), 11);
  // Fields newest first; the enumeration's values were added in order, so they read backwards.
  EXPECT_EQ(fieldsOf(g, "NODE"), "{SHAPE t5 #2 [ OVAL CIRCLE BOX ]}{WIDTH t4 #1 R}");
  const KtOMLDefObjType* node = Probe::type(g, "Node");
  ASSERT_NE(node->pRequiredFieldList, nullptr);
  EXPECT_EQ(node->pRequiredFieldList->fieldIDIndex, Probe::fieldIndex(g, "width"));
  EXPECT_EQ(node->pRequiredFieldList->pNextRequired, nullptr);
  const KtOMLDefSection* label = node->sectionWithCode(1);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->sectionIDIndex, Probe::sectionIndex(g, "LABEL"));
  EXPECT_EQ(label->sectionPath, 1u);
  EXPECT_EQ(label->pParent, nullptr);
  EXPECT_EQ(dumpFields(g, label->pFieldList), "{TEXT t2 #1}");
  EXPECT_EQ(node->sectionWithCode(2), nullptr);
  EXPECT_EQ(node->sectionWithCode(0), nullptr);
  EXPECT_EQ(node->sectionWithCode(0x10), nullptr);  // a gap below a used level names nothing
}

TEST(OMLStaticTest, SectionCodesAndLimits) {
  TestGrammar g;
  EXPECT_EQ(g.addSectionDefinition("Graph", "a"), 1u);
  EXPECT_EQ(g.addSectionDefinition("Graph", "b"), 2u);
  EXPECT_EQ(g.addSectionDefinition("Graph", 2, "x"), 0x12u);
  EXPECT_EQ(g.addSectionDefinition("Graph", 2, "y"), 0x22u);
  EXPECT_EQ(g.addSectionDefinition("Graph", 2, "z"), 0x32u);
  EXPECT_EQ(g.addSectionDefinition("Graph", 2, "y"), 0x22u);  // found again
  EXPECT_EQ(g.addSectionDefinition("Graph", "B"), 2u);
  EXPECT_EQ(g.addSectionDefinition("Graph", 0x32, "deep"), 0x132u);
  // The same name elsewhere is another section.
  EXPECT_EQ(g.addSectionDefinition("Graph", 1, "x"), 0x11u);
  const KtOMLDefSection* z = Probe::type(g, "graph")->sectionWithCode(0x32);
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->sectionIDIndex, Probe::sectionIndex(g, "z"));
  EXPECT_EQ(z->pParent->sectionPath, 2u);
  EXPECT_EQ(z->level(), 2);

  // Fourteen sections on a level, no fifteenth; eight levels, no ninth. Refusals add no name.
  for (int i = 3; i <= 14; ++i)
    EXPECT_EQ(g.addSectionDefinition("Graph", ("t" + std::to_string(i)).c_str()),
              static_cast<std::uint32_t>(i));
  const std::string before = dumpGrammar(g);
  EXPECT_EQ(g.addSectionDefinition("Graph", "fifteen"), KT_OML_NO_SECTION);
  std::uint32_t code = 1;
  for (int level = 2; level <= 8; ++level)
    code = g.addSectionDefinition("Graph", code, ("l" + std::to_string(level)).c_str());
  EXPECT_EQ(code, 0x11111121u);  // a already had x as its first sub-section
  const std::string eightDeep = dumpGrammar(g);
  EXPECT_EQ(g.addSectionDefinition("Graph", code, "nine"), KT_OML_NO_SECTION);
  EXPECT_EQ(Probe::sectionIndex(g, "fifteen"), -1);
  EXPECT_EQ(Probe::sectionIndex(g, "nine"), -1);
  EXPECT_EQ(dumpGrammar(g), eightDeep);
  EXPECT_NE(before, eightDeep);
  // Codes no section has refuse every definition made in them.
  for (std::uint32_t bad : {KT_OML_NO_SECTION, 15u, 0x42u, 0x101u}) {
    EXPECT_EQ(g.addSectionDefinition("Graph", bad, "q"), KT_OML_NO_SECTION);
    EXPECT_EQ(g.addFieldDefinition("Graph", bad, "f", KT_FIELD_INTEGER, 0), 0);
    EXPECT_EQ(g.addFieldDefinition("Graph", bad, "f", "true", 0), 0);
    EXPECT_EQ(g.addObjectTypeDefinition("Graph", bad, "Node"), 0);
  }
  EXPECT_EQ(g.addFieldDefinition("Unknown", 1, "f", KT_FIELD_INTEGER, 0), 0);
  EXPECT_EQ(dumpGrammar(g), eightDeep);
}

TEST(OMLStaticTest, FieldDefinitionsAndRedefinitions) {
  TestGrammar g;
  ASSERT_EQ(g.installEnumValueID("red", 5), 1);
  ASSERT_EQ(g.installEnumValueID("blue", 7), 1);
  EXPECT_EQ(g.addFieldDefinition("Node", "size", KT_FIELD_INTEGER, 0), 1);
  EXPECT_EQ(g.addFieldDefinition("Node", "size", KT_FIELD_INTEGER, 0), 1);  // the same again
  EXPECT_EQ(g.addFieldDefinition("Node", "size", KT_FIELD_REAL, 0), 0);
  EXPECT_EQ(g.addFieldDefinition("Node", "size", KT_FIELD_INTEGER, 1), 0);
  EXPECT_EQ(g.addFieldDefinition("Node", "colour", "red", 1), 1);
  EXPECT_EQ(g.addFieldDefinition("Node", "colour", "blue", 1), 1);
  EXPECT_EQ(g.addFieldDefinition("Node", "colour", "RED", 1), 1);   // already in the list
  EXPECT_EQ(g.addFieldDefinition("Node", "colour", "blue", 0), 0);  // another required flag
  EXPECT_EQ(g.addFieldDefinition("Node", "next", "node", 0), 1);
  EXPECT_EQ(g.addFieldDefinition("Node", "next", "Edge", 0), 0);  // Edge is no name yet
  g.installObjTypeID("Edge", nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(g.addFieldDefinition("Node", "next", "Edge", 0), 1);  // the first target stays
  EXPECT_EQ(g.addFieldDefinition("Node", "next", "red", 0), 0);   // a value: not a reference
  EXPECT_EQ(g.addFieldDefinition("Node", nullptr, KT_FIELD_INTEGER, 0), 0);
  EXPECT_EQ(g.addFieldDefinition("Node", "", KT_FIELD_INTEGER, 0), 0);
  EXPECT_EQ(g.addFieldDefinition(nullptr, "x", KT_FIELD_INTEGER, 0), 0);
  EXPECT_EQ(g.installEnumValueID(nullptr, 3), 0);
  EXPECT_EQ(fieldsOf(g, "node"), "{NEXT t3 #3 [ NODE ]}{COLOUR t5 #2 R [ BLUE RED ]}{SIZE t0 #1}");
  // A known value takes its new number.
  EXPECT_EQ(g.installEnumValueID("Red", -9), 1);
  EXPECT_EQ(Probe::enumValue(g, Probe::valueIndex(g, "red")), -9);
  // Sub-object types, created on demand and listed once.
  EXPECT_EQ(g.addObjectTypeDefinition("Graph", "Node"), 1);
  EXPECT_EQ(g.addObjectTypeDefinition("Graph", "Label"), 1);
  EXPECT_EQ(g.addObjectTypeDefinition("Graph", "node"), 1);
  EXPECT_EQ(g.addObjectTypeDefinition("Graph", nullptr), 0);
  EXPECT_EQ(KtOMLDefIndexList::length(Probe::type(g, "graph")->pSubObjTypeList), 2);
  std::uint32_t s = g.addSectionDefinition("Graph", "layout");
  EXPECT_EQ(g.addFieldDefinition("Graph", s, "size", KT_FIELD_REAL, 1), 1);  // another list
  EXPECT_EQ(g.addObjectTypeDefinition("Graph", s, "Label"), 1);
  const KtOMLDefObjType* graph = Probe::type(g, "GRAPH");
  EXPECT_EQ(graph->pRequiredFieldList->pNextRequired, nullptr);
  EXPECT_EQ(dumpFields(g, graph->sectionWithCode(s)->pFieldList), "{SIZE t4 #1 R}");
}

int check1(void*, KtOMLSyntaxObject*) { return 1; }
int check2(void*, KtOMLSyntaxObject*) { return 2; }
int write1(void*, const KtObject*) { return 1; }

TEST(OMLStaticTest, TypeTablesAndCallbacks) {
  const KtOMLStaticOEStruct types[] = {{"Graph", check1, nullptr, nullptr, write1},
                                       {"Node", nullptr, nullptr, nullptr, nullptr},
                                       {nullptr, nullptr, nullptr, nullptr, nullptr}};
  const char* sections[] = {"layout", "SKIP", nullptr};
  TestGrammar g(types, sections, nullptr, nullptr, 100, 100, 100, 100, 100, 100);
  EXPECT_EQ(Probe::typeIndex(g, "graph"), 1);
  EXPECT_EQ(Probe::typeIndex(g, "node"), 2);
  EXPECT_EQ(Probe::sectionIndex(g, "layout"), 2);
  EXPECT_EQ(Probe::sections(g)->decodeTableMax(), 3);
  // Only given callbacks replace earlier ones.
  KtOMLDefObjType* graph = g.installObjTypeID("GRAPH", check2, nullptr, nullptr, nullptr);
  EXPECT_EQ(graph, Probe::type(g, 1));
  EXPECT_EQ(graph->checkFunction, &check2);
  EXPECT_EQ(graph->writeFunction, &write1);
  EXPECT_EQ(g.installObjTypeID("", nullptr, nullptr, nullptr, nullptr), nullptr);
  const char* fields[] = {"x", "ID", nullptr};
  g.installFieldTable(fields);
  EXPECT_EQ(Probe::fieldIndex(g, "x"), 7);
  EXPECT_EQ(Probe::fields(g)->decodeTableMax(), 8);
}

TEST(OMLStaticTest, DefinitionLanguage) {
  const KtOMLStaticVEStruct values[] = {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {nullptr, 0}};
  auto lines = table({
      "  o Graph",               // any case, after blanks
      "[",                       // passed over
      "  f Label s r",           // a required string
      "  E kind {a..d} R",       // a range, then required
      "  e pair [d.c, a...b]",   // ranges the other way, and several dots
      "  E none",                // no list: no values, not required
      "  E odd [a, zz, b..zz]",  // unknown names stand as -1
      "  E open [a, b R",        // an unclosed list ends at the line's end: not required
      "  R parent Graph R",
      "  R any _",
      "  R lost Missing",  // an unknown type stands as -1
      "  T Node",
      "  S layout",
      "    F spacing R",
      "    S inner",
      "    {",
      "      F depth I",
      "      T Label",
      "    }",
      "    F after I",  // back in layout
      "  ]",
      "  S second",
      "  T Node",
      "O Node",  // ends second and Graph
      "  F x I",
      "  Fy I",     // the word follows the letter directly
      "  F bad Q",  // no type letter: nothing
      "  F",        // no name: nothing
      "  # a comment line means nothing",
      "",
      "}",
      "F loose I",  // outside any type: skipped
      "O",          // no name: skipped
      "}",
  });
  KtOMLStatic g(static_cast<const char* const*>(nullptr), nullptr, values, lines.data(), 50, 50, 50,
                50, 50, 50);
  // In the unclosed list the R is one more (unknown) value name.
  EXPECT_EQ(fieldsOf(g, "graph"),
            "{LOST t3 #9 [ ?-1 ]}{ANY t3 #8}{PARENT t3 #7 R [ GRAPH ]}{OPEN t5 #6 [ ?-1 B A ]}"
            "{ODD t5 #5 [ B ?-1 A ]}{NONE t5 #4}{PAIR t5 #3 [ B A D C ]}"
            "{KIND t5 #2 R [ D C B A ]}{LABEL t2 #1 R}");
  const std::string rest =
      "  required PARENT KIND LABEL\n"
      "  types [ NODE ]\n"
      "  S SECOND 2 parent -\n"
      "    fields \n"
      "    types [ NODE ]\n"
      "  S LAYOUT 1 parent -\n"
      "    fields {AFTER t0 #2}{SPACING t4 #1}\n"
      "    types [ ]\n"
      "    S INNER 11 parent 1\n"
      "      fields {DEPTH t0 #1}\n"
      "      types [ LABEL ]\n"
      "O NODE\n"
      "  callbacks ----\n"
      "  fields {Y t0 #2}{X t0 #1}\n"
      "  required\n"
      "  types [ ]\n"
      "O LABEL\n"
      "  callbacks ----\n"
      "  fields \n"
      "  required\n"
      "  types [ ]\n";
  const std::string all = dumpGrammar(g);
  EXPECT_EQ(all.substr(all.find("  required PARENT")), rest);
}

class KeyHeaderTest : public TempDirTest {};

TEST_F(KeyHeaderTest, WithoutTablesAndSmall) {
  KtOMLStatic empty;
  ASSERT_EQ(empty.writeIndexDefinitions(path("empty.h").c_str()), KT_FILE_OK);
  EXPECT_EQ(readRaw("empty.h"),
            "\r\n/* Coding of fields */\r\n\r\n"
            "#define KT_XKEY_FI_ID 4\r\n#define KT_XKEY_FI_NAME 5\r\n#define KT_XKEY_FI_FIELD 6\r\n"
            "\r\n/* Coding of sections */\r\n\r\n"
            "\r\n/* Coding of enum value identifiers */\r\n\r\n"
            "#define KT_XKEY_VI_TRUE 0\r\n#define KT_XKEY_VI_FALSE 1\r\n"
            "\r\n/* Coding of object type identifiers */\r\n\r\n\r\n");

  auto lines = table({"O Node", "F width R", "S label_2", "F text S", "}", "}", "O $Any"});
  KtOMLStatic g(static_cast<const char* const*>(nullptr), nullptr, kShapes, lines.data(), 10, 10,
                10, 10, 10, 10);
  ASSERT_EQ(g.writeIndexDefinitions(path("small.h").c_str()), KT_FILE_OK);
  EXPECT_EQ(
      readRaw("small.h"),
      "\r\n/* Coding of fields */\r\n\r\n"
      "#define KT_XKEY_FI_ID 4\r\n#define KT_XKEY_FI_NAME 5\r\n#define KT_XKEY_FI_FIELD 6\r\n"
      "#define KT_XKEY_FI_WIDTH 7\r\n#define KT_XKEY_FI_TEXT 8\r\n"
      "\r\n/* Coding of sections */\r\n\r\n#define KT_XKEY_SI_LABEL_2 2\r\n"
      "\r\n/* Coding of enum value identifiers */\r\n\r\n"
      "#define KT_XKEY_VI_TRUE 0\r\n#define KT_XKEY_VI_FALSE 1\r\n#define KT_XKEY_VI_BOX 2\r\n"
      "#define KT_XKEY_VI_CIRCLE 3\r\n#define KT_XKEY_VI_OVAL 4\r\n"
      "\r\n/* Coding of object type identifiers */\r\n\r\n"
      "#define KT_XKEY_OI_NODE 1\r\n#define KT_XKEY_OI_$ANY 2\r\n\r\n");

  EXPECT_EQ(g.writeIndexDefinitions(nullptr), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(g.writeIndexDefinitions(path("no/such/dir.h").c_str()), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(g.writeIndexDefinitions("/dev/full"), KT_FILE_WRITE_ERROR);
}

// A random grammar, written once as a definition table and once as the protected calls the
// table stands for, step by step. Both grammars must come out identical.
class GrammarGenerator {
 public:
  explicit GrammarGenerator(unsigned seed) : random_(seed) {}

  // How many sections were refused, and the deepest nesting written.
  int refused = 0;
  std::size_t deepest = 0;

  void run(TestGrammar& byCalls, std::vector<std::string>& lines) {
    for (int v = 0; v < 8; ++v) byCalls.installEnumValueID(("v" + std::to_string(v)).c_str(), v);
    int types = 1 + pick(6);
    for (int t = 0; t < types; ++t) typeBlock(byCalls, lines);
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  std::string any(const char* prefix, int n) { return prefix + std::to_string(pick(n)); }
  std::string letterCase(std::string s) {
    for (char& c : s)
      if (pick(2) != 0) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }

  void typeBlock(TestGrammar& g, std::vector<std::string>& lines) {
    const std::string type = any("T", 5);
    lines.push_back(letterCase("O") + " " + type);
    if (pick(2) != 0) lines.push_back(pick(2) != 0 ? "{" : "  [");
    g.installObjTypeID(type.c_str(), nullptr, nullptr, nullptr, nullptr);
    std::vector<std::uint32_t> open;  // codes of the open sections, as the calls returned them
    const int count = pick(40);
    for (int i = 0; i < count; ++i) {
      const std::uint32_t here = open.empty() ? 0u : open.back();
      switch (pick(9)) {
        case 0: {  // a simple field
          const char letters[] = "IBSRPX";
          const KtFieldTypeEnum kinds[] = {KT_FIELD_INTEGER, KT_FIELD_BOOLEAN,    KT_FIELD_STRING,
                                           KT_FIELD_REAL,    KT_FIELD_IP_ADDRESS, KT_FIELD_BINARY};
          const int k = pick(6);
          const int required = pick(3) == 0;
          const std::string field = any("f", 8);
          lines.push_back(letterCase("F ") + field + " " + letterCase(std::string(1, letters[k])) +
                          (required ? letterCase(" R") : ""));
          g.addFieldDefinition(type.c_str(), here, field.c_str(), kinds[k], required);
          break;
        }
        case 1:
          enumField(g, lines, type, here);
          break;
        case 2: {  // a reference, open or to a known type
          const std::string field = any("f", 8);
          const int required = pick(3) == 0;
          std::string target = pick(3) == 0 ? "_" : any("T", 5);
          if (Probe::typeIndex(g, target.c_str()) < 0) target = type;
          lines.push_back("R " + field + " " + target + (required ? " R" : ""));
          if (target == "_")
            g.addFieldDefinition(type.c_str(), here, field.c_str(), KT_FIELD_OBJECT_REFERENCE,
                                 required);
          else
            g.addFieldDefinition(type.c_str(), here, field.c_str(), target.c_str(), required);
          break;
        }
        case 3: {
          const std::string sub = any("T", 7);
          lines.push_back(letterCase("T ") + sub);
          g.addObjectTypeDefinition(type.c_str(), here, sub.c_str());
          break;
        }
        case 4:
        case 5: {  // a section: many names, so that levels fill up and nest deep
          const std::string section = any("s", 18);
          lines.push_back(letterCase("S ") + section);
          if (pick(2) != 0) lines.push_back("{");
          open.push_back(g.addSectionDefinition(type.c_str(), here, section.c_str()));
          if (open.back() == KT_OML_NO_SECTION) ++refused;
          if (open.size() > deepest) deepest = open.size();
          break;
        }
        case 6:
          if (open.empty()) break;  // the type's own end comes last
          lines.push_back(pick(2) != 0 ? "}" : "  ]");
          open.pop_back();
          break;
        case 7:
          lines.push_back(pick(2) != 0 ? "" : "# nothing");
          break;
        default:
          break;
      }
    }
    // Close the sections and the type, or let the next O line end them all.
    if (pick(2) != 0)
      for (std::size_t i = 0; i <= open.size(); ++i) lines.push_back("}");
  }

  // An enumeration line: its items go to the field only while the field has no values.
  void enumField(TestGrammar& g, std::vector<std::string>& lines, const std::string& type,
                 std::uint32_t here) {
    const std::string field = any("f", 8);
    const int required = pick(3) == 0;
    if (pick(4) == 0) {  // no list
      lines.push_back("E " + field);
      g.addFieldDefinition(type.c_str(), here, field.c_str(), KT_FIELD_ENUM, 0);
      return;
    }
    std::string line = "E " + field + (pick(2) != 0 ? " [" : " {");
    std::vector<std::string> names;
    const int items = pick(4);
    for (int i = 0; i < items; ++i) {
      int low = pick(8);
      line += (i > 0 ? (pick(2) != 0 ? ", " : " ") : "") + std::string("v") + std::to_string(low);
      if (pick(3) == 0) {
        int high = pick(8);
        line += std::string(1 + pick(3), '.') + "v" + std::to_string(high);
        if (high < low) std::swap(low, high);
        for (int v = low; v <= high; ++v) names.push_back("v" + std::to_string(v));
      } else {
        names.push_back("v" + std::to_string(low));
      }
    }
    line += pick(2) != 0 ? "]" : "}";
    if (required) line += " r";
    lines.push_back(line);
    bool hasValues = false;
    if (const KtOMLDefObjType* t = Probe::type(g, type.c_str())) {
      const KtOMLDefField* list = t->pFieldList;
      if (here != 0) {
        const KtOMLDefSection* s = t->sectionWithCode(here);
        list = s != nullptr ? s->pFieldList : nullptr;
      }
      for (; list != nullptr; list = list->pNext)
        if (list->fieldIDIndex == Probe::fieldIndex(g, field.c_str()))
          hasValues = list->pIndexList != nullptr;
    }
    if (names.empty() || hasValues)
      g.addFieldDefinition(type.c_str(), here, field.c_str(), KT_FIELD_ENUM, required);
    else
      for (const std::string& name : names)
        g.addFieldDefinition(type.c_str(), here, field.c_str(), name.c_str(), required);
  }

  std::mt19937 random_;
};

TEST(OMLStaticTest, DefinitionTableEqualsDefinitionCalls) {
  int refused = 0;
  std::size_t deepest = 0;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    TestGrammar byCalls;
    std::vector<std::string> lines;
    GrammarGenerator generator(seed);
    generator.run(byCalls, lines);
    refused += generator.refused;
    deepest = std::max(deepest, generator.deepest);
    std::vector<KtOMLStaticVEStruct> values;
    for (int v = 0; v < 8; ++v) values.push_back({nullptr, v});
    std::vector<std::string> names;
    for (int v = 0; v < 8; ++v) names.push_back("v" + std::to_string(v));
    for (int v = 0; v < 8; ++v) values[static_cast<std::size_t>(v)].name = names[v].c_str();
    values.push_back({nullptr, 0});
    auto rows = table(lines);
    KtOMLStatic byTable(static_cast<const char* const*>(nullptr), nullptr, values.data(),
                        rows.data(), 4048, 512, 32, 32, 256, 4048);
    const std::string expected = dumpGrammar(byCalls);
    ASSERT_EQ(dumpGrammar(byTable), expected) << "seed " << seed;
  }
  // The runs reached both limits of section codes.
  EXPECT_GT(refused, 0);
  EXPECT_GT(deepest, 8u);
}

// Tables of random bytes and random lines of the language's own characters: the scan ends and
// whatever is defined is sound.
TEST(OMLStaticTest, HostileTablesEndSafely) {
  std::mt19937 random(7);
  const std::string alphabet = "OFERSTofersti{}[]  ,...__$$abXIRPB\t#\x80\xff";
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      std::string line;
      const int length = static_cast<int>(random() % 24);
      for (int k = 0; k < length; ++k)
        line += round % 3 == 0 ? static_cast<char>(1 + random() % 255)
                               : alphabet[random() % alphabet.size()];
      lines.push_back(line);
    }
    auto rows = table(lines);
    TestGrammar g;
    g.installDefinitionTable(rows.data());
    for (std::int32_t t = 0; t < Probe::types(g)->decodeTableMax(); ++t) {
      const KtOMLDefObjType* type = Probe::type(g, t);
      ASSERT_NE(type, nullptr);
      for (const KtOMLDefSection* s = type->pSectionList; s != nullptr; s = s->pNext)
        EXPECT_EQ(type->sectionWithCode(s->sectionPath), s);
    }
    dumpGrammar(g);
  }
  // A table nested far deeper than sections may go, with blocks that are never closed.
  std::vector<std::string> deep = {"O Deep"};
  for (int i = 0; i < 100000; ++i)
    deep.push_back(i % 2 == 0 ? "S s" + std::to_string(i % 20) : "F f I");
  auto rows = table(deep);
  TestGrammar g;
  g.installDefinitionTable(rows.data());
  const KtOMLDefSection* s = Probe::type(g, "deep")->pSectionList;
  int levels = 0;
  for (; s != nullptr; s = s->pSubSectionList) ++levels;
  EXPECT_EQ(levels, 8);
}

}  // namespace
