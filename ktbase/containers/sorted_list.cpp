#include "ktbase/containers/sorted_list.h"

#include "ktbase/containers/list_walk.h"

namespace {

// Walks the chain from `first` until a cell matches or compares greater (`greater`). Returns the
// matching cell, or null when the walk stopped at a greater cell or at the end; `previous` is the
// last cell passed (null: none).
template <class Cell, class Match, class Greater>
Cell* ktSortedWalk(Cell* first, Match match, Greater greater, Cell*& previous) {
  previous = nullptr;
  for (Cell* c = first; c != nullptr; c = c->pNextCell()) {
    if (match(c)) return c;
    if (greater(c)) return nullptr;
    previous = c;
  }
  return nullptr;
}

// The last cell of the chain that does not compare greater (null: none), after which a new cell
// keeps the order and comes after its equals.
template <class Cell, class Greater>
Cell* ktSortedPlace(Cell* first, Greater greater) {
  Cell* previous = nullptr;
  for (Cell* c = first; c != nullptr && !greater(c); c = c->pNextCell()) previous = c;
  return previous;
}

// Builds in `copies` new cells for the objects of fromCell..toCell, skipping, when `skipPresent`
// is set, the objects that `list` (sorted search) or `copies` already hold. 0 when the run is
// refused or memory runs out.
template <class Sorted, class List, class Cell>
int ktCopyRunAside(const Sorted& list, List& copies, const List* source, const Cell* fromCell,
                   const Cell* toCell, bool skipPresent) {
  if (source == nullptr || static_cast<const void*>(source) == static_cast<const void*>(&list) ||
      fromCell == nullptr || toCell == nullptr || ktListRunLength(fromCell, toCell) == 0)
    return 0;
  for (const Cell* c = fromCell;; c = c->pNextCell()) {
    KtObject* object = c->pObject();
    bool present = skipPresent &&
                   (list.searchObject(object) != nullptr || copies.searchObject(object) != nullptr);
    if (!present && copies.appendObject(object) == nullptr) return 0;
    if (c == toCell) return 1;
  }
}

}  // namespace

// ---- KtSortedDList ------------------------------------------------------------------------

KtSortedDList::KtSortedDList(const KtSortedDList&) : KtDList() {}

KtSortedDList::~KtSortedDList() {}

int KtSortedDList::virtualCellCompare(const KtDListCell* cellA, const KtDListCell* cellB) const {
  return virtualObjectCompare(cellA->pObject(), cellB->pObject());
}

KtDListCell* KtSortedDList::insertCell(KtDListCell* cell) {
  if (cell == nullptr) return nullptr;
  KtDListCell* after = ktSortedPlace(
      pFirstDListCell(), [&](const KtDListCell* c) { return virtualCellCompare(c, cell) > 0; });
  return KtDList::insertCell(after, cell);
}

KtDListCell* KtSortedDList::addObject(KtObject* object) {
  KtDListCell* cell = new (std::nothrow) KtDListCell(object);
  return cell == nullptr ? nullptr : insertCell(cell);
}

KtDListCell* KtSortedDList::insertCellIfNotInList(KtDListCell* cell) {
  if (cell == nullptr) return nullptr;
  KtDListCell* previous;
  KtDListCell* present = ktSortedWalk(
      pFirstDListCell(), [&](const KtDListCell* c) { return c->pObject() == cell->pObject(); },
      [&](const KtDListCell* c) { return virtualCellCompare(c, cell) > 0; }, previous);
  return present != nullptr ? present : KtDList::insertCell(previous, cell);
}

KtDListCell* KtSortedDList::addObjectIfNotInList(KtObject* object) {
  KtDListCell* previous;
  KtDListCell* present = ktSortedWalk(
      pFirstDListCell(), [&](const KtDListCell* c) { return c->pObject() == object; },
      [&](const KtDListCell* c) { return virtualObjectCompare(c->pObject(), object) > 0; },
      previous);
  return present != nullptr ? present : KtDList::addObject(previous, object);
}

KtDListCell* KtSortedDList::searchCell(const KtDListCell* cell) const {
  if (cell == nullptr) return nullptr;
  KtDListCell* previous;
  return ktSortedWalk(
      pFirstDListCell(), [&](const KtDListCell* c) { return c == cell; },
      [&](const KtDListCell* c) { return virtualCellCompare(c, cell) > 0; }, previous);
}

