#include "ktbase/geometry/sweep.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <typeinfo>

#include "ktbase/containers/tree_links.h"

namespace {

// A sweep-line cell that keeps its segment's key, so that a descent reads the key from the cell
// it visits instead of asking the key hook about a segment elsewhere in memory. Only the sweep
// makes them; other cells of a sweep line are asked about through the hook.
class KeyedCell : public KtBinTreeCell {
 public:
  KeyedCell(KtObject* segment, std::int32_t key) : KtBinTreeCell(segment), key_(key) {}
  std::int32_t key_;
};

}  // namespace

// ---- KtHorSegment ---------------------------------------------------------------------------

KtHorSegment::~KtHorSegment() {}

void KtHorSegment::KtHorSegmentdeepCopy(const KtHorSegment& source) {
  KtObjectdeepCopy(source);
  y_ = source.y_;
  list_.copyAllCells(&source.list_);
}

void KtHorSegment::KtHorSegmentattributeCopy(const KtHorSegment& source) {
  KtObjectattributeCopy(source);
  y_ = source.y_;
  list_.deleteAllCells();
}

std::int32_t KtHorSegment::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtHorSegment) + list_.length() * sizeof(KtDListCell));
}

// ---- KtSegSortedBinTree ---------------------------------------------------------------------

KtSegSortedBinTree::~KtSegSortedBinTree() {}

void KtSegSortedBinTree::KtSegSortedBinTreedeepCopy(const KtSegSortedBinTree& source) {
  KtBinTree::copyObject(&source);
  sweep_ = source.sweep_;
}

void KtSegSortedBinTree::KtSegSortedBinTreeattributeCopy(const KtSegSortedBinTree& source) {
  KtBinTree::copyAttributes(&source);
  sweep_ = source.sweep_;
}

std::int32_t KtSegSortedBinTree::keyOf(const KtObject* segment) const {
  return sweep_ == nullptr ? 0 : sweep_->otherStartCoordinateOfSegment(segment);
}

int KtSegSortedBinTree::virtualObjectCompare(const KtObject* objectA,
                                             const KtObject* objectB) const {
  const std::int32_t a = keyOf(objectA), b = keyOf(objectB);
  if (a != b) return a < b ? -1 : 1;
  return std::less<const KtObject*>()(objectA, objectB) ? -1 : 1;
}

std::int32_t KtSegSortedBinTree::keyOf(const KtBinTreeCell* cell) const {
  return typeid(*cell) == typeid(KeyedCell) ? static_cast<const KeyedCell*>(cell)->key_
                                            : keyOf(cell->pObject());
}

// Both descents take the branch that virtualObjectCompare(node, segment) < 0 takes (right),
// with the segment's key read once.
KtBinTreeCell* KtSegSortedBinTree::insertSegment(KtObject* segment) {
  const std::int32_t key = keyOf(segment);
  KtBinTreeCell* cell = new (std::nothrow) KeyedCell(segment, key);
  if (cell == nullptr) return nullptr;
  KtBinTreeCell* node = pRoot();
  if (node == nullptr) return attachCell(nullptr, cell, true);
  const std::less<const KtObject*> lower;
  for (const KtBinTreeCell* nil = pNil();;) {
    const std::int32_t nodeKey = keyOf(node);
    const bool right = nodeKey < key || (nodeKey == key && lower(node->pObject(), segment));
    KtBinTreeCell* next = ktSelect(right, node->pRightChild(), node->pLeftChild());
    if (next == nil) return attachCell(node, cell, !right);
    node = next;
  }
}

KtBinTreeCell* KtSegSortedBinTree::findSegment(const KtObject* segment) const {
  const std::int32_t key = keyOf(segment);
  const std::less<const KtObject*> lower;
  const KtBinTreeCell* nil = pNil();
  for (KtBinTreeCell* node = pRoot(); node != nullptr && node != nil;) {
    if (node->pObject() == segment) return node;
    const std::int32_t nodeKey = keyOf(node);
    const bool right = nodeKey < key || (nodeKey == key && lower(node->pObject(), segment));
    node = ktSelect(right, node->pRightChild(), node->pLeftChild());
  }
  return nullptr;
}

KtObject* KtSegSortedBinTree::pPreceedingSegment(const KtObject* segment) const {
  const KtBinTreeCell* cell = findSegment(segment);
  if (cell == nullptr || cell->pPrevDListCell() == nullptr) return nullptr;
  return cell->pPrevDListCell()->pObject();
}

KtObject* KtSegSortedBinTree::pSucceedingSegment(const KtObject* segment) const {
  const KtBinTreeCell* cell = findSegment(segment);
  if (cell == nullptr || cell->pNextDListCell() == nullptr) return nullptr;
  return cell->pNextDListCell()->pObject();
}

// ---- KtSweepSegmentSort ---------------------------------------------------------------------

KtSweepSegmentSort::~KtSweepSegmentSort() {}

int KtSweepSegmentSort::virtualCompare(KtDListCell* cellA, KtDListCell* cellB) {
  if (sweep_ == nullptr || (whichCoordinate_ != 0 && whichCoordinate_ != 1)) return 0;
  std::int32_t a, b;
  if (whichCoordinate_ == 0) {
    a = sweep_->startCoordinateOfSegment(cellA->pObject());
    b = sweep_->startCoordinateOfSegment(cellB->pObject());
  } else {
    a = sweep_->endCoordinateOfSegment(cellA->pObject());
    b = sweep_->endCoordinateOfSegment(cellB->pObject());
  }
  return (a > b) - (a < b);
}

