// Reading OML files into objects: a small graph model written here is built once through a
// reader's hooks and once through the grammar's functions, with every object's birth and death
// counted on success and on every failure.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

struct Census {
  int made = 0;
  int destroyed = 0;
  int alive() const { return made - destroyed; }
};

// The model. Items read their own fields when `readsItself` is set (through the KtOMLObject
// hook); otherwise the grammar's read function hands the fields to apply().
class Item : public KtOMLObject {
 public:
  Item(Census* census, bool readsItself) : census_(census), readsItself_(readsItself) {
    ++census_->made;
  }
  ~Item() override { ++census_->destroyed; }
  virtual int apply(KtOMLSyntaxField* field) = 0;
  std::vector<std::string> events;

 protected:
  int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject*, KtOMLFile*) override {
    return readsItself_ ? apply(field) : 0;
  }
  void vPreReadFields(KtOMLSyntaxObject*, KtOMLFile*) override { events.push_back("pre"); }
  void vPostReadFields(KtOMLSyntaxObject*, KtOMLFile*) override { events.push_back("post"); }

 private:
  Census* census_;
  bool readsItself_;
};

bool is(const KtOMLSyntaxField* field, const char* name) {
  return std::strcmp(field->nameString(), name) == 0;
}

class Tag : public Item {
 public:
  using Item::Item;
  std::string text;
  int apply(KtOMLSyntaxField* f) override {
    if (!is(f, "TEXT")) return 0;
    text = f->stringValue();
    return 1;
  }
};

class Node : public Item {
 public:
  using Item::Item;
  ~Node() override {
    for (Tag* t : tags) delete t;
  }
  std::string label;
  int x = 0, y = 0;
  std::vector<Tag*> tags;
  int apply(KtOMLSyntaxField* f) override {
    if (is(f, "LABEL"))
      label = f->stringValue();
    else if (is(f, "X"))
      x = f->intValue();
    else if (is(f, "Y"))
      y = f->intValue();
    else
      return 0;
    return 1;
  }
};

class Edge : public Item {
 public:
  using Item::Item;
  Node* source = nullptr;
  Node* target = nullptr;
  double weight = 0;
  int apply(KtOMLSyntaxField* f) override {
    if (is(f, "SOURCE"))
      source = static_cast<Node*>(f->objectValue());
    else if (is(f, "TARGET"))
      target = static_cast<Node*>(f->objectValue());
    else if (is(f, "WEIGHT"))
      weight = f->doubleValue();
    else
      return 0;
    return 1;
  }
};

class Graph : public Item {
 public:
  using Item::Item;
  ~Graph() override {
    for (Node* n : nodes) delete n;
    for (Edge* e : edges) delete e;
  }
  std::string label;
  std::vector<Node*> nodes;
  std::vector<Edge*> edges;
  int apply(KtOMLSyntaxField* f) override {
    if (!is(f, "LABEL")) return 0;
    label = f->stringValue();
    return 1;
  }
};

// Makes the object for a syntax object inside its owner, which keeps it.
KtObject* make(Census* census, bool readsItself, KtOMLSyntaxObject* object, KtObject* owner) {
  const std::string type = object->typeString();
  if (type == "GRAPH") return new Graph(census, readsItself);
  if (owner == nullptr) return nullptr;
  if (type == "NODE") {
    Node* node = new Node(census, readsItself);
    static_cast<Graph*>(owner)->nodes.push_back(node);
    return node;
  }
  if (type == "EDGE") {
    Edge* edge = new Edge(census, readsItself);
    static_cast<Graph*>(owner)->edges.push_back(edge);
    return edge;
  }
  Tag* tag = new Tag(census, readsItself);
  static_cast<Node*>(owner)->tags.push_back(tag);
  return tag;
}

// One object type to a line.
// clang-format off
const char* const kDefinitions[] = {
    "O $toplevel$", "T Graph", "T Node", "}",
    "O Graph", "F label S", "T Node", "T Edge", "}",
    "O Node", "F label S", "F x I", "F y I", "T Tag", "}",
    "O Edge", "R source Node R", "R target Node R", "F weight R", "}",
    "O Tag", "F text S", "}",
    nullptr};
// clang-format on

// The first way: a reader whose hooks make the objects, which read their own fields.
class GraphReader : public LoggingOMLFile {
 public:
  Census census;
  std::string failField;    // vReadField refuses this field
  std::string fatalAtType;  // vCreateObject reports a fatal error for this type
  int createCalls = 0;

