// Lists whose elements are known to be points or rectangles, so that the geometry code needs no
// casts: KtPointDList and KtRectDList are KtDLists, KtPointSList and KtRectSList are KtSLists,
// each with its iterator. They add no data and no behaviour: every operation has the effect,
// result, ownership and refusal rules of the base-list operation of the same role (see dlist.h and
// slist.h), with KtPoint* or KtRect* in place of KtObject* and the typed list in place of the base
// list. Membership and equality stay pointer identity, never equal coordinates.
//
// The typed names (Point shown; the rectangle lists say Rect in the same places) and the base
// operation each one is:
//   addPoint, appendPoint, prependPoint                          addObject, appendObject, ...
//   addPointIfNotInList, appendPointIfNotInList, ...             addObjectIfNotInList, ...
//   searchPoint, positionOfPoint, pPointInPosition              searchObject, ...
//   deleteAllCellsAndPoints, copyAllCellsAndPoints              ...AndObjects
//   searchPreviousPoint (singly linked lists)                   searchPreviousObject
// The constructors, operator=, copyAllCells and the transfer and copy-transfer families keep their
// base names and take the typed lists. A deep copy clones the points (rectangles) and a clone of a
// typed list is a list of the same type; the list made from the other link kind shares the
// elements.
#ifndef KTBASE_CONTAINERS_TYPED_LIST_H
#define KTBASE_CONTAINERS_TYPED_LIST_H

#include <cstdint>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/slist.h"
#include "ktbase/core/object.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"

class KtPointDList;
class KtPointSList;
class KtRectDList;
class KtRectSList;

// The members of a typed list L of elements T, derived from Base (KtDList or KtSList) with cells
// Cell; Twin is the typed list of the other link kind, Name the word in the typed names. The
// members that read Twin are defined out of line, where Twin is complete.
#define KT_TYPED_LIST(L, Twin, Base, Cell, T, Name)                                           \
  KT_OBJECT_CAST(L)                                                                           \
  KT_OBJECT_CLONE(L)                                                                          \
                                                                                              \
 public:                                                                                      \
  L() {}                                                                                      \
  L(const L& source, KtDeepFlagEnum deepFlag = KT_DEEP_COPY) : Base(source, deepFlag) {}      \
  explicit L(const Twin& source);                                                             \
  ~L() override;                                                                              \
  const L& operator=(const L& source) {                                                       \
    Base::operator=(source);                                                                  \
    return *this;                                                                             \
  }                                                                                           \
  const L& operator=(const Twin& source);                                                     \
                                                                                              \
  Cell* add##Name(Cell* after, T* element) { return addObject(after, element); }              \
  Cell* append##Name(T* element) { return appendObject(element); }                            \
  Cell* prepend##Name(T* element) { return prependObject(element); }                          \
  Cell* add##Name##IfNotInList(Cell* after, T* element) {                                     \
    return addObjectIfNotInList(after, element);                                              \
  }                                                                                           \
  Cell* append##Name##IfNotInList(T* element) { return appendObjectIfNotInList(element); }    \
  Cell* prepend##Name##IfNotInList(T* element) { return prependObjectIfNotInList(element); }  \
  Cell* search##Name(const T* element) const { return searchObject(element); }                \
  std::int32_t positionOf##Name(const T* element) const { return positionOfObject(element); } \
  T* p##Name##InPosition(std::int32_t position) const {                                       \
    return T::castDown(pObjectInPosition(position));                                          \
  }                                                                                           \
  void deleteAllCellsAnd##Name##s() { deleteAllCellsAndObjects(); }                           \
  void copyAllCellsAnd##Name##s(const L* source) { copyAllCellsAndObjects(source); }          \
  void copyAllCellsAnd##Name##s(const Twin* source);                                          \
  void copyAllCells(const L* source) { Base::copyAllCells(source); }                          \
  void copyAllCells(const Twin* source);                                                      \
                                                                                              \
  int transferList(Cell* after, L* source) { return Base::transferList(after, source); }      \
  int transferListPart(Cell* after, L* source, Cell* fromCell, Cell* toCell) {                \
    return Base::transferListPart(after, source, fromCell, toCell);                           \
  }                                                                                           \
  int appendList(L* source) { return Base::appendList(source); }                              \
  int prependList(L* source) { return Base::prependList(source); }                            \
  int copyTransferList(Cell* after, const L* source) {                                        \
    return Base::copyTransferList(after, source);                                             \
  }                                                                                           \
  int copyTransferListPart(Cell* after, const L* source, const Cell* fromCell,                \
                           const Cell* toCell) {                                              \
    return Base::copyTransferListPart(after, source, fromCell, toCell);                       \
  }                                                                                           \
  int copyAppendList(const L* source) { return Base::copyAppendList(source); }                \
  int copyPrependList(const L* source) { return Base::copyPrependList(source); }              \
  int transferListIfNotInList(Cell* after, L* source) {                                       \
    return Base::transferListIfNotInList(after, source);                                      \
  }                                                                                           \
  int transferListPartIfNotInList(Cell* after, L* source, Cell* fromCell, Cell* toCell) {     \
    return Base::transferListPartIfNotInList(after, source, fromCell, toCell);                \
  }                                                                                           \
  int appendListIfNotInList(L* source) { return Base::appendListIfNotInList(source); }        \
  int prependListIfNotInList(L* source) { return Base::prependListIfNotInList(source); }      \
  int copyTransferListIfNotInList(Cell* after, const L* source) {                             \
    return Base::copyTransferListIfNotInList(after, source);                                  \
  }                                                                                           \
  int copyTransferListPartIfNotInList(Cell* after, const L* source, const Cell* fromCell,     \
                                      const Cell* toCell) {                                   \
    return Base::copyTransferListPartIfNotInList(after, source, fromCell, toCell);            \
  }                                                                                           \
  int copyAppendListIfNotInList(const L* source) {                                            \
    return Base::copyAppendListIfNotInList(source);                                           \
  }                                                                                           \
  int copyPrependListIfNotInList(const L* source) {                                           \
    return Base::copyPrependListIfNotInList(source);                                          \
  }                                                                                           \
                                                                                              \
 protected:                                                                                   \
  void init() {}                                                                              \
                                                                                              \
 private:

