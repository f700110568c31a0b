#include "ktbase/containers/bin_heap.h"

#include "ktbase/containers/tree_links.h"

// ---- KtBinHeapCell ------------------------------------------------------------------------

KtBinHeapCell::~KtBinHeapCell() {}

void KtBinHeapCell::KtBinHeapCelldeepCopy(const KtBinHeapCell& source) {
  KtDListCell::copyObject(&source);
  value_ = source.value_;
}

void KtBinHeapCell::KtBinHeapCellattributeCopy(const KtBinHeapCell& source) {
  KtDListCell::copyAttributes(&source);
  value_ = source.value_;
}

std::int32_t KtBinHeapCell::sizeOf() const { return sizeof(KtBinHeapCell); }

// ---- KtBinHeap: life cycle ------------------------------------------------------------------

KtBinHeap::~KtBinHeap() {}

// The list's own deep copy is skipped: it would fill the heap with plain list cells.
void KtBinHeap::KtBinHeapdeepCopy(const KtBinHeap& source) { copyAllCellsAndObjects(&source); }

// A heap has no settings of its own.
void KtBinHeap::KtBinHeapattributeCopy(const KtBinHeap& source) {
  KtDList::copyAttributes(&source);
}

int KtBinHeap::virtualCompare(KtBinHeapCell* cellA, KtBinHeapCell* cellB) {
  return cellA->value() < cellB->value() ? -1 : cellA->value() > cellB->value() ? 1 : 0;
}

// ---- the sift rules -------------------------------------------------------------------------

void KtBinHeap::swapPosition(KtBinHeapCell* cellA, KtBinHeapCell* cellB) {
  if (cellA == cellB) return;
  KtDList::swapPosition(cellA, cellB);
  KtBinHeapCell* root = nullptr;  // the list's first cell is the root: no root to follow
  ktExchangeTreePlaces<KtBinHeapCell>(cellA, cellB, nullptr, &root);
  if (addChildrenPlace_ == cellA)
    addChildrenPlace_ = cellB;
  else if (addChildrenPlace_ == cellB)
    addChildrenPlace_ = cellA;
}

// The links are set directly rather than through the general exchange: the cell follows its
// parent in the list, and the two are neighbours there only when the parent is the root.
inline void KtBinHeap::swapWithParent(KtBinHeapCell* cell) {
  KtBinHeapCell* parent = cell->pParent();
  KtBinHeapCell* grandparent = parent->pParent();
  KtBinHeapCell* left = cell->pLeftChild();
  KtBinHeapCell* right = cell->pRightChild();
  const bool wasLeft = parent->pLeftChild() == cell;
  KtBinHeapCell* sibling = wasLeft ? parent->pRightChild() : parent->pLeftChild();

  cell->pParent(grandparent);
  if (grandparent != nullptr) {
    if (grandparent->pLeftChild() == parent)
      grandparent->pLeftChild(cell);
    else
      grandparent->pRightChild(cell);
  }
  cell->pLeftChild(wasLeft ? parent : sibling);
  cell->pRightChild(wasLeft ? sibling : parent);
  if (sibling != nullptr) sibling->pParent(cell);
  parent->pParent(cell);
  parent->pLeftChild(left);
  parent->pRightChild(right);
  if (left != nullptr) left->pParent(parent);
  if (right != nullptr) right->pParent(parent);

  KtDListCell* beforeParent = parent->pPrevDListCell();
  KtDListCell* afterParent = parent->pNextDListCell();
  KtDListCell* beforeCell = cell->pPrevDListCell();
  KtDListCell* afterCell = cell->pNextDListCell();
  if (beforeParent == nullptr)
    pFirstDListCell(cell);
  else
    pNextDListCell(beforeParent, cell);
  if (afterCell == nullptr)
    pLastDListCell(parent);
  else
    pPrevDListCell(afterCell, parent);
  pPrevDListCell(cell, beforeParent);
  pNextDListCell(parent, afterCell);
  if (afterParent == cell) {
    pNextDListCell(cell, parent);
    pPrevDListCell(parent, cell);
  } else {
    pNextDListCell(cell, afterParent);
    pPrevDListCell(afterParent, cell);
    pPrevDListCell(parent, beforeCell);
    pNextDListCell(beforeCell, parent);
  }

  if (addChildrenPlace_ == parent)
    addChildrenPlace_ = cell;
  else if (addChildrenPlace_ == cell)
    addChildrenPlace_ = parent;
}

// Equal keys stop the climb.
inline void KtBinHeap::bubbleUp(KtBinHeapCell* cell) {
  for (KtBinHeapCell* parent = cell->pParent();
       parent != nullptr && virtualCompare(parent, cell) > 0; parent = cell->pParent())
    swapWithParent(cell);
}

// Only a strictly smaller child takes the cell's place; between two equal smaller children the
// left one wins.
inline void KtBinHeap::heapify(KtBinHeapCell* cell) {
  for (;;) {
    KtBinHeapCell* left = cell->pLeftChild();
    if (left == nullptr) return;  // a cell without a left child has no children
    KtBinHeapCell* smallest = virtualCompare(left, cell) < 0 ? left : cell;
    KtBinHeapCell* right = cell->pRightChild();
    if (right != nullptr && virtualCompare(right, smallest) < 0) smallest = right;
    if (smallest == cell) return;
    swapWithParent(smallest);
  }
}

// ---- insertion and removal ------------------------------------------------------------------

