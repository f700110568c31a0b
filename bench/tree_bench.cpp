// KtSortedBinTree next to std::multiset doing the same work on the same objects: insert n boxed
// keys, remove them all by handle, walk the sequence in order. Both sides hold pointers to the
// objects and compare through them. Each benchmark comes in a Kt and a Std form with the same
// name; scripts/bench.sh prints the Kt/Std time ratio of each pair.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "ktbase/containers/bin_tree.h"
#include "ktbase/core/numbers.h"

namespace {

// Several key sets, used in turn, so that the branch predictor cannot learn one: n keys drawn from
// [0, n) (some repeat), and for each set a removal order of its own.
struct KeySet {
  std::vector<KtInt> objects;
  std::vector<std::size_t> removalOrder;
};

const std::vector<KeySet>& keySets(std::size_t n) {
  static std::map<std::size_t, std::vector<KeySet>> made;
  std::vector<KeySet>& sets = made[n];
  if (sets.empty()) {
    std::mt19937 random(static_cast<unsigned>(n));
    for (int set = 0; set < 4; ++set) {
      KeySet keys;
      keys.objects.reserve(n);
      for (std::size_t i = 0; i < n; ++i) keys.objects.emplace_back(static_cast<int>(random() % n));
      for (std::size_t i = 0; i < n; ++i) keys.removalOrder.push_back(i);
      std::shuffle(keys.removalOrder.begin(), keys.removalOrder.end(), random);
      sets.push_back(std::move(keys));
    }
  }
  return sets;
}

class IntTree : public KtSortedBinTree {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    int x = static_cast<const KtInt*>(a)->value();
    int y = static_cast<const KtInt*>(b)->value();
    return (x > y) - (x < y);
  }
};

struct Kt {
  using Tree = IntTree;
  using Handle = KtBinTreeCell*;
  static Handle insert(Tree& tree, const KtInt& object) {
    return tree.addObject(const_cast<KtInt*>(&object));
  }
  static void remove(Tree& tree, Handle handle) { tree.discardCell(handle); }
  static std::int64_t walk(const Tree& tree) {
    std::int64_t sum = 0;
    for (KtDListIter it(&tree); it; ++it) sum += static_cast<const KtInt*>(it.pObject())->value();
    return sum;
  }
};

struct Std {
  struct ByValue {
    bool operator()(const KtInt* a, const KtInt* b) const { return a->value() < b->value(); }
  };
  using Tree = std::multiset<const KtInt*, ByValue>;
  using Handle = Tree::iterator;
  static Handle insert(Tree& tree, const KtInt& object) { return tree.insert(&object); }
  static void remove(Tree& tree, Handle handle) { tree.erase(handle); }
  static std::int64_t walk(const Tree& tree) {
    std::int64_t sum = 0;
    for (const KtInt* object : tree) sum += object->value();
    return sum;
  }
};

// Hands freed memory back to the system before a round builds its tree, so that the cells come
// out of fresh memory in allocation order whatever the previous round freed, and in what order.
// Outside the clock; the allocator keeps its default settings.
void freshMemory() { malloc_trim(0); }

double seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times the n insertions into an empty tree; the destruction is outside the clock.
template <class Side>
void BM_TreeInsert(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keys = sets[round++ % sets.size()];
    typename Side::Tree tree;
    auto start = std::chrono::steady_clock::now();
    for (const KtInt& object : keys.objects) Side::insert(tree, object);
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(&tree);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Times the removal of all n elements by handle, in a shuffled order.
template <class Side>
void BM_TreeRemove(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::vector<typename Side::Handle> handles(n);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keys = sets[round++ % sets.size()];
    typename Side::Tree tree;
    freshMemory();
    for (std::size_t i = 0; i < n; ++i) handles[i] = Side::insert(tree, keys.objects[i]);
    auto start = std::chrono::steady_clock::now();
    for (std::size_t i : keys.removalOrder) Side::remove(tree, handles[i]);
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(&tree);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Walks a tree of n elements in order, reading every element's key.
template <class Side>
void BM_TreeWalk(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::vector<typename Side::Tree> trees(sets.size());
  freshMemory();
  for (std::size_t set = 0; set < sets.size(); ++set)
    for (const KtInt& object : sets[set].objects) Side::insert(trees[set], object);
  std::size_t round = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Side::walk(trees[round++ % trees.size()]));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_TreeInsert, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_TreeInsert, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_TreeRemove, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_TreeRemove, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_TreeWalk, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_TreeWalk, Std)->Arg(1000)->Arg(1000000);

BENCHMARK_MAIN();
