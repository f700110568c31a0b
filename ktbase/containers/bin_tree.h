// KtBinTree is a doubly linked list whose cells are also the nodes of a binary tree: the list
// order is always the in-order sequence of the tree. The list gives constant-time neighbours,
// first, last and ordered walks; the tree gives logarithmic positional insertion, removal and
// order comparison of two cells. With binTreeType 1 (the default) the tree is kept balanced as a
// red-black tree; any other type builds a plain, unbalanced tree. KtSortedBinTree places cells
// by a comparison of their objects that a subclass supplies.
//
// Cells are handles, as in every list: a cell stays where it is in memory for as long as it is in
// the tree, whatever is inserted or removed around it; restructuring relinks cells and never moves
// objects between them.
//
// Ownership is that of KtDList: the tree owns its cells, never its objects, except in
// deleteAllCellsAndObjects and the deep copy, which deletes the objects the tree held and fills it
// with clones. A cell handed in belongs to the tree; a cell handed out by removeCell belongs to the
// caller, with null tree links.
//
// Positions. `after` and `before` are cells of this tree or null; null means the front for
// `after` and insertCell/insertBefore, the end for insertAfter. Cells given as positions, and the
// two cells given to compare, must be in this tree; cells handed in must not be in any tree or
// list. These preconditions are not checked.
//
// Every empty subtree is the tree's own nil cell: a black cell without object that is never in
// the list. The list operations of KtDList that do not appear here (merge and the IfNotInList
// family) would bypass the tree and are not available on it.
#ifndef KTBASE_CONTAINERS_BIN_TREE_H
#define KTBASE_CONTAINERS_BIN_TREE_H

#include <cstdint>

#include "ktbase/containers/dlist.h"
#include "ktbase/core/object.h"

class KtBinTree;
class KtSortedBinTree;

class KtBinTreeCell : public KtDListCell {
  KT_OBJECT(KtBinTreeCell, KtDListCell)

 public:
  // Borrows `object`; colour 1 makes the cell red, 2 black, any other value leaves it
  // uncoloured. The tree links start null. A copy shares (attribute copy) or clones (deep copy)
  // the object, copies the colour and the mark, and starts with null links.
  explicit KtBinTreeCell(KtObject* object = nullptr, int colour = 0);
  ~KtBinTreeCell() override;

  // Each accessor reads a link; the setter stores it and returns the new value. Relinking cells
  // of a tree by hand breaks it.
  KtBinTreeCell* pLeftChild() const { return leftChild_; }
  KtBinTreeCell* pLeftChild(KtBinTreeCell* cell) { return leftChild_ = cell; }
  KtBinTreeCell* pRightChild() const { return rightChild_; }
  KtBinTreeCell* pRightChild(KtBinTreeCell* cell) { return rightChild_ = cell; }
  KtBinTreeCell* pParent() const { return parent_; }
  KtBinTreeCell* pParent(KtBinTreeCell* cell) { return parent_ = cell; }

  // The size of a tree cell in bytes.
  std::int32_t sizeOf() const override;

 protected:
  void init() {
    leftChild_ = rightChild_ = parent_ = nullptr;
    flags_ = 0;
  }
  // The mark compare() sets on the cells it climbs through and clears before it returns.
  // visited(mark) sets it for a non-zero mark, clears it for 0, and returns the new state.
  int visited() const { return (flags_ & kVisited) != 0; }
  int visited(int mark) {
    flags_ = static_cast<std::uint8_t>(mark != 0 ? flags_ | kVisited : flags_ & ~kVisited);
    return visited();
  }

 private:
  friend class KtBinTree;
  enum : std::uint8_t { kVisited = 1, kRed = 2, kBlack = 4, kColours = kRed | kBlack };

  int isRed() const { return (flags_ & kRed) != 0; }
  int isBlack() const { return (flags_ & kBlack) != 0; }
  int isUncolored() const { return (flags_ & kColours) == 0; }
  void makeRed() { flags_ = static_cast<std::uint8_t>((flags_ & ~kBlack) | kRed); }
  void makeBlack() { flags_ = static_cast<std::uint8_t>((flags_ & ~kRed) | kBlack); }
  void takeColour(const KtBinTreeCell* cell) {
    flags_ = static_cast<std::uint8_t>((flags_ & ~kColours) | (cell->flags_ & kColours));
  }