KtDListCell* KtSortedDList::searchObject(const KtObject* object) const {
  KtDListCell* previous;
  return ktSortedWalk(
      pFirstDListCell(), [&](const KtDListCell* c) { return c->pObject() == object; },
      [&](const KtDListCell* c) { return virtualObjectCompare(c->pObject(), object) > 0; },
      previous);
}

int KtSortedDList::moveRun(KtDList* source, KtDListCell* fromCell, KtDListCell* toCell,
                           bool skipPresent) {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr ||
      ktListRunLength(fromCell, toCell) == 0)
    return 0;
  for (KtDListCell* cell = fromCell;;) {
    const bool runEnds = cell == toCell;
    KtDListCell* next = cell->pNextDListCell();
    if (!skipPresent || searchObject(cell->pObject()) == nullptr)
      insertCell(source->removeCell(cell));
    if (runEnds) return 1;
    cell = next;
  }
}

int KtSortedDList::transferListPart(KtDList* source, KtDListCell* fromCell, KtDListCell* toCell) {
  return moveRun(source, fromCell, toCell, false);
}

int KtSortedDList::transferList(KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return moveRun(source, source->pFirstDListCell(), source->pLastDListCell(), false);
}

int KtSortedDList::transferListPartIfNotInList(KtDList* source, KtDListCell* fromCell,
                                               KtDListCell* toCell) {
  return moveRun(source, fromCell, toCell, true);
}

int KtSortedDList::transferListIfNotInList(KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return moveRun(source, source->pFirstDListCell(), source->pLastDListCell(), true);
}

// The copies are built aside and then inserted, so that running out of memory changes nothing.
int KtSortedDList::copyRun(const KtDList* source, const KtDListCell* fromCell,
                           const KtDListCell* toCell, bool skipPresent) {
  KtDList copies;
  if (!ktCopyRunAside(*this, copies, source, fromCell, toCell, skipPresent)) return 0;
  while (copies.length() > 0) insertCell(copies.removeCell(copies.pFirstDListCell()));
  return 1;
}

int KtSortedDList::copyTransferListPart(const KtDList* source, const KtDListCell* fromCell,
                                        const KtDListCell* toCell) {
  return copyRun(source, fromCell, toCell, false);
}

int KtSortedDList::copyTransferList(const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyRun(source, source->pFirstDListCell(), source->pLastDListCell(), false);
}

int KtSortedDList::copyTransferListPartIfNotInList(const KtDList* source,
                                                   const KtDListCell* fromCell,
                                                   const KtDListCell* toCell) {
  return copyRun(source, fromCell, toCell, true);
}

int KtSortedDList::copyTransferListIfNotInList(const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyRun(source, source->pFirstDListCell(), source->pLastDListCell(), true);
}

// ---- KtSortedSList ------------------------------------------------------------------------

KtSortedSList::KtSortedSList(const KtSortedSList&) : KtSList() {}

KtSortedSList::~KtSortedSList() {}

int KtSortedSList::virtualCellCompare(const KtSListCell* cellA, const KtSListCell* cellB) const {
  return virtualObjectCompare(cellA->pObject(), cellB->pObject());
}

KtSListCell* KtSortedSList::placeOf(const KtSListCell* cell) const {
  return ktSortedPlace(pFirstSListCell(),
                       [&](const KtSListCell* c) { return virtualCellCompare(c, cell) > 0; });
}

KtSListCell* KtSortedSList::insertCell(KtSListCell* cell) {
  if (cell == nullptr) return nullptr;
  return KtSList::insertCell(placeOf(cell), cell);
}

KtSListCell* KtSortedSList::addObject(KtObject* object) {
  KtSListCell* cell = new (std::nothrow) KtSListCell(object);
  return cell == nullptr ? nullptr : insertCell(cell);
}

KtSListCell* KtSortedSList::insertCellIfNotInList(KtSListCell* cell) {
  if (cell == nullptr) return nullptr;
  KtSListCell* previous;
  KtSListCell* present = ktSortedWalk(
      pFirstSListCell(), [&](const KtSListCell* c) { return c->pObject() == cell->pObject(); },
      [&](const KtSListCell* c) { return virtualCellCompare(c, cell) > 0; }, previous);
  return present != nullptr ? present : KtSList::insertCell(previous, cell);
}