// ---- KtSweep --------------------------------------------------------------------------------

KtSweep::KtSweep(const KtDList* segments, KtSweepTypeEnum type) {
  init();
  sweepType_ = type;
  startSegments_.copyTransferList(nullptr, segments);
  endSegments_.copyTransferList(nullptr, segments);
}

KtSweep::~KtSweep() { delete sweepLine_; }

void KtSweep::initialize() {
  delete sweepLine_;
  sweepLine_ = new (std::nothrow) KtSegSortedBinTree(this);
}

// One event list while the sweep consumes it. Each segment's coordinate is read once and
// packed above the segment's position in the list; sorting these numbers sorts the events
// stably, the order KtSweepSegmentSort gives, at one call of the coordinate hook per segment
// instead of two per comparison. The segments then go back into the list's cells in that order:
// the cells keep their places, so that consuming the list walks through memory instead of
// jumping about. When memory for the two arrays runs out, the list is sorted in place by
// KtSweepSegmentSort and the coordinates are asked for as the sweep goes.
struct KtSweep::EventQueue {
  EventQueue(KtSweep& sweep, KtDList& list, int whichCoordinate)
      : sweep_(sweep), list_(list), whichCoordinate_(whichCoordinate) {
    const std::size_t n = static_cast<std::size_t>(list.length());
    order_.reset(new (std::nothrow) std::uint64_t[n + 1]);
    segments_.reset(new (std::nothrow) KtObject*[n + 1]);
    if (order_ == nullptr || segments_ == nullptr) {
      order_.reset();
      KtSweepSegmentSort(&sweep, whichCoordinate).quickSort(&list, 0);
      return;
    }
    std::uint32_t position = 0;
    for (KtDListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell(), ++position) {
      // The bias maps the signed order of coordinates onto the unsigned one.
      const std::uint32_t biased = static_cast<std::uint32_t>(coordinate(c)) ^ 0x80000000u;
      order_[position] = std::uint64_t{biased} << 32 | position;
      segments_[position] = c->pObject();
    }
    std::sort(order_.get(), order_.get() + n);
    const std::uint64_t* next = order_.get();
    for (KtDListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell())
      c->pObject(segments_[*next++ & ~0u]);
  }

  // Whether both queues read their coordinates and their lists held the same segments in the
  // same order: then a position names the same segment in both.
  bool sharesPositionsWith(const EventQueue& other) const {
    if (order_ == nullptr || other.order_ == nullptr || list_.length() != other.list_.length())
      return false;
    return std::equal(segments_.get(), segments_.get() + list_.length(), other.segments_.get());
  }

  bool empty() const { return list_.length() == 0; }
  KtObject* segment() const { return list_.pFirstCell()->pObject(); }
  std::int32_t key() const {
    if (order_ == nullptr) return coordinate(list_.pFirstCell());
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(order_[next_] >> 32) ^ 0x80000000u);
  }
  // The segment's position in the list as it was given.
  std::uint32_t position() const { return order_[next_] & ~0u; }
  void pop() {
    list_.discardCell(list_.pFirstCell());
    ++next_;
  }

 private:
  std::int32_t coordinate(const KtDListCell* cell) const {
    return whichCoordinate_ == 0 ? sweep_.startCoordinateOfSegment(cell->pObject())
                                 : sweep_.endCoordinateOfSegment(cell->pObject());
  }

  KtSweep& sweep_;
  KtDList& list_;
  int whichCoordinate_;
  std::unique_ptr<std::uint64_t[]> order_;
  std::unique_ptr<KtObject*[]> segments_;
  std::size_t next_ = 0;
};

void KtSweep::algorithmBody() {
  if (sweepLine_ == nullptr) return;
  EventQueue starts(*this, startSegments_, 0), ends(*this, endSegments_, 1);
  // When both lists name the segments alike, an end finds the tree cell its start made without
  // a search. (A segment listed twice has a cell for each listing, and each end takes its own.)
  std::unique_ptr<KtBinTreeCell*[]> treeCells;
  if (starts.sharesPositionsWith(ends))
    treeCells.reset(new (std::nothrow) KtBinTreeCell*[startSegments_.length() + 1]());
  while (!starts.empty() || !ends.empty()) {
    // A start goes first at equal coordinates. Each list is asked only while it has a segment:
    // an end at the largest coordinate must not stand for an empty start list.
    if (!starts.empty() && (ends.empty() || starts.key() <= ends.key())) {
      KtObject* segment = starts.segment();
      KtBinTreeCell* cell = sweepLine_->insertSegment(segment);
      if (treeCells != nullptr) treeCells[starts.position()] = cell;
      starts.pop();
      actOnStartOfSegment(segment);
    } else {
      KtObject* segment = ends.segment();
      actOnEndOfSegment(segment);
      if (treeCells == nullptr) {
        sweepLine_->discardCell(sweepLine_->findSegment(segment));
      } else {
        // Null for a segment that ends before it starts: there is nothing to take out.
        sweepLine_->discardCell(treeCells[ends.position()]);
        treeCells[ends.position()] = nullptr;
      }
      ends.pop();
    }
  }
}

std::int32_t KtSweep::otherStartCoordinateOfSegment(const KtObject*) { return 0; }
std::int32_t KtSweep::otherEndCoordinateOfSegment(const KtObject*) { return 0; }
void KtSweep::actOnStartOfSegment(KtObject*) {}
void KtSweep::actOnEndOfSegment(KtObject*) {}
