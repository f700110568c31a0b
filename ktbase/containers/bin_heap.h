// KtBinHeap is a min-priority queue of KtObject pointers, each with a signed 32-bit key held in
// its KtBinHeapCell. It is a KtDList whose cells are also the nodes of a complete binary tree,
// linked by parent and child pointers; the list order is always the level order of that tree, so
// the first cell is the minimum and the last cell is the last leaf.
//
// Cells are handles: a cell stays where it is in memory for as long as it is in the heap, and the
// cell addObject returns is how the caller changes its key (changeValue) or removes it later.
// Reordering relinks cells; it never moves objects or allocates.
//
// Ownership is that of KtDList: the heap owns its cells, never its objects, except in
// deleteAllCellsAndObjects and the deep copy. Cells handed out (pExtractMinCell, removeCell,
// removeLastBinHeapCell) belong to the caller, with null tree links.
//
// Order. virtualCompare decides; by default the smaller key comes out first. Among equal keys the
// order follows the sift rules: a cell climbs only past a strictly greater parent, and sinks only
// below a strictly smaller child, the left one when both children are equal.
//
// Cells given to removeCell, discardCell and changeValue must be in this heap. The list
// operations of KtDList that add, remove or move cells would break the heap and are not available
// on it; the lookups and walks are.
#ifndef KTBASE_CONTAINERS_BIN_HEAP_H
#define KTBASE_CONTAINERS_BIN_HEAP_H

#include <cstdint>

#include "ktbase/containers/dlist.h"
#include "ktbase/core/object.h"

class KtBinHeap;

class KtBinHeapCell : public KtDListCell {
  KT_OBJECT(KtBinHeapCell, KtDListCell)

 public:
  // Borrows `object`; the links start null. A copy shares (attribute copy) or clones (deep copy)
  // the object, copies the key and starts with null links.
  explicit KtBinHeapCell(KtObject* object = nullptr, std::int32_t value = 0)
      : KtDListCell(object),
        leftChild_(nullptr),
        rightChild_(nullptr),
        parent_(nullptr),
        value_(value) {}
  ~KtBinHeapCell() override;

  // value() reads the key; value(v) stores v and returns it. The key of a cell in a heap changes
  // through KtBinHeap::changeValue, which restores the order.
  std::int32_t value() const { return value_; }
  std::int32_t value(std::int32_t value) { return value_ = value; }

  // Each accessor reads a link (null when absent); the setter stores it and returns the new
  // value. Relinking cells of a heap by hand breaks it.
  KtBinHeapCell* pLeftChild() const { return leftChild_; }
  KtBinHeapCell* pLeftChild(KtBinHeapCell* cell) { return leftChild_ = cell; }
  KtBinHeapCell* pRightChild() const { return rightChild_; }
  KtBinHeapCell* pRightChild(KtBinHeapCell* cell) { return rightChild_ = cell; }
  KtBinHeapCell* pParent() const { return parent_; }
  KtBinHeapCell* pParent(KtBinHeapCell* cell) { return parent_ = cell; }

  // The size of a heap cell in bytes.
  std::int32_t sizeOf() const override;

 protected:
  void init() {
    leftChild_ = rightChild_ = parent_ = nullptr;
    value_ = 0;
  }

 private:
  KtBinHeapCell* leftChild_;
  KtBinHeapCell* rightChild_;
  KtBinHeapCell* parent_;
  std::int32_t value_;
};

class KtBinHeap : public KtDList {
  KT_OBJECT(KtBinHeap, KtDList)

 public:
  KtBinHeap() : addChildrenPlace_(nullptr) {}
  // Deletes the cells, not the objects.
  ~KtBinHeap() override;

  // A new cell for `object` (borrowed) with key `value`, inserted; null when memory runs out.
  KtBinHeapCell* addObject(KtObject* object, std::int32_t value);
  // Inserts a cell made by the caller, which must not be in any list, and owns it. Returns it;
  // null gives null.
  KtBinHeapCell* insertCell(KtBinHeapCell* cell);

