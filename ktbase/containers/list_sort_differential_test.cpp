// Seeded random lists with many repeated values, sorted by every algorithm of both sorts and
// compared with std::stable_sort of the same cells: the same cells in the same order, each with
// its own object, sound links and length, and a result that says whether the order changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "ktbase/containers/list_sort.h"
#include "ktbase/containers/list_test_util.h"
#include "ktbase/core/numbers.h"

namespace {

// Orders cells by the value of their KtInt.
template <class Base, class Cell>
class ByValue : public Base {
 protected:
  int virtualCompare(Cell* cellA, Cell* cellB) override {
    int a = KtInt::castDown(cellA->pObject())->value();
    int b = KtInt::castDown(cellB->pObject())->value();
    return (a > b) - (a < b);
  }
  void virtualDebugOutputElement(Cell*) override {}
};

template <class List>
class SortDifferential {
 public:
  using Cell = std::remove_pointer_t<decltype(std::declval<List>().pFirstCell())>;
  static constexpr bool kDoubly = std::is_same_v<List, KtDList>;
  using Sort = std::conditional_t<kDoubly, ByValue<KtDListSort, KtDListCell>,
                                  ByValue<KtSListSort, KtSListCell>>;

  explicit SortDifferential(unsigned seed) : random_(seed) {}

  void run(int lists) {
    for (int round = 0; round < lists; ++round) {
      SCOPED_TRACE(::testing::Message() << "list " << round);
      sortOne(round % 4);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  static int valueOf(const Cell* cell) { return KtInt::castDown(cell->pObject())->value(); }
  static bool less(const Cell* a, const Cell* b) { return valueOf(a) < valueOf(b); }

  // Mostly random values from a small range; sometimes a shape that drives the quicksort to its
  // depth bound (the organ pipe loses two cells a level) or tests the easy cases.
  std::vector<int> values() {
    int n = pick(0, 200);
    std::vector<int> v(n);
    int shape = pick(0, 9);
    int range = std::vector<int>{1, 2, 3, 10, n / 4 + 1, 1000}[pick(0, 5)];
    for (int i = 0; i < n; ++i) {
      switch (shape) {
        case 0:
          v[i] = i < n / 2 ? i : n - 1 - i;
          break;
        case 1:
          v[i] = i / 3;
          break;
        case 2:
          v[i] = (n - i) / 2;
          break;
        default:
          v[i] = pick(0, range - 1);
      }
    }
    return v;
  }

  void sortOne(int algorithm) {
    std::vector<std::unique_ptr<KtInt>> objects;
    List list;
    std::vector<Cell*> cells;
    for (int value : values()) {
      objects.push_back(std::make_unique<KtInt>(value));
      cells.push_back(list.appendObject(objects.back().get()));
    }
    std::vector<Cell*> expected = cells;
    std::stable_sort(expected.begin(), expected.end(), less);
    Sort sort;

    ASSERT_EQ(sort.isSorted(&list), std::is_sorted(cells.begin(), cells.end(), less) ? 1 : 0);
    if (!cells.empty()) {
      ASSERT_EQ(sort.findSmallestElement(&list),
                *std::min_element(cells.begin(), cells.end(), less));
      ASSERT_EQ(sort.findLargestElement(&list),
                *std::max_element(cells.begin(), cells.end(), less));
      if constexpr (kDoubly) {
        int i = pick(1, static_cast<int>(cells.size()));
        Cell* found = sort.findIthElement(&list, i);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(valueOf(found), valueOf(expected[i - 1]));
        ASSERT_EQ(cellsOf(list), cells);
      }
    }

    int result = algorithm == 0   ? sort.bubbleSort(&list)
                 : algorithm == 1 ? sort.mergeSort(&list)
                                  : sort.quickSort(&list, algorithm - 2);
    ASSERT_TRUE(listIsSound(list));
    ASSERT_EQ(cellsOf(list), expected) << "algorithm " << algorithm;
    for (std::size_t i = 0; i < cells.size(); ++i) ASSERT_EQ(cells[i]->pObject(), objects[i].get());
    ASSERT_EQ(result, expected != cells ? 1 : 0) << "algorithm " << algorithm;
  }

  static std::vector<Cell*> cellsOf(const List& list) {
    std::vector<Cell*> cells;
    for (Cell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell()) cells.push_back(c);
    return cells;
  }

  std::mt19937 random_;
};

TEST(SortDifferential, DoublyLinkedAgainstStableSort) {
  for (unsigned seed : {1u, 2u, 20261206u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    SortDifferential<KtDList>(seed).run(1500);
    if (HasFatalFailure()) return;
  }
}

TEST(SortDifferential, SinglyLinkedAgainstStableSort) {
  for (unsigned seed : {1u, 2u, 20261206u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    SortDifferential<KtSList>(seed).run(1500);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
