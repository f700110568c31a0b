#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

class ParserTest : public TempDirTest {
 protected:
  ParserTest() : grammar_(newCorpusGrammar()) {}

  // Reads `content` as a file; the messages of the reading.
  std::string read(const std::string& content, bool binary = false) {
    const std::string name = binary ? "p.omlb" : "p.oml";
    writeRaw(name, content);
    file_.log.clear();
    file_.readOMLFile(path(name).c_str(), grammar_.get(), nullptr, -1, binary, 0, 0);
    std::string log = file_.log;
    for (std::size_t at; (at = log.find(dir_ + "/")) != std::string::npos;)
      log.erase(at, dir_.size() + 1);
    return log;
  }

  std::unique_ptr<KtOMLStatic> grammar_;
  LoggingOMLFile file_;
};

// Nesting is bounded: the bracket past the limit ends the reading with "memory exhausted", in
// both encodings, and a file nested deep but within the limit still reads.
TEST_F(ParserTest, NestingDepth) {
  const std::string deep(1000000, '{');
  EXPECT_EQ(read("Graph 1 " + deep), "Fatal error #012 (p.oml:1:1009) memory exhausted !\n");
  EXPECT_EQ(file_.pSyntaxTree(), nullptr);
  EXPECT_EQ(read("o\x01i\x01" + deep, true),
            "Fatal error #012 (p.omlb:1005:0) memory exhausted !\n");
  EXPECT_EQ(read("Graph 1 " + std::string(100, '{') + std::string(100, '}')), "");
  ASSERT_NE(file_.pSyntaxTree(), nullptr);
}

