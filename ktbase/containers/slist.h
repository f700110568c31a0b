// KtSList is the lighter sibling of KtDList: a singly linked list of KtObject pointers in
// KtSListCells, walked forward with a KtSListIter. It has the same operations under the same
// names, with the same ownership and refusal rules (see dlist.h): the list owns its cells, never
// its objects, except in the AndObjects forms and the deep copy, which deletes the objects this
// list held and fills it with clones of the source's.
//
// Without a back link, removing a cell needs the cell before it. Operations that take or return
// that previous cell use null for the position before the first cell, and KT_SLIST_NO_CELL (the
// all-ones pointer) for "no such cell"; every operation refuses a previous cell of
// KT_SLIST_NO_CELL. removeCell, discardCell and transferListPart look the previous cell up and
// are linear; removeNextCell and insertion after a known cell are constant time.
#ifndef KTBASE_CONTAINERS_SLIST_H
#define KTBASE_CONTAINERS_SLIST_H

#include <cstdint>

#include "ktbase/core/allocation.h"
#include "ktbase/core/object.h"

class KtDList;
class KtSListCell;

// The previous-cell value that means "there is no such cell".
#define KT_SLIST_NO_CELL (reinterpret_cast<KtSListCell*>(~static_cast<std::uintptr_t>(0)))

// A cell takes no part in the copy protocol: copying a cell copies its object pointer and leaves
// the copy unlinked. Assign only to cells that are not in a list.
class KtSListCell : public KtObject {
  KT_OBJECT_CAST(KtSListCell)
  KT_MALLOC_ALLOCATED

 public:
  // Borrows `object`; the cell starts unlinked.
  explicit KtSListCell(KtObject* object = nullptr) : next_(nullptr), object_(object) {}
  KtSListCell(const KtSListCell& source) : KtObject(), next_(nullptr), object_(source.object_) {}
  KtSListCell& operator=(const KtSListCell& source) {
    next_ = nullptr;
    object_ = source.object_;
    return *this;
  }
  ~KtSListCell() override;

  // pObject() reads the element; pObject(o) stores o and returns it.
  KtObject* pObject() const { return object_; }
  KtObject* pObject(KtObject* object) { return object_ = object; }
  KtSListCell* pNextCell() const { return next_; }
  KtSListCell* pNextSListCell() const { return next_; }

  // Slot 9: the size of a cell in bytes.
  virtual std::int32_t sizeOf() const;

 private:
  friend class KtSList;
  friend class KtSListSort;  // relinks cells in place
  KtSListCell* pNextSListCell(KtSListCell* cell) { return next_ = cell; }

  KtSListCell* next_;
  KtObject* object_;
};

class KtSList : public KtObject {
  KT_OBJECT(KtSList, KtObject)

 public:
  KtSList() : first_(nullptr), last_(nullptr), length_(0) {}
  // Takes the source's cells; the source ends empty. Returning a list by value moves it.
  KtSList(KtSList&& source) noexcept;
  // New cells sharing the doubly linked list's objects (copyAllCells).
  explicit KtSList(const KtDList& source);
  const KtSList& operator=(const KtDList& source);
  // A doubly linked list of clones of this list's objects, in order; the clones belong to the
  // caller.
  operator KtDList() const;
  // Deletes the cells, not the objects.
  ~KtSList() override;

  // Slot 9: the list object plus one KtSListCell per element, in bytes.
  virtual std::int32_t sizeOf() const;

  std::int32_t length() const { return length_; }
  KtSListCell* pFirstCell() const { return first_; }
  KtSListCell* pFirstSListCell() const { return first_; }
  KtSListCell* pLastCell() const { return last_; }
  KtSListCell* pLastSListCell() const { return last_; }

  // Links `cell` after `after` (at the front for null) and owns it. Returns `cell`.
  KtSListCell* insertCell(KtSListCell* after, KtSListCell* cell);
  KtSListCell* appendCell(KtSListCell* cell) { return insertCell(last_, cell); }
  KtSListCell* prependCell(KtSListCell* cell) { return insertCell(nullptr, cell); }
  // A new cell holding `object` (borrowed), inserted after `after`; null when memory runs out.
  KtSListCell* addObject(KtSListCell* after, KtObject* object);
  KtSListCell* appendObject(KtObject* object) { return addObject(last_, object); }
  KtSListCell* prependObject(KtObject* object) { return addObject(nullptr, object); }