// The members of the iterator I over the typed list L, derived from Iter (KtDListIter or
// KtSListIter); the element accessor is p<Name>(), for which there must be a current cell.
#define KT_TYPED_LIST_ITER(I, L, Iter, Cell, T, Name)              \
  KT_OBJECT_CAST(I)                                                \
                                                                   \
 public:                                                           \
  I(const L* list, Cell* cell) : Iter(list, cell) {}               \
  ~I() override;                                                   \
  void init(const L* list, Cell* cell) { Iter::init(list, cell); } \
  I& operator++() {                                                \
    Iter::operator++();                                            \
    return *this;                                                  \
  }                                                                \
  Cell* operator++(int) { return Iter::operator++(0); }            \
  T* p##Name() const { return T::castDown(pObject()); }            \
                                                                   \
 private:

// The backward steps and the direction forms of the doubly linked iterators.
#define KT_TYPED_DLIST_ITER(I, L, T, Name)                                        \
  KT_TYPED_LIST_ITER(I, L, KtDListIter, KtDListCell, T, Name)                     \
                                                                                  \
 public:                                                                          \
  explicit I(const L* list = nullptr, KtIterDirectionEnum direction = KT_FORWARD) \
      : KtDListIter(list, direction) {}                                           \
  void init(const L* list, KtIterDirectionEnum direction = KT_FORWARD) {          \
    KtDListIter::init(list, direction);                                           \
  }                                                                               \
  I& operator--() {                                                               \
    KtDListIter::operator--();                                                    \
    return *this;                                                                 \
  }                                                                               \
  KtDListCell* operator--(int) { return KtDListIter::operator--(0); }             \
                                                                                  \
 private:

#define KT_TYPED_SLIST_ITER(I, L, T, Name)                    \
  KT_TYPED_LIST_ITER(I, L, KtSListIter, KtSListCell, T, Name) \
                                                              \
 public:                                                      \
  explicit I(const L* list = nullptr) : KtSListIter(list) {}  \
  void init(const L* list) { KtSListIter::init(list); }       \
                                                              \
 private:

class KtPointDList : public KtDList {
  KT_TYPED_LIST(KtPointDList, KtPointSList, KtDList, KtDListCell, KtPoint, Point)
};

class KtRectDList : public KtDList {
  KT_TYPED_LIST(KtRectDList, KtRectSList, KtDList, KtDListCell, KtRect, Rect)
};

class KtPointSList : public KtSList {
  KT_TYPED_LIST(KtPointSList, KtPointDList, KtSList, KtSListCell, KtPoint, Point)

 public:
  KtSListCell* searchPreviousPoint(const KtPoint* point) const {
    return searchPreviousObject(point);
  }
};

class KtRectSList : public KtSList {
  KT_TYPED_LIST(KtRectSList, KtRectDList, KtSList, KtSListCell, KtRect, Rect)

 public:
  KtSListCell* searchPreviousRect(const KtRect* rect) const { return searchPreviousObject(rect); }
};

class KtPointDListIter : public KtDListIter {
  KT_TYPED_DLIST_ITER(KtPointDListIter, KtPointDList, KtPoint, Point)
};

class KtRectDListIter : public KtDListIter {
  KT_TYPED_DLIST_ITER(KtRectDListIter, KtRectDList, KtRect, Rect)
};

class KtPointSListIter : public KtSListIter {
  KT_TYPED_SLIST_ITER(KtPointSListIter, KtPointSList, KtPoint, Point)
};

class KtRectSListIter : public KtSListIter {
  KT_TYPED_SLIST_ITER(KtRectSListIter, KtRectSList, KtRect, Rect)
};

#endif  // KTBASE_CONTAINERS_TYPED_LIST_H
