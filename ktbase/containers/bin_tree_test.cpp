#include "ktbase/containers/bin_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <list>
#include <memory>
#include <random>
#include <set>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

using Ids = std::vector<int>;

int keyOf(const KtObject* object) { return Tracked::castDown(object)->id(); }

// Orders Tracked objects by id.
class ByIdTree : public KtSortedBinTree {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    return keyOf(a) < keyOf(b) ? -1 : keyOf(a) > keyOf(b) ? 1 : 0;
  }
};

KtBinTreeCell* cellOf(KtDListCell* cell) { return KtBinTreeCell::castDown(cell); }

// The number of cells on the longest path from the root down, walking up from every cell.
int heightOf(const KtBinTree& tree) {
  int height = 0;
  for (KtDListCell* c = tree.pFirstCell(); c != nullptr; c = c->pNextCell()) {
    int depth = 0;
    for (KtBinTreeCell* up = cellOf(c); up != nullptr; up = up->pParent()) ++depth;
    height = std::max(height, depth);
  }
  return height;
}

class BinTreeTest : public ListTest {
 protected:
  // A tree of `count` Tracked objects 1..count of its own, appended in order.
  void build(KtBinTree& tree, int count) {
    for (int id = 1; id <= count; ++id) {
      own_.push_back(std::make_unique<Tracked>(&census_, id));
      tree.appendObject(own_.back().get());
    }
  }
  std::vector<std::unique_ptr<Tracked>> own_;
};

TEST_F(BinTreeTest, AppendingBalancesOrDegenerates) {
  KtBinTree balanced;
  build(balanced, 1000);
  Ids expected(1000);
  for (int i = 0; i < 1000; ++i) expected[i] = i + 1;
  EXPECT_EQ(idsOf(balanced), expected);
  EXPECT_TRUE(balanced.checkInvariants());
  EXPECT_LE(heightOf(balanced), 2 * std::log2(1001.0));

  KtBinTree plain(0);
  EXPECT_EQ(plain.binTreeType(), 0);
  for (auto& object : own_) plain.appendObject(object.get());
  EXPECT_EQ(idsOf(plain), expected);
  EXPECT_TRUE(plain.checkInvariants());
  EXPECT_EQ(heightOf(plain), 1000);  // a chain of right children
  EXPECT_EQ(plain.compare(cellOf(plain.pFirstCell()), cellOf(plain.pLastCell())), -1);
}

TEST_F(BinTreeTest, PositionalInsertion) {
  KtBinTree tree;
  EXPECT_EQ(tree.pRoot(), nullptr);
  EXPECT_EQ(tree.insertCell(nullptr, nullptr), nullptr);
  KtBinTreeCell* three = tree.appendObject(o(3));
  EXPECT_EQ(tree.pRoot(), three);
  tree.insertAfter(nullptr, new KtBinTreeCell(o(5)));   // null: after the last
  tree.insertBefore(nullptr, new KtBinTreeCell(o(1)));  // null: at the front
  tree.addBefore(three, o(2));
  tree.addAfter(three, o(4));
  tree.addAfter(nullptr, o(7));
  tree.addBefore(nullptr, o(8));
  tree.addObject(cellOf(tree.pLastCell()), o(6));
  tree.prependObject(nullptr);
  EXPECT_EQ(idsOf(tree), (Ids{0, 8, 1, 2, 3, 4, 5, 7, 6}));
  EXPECT_TRUE(tree.checkInvariants());
  EXPECT_EQ(tree.pNil()->pObject(), nullptr);
  EXPECT_EQ(tree.searchCell(tree.pNil()), nullptr);
  EXPECT_EQ(tree.sizeOf(),
            static_cast<std::int32_t>(sizeof(KtBinTree) + 10 * sizeof(KtBinTreeCell)));
  EXPECT_EQ(KtBinTree().sizeOf(),
            static_cast<std::int32_t>(sizeof(KtBinTree) + sizeof(KtBinTreeCell)));
}