KtBinHeapCell* KtBinHeap::addObject(KtObject* object, std::int32_t value) {
  KtBinHeapCell* cell = new (std::nothrow) KtBinHeapCell(object, value);
  return cell == nullptr ? nullptr : insertCell(cell);
}

KtBinHeapCell* KtBinHeap::insertCell(KtBinHeapCell* cell) {
  if (cell == nullptr) return nullptr;
  cell->pLeftChild(nullptr);
  cell->pRightChild(nullptr);
  KtDList::insertCell(pLastDListCell(), cell);
  KtBinHeapCell* place = addChildrenPlace_;
  cell->pParent(place);
  if (place == nullptr) {
    addChildrenPlace_ = cell;
    return cell;
  }
  if (place->pLeftChild() == nullptr) {
    place->pLeftChild(cell);
  } else {
    place->pRightChild(cell);
    addChildrenPlace_ = heapCell(place->pNextDListCell());
  }
  bubbleUp(cell);
  return cell;
}

KtBinHeapCell* KtBinHeap::removeLastBinHeapCell() {
  KtBinHeapCell* last = pLastCell();
  if (last == nullptr) return nullptr;
  KtBinHeapCell* parent = last->pParent();
  if (parent == nullptr) {
    addChildrenPlace_ = nullptr;
  } else if (parent->pRightChild() == last) {
    parent->pRightChild(nullptr);
    addChildrenPlace_ = parent;
  } else {
    parent->pLeftChild(nullptr);
  }
  last->pParent(nullptr);
  KtDList::removeCell(last);
  return last;
}

KtBinHeapCell* KtBinHeap::pExtractMinCell() {
  KtBinHeapCell* first = pFirstCell();
  if (first == nullptr || first == pLastCell()) return removeLastBinHeapCell();
  swapPosition(first, pLastCell());
  removeLastBinHeapCell();
  heapify(pFirstCell());
  return first;
}

// The last cell takes the removed cell's place and then moves whichever way its key requires. When
// the removed cell is the last one, nothing takes its place and nothing moves.
KtBinHeapCell* KtBinHeap::removeCell(KtBinHeapCell* cell) {
  if (cell == nullptr) return nullptr;
  KtBinHeapCell* last = pLastCell();
  if (cell == last) return removeLastBinHeapCell();
  swapPosition(cell, last);
  removeLastBinHeapCell();
  heapify(last);
  bubbleUp(last);
  return cell;
}

void KtBinHeap::changeValue(KtBinHeapCell* cell, std::int32_t value) {
  if (cell == nullptr) return;
  cell->value(value);
  heapify(cell);
  bubbleUp(cell);
}

// ---- bulk deletion and copying --------------------------------------------------------------

void KtBinHeap::deleteAllCells() {
  KtDList::deleteAllCells();
  addChildrenPlace_ = nullptr;
}

void KtBinHeap::deleteAllCellsAndObjects() {
  KtDList::deleteAllCellsAndObjects();
  addChildrenPlace_ = nullptr;
}

// The source's level order is a valid heap order, so every cell stays where it is appended and
// the copy has the source's level order. Stops when memory runs out.
void KtBinHeap::copyAll(const KtBinHeap* source, bool cloneObjects) {
  if (source == this) return;
  if (cloneObjects)
    deleteAllCellsAndObjects();
  else
    deleteAllCells();
  if (source == nullptr) return;
  for (KtDListCell* c = source->pFirstDListCell(); c != nullptr; c = c->pNextDListCell()) {
    KtObject* object = c->pObject();
    if (cloneObjects && object != nullptr) {
      object = object->cloneObject();
      if (object == nullptr) return;
    }
    if (addObject(object, heapCell(c)->value()) == nullptr) {
      if (cloneObjects) delete object;
      return;
    }
  }
}

void KtBinHeap::copyAllCells(const KtBinHeap* source) { copyAll(source, false); }
void KtBinHeap::copyAllCellsAndObjects(const KtBinHeap* source) { copyAll(source, true); }

// ---- the invariants -------------------------------------------------------------------------

// In level order the children of the i-th cell are the 2i-th and (2i+1)-th: a second cursor runs
// through the list twice as fast as the parent cursor.
int KtBinHeap::checkInvariants() const {
  KtBinHeap* self = const_cast<KtBinHeap*>(this);
  std::int32_t count = 0;
  const KtDListCell* previous = nullptr;
  for (const KtDListCell* c = pFirstDListCell(); c != nullptr; c = c->pNextDListCell()) {
    if (c->pPrevDListCell() != previous || ++count > length()) return 0;
    previous = c;
  }
  if (previous != pLastDListCell() || count != length()) return 0;
  if (pFirstCell() != nullptr && pFirstCell()->pParent() != nullptr) return 0;

  KtBinHeapCell* expectedPlace = nullptr;
  KtBinHeapCell* child =
      pFirstCell() == nullptr ? nullptr : heapCell(pFirstCell()->pNextDListCell());
  for (KtBinHeapCell* cell = pFirstCell(); cell != nullptr;
       cell = heapCell(cell->pNextDListCell())) {
    for (KtBinHeapCell* link : {cell->pLeftChild(), cell->pRightChild()}) {
      if (link != child) return 0;
      if (child == nullptr) continue;
      if (child->pParent() != cell || self->virtualCompare(cell, child) > 0) return 0;
      child = heapCell(child->pNextDListCell());
    }
    if (expectedPlace == nullptr && cell->pRightChild() == nullptr) expectedPlace = cell;
  }
  return addChildrenPlace_ == expectedPlace;
}
