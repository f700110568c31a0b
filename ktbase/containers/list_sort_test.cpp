#include "ktbase/containers/list_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "ktbase/containers/list_test_util.h"
#include "ktbase/core/numbers.h"
#include "ktbase/geometry/point.h"

namespace {

using Ids = std::vector<int>;

// Orders Tracked objects by id / 10, so that ids 31, 32, 33 are equal keys whose order shows
// stability. It answers with extreme values, since only the sign may count. It also counts its
// calls and records the deepest stack frame it is called from.
template <class Base, class Cell>
class ByTens : public Base {
 public:
  std::uintptr_t lowestFrame = UINTPTR_MAX;
  std::int64_t compares = 0;

 protected:
  int virtualCompare(Cell* cellA, Cell* cellB) override {
    ++compares;
    auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (frame < lowestFrame) lowestFrame = frame;
    int a = Tracked::castDown(cellA->pObject())->id() / 10;
    int b = Tracked::castDown(cellB->pObject())->id() / 10;
    return a < b ? INT_MIN : a > b ? INT_MAX : 0;
  }
  void virtualDebugOutputElement(Cell*) override {}
};

template <class List>
struct Kind;
template <>
struct Kind<KtDList> {
  using Sort = ByTens<KtDListSort, KtDListCell>;
};
template <>
struct Kind<KtSList> {
  using Sort = ByTens<KtSListSort, KtSListCell>;
};

enum Algorithm : int { kBubble, kMerge, kQuick, kQuickCheckFirst };
const Algorithm kAlgorithms[] = {kBubble, kMerge, kQuick, kQuickCheckFirst};

template <class Sort, class List>
int runSort(Sort& sort, List* list, Algorithm algorithm) {
  switch (algorithm) {
    case kBubble:
      return sort.bubbleSort(list);
    case kMerge:
      return sort.mergeSort(list);
    case kQuick:
      return sort.quickSort(list, 0);
    case kQuickCheckFirst:
      break;
  }
  return sort.quickSort(list, 1);
}

template <class List>
class ListSortTest : public ::testing::Test {
 protected:
  using Sort = typename Kind<List>::Sort;

  // A list of new Tracked objects with these ids; the fixture owns the objects.
  void fill(List& list, const Ids& ids) {
    for (int id : ids) {
      objects_.push_back(std::make_unique<Tracked>(&census_, id));
      list.appendObject(objects_.back().get());
    }
  }
  // The (cell, object) pairs in list order: a sort may reorder them, never take them apart.
  static std::vector<std::pair<const void*, KtObject*>> cellsOf(const List& list) {
    std::vector<std::pair<const void*, KtObject*>> cells;
    for (auto* c = list.pFirstCell(); c != nullptr; c = c->pNextCell())
      cells.emplace_back(c, c->pObject());
    return cells;
  }

  Census census_;
  std::vector<std::unique_ptr<Tracked>> objects_;
};

using ListKinds = ::testing::Types<KtDList, KtSList>;
TYPED_TEST_SUITE(ListSortTest, ListKinds);

TYPED_TEST(ListSortTest, EverySortIsStableAndOnlyRelinks) {
  const Ids input = {31, 12, 32, 21, 11, 33, 22, 13};
  const Ids stable = {12, 11, 13, 21, 22, 31, 32, 33};
  for (Algorithm algorithm : kAlgorithms) {
    SCOPED_TRACE(::testing::Message() << "algorithm " << algorithm);
    TypeParam list;
    this->fill(list, input);
    auto before = this->cellsOf(list);
    typename TestFixture::Sort sort;
    EXPECT_EQ(runSort(sort, &list, algorithm), 1);
    EXPECT_EQ(idsOf(list), stable);
    EXPECT_TRUE(listIsSound(list));
    auto after = this->cellsOf(list);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);  // the same cells, each with its own object
    EXPECT_EQ(sort.isSorted(&list), 1);
  }
  EXPECT_EQ(this->census_.cloned, 0);
  EXPECT_EQ(this->census_.destroyed, 0);
}

