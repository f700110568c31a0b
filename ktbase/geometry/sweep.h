// A plane sweep over segments that lie along the sweep direction. KtSweep visits the start and
// the end of every segment in coordinate order while it keeps the open segments in a sweep line,
// ordered across the sweep direction, and calls a hook at each event, so that a subclass can act
// on the segments open at the same time and on their neighbours in the sweep line. What a segment
// is, and where it starts and ends, the subclass says through the coordinate hooks;
// KtHorSegment is the library's own segment: a height with a list of objects on it.
// KtSweepSegmentSort sorts an event list in the sweep's order, and KtSegSortedBinTree is the sweep
// line.
//
// Contract of KtSweep:
// - Borrows the segments: it keeps two event lists of its own cells for them (the starts not
//   yet visited, the ends not yet visited) and never copies or deletes a segment. Owns the
//   cells of both lists and the sweep line, which owns its cells.
// - run() sorts both lists stably by start, respectively end coordinate (equal coordinates keep
//   the order the segments were given in) and visits the events in coordinate order, starts
//   before ends at equal coordinates; each list is consumed from its front as it goes, so both
//   are empty afterwards. A start enters the segment into the sweep line, then calls
//   actOnStartOfSegment; an end calls actOnEndOfSegment, then takes the segment out. So segments
//   that touch at a coordinate are open together for a moment.
// - The sweep line orders by otherStartCoordinateOfSegment, equal keys by the segments'
//   addresses. The sweep reads each start and end coordinate once, before the first event, and
//   the key whenever it places or finds a segment: none of them may change during the run.
// - A segment whose end coordinate lies below its start ends before it starts: its end finds
//   nothing to take out, and its start leaves it in the sweep line until the sweep line is
//   deleted (by the next initialize() or the destructor). Every other segment leaves the sweep
//   line empty behind it.
// - The hooks may read the sweep line, not change it or the event lists.
//
// Time: O(n log n) for n segments; the coordinate hooks run once per segment and list, the key
// hook once per sweep-line cell passed on the way down.
#ifndef KTBASE_GEOMETRY_SWEEP_H
#define KTBASE_GEOMETRY_SWEEP_H

#include <cstdint>

#include "ktbase/containers/bin_tree.h"
#include "ktbase/containers/dlist.h"
#include "ktbase/containers/list_sort.h"
#include "ktbase/core/algorithm.h"
#include "ktbase/core/object.h"

class KtSweep;

// Stored and returned by KtSweep for its subclasses; the sweep itself does not read it.
enum KtSweepTypeEnum : int {
  KT_SWEEP_HORIZONTAL = 0,  // segments along x, the sweep line ordered by y
  KT_SWEEP_VERTICAL = 1     // segments along y, the sweep line ordered by x
};

// A horizontal segment at height y with the objects on it. Owns the list's cells, never the
// objects. The deep copy gives the list new cells for the same objects; the attribute copy keeps
// y and leaves the list empty.
class KtHorSegment : public KtObject {
  KT_OBJECT(KtHorSegment, KtObject)

 public:
  KtHorSegment() { init(); }
  ~KtHorSegment() override;

  // y() reads the height; y(v) stores v and returns it.
  std::int32_t y() const { return y_; }
  std::int32_t y(std::int32_t value) { return y_ = value; }
  KtDList* pList() { return &list_; }
  const KtDList* pList() const { return &list_; }
  // The segment object plus one KtDListCell per object on it, in bytes.
  std::int32_t sizeOf() const;

 protected:
  void init() {
    y_ = 0;
    list_.deleteAllCells();
  }

 private:
  std::int32_t y_;
  KtDList list_;
};

// The sweep line: a red-black tree of cells for the open segments, ordered by the sweep's
// otherStartCoordinateOfSegment, equal keys by address (the comparison never answers 0). Without
// a sweep every key is 0. Borrows the sweep and the segments; owns its cells. Both copies take
// the tree as KtSortedBinTree does (the deep one clones the segments) and share the sweep.
class KtSegSortedBinTree : public KtSortedBinTree {
  KT_OBJECT(KtSegSortedBinTree, KtSortedBinTree)

 public:
  explicit KtSegSortedBinTree(KtSweep* sweep = nullptr) {
    init();
    sweep_ = sweep;
  }
  ~KtSegSortedBinTree() override;

  // The open segment just below, respectively above, `segment` in the sweep line; null when
  // `segment` is the first (last) or not in the sweep line.
  KtObject* pPreceedingSegment(const KtObject* segment) const;
  KtObject* pSucceedingSegment(const KtObject* segment) const;

