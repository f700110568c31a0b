// KtSweep next to the same sweep written with the standard library: n random horizontal
// segments, their starts and ends visited in coordinate order (starts first on ties) while the
// open segments are kept ordered by height, then address. The ktbase side is a KtSweep subclass
// whose hooks read the segment; the standard side stable-sorts two vectors of pointers and keeps
// the open segments in a std::multiset. Each round builds the sweep, runs it and destroys it;
// both hooks add up the heights of the segments they see, so that neither side can skip work.
// scripts/bench.sh prints the Kt/Std time ratio of each pair; the items per second show how the
// time per segment grows with n.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "ktbase/containers/dlist.h"
#include "ktbase/geometry/sweep.h"

namespace {

struct Segment : KtHorSegment {
  std::int32_t from = 0;
  std::int32_t to = 0;
};

// n segments over [0, 2^30), each up to 2^26 long, at heights in [0, 2^30): about n / 32 are
// open at a time. The segments and the list of them are made once per n.
struct SegmentSet {
  std::vector<std::unique_ptr<Segment>> segments;
  KtDList list;
};

const SegmentSet& segmentSet(std::size_t n) {
  static std::map<std::size_t, SegmentSet> made;
  SegmentSet& set = made[n];
  if (set.segments.empty()) {
    std::mt19937 random(static_cast<unsigned>(n));
    for (std::size_t i = 0; i < n; ++i) {
      auto segment = std::make_unique<Segment>();
      segment->from = static_cast<std::int32_t>(random() >> 2);
      segment->to = segment->from + static_cast<std::int32_t>(random() >> 6);
      segment->y(static_cast<std::int32_t>(random() >> 2));
      set.list.appendObject(segment.get());
      set.segments.push_back(std::move(segment));
    }
  }
  return set;
}

const Segment* seg(const KtObject* object) { return static_cast<const Segment*>(object); }

class Sweep : public KtSweep {
 public:
  explicit Sweep(const KtDList* segments) : KtSweep(segments, KT_SWEEP_HORIZONTAL) {}
  std::int64_t sum = 0;

 protected:
  std::int32_t startCoordinateOfSegment(const KtObject* s) override { return seg(s)->from; }
  std::int32_t endCoordinateOfSegment(const KtObject* s) override { return seg(s)->to; }
  std::int32_t otherStartCoordinateOfSegment(const KtObject* s) override { return seg(s)->y(); }
  void actOnStartOfSegment(KtObject* s) override { sum += seg(s)->y(); }
  void actOnEndOfSegment(KtObject* s) override { sum -= seg(s)->y(); }
};

struct Kt {
  static std::int64_t sweep(const SegmentSet& set) {
    Sweep sweep(&set.list);
    sweep.run();
    return sweep.sum + sweep.pSweepLine()->length();
  }
};

struct Std {
  struct ByHeight {
    bool operator()(const Segment* a, const Segment* b) const {
      if (a->y() != b->y()) return a->y() < b->y();
      return std::less<const Segment*>()(a, b);
    }
  };
  static std::int64_t sweep(const SegmentSet& set) {
    std::vector<const Segment*> starts, ends;
    starts.reserve(set.list.length());
    ends.reserve(set.list.length());
    for (KtDListCell* c = set.list.pFirstCell(); c != nullptr; c = c->pNextCell()) {
      starts.push_back(seg(c->pObject()));
      ends.push_back(seg(c->pObject()));
    }
    std::stable_sort(starts.begin(), starts.end(),
                     [](const Segment* a, const Segment* b) { return a->from < b->from; });
    std::stable_sort(ends.begin(), ends.end(),
                     [](const Segment* a, const Segment* b) { return a->to < b->to; });
    std::multiset<const Segment*, ByHeight> line;
    std::int64_t sum = 0;
    std::size_t i = 0, j = 0;
    while (i < starts.size() || j < ends.size()) {
      if (i < starts.size() && (j == ends.size() || starts[i]->from <= ends[j]->to)) {
        line.insert(starts[i]);
        sum += starts[i++]->y();
      } else {
        sum -= ends[j]->y();
        line.erase(line.find(ends[j++]));
      }
    }
    return sum + static_cast<std::int64_t>(line.size());
  }
};

template <class Side>
void BM_Sweep(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const SegmentSet& set = segmentSet(n);
  for (auto _ : state) benchmark::DoNotOptimize(Side::sweep(set));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Sweep, Kt)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Sweep, Std)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
