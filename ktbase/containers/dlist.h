// KtDList is a doubly linked list of KtObject pointers. Each element sits in a KtDListCell, and a
// cell pointer is the element's handle: operations take and return cells, and a cell stays valid
// (and keeps its place) until it is removed from the list or the list is destroyed.
//
// Ownership. A list owns its cells and never the objects in them: destroying a list, discardCell
// and deleteAllCells delete cells only. The exceptions are deleteAllCellsAndObjects and the deep
// copy (copy constructor, operator=, copyObject, cloneObject), which deletes the objects this list
// held and fills it with clones of the source's objects; those clones then belong to whoever owns
// the list. copyAllCells, addObject and the copy...List family share object pointers. A cell
// handed in (insertCell and relatives) belongs to the list from then on; a cell handed out by
// removeCell belongs to the caller. An object held twice would be deleted twice by the AndObjects
// forms, so a list that owns its objects holds each once.
//
// Positions. An `after` argument is a cell of this list or null, and null means the front of the
// list. Cells given as positions must belong to the list named with them; cells handed in must be
// unlinked. These preconditions are not checked: the point of a cell handle is constant time.
//
// Refusals. The run operations (transfer..., copyTransfer..., merge) return 1 when done and
// 0 when refused, and a refusal changes neither list. Lookups that find nothing return null or -1.
// Allocation failures never throw: addObject returns null, and the copy...List forms refuse.
//
// A KtDListIter walks the cells in either direction; it is valid while its current cell stays in
// the list.
#ifndef KTBASE_CONTAINERS_DLIST_H
#define KTBASE_CONTAINERS_DLIST_H

#include <cstdint>

#include "ktbase/core/allocation.h"
#include "ktbase/core/object.h"
// The singly linked list converts into this one and back; each header brings in the other so
// that either conversion can be used after including one of them.
#include "ktbase/containers/slist.h"

class KtDList;

class KtDListCell : public KtObject {
  KT_OBJECT(KtDListCell, KtObject)
  KT_MALLOC_ALLOCATED

 public:
  // Borrows `object`; the cell starts unlinked. A copied cell starts unlinked as well: the deep
  // copy holds a clone of the source's object (null for null), the attribute copy shares it.
  explicit KtDListCell(KtObject* object = nullptr)
      : previous_(nullptr), next_(nullptr), object_(object) {}
  ~KtDListCell() override;

  // pObject() reads the element; pObject(o) stores o and returns it.
  KtObject* pObject() const { return object_; }
  KtObject* pObject(KtObject* object) { return object_ = object; }

  KtDListCell* pNextCell() const { return next_; }
  KtDListCell* pNextDListCell() const { return next_; }
  KtDListCell* pPreviousCell() const { return previous_; }
  KtDListCell* pPrevDListCell() const { return previous_; }

  // Slot 9: the size of a cell in bytes.
  virtual std::int32_t sizeOf() const;

 protected:
  void init() {
    previous_ = next_ = nullptr;
    object_ = nullptr;
  }

 private:
  friend class KtDList;
  friend class KtDListSort;  // relinks cells in place
  KtDListCell* pNextDListCell(KtDListCell* cell) { return next_ = cell; }
  KtDListCell* pPrevDListCell(KtDListCell* cell) { return previous_ = cell; }

  KtDListCell* previous_;
  KtDListCell* next_;
  KtObject* object_;
};

class KtDList : public KtObject {
  KT_OBJECT(KtDList, KtObject)

 public:
  KtDList() : first_(nullptr), last_(nullptr), length_(0) {}
  // Takes the source's cells; the source ends empty. Returning a list by value moves it.
  KtDList(KtDList&& source) noexcept;
  // New cells sharing the singly linked list's objects (copyAllCells).
  explicit KtDList(const KtSList& source);
  const KtDList& operator=(const KtSList& source);
  // A singly linked list of clones of this list's objects, in order; the clones belong to the
  // caller.
  operator KtSList() const;
  // Deletes the cells, not the objects.
  ~KtDList() override;