  // The cell before `cell`: null when `cell` is first; KT_SLIST_NO_CELL for a null cell, an
  // empty list or a cell not in the list.
  KtSListCell* searchPreviousCell(const KtSListCell* cell) const;
  // The cell before the first cell holding `object`, as above; KT_SLIST_NO_CELL for a null
  // object.
  KtSListCell* searchPreviousObject(const KtObject* object) const;
  // Unlinks the cell after `previous` (the first cell for null) and hands it to the caller. Null
  // for KT_SLIST_NO_CELL, an empty list, or when `previous` is the last cell.
  KtSListCell* removeNextCell(KtSListCell* previous);
  // Deletes the cell removeNextCell(previous) hands out, if any (not its object).
  void discardNextCell(KtSListCell* previous) { delete removeNextCell(previous); }
  // Unlinks `cell` and hands it to the caller; null for null or a cell not in the list.
  KtSListCell* removeCell(const KtSListCell* cell);
  // Unlinks and deletes `cell` (not its object); nothing for null or a cell not in the list.
  void discardCell(const KtSListCell* cell) { delete removeCell(cell); }

  // Lookups walk from the front and compare pointers. searchObject(null) finds the first cell
  // holding null; positions are 1-based.
  KtSListCell* searchCell(const KtSListCell* cell) const;
  KtSListCell* searchObject(const KtObject* object) const;
  KtSListCell* searchAndRemoveCell(const KtSListCell* cell) {
    return removeNextCell(searchPreviousCell(cell));
  }
  KtSListCell* searchAndRemoveObject(const KtObject* object) {
    return removeNextCell(searchPreviousObject(object));
  }
  // -1 for null or absent.
  std::int32_t positionOfCell(const KtSListCell* cell) const;
  std::int32_t positionOfObject(const KtObject* object) const;
  // Null unless 1 <= position <= length().
  KtSListCell* pCellInPosition(std::int32_t position) const;
  KtObject* pObjectInPosition(std::int32_t position) const;

  // Reverses the order of the cells in place; always returns 1.
  int reverse();
  // Returns 1 iff `other` holds the same object pointers in the same order (0 for null).
  int compare(const KtSList* other) const;

  void deleteAllCells();
  // Deletes every non-null object through its virtual destructor, then every cell.
  void deleteAllCellsAndObjects();
  // Empty this list, then fill it with new cells holding the source's objects, respectively
  // clones of them, in order. A null source just empties; copying a list into itself changes
  // nothing.
  void copyAllCells(const KtSList* source);
  void copyAllCells(const KtDList* source);
  void copyAllCellsAndObjects(const KtSList* source);
  void copyAllCellsAndObjects(const KtDList* source);

  // Moves the run that begins after `previous` (at the source's first cell for null) and ends at
  // toCell after `after`. Refuses when source is null or this list, previous is
  // KT_SLIST_NO_CELL, toCell is null or cannot be reached from the run's first cell.
  int transferNextListPart(KtSListCell* after, KtSList* source, KtSListCell* previous,
                           KtSListCell* toCell);
  // As transferNextListPart from the cell before fromCell; also refused when fromCell is not in
  // the source.
  int transferListPart(KtSListCell* after, KtSList* source, KtSListCell* fromCell,
                       KtSListCell* toCell);
  // The whole source, in constant time; 1 without change for an empty one.
  int transferList(KtSListCell* after, KtSList* source);
  int appendList(KtSList* source) { return transferList(last_, source); }
  int prependList(KtSList* source) { return transferList(nullptr, source); }
  // As the moving forms, with new cells sharing the objects; the source is unchanged.
  int copyTransferListPart(KtSListCell* after, const KtSList* source, const KtSListCell* fromCell,
                           const KtSListCell* toCell);
  int copyTransferList(KtSListCell* after, const KtSList* source);
  int copyAppendList(const KtSList* source) { return copyTransferList(last_, source); }
  int copyPrependList(const KtSList* source) { return copyTransferList(nullptr, source); }