 protected:
  KtObject* vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject*, KtObject* owner) override {
    ++createCalls;
    if (fatalAtType == object->typeString()) {
      errorMessage(object, 12, "no more", 1);
      return nullptr;
    }
    return make(&census, true, object, owner);
  }
  int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtObject* target) override {
    if (failField == field->nameString()) return 0;
    return KtOMLFile::vReadField(field, object, target);
  }
};

// The second way: the grammar's functions make the objects and apply their fields. Their first
// argument is the reader that calls, here one that keeps the census.
class CensusFile : public KtOMLFile {
 public:
  Census census;
};

KtObject* createByGrammar(void* file, KtOMLSyntaxObject* object, KtOMLSyntaxObject*,
                          KtObject* owner) {
  Census* census = &static_cast<CensusFile*>(static_cast<KtOMLFile*>(file))->census;
  return make(census, false, object, owner);
}

int readByGrammar(void*, KtOMLSyntaxField* field, KtOMLSyntaxObject*, KtObject* target) {
  return target != nullptr ? static_cast<Item*>(target)->apply(field) : 1;
}

int rejectNode9(void*, KtOMLSyntaxObject* object) {
  return std::strcmp(object->nameString(), "$,1,9") != 0;
}

class BuildTest : public TempDirTest {
 protected:
  BuildTest()
      : grammar_(static_cast<const char* const*>(nullptr), nullptr, nullptr, kDefinitions, 100, 100,
                 100, 100, 100, 100) {}

  KtFileCodeEnum read(GraphReader& reader, const std::string& content, KtObject* expected = nullptr,
                      std::int32_t expectedType = -1, KtOMLStatic* grammar = nullptr) {
    writeRaw("g.oml", content);
    reader.log.clear();
    return reader.readOMLFile(path("g.oml").c_str(), grammar != nullptr ? grammar : &grammar_,
                              expected, expectedType, 0, 1, 0);
  }
  std::string log(const GraphReader& reader) {
    std::string text = reader.log;
    for (std::size_t at; (at = text.find(dir_ + "/")) != std::string::npos;)
      text.erase(at, dir_.size() + 1);
    return text;
  }

  KtOMLStatic grammar_;
};

const char* const kGraph = R"(Graph 1 {
  label: "g"
  Node defaults { label: "default" x: 5 Node 1 Node 2 { label: "own" } }
  Node 3 { x: 1 Tag { text: "a" } }
  Node 3 { y: 2 }
  Edge { source: 1 target: $,1,3 weight: 0.5 }
  Edge { source: 2; target: 3 }
})";

TEST_F(BuildTest, ThroughTheReadersHooks) {
  GraphReader reader;
  ASSERT_EQ(read(reader, kGraph), KT_FILE_OK) << reader.log;
  EXPECT_EQ(reader.log, "");
  std::unique_ptr<Graph> graph(static_cast<Graph*>(reader.pTopLevelObject()));
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(reader.pTopObject(), graph.get());
  EXPECT_EQ(reader.topLevelObjectIDIndex(), 1);
  EXPECT_EQ(graph->label, "g");
  ASSERT_EQ(graph->nodes.size(), 3u);  // Node 3, written twice, is one node
  const Node* n1 = graph->nodes[0];
  const Node* n2 = graph->nodes[1];
  const Node* n3 = graph->nodes[2];
  EXPECT_EQ(n1->label, "default");
  EXPECT_EQ(n1->x, 5);
  EXPECT_EQ(n2->label, "own");  // its own value over the default
  EXPECT_EQ(n3->x, 1);
  EXPECT_EQ(n3->y, 2);
  ASSERT_EQ(n3->tags.size(), 1u);
  EXPECT_EQ(n3->tags[0]->text, "a");
  ASSERT_EQ(graph->edges.size(), 2u);
  EXPECT_EQ(graph->edges[0]->source, n1);
  EXPECT_EQ(graph->edges[0]->target, n3);
  EXPECT_EQ(graph->edges[0]->weight, 0.5);
  EXPECT_EQ(graph->edges[1]->source, n2);
  EXPECT_EQ(graph->edges[1]->target, n3);
  EXPECT_EQ(graph->events, (std::vector<std::string>{"pre", "post"}));
  // Anonymous objects are numbered -2, -3 ... in the order met; the index table maps every built
  // object to the number its full id ends in.
  const KtOMLSyntaxObject* tree = reader.pSyntaxTree()->pObjectList()->pObject;
  EXPECT_STREQ(tree->pObjectListEnd()->pObject->nameString(), "$,1,-4");
  KtIndexHashTable* table = reader.pIndexHashTable();
  ASSERT_NE(table, nullptr);
  auto idOf = [table](const void* object) {
    return table->lookup(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(object)));
  };
  EXPECT_EQ(idOf(graph.get()), 1);
  EXPECT_EQ(idOf(n3), 3);
  EXPECT_EQ(idOf(n3->tags[0]), -2);
  EXPECT_EQ(idOf(graph->edges[1]), -4);
  EXPECT_EQ(reader.census.alive(), 7);
  graph.reset();
  EXPECT_EQ(reader.census.alive(), 0);
}

