// Walks shared by the doubly and the singly linked list. They see a list only through its cells'
// pNextCell() and pObject(), so one body serves both cell types. Private to the library's sources.
#ifndef KTBASE_CONTAINERS_LIST_WALK_H
#define KTBASE_CONTAINERS_LIST_WALK_H

#include <cstdint>

#include "ktbase/core/object.h"

template <class Cell>
Cell* ktListFindCell(Cell* first, const Cell* cell) {
  if (cell == nullptr) return nullptr;
  for (Cell* c = first; c != nullptr; c = c->pNextCell())
    if (c == cell) return c;
  return nullptr;
}

template <class Cell>
Cell* ktListFindObject(Cell* first, const KtObject* object) {
  for (Cell* c = first; c != nullptr; c = c->pNextCell())
    if (c->pObject() == object) return c;
  return nullptr;
}

// 1-based position of `cell`, -1 for null or absent.
template <class Cell>
std::int32_t ktListPositionOfCell(const Cell* first, const Cell* cell) {
  if (cell == nullptr) return -1;
  std::int32_t position = 1;
  for (const Cell* c = first; c != nullptr; c = c->pNextCell(), ++position)
    if (c == cell) return position;
  return -1;
}

// 1-based position of the first cell holding `object`, -1 for null or absent.
template <class Cell>
std::int32_t ktListPositionOfObject(const Cell* first, const KtObject* object) {
  if (object == nullptr) return -1;
  std::int32_t position = 1;
  for (const Cell* c = first; c != nullptr; c = c->pNextCell(), ++position)
    if (c->pObject() == object) return position;
  return -1;
}

template <class Cell>
Cell* ktListCellInPosition(Cell* first, std::int32_t length, std::int32_t position) {
  if (position < 1 || position > length) return nullptr;
  Cell* c = first;
  while (--position > 0) c = c->pNextCell();
  return c;
}

// Returns 1 iff both chains hold the same object pointers in the same order and end together.
template <class Cell>
int ktListSameObjects(const Cell* a, const Cell* b) {
  for (; a != nullptr && b != nullptr; a = a->pNextCell(), b = b->pNextCell())
    if (a->pObject() != b->pObject()) return 0;
  return a == nullptr && b == nullptr;
}

// The number of cells from `from` to `to` following next, or 0 when `to` is never reached.
template <class Cell>
std::int32_t ktListRunLength(const Cell* from, const Cell* to) {
  std::int32_t count = 1;
  for (const Cell* c = from; c != nullptr; c = c->pNextCell(), ++count)
    if (c == to) return count;
  return 0;
}

// Deletes a chain of cells, and first the non-null objects in them when `withObjects` is set.
template <class Cell>
void ktListDeleteChain(Cell* first, bool withObjects) {
  if (withObjects)
    for (Cell* c = first; c != nullptr; c = c->pNextCell()) delete c->pObject();
  while (first != nullptr) {
    Cell* next = first->pNextCell();
    delete first;
    first = next;
  }
}

// Appends to `list` the objects of the chain starting at `first` (clones of them when
// `cloneObjects` is set), in order. Stops when memory runs out.
template <class List, class Cell>
void ktListAppendObjects(List& list, const Cell* first, bool cloneObjects) {
  for (const Cell* c = first; c != nullptr; c = c->pNextCell()) {
    KtObject* object = c->pObject();
    if (cloneObjects && object != nullptr) {
      object = object->cloneObject();
      if (object == nullptr) return;
    }
    if (list.appendObject(object) == nullptr) {
      if (cloneObjects) delete object;
      return;
    }
  }
}

// Empties `list` (with its objects when `cloneObjects` is set), then fills it with the objects of
// `source`, or clones of them. A null source just empties; a list copied into itself is left
// alone, since emptying it first would lose (and with its objects, delete) what was to be copied.
template <class List, class Source>
void ktListCopyAll(List& list, const Source* source, bool cloneObjects) {
  if (static_cast<const void*>(source) == static_cast<const void*>(&list)) return;
  if (cloneObjects)
    list.deleteAllCellsAndObjects();
  else
    list.deleteAllCells();
  if (source != nullptr) ktListAppendObjects(list, source->pFirstCell(), cloneObjects);
}

// Builds in `copies` new cells for the objects of the run from..to, skipping, when
// `skipPresent` is set, the objects `list` or `copies` already hold. Returns 0 when memory runs
// out.
template <class List, class Cell>
int ktListCopyRun(const List& list, List& copies, const Cell* from, const Cell* to,
                  bool skipPresent) {
  for (const Cell* c = from;; c = c->pNextCell()) {
    KtObject* object = c->pObject();
    bool present = skipPresent && (list.searchObject(object) || copies.searchObject(object));
    if (!present && copies.appendObject(object) == nullptr) return 0;
    if (c == to) return 1;
  }
}

#endif  // KTBASE_CONTAINERS_LIST_WALK_H
