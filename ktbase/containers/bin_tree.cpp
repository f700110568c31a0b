#include "ktbase/containers/bin_tree.h"

#include "ktbase/containers/list_walk.h"
#include "ktbase/containers/tree_links.h"

// ---- KtBinTreeCell ------------------------------------------------------------------------

KtBinTreeCell::KtBinTreeCell(KtObject* object, int colour)
    : KtDListCell(object), leftChild_(nullptr), rightChild_(nullptr), parent_(nullptr), flags_(0) {
  if (colour == 1)
    makeRed();
  else if (colour == 2)
    makeBlack();
}

KtBinTreeCell::~KtBinTreeCell() {}

void KtBinTreeCell::KtBinTreeCelldeepCopy(const KtBinTreeCell& source) {
  KtDListCell::copyObject(&source);
  flags_ = source.flags_;
}

void KtBinTreeCell::KtBinTreeCellattributeCopy(const KtBinTreeCell& source) {
  KtDListCell::copyAttributes(&source);
  flags_ = source.flags_;
}

std::int32_t KtBinTreeCell::sizeOf() const { return sizeof(KtBinTreeCell); }

// ---- KtBinTree: life cycle ------------------------------------------------------------------

KtBinTree::KtBinTree(int binTreeType) : KtDList() {
  init();
  binTreeType_ = binTreeType;
}

void KtBinTree::init() {
  root_ = nullptr;
  nil_ = new (std::nothrow) KtBinTreeCell(nullptr, 2);
  binTreeType_ = 1;
}

KtBinTree::~KtBinTree() {
  deleteAllCells();
  delete nil_;
}

// The list's own deep copy is skipped: it would fill the tree with plain list cells.
void KtBinTree::KtBinTreedeepCopy(const KtBinTree& source) {
  binTreeType_ = source.binTreeType_;
  copyAllCellsAndObjects(&source);
}

void KtBinTree::KtBinTreeattributeCopy(const KtBinTree& source) {
  KtDList::copyAttributes(&source);
  binTreeType_ = source.binTreeType_;
}

std::int32_t KtBinTree::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtBinTree) + (length() + 1) * sizeof(KtBinTreeCell));
}

// ---- insertion ------------------------------------------------------------------------------

KtBinTreeCell* KtBinTree::insertCell(KtBinTreeCell* after, KtBinTreeCell* cell) {
  if (root_ == nullptr) return attachCell(nullptr, cell, true);
  if (after == nullptr) return attachCell(treeCell(pFirstDListCell()), cell, true);
  if (after->rightChild_ == nil_) return attachCell(after, cell, false);
  // The successor is the leftmost cell of after's right subtree: its left child is nil.
  return attachCell(treeCell(after->pNextDListCell()), cell, true);
}

KtBinTreeCell* KtBinTree::attachCell(KtBinTreeCell* parent, KtBinTreeCell* cell, bool asLeftChild) {
  if (cell == nullptr || nil_ == nullptr) return nullptr;
  cell->leftChild_ = cell->rightChild_ = nil_;
  cell->parent_ = parent;
  if (parent == nullptr) {
    cell->makeBlack();
    root_ = cell;
    KtDList::insertCell(nullptr, cell);
    return cell;
  }
  cell->makeRed();
  if (asLeftChild) {
    parent->leftChild_ = cell;
    KtDList::insertCell(parent->pPrevDListCell(), cell);
  } else {
    parent->rightChild_ = cell;
    KtDList::insertCell(parent, cell);
  }
  if (binTreeType_ == 1) insertFixUp(cell);
  return cell;
}

KtBinTreeCell* KtBinTree::addObject(KtBinTreeCell* after, KtObject* object) {
  KtBinTreeCell* cell = new (std::nothrow) KtBinTreeCell(object);
  if (cell == nullptr) return nullptr;
  if (insertCell(after, cell) == nullptr) {
    delete cell;
    return nullptr;
  }
  return cell;
}

