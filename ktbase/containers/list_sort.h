// Sort objects for the lists: KtDListSort sorts a KtDList, KtSListSort a KtSList, in place.
//
// A sort relinks cells. It never moves an object from one cell to another and never allocates,
// frees or replaces a cell, so every cell handle stays valid and keeps its object; only the
// order of the cells changes. The order comes from virtualCompare(cellA, cellB), which a
// concrete sort supplies: negative when cellA belongs before cellB, positive when after, 0 when
// they are equal; only the sign is used. The sorts ask about two cells in their list order
// (earlier, later) and put a cell behind another only on a positive answer, so all of them are
// stable: cells that compare equal keep their relative order.
//
// While a sort runs the cells' links are in flux: virtualCompare looks at the cells' objects
// only and must not change the list.
//
// Results. bubbleSort and mergeSort return 1 iff the run changed the order of the cells, and
// keep that answer in the changed member. quickSort(list, 0) does the same; quickSort(list, 1)
// first tests isSorted and returns 0 without touching a sorted list, else sorts and returns 1.
// A null list is refused: the sorts return 0 (quickSort the changed member as it stands), the
// searches null, and isSorted answers 1, as for an empty list, since no cell is out of order.
//
// Depth. Quicksort partitions at most 30 levels deep; the parts it has at level 31 are merge
// sorted (bubble sorted when they hold at most 5 cells), so no input recurses deeper than the 31
// quicksort levels plus the merge sort's log2(length). Merge sort is O(n log n) on any input;
// bubble sort is quadratic and meant for short or nearly sorted lists.
//
// A sort object keeps per-run state: one object must not serve two sorts at the same time. Sort
// objects are neither copied nor assigned; cloning one yields a plain KtObject.
#ifndef KTBASE_CONTAINERS_LIST_SORT_H
#define KTBASE_CONTAINERS_LIST_SORT_H

#include <cstdint>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/slist.h"
#include "ktbase/core/object.h"

class KtDListSort : public KtObject {
  KT_OBJECT_CAST(KtDListSort)

 public:
  KtDListSort() { init(); }
  KtDListSort(const KtDListSort&) = delete;
  KtDListSort& operator=(const KtDListSort&) = delete;
  ~KtDListSort() override;

  // Quadratic; ends after the first pass that moves nothing.
  int bubbleSort(KtDList* list);
  int mergeSort(KtDList* list);
  // checkFirst non-zero: returns 0 and leaves a sorted list alone, else sorts and returns 1.
  int quickSort(KtDList* list, int checkFirst);
  // Returns 1 iff no cell compares greater than its successor.
  int isSorted(const KtDList* list);
  // The first cell holding the smallest (largest) value; null for an empty or null list.
  KtDListCell* findSmallestElement(const KtDList* list);
  KtDListCell* findLargestElement(const KtDList* list);
  // The cell holding the i-th smallest value (1-based); null for a null list, for i outside
  // 1..length, or when memory for the selection's bookkeeping runs out. The list keeps its order.
  // Linear on average, quadratic on lists of many equal values.
  KtDListCell* findIthElement(const KtDList* list, std::int32_t i);
  // Prints nothing; a hook for callers' debug builds.
  void debugOutputList(const KtDList* /*list*/) {}

 protected:
  void init() {
    recursionDepth_ = 0;
    changed_ = 0;
  }

  // Slot 9: the order, see above.
  virtual int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) = 0;
  // Slot 10: prints one element in a debug build; every sort of the library leaves it empty.
  virtual void virtualDebugOutputElement(KtDListCell* cell) = 0;

 private:
  // The sorting engine's way to the cells' links and to virtualCompare (list_sort.cpp).
  struct Access;

  // recursionDepth() is the current quicksort level, 0 outside a quicksort; changed() the
  // answer of the last run.
  int recursionDepth() const { return recursionDepth_; }
  int recursionDepth(int depth) { return recursionDepth_ = depth; }
  int changed() const { return changed_; }
  int changed(int changed) { return changed_ = changed; }

  int recursionDepth_;
  int changed_;
};

// As KtDListSort, for singly linked lists; there is no findIthElement.
class KtSListSort : public KtObject {
  KT_OBJECT_CAST(KtSListSort)

 public:
  KtSListSort() { init(); }
  KtSListSort(const KtSListSort&) = delete;
  KtSListSort& operator=(const KtSListSort&) = delete;
  ~KtSListSort() override;

  int bubbleSort(KtSList* list);
  int mergeSort(KtSList* list);
  int quickSort(KtSList* list, int checkFirst);
  int isSorted(const KtSList* list);
  KtSListCell* findSmallestElement(const KtSList* list);
  KtSListCell* findLargestElement(const KtSList* list);
  void debugOutputList(const KtSList* /*list*/) {}

 protected:
  void init() {
    recursionDepth_ = 0;
    changed_ = 0;
  }

  // Slot 9.
  virtual int virtualCompare(KtSListCell* cellA, KtSListCell* cellB) = 0;
  // Slot 10.
  virtual void virtualDebugOutputElement(KtSListCell* cell) = 0;

 private:
  struct Access;

  int recursionDepth() const { return recursionDepth_; }
  int recursionDepth(int depth) { return recursionDepth_ = depth; }
  int changed() const { return changed_; }
  int changed(int changed) { return changed_ = changed; }

  int recursionDepth_;
  int changed_;
};

// Orders cells by the address of their objects, taken as a signed 64-bit integer (a null object
// first). KtDList::compareUnordered sorts with it.
class KtMemAddressDListSort : public KtDListSort {
  KT_OBJECT_CAST(KtMemAddressDListSort)

 public:
  KtMemAddressDListSort() {}
  ~KtMemAddressDListSort() override;

 protected:
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override;
  void virtualDebugOutputElement(KtDListCell* /*cell*/) override {}
};

// Orders cells whose objects are KtPoints by x, then by y. Coordinates are compared, never
// subtracted, so the whole 32-bit range orders correctly. A cell holding null sorts before every
// point.
class KtPointSListSort : public KtSListSort {
  KT_OBJECT_CAST(KtPointSListSort)

 public:
  KtPointSListSort() {}
  ~KtPointSListSort() override;

 protected:
  int virtualCompare(KtSListCell* cellA, KtSListCell* cellB) override;
  void virtualDebugOutputElement(KtSListCell* /*cell*/) override {}
};

#endif  // KTBASE_CONTAINERS_LIST_SORT_H