TYPED_TEST(ListSortTest, ResultsReportWhetherTheOrderChanged) {
  typename TestFixture::Sort sort;
  for (Algorithm algorithm : kAlgorithms) {
    SCOPED_TRACE(::testing::Message() << "algorithm " << algorithm);
    TypeParam sorted, equal, one, empty, pair;
    this->fill(sorted, {10, 11, 20, 30, 31});
    this->fill(equal, {10, 11, 12, 13});
    this->fill(one, {10});
    this->fill(pair, {20, 10});
    for (TypeParam* list : {&sorted, &equal, &one, &empty}) {
      auto before = this->cellsOf(*list);
      EXPECT_EQ(runSort(sort, list, algorithm), 0);
      EXPECT_EQ(this->cellsOf(*list), before);
      EXPECT_TRUE(listIsSound(*list));
    }
    EXPECT_EQ(runSort(sort, &pair, algorithm), 1);
    EXPECT_EQ(idsOf(pair), (Ids{10, 20}));
    EXPECT_TRUE(listIsSound(pair));
  }

  // Null lists are refused; quickSort answers what the last run left.
  EXPECT_EQ(sort.bubbleSort(nullptr), 0);
  EXPECT_EQ(sort.mergeSort(nullptr), 0);
  TypeParam pair;
  this->fill(pair, {20, 10});
  EXPECT_EQ(sort.quickSort(&pair, 0), 1);
  EXPECT_EQ(sort.quickSort(nullptr, 0), 1);
  EXPECT_EQ(sort.quickSort(nullptr, 1), 1);
  EXPECT_EQ(sort.mergeSort(&pair), 0);
  EXPECT_EQ(sort.quickSort(nullptr, 1), 0);
  EXPECT_EQ(sort.isSorted(nullptr), 1);
  EXPECT_EQ(sort.findSmallestElement(nullptr), nullptr);
  EXPECT_EQ(sort.findLargestElement(nullptr), nullptr);
}

TYPED_TEST(ListSortTest, ExtremesAreTheFirstCellsOfTheirValue) {
  typename TestFixture::Sort sort;
  TypeParam list;
  EXPECT_EQ(sort.findSmallestElement(&list), nullptr);
  EXPECT_EQ(sort.findLargestElement(&list), nullptr);
  this->fill(list, {20, 30, 10, 31, 11, 21});
  EXPECT_EQ(Tracked::castDown(sort.findSmallestElement(&list)->pObject())->id(), 10);
  EXPECT_EQ(Tracked::castDown(sort.findLargestElement(&list)->pObject())->id(), 30);
  EXPECT_EQ(sort.isSorted(&list), 0);
  EXPECT_EQ(idsOf(list), (Ids{20, 30, 10, 31, 11, 21}));
}

// A merge sort recurses log2(n) deep; the quicksort at most 30 levels before it falls back.
// Each adversarial input must sort right with a stack that stays shallow, where an unbounded
// quicksort on the organ pipe (which loses two cells a level) would need 50000 levels. The bound
// also caps the work: 30 partitions of about n comparisons each, then a merge sort of at most
// n log2 n.
TYPED_TEST(ListSortTest, AdversarialInputsKeepTheStackShallow) {
  constexpr int n = 100000;
  struct Input {
    const char* name;
    int (*key)(int i);
  };
  const Input inputs[] = {
      {"sorted", [](int i) { return i; }},
      {"reversed", [](int i) { return n - i; }},
      {"all equal", [](int) { return 7; }},
      {"organ pipe", [](int i) { return i < n / 2 ? i : n - 1 - i; }},
      {"sawtooth", [](int i) { return i % 64; }},
  };
  for (const Input& input : inputs) {
    for (Algorithm algorithm : {kMerge, kQuick, kQuickCheckFirst}) {
      SCOPED_TRACE(::testing::Message() << input.name << ", algorithm " << algorithm);
      TypeParam list;
      std::vector<KtObject*> expected;
      for (int i = 0; i < n; ++i)
        expected.push_back(
            list.appendObject(new Tracked(&this->census_, input.key(i) * 10 + i % 10))->pObject());
      typename TestFixture::Sort sort;
      auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
      runSort(sort, &list, algorithm);
      EXPECT_LT(frame - sort.lowestFrame, 256u * 1024u);
      EXPECT_LT(sort.compares, (31 + 17) * std::int64_t{n});
      std::stable_sort(expected.begin(), expected.end(), [](KtObject* a, KtObject* b) {
        return Tracked::castDown(a)->id() / 10 < Tracked::castDown(b)->id() / 10;
      });
      EXPECT_EQ(objectsOf(list), expected);
      EXPECT_TRUE(listIsSound(list));
      list.deleteAllCellsAndObjects();
    }
  }
  EXPECT_EQ(this->census_.alive(), 0);
}

