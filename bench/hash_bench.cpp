// KtIndexHashTable next to std::unordered_map<std::int64_t, std::int64_t> doing the same work on
// object identifiers: n keys handed out in increasing order in steps of 8 (as graph files number
// their objects) are stored, then looked up in a shuffled order. The table has 1,000,003
// buckets, the size a reader of large files would pick; the map reserves room for n entries.
// Several key sets (other first identifiers, other lookup orders) are used in turn.
//
//   Update        a table's whole life: construct, store n keys, destroy
//   Lookup        n lookups in a table built outside the clock
//   LookupRandom  the same with keys at random, as object addresses are: distinct multiples of
//                 16 below 2^40, so that their quotients exceed 32 bits and chains form
//   UpdateLookup  construct, store n keys, look each up, destroy
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "ktbase/containers/hash_table.h"

namespace {

constexpr std::int32_t kBuckets = 1000003;

struct KeySet {
  std::vector<std::int64_t> stored;    // in the order they are handed out
  std::vector<std::int64_t> searched;  // the same keys, shuffled
};

// n distinct random multiples of 16 below 2^40, in random order.
std::vector<std::int64_t> randomKeys(std::size_t n, std::mt19937_64& random) {
  std::vector<std::int64_t> keys;
  while (keys.size() < n) {
    while (keys.size() < n) keys.push_back(static_cast<std::int64_t>(random() >> 28) * 16);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  }
  std::shuffle(keys.begin(), keys.end(), random);
  return keys;
}

// Four key sets; with `sameKeys` they differ only in their lookup order. With `atRandom` the
// keys are those of randomKeys() instead of identifiers 8 apart.
std::vector<KeySet> keySets(std::size_t n, bool sameKeys, bool atRandom = false) {
  std::vector<KeySet> sets(4);
  std::mt19937_64 random(42);
  std::int64_t first = 0x10000;
  for (KeySet& set : sets) {
    if (atRandom) {
      set.stored = sameKeys && &set != &sets[0] ? sets[0].stored : randomKeys(n, random);
    } else {
      for (std::size_t i = 0; i < n; ++i)
        set.stored.push_back(first + 8 * static_cast<std::int64_t>(i));
    }
    set.searched = set.stored;
    std::shuffle(set.searched.begin(), set.searched.end(), random);
    if (!sameKeys)
      first += 8 * static_cast<std::int64_t>(n) + 8 * static_cast<std::int64_t>(random() % 4096);
  }
  return sets;
}

struct Kt {
  struct Table : KtIndexHashTable {
    explicit Table(std::size_t) : KtIndexHashTable(kBuckets, 8, 0) {}
  };
  static void store(Table& table, std::int64_t key, std::int64_t value) {
    table.update(key, value);
  }
  static std::int64_t find(const Table& table, std::int64_t key) { return table.lookup(key); }
};

struct Std {
  struct Table : std::unordered_map<std::int64_t, std::int64_t> {
    explicit Table(std::size_t n) { reserve(n); }
  };
  static void store(Table& table, std::int64_t key, std::int64_t value) { table[key] = value; }
  static std::int64_t find(const Table& table, std::int64_t key) {
    auto found = table.find(key);
    return found == table.end() ? 0 : found->second;
  }
};

template <class Side>
void fill(typename Side::Table& table, const KeySet& keys) {
  std::int64_t value = 1;
  for (std::int64_t key : keys.stored) Side::store(table, key, value++);
}

template <class Side>
std::int64_t findAll(const typename Side::Table& table, const KeySet& keys) {
  std::int64_t sum = 0;
  for (std::int64_t key : keys.searched) sum += Side::find(table, key);
  return sum;
}

template <class Side>
void BM_Update(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto sets = keySets(n, false);
  std::size_t round = 0;
  for (auto _ : state) {
    typename Side::Table table(n);
    fill<Side>(table, sets[round++ % sets.size()]);
    benchmark::DoNotOptimize(&table);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

template <class Side, bool kRandomKeys = false>
void BM_Lookup(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto sets = keySets(n, true, kRandomKeys);
  malloc_trim(0);  // fresh memory, whatever earlier benchmarks freed
  typename Side::Table table(n);
  fill<Side>(table, sets[0]);
  std::size_t round = 0;
  for (auto _ : state) benchmark::DoNotOptimize(findAll<Side>(table, sets[round++ % sets.size()]));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

template <class Side>
void BM_UpdateLookup(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto sets = keySets(n, false);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keys = sets[round++ % sets.size()];
    typename Side::Table table(n);
    fill<Side>(table, keys);
    benchmark::DoNotOptimize(findAll<Side>(table, keys));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Update, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Update, Std)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Lookup, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Lookup, Std)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Lookup, Kt, true)->Name("BM_LookupRandom<Kt>")->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Lookup, Std, true)->Name("BM_LookupRandom<Std>")->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_UpdateLookup, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_UpdateLookup, Std)->Arg(1000)->Arg(1000000);

BENCHMARK_MAIN();
