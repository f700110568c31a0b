// KtSortedDList (a KtDList) and KtSortedSList (a KtSList) keep their cells in ascending order of
// a comparison that a subclass supplies by overriding virtualObjectCompare. Insertion walks from
// the front to the first cell that compares greater, so equal elements keep their arrival order;
// searches stop early at the first greater cell. Every insertion and search is therefore a linear
// walk.
//
// Ownership is that of the base list (see dlist.h): the list owns its cells, never its objects,
// except in deleteAllCellsAndObjects and the deep copy. A cell handed in belongs to the list; a
// cell handed out belongs to the caller.
//
// The sorted forms hide the base list's positional insertCell, addObject and transfer families
// (still reachable through the base class); appendCell, prependCell and the other positional
// operations stay available for callers who know where a cell belongs, but do not keep the order.
//
// Transfers take any list of the base kind as their source, sorted or not, and refuse (return 0,
// change nothing) a null source, this list, a null cell, or a toCell that cannot be reached from
// fromCell; the singly linked moves also refuse a fromCell that is not in the source.
#ifndef KTBASE_CONTAINERS_SORTED_LIST_H
#define KTBASE_CONTAINERS_SORTED_LIST_H

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/slist.h"
#include "ktbase/core/object.h"

class KtSortedDList : public KtDList {
  KT_OBJECT_CAST(KtSortedDList)

 public:
  KtSortedDList() {}
  ~KtSortedDList() override;
  // The deep copy of KtDList: clones of the source's objects, in the source's order. A clone of a
  // sorted list is a KtDList.
  const KtSortedDList& operator=(const KtSortedDList& source) {
    KtDList::operator=(source);
    return *this;
  }

  // Inserts `cell` after every cell that does not compare greater than it; owns it and returns
  // it. Null gives null.
  KtDListCell* insertCell(KtDListCell* cell);
  // A new cell for `object`, inserted by insertCell; null when memory runs out.
  KtDListCell* addObject(KtObject* object);
  // The cell already holding cell's object, met before the first cell that compares greater
  // than `cell` (then `cell` stays with the caller, neither inserted nor deleted); else inserts
  // `cell` there. Null gives null.
  KtDListCell* insertCellIfNotInList(KtDListCell* cell);
  // The cell already holding `object`, or a new cell for it inserted in order.
  KtDListCell* addObjectIfNotInList(KtObject* object);

  // `cell` itself, respectively the first cell holding `object`, when met before the first cell
  // that compares greater; else null.
  KtDListCell* searchCell(const KtDListCell* cell) const;
  KtDListCell* searchObject(const KtObject* object) const;
  KtDListCell* searchAndRemoveCell(const KtDListCell* cell) { return removeCell(searchCell(cell)); }
  KtDListCell* searchAndRemoveObject(const KtObject* object) {
    return removeCell(searchObject(object));
  }

  // Moves each cell of the run (of the whole source) to its sorted place here. The IfNotInList
  // forms leave in the source every cell whose object searchObject finds here.
  int transferListPart(KtDList* source, KtDListCell* fromCell, KtDListCell* toCell);
  int transferList(KtDList* source);
  int transferListPartIfNotInList(KtDList* source, KtDListCell* fromCell, KtDListCell* toCell);
  int transferListIfNotInList(KtDList* source);
  // New cells for the objects of the run (of the whole source), each inserted in order; the
  // source is unchanged. The IfNotInList forms skip the objects this list holds, checked as the
  // list grows. Also refused when memory runs out (then nothing changes).
  int copyTransferListPart(const KtDList* source, const KtDListCell* fromCell,
                           const KtDListCell* toCell);
  int copyTransferList(const KtDList* source);
  int copyTransferListPartIfNotInList(const KtDList* source, const KtDListCell* fromCell,
                                      const KtDListCell* toCell);
  int copyTransferListIfNotInList(const KtDList* source);

  // The base list's copies, which keep the source's order.
  void copyAllCells(const KtSortedDList* source) { KtDList::copyAllCells(source); }
  void copyAllCellsAndObjects(const KtSortedDList* source) {
    KtDList::copyAllCellsAndObjects(source);
  }