KtBinTreeCell* KtBinTree::addAfter(KtBinTreeCell* after, KtObject* object) {
  return addObject(after == nullptr ? treeCell(pLastDListCell()) : after, object);
}

KtBinTreeCell* KtBinTree::addBefore(KtBinTreeCell* before, KtObject* object) {
  return addObject(before == nullptr ? nullptr : treeCell(before->pPrevDListCell()), object);
}

// The root is made black before the climb, as the loop expects, and again after it: a climb
// that recolours its way up to the root leaves the root red.
void KtBinTree::insertFixUp(KtBinTreeCell* z) {
  root_->makeBlack();
  while (z != root_ && z->parent_->isRed() && z->parent_ != root_) {
    KtBinTreeCell* p = z->parent_;
    KtBinTreeCell* g = p->parent_;
    const bool leftParent = p == g->leftChild_;
    KtBinTreeCell* uncle = leftParent ? g->rightChild_ : g->leftChild_;
    if (uncle->isRed()) {
      p->makeBlack();
      uncle->makeBlack();
      g->makeRed();
      z = g;
      continue;
    }
    if (z == (leftParent ? p->rightChild_ : p->leftChild_)) {
      // The inner child: lift it into p's place first.
      if (leftParent)
        rotateLeft(p);
      else
        rotateRight(p);
      z->makeBlack();
    } else {
      p->makeBlack();
    }
    g->makeRed();
    if (leftParent)
      rotateRight(g);
    else
      rotateLeft(g);
    break;
  }
  root_->makeBlack();
}

void KtBinTree::rotateLeft(KtBinTreeCell* x) {
  KtBinTreeCell* y = x->rightChild_;
  if (y == nil_) return;
  x->rightChild_ = y->leftChild_;
  y->leftChild_->parent_ = x;
  y->parent_ = x->parent_;
  ktReplaceChild(x->parent_, x, y, &root_);
  y->leftChild_ = x;
  x->parent_ = y;
}

void KtBinTree::rotateRight(KtBinTreeCell* x) {
  KtBinTreeCell* y = x->leftChild_;
  if (y == nil_) return;
  x->leftChild_ = y->rightChild_;
  y->rightChild_->parent_ = x;
  y->parent_ = x->parent_;
  ktReplaceChild(x->parent_, x, y, &root_);
  y->rightChild_ = x;
  x->parent_ = y;
}

// ---- removal --------------------------------------------------------------------------------

KtBinTreeCell* KtBinTree::removeCell(KtBinTreeCell* cell) {
  if (cell == nullptr) return nullptr;
  // A cell with two children first takes the place of its successor, which has no left child.
  // The list is left as it is: the cell leaves it below, and no other cell moves.
  if (cell->leftChild_ != nil_ && cell->rightChild_ != nil_)
    exchangeTreePlaces(cell, treeCell(cell->pNextDListCell()));
  KtBinTreeCell* child = cell->leftChild_ == nil_ ? cell->rightChild_ : cell->leftChild_;
  KtBinTreeCell* parent = cell->parent_;
  child->parent_ = parent;
  if (parent == nullptr)
    pRoot(child);
  else if (parent->leftChild_ == cell)
    parent->leftChild_ = child;
  else
    parent->rightChild_ = child;
  KtDList::removeCell(cell);
  if (binTreeType_ == 1 && cell->isBlack()) removeFixUp(child, parent);
  cell->leftChild_ = cell->rightChild_ = cell->parent_ = nullptr;
  return cell;
}

