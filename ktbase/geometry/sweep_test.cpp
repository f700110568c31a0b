#include "ktbase/geometry/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace {

const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Census {
  int made = 0;
  int destroyed = 0;
};

// A horizontal segment from `from` to `to` at height y, counted by a census.
class Segment : public KtHorSegment {
 public:
  Segment(Census* census, std::int32_t from, std::int32_t to, std::int32_t height)
      : from_(from), to_(to), census_(census) {
    y(height);
    ++census_->made;
  }
  Segment(const Segment& source)
      : KtHorSegment(source), from_(source.from_), to_(source.to_), census_(source.census_) {
    ++census_->made;
  }
  ~Segment() override { ++census_->destroyed; }
  KtObject* vCloneObject() const override { return new Segment(*this); }

  std::int32_t from_, to_;

 private:
  Census* census_;
};

const Segment* seg(const KtObject* object) { return static_cast<const Segment*>(object); }

using Objects = std::vector<const KtObject*>;

// What a hook saw: the event, the open segments in sweep-line order, the neighbours, and the
// fronts of the two event lists.
struct Event {
  char kind;
  const KtObject* segment;
  Objects open;
  const KtObject* below;
  const KtObject* above;
  const KtObject* nextStart = nullptr;
  const KtObject* nextEnd = nullptr;
  bool operator==(const Event& o) const {
    return std::tie(kind, segment, open, below, above, nextStart, nextEnd) ==
           std::tie(o.kind, o.segment, o.open, o.below, o.above, o.nextStart, o.nextEnd);
  }
};

const KtObject* frontOf(const KtDList* list) {
  return list->length() == 0 ? nullptr : list->pFirstCell()->pObject();
}

Objects objectsOf(const KtDList* list) {
  Objects objects;
  for (KtDListIter it(list); it; ++it) objects.push_back(it.pObject());
  return objects;
}

class RecordingSweep : public KtSweep {
 public:
  explicit RecordingSweep(const KtDList* segments) : KtSweep(segments, KT_SWEEP_VERTICAL) {}
  std::vector<Event> events;
  bool sound = true;

 protected:
  std::int32_t startCoordinateOfSegment(const KtObject* s) override { return seg(s)->from_; }
  std::int32_t endCoordinateOfSegment(const KtObject* s) override { return seg(s)->to_; }
  std::int32_t otherStartCoordinateOfSegment(const KtObject* s) override { return seg(s)->y(); }
  void actOnStartOfSegment(KtObject* s) override { record('S', s); }
  void actOnEndOfSegment(KtObject* s) override { record('E', s); }

 private:
  void record(char kind, const KtObject* s) {
    const KtSegSortedBinTree* line = pSweepLine();
    events.push_back(Event{kind, s, objectsOf(line), line->pPreceedingSegment(s),
                           line->pSucceedingSegment(s), frontOf(pStartSegmentList()),
                           frontOf(pEndSegmentList())});
    sound = sound && line->checkInvariants();
  }
};

// The brute-force sweep: events by a stable sort of each coordinate, starts first on ties; the
// open segments in a vector kept in (y, address) order. `left` receives what stays open.
std::vector<Event> modelSweep(std::vector<Segment*> starts, std::vector<Segment*> ends,
                              Objects& left) {
  std::stable_sort(starts.begin(), starts.end(),
                   [](const Segment* a, const Segment* b) { return a->from_ < b->from_; });
  std::stable_sort(ends.begin(), ends.end(),
                   [](const Segment* a, const Segment* b) { return a->to_ < b->to_; });
  const auto below = [](const KtObject* a, const KtObject* b) {
    return seg(a)->y() != seg(b)->y() ? seg(a)->y() < seg(b)->y()
                                      : std::less<const KtObject*>()(a, b);
  };
  Objects open;
  std::vector<Event> events;
  std::size_t i = 0, j = 0;
  const auto record = [&](char kind, const KtObject* s) {
    Event e{kind,
            s,
            open,
            nullptr,
            nullptr,
            i < starts.size() ? starts[i] : nullptr,
            j < ends.size() ? ends[j] : nullptr};
    const auto at = std::find(open.begin(), open.end(), s);
    if (at != open.end() && at != open.begin()) e.below = *(at - 1);
    if (at != open.end() && at + 1 != open.end()) e.above = *(at + 1);
    events.push_back(e);
  };
  while (i < starts.size() || j < ends.size()) {
    if (i < starts.size() && (j == ends.size() || starts[i]->from_ <= ends[j]->to_)) {
      const KtObject* s = starts[i++];
      open.insert(std::lower_bound(open.begin(), open.end(), s, below), s);
      record('S', s);
    } else {
      const KtObject* s = ends[j];
      record('E', s);  // before the end leaves its list
      ++j;
      open.erase(std::remove(open.begin(), open.end(), s), open.end());
    }
  }
  left = open;
  return events;
}

