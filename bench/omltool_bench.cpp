// omltool's JSON form on a generated graph of N nodes and 2N edges (as the OML benchmark makes
// it): OML text to JSON (reading the text, writing the JSON) and JSON to OML text (reading the
// JSON, checking it against the grammar, writing the canonical text), per element (nodes and
// edges). Next to them, RapidJSON on the same JSON file: its SAX parse alone with a handler that
// does nothing, its DOM parse, and its parse piped into its own writer (a JSON to JSON copy).
//
// The graph: one Graph (label, directed) holding Nodes with ids 1..N (label, x, y, width,
// height, shape, colour "#rrggbb") and Edges without ids (source and target references to nodes,
// label, weight), deterministic from a seed, in a temporary folder while the program runs.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/filewritestream.h>
#include <rapidjson/reader.h>
#include <rapidjson/writer.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "bench/graph_grammar.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"
#include "tools/omltool/grammar_file.h"
#include "tools/omltool/json_reader.h"
#include "tools/omltool/json_writer.h"
#include "tools/omltool/tree_writer.h"

namespace {

// Reads a file for its tree only, as omltool does.
class TreeReader : public KtOMLFile {
 protected:
  int vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) override { return 1; }
};

struct Files {
  std::string folder;
  DeclaredNames names;
  std::unique_ptr<KtOMLStatic> grammar;

  Files() {
    char pattern[] = "/tmp/ktbase-omltool-bench-XXXXXX";
    folder = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    std::FILE* out = std::fopen((folder + "/graph.grammar").c_str(), "wb");
    std::fputs(kGraphGrammar, out);
    std::fclose(out);
    std::string error;
    grammar = loadGrammar(folder + "/graph.grammar", error, &names);
    if (grammar == nullptr) std::fprintf(stderr, "grammar: %s\n", error.c_str());
  }
  ~Files() { std::system(("rm -rf '" + folder + "'").c_str()); }

  std::string text(int n) { return folder + "/graph" + std::to_string(n) + ".oml"; }
  std::string json(int n) { return folder + "/graph" + std::to_string(n) + ".json"; }

  // Writes the text file of a graph of n nodes once, and its JSON form from it.
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
    TreeReader reader;
    reader.readOMLFile(text(n).c_str(), grammar.get(), nullptr, -1, 0, 0, 0);
    JsonWriter writer(reader.pSyntaxTree(), &names);
    writer.writeOMLFile(json(n).c_str(), grammar.get(), nullptr, 0, 0, 0);
  }

  std::map<int, bool> made_;
};

Files& files() {
  static Files f;
  return f;
}

void report(benchmark::State& state, int n) {
  state.counters["ns_per_element"] = benchmark::Counter(
      3.0 * n * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_OmlToJson_Kt(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  const std::string out = files().folder + "/out.json";
  for (auto _ : state) {
    TreeReader reader;
    if (reader.readOMLFile(files().text(n).c_str(), files().grammar.get(), nullptr, -1, 0, 0, 0) !=
            KT_FILE_OK ||
        JsonWriter(reader.pSyntaxTree(), &files().names)
                .writeOMLFile(out.c_str(), files().grammar.get(), nullptr, 0, 0, 0) != KT_FILE_OK)
      state.SkipWithError("the conversion failed");
  }
  report(state, n);
}

void BM_JsonToOml_Kt(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  const std::string out = files().folder + "/out.oml";
  for (auto _ : state) {
    JsonReader reader;
    std::string error;
    TextPlace place;
    if (!reader.read(files().json(n), files().grammar.get(), files().folder, error, place) ||
        TreeWriter(reader.pSyntaxTree(), &files().names)
                .writeOMLFile(out.c_str(), files().grammar.get(), nullptr, 0, 0, 0) != KT_FILE_OK)
      state.SkipWithError("the conversion failed");
  }
  report(state, n);
}

// RapidJSON's SAX parse of the JSON file, with a handler that takes every event and does nothing.
void BM_JsonToOml_RapidJsonSax(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  static char buffer[1 << 16];
  for (auto _ : state) {
    std::FILE* in = std::fopen(files().json(n).c_str(), "rb");
    rapidjson::FileReadStream stream(in, buffer, sizeof buffer);
    rapidjson::BaseReaderHandler<> handler;
    rapidjson::Reader reader;
    if (reader.Parse(stream, handler).IsError()) state.SkipWithError("the parse failed");
    std::fclose(in);
  }
  report(state, n);
}

// RapidJSON's DOM parse of the JSON file.
void BM_JsonToOml_RapidJsonDom(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  static char buffer[1 << 16];
  for (auto _ : state) {
    std::FILE* in = std::fopen(files().json(n).c_str(), "rb");
    rapidjson::FileReadStream stream(in, buffer, sizeof buffer);
    rapidjson::Document document;
    if (document.ParseStream(stream).HasParseError()) state.SkipWithError("the parse failed");
    std::fclose(in);
  }
  report(state, n);
}

// RapidJSON's parse of the JSON file into its own writer: a JSON to JSON copy.
void BM_OmlToJson_RapidJsonCopy(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  files().make(n);
  static char inBuffer[1 << 16], outBuffer[1 << 16];
  const std::string out = files().folder + "/copy.json";
  for (auto _ : state) {
    std::FILE* in = std::fopen(files().json(n).c_str(), "rb");
    std::FILE* to = std::fopen(out.c_str(), "wb");
    rapidjson::FileReadStream stream(in, inBuffer, sizeof inBuffer);
    rapidjson::FileWriteStream sink(to, outBuffer, sizeof outBuffer);
    rapidjson::Writer<rapidjson::FileWriteStream> writer(sink);
    rapidjson::Reader reader;
    if (reader.Parse(stream, writer).IsError()) state.SkipWithError("the copy failed");
    std::fclose(in);
    std::fclose(to);
  }
  report(state, n);
}

// The names bench.sh pairs: BM_<conversion><Side>/n.
BENCHMARK(BM_OmlToJson_Kt)->Name("BM_OmlToJson<Kt>")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OmlToJson_RapidJsonCopy)
    ->Name("BM_OmlToJson<RapidJsonCopy>")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonToOml_Kt)->Name("BM_JsonToOml<Kt>")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonToOml_RapidJsonSax)
    ->Name("BM_JsonToOml<RapidJsonSax>")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonToOml_RapidJsonDom)
    ->Name("BM_JsonToOml<RapidJsonDom>")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
