// The OML reader and writer on a generated graph, side by side with two JSON readers that read
// the same graph written as JSON. A reading ends with the objects of a small graph model written
// here (Graph, Node, Edge): the OML reader builds them through its hooks, a JSON reader through a
// walk of its DOM. An element is a node or an edge; a graph of N nodes has 2N edges, 3N elements.
//
// Comparisons (side Kt is ktbase, every other side a peer; scripts/bench.sh prints the ratios
// ktbase / peer of each name and argument):
//  ReadGraph<Kt>/N             the OML text file read into the model;
//  ReadGraph<Nlohmann>/N       the JSON file read from disk into a nlohmann::json DOM;
//  ReadGraph<RapidJSON>/N      the JSON file read from disk into a rapidjson::Document (default
//                              parse flags);
//  ReadGraphModel<Side>/N      the same, but the peers also walk their DOM into the model: every
//                              field checked for presence and kind, edge ends looked up by node
//                              id in a hash map, the DOM released;
//  ReadGraphBinary<Side>/N, ReadGraphBinaryModel<Side>/N
//                              the OML binary file of the same graph next to the same peers;
//  ReadSmall<Side>/3, ReadSmallBinary<Side>/3
//                              a file of about 1 KB (3 nodes, 6 edges) read 10,000 times in one
//                              process, the peers building the model; a row's time is the time
//                              of one reading, releasing the model included;
//  WriteText/N, WriteBinary/N  the model written back as OML (no peer).
// Each reader is measured once, under the first name that has it (so the console shows
// ReadGraph<Kt> but no ReadGraphModel<Kt>); the file output (--benchmark_out) repeats the
// measurement under the later names too, which gives scripts/bench.sh every ratio without
// reading the same file twice. The whole benchmark:
//   scripts/bench.sh --benchmark_filter='ReadGraph|ReadSmall|Write(Text|Binary)'
//     --benchmark_repetitions=3
// with N = 10,000 and 100,000.
//
// The peers read the whole file into one buffer with fread and parse that buffer, the usual
// fast road for both. The time of a reading covers opening and reading the file, parsing,
// building the model and releasing the reader's scaffolding (syntax tree and pools; the DOM when
// the model is the result); releasing the result itself (model or DOM) is not timed, except for
// the small file, where pausing the clock would cost as much as the reading.
//
// Counters:
//  ns_per_element        CPU time per element of a reading in this warm process;
//  fresh_ns_per_element  CPU time (user + system, getrusage) per element of one first reading
//                        in a fresh process (this program started again with --fresh), from
//                        the start of the reading, without starting the process;
//  peak_MiB              the peak resident memory of that fresh process, which includes the
//                        program's own baseline (printed under the summary table);
//  bytes_per_second      bytes of the file read per second.
// After a run printed on the console, a summary table gives the median of each counter per
// reader and N, the ratios ktbase / peer, the time per element at N = 100,000 divided by that
// at N = 10,000 (1.00 is linear), and the small file's microseconds per reading.
//
// The graph: one Graph (label, directed) holding Nodes with ids 1..N (label, x, y, width,
// height, shape, colour "#rrggbb") and Edges without ids (source and target references to
// nodes, label, weight), deterministic from a seed. The OML grammar is the tool's grammar file
// of examples/data/graph.grammar. The JSON form is the graph object with its label and flag, an
// array "nodes" of objects with their id and fields, and an array "edges" of objects whose
// source and target are node ids; both text forms put one field per line, indented. Before the
// first measurement of a size up to 10,000 nodes, every reader's model is compared with the
// text reading's, and a disagreement fails the rows. The files and the grammar stay in a
// temporary folder while the program runs.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <sys/resource.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/graph_grammar.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"
#include "tools/omltool/grammar_file.h"

namespace {

const char* const kShapeNames[] = {"box", "ellipse", "circle", "diamond"};

// ---------------------------------------------------------------------------------------------
// The model

class Graph;

class Node : public KtOMLObject {
 public:
  explicit Node(Graph* graph) : graph_(graph) {}
  KtOMLObject* pOwnerObject() override;
  std::string label, colour;
  int x = 0, y = 0, shape = 0;
  double width = 0, height = 0;

 private:
  Graph* graph_;
};

class Edge : public KtOMLObject {
 public:
  explicit Edge(Graph* graph) : graph_(graph) {}
  KtOMLObject* pOwnerObject() override;
  Node* source = nullptr;
  Node* target = nullptr;
  std::string label;
  double weight = 0;

