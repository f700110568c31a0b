// KtDList next to std::list<void*> doing the same work: append n cells, walk n, remove every
// other cell by handle, splice a whole list. Each benchmark comes in a Kt and a Std form with the
// same name; scripts/bench.sh prints the Kt/Std time ratio of each pair.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <list>
#include <random>
#include <vector>

#include "ktbase/containers/dlist.h"

namespace {

KtObject* objectFor(std::size_t i) { return reinterpret_cast<KtObject*>((i + 1) * 16); }

// Several key sets, used in turn, so that the branch predictor and prefetcher cannot learn one:
// each removes every other cell (even or odd positions) in its own shuffled order.
std::vector<std::vector<std::size_t>> removalKeySets(std::size_t n) {
  std::vector<std::vector<std::size_t>> sets;
  std::mt19937 random(42);
  for (std::size_t set = 0; set < 4; ++set) {
    std::vector<std::size_t> keys;
    for (std::size_t i = set % 2; i < n; i += 2) keys.push_back(i);
    std::shuffle(keys.begin(), keys.end(), random);
    sets.push_back(std::move(keys));
  }
  return sets;
}

struct Kt {
  using List = KtDList;
  using Handle = KtDListCell*;
  static Handle append(List& list, KtObject* object) { return list.appendObject(object); }
  static std::uintptr_t walk(const List& list) {
    std::uintptr_t sum = 0;
    for (KtDListIter it(&list); it; ++it) sum += reinterpret_cast<std::uintptr_t>(it.pObject());
    return sum;
  }
  static void remove(List& list, Handle handle) { list.discardCell(handle); }
  static void splice(List& to, List& from) { to.appendList(&from); }
  static void moveToEnd(List& list, Handle handle) { list.appendCell(list.removeCell(handle)); }
};

struct Std {
  using List = std::list<void*>;
  using Handle = List::iterator;
  static Handle append(List& list, KtObject* object) {
    list.push_back(object);
    return std::prev(list.end());
  }
  static std::uintptr_t walk(const List& list) {
    std::uintptr_t sum = 0;
    for (void* p : list) sum += reinterpret_cast<std::uintptr_t>(p);
    return sum;
  }
  static void remove(List& list, Handle handle) { list.erase(handle); }
  static void splice(List& to, List& from) { to.splice(to.end(), from); }
  static void moveToEnd(List& list, Handle handle) { list.splice(list.end(), list, handle); }
};

// The heap bytes a list of n elements holds, allocator headers included, per element.
template <class Side>
double heapBytesPerElement(std::size_t n) {
  const std::size_t before = mallinfo2().uordblks;
  typename Side::List list;
  for (std::size_t i = 0; i < n; ++i) Side::append(list, objectFor(i));
  return static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(n);
}

// Builds a list of n elements and destroys it: one allocation and one free per element.
template <class Side>
void BM_Append(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    typename Side::List list;
    for (std::size_t i = 0; i < n; ++i) Side::append(list, objectFor(i));
    benchmark::DoNotOptimize(&list);
  }
  state.counters["heap bytes/elem"] = heapBytesPerElement<Side>(n);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Builds a list of n elements whose order is their allocation order. malloc_trim first hands
// freed memory back, so that the cells come out of fresh memory one after the other whatever the
// earlier benchmarks freed.
template <class Side>
void buildInOrder(typename Side::List& list, std::size_t n) {
  malloc_trim(0);
  for (std::size_t i = 0; i < n; ++i) Side::append(list, objectFor(i));
}

// Walks a list laid out in memory in list order, the best case for the prefetcher.
template <class Side>
void BM_Walk(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  typename Side::List list;
  buildInOrder<Side>(list, n);
  for (auto _ : state) benchmark::DoNotOptimize(Side::walk(list));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Walks a list whose order is a random permutation of its memory order, as after a long life of
// insertions and removals: every step is a cache miss on both sides.
template <class Side>
void BM_WalkScattered(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  typename Side::List list;
  std::vector<typename Side::Handle> handles;
  malloc_trim(0);
  for (std::size_t i = 0; i < n; ++i) handles.push_back(Side::append(list, objectFor(i)));
  std::shuffle(handles.begin(), handles.end(), std::mt19937(7));
  for (auto handle : handles) Side::moveToEnd(list, handle);
  for (auto _ : state) benchmark::DoNotOptimize(Side::walk(list));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Times only the removals; building the list each round is outside the clock.
template <class Side>
void BM_RemoveEveryOther(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto keySets = removalKeySets(n);
  std::vector<typename Side::Handle> handles(n);
  std::size_t round = 0;
  for (auto _ : state) {
    typename Side::List list;
    malloc_trim(0);
    for (std::size_t i = 0; i < n; ++i) handles[i] = Side::append(list, objectFor(i));
    const auto& keys = keySets[round++ % keySets.size()];
    auto start = std::chrono::steady_clock::now();
    for (std::size_t key : keys) Side::remove(list, handles[key]);
    auto stop = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(&list);
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * (n / 2)));
}

// Moves a whole list of n elements to the end of another and back: two splices a round.
template <class Side>
void BM_Splice(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  typename Side::List a, b;
  for (std::size_t i = 0; i < n; ++i) Side::append(b, objectFor(i));
  for (auto _ : state) {
    Side::splice(a, b);
    Side::splice(b, a);
    benchmark::DoNotOptimize(&a);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 2));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Append, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Append, Std)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Walk, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Walk, Std)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_WalkScattered, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_WalkScattered, Std)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_RemoveEveryOther, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_RemoveEveryOther, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_Splice, Kt)->Arg(1000)->Arg(1000000);
BENCHMARK_TEMPLATE(BM_Splice, Std)->Arg(1000)->Arg(1000000);

BENCHMARK_MAIN();