 protected:
  void init() { sweep_ = nullptr; }
  // Slot 11: -1 when a's key is smaller, or equal and a's address lower; otherwise 1.
  int virtualObjectCompare(const KtObject* objectA, const KtObject* objectB) const override;

 private:
  friend class KtSweep;

  KtSweep* pSweep() const { return sweep_; }
  std::int32_t keyOf(const KtObject* segment) const;
  // The key of a cell's segment; the cells the sweep makes keep it.
  std::int32_t keyOf(const KtBinTreeCell* cell) const;
  // The sorted insertion and search, with the segment's key taken once rather than at every
  // comparison. insertSegment returns null when memory runs out.
  KtBinTreeCell* insertSegment(KtObject* segment);
  KtBinTreeCell* findSegment(const KtObject* segment) const;

  KtSweep* sweep_;
};

// Orders event cells by the start (whichCoordinate 0) or the end coordinate (1) of their
// segments, as the sweep's hooks give them; any other selector, or no sweep, makes all segments
// equal. Borrows the sweep.
class KtSweepSegmentSort : public KtDListSort {
  KT_OBJECT_CAST(KtSweepSegmentSort)

 public:
  explicit KtSweepSegmentSort(KtSweep* sweep = nullptr, int whichCoordinate = 0)
      : sweep_(sweep), whichCoordinate_(whichCoordinate) {}
  ~KtSweepSegmentSort() override;

  // whichCoordinate() reads the selector; whichCoordinate(v) stores v and returns it.
  int whichCoordinate() const { return whichCoordinate_; }
  int whichCoordinate(int value) { return whichCoordinate_ = value; }

 protected:
  // Slot 9.
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override;
  // Slot 10: prints nothing.
  void virtualDebugOutputElement(KtDListCell* /*cell*/) override {}

 private:
  KtSweep* sweep_;
  int whichCoordinate_;
};

class KtSweep : public KtQELAlgorithm {
  KT_OBJECT_CAST(KtSweep)

 public:
  // Both event lists get a cell for every object of `segments`, in its order; null leaves them
  // empty. The sweep line is made by initialize().
  KtSweep(const KtDList* segments, KtSweepTypeEnum type);
  KtSweep(const KtSweep&) = delete;
  // Deletes the cells of both lists and the sweep line, never the segments.
  ~KtSweep() override;

  // Deletes the sweep line left by an earlier run and makes an empty one bound to this sweep
  // (none when memory runs out).
  void initialize() override;
  // The sweep. Without a sweep line (initialize() not run, or memory ran out) it does nothing.
  void algorithmBody() override;

  KtDList* pStartSegmentList() { return &startSegments_; }
  KtDList* pEndSegmentList() { return &endSegments_; }
  // Null until initialize().
  KtSegSortedBinTree* pSweepLine() const { return sweepLine_; }
  KtSweepTypeEnum sweepType() const { return sweepType_; }

 protected:
  void init() {
    sweepType_ = KT_SWEEP_HORIZONTAL;
    sweepLine_ = nullptr;
  }

  // Slots 14 to 19.
  // Where the segment begins, respectively ends, along the sweep direction.
  virtual std::int32_t startCoordinateOfSegment(const KtObject* segment) = 0;
  virtual std::int32_t endCoordinateOfSegment(const KtObject* segment) = 0;
  // The coordinate across the sweep direction that orders the sweep line; 0 here.
  virtual std::int32_t otherStartCoordinateOfSegment(const KtObject* segment);
  // 0 here; the sweep does not use it.
  virtual std::int32_t otherEndCoordinateOfSegment(const KtObject* segment);
  // Called after the segment entered the sweep line; does nothing here.
  virtual void actOnStartOfSegment(KtObject* segment);
  // Called before the segment leaves the sweep line; does nothing here.
  virtual void actOnEndOfSegment(KtObject* segment);

 private:
  friend class KtSweepSegmentSort;
  friend class KtSegSortedBinTree;
  struct EventQueue;  // one event list during algorithmBody (sweep.cpp)

  // A sweep is not assigned: this does nothing.
  const KtSweep& operator=(const KtSweep&) { return *this; }

  KtSweepTypeEnum sweepType_;
  KtDList startSegments_;
  KtDList endSegments_;
  KtSegSortedBinTree* sweepLine_;
};

#endif  // KTBASE_GEOMETRY_SWEEP_H