 protected:
  void init() {}
  // Slot 10: virtualObjectCompare of the two cells' objects.
  virtual int virtualCellCompare(const KtDListCell* cellA, const KtDListCell* cellB) const;
  // Slot 11: negative when objectA sorts before objectB, positive when after, 0 when equal.
  virtual int virtualObjectCompare(const KtObject* objectA, const KtObject* objectB) const = 0;

 private:
  // Sorted lists are not copy-constructed: this yields an empty list.
  KtSortedDList(const KtSortedDList& source);

  int moveRun(KtDList* source, KtDListCell* fromCell, KtDListCell* toCell, bool skipPresent);
  int copyRun(const KtDList* source, const KtDListCell* fromCell, const KtDListCell* toCell,
              bool skipPresent);
};

class KtSortedSList : public KtSList {
  KT_OBJECT_CAST(KtSortedSList)

 public:
  KtSortedSList() {}
  ~KtSortedSList() override;
  // The deep copy of KtSList; a clone of a sorted list is a KtSList.
  const KtSortedSList& operator=(const KtSortedSList& source) {
    KtSList::operator=(source);
    return *this;
  }

  // As for KtSortedDList.
  KtSListCell* insertCell(KtSListCell* cell);
  KtSListCell* addObject(KtObject* object);
  KtSListCell* insertCellIfNotInList(KtSListCell* cell);
  KtSListCell* addObjectIfNotInList(KtObject* object);

  KtSListCell* searchCell(const KtSListCell* cell) const;
  KtSListCell* searchObject(const KtObject* object) const;
  // The cell before `cell`, respectively before the first cell holding `object`, when met before
  // the first cell that compares greater: null when it is first. KT_SLIST_NO_CELL when it is not
  // met, and for a null cell.
  KtSListCell* searchPreviousCell(const KtSListCell* cell) const;
  KtSListCell* searchPreviousObject(const KtObject* object) const;
  // The sorted search, then the removal of the cell found; null when absent.
  KtSListCell* searchAndRemoveCell(const KtSListCell* cell) {
    return removeNextCell(searchPreviousCell(cell));
  }
  KtSListCell* searchAndRemoveObject(const KtObject* object) {
    return removeNextCell(searchPreviousObject(object));
  }

  int transferListPart(KtSList* source, KtSListCell* fromCell, KtSListCell* toCell);
  int transferList(KtSList* source);
  int transferListPartIfNotInList(KtSList* source, KtSListCell* fromCell, KtSListCell* toCell);
  int transferListIfNotInList(KtSList* source);
  int copyTransferListPart(const KtSList* source, const KtSListCell* fromCell,
                           const KtSListCell* toCell);
  int copyTransferList(const KtSList* source);
  int copyTransferListPartIfNotInList(const KtSList* source, const KtSListCell* fromCell,
                                      const KtSListCell* toCell);
  int copyTransferListIfNotInList(const KtSList* source);

  void copyAllCells(const KtSortedSList* source) { KtSList::copyAllCells(source); }
  void copyAllCellsAndObjects(const KtSortedSList* source) {
    KtSList::copyAllCellsAndObjects(source);
  }

 protected:
  void init() {}
  // Slot 10: virtualObjectCompare of the two cells' objects.
  virtual int virtualCellCompare(const KtSListCell* cellA, const KtSListCell* cellB) const;
  // Slot 11: negative when objectA sorts before objectB, positive when after, 0 when equal.
  virtual int virtualObjectCompare(const KtObject* objectA, const KtObject* objectB) const = 0;

 private:
  KtSortedSList(const KtSortedSList& source);

  // The last cell that does not compare greater than `cell` (null: none), where it goes.
  KtSListCell* placeOf(const KtSListCell* cell) const;
  int moveRun(KtSList* source, KtSListCell* fromCell, KtSListCell* toCell, bool skipPresent);
  int copyRun(const KtSList* source, const KtSListCell* fromCell, const KtSListCell* toCell,
              bool skipPresent);
};

#endif  // KTBASE_CONTAINERS_SORTED_LIST_H