// x carries an extra black. Its parent travels in a variable rather than being read from x: x may
// be the nil cell, whose parent link every rotation may overwrite.
void KtBinTree::removeFixUp(KtBinTreeCell* x, KtBinTreeCell* parent) {
  while (parent != nullptr && x->isBlack()) {
    const bool leftX = x == parent->leftChild_;
    KtBinTreeCell* w = leftX ? parent->rightChild_ : parent->leftChild_;
    if (w->isRed()) {
      w->makeBlack();
      parent->makeRed();
      if (leftX)
        rotateLeft(parent);
      else
        rotateRight(parent);
      w = leftX ? parent->rightChild_ : parent->leftChild_;
    }
    if (w == nil_) {
      x = parent;
      parent = x->parent_;
      continue;
    }
    KtBinTreeCell* nearChild = leftX ? w->leftChild_ : w->rightChild_;
    KtBinTreeCell* farChild = leftX ? w->rightChild_ : w->leftChild_;
    if (nearChild->isBlack() && farChild->isBlack()) {
      w->makeRed();
      x = parent;
      parent = x->parent_;
      continue;
    }
    if (farChild->isBlack()) {
      nearChild->makeBlack();
      w->makeRed();
      if (leftX)
        rotateRight(w);
      else
        rotateLeft(w);
      w = leftX ? parent->rightChild_ : parent->leftChild_;
      farChild = leftX ? w->rightChild_ : w->leftChild_;
    }
    w->takeColour(parent);
    parent->makeBlack();
    farChild->makeBlack();
    if (leftX)
      rotateLeft(parent);
    else
      rotateRight(parent);
    x = root_;
    break;
  }
  if (x != nil_) x->makeBlack();
}

// ---- reordering -----------------------------------------------------------------------------

void KtBinTree::exchangeTreePlaces(KtBinTreeCell* cellA, KtBinTreeCell* cellB) {
  ktExchangeTreePlaces(cellA, cellB, nil_, &root_);
  std::uint8_t colourA = cellA->flags_ & KtBinTreeCell::kColours;
  cellA->takeColour(cellB);
  cellB->flags_ = static_cast<std::uint8_t>((cellB->flags_ & ~KtBinTreeCell::kColours) | colourA);
}

void KtBinTree::swapPosition(KtBinTreeCell* cellA, KtBinTreeCell* cellB) {
  if (cellA == cellB) return;
  KtDList::swapPosition(cellA, cellB);
  exchangeTreePlaces(cellA, cellB);
}

// The cursors mark every cell they reach, their starting cells included, so that the first
// cursor to reach a cell the other has marked stands on the lowest common ancestor, also when one
// cell is an ancestor of the other.
int KtBinTree::compare(const KtBinTreeCell* cellA, const KtBinTreeCell* cellB) const {
  if (cellA == cellB) return 0;
  KtBinTreeCell* a = const_cast<KtBinTreeCell*>(cellA);
  KtBinTreeCell* b = const_cast<KtBinTreeCell*>(cellB);
  a->visited(1);
  b->visited(1);
  int answer = 0;
  // Cells of different trees never meet: both cursors pass their roots and the answer stays 0.
  while (answer == 0 && (a != nullptr || b != nullptr)) {
    if (a != nullptr) {
      KtBinTreeCell* up = a->parent_;
      if (up != nullptr && up->visited())
        answer = a == up->leftChild_ ? -1 : 1;
      else if (up != nullptr)
        up->visited(1);
      a = up;
    }
    if (answer == 0 && b != nullptr) {
      KtBinTreeCell* up = b->parent_;
      if (up != nullptr && up->visited())
        answer = b == up->rightChild_ ? -1 : 1;
      else if (up != nullptr)
        up->visited(1);
      b = up;
    }
  }
  // The marks form one unbroken path from each starting cell upwards.
  for (const KtBinTreeCell* start : {cellA, cellB})
    for (KtBinTreeCell* c = const_cast<KtBinTreeCell*>(start); c != nullptr && c->visited();
         c = c->parent_)
      c->visited(0);
  return answer;
}

KtDListCell* KtBinTree::takeAllCells() {
  KtDListCell* first = pFirstDListCell();
  KtDList::init();
  root_ = nullptr;
  return first;
}

