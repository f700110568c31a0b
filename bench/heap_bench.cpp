// KtBinHeap next to Boost's mutable binary heap (d_ary_heap of arity 2 with handles) doing the
// same work: insert n keys, extract them all, decrease n keys through their handles. The standard
// priority queue, which has no handles and no key change, runs the first two for information.
// Each side holds (key, object pointer) elements; scripts/bench.sh prints the ratio of the Kt time
// to each peer's.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <queue>
#include <random>
#include <vector>

#include <boost/heap/d_ary_heap.hpp>

#include "ktbase/containers/bin_heap.h"

namespace {

KtObject* objectFor(std::size_t i) { return reinterpret_cast<KtObject*>((i + 1) * 16); }

// Several key sets, used in turn: n keys in [0, n) in random order (some repeat), and for the key
// changes a shuffled order of the elements with a new, smaller key for each.
struct KeySet {
  std::vector<std::int32_t> keys;
  std::vector<std::size_t> changeOrder;
  std::vector<std::int32_t> decreasedKeys;
};

const std::vector<KeySet>& keySets(std::size_t n) {
  static std::map<std::size_t, std::vector<KeySet>> made;
  std::vector<KeySet>& sets = made[n];
  if (sets.empty()) {
    std::mt19937 random(static_cast<unsigned>(n) + 1);
    for (int set = 0; set < 4; ++set) {
      KeySet keySet;
      for (std::size_t i = 0; i < n; ++i)
        keySet.keys.push_back(static_cast<std::int32_t>(random() % n));
      for (std::size_t i = 0; i < n; ++i) keySet.changeOrder.push_back(i);
      std::shuffle(keySet.changeOrder.begin(), keySet.changeOrder.end(), random);
      for (std::size_t i = 0; i < n; ++i)
        keySet.decreasedKeys.push_back(keySet.keys[i] - static_cast<std::int32_t>(random() % n));
      sets.push_back(std::move(keySet));
    }
  }
  return sets;
}

struct Element {
  std::int32_t key;
  KtObject* object;
};
// Orders the Boost and standard heaps so that the smallest key comes out first.
struct KeyAbove {
  bool operator()(const Element& a, const Element& b) const { return a.key > b.key; }
};

struct Kt {
  using Heap = KtBinHeap;
  using Handle = KtBinHeapCell*;
  static Handle push(Heap& heap, std::int32_t key, KtObject* object) {
    return heap.addObject(object, key);
  }
  static std::int32_t pop(Heap& heap) {
    KtBinHeapCell* cell = heap.pExtractMinCell();
    std::int32_t key = cell->value();
    delete cell;
    return key;
  }
  static void decrease(Heap& heap, Handle handle, std::int32_t key) {
    heap.changeValue(handle, key);
  }
};

struct Boost {
  using Heap = boost::heap::d_ary_heap<Element, boost::heap::arity<2>, boost::heap::mutable_<true>,
                                       boost::heap::compare<KeyAbove>>;
  using Handle = Heap::handle_type;
  static Handle push(Heap& heap, std::int32_t key, KtObject* object) {
    return heap.push({key, object});
  }
  static std::int32_t pop(Heap& heap) {
    std::int32_t key = heap.top().key;
    heap.pop();
    return key;
  }
  // A smaller key is a higher priority under KeyAbove: Boost calls that an increase.
  static void decrease(Heap& heap, Handle handle, std::int32_t key) {
    heap.increase(handle, {key, (*handle).object});
  }
};

struct Std {
  using Heap = std::priority_queue<Element, std::vector<Element>, KeyAbove>;
  using Handle = int;  // no handles
  static Handle push(Heap& heap, std::int32_t key, KtObject* object) {
    heap.push({key, object});
    return 0;
  }
  static std::int32_t pop(Heap& heap) {
    std::int32_t key = heap.top().key;
    heap.pop();
    return key;
  }
};

// Hands freed memory back to the system before a round builds its heap, so that the elements come
// out of fresh memory in allocation order whatever the previous round freed, and in what order.
// Outside the clock; the allocator keeps its default settings.
void freshMemory() { malloc_trim(0); }

double seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times n insertions into an empty heap; the destruction is outside the clock.
template <class Side>
void BM_HeapInsert(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keySet = sets[round++ % sets.size()];
    typename Side::Heap heap;
    freshMemory();
    auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < n; ++i) Side::push(heap, keySet.keys[i], objectFor(i));
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(&heap);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Times the extraction of all n elements, each freed as it comes out.
template <class Side>
void BM_HeapExtract(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keySet = sets[round++ % sets.size()];
    typename Side::Heap heap;
    freshMemory();
    for (std::size_t i = 0; i < n; ++i) Side::push(heap, keySet.keys[i], objectFor(i));
    auto start = std::chrono::steady_clock::now();
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += Side::pop(heap);
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Times n key decreases through the handles, in a shuffled order.
template <class Side>
void BM_HeapDecrease(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& sets = keySets(n);
  std::vector<typename Side::Handle> handles(n);
  std::size_t round = 0;
  for (auto _ : state) {
    const KeySet& keySet = sets[round++ % sets.size()];
    typename Side::Heap heap;
    freshMemory();
    for (std::size_t i = 0; i < n; ++i) handles[i] = Side::push(heap, keySet.keys[i], objectFor(i));
    auto start = std::chrono::steady_clock::now();
    for (std::size_t i : keySet.changeOrder)
      Side::decrease(heap, handles[i], keySet.decreasedKeys[i]);
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(&heap);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_HeapInsert, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapInsert, Boost)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapInsert, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapExtract, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapExtract, Boost)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapExtract, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapDecrease, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_HeapDecrease, Boost)->Arg(1000)->Arg(1000000)->UseManualTime();

BENCHMARK_MAIN();
