#include "ktbase/containers/bin_heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <queue>
#include <random>
#include <set>
#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

using Ids = std::vector<int>;
using Keys = std::vector<std::int32_t>;

// The keys in level order, through the list.
Keys keysOf(const KtBinHeap& heap) {
  Keys keys;
  for (KtDListIter it(&heap); it; ++it)
    keys.push_back(KtBinHeapCell::castDown(it.pCell())->value());
  return keys;
}

// The ids of the objects in level order.
Ids levelOrder(const KtBinHeap& heap) { return idsOf(static_cast<const KtDList&>(heap)); }

// The keys of every cell extracted until the heap is empty; the cells are deleted.
Keys drain(KtBinHeap& heap) {
  Keys keys;
  while (KtBinHeapCell* cell = heap.pExtractMinCell()) {
    keys.push_back(cell->value());
    delete cell;
    EXPECT_TRUE(heap.checkInvariants());
  }
  return keys;
}

class BinHeapTest : public ListTest {};

TEST_F(BinHeapTest, ExtractsInKeyOrderAndRefillsWhenEmpty) {
  KtBinHeap heap;
  EXPECT_EQ(heap.pMinCell(), nullptr);
  EXPECT_EQ(heap.pMinObject(), nullptr);
  EXPECT_EQ(heap.pExtractMinCell(), nullptr);
  EXPECT_EQ(heap.removeLastBinHeapCell(), nullptr);
  EXPECT_EQ(heap.insertCell(nullptr), nullptr);
  heap.changeValue(nullptr, 3);
  EXPECT_EQ(heap.removeCell(nullptr), nullptr);

  heap.addObject(o(5), 5);
  heap.addObject(o(3), 3);
  heap.addObject(o(8), 8);
  heap.insertCell(new KtBinHeapCell(o(1), 1));
  EXPECT_EQ(heap.pMinObject(), o(1));
  EXPECT_EQ(keysOf(heap), (Keys{1, 3, 8, 5}));
  EXPECT_EQ(drain(heap), (Keys{1, 3, 5, 8}));
  EXPECT_EQ(heap.pExtractMinCell(), nullptr);

  KtBinHeapCell* again = heap.addObject(o(2), -4);
  EXPECT_EQ(heap.pMinCell(), again);
  EXPECT_TRUE(heap.checkInvariants());
  EXPECT_EQ(census_.destroyed, 0);
}

TEST_F(BinHeapTest, EqualKeysFollowTheSiftRules) {
  // A cell climbs only past a strictly greater parent.
  KtBinHeap heap;
  heap.addObject(o(1), 1);
  heap.addObject(o(2), 3);
  heap.addObject(o(3), 3);
  heap.addObject(o(4), 1);
  EXPECT_EQ(levelOrder(heap), (Ids{1, 4, 3, 2}));

  // Between two equal smaller children the left one takes the parent's place.
  KtBinHeap tie;
  KtBinHeapCell* top = tie.addObject(o(1), 1);
  tie.addObject(o(2), 3);
  tie.addObject(o(3), 3);
  tie.changeValue(top, 7);
  EXPECT_EQ(levelOrder(tie), (Ids{2, 1, 3}));
  EXPECT_TRUE(tie.checkInvariants());

  // Extraction: the last cell goes to the root and sinks below strictly smaller children only.
  KtBinHeap equal;
  for (int id = 1; id <= 5; ++id) equal.addObject(o(id), 0);
  equal.addObject(o(6), -1);
  EXPECT_EQ(levelOrder(equal), (Ids{6, 2, 1, 4, 5, 3}));
  delete equal.pExtractMinCell();
  EXPECT_EQ(levelOrder(equal), (Ids{3, 2, 1, 4, 5}));
  delete equal.pExtractMinCell();
  EXPECT_EQ(levelOrder(equal), (Ids{5, 2, 1, 4}));
}