// Rebuilt by insertion at the front, one cell at a time; no cell is allocated.
int KtBinTree::reverse() {
  for (KtDListCell* cell = takeAllCells(); cell != nullptr;) {
    KtDListCell* next = cell->pNextDListCell();
    insertCell(nullptr, treeCell(cell));
    cell = next;
  }
  return 1;
}

// ---- moving and copying runs ----------------------------------------------------------------

int KtBinTree::transferList(KtBinTreeCell* after, KtBinTree* source) {
  if (source == nullptr || source == this) return 0;
  for (KtDListCell* cell = source->takeAllCells(); cell != nullptr;) {
    KtDListCell* next = cell->pNextDListCell();
    after = insertCell(after, treeCell(cell));
    cell = next;
  }
  return 1;
}

int KtBinTree::transferListPart(KtBinTreeCell* after, KtBinTree* source, KtBinTreeCell* fromCell,
                                KtBinTreeCell* toCell) {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr ||
      ktListRunLength<KtDListCell>(fromCell, toCell) == 0)
    return 0;
  for (KtBinTreeCell* cell = fromCell;;) {
    const bool runEnds = cell == toCell;
    KtBinTreeCell* next = treeCell(cell->pNextDListCell());
    after = insertCell(after, source->removeCell(cell));
    if (runEnds) return 1;
    cell = next;
  }
}

namespace {

// New tree cells for the objects of fromCell..toCell, in order, in `copies`; 0 when memory runs
// out or the run is refused (a null source or cell, a toCell not reachable from fromCell).
int ktCopyRunAside(KtDList& copies, const KtDList* source, const KtDListCell* fromCell,
                   const KtDListCell* toCell) {
  if (source == nullptr || fromCell == nullptr || toCell == nullptr ||
      ktListRunLength(fromCell, toCell) == 0)
    return 0;
  for (const KtDListCell* c = fromCell;; c = c->pNextDListCell()) {
    KtBinTreeCell* copy = new (std::nothrow) KtBinTreeCell(c->pObject());
    if (copy == nullptr) return 0;
    copies.appendCell(copy);
    if (c == toCell) return 1;
  }
}

}  // namespace

int KtBinTree::copyTransferListPart(KtBinTreeCell* after, const KtDList* source,
                                    const KtDListCell* fromCell, const KtDListCell* toCell) {
  KtDList copies;
  if (source == this || nil_ == nullptr || !ktCopyRunAside(copies, source, fromCell, toCell))
    return 0;
  while (copies.length() > 0)
    after = insertCell(after, treeCell(copies.removeCell(copies.pFirstDListCell())));
  return 1;
}

int KtBinTree::copyTransferList(KtBinTreeCell* after, const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyTransferListPart(after, source, source->pFirstDListCell(), source->pLastDListCell());
}

void KtBinTree::copyAllCells(const KtDList* source) { ktListCopyAll(*this, source, false); }

void KtBinTree::copyAllCellsAndObjects(const KtDList* source) {
  ktListCopyAll(*this, source, true);
}

void KtBinTree::deleteAllCells() {
  KtDList::deleteAllCells();
  root_ = nullptr;
}

void KtBinTree::deleteAllCellsAndObjects() {
  KtDList::deleteAllCellsAndObjects();
  root_ = nullptr;
}

// ---- the invariants -------------------------------------------------------------------------

namespace {

// The cell after `cell` in the in-order sequence of the tree, or null.
KtBinTreeCell* ktInOrderNext(KtBinTreeCell* cell, const KtBinTreeCell* nil) {
  if (cell->pRightChild() != nil) {
    cell = cell->pRightChild();
    while (cell->pLeftChild() != nil) cell = cell->pLeftChild();
    return cell;
  }
  KtBinTreeCell* parent = cell->pParent();
  while (parent != nullptr && cell == parent->pRightChild()) {
    cell = parent;
    parent = cell->pParent();
  }
  return parent;
}

}  // namespace