  KtBinTreeCell* leftChild_;
  KtBinTreeCell* rightChild_;
  KtBinTreeCell* parent_;
  std::uint8_t flags_;
};

class KtBinTree : public KtDList {
  KT_OBJECT(KtBinTree, KtDList)

 public:
  // An empty tree with a fresh black nil cell. binTreeType 1 balances; any other value does not.
  explicit KtBinTree(int binTreeType = 1);
  // Deletes the cells and the nil cell, not the objects.
  ~KtBinTree() override;

  // The tree object plus one KtBinTreeCell per element and one for the nil cell, in bytes.
  std::int32_t sizeOf() const override;

  int binTreeType() const { return binTreeType_; }
  // Null for an empty tree.
  KtBinTreeCell* pRoot() const { return root_; }
  KtBinTreeCell* pNil() const { return nil_; }

  // Places `cell` directly after `after` in the sequence (at the front for null) and owns it;
  // returns it. Null gives null; so does a tree whose nil cell could not be allocated, which
  // leaves `cell` with the caller.
  KtBinTreeCell* insertCell(KtBinTreeCell* after, KtBinTreeCell* cell);
  KtBinTreeCell* appendCell(KtBinTreeCell* cell) {
    return insertCell(treeCell(pLastDListCell()), cell);
  }
  KtBinTreeCell* prependCell(KtBinTreeCell* cell) { return insertCell(nullptr, cell); }
  // After `after`; null means after the last cell.
  KtBinTreeCell* insertAfter(KtBinTreeCell* after, KtBinTreeCell* cell) {
    return insertCell(after == nullptr ? treeCell(pLastDListCell()) : after, cell);
  }
  // Directly before `before`; null means at the front.
  KtBinTreeCell* insertBefore(KtBinTreeCell* before, KtBinTreeCell* cell) {
    return insertCell(before == nullptr ? nullptr : treeCell(before->pPrevDListCell()), cell);
  }
  // A new uncoloured cell for `object` (borrowed), placed as the cell operation of the same
  // position places it; null when memory runs out.
  KtBinTreeCell* addObject(KtBinTreeCell* after, KtObject* object);
  KtBinTreeCell* addAfter(KtBinTreeCell* after, KtObject* object);
  KtBinTreeCell* addBefore(KtBinTreeCell* before, KtObject* object);
  KtBinTreeCell* appendObject(KtObject* object) {
    return addObject(treeCell(pLastDListCell()), object);
  }
  KtBinTreeCell* prependObject(KtObject* object) { return addObject(nullptr, object); }

  // Takes `cell` out of tree and list and hands it to the caller undeleted. Null gives null.
  KtBinTreeCell* removeCell(KtBinTreeCell* cell);
  // removeCell, then deletes the cell (not its object).
  void discardCell(KtBinTreeCell* cell) { delete removeCell(cell); }
  // A linear list search, then removeCell; null when absent.
  KtBinTreeCell* searchAndRemoveCell(const KtDListCell* cell) {
    return removeCell(treeCell(searchCell(cell)));
  }
  KtBinTreeCell* searchAndRemoveObject(const KtObject* object) {
    return removeCell(treeCell(searchObject(object)));
  }

  // Exchanges the places of two cells of this tree, in the sequence and in the tree: each takes
  // the other's parent, children and colour.
  void swapPosition(KtBinTreeCell* cellA, KtBinTreeCell* cellB);
  // -1 when cellA comes before cellB in the sequence, 1 when after, 0 for the same cell. Climbs
  // from both cells towards the root, marking the cells it passes (see visited()): even reading
  // a tree is therefore not safe from two threads at once.
  int compare(const KtBinTreeCell* cellA, const KtBinTreeCell* cellB) const;
  // The list comparison of KtDList: the same object pointers in the same order.
  using KtDList::compare;
  // Reverses the sequence; always returns 1.
  int reverse();