  // The minimum cell, respectively its object; null when the heap is empty.
  KtBinHeapCell* pMinCell() const { return heapCell(pFirstDListCell()); }
  KtObject* pMinObject() const {
    return pFirstDListCell() == nullptr ? nullptr : pFirstDListCell()->pObject();
  }
  // Removes the minimum cell and hands it to the caller; null when the heap is empty.
  KtBinHeapCell* pExtractMinCell();
  // Removes any cell of this heap and hands it to the caller. Null gives null.
  KtBinHeapCell* removeCell(KtBinHeapCell* cell);
  // removeCell, then deletes the cell (not its object).
  void discardCell(KtBinHeapCell* cell) { delete removeCell(cell); }
  // Stores the key and moves the cell up or down as far as the order requires. Nothing for null.
  void changeValue(KtBinHeapCell* cell, std::int32_t value);
  // Removes the last cell in level order, without reordering; null when the heap is empty.
  KtBinHeapCell* removeLastBinHeapCell();

  void deleteAllCells();
  // Deletes every non-null object through its virtual destructor, then every cell.
  void deleteAllCellsAndObjects();
  // Empty this heap (deleteAllCells, respectively deleteAllCellsAndObjects), then insert, in the
  // source's level order, new cells with the source's keys and objects, respectively clones of the
  // objects. The copy has the source's level order. A null source just empties; copying a heap
  // into itself changes nothing.
  void copyAllCells(const KtBinHeap* source);
  void copyAllCellsAndObjects(const KtBinHeap* source);

  // Returns 1 iff the structure is sound: the list is linked and counted right, the level order
  // of the tree is the list, parent links mirror child links, no cell compares below its parent,
  // and addChildrenPlace is the first cell with fewer than two children. Linear time; for tests.
  int checkInvariants() const;

 protected:
  void init() { addChildrenPlace_ = nullptr; }
  // Slot 10: -1 when cellA's key is below cellB's, 1 when above, 0 when equal. An override may
  // order by anything; a negative result means that cellA comes out first.
  virtual int virtualCompare(KtBinHeapCell* cellA, KtBinHeapCell* cellB);

 private:
  static KtBinHeapCell* heapCell(KtDListCell* cell) { return static_cast<KtBinHeapCell*>(cell); }

  KtBinHeapCell* pFirstCell() const { return heapCell(pFirstDListCell()); }
  KtBinHeapCell* pLastCell() const { return heapCell(pLastDListCell()); }
  // The first cell in level order with fewer than two children, which receives the next inserted
  // cell; null when the heap is empty.
  KtBinHeapCell* pAddChildrenPlace() const { return addChildrenPlace_; }
  KtBinHeapCell* pAddChildrenPlace(KtBinHeapCell* cell) { return addChildrenPlace_ = cell; }

  // Exchanges the places of two cells in the list and in the tree; addChildrenPlace follows the
  // place, not the cell.
  void swapPosition(KtBinHeapCell* cellA, KtBinHeapCell* cellB);
  // The sift steps, inline in the heap's own source, the only place that calls them.
  // swapPosition for a cell and its parent, the exchange every sift step makes.
  inline void swapWithParent(KtBinHeapCell* cell);
  // Sifts `cell` down below every smaller child.
  inline void heapify(KtBinHeapCell* cell);
  // Lifts `cell` above every greater parent.
  inline void bubbleUp(KtBinHeapCell* cell);
  void copyAll(const KtBinHeap* source, bool cloneObjects);

  using KtDList::addObjectIfNotInList;
  using KtDList::appendCell;
  using KtDList::appendCellIfNotInList;
  using KtDList::appendList;
  using KtDList::appendListIfNotInList;
  using KtDList::appendObject;
  using KtDList::appendObjectIfNotInList;
  using KtDList::copyAppendList;
  using KtDList::copyAppendListIfNotInList;
  using KtDList::copyPrependList;
  using KtDList::copyPrependListIfNotInList;
  using KtDList::copyTransferList;
  using KtDList::copyTransferListIfNotInList;
  using KtDList::copyTransferListPart;
  using KtDList::copyTransferListPartIfNotInList;
  using KtDList::insertCellIfNotInList;
  using KtDList::merge;
  using KtDList::prependCell;
  using KtDList::prependCellIfNotInList;
  using KtDList::prependList;
  using KtDList::prependListIfNotInList;
  using KtDList::prependObject;
  using KtDList::prependObjectIfNotInList;
  using KtDList::reverse;
  using KtDList::searchAndRemoveCell;
  using KtDList::searchAndRemoveObject;
  using KtDList::transferList;
  using KtDList::transferListIfNotInList;
  using KtDList::transferListPart;
  using KtDList::transferListPartIfNotInList;

  KtBinHeapCell* addChildrenPlace_;
};

#endif  // KTBASE_CONTAINERS_BIN_HEAP_H