TEST_F(BinTreeTest, RemovalHandsCellsBackAndKeepsTheTreeSound) {
  KtBinTree tree;
  build(tree, 31);
  EXPECT_EQ(tree.removeCell(nullptr), nullptr);
  tree.discardCell(nullptr);

  // The root of a tree of 31 appended cells has two children.
  KtBinTreeCell* root = tree.pRoot();
  ASSERT_NE(root->pLeftChild(), tree.pNil());
  ASSERT_NE(root->pRightChild(), tree.pNil());
  const int rootId = keyOf(root->pObject());
  EXPECT_EQ(tree.removeCell(root), root);
  EXPECT_EQ(root->pParent(), nullptr);
  EXPECT_EQ(root->pLeftChild(), nullptr);
  EXPECT_TRUE(tree.checkInvariants());
  Ids expected;
  for (int id = 1; id <= 31; ++id)
    if (id != rootId) expected.push_back(id);
  EXPECT_EQ(idsOf(tree), expected);

  // The removed cell is the caller's: it can go into another tree.
  KtBinTree other;
  other.appendCell(root);
  EXPECT_TRUE(other.checkInvariants());

  tree.discardCell(cellOf(tree.pFirstCell()));
  tree.discardCell(cellOf(tree.pLastCell()));
  KtObject* victim = tree.pFirstCell()->pNextCell()->pObject();
  delete tree.searchAndRemoveObject(victim);
  EXPECT_EQ(tree.searchAndRemoveObject(victim), nullptr);
  EXPECT_EQ(tree.searchAndRemoveCell(root), nullptr);
  EXPECT_EQ(tree.length(), 27);
  EXPECT_TRUE(tree.checkInvariants());
  while (tree.length() > 0) tree.discardCell(tree.pRoot());
  EXPECT_EQ(tree.pRoot(), nullptr);
  EXPECT_TRUE(tree.checkInvariants());
  EXPECT_EQ(census_.destroyed, 0);
}

TEST_F(BinTreeTest, CompareAgreesWithTheSequenceForEveryPair) {
  for (int type : {1, 0}) {
    KtBinTree tree(type);
    build(tree, 40);
    std::vector<KtBinTreeCell*> cells;
    for (KtDListCell* c = tree.pFirstCell(); c != nullptr; c = c->pNextCell())
      cells.push_back(cellOf(c));
    for (std::size_t i = 0; i < cells.size(); ++i)
      for (std::size_t j = 0; j < cells.size(); ++j)
        ASSERT_EQ(tree.compare(cells[i], cells[j]), i < j   ? -1
                                                    : i > j ? 1
                                                            : 0)
            << "type " << type << ", positions " << i << " and " << j;
    own_.clear();
  }
}

TEST_F(BinTreeTest, SwapPositionExchangesPlacesAndColours) {
  for (int a = 1; a <= 15; ++a) {
    for (int b = 1; b <= 15; ++b) {
      KtBinTree tree;
      fill(tree, {1, 2, 3, 4, 5, 6, 7, 8});
      for (int id = 1; id <= 7; ++id) tree.appendObject(o(id));
      std::vector<KtObject*> expected = objectsOf(tree);
      std::swap(expected[a - 1], expected[b - 1]);
      KtBinTreeCell* cellA = cellOf(tree.pFirstCell());
      KtBinTreeCell* cellB = cellA;
      for (int i = 1; i < a; ++i) cellA = cellOf(cellA->pNextCell());
      for (int i = 1; i < b; ++i) cellB = cellOf(cellB->pNextCell());
      tree.swapPosition(cellA, cellB);
      ASSERT_EQ(objectsOf(tree), expected) << "swap " << a << " and " << b;
      ASSERT_TRUE(tree.checkInvariants()) << "swap " << a << " and " << b;
      for (int i = 0; i < 15; ++i) tree.discardCell(tree.pRoot());
      ASSERT_TRUE(tree.checkInvariants());
    }
  }
}