TEST_F(ParserTest, NamesLastAsLongAsTheTree) {
  ASSERT_EQ(read("Graph g { label: \"text\" layout spacing: 1.5 Node 7 { x: 3 } }"), "");
  const KtOMLSyntaxObject* graph = file_.pSyntaxTree()->pObjectList()->pObject;
  EXPECT_STREQ(graph->typeString(), "GRAPH");
  EXPECT_STREQ(graph->nameString(), "$,g");  // its full id, after the checks
  EXPECT_EQ(graph->object(), nullptr);       // nothing was built
  const KtOMLSyntaxField* label = graph->searchField("label", nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_STREQ(label->stringValue(), "text");
  EXPECT_EQ(label->valueType(), OML_FIELD_STRING);
  const KtOMLSyntaxField* spacing = graph->searchField("SPACING", "layout");
  ASSERT_NE(spacing, nullptr);
  EXPECT_STREQ(spacing->sectionString(), "LAYOUT");
  EXPECT_EQ(spacing->doubleValue(), 1.5);
  EXPECT_EQ(spacing->intValue(), 0);  // a real is no integer
  EXPECT_EQ(graph->searchField("spacing", "style"), nullptr);
  EXPECT_EQ(graph->searchField("nothing", nullptr), nullptr);
  // A new reading replaces the tree.
  read("Graph h");
  EXPECT_STREQ(file_.pSyntaxTree()->pObjectList()->pObject->nameString(), "$,h");
  read("Graph }");
  EXPECT_EQ(file_.pSyntaxTree(), nullptr);
}

// A field standing in several sections through a wildcard is visited once for each section that
// defines it, with that section's definition, and gets its own path back afterwards.
TEST_F(ParserTest, WildcardFieldsExpandInIteration) {
  // Two objects with the same wildcard field: the second is read in the first one's context.
  ASSERT_EQ(read("Graph 1 { _ inner depth: 5 label: \"x\" }"), "");
  ASSERT_EQ(read("Graph 1 { _ inner depth: 5 }\nGraph 1 { _ inner depth: 6 }"), "");
  {
    std::vector<std::int32_t> depths;
    for (KtOMLSyntaxFieldIter it(file_.pSyntaxTree()->pObjectList()->pObject); it; ++it)
      depths.push_back(it.pField()->intValue());
    EXPECT_EQ(depths, (std::vector<std::int32_t>{5, 5, 6, 6}));
  }
  ASSERT_EQ(read("Graph 1 { _ inner depth: 5 label: \"x\" }"), "");
  const KtOMLSyntaxObject* graph = file_.pSyntaxTree()->pObjectList()->pObject;
  std::vector<std::string> seen;
  for (KtOMLSyntaxFieldIter it(graph); it; ++it) {
    const KtOMLSyntaxField* f = it.pField();
    seen.push_back(std::string(f->nameString()) + " " + std::to_string(f->sectionPathIndex()) +
                   " " + f->sectionString() + (f->pDefField() != nullptr ? " def" : ""));
  }
  EXPECT_EQ(seen,
            (std::vector<std::string>{"DEPTH 33 INNER def", "DEPTH 34 INNER def", "LABEL 0  def"}));
  const KtOMLSyntaxField* depth = graph->pFieldList()->pField;
  EXPECT_EQ(depth->sectionPathIndex(), 0x2Fu);
  EXPECT_EQ(depth->pDefField(), nullptr);
  {  // leaving a walk in the middle of an expansion restores the field too
    KtOMLSyntaxFieldIter it(graph);
    EXPECT_EQ(it.pField()->sectionPathIndex(), 0x21u);
  }
  EXPECT_EQ(depth->sectionPathIndex(), 0x2Fu);
  // A wildcard field that no section defines is passed over.
  ASSERT_EQ(read("Graph 1 { _ border thickness: 1 }"), "");
  KtOMLSyntaxFieldIter it(file_.pSyntaxTree()->pObjectList()->pObject);
  EXPECT_EQ(it.pField()->sectionPathIndex(), 0x12u);
  ++it;
  EXPECT_FALSE(it);
}

// ---------------------------------------------------------------------------------------------
// Random documents for random grammars, compared with the generator's own model of the tree.

class DocumentGenerator {
 public:
  explicit DocumentGenerator(unsigned seed) : random_(seed) {}

  // A grammar of a few object types, each with fields of every simple kind, sections (some
  // nested) with fields and allowed sub-types, and the types allowed inside each.
  void makeGrammar(TestGrammar& g) {
    for (int v = 0; v < 4; ++v) g.installEnumValueID(("va" + std::to_string(v)).c_str(), v + 10);
    types_ = 2 + pick(3);
    for (int t = 0; t < types_; ++t) {
      Type type;
      const std::string name = "Ty" + std::to_string(t);
      g.installObjTypeID(name.c_str(), nullptr, nullptr, nullptr, nullptr);
      for (int f = 0; f < 1 + pick(4); ++f) {
        Field field{"fa" + std::to_string(t) + std::to_string(f), pick(5)};
        addField(g, name, 0, field);
        type.fields.push_back(field);
      }
      for (int s = 0; s < pick(3); ++s) {
        Section section;
        section.name = "se" + std::to_string(t) + std::to_string(s);
        section.code = g.addSectionDefinition(name.c_str(), section.name.c_str());
        for (int f = 0; f < 1 + pick(3); ++f) {
          Field field{"fb" + std::to_string(t) + std::to_string(s) + std::to_string(f), pick(5)};
          addField(g, name, section.code, field);
          section.fields.push_back(field);
        }
        type.sections.push_back(section);
      }
      typeList_.push_back(type);
    }
    for (int t = 0; t < types_; ++t) {
      g.addObjectTypeDefinition("$toplevel$", ("Ty" + std::to_string(t)).c_str());
      for (int u = 0; u < types_; ++u)
        if (pick(2) == 0) {
          g.addObjectTypeDefinition(("Ty" + std::to_string(t)).c_str(),
                                    ("Ty" + std::to_string(u)).c_str());
          typeList_[static_cast<std::size_t>(t)].subTypes.push_back(u);
        }
    }
  }

  // A document of objects with ids, fields of the right kinds in the type and in sections
  // (written in block or in prefix form), and sub-objects; `tree` receives what dumpTree must
  // print for it, without places.
  void makeDocument(std::string& text, std::string& tree) {
    tree = "$TOPLEVEL$ $\n";
    writeObject(pick(types_), "", 0, "$", text, tree);
  }

 private:
  struct Field {
    std::string name;
    int kind;  // 0 integer, 1 string, 2 real, 3 boolean, 4 enumeration
  };
  struct Section {
    std::string name;
    std::uint32_t code;
    std::vector<Field> fields;
  };
  struct Type {
    std::vector<Field> fields;
    std::vector<Section> sections;
    std::vector<int> subTypes;
  };

  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  void addField(TestGrammar& g, const std::string& type, std::uint32_t section, const Field& f) {
    const KtFieldTypeEnum kinds[] = {KT_FIELD_INTEGER, KT_FIELD_STRING, KT_FIELD_REAL,
                                     KT_FIELD_BOOLEAN};
    if (f.kind < 4) {
      g.addFieldDefinition(type.c_str(), section, f.name.c_str(), kinds[f.kind], 0);
    } else {
      g.addFieldDefinition(type.c_str(), section, f.name.c_str(), "va1", 0);
      g.addFieldDefinition(type.c_str(), section, f.name.c_str(), "va2", 0);
    }
  }

  // A value of the field's kind: its text in the file and in the tree.
  void value(const Field& f, std::string& text, std::string& tree) {
    switch (f.kind) {
      case 0: {
        const int v = pick(2000) - 1000;
        text += std::to_string(v);
        tree += "int " + std::to_string(v);
        break;
      }
      case 1: {
        const std::string s = "s" + std::to_string(pick(100));
        text += "\"" + s + "\"";
        tree += "str \"" + s + "\"";
        break;
      }
      case 2: {
        const int v = pick(100);
        text += std::to_string(v) + ".5";
        tree += "real " + std::to_string(v) + ".5";
        break;
      }
      case 3: {
        const int v = pick(2);
        text += v != 0 ? "true" : "FALSE";
        tree += "val " + std::to_string(v != 0 ? 0 : 1) + "=" + std::to_string(v);
        break;
      }
      default: {
        const int v = 1 + pick(2);
        text += "Va" + std::to_string(v);
        tree += "val " + std::to_string(v + 2) + "=" + std::to_string(v + 10);
        break;
      }
    }
  }

  static std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }

  static std::string code(std::uint32_t path) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(path));
    return buffer;
  }

  // Objects get their full ids, the owner's followed by their own.
  void writeObject(int t, const std::string& indent, int depth, const std::string& scope,
                   std::string& text, std::string& tree) {
    const Type& type = typeList_[static_cast<std::size_t>(t)];
    const int id = ++nextID_;
    const std::string full = scope + "," + std::to_string(id);
    text += "Ty" + std::to_string(t) + " " + std::to_string(id) + " {\n";
    tree += indent + "  TY" + std::to_string(t) + " " + full + "\n";
    std::string fields, objects;
    for (int i = 0; i < pick(6); ++i) {
      const int where = pick(1 + static_cast<int>(type.sections.size()));
      if (where == 0) {
        const Field& f =
            type.fields[static_cast<std::size_t>(pick(static_cast<int>(type.fields.size())))];
        text += f.name + (pick(2) != 0 ? ": " : " = ");
        fields += indent + "    ." + upper(f.name) + " = ";
        value(f, text, fields);
      } else {
        const Section& s = type.sections[static_cast<std::size_t>(where - 1)];
        const Field& f =
            s.fields[static_cast<std::size_t>(pick(static_cast<int>(s.fields.size())))];
        const bool block = pick(2) != 0;
        text += s.name + (block ? " { " : " ") + f.name + ": ";
        fields +=
            indent + "    ." + upper(f.name) + " [" + upper(s.name) + " " + code(s.code) + "] = ";
        value(f, text, fields);
        if (block) text += " }";
      }
      text += pick(2) != 0 ? ";\n" : "\n";
      fields += "\n";
    }
    if (depth < 4)
      for (int i = 0; i < pick(3) && !type.subTypes.empty(); ++i)
        writeObject(
            type.subTypes[static_cast<std::size_t>(pick(static_cast<int>(type.subTypes.size())))],
            indent + "  ", depth + 1, full, text, objects);
    text += "}\n";
    tree += fields + objects;
  }

  std::mt19937 random_;
  int types_ = 0;
  int nextID_ = 0;
  std::vector<Type> typeList_;
};

// The tree without places.
std::string withoutPlaces(std::string tree) {
  for (std::size_t at; (at = tree.find(" @")) != std::string::npos;)
    tree.erase(at, tree.find('\n', at) - at);
  return tree;
}

TEST_F(ParserTest, RandomDocumentsGiveTheirModel) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    TestGrammar grammar;
    DocumentGenerator generator(seed);
    generator.makeGrammar(grammar);
    std::string text, expected;
    generator.makeDocument(text, expected);
    writeRaw("r.oml", text);
    LoggingOMLFile reader;
    ASSERT_EQ(reader.readOMLFile(path("r.oml").c_str(), &grammar, nullptr, -1, 0, 0, 0), KT_FILE_OK)
        << reader.log << text;
    ASSERT_EQ(withoutPlaces(dumpTree(reader)), expected) << "seed " << seed << "\n" << text;
  }
}

}  // namespace