  // Slot 9: the list object plus one KtDListCell per element, in bytes.
  virtual std::int32_t sizeOf() const;

  std::int32_t length() const { return length_; }
  KtDListCell* pFirstCell() const { return first_; }
  KtDListCell* pFirstDListCell() const { return first_; }
  KtDListCell* pLastCell() const { return last_; }
  KtDListCell* pLastDListCell() const { return last_; }

  // Links `cell` after `after` (at the front for null) and owns it. Returns `cell`.
  KtDListCell* insertCell(KtDListCell* after, KtDListCell* cell);
  KtDListCell* appendCell(KtDListCell* cell) { return insertCell(last_, cell); }
  KtDListCell* prependCell(KtDListCell* cell) { return insertCell(nullptr, cell); }
  // A new cell holding `object` (borrowed), inserted after `after`; null when memory runs out.
  KtDListCell* addObject(KtDListCell* after, KtObject* object);
  KtDListCell* appendObject(KtObject* object) { return addObject(last_, object); }
  KtDListCell* prependObject(KtObject* object) { return addObject(nullptr, object); }

  // Unlinks `cell` and hands it to the caller undeleted (it keeps its stale links). Null gives
  // null.
  KtDListCell* removeCell(KtDListCell* cell);
  // Unlinks and deletes `cell`, not its object. Null does nothing.
  void discardCell(KtDListCell* cell) { delete removeCell(cell); }

  // Lookups walk from the front and compare pointers. searchObject(null) finds the first cell
  // holding null; positions are 1-based.
  KtDListCell* searchCell(const KtDListCell* cell) const;
  KtDListCell* searchObject(const KtObject* object) const;
  KtDListCell* searchAndRemoveCell(const KtDListCell* cell) { return removeCell(searchCell(cell)); }
  KtDListCell* searchAndRemoveObject(const KtObject* object) {
    return removeCell(searchObject(object));
  }
  // -1 for null or absent.
  std::int32_t positionOfCell(const KtDListCell* cell) const;
  std::int32_t positionOfObject(const KtObject* object) const;
  // Null unless 1 <= position <= length().
  KtDListCell* pCellInPosition(std::int32_t position) const;
  KtObject* pObjectInPosition(std::int32_t position) const;

  // Exchanges the places of two cells of this list.
  void swapPosition(KtDListCell* cellA, KtDListCell* cellB);
  // Reverses the order of the cells in place; always returns 1.
  int reverse();
  // Returns 1 iff `other` holds the same object pointers in the same order (0 for null).
  int compare(const KtDList* other) const;
  // Returns 1 iff `other` holds the same object pointers with the same multiplicities, in any
  // order (0 for null). Sorts copies of both by address: O(n log n).
  int compareUnordered(const KtDList* other) const;

  void deleteAllCells();
  // Deletes every non-null object through its virtual destructor, then every cell.
  void deleteAllCellsAndObjects();
  // Empty this list (deleteAllCells, respectively deleteAllCellsAndObjects), then fill it with
  // new cells holding the source's objects, respectively clones of them, in order. A null
  // source just empties; copying a list into itself changes nothing.
  void copyAllCells(const KtDList* source);
  void copyAllCells(const KtSList* source);
  void copyAllCellsAndObjects(const KtDList* source);
  void copyAllCellsAndObjects(const KtSList* source);

  // Moves the run fromCell..toCell of `source` after `after`, keeping its order. Refuses when
  // source is null or this list, when fromCell or toCell is null, or when toCell cannot be
  // reached from fromCell. Constant time for a whole list, linear in the run otherwise.
  int transferListPart(KtDListCell* after, KtDList* source, KtDListCell* fromCell,
                       KtDListCell* toCell);
  // The whole source; 1 without change for an empty one.
  int transferList(KtDListCell* after, KtDList* source);
  int appendList(KtDList* source) { return transferList(last_, source); }
  int prependList(KtDList* source) { return transferList(nullptr, source); }
  // As the moving forms, with new cells sharing the objects; the source is unchanged.
  int copyTransferListPart(KtDListCell* after, const KtDList* source, const KtDListCell* fromCell,
                           const KtDListCell* toCell);
  int copyTransferList(KtDListCell* after, const KtDList* source);
  int copyAppendList(const KtDList* source) { return copyTransferList(last_, source); }
  int copyPrependList(const KtDList* source) { return copyTransferList(nullptr, source); }
  // Moves all cells of both lists to the end of this one, one from the head of listA, one from
  // the head of listB in turn, then the rest of the longer. Refuses a null list, this list, or
  // the same list given twice.
  int merge(KtDList* listA, KtDList* listB);

