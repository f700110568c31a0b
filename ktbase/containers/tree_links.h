// Relinking shared by the trees and the heap, whose cells are nodes linked by parent and child
// pointers (pParent, pLeftChild, pRightChild with their setters). Private to the library's
// sources.
#ifndef KTBASE_CONTAINERS_TREE_LINKS_H
#define KTBASE_CONTAINERS_TREE_LINKS_H

#include <cstdint>
#include <initializer_list>

// `condition ? a : b` for pointers, computed with masks so that the compiler does not turn it into
// a branch: the sifts and descents choose on comparisons that no predictor can guess.
template <class Cell>
inline Cell* ktSelect(bool condition, Cell* a, Cell* b) {
  const std::uintptr_t mask = 0 - static_cast<std::uintptr_t>(condition);
  return reinterpret_cast<Cell*>((reinterpret_cast<std::uintptr_t>(a) & mask) |
                                 (reinterpret_cast<std::uintptr_t>(b) & ~mask));
}

// Makes `parent` (null: the root) point at `replacement` where it pointed at `cell`.
template <class Cell>
void ktReplaceChild(Cell* parent, const Cell* cell, Cell* replacement, Cell** root) {
  if (parent == nullptr)
    *root = replacement;
  else if (parent->pLeftChild() == cell)
    parent->pLeftChild(replacement);
  else
    parent->pRightChild(replacement);
}

// Exchanges the tree places of two distinct cells: each takes the other's parent and children,
// also when one is the other's parent or both are children of one parent. `absent` is what a
// missing child is (null, or a tree's nil cell, whose parent is left alone); *root is updated when
// either cell was the root.
template <class Cell>
void ktExchangeTreePlaces(Cell* a, Cell* b, const Cell* absent, Cell** root) {
  Cell* aParent = a->pParent();
  Cell* aLeft = a->pLeftChild();
  Cell* aRight = a->pRightChild();
  Cell* bParent = b->pParent();
  Cell* bLeft = b->pLeftChild();
  Cell* bRight = b->pRightChild();

  if (aParent != nullptr && aParent == bParent) {
    Cell* left = aParent->pLeftChild();
    aParent->pLeftChild(aParent->pRightChild());
    aParent->pRightChild(left);
  } else {
    if (bParent != a) ktReplaceChild(bParent, b, a, root);
    if (aParent != b) ktReplaceChild(aParent, a, b, root);
  }
  a->pParent(bParent == a ? b : bParent);
  a->pLeftChild(bLeft == a ? b : bLeft);
  a->pRightChild(bRight == a ? b : bRight);
  b->pParent(aParent == b ? a : aParent);
  b->pLeftChild(aLeft == b ? a : aLeft);
  b->pRightChild(aRight == b ? a : aRight);

  for (Cell* cell : {a, b}) {
    if (cell->pLeftChild() != absent) cell->pLeftChild()->pParent(cell);
    if (cell->pRightChild() != absent) cell->pRightChild()->pParent(cell);
  }
}

#endif  // KTBASE_CONTAINERS_TREE_LINKS_H
