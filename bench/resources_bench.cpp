// KtColorResourceDB next to the same pool kept in a std::map keyed by the sort key. A heat-map
// drawing gives every node its own colour: n distinct colours are listed, then each is looked up
// again the way a holder does it, in random order: a fresh resource of that colour is inserted
// (the pool finds the listed one, deletes the fresh one and counts a holder) and the holder lets
// go again (the pool hands back a private clone, which is deleted). Both sides allocate, compare
// and delete the same KtColorResource objects; only the container differs. The Fill pair lists
// the n colours into an empty pool and empties it again.
// scripts/bench.sh prints the Kt/Std time ratio of each pair; the items per second show how the
// time per operation grows with n.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "ktbase/resources/color.h"

namespace {

// n distinct colours in random order, made once per n.
const std::vector<KtColor>& colours(std::size_t n) {
  static std::map<std::size_t, std::vector<KtColor>> made;
  std::vector<KtColor>& list = made[n];
  if (list.empty()) {
    std::mt19937 random(static_cast<unsigned>(n));
    std::set<std::uint32_t> seen;
    while (list.size() < n) {
      const std::uint32_t rgb = random() & 0xFFFFFF;
      if (!seen.insert(rgb).second) continue;
      KtColor c;
      c.ired(static_cast<int>(rgb >> 16));
      c.igreen(static_cast<int>(rgb >> 8));
      c.iblue(static_cast<int>(rgb));
      list.push_back(c);
    }
  }
  return list;
}

// The same colours in another random order, for the lookups.
std::vector<const KtColor*> shuffled(const std::vector<KtColor>& list) {
  std::vector<const KtColor*> order;
  for (const KtColor& c : list) order.push_back(&c);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  return order;
}

struct Kt {
  KtColorResourceDB db;
  const KtColorResource* insert(const KtColor* colour) {
    return db.insert(new KtColorResource(&db, colour));
  }
  void release(const KtColorResource* r) {
    KtColorResource* back = db.remove(r);
    if (back != r) delete back;  // a clone; the instance itself stays with a last holder here
  }
  void empty() { db.empty(); }
};

struct Std {
  struct Held {
    KtColorResource* resource;
    std::int32_t holders;
  };
  std::map<std::int32_t, Held> pool;

  ~Std() { empty(); }
  const KtColorResource* insert(const KtColor* colour) {
    KtColorResource* fresh = new KtColorResource(nullptr, colour);
    auto it = pool.find(fresh->sortKey());
    if (it != pool.end() && fresh->isEqual(it->second.resource)) {
      delete fresh;
      ++it->second.holders;
      return it->second.resource;
    }
    pool.emplace(fresh->sortKey(), Held{fresh, 1});
    return fresh;
  }
  void release(const KtColorResource* r) {
    auto it = pool.find(r->sortKey());
    if (it == pool.end() || it->second.resource != r) return;
    if (--it->second.holders > 0) {
      delete r->cloneObject();
      return;
    }
    pool.erase(it);
  }
  void empty() {
    for (auto& entry : pool) delete entry.second.resource;
    pool.clear();
  }
};

template <class Side>
void BM_Fill(benchmark::State& state) {
  const std::vector<KtColor>& list = colours(static_cast<std::size_t>(state.range(0)));
  Side side;
  for (auto _ : state) {
    for (const KtColor& c : list) benchmark::DoNotOptimize(side.insert(&c));
    side.empty();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}

template <class Side>
void BM_Lookup(benchmark::State& state) {
  const std::vector<KtColor>& list = colours(static_cast<std::size_t>(state.range(0)));
  const std::vector<const KtColor*> order = shuffled(list);
  Side side;
  for (const KtColor& c : list) side.insert(&c);
  for (auto _ : state) {
    for (const KtColor* c : order) side.release(side.insert(c));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Fill, Kt)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Fill, Std)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Lookup, Kt)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Lookup, Std)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