  // The IfNotInList family skips every element whose object this list already holds, checked
  // against the list as it grows (so duplicates inside a source collapse as well).
  // insertCellIfNotInList returns the cell already holding cell's object and leaves `cell` with
  // the caller, or inserts `cell`; null for a null cell.
  KtDListCell* insertCellIfNotInList(KtDListCell* after, KtDListCell* cell);
  KtDListCell* appendCellIfNotInList(KtDListCell* cell) {
    return insertCellIfNotInList(last_, cell);
  }
  KtDListCell* prependCellIfNotInList(KtDListCell* cell) {
    return insertCellIfNotInList(nullptr, cell);
  }
  KtDListCell* addObjectIfNotInList(KtDListCell* after, KtObject* object);
  KtDListCell* appendObjectIfNotInList(KtObject* object) {
    return addObjectIfNotInList(last_, object);
  }
  KtDListCell* prependObjectIfNotInList(KtObject* object) {
    return addObjectIfNotInList(nullptr, object);
  }
  // Moves the cells of the run whose objects are new, each after the one moved before it (the
  // first after `after`); the others stay in the source. Refused as transferListPart.
  int transferListPartIfNotInList(KtDListCell* after, KtDList* source, KtDListCell* fromCell,
                                  KtDListCell* toCell);
  int transferListIfNotInList(KtDListCell* after, KtDList* source);
  int appendListIfNotInList(KtDList* source) { return transferListIfNotInList(last_, source); }
  int prependListIfNotInList(KtDList* source) { return transferListIfNotInList(nullptr, source); }
  int copyTransferListPartIfNotInList(KtDListCell* after, const KtDList* source,
                                      const KtDListCell* fromCell, const KtDListCell* toCell);
  int copyTransferListIfNotInList(KtDListCell* after, const KtDList* source);
  int copyAppendListIfNotInList(const KtDList* source) {
    return copyTransferListIfNotInList(last_, source);
  }
  int copyPrependListIfNotInList(const KtDList* source) {
    return copyTransferListIfNotInList(nullptr, source);
  }

 protected:
  void init() {
    first_ = last_ = nullptr;
    length_ = 0;
  }
  // Raw setters for the list and the structures built on it; they keep no invariant.
  KtDListCell* pFirstDListCell(KtDListCell* cell) { return first_ = cell; }
  KtDListCell* pLastDListCell(KtDListCell* cell) { return last_ = cell; }
  std::int32_t length(std::int32_t length) { return length_ = length; }
  // Raw link setters for the structures built on the list (heap, trees) that relink cells
  // themselves; they keep no invariant.
  static KtDListCell* pNextDListCell(KtDListCell* cell, KtDListCell* next) {
    return cell->next_ = next;
  }
  static KtDListCell* pPrevDListCell(KtDListCell* cell, KtDListCell* previous) {
    return cell->previous_ = previous;
  }

 private:
  friend class KtDListSort;
  // Links the chain fromCell..toCell of `count` cells after `after`.
  void spliceIn(KtDListCell* after, KtDListCell* fromCell, KtDListCell* toCell, std::int32_t count);
  // Unlinks the chain fromCell..toCell of `count` cells from this list.
  void cutOut(KtDListCell* fromCell, KtDListCell* toCell, std::int32_t count);
  // The number of cells in fromCell..toCell of `source`, or 0 when the run is refused.
  std::int32_t runLength(const KtDList* source, const KtDListCell* fromCell,
                         const KtDListCell* toCell) const;
  int copyRun(KtDListCell* after, const KtDList* source, const KtDListCell* fromCell,
              const KtDListCell* toCell, bool skipPresent);