TEST_F(BinTreeTest, ReverseAndReuse) {
  for (int type : {1, 0}) {
    KtBinTree tree(type);
    build(tree, 20);
    EXPECT_EQ(tree.reverse(), 1);
    Ids expected;
    for (int id = 20; id >= 1; --id) expected.push_back(id);
    EXPECT_EQ(idsOf(tree), expected);
    EXPECT_EQ(tree.pRoot()->pParent(), nullptr);
    EXPECT_TRUE(tree.checkInvariants());
    tree.discardCell(tree.pRoot());
    tree.appendObject(o(1));
    EXPECT_TRUE(tree.checkInvariants());
    EXPECT_EQ(tree.length(), 20);

    tree.deleteAllCells();
    EXPECT_EQ(tree.pRoot(), nullptr);
    for (int id = 1; id <= 8; ++id) tree.prependObject(o(id));
    EXPECT_EQ(idsOf(tree), (Ids{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_TRUE(tree.checkInvariants());
    own_.clear();
  }
  KtBinTree empty;
  EXPECT_EQ(empty.reverse(), 1);
  EXPECT_TRUE(empty.checkInvariants());
}

TEST_F(BinTreeTest, TransfersMoveCellsAndRefusalsChangeNothing) {
  KtBinTree a, b;
  fill(a, {1, 2, 3});
  fill(b, {4, 5, 6, 7});
  KtBinTreeCell* five = cellOf(b.searchObject(o(5)));
  KtBinTreeCell* six = cellOf(b.searchObject(o(6)));

  EXPECT_EQ(a.transferList(nullptr, nullptr), 0);
  EXPECT_EQ(a.transferList(nullptr, &a), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, six, five), 0);  // five cannot be reached from six
  EXPECT_EQ(a.transferListPart(nullptr, &b, nullptr, five), 0);
  EXPECT_EQ(a.copyTransferListPart(nullptr, &b, six, five), 0);
  EXPECT_EQ(a.copyTransferList(nullptr, &a), 0);
  EXPECT_EQ(idsOf(a), (Ids{1, 2, 3}));
  EXPECT_EQ(idsOf(b), (Ids{4, 5, 6, 7}));

  KtBinTreeCell* one = cellOf(a.pFirstCell());
  EXPECT_EQ(a.transferListPart(one, &b, five, six), 1);
  EXPECT_EQ(idsOf(a), (Ids{1, 5, 6, 2, 3}));
  EXPECT_EQ(idsOf(b), (Ids{4, 7}));
  EXPECT_EQ(a.searchCell(five), five);  // the same cells moved
  EXPECT_EQ(a.prependList(&b), 1);
  EXPECT_EQ(idsOf(a), (Ids{4, 7, 1, 5, 6, 2, 3}));
  EXPECT_EQ(b.length(), 0);
  EXPECT_TRUE(a.checkInvariants());
  EXPECT_TRUE(b.checkInvariants());
  EXPECT_EQ(b.appendList(&a), 1);
  EXPECT_EQ(idsOf(b), (Ids{4, 7, 1, 5, 6, 2, 3}));

  KtDList plain;
  fill(plain, {8, 1});
  EXPECT_EQ(b.copyTransferList(cellOf(b.pFirstCell()), &plain), 1);
  EXPECT_EQ(b.copyAppendList(&plain), 1);
  EXPECT_EQ(b.copyPrependList(&plain), 1);
  EXPECT_EQ(idsOf(b), (Ids{8, 1, 4, 8, 1, 7, 1, 5, 6, 2, 3, 8, 1}));
  EXPECT_EQ(idsOf(plain), (Ids{8, 1}));
  EXPECT_TRUE(b.checkInvariants());
  EXPECT_EQ(census_.made, 8);
}

TEST_F(BinTreeTest, CopiesAndOwnership) {
  KtBinTree plain(0);
  fill(plain, {1, 2, 3});
  KtBinTree deep(plain);
  EXPECT_EQ(deep.binTreeType(), 0);
  EXPECT_EQ(idsOf(deep), (Ids{1, 2, 3}));
  EXPECT_NE(deep.pFirstCell()->pObject(), o(1));
  EXPECT_EQ(census_.cloned, 3);
  EXPECT_TRUE(deep.checkInvariants());

  KtBinTree attributes(plain, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.length(), 0);
  EXPECT_EQ(attributes.binTreeType(), 0);

  // Assignment deletes the clones the tree held and takes new ones.
  KtBinTree balanced;
  balanced = deep;
  EXPECT_EQ(census_.cloned, 6);
  deep = balanced;
  EXPECT_EQ(census_.cloned, 9);
  EXPECT_EQ(census_.destroyed, 3);
  EXPECT_TRUE(deep.checkInvariants());

  KtBinTree shared;
  shared.copyAllCells(&plain);
  EXPECT_EQ(objectsOf(shared), objectsOf(plain));
  shared.copyAllCells(&shared);
  EXPECT_EQ(shared.length(), 3);
  shared.copyAllCells(nullptr);
  EXPECT_EQ(shared.length(), 0);
  EXPECT_EQ(census_.destroyed, 3);

  ByIdTree sorted;
  sorted.addObject(o(2));
  sorted.addObject(o(1));
  KtBinTree* clone = sorted.cloneObject();
  EXPECT_EQ(typeid(*clone), typeid(KtBinTree));
  EXPECT_EQ(idsOf(*clone), (Ids{1, 2}));
  EXPECT_EQ(census_.cloned, 11);
  clone->deleteAllCellsAndObjects();
  delete clone;
  deep.deleteAllCellsAndObjects();
  balanced.deleteAllCellsAndObjects();
  EXPECT_EQ(census_.alive(), 8);
}

TEST_F(BinTreeTest, SortedTreeOrdersEqualElementsNewestFirst) {
  Census census;
  Tracked firstFive(&census, 5), three(&census, 3), secondFive(&census, 5);
  ByIdTree tree;
  EXPECT_EQ(tree.binTreeType(), 1);
  KtBinTreeCell* first = tree.addObject(&firstFive);
  tree.addObject(&three);
  KtBinTreeCell* second = tree.addObject(&secondFive);
  EXPECT_EQ(objectsOf(tree), (std::vector<KtObject*>{&three, &secondFive, &firstFive}));
  EXPECT_EQ(tree.searchObject(&firstFive), first);
  EXPECT_EQ(tree.searchObject(&secondFive), second);
  EXPECT_EQ(tree.insertCell(nullptr), nullptr);

  // The same object in two cells: searchCell finds each cell, searchObject one of them.
  KtBinTreeCell* again = tree.addObject(&firstFive);
  EXPECT_EQ(tree.searchCell(again), again);
  EXPECT_EQ(tree.searchCell(first), first);
  EXPECT_NE(tree.searchObject(&firstFive), nullptr);
  KtBinTreeCell foreign(&firstFive);
  EXPECT_EQ(tree.searchCell(&foreign), nullptr);
  EXPECT_EQ(tree.searchCell(nullptr), nullptr);
  Tracked absent(&census, 5), high(&census, 9);
  EXPECT_EQ(tree.searchObject(&absent), nullptr);
  EXPECT_EQ(tree.searchObject(&high), nullptr);
  EXPECT_EQ(tree.searchAndRemoveCell(again), again);
  delete again;
  KtBinTreeCell* removed = tree.searchAndRemoveObject(&three);
  EXPECT_EQ(removed->pObject(), &three);
  delete removed;
  EXPECT_TRUE(tree.checkInvariants());
  tree.discardCell(cellOf(tree.pFirstCell()));
  tree.discardCell(cellOf(tree.pFirstCell()));

  // Transfers place every cell by its key.
  KtBinTree source(0);
  KtDList list;
  for (int id : {4, 1, 3}) source.appendObject(o(id));
  for (int id : {2, 8, 6}) list.appendObject(o(id));
  tree.addObject(o(5));
  EXPECT_EQ(tree.transferListPart(&source, cellOf(source.pLastCell()), cellOf(source.pFirstCell())),
            0);
  EXPECT_EQ(tree.transferList(&tree), 0);
  EXPECT_EQ(tree.copyTransferList(nullptr), 0);
  EXPECT_EQ(tree.transferListPart(&source, cellOf(source.pFirstCell()->pNextCell()),
                                  cellOf(source.pLastCell())),
            1);
  EXPECT_EQ(idsOf(source), (Ids{4}));
  EXPECT_EQ(tree.copyTransferListPart(&list, list.pFirstCell()->pNextCell(), list.pLastCell()), 1);
  EXPECT_EQ(tree.transferList(&source), 1);
  EXPECT_EQ(tree.copyTransferList(&list), 1);
  EXPECT_EQ(idsOf(tree), (Ids{1, 2, 3, 4, 5, 6, 6, 8, 8}));
  EXPECT_EQ(idsOf(list), (Ids{2, 8, 6}));
  EXPECT_EQ(source.length(), 0);
  EXPECT_TRUE(tree.checkInvariants());
  EXPECT_TRUE(source.checkInvariants());
}

// Seeded runs of insertions, removals and key changes (a removal, a new key, a reinsertion) on a
// sorted tree, mirrored on a std::multiset ordered by key and, among equal keys, newest first.
TEST(BinTreeDifferential, SortedTreeAgainstMultiset) {
  struct Entry {
    std::unique_ptr<Tracked> object;
    KtBinTreeCell* cell;
    long stamp;
  };
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    Census census;
    ByIdTree tree;
    std::vector<Entry> entries;
    std::unordered_map<const KtDListCell*, long> stampOf;
    using Key = std::pair<int, long>;  // (key, -stamp): newest first among equals
    std::multiset<Key> model;
    long stamp = 0;
    for (int step = 0; step < 4000; ++step) {
      int operation = entries.size() < 30 ? 0 : entries.size() > 400 ? 1 : pick(0, 4) % 4;
      if (operation == 0) {
        auto object = std::make_unique<Tracked>(&census, pick(0, 60));
        model.insert({object->id(), -++stamp});
        KtBinTreeCell* cell = tree.addObject(object.get());
        stampOf[cell] = stamp;
        entries.push_back({std::move(object), cell, stamp});
      } else {
        std::size_t index = static_cast<std::size_t>(pick(0, static_cast<int>(entries.size()) - 1));
        Entry& entry = entries[index];
        model.erase(model.find({entry.object->id(), -entry.stamp}));
        ASSERT_EQ(tree.removeCell(entry.cell), entry.cell);
        if (operation == 1) {
          delete entry.cell;
          std::swap(entry, entries.back());
          entries.pop_back();
        } else {  // a new key
          *entry.object = Tracked(&census, pick(0, 60));
          entry.stamp = stampOf[entry.cell] = ++stamp;
          model.insert({entry.object->id(), -stamp});
          tree.insertCell(entry.cell);
        }
      }
      ASSERT_TRUE(tree.checkInvariants()) << "step " << step;
      std::vector<Key> order;
      for (KtDListCell* c = tree.pFirstCell(); c != nullptr; c = c->pNextCell())
        order.push_back({keyOf(c->pObject()), -stampOf[c]});
      ASSERT_EQ(order, std::vector<Key>(model.begin(), model.end())) << "step " << step;
      if (step % 16 == 0 && entries.size() > 1) {
        KtBinTreeCell* a =
            entries[static_cast<std::size_t>(pick(0, static_cast<int>(entries.size()) - 1))].cell;
        KtBinTreeCell* b = entries.back().cell;
        int expected = a == b ? 0 : tree.positionOfCell(a) < tree.positionOfCell(b) ? -1 : 1;
        ASSERT_EQ(tree.compare(a, b), expected);
      }
    }
  }
}

// Seeded runs of positional insertions, removals, swaps and moves, mirrored on a std::list, for
// both tree types.
TEST(BinTreeDifferential, PositionalTreeAgainstList) {
  for (int type : {1, 0}) {
    SCOPED_TRACE(::testing::Message() << "type " << type);
    std::mt19937 random(77u + static_cast<unsigned>(type));
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    KtBinTree tree(type);
    std::list<KtBinTreeCell*> model;
    auto at = [&](int position) { return *std::next(model.begin(), position); };
    for (int step = 0; step < 3000; ++step) {
      int size = static_cast<int>(model.size());
      int operation = size < 2 ? 0 : size > 200 ? 1 : std::max(0, pick(0, 5) - 2);
      if (operation == 0) {  // insert before or after a position, or at either end
        int gap = pick(0, size);
        auto* cell = new KtBinTreeCell;
        if (pick(0, 1) == 0)
          tree.insertCell(gap == 0 ? nullptr : at(gap - 1), cell);
        else if (gap == size)
          tree.insertAfter(nullptr, cell);
        else
          tree.insertBefore(at(gap), cell);
        model.insert(std::next(model.begin(), gap), cell);
      } else if (operation == 1) {
        auto where = std::next(model.begin(), pick(0, size - 1));
        tree.discardCell(*where);
        model.erase(where);
      } else if (operation == 2) {
        auto a = std::next(model.begin(), pick(0, size - 1));
        auto b = std::next(model.begin(), pick(0, size - 1));
        tree.swapPosition(*a, *b);
        std::iter_swap(a, b);
      } else {  // move a cell elsewhere through removal and insertion
        auto where = std::next(model.begin(), pick(0, size - 1));
        KtBinTreeCell* cell = *where;
        model.erase(where);
        tree.removeCell(cell);
        int gap = pick(0, size - 1);
        tree.insertCell(gap == 0 ? nullptr : at(gap - 1), cell);
        model.insert(std::next(model.begin(), gap), cell);
      }
      ASSERT_TRUE(tree.checkInvariants()) << "step " << step;
      std::vector<KtDListCell*> cells;
      for (KtDListCell* c = tree.pFirstCell(); c != nullptr; c = c->pNextCell()) cells.push_back(c);
      ASSERT_EQ(cells, std::vector<KtDListCell*>(model.begin(), model.end())) << "step " << step;
    }
  }
}

// A million cells: every walk the tree makes is a loop, so neither the balanced tree nor the
// plain chain can exhaust the stack.
TEST(BinTreeLarge, MillionCellsWithoutRecursion) {
  const int n = 1000000;
  for (int type : {1, 0}) {
    KtBinTree tree(type);
    for (int i = 0; i < n; ++i) tree.appendCell(new KtBinTreeCell);
    EXPECT_EQ(tree.length(), n);
    EXPECT_TRUE(tree.checkInvariants());
    EXPECT_EQ(tree.compare(cellOf(tree.pLastCell()), cellOf(tree.pFirstCell())), 1);
    for (int i = 0; i < n / 2; ++i) tree.discardCell(cellOf(tree.pFirstCell()));
    EXPECT_TRUE(tree.checkInvariants());
    KtBinTree copy(tree);
    EXPECT_EQ(copy.length(), n / 2);
  }
}

}  // namespace
