// Line reading and string interning next to their standard peers.
//  ReadLines: a 100 MB text file read line by line with KtFile::readString (Kt), std::getline
//    on a std::ifstream (Std) and fgets (Fgets). Every side reads the same file, warm in the
//    page cache, and touches every line.
//  PoolUpdate / PoolLookup: n identifiers interned in a case-sensitive KtStringPool of
//    1,000,003 chains, or 1,000 in one of 1,103 chains (Kt), next to
//    std::unordered_map<std::string, std::int32_t> reserved for as many (Std); update builds the
//    table and adds all n, lookup finds all n in a built table, in another order. The map is handed
//    the std::string keys it is given in a program that holds them, so it builds no temporary
//    string per call; the pool gets their characters.
//  PoolUpdateFolded / PoolLookupFolded: the same with a pool that is not case-sensitive, next to
//    the same map.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "ktbase/files/file.h"
#include "ktbase/files/string_pool.h"

namespace {

constexpr std::size_t kFileBytes = 100u << 20;
constexpr std::int32_t kChains = 1000003;

// The file is written once per run, under $TMPDIR, and removed at exit.
const std::string& textFile() {
  static const std::string name = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr ? dir : "/tmp") + "/ktbase-bench-" +
                       std::to_string(getpid()) + ".txt";
    std::mt19937 random(17);
    std::string text;
    text.reserve(kFileBytes + 256);
    while (text.size() < kFileBytes) {
      std::size_t length = random() % 120;  // lines of 0 to 119 characters
      for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('!' + random() % 90);
      text += '\n';
    }
    std::ofstream(path, std::ios::binary) << text;
    std::atexit([] { std::remove(textFile().c_str()); });
    // Read once, so that every side finds it in the page cache.
    std::ifstream warm(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    while (warm.read(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
    return path;
  }();
  return name;
}

void BM_ReadLinesKt(benchmark::State& state) {
  textFile();  // made before the clock runs
  for (auto _ : state) {
    KtFile file;
    if (file.open(textFile().c_str(), KT_FILE_READ) != KT_FILE_OK) state.SkipWithError("open");
    KtStringHandle line;
    std::size_t bytes = 0;
    while (file.readString(line) == KT_FILE_OK) bytes += line.strlenBuf();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_ReadLinesStd(benchmark::State& state) {
  textFile();  // made before the clock runs
  for (auto _ : state) {
    std::ifstream in(textFile(), std::ios::binary);
    std::string line;
    std::size_t bytes = 0;
    while (std::getline(in, line)) bytes += line.size() + 1;
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_ReadLinesFgets(benchmark::State& state) {
  textFile();  // made before the clock runs
  for (auto _ : state) {
    std::FILE* in = std::fopen(textFile().c_str(), "rb");
    char line[4096];
    std::size_t bytes = 0;
    while (std::fgets(line, sizeof line, in) != nullptr) bytes += std::strlen(line);
    std::fclose(in);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// Identifiers as a graph file has them: a few prefixes, numbers, some suffixes.
std::vector<std::string> identifiers(std::size_t n) {
  const char* prefixes[] = {"node", "edge", "label", "n", "e_", "port", "layoutHint", "x"};
  std::vector<std::string> names;
  names.reserve(n);
  std::mt19937 random(23);
  for (std::size_t i = 0; i < n; ++i) {
    std::string name = prefixes[random() % 8] + std::to_string(i);
    if (random() % 3 == 0) name += "_in";
    names.push_back(std::move(name));
  }
  return names;
}

// The same identifiers in another order, for lookups.
std::vector<const std::string*> shuffled(const std::vector<std::string>& names) {
  std::vector<const std::string*> order;
  for (const std::string& name : names) order.push_back(&name);
  std::shuffle(order.begin(), order.end(), std::mt19937(31));
  return order;
}

template <int kCaseSensitive>
struct KtPool {
  using Table = KtStringPool;
  static Table* make(std::int32_t chains) { return new KtStringPool(chains, 3, kCaseSensitive, 0); }
  static std::int32_t update(Table& table, const std::string& s) { return table.update(s.c_str()); }
  static std::int32_t lookup(const Table& table, const std::string& s) {
    return table.lookup(s.c_str());
  }
};
using Kt = KtPool<1>;
using KtFolded = KtPool<0>;

struct Std {
  using Table = std::unordered_map<std::string, std::int32_t>;
  static Table* make(std::int32_t chains) {
    Table* table = new Table;
    table->reserve(static_cast<std::size_t>(chains));
    return table;
  }
  static std::int32_t update(Table& table, const std::string& s) {
    auto inserted = table.emplace(s, static_cast<std::int32_t>(table.size()));
    return inserted.first->second;
  }
  static std::int32_t lookup(const Table& table, const std::string& s) {
    auto found = table.find(s);
    return found == table.end() ? -1 : found->second;
  }
};

template <class Side>
void BM_PoolUpdate(benchmark::State& state) {
  std::vector<std::string> names = identifiers(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    typename Side::Table* table = Side::make(static_cast<std::int32_t>(state.range(1)));
    std::int64_t sum = 0;
    for (const std::string& name : names) sum += Side::update(*table, name);
    benchmark::DoNotOptimize(sum);
    state.PauseTiming();
    delete table;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Side>
void BM_PoolLookup(benchmark::State& state) {
  std::vector<std::string> names = identifiers(static_cast<std::size_t>(state.range(0)));
  std::vector<const std::string*> order = shuffled(names);
  typename Side::Table* table = Side::make(static_cast<std::int32_t>(state.range(1)));
  for (const std::string& name : names) Side::update(*table, name);
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const std::string* name : order) sum += Side::lookup(*table, *name);
    benchmark::DoNotOptimize(sum);
  }
  delete table;
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// n identifiers in 1,000,003 chains, and 1,000 in a pool sized for them (1,103 chains).
void poolSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({1000, kChains})->Args({1000000, kChains})->Args({1000, 1103});
}

}  // namespace

BENCHMARK(BM_ReadLinesKt)->Name("BM_ReadLines<Kt>")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesStd)->Name("BM_ReadLines<Std>")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesFgets)->Name("BM_ReadLines<Fgets>")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolUpdate, Kt)->Apply(poolSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolUpdate, Std)->Apply(poolSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolLookup, Kt)->Apply(poolSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolLookup, Std)->Apply(poolSizes)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolUpdate, KtFolded)
    ->Name("BM_PoolUpdateFolded<Kt>")
    ->Apply(poolSizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolUpdate, Std)
    ->Name("BM_PoolUpdateFolded<Std>")
    ->Apply(poolSizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolLookup, KtFolded)
    ->Name("BM_PoolLookupFolded<Kt>")
    ->Apply(poolSizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_PoolLookup, Std)
    ->Name("BM_PoolLookupFolded<Std>")
    ->Apply(poolSizes)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