TEST_F(BuildTest, ThroughTheGrammarsFunctions) {
  const KtOMLStaticOEStruct types[] = {
      {"Graph", nullptr, createByGrammar, readByGrammar, nullptr},
      {"Node", rejectNode9, createByGrammar, readByGrammar, nullptr},
      {"Edge", nullptr, createByGrammar, readByGrammar, nullptr},
      {"Tag", nullptr, createByGrammar, readByGrammar, nullptr},
      {nullptr, nullptr, nullptr, nullptr, nullptr}};
  KtOMLStatic grammar(types, nullptr, nullptr, kDefinitions, 100, 100, 100, 100, 100, 100);
  CensusFile reader;
  Census& census = reader.census;
  writeRaw("g.oml", kGraph);
  ASSERT_EQ(reader.readOMLFile(path("g.oml").c_str(), &grammar, nullptr, -1, 0, 0, 0), KT_FILE_OK);
  std::unique_ptr<Graph> graph(static_cast<Graph*>(reader.pTopLevelObject()));
  ASSERT_EQ(graph->nodes.size(), 3u);
  EXPECT_EQ(graph->nodes[1]->label, "own");
  EXPECT_EQ(graph->edges[0]->target, graph->nodes[2]);
  graph.reset();
  EXPECT_EQ(census.alive(), 0);
  // A check function that rejects an object: error 34 at the root, nothing built.
  writeRaw("g.oml", "Graph 1 { Node 9 }");
  reader.pErrorStringBuffer(500);
  EXPECT_EQ(reader.readOMLFile(path("g.oml").c_str(), &grammar, nullptr, -1, 0, 0, 0),
            KT_FILE_READ_ERROR);
  EXPECT_STREQ(reader.pErrorStringBuffer(), "Error #034 several semantic errors detected !\n");
  EXPECT_EQ(census.made, 7);
}

// Every failure leaves nothing built alive, and reports where it happened.
TEST_F(BuildTest, FailuresLeaveNothingBehind) {
  struct Case {
    const char* content;
    const char* messages;
  };
  const Case cases[] = {
      {"Graph 1 { Edge { source: 5 target: 7 } Node 7 }",
       "Error #028 (g.oml:1:23) reference to undefined object !\n"},
      {"Graph 1 { Node 1 Edge 2 { source: 1 target: 2 } }",
       "Error #027 (g.oml:1:42) `NODE' reference expected !\n"},
      {"Graph 1 { Edge { source: 1 } Node 1 }",
       "Error #029 (g.oml:1:14) missing attribute `TARGET' !\n"},
      {"Graph 1 { Node 7 Edge 7 { source: 7 target: 7 } }",
       "Error #031 (g.oml:1:21) double defined object of different type !\n"},
      {"Graph 1 { Node 1 } Graph 2 { Node 2 }",
       "Fatal error #033 (g.oml:1:24) two top level objects !\n"},
      // A reference names a sibling of the referring object: elsewhere, the $ path is needed.
      {"Graph 1 { Node 1 { Tag 5 } Edge { source: 5 target: 1 } }",
       "Error #028 (g.oml:1:40) reference to undefined object !\n"},
  };
  for (const Case& c : cases) {
    GraphReader reader;
    EXPECT_EQ(read(reader, c.content), KT_FILE_READ_ERROR) << c.content;
    EXPECT_EQ(log(reader), c.messages) << c.content;
    EXPECT_EQ(reader.pTopLevelObject(), nullptr);
    EXPECT_EQ(reader.pSyntaxTree(), nullptr);
    EXPECT_EQ(reader.census.alive(), 0) << c.content;
  }
  // A fatal error from a hook while building: no further hook runs, nothing survives.
  GraphReader reader;
  reader.fatalAtType = "NODE";
  EXPECT_EQ(read(reader, "Graph 1 { Node 1 Node 2 Edge { source: 1 target: 2 } }"),
            KT_FILE_READ_ERROR);
  EXPECT_EQ(log(reader), "Fatal error #012 (g.oml:1:14) no more !\n");
  EXPECT_EQ(reader.createCalls, 2);
  EXPECT_EQ(reader.census.made, 1);
  EXPECT_EQ(reader.census.alive(), 0);
}