TEST_F(BinHeapTest, ChangeValueMovesUpDownOrNowhere) {
  KtBinHeap heap;
  std::vector<KtBinHeapCell*> cells;
  for (int id = 1; id <= 7; ++id) cells.push_back(heap.addObject(o(id), id * 10));
  EXPECT_EQ(levelOrder(heap), (Ids{1, 2, 3, 4, 5, 6, 7}));

  heap.changeValue(cells[4], 50);
  EXPECT_EQ(levelOrder(heap), (Ids{1, 2, 3, 4, 5, 6, 7}));
  heap.changeValue(cells[6], 5);  // up from a leaf to the root
  EXPECT_EQ(levelOrder(heap), (Ids{7, 2, 1, 4, 5, 6, 3}));
  heap.changeValue(cells[6], 25);  // down from the root
  EXPECT_EQ(levelOrder(heap), (Ids{1, 2, 7, 4, 5, 6, 3}));
  EXPECT_TRUE(heap.checkInvariants());
  EXPECT_EQ(cells[6]->value(), 25);
  EXPECT_EQ(drain(heap), (Keys{10, 20, 25, 30, 40, 50, 60}));
}

TEST_F(BinHeapTest, RemovingAnyCellLeavesAValidHeap) {
  for (int victim = 1; victim <= 9; ++victim) {
    KtBinHeap heap;
    std::vector<KtBinHeapCell*> cells;
    for (int key : {4, 9, 2, 7, 1, 8, 3, 6, 5}) cells.push_back(heap.addObject(o(1), key));
    KtBinHeapCell* cell = cells[static_cast<std::size_t>(victim - 1)];
    const std::int32_t key = cell->value();
    EXPECT_EQ(heap.removeCell(cell), cell);
    EXPECT_EQ(cell->pParent(), nullptr);
    EXPECT_EQ(cell->pLeftChild(), nullptr);
    EXPECT_EQ(heap.searchCell(cell), nullptr);
    delete cell;
    ASSERT_TRUE(heap.checkInvariants()) << "removing key " << key;
    Keys expected;
    for (std::int32_t k = 1; k <= 9; ++k)
      if (k != key) expected.push_back(k);
    EXPECT_EQ(drain(heap), expected);
  }

  // The last cell in level order comes out without reordering; the root and inner cells through
  // removeCell.
  KtBinHeap heap;
  for (int key = 1; key <= 6; ++key) heap.addObject(o(key), key);
  KtBinHeapCell* last = heap.removeLastBinHeapCell();
  EXPECT_EQ(last->value(), 6);
  delete last;
  heap.discardCell(heap.pMinCell());
  heap.discardCell(KtBinHeapCell::castDown(heap.searchObject(o(3))));
  EXPECT_EQ(keysOf(heap), (Keys{2, 4, 5}));
  EXPECT_TRUE(heap.checkInvariants());
  EXPECT_EQ(census_.destroyed, 0);
}

TEST_F(BinHeapTest, CopiesAndOwnership) {
  KtBinHeap heap;
  for (int id = 1; id <= 6; ++id) heap.addObject(o(id), 7 - id);
  KtBinHeap attributes(heap, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.length(), 0);

  KtBinHeap deep(heap);
  EXPECT_EQ(keysOf(deep), keysOf(heap));
  EXPECT_EQ(census_.cloned, 6);
  EXPECT_NE(deep.pMinObject(), heap.pMinObject());
  EXPECT_EQ(Tracked::castDown(deep.pMinObject())->id(), 6);
  EXPECT_TRUE(deep.checkInvariants());

  KtBinHeap shared;
  shared.copyAllCells(&heap);
  EXPECT_EQ(objectsOf(static_cast<const KtDList&>(shared)),
            objectsOf(static_cast<const KtDList&>(heap)));
  EXPECT_EQ(keysOf(shared), keysOf(heap));
  shared.copyAllCells(&shared);
  EXPECT_EQ(shared.length(), 6);

  // Assignment deletes the clones the heap held.
  deep = shared;
  EXPECT_EQ(census_.destroyed, 6);
  EXPECT_EQ(census_.cloned, 12);
  KtBinHeap* clone = deep.cloneObject();
  EXPECT_EQ(keysOf(*clone), keysOf(heap));
  clone->deleteAllCellsAndObjects();
  EXPECT_EQ(clone->length(), 0);
  clone->addObject(nullptr, 1);
  EXPECT_TRUE(clone->checkInvariants());
  delete clone;
  deep.deleteAllCellsAndObjects();
  EXPECT_EQ(census_.alive(), 8);
  EXPECT_EQ(deep.pMinCell(), nullptr);
  deep.addObject(o(1), 1);
  EXPECT_TRUE(deep.checkInvariants());
}