  // Moves every cell of the tree `source` after `after`, in order. Refuses (returns 0, changes
  // nothing) a null source or this tree.
  int transferList(KtBinTreeCell* after, KtBinTree* source);
  // Moves fromCell..toCell of `source`, one cell at a time, after `after`, in order. Refuses a
  // null source, this tree, a null cell, or a toCell that cannot be reached from fromCell.
  int transferListPart(KtBinTreeCell* after, KtBinTree* source, KtBinTreeCell* fromCell,
                       KtBinTreeCell* toCell);
  int appendList(KtBinTree* source) { return transferList(treeCell(pLastDListCell()), source); }
  int prependList(KtBinTree* source) { return transferList(nullptr, source); }
  // New cells for the objects of the run (of the whole list), inserted after `after` in order;
  // the source is unchanged. Refused as transferListPart, and when memory runs out (then nothing
  // changes).
  int copyTransferListPart(KtBinTreeCell* after, const KtDList* source, const KtDListCell* fromCell,
                           const KtDListCell* toCell);
  int copyTransferList(KtBinTreeCell* after, const KtDList* source);
  int copyAppendList(const KtDList* source) {
    return copyTransferList(treeCell(pLastDListCell()), source);
  }
  int copyPrependList(const KtDList* source) { return copyTransferList(nullptr, source); }

  // Empty this tree (deleteAllCells, respectively deleteAllCellsAndObjects), then fill it with new
  // cells holding the source's objects, respectively clones of them, in the source's order. A null
  // source just empties; copying a tree into itself changes nothing.
  void copyAllCells(const KtDList* source);
  void copyAllCellsAndObjects(const KtDList* source);

  // Delete every cell (and, for the last, first every non-null object). The tree keeps its nil
  // cell and can be filled again.
  void deleteAllCells();
  void deleteAllFromBinTree() { deleteAllCells(); }
  void deleteAllCellsAndObjects();

  // Returns 1 iff the structure is sound: the list is linked and counted right, the in-order
  // sequence of the tree is the list, parent links mirror child links, the root has no parent,
  // and, with balancing on, the root is black, no red cell has a red child and every path from a
  // cell down to nil passes the same number of black cells. Linear time; for tests.
  int checkInvariants() const;

 protected:
  // Runs in the constructors only: it allocates the nil cell.
  void init();

  // Links `cell` as the left (asLeftChild) or right child of `parent`, where the tree has nil,
  // and into the list directly before, respectively after `parent`; then rebalances. For the
  // trees that find the place of a cell themselves.
  KtBinTreeCell* attachCell(KtBinTreeCell* parent, KtBinTreeCell* cell, bool asLeftChild);

  static KtBinTreeCell* treeCell(KtDListCell* cell) { return static_cast<KtBinTreeCell*>(cell); }

 private:
  friend class KtSortedBinTree;

  // Answers 1 for every tree built through the operations above: checkInvariants().
  int isValidRedBlackTree() const { return checkInvariants(); }
  // Stores null when given the nil cell.
  KtBinTreeCell* pRoot(KtBinTreeCell* cell) { return root_ = cell == nil_ ? nullptr : cell; }

  // Unlinks every cell at once and returns the first; the cells keep their list links. The tree
  // is left empty.
  KtDListCell* takeAllCells();
  // Exchanges the tree places and the colours of two distinct cells; the list is left alone.
  void exchangeTreePlaces(KtBinTreeCell* cellA, KtBinTreeCell* cellB);
  void rotateLeft(KtBinTreeCell* x);
  void rotateRight(KtBinTreeCell* x);
  void insertFixUp(KtBinTreeCell* z);
  void removeFixUp(KtBinTreeCell* x, KtBinTreeCell* parent);