  // The IfNotInList family skips every element whose object this list already holds, checked
  // against the list as it grows.
  KtSListCell* insertCellIfNotInList(KtSListCell* after, KtSListCell* cell);
  KtSListCell* appendCellIfNotInList(KtSListCell* cell) {
    return insertCellIfNotInList(last_, cell);
  }
  KtSListCell* prependCellIfNotInList(KtSListCell* cell) {
    return insertCellIfNotInList(nullptr, cell);
  }
  KtSListCell* addObjectIfNotInList(KtSListCell* after, KtObject* object);
  KtSListCell* appendObjectIfNotInList(KtObject* object) {
    return addObjectIfNotInList(last_, object);
  }
  KtSListCell* prependObjectIfNotInList(KtObject* object) {
    return addObjectIfNotInList(nullptr, object);
  }
  int transferListPartIfNotInList(KtSListCell* after, KtSList* source, KtSListCell* fromCell,
                                  KtSListCell* toCell);
  int transferListIfNotInList(KtSListCell* after, KtSList* source);
  int appendListIfNotInList(KtSList* source) { return transferListIfNotInList(last_, source); }
  int prependListIfNotInList(KtSList* source) { return transferListIfNotInList(nullptr, source); }
  int copyTransferListPartIfNotInList(KtSListCell* after, const KtSList* source,
                                      const KtSListCell* fromCell, const KtSListCell* toCell);
  int copyTransferListIfNotInList(KtSListCell* after, const KtSList* source);
  int copyAppendListIfNotInList(const KtSList* source) {
    return copyTransferListIfNotInList(last_, source);
  }
  int copyPrependListIfNotInList(const KtSList* source) {
    return copyTransferListIfNotInList(nullptr, source);
  }

 protected:
  void init() {
    first_ = last_ = nullptr;
    length_ = 0;
  }
  // Raw setters for the list and the structures built on it; they keep no invariant.
  KtSListCell* pFirstSListCell(KtSListCell* cell) { return first_ = cell; }
  KtSListCell* pLastSListCell(KtSListCell* cell) { return last_ = cell; }
  std::int32_t length(std::int32_t length) { return length_ = length; }
  // Raw link setter for the structures built on the list; it keeps no invariant.
  static KtSListCell* pNextSListCell(KtSListCell* cell, KtSListCell* next) {
    return cell->next_ = next;
  }

 private:
  friend class KtSListSort;
  // Links the chain fromCell..toCell of `count` cells after `after`.
  void spliceIn(KtSListCell* after, KtSListCell* fromCell, KtSListCell* toCell, std::int32_t count);
  int copyRun(KtSListCell* after, const KtSList* source, const KtSListCell* fromCell,
              const KtSListCell* toCell, bool skipPresent);

  KtSListCell* first_;
  KtSListCell* last_;
  std::int32_t length_;
};

class KtSListIter : public KtObject {
  KT_OBJECT_CAST(KtSListIter)

 public:
  // Starts at the first cell; no current cell for a null list.
  explicit KtSListIter(const KtSList* list = nullptr) { init(list); }
  // Starts at `cell`, or has no current cell when `list` is null.
  KtSListIter(const KtSList* list, KtSListCell* cell) { init(list, cell); }
  KtSListIter(const KtSListIter&) = delete;
  KtSListIter& operator=(const KtSListIter&) = delete;
  ~KtSListIter() override;

  void init(const KtSList* list) { current_ = list == nullptr ? nullptr : list->pFirstSListCell(); }
  void init(const KtSList* list, KtSListCell* cell) { current_ = list == nullptr ? nullptr : cell; }

  // Steps do not check for the end. The postfix form returns the cell it leaves.
  KtSListIter& operator++() {
    current_ = current_->pNextSListCell();
    return *this;
  }
  KtSListCell* operator++(int) {
    KtSListCell* left = current_;
    current_ = current_->pNextSListCell();
    return left;
  }

  // 1 while there is a current cell.
  operator int() const { return current_ != nullptr; }
  KtObject* pObject() const { return current_->pObject(); }
  KtSListCell* pCell() const { return current_; }
  KtSListCell* pSListCell() const { return current_; }

 private:
  KtSListCell* current_;
};

inline KtSListCell* KtSList::insertCell(KtSListCell* after, KtSListCell* cell) {
  spliceIn(after, cell, cell, 1);
  return cell;
}

inline KtSListCell* KtSList::addObject(KtSListCell* after, KtObject* object) {
  KtSListCell* cell = new (std::nothrow) KtSListCell(object);
  return cell == nullptr ? nullptr : insertCell(after, cell);
}

inline int KtSList::transferList(KtSListCell* after, KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ > 0) {
    spliceIn(after, source->first_, source->last_, source->length_);
    source->init();
  }
  return 1;
}

inline void KtSList::spliceIn(KtSListCell* after, KtSListCell* fromCell, KtSListCell* toCell,
                              std::int32_t count) {
  if (after == nullptr) {
    toCell->next_ = first_;
    first_ = fromCell;
  } else {
    toCell->next_ = after->next_;
    after->next_ = fromCell;
  }
  if (toCell->next_ == nullptr) last_ = toCell;
  length_ += count;
}

#include "ktbase/containers/dlist.h"

#endif  // KTBASE_CONTAINERS_SLIST_H