// A heap that orders by descending key through the comparison slot.
class MaxHeap : public KtBinHeap {
 protected:
  int virtualCompare(KtBinHeapCell* a, KtBinHeapCell* b) override {
    return KtBinHeap::virtualCompare(b, a);
  }
};

TEST(BinHeapDifferential, AgainstPriorityQueue) {
  std::mt19937 random(11);
  KtBinHeap heap;
  MaxHeap maxHeap;
  std::priority_queue<std::int32_t, std::vector<std::int32_t>, std::greater<std::int32_t>> model;
  std::priority_queue<std::int32_t> maxModel;
  for (int step = 0; step < 5000; ++step) {
    if (model.empty() || random() % 5 < 3) {
      auto key = static_cast<std::int32_t>(random() % 200) - 100;
      heap.addObject(nullptr, key);
      maxHeap.addObject(nullptr, key);
      model.push(key);
      maxModel.push(key);
    } else {
      KtBinHeapCell* min = heap.pExtractMinCell();
      KtBinHeapCell* max = maxHeap.pExtractMinCell();
      ASSERT_EQ(min->value(), model.top()) << "step " << step;
      ASSERT_EQ(max->value(), maxModel.top()) << "step " << step;
      model.pop();
      maxModel.pop();
      delete min;
      delete max;
    }
    ASSERT_TRUE(heap.checkInvariants()) << "step " << step;
    ASSERT_TRUE(maxHeap.checkInvariants()) << "step " << step;
  }
}

// Insertions, extractions, removals by handle and key changes, mirrored on a std::multiset of
// keys; the heap is checked in full after every step.
TEST(BinHeapDifferential, HandlesAgainstMultiset) {
  for (unsigned seed : {3u, 4u}) {
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    KtBinHeap heap;
    std::vector<KtBinHeapCell*> cells;
    std::multiset<std::int32_t> model;
    for (int step = 0; step < 6000; ++step) {
      int size = static_cast<int>(cells.size());
      int operation = size == 0 ? 0 : size > 300 ? 1 : std::max(0, pick(0, 5) - 2);
      if (operation == 0) {
        std::int32_t key = pick(-50, 50);
        cells.push_back(heap.addObject(nullptr, key));
        model.insert(key);
      } else if (operation == 1) {
        KtBinHeapCell* min = heap.pExtractMinCell();
        ASSERT_EQ(min->value(), *model.begin()) << "step " << step;
        model.erase(model.begin());
        cells.erase(std::find(cells.begin(), cells.end(), min));
        delete min;
      } else {
        std::size_t index = static_cast<std::size_t>(pick(0, size - 1));
        KtBinHeapCell* cell = cells[index];
        model.erase(model.find(cell->value()));
        if (operation == 2) {
          ASSERT_EQ(heap.removeCell(cell), cell);
          delete cell;
          cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
          std::int32_t key = pick(-60, 60);
          heap.changeValue(cell, key);
          model.insert(key);
        }
      }
      ASSERT_TRUE(heap.checkInvariants()) << "step " << step;
      ASSERT_EQ(heap.length(), static_cast<std::int32_t>(model.size()));
      if (!model.empty()) {
        ASSERT_EQ(heap.pMinCell()->value(), *model.begin());
      }
    }
  }
}

// A million cells in descending key order, so that every insertion climbs to the root, then
// extracted: the heap never recurses.
TEST(BinHeapLarge, MillionCells) {
  const std::int32_t n = 1000000;
  KtBinHeap heap;
  for (std::int32_t key = n; key > 0; --key) heap.addObject(nullptr, key);
  EXPECT_TRUE(heap.checkInvariants());
  for (std::int32_t key = 1; key <= n; ++key) {
    KtBinHeapCell* cell = heap.pExtractMinCell();
    ASSERT_EQ(cell->value(), key);
    delete cell;
  }
  EXPECT_EQ(heap.length(), 0);
}

}  // namespace