  KtDListCell* first_;
  KtDListCell* last_;
  std::int32_t length_;
};

// KT_FORWARD starts an iterator at the first cell; any other value at the last.
enum KtIterDirectionEnum : int { KT_BACKWARD = 0, KT_FORWARD = 1 };

class KtDListIter : public KtObject {
  KT_OBJECT_CAST(KtDListIter)

 public:
  // Starts at the first (KT_FORWARD) or last cell; no current cell for a null list.
  explicit KtDListIter(const KtDList* list = nullptr, KtIterDirectionEnum direction = KT_FORWARD) {
    init(list, direction);
  }
  // Starts at `cell`, or has no current cell when `list` is null.
  KtDListIter(const KtDList* list, KtDListCell* cell) { init(list, cell); }
  KtDListIter(const KtDListIter&) = delete;
  KtDListIter& operator=(const KtDListIter&) = delete;
  ~KtDListIter() override;

  void init(const KtDList* list, KtIterDirectionEnum direction = KT_FORWARD) {
    current_ = list == nullptr           ? nullptr
               : direction == KT_FORWARD ? list->pFirstDListCell()
                                         : list->pLastDListCell();
  }
  void init(const KtDList* list, KtDListCell* cell) { current_ = list == nullptr ? nullptr : cell; }

  // Steps do not check for the end: stepping without a current cell is the caller's error. The
  // postfix forms return the cell they leave.
  KtDListIter& operator++() {
    current_ = current_->pNextDListCell();
    return *this;
  }
  KtDListCell* operator++(int) {
    KtDListCell* left = current_;
    current_ = current_->pNextDListCell();
    return left;
  }
  KtDListIter& operator--() {
    current_ = current_->pPrevDListCell();
    return *this;
  }
  KtDListCell* operator--(int) {
    KtDListCell* left = current_;
    current_ = current_->pPrevDListCell();
    return left;
  }

  // 1 while there is a current cell.
  operator int() const { return current_ != nullptr; }
  KtObject* pObject() const { return current_->pObject(); }
  KtDListCell* pCell() const { return current_; }
  KtDListCell* pDListCell() const { return current_; }

 private:
  KtDListCell* current_;
};

inline KtDListCell* KtDList::insertCell(KtDListCell* after, KtDListCell* cell) {
  spliceIn(after, cell, cell, 1);
  return cell;
}

inline KtDListCell* KtDList::addObject(KtDListCell* after, KtObject* object) {
  KtDListCell* cell = new (std::nothrow) KtDListCell(object);
  return cell == nullptr ? nullptr : insertCell(after, cell);
}

inline KtDListCell* KtDList::removeCell(KtDListCell* cell) {
  if (cell != nullptr) cutOut(cell, cell, 1);
  return cell;
}

inline int KtDList::transferList(KtDListCell* after, KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ > 0) {
    spliceIn(after, source->first_, source->last_, source->length_);
    source->init();
  }
  return 1;
}

inline void KtDList::spliceIn(KtDListCell* after, KtDListCell* fromCell, KtDListCell* toCell,
                              std::int32_t count) {
  KtDListCell* next = after == nullptr ? first_ : after->next_;
  fromCell->previous_ = after;
  toCell->next_ = next;
  if (after == nullptr)
    first_ = fromCell;
  else
    after->next_ = fromCell;
  if (next == nullptr)
    last_ = toCell;
  else
    next->previous_ = toCell;
  length_ += count;
}

inline void KtDList::cutOut(KtDListCell* fromCell, KtDListCell* toCell, std::int32_t count) {
  KtDListCell* before = fromCell->previous_;
  KtDListCell* next = toCell->next_;
  if (before == nullptr)
    first_ = next;
  else
    before->next_ = next;
  if (next == nullptr)
    last_ = before;
  else
    next->previous_ = before;
  length_ -= count;
}

#endif  // KTBASE_CONTAINERS_DLIST_H
