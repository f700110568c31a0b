// The list sorts next to std::list::sort doing the same work: a KtDList of n cells holding boxed
// numbers (KtLong), sorted by value with mergeSort and with quickSort, and a std::list of
// pointers to the same kind of objects sorted by value through the pointers. std::list has one
// sort, so it is the peer of both. Each round sorts one of several random key sets in turn;
// putting the list back into its unsorted order and storing the keys happen outside the clock.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <random>
#include <vector>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/list_sort.h"
#include "ktbase/core/numbers.h"

namespace {

std::vector<std::vector<std::int32_t>> keySets(std::size_t n) {
  std::vector<std::vector<std::int32_t>> sets(4);
  std::mt19937 random(42);
  for (auto& keys : sets)
    for (std::size_t i = 0; i < n; ++i) keys.push_back(static_cast<std::int32_t>(random()));
  return sets;
}

class ByValue : public KtDListSort {
 protected:
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override {
    std::int32_t a = KtLong::castDown(cellA->pObject())->value();
    std::int32_t b = KtLong::castDown(cellB->pObject())->value();
    return (a > b) - (a < b);
  }
  void virtualDebugOutputElement(KtDListCell*) override {}
};

// Objects and cells are made one after the other, as a program that builds a list as it reads
// would, from fresh memory (malloc_trim hands back what earlier benchmarks freed), so that both
// sides start from the same layout; reset puts the cells back in that order.
class Kt {
 public:
  explicit Kt(std::size_t n) {
    malloc_trim(0);
    for (std::size_t i = 0; i < n; ++i) {
      objects_.push_back(std::make_unique<KtLong>());
      cells_.push_back(list_.appendObject(objects_.back().get()));
    }
  }
  void reset(const std::vector<std::int32_t>& keys) {
    for (std::size_t i = 0; i < keys.size(); ++i) objects_[i]->value(keys[i]);
    for (KtDListCell* cell : cells_) list_.appendCell(list_.removeCell(cell));
  }
  void mergeSort() { sort_.mergeSort(&list_); }
  void quickSort() { sort_.quickSort(&list_, 0); }
  const void* front() const { return list_.pFirstCell(); }

 private:
  std::vector<std::unique_ptr<KtLong>> objects_;
  std::vector<KtDListCell*> cells_;
  KtDList list_;
  ByValue sort_;
};

class Std {
 public:
  using List = std::list<KtLong*>;
  explicit Std(std::size_t n) {
    malloc_trim(0);
    for (std::size_t i = 0; i < n; ++i) {
      objects_.push_back(std::make_unique<KtLong>());
      list_.push_back(objects_.back().get());
      nodes_.push_back(std::prev(list_.end()));
    }
  }
  void reset(const std::vector<std::int32_t>& keys) {
    for (std::size_t i = 0; i < keys.size(); ++i) objects_[i]->value(keys[i]);
    for (List::iterator node : nodes_) list_.splice(list_.end(), list_, node);
  }
  void mergeSort() { sort(); }
  void quickSort() { sort(); }
  const void* front() const { return &list_.front(); }

 private:
  void sort() {
    list_.sort([](const KtLong* a, const KtLong* b) { return a->value() < b->value(); });
  }
  std::vector<std::unique_ptr<KtLong>> objects_;
  List list_;
  std::vector<List::iterator> nodes_;
};

template <class Side, void (Side::*sort)()>
void timeSorts(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto keys = keySets(n);
  Side side(n);
  std::size_t round = 0;
  for (auto _ : state) {
    side.reset(keys[round++ % keys.size()]);
    auto start = std::chrono::steady_clock::now();
    (side.*sort)();
    auto stop = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(side.front());
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

template <class Side>
void BM_MergeSort(benchmark::State& state) {
  timeSorts<Side, &Side::mergeSort>(state);
}

template <class Side>
void BM_QuickSort(benchmark::State& state) {
  timeSorts<Side, &Side::quickSort>(state);
}

}  // namespace

BENCHMARK_TEMPLATE(BM_MergeSort, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_MergeSort, Std)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_QuickSort, Kt)->Arg(1000)->Arg(1000000)->UseManualTime();
BENCHMARK_TEMPLATE(BM_QuickSort, Std)->Arg(1000)->Arg(1000000)->UseManualTime();

BENCHMARK_MAIN();