  using KtDList::addObjectIfNotInList;
  using KtDList::appendCellIfNotInList;
  using KtDList::appendListIfNotInList;
  using KtDList::appendObjectIfNotInList;
  using KtDList::copyAppendListIfNotInList;
  using KtDList::copyPrependListIfNotInList;
  using KtDList::copyTransferListIfNotInList;
  using KtDList::copyTransferListPartIfNotInList;
  using KtDList::insertCellIfNotInList;
  using KtDList::merge;
  using KtDList::prependCellIfNotInList;
  using KtDList::prependListIfNotInList;
  using KtDList::prependObjectIfNotInList;
  using KtDList::transferListIfNotInList;
  using KtDList::transferListPartIfNotInList;

  KtBinTreeCell* root_;
  KtBinTreeCell* nil_;
  int binTreeType_;
};

// A red-black tree kept in ascending order of a comparison that a subclass supplies by
// overriding virtualObjectCompare. Equal elements sit together, the newest first. The sorted
// forms hide KtBinTree's insertCell, addObject and transfer families; the positional operations
// under other names (insertAfter, appendCell, swapPosition, reverse...) stay available but do not
// keep the order.
// Copies and clones are those of KtBinTree (the source's order is kept; a clone is a KtBinTree).
class KtSortedBinTree : public KtBinTree {
  KT_OBJECT_CAST(KtSortedBinTree)

 public:
  KtSortedBinTree() : KtBinTree(1) {}
  ~KtSortedBinTree() override;
  // The deep copy of KtBinTree.
  const KtSortedBinTree& operator=(const KtSortedBinTree& source) {
    KtBinTree::operator=(source);
    return *this;
  }

  // Places `cell` after every cell that compares below it and before every cell that compares
  // equal or above; owns it and returns it. Null gives null.
  KtBinTreeCell* insertCell(KtBinTreeCell* cell);
  // A new cell for `object`, inserted by insertCell; null when memory runs out.
  KtBinTreeCell* addObject(KtObject* object);

  // The cell holding exactly this object pointer, respectively `cell` itself, or null. Descends
  // by the comparison and scans the run of equal elements it lands in.
  KtBinTreeCell* searchObject(const KtObject* object) const;
  KtBinTreeCell* searchCell(const KtBinTreeCell* cell) const;
  KtBinTreeCell* searchAndRemoveCell(const KtBinTreeCell* cell) {
    return removeCell(searchCell(cell));
  }
  KtBinTreeCell* searchAndRemoveObject(const KtObject* object) {
    return removeCell(searchObject(object));
  }

  // Moves every cell of `source` (fromCell..toCell) to its sorted place here. Refused as the
  // KtBinTree forms.
  int transferList(KtBinTree* source);
  int transferListPart(KtBinTree* source, KtBinTreeCell* fromCell, KtBinTreeCell* toCell);
  // New cells for the objects of the run (of the whole list), each inserted in order; the source
  // is unchanged. Refused as transferListPart, and when memory runs out (then nothing changes).
  int copyTransferListPart(const KtDList* source, const KtDListCell* fromCell,
                           const KtDListCell* toCell);
  int copyTransferList(const KtDList* source);

  // The KtBinTree copies, which keep the source's order.
  void copyAllCells(const KtSortedBinTree* source) { KtBinTree::copyAllCells(source); }
  void copyAllCellsAndObjects(const KtSortedBinTree* source) {
    KtBinTree::copyAllCellsAndObjects(source);
  }

 protected:
  // Slot 10: virtualObjectCompare of the two cells' objects.
  virtual int virtualCellCompare(const KtBinTreeCell* cellA, const KtBinTreeCell* cellB) const;
  // Slot 11: negative when objectA sorts before objectB, positive when after, 0 when equal.
  virtual int virtualObjectCompare(const KtObject* objectA, const KtObject* objectB) const = 0;

 private:
  // Sorted trees are not copy-constructed: this yields an empty tree.
  KtSortedBinTree(const KtSortedBinTree& source);

  // Scans the run of cells that compare equal to `object`, forward from startCell, then backward
  // from its predecessor; the first cell holding exactly `object`, or null.
  KtBinTreeCell* searchObjectOfEqualValue(KtBinTreeCell* startCell, const KtObject* object) const;
};

#endif  // KTBASE_CONTAINERS_BIN_TREE_H