 private:
  Graph* graph_;
};

class Graph : public KtOMLObject {
 public:
  ~Graph() override {
    for (Node* n : nodes) delete n;
    for (Edge* e : edges) delete e;
  }
  std::string label;
  int directed = 0;
  std::vector<Node*> nodes;
  std::vector<Edge*> edges;
};

KtOMLObject* Node::pOwnerObject() { return graph_; }
KtOMLObject* Edge::pOwnerObject() { return graph_; }

// Reads a graph: objects by type index, fields by field index.
class GraphReader : public KtOMLFile {
 protected:
  void initParser(KtOMLStatic* grammar, KtObject* expected, std::int32_t type,
                  int makeIndexHashTable) override {
    KtOMLFile::initParser(grammar, expected, type, makeIndexHashTable);
    graphType_ = objTypeIDIndex("Graph");
    nodeType_ = objTypeIDIndex("Node");
    edgeType_ = objTypeIDIndex("Edge");
    for (const char* name : {"label", "directed", "x", "y", "width", "height", "shape", "colour",
                             "source", "target", "weight"})
      fields_[name] = checkedFieldIDIndex(name);
    label_ = fields_["label"];
    x_ = fields_["x"];
    y_ = fields_["y"];
    width_ = fields_["width"];
    height_ = fields_["height"];
    shape_ = fields_["shape"];
    colour_ = fields_["colour"];
    source_ = fields_["source"];
    target_ = fields_["target"];
    weight_ = fields_["weight"];
    directed_ = fields_["directed"];
  }
  KtObject* vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject*, KtObject* owner) override {
    const std::int32_t type = object->objTypeIDIndex();
    if (type == graphType_) return new Graph;
    Graph* graph = static_cast<Graph*>(owner);
    if (type == nodeType_) {
      graph->nodes.push_back(new Node(graph));
      return graph->nodes.back();
    }
    graph->edges.push_back(new Edge(graph));
    return graph->edges.back();
  }
  int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtObject* target) override {
    const std::int32_t f = field->nameIndex();
    const std::int32_t type = object->objTypeIDIndex();
    if (type == nodeType_) {
      Node* n = static_cast<Node*>(target);
      if (f == label_)
        n->label = field->stringValue();
      else if (f == x_)
        n->x = field->intValue();
      else if (f == y_)
        n->y = field->intValue();
      else if (f == width_)
        n->width = field->doubleValue();
      else if (f == height_)
        n->height = field->doubleValue();
      else if (f == shape_)
        n->shape = field->enumValue();
      else if (f == colour_)
        n->colour = field->stringValue();
      else
        return 0;
    } else if (type == edgeType_) {
      Edge* e = static_cast<Edge*>(target);
      if (f == source_)
        e->source = static_cast<Node*>(field->objectValue());
      else if (f == target_)
        e->target = static_cast<Node*>(field->objectValue());
      else if (f == label_)
        e->label = field->stringValue();
      else if (f == weight_)
        e->weight = field->doubleValue();
      else
        return 0;
    } else if (type == graphType_) {
      Graph* g = static_cast<Graph*>(target);
      if (f == label_)
        g->label = field->stringValue();
      else if (f == directed_)
        g->directed = field->boolValue();
      else
        return 0;
    }
    return 1;
  }

 private:
  std::int32_t graphType_ = -1, nodeType_ = -1, edgeType_ = -1;
  std::map<std::string, std::int32_t> fields_;
  std::int32_t label_ = -1, x_ = -1, y_ = -1, width_ = -1, height_ = -1, shape_ = -1, colour_ = -1,
               source_ = -1, target_ = -1, weight_ = -1, directed_ = -1;
};

// Writes a graph back through the writer's calls.
class GraphWriter : public KtOMLFile {
 protected:
  void vWriteContents(KtObject* top) override {
    static const char* const kShapes[] = {"", "box", "ellipse", "circle", "diamond"};
    Graph* g = static_cast<Graph*>(top);
    writeObjectStart("Graph", g, 0, 1);
    writeOpeningBracket();
    writeStringAttribute("label", g->label.c_str());
    writeBoolAttribute("directed", g->directed);
    for (Node* n : g->nodes) {
      writeObjectStart("Node", n, 0, 1);
      writeOpeningBracket();
      writeStringAttribute("label", n->label.c_str());
      writeAttribute("x", n->x);
      writeAttribute("y", n->y);
      writeAttribute("width", n->width);
      writeAttribute("height", n->height);
      writeAttribute("shape", kShapes[n->shape >= 1 && n->shape <= 4 ? n->shape : 1]);
      writeStringAttribute("colour", n->colour.c_str());
      writeClosingBracket();
    }
    for (Edge* e : g->edges) {
      writeObjectStart("Edge", static_cast<const KtObject*>(e), 0);
      writeOpeningBracket();
      writeAttribute("source", e->source, e, 1);
      writeAttribute("target", e->target, e, 1);
      writeStringAttribute("label", e->label.c_str());
      writeAttribute("weight", e->weight);
      writeClosingBracket();
    }
    writeClosingBracket();
  }
};

// ---------------------------------------------------------------------------------------------
// The JSON peers: file to DOM, and DOM to the same model

// The whole file in one buffer; false when it cannot be read.
bool slurp(const std::string& name, std::string& text) {
  std::FILE* in = std::fopen(name.c_str(), "rb");
  if (in == nullptr) return false;
  std::fseek(in, 0, SEEK_END);
  const long size = std::ftell(in);
  std::fseek(in, 0, SEEK_SET);
  text.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  const bool ok = size >= 0 && std::fread(&text[0], 1, text.size(), in) == text.size();
  std::fclose(in);
  return ok;
}

// 1..4 as the OML enumeration numbers them; 0 for an unknown name.
int shapeOf(const char* name, std::size_t length) {
  for (int i = 0; i < 4; ++i)
    if (std::strlen(kShapeNames[i]) == length && std::memcmp(name, kShapeNames[i], length) == 0)
      return i + 1;
  return 0;
}

bool readNlohmann(const std::string& file, nlohmann::json& dom) {
  std::string text;
  if (!slurp(file, text)) return false;
  dom = nlohmann::json::parse(text, nullptr, false);
  return !dom.is_discarded();
}