int KtBinTree::checkInvariants() const {
  if (nil_ == nullptr) return root_ == nullptr && length() == 0;
  if (!nil_->isBlack() || nil_->pObject() != nullptr) return 0;
  std::int32_t count = 0;
  const KtDListCell* previous = nullptr;
  for (const KtDListCell* c = pFirstDListCell(); c != nullptr; c = c->pNextDListCell()) {
    if (c->pPrevDListCell() != previous || ++count > length()) return 0;
    previous = c;
  }
  if (previous != pLastDListCell() || count != length()) return 0;
  if (root_ == nullptr) return length() == 0;
  if (root_->parent_ != nullptr || root_ == nil_) return 0;

  // The in-order walk must meet the list's cells one by one.
  KtBinTreeCell* cell = root_;
  while (cell->leftChild_ != nil_) cell = cell->leftChild_;
  const bool balanced = binTreeType_ == 1;
  int blackHeight = -1;
  for (const KtDListCell* expected = pFirstDListCell(); expected != nullptr;
       expected = expected->pNextDListCell(), cell = ktInOrderNext(cell, nil_)) {
    if (cell != expected) return 0;
    for (const KtBinTreeCell* child : {cell->leftChild_, cell->rightChild_})
      if (child == nullptr || (child != nil_ && child->parent_ != cell)) return 0;
    if (!balanced) continue;
    if (!cell->isRed() && !cell->isBlack()) return 0;
    if (cell->isRed() && (cell->leftChild_->isRed() || cell->rightChild_->isRed())) return 0;
    if (cell->leftChild_ == nil_ || cell->rightChild_ == nil_) {
      int blacks = 0;
      for (const KtBinTreeCell* c = cell; c != nullptr; c = c->parent_) blacks += c->isBlack();
      if (blackHeight < 0) blackHeight = blacks;
      if (blacks != blackHeight) return 0;
    }
  }
  if (cell != nullptr) return 0;
  return !balanced || root_->isBlack();
}

// ---- KtSortedBinTree ------------------------------------------------------------------------

KtSortedBinTree::KtSortedBinTree(const KtSortedBinTree&) : KtBinTree(1) {}

KtSortedBinTree::~KtSortedBinTree() {}

int KtSortedBinTree::virtualCellCompare(const KtBinTreeCell* cellA,
                                        const KtBinTreeCell* cellB) const {
  return virtualObjectCompare(cellA->pObject(), cellB->pObject());
}

namespace {

// Asks for the cache line of a cell that the descent may visit next.
inline void ktPrefetch(const KtBinTreeCell* cell) {
#if defined(__GNUC__)
  __builtin_prefetch(cell);
#else
  (void)cell;
#endif
}

}  // namespace

// A cell goes right past every cell that compares below it and left otherwise, so it lands
// before the cells equal to it. The step is a selection, not a branch on the comparison, which
// the processor could not predict; both children are fetched while the comparison runs.
KtBinTreeCell* KtSortedBinTree::insertCell(KtBinTreeCell* cell) {
  if (cell == nullptr) return nullptr;
  KtBinTreeCell* node = pRoot();
  if (node == nullptr) return attachCell(nullptr, cell, true);
  const KtBinTreeCell* nil = pNil();
  for (;;) {
    ktPrefetch(node->pLeftChild());
    ktPrefetch(node->pRightChild());
    const bool right = virtualCellCompare(node, cell) < 0;
    KtBinTreeCell* next = ktSelect(right, node->pRightChild(), node->pLeftChild());
    if (next == nil) return attachCell(node, cell, !right);
    node = next;
  }
}

KtBinTreeCell* KtSortedBinTree::addObject(KtObject* object) {
  KtBinTreeCell* cell = new (std::nothrow) KtBinTreeCell(object);
  if (cell == nullptr) return nullptr;
  if (insertCell(cell) == nullptr) {
    delete cell;
    return nullptr;
  }
  return cell;
}