KtSListCell* KtSortedSList::addObjectIfNotInList(KtObject* object) {
  KtSListCell* previous;
  KtSListCell* present = ktSortedWalk(
      pFirstSListCell(), [&](const KtSListCell* c) { return c->pObject() == object; },
      [&](const KtSListCell* c) { return virtualObjectCompare(c->pObject(), object) > 0; },
      previous);
  return present != nullptr ? present : KtSList::addObject(previous, object);
}

KtSListCell* KtSortedSList::searchCell(const KtSListCell* cell) const {
  KtSListCell* previous = searchPreviousCell(cell);
  if (previous == KT_SLIST_NO_CELL) return nullptr;
  return previous == nullptr ? pFirstSListCell() : previous->pNextSListCell();
}

KtSListCell* KtSortedSList::searchObject(const KtObject* object) const {
  KtSListCell* previous = searchPreviousObject(object);
  if (previous == KT_SLIST_NO_CELL) return nullptr;
  return previous == nullptr ? pFirstSListCell() : previous->pNextSListCell();
}

KtSListCell* KtSortedSList::searchPreviousCell(const KtSListCell* cell) const {
  if (cell == nullptr) return KT_SLIST_NO_CELL;
  KtSListCell* previous;
  KtSListCell* found = ktSortedWalk(
      pFirstSListCell(), [&](const KtSListCell* c) { return c == cell; },
      [&](const KtSListCell* c) { return virtualCellCompare(c, cell) > 0; }, previous);
  return found != nullptr ? previous : KT_SLIST_NO_CELL;
}

KtSListCell* KtSortedSList::searchPreviousObject(const KtObject* object) const {
  KtSListCell* previous;
  KtSListCell* found = ktSortedWalk(
      pFirstSListCell(), [&](const KtSListCell* c) { return c->pObject() == object; },
      [&](const KtSListCell* c) { return virtualObjectCompare(c->pObject(), object) > 0; },
      previous);
  return found != nullptr ? previous : KT_SLIST_NO_CELL;
}

// The run's predecessor in the source is found once; it stays the predecessor of the next cell
// while the cells after it move, and a cell that stays behind takes its role.
int KtSortedSList::moveRun(KtSList* source, KtSListCell* fromCell, KtSListCell* toCell,
                           bool skipPresent) {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr) return 0;
  KtSListCell* staying = source->searchPreviousCell(fromCell);
  if (staying == KT_SLIST_NO_CELL || ktListRunLength(fromCell, toCell) == 0) return 0;
  for (KtSListCell* cell = fromCell;;) {
    const bool runEnds = cell == toCell;
    KtSListCell* next = cell->pNextSListCell();
    if (skipPresent && searchObject(cell->pObject()) != nullptr)
      staying = cell;
    else
      insertCell(source->removeNextCell(staying));
    if (runEnds) return 1;
    cell = next;
  }
}

int KtSortedSList::transferListPart(KtSList* source, KtSListCell* fromCell, KtSListCell* toCell) {
  return moveRun(source, fromCell, toCell, false);
}

int KtSortedSList::transferList(KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return moveRun(source, source->pFirstSListCell(), source->pLastSListCell(), false);
}

int KtSortedSList::transferListPartIfNotInList(KtSList* source, KtSListCell* fromCell,
                                               KtSListCell* toCell) {
  return moveRun(source, fromCell, toCell, true);
}

int KtSortedSList::transferListIfNotInList(KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return moveRun(source, source->pFirstSListCell(), source->pLastSListCell(), true);
}

int KtSortedSList::copyRun(const KtSList* source, const KtSListCell* fromCell,
                           const KtSListCell* toCell, bool skipPresent) {
  KtSList copies;
  if (!ktCopyRunAside(*this, copies, source, fromCell, toCell, skipPresent)) return 0;
  while (copies.length() > 0) insertCell(copies.removeNextCell(nullptr));
  return 1;
}

int KtSortedSList::copyTransferListPart(const KtSList* source, const KtSListCell* fromCell,
                                        const KtSListCell* toCell) {
  return copyRun(source, fromCell, toCell, false);
}

int KtSortedSList::copyTransferList(const KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyRun(source, source->pFirstSListCell(), source->pLastSListCell(), false);
}

int KtSortedSList::copyTransferListPartIfNotInList(const KtSList* source,
                                                   const KtSListCell* fromCell,
                                                   const KtSListCell* toCell) {
  return copyRun(source, fromCell, toCell, true);
}

int KtSortedSList::copyTransferListIfNotInList(const KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyRun(source, source->pFirstSListCell(), source->pLastSListCell(), true);
}