// Throws (nlohmann::json::exception) where a field is missing or of another kind.
const nlohmann::json& member(const nlohmann::json& object, const char* name,
                             nlohmann::json::value_t kind) {
  const nlohmann::json& value = object.at(name);
  const bool ok = kind == nlohmann::json::value_t::number_float     ? value.is_number()
                  : kind == nlohmann::json::value_t::number_integer ? value.is_number_integer()
                                                                    : value.type() == kind;
  if (!ok) throw nlohmann::json::type_error::create(302, std::string("kind of ") + name, &value);
  return value;
}

bool modelFromNlohmann(const nlohmann::json& dom, Graph& graph) {
  using Kind = nlohmann::json::value_t;
  try {
    graph.label = member(dom, "label", Kind::string).get_ref<const std::string&>();
    graph.directed = member(dom, "directed", Kind::boolean).get<bool>();
    const nlohmann::json& nodes = member(dom, "nodes", Kind::array);
    const nlohmann::json& edges = member(dom, "edges", Kind::array);
    std::unordered_map<std::int64_t, Node*> byId(nodes.size());
    graph.nodes.reserve(nodes.size());
    for (const nlohmann::json& object : nodes) {
      graph.nodes.push_back(new Node(&graph));
      Node* n = graph.nodes.back();
      if (!byId.emplace(member(object, "id", Kind::number_integer).get<std::int64_t>(), n).second)
        return false;
      n->label = member(object, "label", Kind::string).get_ref<const std::string&>();
      n->x = member(object, "x", Kind::number_integer).get<int>();
      n->y = member(object, "y", Kind::number_integer).get<int>();
      n->width = member(object, "width", Kind::number_float).get<double>();
      n->height = member(object, "height", Kind::number_float).get<double>();
      const std::string& shape =
          member(object, "shape", Kind::string).get_ref<const std::string&>();
      if ((n->shape = shapeOf(shape.data(), shape.size())) == 0) return false;
      n->colour = member(object, "colour", Kind::string).get_ref<const std::string&>();
    }
    graph.edges.reserve(edges.size());
    for (const nlohmann::json& object : edges) {
      graph.edges.push_back(new Edge(&graph));
      Edge* e = graph.edges.back();
      const auto source =
          byId.find(member(object, "source", Kind::number_integer).get<std::int64_t>());
      const auto target =
          byId.find(member(object, "target", Kind::number_integer).get<std::int64_t>());
      if (source == byId.end() || target == byId.end()) return false;
      e->source = source->second;
      e->target = target->second;
      e->label = member(object, "label", Kind::string).get_ref<const std::string&>();
      e->weight = member(object, "weight", Kind::number_float).get<double>();
    }
  } catch (const nlohmann::json::exception&) {
    return false;
  }
  return true;
}

bool readRapidJSON(const std::string& file, rapidjson::Document& dom) {
  std::string text;
  if (!slurp(file, text)) return false;
  dom.Parse(text.data(), text.size());
  return !dom.HasParseError();
}

// The member of that name, or null when it is missing or fails `is`.
const rapidjson::Value* member(const rapidjson::Value& object, const char* name,
                               bool (rapidjson::Value::*is)() const) {
  const auto found = object.FindMember(name);
  if (found == object.MemberEnd() || !(found->value.*is)()) return nullptr;
  return &found->value;
}

