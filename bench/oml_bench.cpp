// The OML reader and writer on a generated graph of N nodes and 2N edges: reading into objects
// built through the reader's hooks (a small node and edge model written here) and writing them
// back, in text and in binary. Reported per element (nodes and edges): time, throughput, and the
// peak memory of a process that reads the file once.
//
// The graph: one Graph (label, directed) holding Nodes with ids 1..N (label, x, y, width,
// height, shape, colour "#rrggbb") and Edges without ids (source and target references to
// nodes, label, weight), deterministic from a seed. The grammar is the tool's grammar file of
// examples/data/graph.grammar; the generated files and grammar stay in a temporary folder while
// the program runs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"
#include "tools/omltool/grammar_file.h"

namespace {

const char kGrammar[] =
    "value box 1\nvalue ellipse 2\nvalue circle 3\nvalue diamond 4\n"
    "O $toplevel$\nT Graph\n}\n"
    "O Graph\nF label S\nF directed B\nS layout\nF spacing R\nF orthogonal B\n}\nT Node\nT "
    "Edge\n}\n"
    "O Node\nF label S\nF x I\nF y I\nF width R\nF height R\nE shape [box..diamond]\n"
    "F colour S\n}\n"
    "O Edge\nR source Node R\nR target Node R\nF label S\nF weight R\n}\n";

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
// The generated files

struct Files {
  std::string folder;
  std::unique_ptr<KtOMLStatic> grammar;

  Files() {
    char pattern[] = "/tmp/ktbase-oml-bench-XXXXXX";
    folder = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    std::FILE* out = std::fopen((folder + "/graph.grammar").c_str(), "wb");
    std::fputs(kGrammar, out);
    std::fclose(out);
    std::string error;
    grammar = loadGrammar(folder + "/graph.grammar", error);
    if (grammar == nullptr) std::fprintf(stderr, "grammar: %s\n", error.c_str());
  }
  ~Files() { std::system(("rm -rf '" + folder + "'").c_str()); }

  std::string text(int n) { return folder + "/graph" + std::to_string(n) + ".oml"; }
  std::string binary(int n) { return folder + "/graph" + std::to_string(n) + ".omlb"; }

  // Writes the text file of a graph of n nodes once, and its binary form from it.
  void make(int n) {
    if (made_[n]) return;
    made_[n] = true;
    std::mt19937 random(static_cast<unsigned>(n));
    std::FILE* out = std::fopen(text(n).c_str(), "wb");
    std::fprintf(out, "Graph 1 {\n  label: \"generated graph\"\n  directed: true\n");
    static const char* const kShapes[] = {"box", "ellipse", "circle", "diamond"};
    for (int i = 1; i <= n; ++i)
      std::fprintf(out,
                   "  Node %d {\n    label: \"node %d\"\n    x: %d\n    y: %d\n    width: %d.%06d\n"
                   "    height: %d.%06d\n    shape: %s\n    colour: \"#%06x\"\n  }\n",
                   i, i, static_cast<int>(random() % 100000), static_cast<int>(random() % 100000),
                   static_cast<int>(random() % 100), static_cast<int>(random() % 1000000),
                   static_cast<int>(random() % 100), static_cast<int>(random() % 1000000),
                   kShapes[random() % 4], static_cast<unsigned>(random() % 0x1000000));
    for (int i = 0; i < 2 * n; ++i)
      std::fprintf(out,
                   "  Edge {\n    source: %d\n    target: %d\n    label: \"edge %d\"\n"
                   "    weight: %d.%06d\n  }\n",
                   static_cast<int>(1 + random() % n), static_cast<int>(1 + random() % n), i,
                   static_cast<int>(random() % 100), static_cast<int>(random() % 1000000));
    std::fprintf(out, "}\n");
    std::fclose(out);
    GraphReader reader;
    reader.readOMLFile(text(n).c_str(), grammar.get(), nullptr, -1, 0, 0, 0);
    std::unique_ptr<Graph> graph(static_cast<Graph*>(reader.pTopLevelObject()));
    graph->iUserField(1);
    for (std::size_t i = 0; i < graph->nodes.size(); ++i)
      graph->nodes[i]->iUserField(static_cast<std::int64_t>(i + 1));
    GraphWriter writer;
    writer.writeOMLFile(binary(n).c_str(), grammar.get(), graph.get(), 1, 0, 0);
  }

  std::map<int, bool> made_;
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

// The peak resident memory, in MiB, of a fresh process (this program again, started with
// --peak) that reads the file once: a forked copy would count this process's memory too.
double peakMemoryOfOneReading(const std::string& name, bool binary) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return -1;
  self[length] = 0;
  const std::string command = std::string("'") + self + "' --peak '" + files().folder +
                              "/graph.grammar' '" + name + "' " + (binary ? "1" : "0");
  std::FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return -1;
  long kib = -1;
  if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
  pclose(child);
  return kib / 1024.0;
}

// --peak GRAMMAR FILE BINARY: one reading, then the peak resident memory in KiB on stdout.
int peakMain(char** argv) {
  std::string error;
  std::unique_ptr<KtOMLStatic> grammar = loadGrammar(argv[2], error);
  if (grammar == nullptr) return 1;
  {
    GraphReader reader;
    reader.readOMLFile(argv[3], grammar.get(), nullptr, -1, std::atoi(argv[4]), 0, 0);
    delete reader.pTopLevelObject();
  }
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%ld\n", static_cast<long>(usage.ru_maxrss));
  return 0;
}

void report(benchmark::State& state, int n, const std::string& file) {
  const double elements = 3.0 * n;
  state.counters["ns_per_element"] = benchmark::Counter(
      elements * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sizeOf(file));
}

void read(benchmark::State& state, bool binary) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  const std::string file = binary ? files().binary(n) : files().text(n);
  for (auto _ : state) {
    GraphReader reader;
    if (reader.readOMLFile(file.c_str(), files().grammar.get(), nullptr, -1, binary, 0, 0) !=
        KT_FILE_OK)
      state.SkipWithError("the reading failed");
    Graph* graph = static_cast<Graph*>(reader.pTopLevelObject());
    benchmark::DoNotOptimize(graph);
    state.PauseTiming();
    delete graph;
    state.ResumeTiming();
  }
  report(state, n, file);
  state.counters["peak_MiB"] = peakMemoryOfOneReading(file, binary);
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
  report(state, n, out);
}

void BM_ReadText(benchmark::State& state) { read(state, false); }
void BM_ReadBinary(benchmark::State& state) { read(state, true); }
void BM_WriteText(benchmark::State& state) { write(state, false); }
void BM_WriteBinary(benchmark::State& state) { write(state, true); }

BENCHMARK(BM_ReadText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBinary)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBinary)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--peak") return peakMain(argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