// Selection: min and max at the ends, every rank right on a list with repeated keys, the list's
// order untouched.
TEST(DListSortTest, FindIthElement) {
  Census census;
  const Ids ids = {50, 20, 40, 21, 10, 41, 30, 22, 51};
  std::vector<std::unique_ptr<Tracked>> objects;
  KtDList list;
  for (int id : ids) {
    objects.push_back(std::make_unique<Tracked>(&census, id));
    list.appendObject(objects.back().get());
  }
  ByTens<KtDListSort, KtDListCell> sort;
  EXPECT_EQ(sort.findIthElement(&list, 1), sort.findSmallestElement(&list));
  EXPECT_EQ(sort.findIthElement(&list, 9)->pObject(), objects[0].get());  // 50, the first max
  EXPECT_EQ(sort.findIthElement(&list, 0), nullptr);
  EXPECT_EQ(sort.findIthElement(&list, 10), nullptr);
  EXPECT_EQ(sort.findIthElement(nullptr, 1), nullptr);
  const int expectedTens[] = {1, 2, 2, 2, 3, 4, 4, 5, 5};
  for (int i = 1; i <= 9; ++i) {
    KtDListCell* cell = sort.findIthElement(&list, i);
    ASSERT_NE(list.searchCell(cell), nullptr);
    EXPECT_EQ(Tracked::castDown(cell->pObject())->id() / 10, expectedTens[i - 1]) << "i " << i;
  }
  EXPECT_EQ(idsOf(list), ids);
  EXPECT_EQ(census.cloned, 0);
}

TEST(PointSListSortTest, OrdersByXThenYOverTheWholeRange) {
  KtPoint a(1, 5), b(2, 0), c(2, 3), low(INT32_MIN, 0), high(INT32_MAX, 0), lowY(2, INT32_MIN);
  KtSList list;
  for (KtPoint* p : {&high, &c, &b, &lowY, &a, &low}) list.appendObject(p);
  list.appendObject(nullptr);
  KtPointSListSort sort;
  EXPECT_EQ(sort.quickSort(&list, 1), 1);
  EXPECT_EQ(objectsOf(list), (std::vector<KtObject*>{nullptr, &low, &a, &lowY, &b, &c, &high}));
  EXPECT_EQ(sort.isSorted(&list), 1);
  EXPECT_TRUE(listIsSound(list));
}

TEST(CompareUnorderedTest, SameObjectsWithTheSameMultiplicities) {
  KtInt a, b, c;
  auto make = [](std::vector<KtObject*> objects) {
    auto list = std::make_unique<KtDList>();
    for (KtObject* o : objects) list->appendObject(o);
    return list;
  };
  auto aba = make({&a, &b, &a});
  auto aab = make({&a, &a, &b});
  auto abb = make({&a, &b, &b});
  auto empty = make({});
  EXPECT_EQ(aba->compareUnordered(aab.get()), 1);
  EXPECT_EQ(aab->compareUnordered(aba.get()), 1);
  EXPECT_EQ(abb->compareUnordered(aab.get()), 0);
  EXPECT_EQ(empty->compareUnordered(make({}).get()), 1);
  EXPECT_EQ(empty->compareUnordered(nullptr), 0);
  EXPECT_EQ(aba->compareUnordered(make({&a, &b}).get()), 0);
  EXPECT_EQ(make({&c, nullptr, &a})->compareUnordered(make({&a, &c, nullptr}).get()), 1);
  EXPECT_EQ(make({&c, nullptr, &a})->compareUnordered(make({&a, &c, &c}).get()), 0);
  EXPECT_EQ(aba->compareUnordered(aba.get()), 1);
  // Both lists keep their cells and order.
  EXPECT_EQ(objectsOf(*aba), (std::vector<KtObject*>{&a, &b, &a}));
  EXPECT_TRUE(listIsSound(*aba));
}

}  // namespace