// The model below checks every event of a run; these are the runs around it and an end at the
// largest coordinate, which comes after every start when the start list is empty.
TEST(KtSweep, RunsAndKeepsNoSegment) {
  Census census;
  Segment a(&census, 0, 10, 3), b(&census, 10, 20, 1);
  Segment last(&census, kMax, kMax, 0), back(&census, 5, 2, 2);
  KtDList segments;
  for (Segment* one : {&b, &a, &last, &back}) segments.appendObject(one);
  {
    RecordingSweep sweep(&segments);
    EXPECT_EQ(sweep.pSweepLine(), nullptr);
    EXPECT_EQ(sweep.sweepType(), KT_SWEEP_VERTICAL);
    sweep.algorithmBody();  // no sweep line yet: nothing happens
    EXPECT_EQ(sweep.pStartSegmentList()->length(), 4);
    sweep.run();
    std::vector<char> kinds;
    for (const Event& e : sweep.events) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<char>{'S', 'E', 'S', 'S', 'E', 'E', 'S', 'E'}));
    // A backward segment ends before it starts and stays in the sweep line until that goes.
    EXPECT_EQ(sweep.events[1], (Event{'E', &back, {&a}, nullptr, nullptr, &back, &back}));
    EXPECT_EQ(objectsOf(sweep.pSweepLine()), (Objects{&back}));
    EXPECT_EQ(sweep.pStartSegmentList()->length() + sweep.pEndSegmentList()->length(), 0);
    sweep.events.clear();
    sweep.run();  // finds nothing to do and only replaces the sweep line
    EXPECT_TRUE(sweep.events.empty());
    EXPECT_EQ(sweep.pSweepLine()->length(), 0);
  }
  RecordingSweep none(nullptr);
  none.run();
  EXPECT_TRUE(none.events.empty());
  EXPECT_EQ(none.pSweepLine()->length(), 0);
  EXPECT_EQ(census.destroyed, 0);
}