namespace {

// Scans the run of cells around startCell for which `equal` holds, forward from startCell, then
// backward from its predecessor; the first cell for which `match` holds, or null.
template <class Equal, class Match>
KtBinTreeCell* ktScanEqualRun(KtBinTreeCell* startCell, Equal equal, Match match) {
  for (KtDListCell* c = startCell; c != nullptr; c = c->pNextDListCell()) {
    KtBinTreeCell* cell = static_cast<KtBinTreeCell*>(c);
    if (!equal(cell)) break;
    if (match(cell)) return cell;
  }
  for (KtDListCell* c = startCell->pPrevDListCell(); c != nullptr; c = c->pPrevDListCell()) {
    KtBinTreeCell* cell = static_cast<KtBinTreeCell*>(c);
    if (!equal(cell)) break;
    if (match(cell)) return cell;
  }
  return nullptr;
}

}  // namespace

KtBinTreeCell* KtSortedBinTree::searchObjectOfEqualValue(KtBinTreeCell* startCell,
                                                         const KtObject* object) const {
  return ktScanEqualRun(
      startCell,
      [&](const KtBinTreeCell* c) { return virtualObjectCompare(c->pObject(), object) == 0; },
      [&](const KtBinTreeCell* c) { return c->pObject() == object; });
}

KtBinTreeCell* KtSortedBinTree::searchObject(const KtObject* object) const {
  const KtBinTreeCell* nil = pNil();
  for (KtBinTreeCell* node = pRoot(); node != nullptr && node != nil;) {
    if (node->pObject() == object) return node;
    int order = virtualObjectCompare(node->pObject(), object);
    if (order == 0) return searchObjectOfEqualValue(node, object);
    node = order < 0 ? node->pRightChild() : node->pLeftChild();
  }
  return nullptr;
}

// The run of equal cells is scanned for the cell itself, so that a tree holding the same object in
// two cells still finds the right one.
KtBinTreeCell* KtSortedBinTree::searchCell(const KtBinTreeCell* cell) const {
  if (cell == nullptr) return nullptr;
  const KtBinTreeCell* nil = pNil();
  for (KtBinTreeCell* node = pRoot(); node != nullptr && node != nil;) {
    if (node == cell) return node;
    int order = virtualCellCompare(node, cell);
    if (order == 0)
      return ktScanEqualRun(
          node, [&](const KtBinTreeCell* c) { return virtualCellCompare(c, cell) == 0; },
          [&](const KtBinTreeCell* c) { return c == cell; });
    node = order < 0 ? node->pRightChild() : node->pLeftChild();
  }
  return nullptr;
}

int KtSortedBinTree::transferList(KtBinTree* source) {
  if (source == nullptr || source == this) return 0;
  for (KtDListCell* cell = source->takeAllCells(); cell != nullptr;) {
    KtDListCell* next = cell->pNextDListCell();
    insertCell(treeCell(cell));
    cell = next;
  }
  return 1;
}

int KtSortedBinTree::transferListPart(KtBinTree* source, KtBinTreeCell* fromCell,
                                      KtBinTreeCell* toCell) {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr ||
      ktListRunLength<KtDListCell>(fromCell, toCell) == 0)
    return 0;
  for (KtBinTreeCell* cell = fromCell;;) {
    const bool runEnds = cell == toCell;
    KtBinTreeCell* next = treeCell(cell->pNextDListCell());
    insertCell(source->removeCell(cell));
    if (runEnds) return 1;
    cell = next;
  }
}

int KtSortedBinTree::copyTransferListPart(const KtDList* source, const KtDListCell* fromCell,
                                          const KtDListCell* toCell) {
  KtDList copies;
  if (source == this || pNil() == nullptr || !ktCopyRunAside(copies, source, fromCell, toCell))
    return 0;
  while (copies.length() > 0) insertCell(treeCell(copies.removeCell(copies.pFirstDListCell())));
  return 1;
}

int KtSortedBinTree::copyTransferList(const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length() == 0) return 1;
  return copyTransferListPart(source, source->pFirstDListCell(), source->pLastDListCell());
}