TEST_F(BuildTest, ExpectedObjectAndFailingFields) {
  GraphReader reader;
  Graph expected(&reader.census, true);
  ASSERT_EQ(read(reader, "Graph 1 { label: \"into\" Node 2 }", &expected, 1), KT_FILE_OK);
  EXPECT_EQ(reader.pTopObject(), &expected);
  EXPECT_EQ(expected.label, "into");
  EXPECT_EQ(expected.nodes.size(), 1u);
  // Of another type: error 32, and the object stays as it was.
  EXPECT_EQ(read(reader, "Node 1", &expected, 1), KT_FILE_READ_ERROR);
  EXPECT_EQ(log(reader), "Fatal error #032 (g.oml:1:4) wrong top level object !\n");
  EXPECT_EQ(expected.nodes.size(), 1u);
  EXPECT_EQ(reader.census.alive(), 2);
  // A failed reading never destroys the caller's object.
  EXPECT_EQ(read(reader, "Graph 1 { Node 3 Edge { source: 4 target: 3 } }", &expected, 1),
            KT_FILE_READ_ERROR);
  EXPECT_EQ(reader.census.alive(), 2);
  // A field a hook does not take: the others are read all the same, then warning 49.
  GraphReader refusing;
  refusing.failField = "X";
  ASSERT_EQ(read(refusing, "Graph 1 { Node 1 { x: 4 y: 5 label: \"n\" } }"), KT_FILE_OK);
  EXPECT_EQ(log(refusing), "Warning # 49 unable to set fields in several objects !\n");
  std::unique_ptr<Graph> graph(static_cast<Graph*>(refusing.pTopLevelObject()));
  EXPECT_EQ(graph->nodes[0]->x, 0);
  EXPECT_EQ(graph->nodes[0]->y, 5);
  EXPECT_EQ(graph->nodes[0]->label, "n");
}

// Objects under different owners: a relative reference stays in its owner, a $ path goes
// anywhere; the number of anonymous objects runs over the whole file.
TEST_F(BuildTest, ReferencesAcrossOwners) {
  const char* const definitions[] = {
      "O $toplevel$", "T Graph", "}", "O Graph", "T Node",        "T Edge",        "}", "O Node",
      "T Node",       "T Edge",  "}", "O Edge",  "R source Node", "R target Node", "}", nullptr};
  KtOMLStatic nested(static_cast<const char* const*>(nullptr), nullptr, nullptr, definitions, 100,
                     100, 100, 100, 100, 100);
  LoggingOMLFile reader;  // checks alone: nothing is built
  writeRaw("g.oml",
           "Graph 1 { Node 2 { Node 3 Node { } Edge { source: 3 target: $,1,4 } } Node 4 }");
  ASSERT_EQ(reader.readOMLFile(path("g.oml").c_str(), &nested, nullptr, -1, 0, 0, 0), KT_FILE_OK)
      << reader.log;
  const KtOMLSyntaxObject* node2 =
      reader.pSyntaxTree()->pObjectList()->pObject->pObjectList()->pObject;
  const KtOMLSyntaxObject* edge = node2->pObjectListEnd()->pObject;
  EXPECT_STREQ(edge->nameString(), "$,1,2,-3");
  EXPECT_STREQ(node2->pObjectList()->pNext->pObject->nameString(), "$,1,2,-2");
  const KtOMLSyntaxField* source = edge->pFieldList()->pField;
  EXPECT_EQ(KtOMLFileProbe::objectID(reader, source->pValueToken()->index()), "$,1,2,3");
  EXPECT_STREQ(source->objectTypeString(), "NODE");
}

}  // namespace