bool modelFromRapidJSON(const rapidjson::Value& dom, Graph& graph) {
  using V = rapidjson::Value;
  const V *label, *directed, *nodes, *edges;
  if (!dom.IsObject() || (label = member(dom, "label", &V::IsString)) == nullptr ||
      (directed = member(dom, "directed", &V::IsBool)) == nullptr ||
      (nodes = member(dom, "nodes", &V::IsArray)) == nullptr ||
      (edges = member(dom, "edges", &V::IsArray)) == nullptr)
    return false;
  graph.label.assign(label->GetString(), label->GetStringLength());
  graph.directed = directed->GetBool();
  std::unordered_map<std::int64_t, Node*> byId(nodes->Size());
  graph.nodes.reserve(nodes->Size());
  for (const V& object : nodes->GetArray()) {
    const V *id, *x, *y, *width, *height, *shape, *colour;
    if (!object.IsObject() || (id = member(object, "id", &V::IsInt64)) == nullptr ||
        (label = member(object, "label", &V::IsString)) == nullptr ||
        (x = member(object, "x", &V::IsInt)) == nullptr ||
        (y = member(object, "y", &V::IsInt)) == nullptr ||
        (width = member(object, "width", &V::IsNumber)) == nullptr ||
        (height = member(object, "height", &V::IsNumber)) == nullptr ||
        (shape = member(object, "shape", &V::IsString)) == nullptr ||
        (colour = member(object, "colour", &V::IsString)) == nullptr)
      return false;
    graph.nodes.push_back(new Node(&graph));
    Node* n = graph.nodes.back();
    if (!byId.emplace(id->GetInt64(), n).second) return false;
    n->label.assign(label->GetString(), label->GetStringLength());
    n->x = x->GetInt();
    n->y = y->GetInt();
    n->width = width->GetDouble();
    n->height = height->GetDouble();
    if ((n->shape = shapeOf(shape->GetString(), shape->GetStringLength())) == 0) return false;
    n->colour.assign(colour->GetString(), colour->GetStringLength());
  }
  graph.edges.reserve(edges->Size());
  for (const V& object : edges->GetArray()) {
    const V *source, *target, *weight;
    if (!object.IsObject() || (source = member(object, "source", &V::IsInt64)) == nullptr ||
        (target = member(object, "target", &V::IsInt64)) == nullptr ||
        (label = member(object, "label", &V::IsString)) == nullptr ||
        (weight = member(object, "weight", &V::IsNumber)) == nullptr)
      return false;
    const auto from = byId.find(source->GetInt64());
    const auto to = byId.find(target->GetInt64());
    if (from == byId.end() || to == byId.end()) return false;
    graph.edges.push_back(new Edge(&graph));
    Edge* e = graph.edges.back();
    e->source = from->second;
    e->target = to->second;
    e->label.assign(label->GetString(), label->GetStringLength());
    e->weight = weight->GetDouble();
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// One reading by any reader

enum class Reader { KtText, KtBinary, NlohmannDom, NlohmannModel, RapidJSONDom, RapidJSONModel };

const char* const kReaderNames[] = {"kt-text",        "kt-binary",     "nlohmann-dom",
                                    "nlohmann-model", "rapidjson-dom", "rapidjson-model"};

bool isKt(Reader r) { return r == Reader::KtText || r == Reader::KtBinary; }

// What a reading hands its caller; the rest of the reader is gone when readOnce returns.
struct Result {
  std::unique_ptr<Graph> graph;
  nlohmann::json nlohmannDom;
  std::unique_ptr<rapidjson::Document> rapidjsonDom;
};

bool readOnce(Reader reader, const std::string& file, KtOMLStatic* grammar, Result& result) {
  switch (reader) {
    case Reader::KtText:
    case Reader::KtBinary: {
      GraphReader oml;
      const bool ok = oml.readOMLFile(file.c_str(), grammar, nullptr, -1,
                                      reader == Reader::KtBinary, 0, 0) == KT_FILE_OK;
      result.graph.reset(static_cast<Graph*>(oml.pTopLevelObject()));
      return ok && result.graph != nullptr;
    }
    case Reader::NlohmannDom:
      return readNlohmann(file, result.nlohmannDom);
    case Reader::NlohmannModel: {
      nlohmann::json dom;
      result.graph.reset(new Graph);
      return readNlohmann(file, dom) && modelFromNlohmann(dom, *result.graph);
    }
    case Reader::RapidJSONDom:
      result.rapidjsonDom.reset(new rapidjson::Document);
      return readRapidJSON(file, *result.rapidjsonDom);
    case Reader::RapidJSONModel: {
      rapidjson::Document dom;
      result.graph.reset(new Graph);
      return readRapidJSON(file, dom) && modelFromRapidJSON(dom, *result.graph);
    }
  }
  return false;
}

// Returns 1 iff both graphs hold the same values; edge ends are compared by node position.
bool sameGraph(const Graph& a, const Graph& b) {
  const auto near = [](double x, double y) {
    return std::abs(x - y) <= 1e-9 * std::max(1.0, std::abs(x));
  };
  if (a.label != b.label || a.directed != b.directed || a.nodes.size() != b.nodes.size() ||
      a.edges.size() != b.edges.size())
    return false;
  std::unordered_map<const Node*, std::size_t> indexA, indexB;
  for (std::size_t i = 0; i < a.nodes.size(); ++i) {
    const Node& p = *a.nodes[i];
    const Node& q = *b.nodes[i];
    if (p.label != q.label || p.colour != q.colour || p.x != q.x || p.y != q.y ||
        p.shape != q.shape || !near(p.width, q.width) || !near(p.height, q.height))
      return false;
    indexA[&p] = i;
    indexB[&q] = i;
  }
  for (std::size_t i = 0; i < a.edges.size(); ++i) {
    const Edge& p = *a.edges[i];
    const Edge& q = *b.edges[i];
    if (p.label != q.label || !near(p.weight, q.weight) || indexA.count(p.source) == 0 ||
        indexA.count(p.target) == 0 || indexB.count(q.source) == 0 || indexB.count(q.target) == 0 ||
        indexA[p.source] != indexB[q.source] || indexA[p.target] != indexB[q.target])
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The generated files

struct Files {
  std::string folder;
  std::unique_ptr<KtOMLStatic> grammar;

  Files() {
    char pattern[] = "/tmp/ktbase-oml-bench-XXXXXX";
    folder = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    std::FILE* out = std::fopen(grammarFile().c_str(), "wb");
    std::fputs(kGraphGrammar, out);
    std::fclose(out);
    std::string error;
    grammar = loadGrammar(grammarFile(), error);
    if (grammar == nullptr) std::fprintf(stderr, "grammar: %s\n", error.c_str());
  }
  ~Files() { std::system(("rm -rf '" + folder + "'").c_str()); }

  std::string grammarFile() const { return folder + "/graph.grammar"; }
  std::string text(int n) const { return folder + "/graph" + std::to_string(n) + ".oml"; }
  std::string binary(int n) const { return folder + "/graph" + std::to_string(n) + ".omlb"; }
  std::string json(int n) const { return folder + "/graph" + std::to_string(n) + ".json"; }
  std::string of(Reader reader, int n) const {
    return reader == Reader::KtText ? text(n) : reader == Reader::KtBinary ? binary(n) : json(n);
  }

  // Writes the text and JSON files of a graph of n nodes once, and the binary form from the text.
  void make(int n) {
    if (made_[n]) return;
    made_[n] = true;
    struct NodeValues {
      int x, y, width, widthFraction, height, heightFraction, shape;
      unsigned colour;
    };
    struct EdgeValues {
      int source, target, weight, weightFraction;
    };
    std::mt19937 random(static_cast<unsigned>(n));
    const auto draw = [&random](unsigned below) { return static_cast<int>(random() % below); };
    std::vector<NodeValues> nodes(n);
    for (NodeValues& v : nodes) {
      v.x = draw(100000);
      v.y = draw(100000);
      v.width = draw(100);
      v.widthFraction = draw(1000000);
      v.height = draw(100);
      v.heightFraction = draw(1000000);
      v.shape = draw(4);
      v.colour = static_cast<unsigned>(draw(0x1000000));
    }
    std::vector<EdgeValues> edges(2 * static_cast<std::size_t>(n));
    for (EdgeValues& v : edges) {
      v.source = 1 + draw(n);
      v.target = 1 + draw(n);
      v.weight = draw(100);
      v.weightFraction = draw(1000000);
    }

    std::FILE* out = std::fopen(text(n).c_str(), "wb");
    std::fprintf(out, "Graph 1 {\n  label: \"generated graph\"\n  directed: true\n");
    for (int i = 0; i < n; ++i) {
      const NodeValues& v = nodes[i];
      std::fprintf(out,
                   "  Node %d {\n    label: \"node %d\"\n    x: %d\n    y: %d\n    width: %d.%06d\n"
                   "    height: %d.%06d\n    shape: %s\n    colour: \"#%06x\"\n  }\n",
                   i + 1, i + 1, v.x, v.y, v.width, v.widthFraction, v.height, v.heightFraction,
                   kShapeNames[v.shape], v.colour);
    }
    for (std::size_t i = 0; i < edges.size(); ++i) {
      const EdgeValues& v = edges[i];
      std::fprintf(out,
                   "  Edge {\n    source: %d\n    target: %d\n    label: \"edge %zu\"\n"
                   "    weight: %d.%06d\n  }\n",
                   v.source, v.target, i, v.weight, v.weightFraction);
    }
    std::fprintf(out, "}\n");
    std::fclose(out);

    out = std::fopen(json(n).c_str(), "wb");
    std::fprintf(out,
                 "{\n  \"label\": \"generated graph\",\n  \"directed\": true,\n  \"nodes\": [");
    for (int i = 0; i < n; ++i) {
      const NodeValues& v = nodes[i];
      std::fprintf(out,
                   "%s\n    {\n      \"id\": %d,\n      \"label\": \"node %d\",\n      \"x\": %d,\n"
                   "      \"y\": %d,\n      \"width\": %d.%06d,\n      \"height\": %d.%06d,\n"
                   "      \"shape\": \"%s\",\n      \"colour\": \"#%06x\"\n    }",
                   i == 0 ? "" : ",", i + 1, i + 1, v.x, v.y, v.width, v.widthFraction, v.height,
                   v.heightFraction, kShapeNames[v.shape], v.colour);
    }
    std::fprintf(out, "\n  ],\n  \"edges\": [");
    for (std::size_t i = 0; i < edges.size(); ++i) {
      const EdgeValues& v = edges[i];
      std::fprintf(out,
                   "%s\n    {\n      \"source\": %d,\n      \"target\": %d,\n"
                   "      \"label\": \"edge %zu\",\n      \"weight\": %d.%06d\n    }",
                   i == 0 ? "" : ",", v.source, v.target, i, v.weight, v.weightFraction);
    }
    std::fprintf(out, "\n  ]\n}\n");
    std::fclose(out);

    GraphReader reader;
    reader.readOMLFile(text(n).c_str(), grammar.get(), nullptr, -1, 0, 0, 0);
    std::unique_ptr<Graph> graph(static_cast<Graph*>(reader.pTopLevelObject()));
    graph->iUserField(1);
    for (std::size_t i = 0; i < graph->nodes.size(); ++i)
      graph->nodes[i]->iUserField(static_cast<std::int64_t>(i + 1));
    GraphWriter writer;
    writer.writeOMLFile(binary(n).c_str(), grammar.get(), graph.get(), 1, 0, 0);

    // Every reader must build the same model from its file. Checked up to 10,000 nodes, where it
    // is quick; the larger files come from the same code.
    if (n <= 10000) {
      for (Reader other : {Reader::KtBinary, Reader::NlohmannModel, Reader::RapidJSONModel}) {
        Result result;
        if (!readOnce(other, of(other, n), grammar.get(), result) ||
            !sameGraph(*graph, *result.graph))
          disagreeing_[n] += std::string(" ") + kReaderNames[static_cast<int>(other)];
      }
      if (!disagreeing_[n].empty())
        std::fprintf(stderr, "graph of %d nodes: models differ from the text reading's:%s\n", n,
                     disagreeing_[n].c_str());
    }
  }

  // Returns 1 iff the readers built the same model from the files of n nodes (made before).
  bool agree(int n) { return disagreeing_[n].empty(); }

  std::map<int, bool> made_;
  std::map<int, std::string> disagreeing_;
};

Files& files() {
  static Files f;
  return f;
}

std::int64_t sizeOf(const std::string& name) {
  std::FILE* in = std::fopen(name.c_str(), "rb");
  if (in == nullptr) return 0;
  std::fseek(in, 0, SEEK_END);
  const long size = std::ftell(in);
  std::fclose(in);
  return size;
}

// ---------------------------------------------------------------------------------------------
// Fresh processes

double cpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// --fresh READER [FILE GRAMMAR]: one reading (none for READER "none"), then "CPU-microseconds
// peak-KiB" on stdout; the reading's CPU time excludes starting the process and loading the
// grammar. Exits non-zero when the reading fails.
int freshMain(int argc, char** argv) {
  int reader = -1;
  for (int i = 0; i < 6; ++i)
    if (std::strcmp(argv[2], kReaderNames[i]) == 0) reader = i;
  double cpu = 0;
  if (reader >= 0) {
    if (argc != 5) return 2;
    std::unique_ptr<KtOMLStatic> grammar;
    if (isKt(static_cast<Reader>(reader))) {
      std::string error;
      grammar = loadGrammar(argv[4], error);
      if (grammar == nullptr) return 1;
    }
    Result result;
    const double start = cpuSeconds();
    if (!readOnce(static_cast<Reader>(reader), argv[3], grammar.get(), result)) return 1;
    cpu = cpuSeconds() - start;
  } else if (std::strcmp(argv[2], "none") != 0) {
    return 2;
  }
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.0f %ld\n", cpu * 1e6, static_cast<long>(usage.ru_maxrss));
  return 0;
}

struct Fresh {
  double cpuSeconds = -1, peakMiB = -1;
};

// One first reading in a fresh process (this program again, started with --fresh): a forked copy
// would carry this process's warm heap and count its memory too.
Fresh freshReading(Reader reader, const std::string& file) {
  Fresh fresh;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return fresh;
  self[length] = 0;
  std::string command = std::string("'") + self + "' --fresh ";
  if (file.empty())
    command += "none";
  else
    command += std::string(kReaderNames[static_cast<int>(reader)]) + " '" + file + "' '" +
               files().grammarFile() + "'";
  std::FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return fresh;
  double micros = -1, kib = -1;
  if (std::fscanf(child, "%lf %lf", &micros, &kib) == 2) {
    fresh.cpuSeconds = micros * 1e-6;
    fresh.peakMiB = kib / 1024.0;
  }
  if (pclose(child) != 0) fresh = Fresh();
  return fresh;
}

// ---------------------------------------------------------------------------------------------
// The benchmarks

void perElement(benchmark::State& state, double elements, const std::string& file) {
  state.counters["ns_per_element"] = benchmark::Counter(
      elements * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sizeOf(file));
}

void read(benchmark::State& state, Reader reader) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  if (!files().agree(n)) {
    state.SkipWithError("the readers build different models");
    return;
  }
  const std::string file = files().of(reader, n);
  KtOMLStatic* grammar = files().grammar.get();
  for (auto _ : state) {
    auto result = std::make_unique<Result>();
    if (!readOnce(reader, file, grammar, *result)) state.SkipWithError("the reading failed");
    benchmark::DoNotOptimize(result.get());
    state.PauseTiming();
    result.reset();
    state.ResumeTiming();
  }
  perElement(state, 3.0 * n, file);
  const Fresh fresh = freshReading(reader, file);
  state.counters["fresh_ns_per_element"] = fresh.cpuSeconds * 1e9 / (3.0 * n);
  state.counters["peak_MiB"] = fresh.peakMiB;
}

// Releasing the result is timed too: pausing the clock would cost as much as the reading.
void readSmall(benchmark::State& state, Reader reader) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  if (!files().agree(n)) {
    state.SkipWithError("the readers build different models");
    return;
  }
  const std::string file = files().of(reader, n);
  KtOMLStatic* grammar = files().grammar.get();
  for (auto _ : state) {
    Result result;
    if (!readOnce(reader, file, grammar, result)) state.SkipWithError("the reading failed");
    benchmark::DoNotOptimize(&result);
  }
  perElement(state, 3.0 * n, file);
}

void write(benchmark::State& state, bool binary) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  GraphReader reader;
  reader.readOMLFile(files().text(n).c_str(), files().grammar.get(), nullptr, -1, 0, 0, 0);
  std::unique_ptr<Graph> graph(static_cast<Graph*>(reader.pTopLevelObject()));
  graph->iUserField(1);
  for (std::size_t i = 0; i < graph->nodes.size(); ++i)
    graph->nodes[i]->iUserField(static_cast<std::int64_t>(i + 1));
  const std::string out = files().folder + (binary ? "/out.omlb" : "/out.oml");
  for (auto _ : state) {
    GraphWriter writer;
    if (writer.writeOMLFile(out.c_str(), files().grammar.get(), graph.get(), binary, 0, 0) !=
        KT_FILE_OK)
      state.SkipWithError("the writing failed");
  }
  perElement(state, 3.0 * n, out);
}

constexpr int kSmall = 3;  // nodes of the small file
constexpr int kSmallReadings = 10000;
const int kSizes[] = {10000, 100000};

// The comparisons, in the order they run. Each reader is measured once, under the first
// comparison that has it; a later comparison repeats that measurement under its own name in the
// file output (--benchmark_out), which is where scripts/bench.sh takes its ratios from.
struct Comparison {
  const char* name;  // without the side
  bool binary;       // the ktbase side reads the binary file
  bool model;        // the peers build the model
  bool small;
};
const Comparison kComparisons[] = {
    {"BM_ReadGraph", false, false, false},      {"BM_ReadGraphModel", false, true, false},
    {"BM_ReadGraphBinary", true, false, false}, {"BM_ReadGraphBinaryModel", true, true, false},
    {"BM_ReadSmall", false, true, true},        {"BM_ReadSmallBinary", true, true, true}};

struct Registry {
  // The name a reader is measured under, by (reader, small file).
  std::map<std::pair<Reader, bool>, std::string> measured;
  // The further names of a measurement, by the name it is measured under.
  std::map<std::string, std::vector<std::string>> aliases;

  std::string of(Reader reader, bool small) const {
    const auto found = measured.find({reader, small});
    return found != measured.end() ? found->second : std::string();
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

void registerAll() {
  Registry& r = registry();
  for (const Comparison& comparison : kComparisons) {
    const Reader kt = comparison.binary ? Reader::KtBinary : Reader::KtText;
    const std::pair<const char*, Reader> sides[] = {
        {"Kt", kt},
        {"Nlohmann", comparison.model ? Reader::NlohmannModel : Reader::NlohmannDom},
        {"RapidJSON", comparison.model ? Reader::RapidJSONModel : Reader::RapidJSONDom}};
    for (const auto& side : sides) {
      const std::string name = std::string(comparison.name) + "<" + side.first + ">";
      const auto done = r.measured.find({side.second, comparison.small});
      if (done != r.measured.end()) {
        r.aliases[done->second].push_back(name);
        continue;
      }
      r.measured[{side.second, comparison.small}] = name;
      if (comparison.small) {
        benchmark::RegisterBenchmark(name.c_str(), readSmall, side.second)
            ->Arg(kSmall)
            ->Iterations(kSmallReadings)
            ->Unit(benchmark::kMicrosecond);
      } else {
        auto* b = benchmark::RegisterBenchmark(name.c_str(), read, side.second);
        for (int n : kSizes) b->Arg(n);
        b->Unit(benchmark::kMillisecond);
      }
    }
  }
  for (bool binary : {false, true}) {
    auto* b =
        benchmark::RegisterBenchmark(binary ? "BM_WriteBinary" : "BM_WriteText", write, binary);
    for (int n : kSizes) b->Arg(n);
    b->Unit(benchmark::kMillisecond);
  }
}

// ---------------------------------------------------------------------------------------------
// Reporters

// The file reporter of the run, which also writes every measurement under its further names.
template <class Base>
class Repeating : public Base {
 public:
  using Base::Base;
  void ReportRuns(const std::vector<benchmark::BenchmarkReporter::Run>& runs) override {
    std::vector<benchmark::BenchmarkReporter::Run> all = runs;
    for (const auto& run : runs) {
      const auto found = registry().aliases.find(run.run_name.function_name);
      if (found == registry().aliases.end()) continue;
      for (const std::string& alias : found->second) {
        all.push_back(run);
        all.back().run_name.function_name = alias;
      }
    }
    Base::ReportRuns(all);
  }
};

// The reporter for --benchmark_out_format, or null for an unknown format.
std::unique_ptr<benchmark::BenchmarkReporter> fileReporter(const std::string& format) {
  if (format == "json") return std::make_unique<Repeating<benchmark::JSONReporter>>();
  if (format == "console")
    return std::make_unique<Repeating<benchmark::ConsoleReporter>>(
        benchmark::ConsoleReporter::OO_None);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (format == "csv") return std::make_unique<Repeating<benchmark::CSVReporter>>();
#pragma GCC diagnostic pop
  return nullptr;
}

// The console reporter, keeping every counter of every run for the summary table.
class Recorder : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name + "/" + run.run_name.args;
      for (const auto& counter : run.counters) {
        if (run.run_type == Run::RT_Iteration)
          samples_[name][counter.first].push_back(counter.second.value);
        else if (run.aggregate_name == "median")
          medians_[name][counter.first] = counter.second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Returns 1 iff a reading ran.
  bool readingsRan() const {
    for (const auto& row : samples_)
      if (row.first.compare(0, 7, "BM_Read") == 0) return true;
    for (const auto& row : medians_)
      if (row.first.compare(0, 7, "BM_Read") == 0) return true;
    return false;
  }

  // The median of the counter over the repetitions; -1 when the row did not run.
  double value(const std::string& name, const std::string& counter) const {
    const auto row = samples_.find(name);
    if (row != samples_.end() && row->second.count(counter) != 0) {
      std::vector<double> v = row->second.at(counter);
      std::sort(v.begin(), v.end());
      return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    const auto median = medians_.find(name);
    if (median != medians_.end() && median->second.count(counter) != 0)
      return median->second.at(counter);
    return -1;
  }

 private:
  std::map<std::string, std::map<std::string, std::vector<double>>> samples_;
  std::map<std::string, std::map<std::string, double>> medians_;
};

// ---------------------------------------------------------------------------------------------
// The summary table

std::string cell(double value, const char* format = "%.2f") {
  if (value < 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string ratio(double a, double b) { return a < 0 || b <= 0 ? "-" : cell(a / b); }

void printSummary(const Recorder& recorder) {
  if (!recorder.readingsRan()) return;
  const Registry& r = registry();
  std::printf(
      "\nOML reading next to JSON reading (medians; CPU time; ratios are ktbase / peer, below 1 "
      "means ktbase is faster or smaller;\n'/10k' is the time per element at N = %d divided by "
      "that at N = %d: 1.00 is linear)\n",
      kSizes[1], kSizes[0]);
  const char* const kCounters[] = {"ns_per_element", "fresh_ns_per_element", "peak_MiB"};
  for (const bool model : {false, true}) {
    const struct {
      const char* label;
      Reader reader;
    } readers[] = {{"ktbase text", Reader::KtText},
                   {"ktbase binary", Reader::KtBinary},
                   {model ? "nlohmann model" : "nlohmann DOM",
                    model ? Reader::NlohmannModel : Reader::NlohmannDom},
                   {model ? "RapidJSON model" : "RapidJSON DOM",
                    model ? Reader::RapidJSONModel : Reader::RapidJSONDom}};
    const std::string nl = r.of(readers[2].reader, false), rj = r.of(readers[3].reader, false);
    bool headed = false;
    for (const auto& reader : readers) {
      const std::string name = r.of(reader.reader, false);
      for (int n : kSizes) {
        const std::string suffix = "/" + std::to_string(n);
        if (recorder.value(name + suffix, "ns_per_element") < 0) continue;
        if (!headed) {
          headed = true;
          std::printf("\n%s\n", model ? "peers: file -> DOM -> model" : "peers: file -> DOM");
          std::printf("%-16s %7s | %8s %5s %5s %5s | %8s %5s %5s %5s | %8s %5s %5s\n", "reader",
                      "N", "ns/elem", "/10k", "/nl", "/rj", "fresh", "/10k", "/nl", "/rj",
                      "peak MiB", "/nl", "/rj");
        }
        std::printf("%-16s %7d", reader.label, n);
        for (const char* counter : kCounters) {
          const double v = recorder.value(name + suffix, counter);
          std::printf(" | %8s", cell(v, v >= 100 ? "%.0f" : "%.1f").c_str());
          if (std::strcmp(counter, "peak_MiB") != 0) {
            const double at10k = recorder.value(name + "/" + std::to_string(kSizes[0]), counter);
            std::printf(" %5s", n == kSizes[1] ? ratio(v, at10k).c_str() : "");
          }
          std::printf(" %5s %5s", ratio(v, recorder.value(nl + suffix, counter)).c_str(),
                      ratio(v, recorder.value(rj + suffix, counter)).c_str());
        }
        std::printf("\n");
      }
    }
  }

  const std::string small = "/" + std::to_string(kSmall);
  // Microseconds per reading, from the CPU time per element.
  const auto micros = [&](Reader reader) {
    const double ns = recorder.value(r.of(reader, true) + small, "ns_per_element");
    return ns < 0 ? ns : ns * 3 * kSmall / 1000;
  };
  const double nl = micros(Reader::NlohmannModel), rj = micros(Reader::RapidJSONModel);
  bool headed = false;
  const std::pair<const char*, Reader> readers[] = {{"ktbase text", Reader::KtText},
                                                    {"ktbase binary", Reader::KtBinary},
                                                    {"nlohmann model", Reader::NlohmannModel},
                                                    {"RapidJSON model", Reader::RapidJSONModel}};
  for (const auto& reader : readers) {
    const double v = micros(reader.second);
    if (v < 0) continue;
    if (!headed) {
      headed = true;
      std::printf(
          "\nsmall file (%d nodes, %d edges; OML text %lld bytes, binary %lld, JSON %lld) "
          "read %d times\n%-16s | %8s %5s %5s\n",
          kSmall, 2 * kSmall, static_cast<long long>(sizeOf(files().text(kSmall))),
          static_cast<long long>(sizeOf(files().binary(kSmall))),
          static_cast<long long>(sizeOf(files().json(kSmall))), kSmallReadings, "reader", "us/read",
          "/nl", "/rj");
    }
    std::printf("%-16s | %8s %5s %5s\n", reader.first, cell(v).c_str(), ratio(v, nl).c_str(),
                ratio(v, rj).c_str());
  }

  std::printf("\n");
  for (int n : kSizes)
    if (sizeOf(files().text(n)) > 0)
      std::printf("file sizes at N = %d: OML text %.1f MiB, OML binary %.1f MiB, JSON %.1f MiB\n",
                  n, static_cast<double>(sizeOf(files().text(n))) / (1 << 20),
                  static_cast<double>(sizeOf(files().binary(n))) / (1 << 20),
                  static_cast<double>(sizeOf(files().json(n))) / (1 << 20));
  std::printf("a fresh process of this program that reads nothing peaks at %.1f MiB\n",
              freshReading(Reader::KtText, "").peakMiB);
}

// The value of a --benchmark_NAME=VALUE flag, or `otherwise`.
std::string flag(int argc, char** argv, const std::string& name, const std::string& otherwise) {
  const std::string prefix = "--benchmark_" + name + "=";
  std::string value = otherwise;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) value = argv[i] + prefix.size();
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--fresh") return freshMain(argc, argv);
  // The library's flags as it reads them; the reporters are made here (the summary table needs
  // the console's runs, the file output the repeated names).
  const std::string format = flag(argc, argv, "format", "console");
  const std::string color = flag(argc, argv, "color", "auto");
  const std::string tabular = flag(argc, argv, "counters_tabular", "false");
  const bool out = !flag(argc, argv, "out", "").empty();
  std::unique_ptr<benchmark::BenchmarkReporter> file =
      fileReporter(flag(argc, argv, "out_format", "json"));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerAll();
  int options = benchmark::ConsoleReporter::OO_None;
  if (color == "true" || color == "yes" || (color == "auto" && isatty(1)))
    options |= benchmark::ConsoleReporter::OO_Color;
  if (tabular == "true" || tabular == "yes") options |= benchmark::ConsoleReporter::OO_Tabular;
  Recorder recorder(static_cast<benchmark::ConsoleReporter::OutputOptions>(options));
  std::unique_ptr<benchmark::BenchmarkReporter> display;
  if (format != "console") display = fileReporter(format);
  benchmark::RunSpecifiedBenchmarks(display != nullptr ? display.get() : &recorder,
                                    out ? file.get() : nullptr);
  if (display == nullptr) {
    std::fflush(stdout);
    printSummary(recorder);
  }
  benchmark::Shutdown();
  return 0;
}