TEST(KtSweep, TreeAndSortTakeTheSweepsCoordinates) {
  Census census;
  Segment s[3] = {{&census, 0, 9, 5}, {&census, 0, 3, 1}, {&census, 0, 9, 5}};
  KtDList list;
  for (Segment* one : {&s[2], &s[0], &s[1]}) list.appendObject(one);
  RecordingSweep sweep(&list);
  // The event sort: by end coordinate for selector 1; everything equal for another.
  KtSweepSegmentSort sort(&sweep, 1);
  sort.quickSort(&list, 0);
  EXPECT_EQ(objectsOf(&list), (Objects{&s[1], &s[2], &s[0]}));
  sort.whichCoordinate(2);
  EXPECT_EQ(sort.quickSort(sweep.pEndSegmentList(), 1), 0);

  // Without a sweep every key is 0 and the tree orders by address; copies share the sweep, and
  // the deep one clones the segments.
  KtSegSortedBinTree alone;
  for (Segment& one : s) alone.addObject(&one);
  Objects sorted = {&s[0], &s[1], &s[2]};
  std::sort(sorted.begin(), sorted.end(), std::less<const KtObject*>());
  EXPECT_EQ(objectsOf(&alone), sorted);
  EXPECT_EQ(alone.pPreceedingSegment(sorted[1]), sorted[0]);
  EXPECT_EQ(alone.pSucceedingSegment(sorted[2]), nullptr);
  EXPECT_EQ(alone.pSucceedingSegment(&sweep), nullptr);  // not in it
  // Cells added by hand are asked about through the sweep's key hook: 1, then the fives.
  KtSegSortedBinTree bound(&sweep);
  for (Segment& one : s) bound.addObject(&one);
  const bool firstLower = std::less<const KtObject*>()(&s[0], &s[2]);
  const KtObject* lowFive = firstLower ? &s[0] : &s[2];
  EXPECT_EQ(objectsOf(&bound), (Objects{&s[1], lowFive, firstLower ? &s[2] : &s[0]}));
  EXPECT_EQ(bound.pPreceedingSegment(lowFive), &s[1]);
  KtSegSortedBinTree* clone = alone.cloneObject();
  EXPECT_EQ(census.made, 6);
  clone->deleteAllCellsAndObjects();
  delete clone;
  EXPECT_EQ(census.destroyed, 3);

  // KtHorSegment copies share the objects on it.
  KtHorSegment holder;
  EXPECT_EQ(holder.y(7), 7);
  holder.pList()->appendObject(&s[0]);
  holder.pList()->appendObject(&s[1]);
  const KtHorSegment deep(holder), settings(holder, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(deep.pList()->compare(holder.pList()), 1);
  EXPECT_NE(deep.pList()->pFirstCell(), holder.pList()->pFirstCell());
  EXPECT_EQ(settings.y(), 7);
  EXPECT_EQ(settings.pList()->length(), 0);
  EXPECT_EQ(holder.sizeOf(),
            static_cast<std::int32_t>(sizeof(KtHorSegment) + 2 * sizeof(KtDListCell)));
  EXPECT_EQ(census.destroyed, 3);
}

TEST(KtSweepDifferential, RandomSegmentSetsMatchABruteForceSweep) {
  std::mt19937 random(2024);
  Census census;
  for (int round = 0; round < 3000; ++round) {
    // Few coordinates and heights, so that many are equal; the extremes now and then.
    const auto coordinate = [&]() -> std::int32_t {
      const unsigned pick = random() % 20;
      return pick == 0 ? kMin : pick == 1 ? kMax : static_cast<std::int32_t>(random() % 12);
    };
    std::vector<std::unique_ptr<Segment>> owned;
    std::vector<Segment*> segments;
    KtDList list;
    const int n = static_cast<int>(random() % 25);
    for (int i = 0; i < n; ++i) {
      std::int32_t from = coordinate(), to = coordinate();
      if (random() % 8 != 0 && to < from) std::swap(from, to);  // a few run backwards
      if (random() % 6 == 0) to = from;                         // some have no length
      owned.push_back(
          std::make_unique<Segment>(&census, from, to, static_cast<std::int32_t>(random() % 4)));
      segments.push_back(owned.back().get());
      list.appendObject(segments.back());
    }
    const int destroyed = census.destroyed;
    {
      RecordingSweep sweep(&list);
      // Now and then a caller takes a segment out of one event list before the run.
      std::vector<Segment*> starts = segments, ends = segments;
      if (n > 0 && random() % 5 == 0) {
        const bool fromStarts = random() % 2;
        const int position = static_cast<int>(random() % n);
        KtDList* events = fromStarts ? sweep.pStartSegmentList() : sweep.pEndSegmentList();
        events->discardCell(events->pCellInPosition(position + 1));
        (fromStarts ? starts : ends).erase((fromStarts ? starts : ends).begin() + position);
      }
      Objects left;
      const std::vector<Event> expected = modelSweep(starts, ends, left);
      sweep.run();
      ASSERT_TRUE(sweep.sound) << round;
      ASSERT_EQ(sweep.events.size(), expected.size()) << round;
      for (std::size_t e = 0; e < expected.size(); ++e)
        ASSERT_EQ(sweep.events[e], expected[e]) << round << " event " << e;
      ASSERT_EQ(objectsOf(sweep.pSweepLine()), left) << round;
    }
    ASSERT_EQ(objectsOf(&list), Objects(segments.begin(), segments.end()));
    ASSERT_EQ(census.destroyed, destroyed);  // the sweep deleted no segment
  }
}

}  // namespace
