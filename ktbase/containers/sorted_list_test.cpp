#include "ktbase/containers/sorted_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <typeinfo>
#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

using Ids = std::vector<int>;
using Objects = std::vector<KtObject*>;

int keyOf(const KtObject* object) { return Tracked::castDown(object)->id(); }
int order(const KtObject* a, const KtObject* b) {
  return keyOf(a) < keyOf(b) ? -1 : keyOf(a) > keyOf(b) ? 1 : 0;
}

class ByIdDList : public KtSortedDList {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    return order(a, b);
  }
};

class ByIdSList : public KtSortedSList {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    return order(a, b);
  }
};

// Both sorted lists run through the same cases.
template <class Sorted>
class SortedListTest : public ListTest {
 protected:
  using Base = std::conditional_t<std::is_base_of_v<KtDList, Sorted>, KtDList, KtSList>;
  using Cell = std::remove_pointer_t<decltype(std::declval<Base>().pFirstCell())>;
  static Cell* nth(const Base& list, int position) { return list.pCellInPosition(position); }
};

using SortedLists = ::testing::Types<ByIdDList, ByIdSList>;
TYPED_TEST_SUITE(SortedListTest, SortedLists);

TYPED_TEST(SortedListTest, InsertionKeepsArrivalOrderAmongEquals) {
  using Cell = typename TestFixture::Cell;
  Census census;
  Tracked firstTwo(&census, 2), one(&census, 1), secondTwo(&census, 2), three(&census, 3);
  TypeParam list;
  EXPECT_EQ(list.searchObject(&one), nullptr);
  list.addObject(&firstTwo);
  list.addObject(&one);
  list.insertCell(new Cell(&secondTwo));
  list.addObject(&three);
  EXPECT_EQ(objectsOf(list), (Objects{&one, &firstTwo, &secondTwo, &three}));
  EXPECT_EQ(list.insertCell(nullptr), nullptr);
  EXPECT_TRUE(listIsSound(list));

  // Searches stop at the first greater cell.
  Tracked four(&census, 4), otherTwo(&census, 2);
  EXPECT_EQ(list.searchObject(&four), nullptr);
  EXPECT_EQ(list.searchObject(&otherTwo), nullptr);
  EXPECT_EQ(list.searchObject(&secondTwo), this->nth(list, 3));
  Cell* last = list.pLastCell();
  EXPECT_EQ(list.searchCell(last), last);
  Cell foreign(&three);
  EXPECT_EQ(list.searchCell(&foreign), nullptr);
  EXPECT_EQ(list.searchCell(nullptr), nullptr);

  // A present object is found, not added; a new greatest one is appended.
  Cell* present = this->nth(list, 2);
  Cell candidate(&firstTwo);
  EXPECT_EQ(list.insertCellIfNotInList(&candidate), present);
  EXPECT_EQ(list.insertCellIfNotInList(nullptr), nullptr);
  EXPECT_EQ(list.addObjectIfNotInList(&three), list.pLastCell());
  EXPECT_EQ(list.length(), 4);
  Cell* appended = list.addObjectIfNotInList(&four);
  EXPECT_EQ(appended, list.pLastCell());
  Cell* between = list.insertCellIfNotInList(new Cell(&otherTwo));
  EXPECT_EQ(this->nth(list, 4), between);

  EXPECT_EQ(list.searchAndRemoveObject(&firstTwo), present);
  delete present;
  EXPECT_EQ(list.searchAndRemoveObject(&firstTwo), nullptr);
  delete list.searchAndRemoveCell(appended);
  EXPECT_EQ(objectsOf(list), (Objects{&one, &secondTwo, &otherTwo, &three}));
  EXPECT_TRUE(listIsSound(list));
  EXPECT_EQ(census.destroyed, 0);
}

TYPED_TEST(SortedListTest, TransfersFromUnsortedSources) {
  using Base = typename TestFixture::Base;
  TypeParam list;
  list.addObject(this->o(4));
  Base source;
  this->fill(source, {7, 2, 5, 1, 4, 3});
  auto* second = this->nth(source, 2);
  auto* fifth = this->nth(source, 5);

  EXPECT_EQ(list.transferListPart(&source, fifth, second), 0);  // second is not after fifth
  EXPECT_EQ(list.transferListPart(nullptr, second, fifth), 0);
  EXPECT_EQ(list.transferListPart(&source, second, nullptr), 0);
  EXPECT_EQ(list.transferList(&list), 0);
  EXPECT_EQ(list.copyTransferListPart(&source, fifth, second), 0);
  EXPECT_EQ(list.copyTransferList(&list), 0);
  EXPECT_EQ(idsOf(source), (Ids{7, 2, 5, 1, 4, 3}));
  EXPECT_EQ(idsOf(list), (Ids{4}));

  EXPECT_EQ(list.transferListPartIfNotInList(&source, second, fifth), 1);
  EXPECT_EQ(idsOf(list), (Ids{1, 2, 4, 5}));
  EXPECT_EQ(idsOf(source), (Ids{7, 4, 3}));
  EXPECT_EQ(list.copyTransferListIfNotInList(&source), 1);
  EXPECT_EQ(idsOf(list), (Ids{1, 2, 3, 4, 5, 7}));
  EXPECT_EQ(list.copyTransferList(&source), 1);
  EXPECT_EQ(idsOf(list), (Ids{1, 2, 3, 3, 4, 4, 5, 7, 7}));
  EXPECT_EQ(list.transferListIfNotInList(&source), 1);
  EXPECT_EQ(source.length(), 3);
  EXPECT_EQ(list.transferList(&source), 1);
  EXPECT_EQ(source.length(), 0);
  EXPECT_EQ(idsOf(list), (Ids{1, 2, 3, 3, 3, 4, 4, 4, 5, 7, 7, 7}));
  EXPECT_EQ(list.transferList(&source), 1);  // an empty source
  EXPECT_TRUE(listIsSound(list));
  EXPECT_TRUE(listIsSound(source));

  // Duplicates inside a source collapse as the list grows.
  TypeParam unique;
  Base twice;
  this->fill(twice, {6, 6, 8});
  EXPECT_EQ(
      unique.copyTransferListPartIfNotInList(&twice, this->nth(twice, 1), this->nth(twice, 3)), 1);
  EXPECT_EQ(idsOf(unique), (Ids{6, 8}));
  EXPECT_EQ(this->census_.made, 8);
}

class SortedListExtrasTest : public ListTest {};

TEST_F(SortedListExtrasTest, SortedSListPreviousCells) {
  ByIdSList list;
  for (int id : {3, 1, 2}) list.addObject(o(id));
  KtSListCell* first = list.pFirstCell();
  EXPECT_EQ(list.searchPreviousCell(first), nullptr);
  EXPECT_EQ(list.searchPreviousCell(list.pLastCell()), first->pNextCell());
  KtSListCell foreign(o(2));
  EXPECT_EQ(list.searchPreviousCell(&foreign), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.searchPreviousCell(nullptr), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.searchPreviousObject(o(1)), nullptr);
  EXPECT_EQ(list.searchPreviousObject(o(3)), first->pNextCell());
  EXPECT_EQ(list.searchPreviousObject(o(4)), KT_SLIST_NO_CELL);

  // A fromCell outside the source is refused.
  KtSList source;
  fill(source, {5, 6});
  EXPECT_EQ(list.transferListPart(&source, &foreign, source.pLastCell()), 0);
  EXPECT_EQ(source.length(), 2);
  EXPECT_EQ(list.length(), 3);
}

TEST_F(SortedListExtrasTest, CopiesCloneIntoTheBaseClass) {
  ByIdDList a;
  for (int id : {2, 1}) a.addObject(o(id));
  ByIdDList b;
  b = a;
  EXPECT_EQ(idsOf(b), (Ids{1, 2}));
  EXPECT_EQ(census_.cloned, 2);
  b = a;  // the clones b held are deleted first
  EXPECT_EQ(census_.destroyed, 2);
  KtDList* clone = b.cloneObject();
  EXPECT_EQ(typeid(*clone), typeid(KtDList));
  clone->deleteAllCellsAndObjects();
  delete clone;
  b.deleteAllCellsAndObjects();

  ByIdSList s;
  s.addObject(o(3));
  ByIdSList shared;
  shared.copyAllCells(&s);
  EXPECT_EQ(objectsOf(shared), objectsOf(s));
  ByIdSList t;
  t.copyAllCellsAndObjects(&s);
  EXPECT_NE(t.pFirstCell()->pObject(), o(3));
  KtSList* sClone = t.cloneObject();
  EXPECT_EQ(typeid(*sClone), typeid(KtSList));
  sClone->deleteAllCellsAndObjects();
  delete sClone;
  t.deleteAllCellsAndObjects();
  EXPECT_EQ(census_.alive(), 8);
}

// Seeded runs: objects with random keys arrive one by one, some leave again; the list must equal
// the arrivals (less the departures) under std::stable_sort.
TYPED_TEST(SortedListTest, AgainstStableSort) {
  for (unsigned seed : {5u, 6u}) {
    std::mt19937 random(seed);
    Census census;
    std::vector<std::unique_ptr<Tracked>> objects;
    std::vector<KtObject*> arrivals;
    TypeParam list;
    for (int step = 0; step < 1500; ++step) {
      if (arrivals.empty() || random() % 4 != 0) {
        objects.push_back(std::make_unique<Tracked>(&census, static_cast<int>(random() % 40)));
        arrivals.push_back(objects.back().get());
        if (random() % 2 == 0)
          list.addObject(objects.back().get());
        else
          list.addObjectIfNotInList(objects.back().get());
      } else {
        auto leaving = arrivals.begin() + static_cast<std::ptrdiff_t>(random() % arrivals.size());
        delete list.searchAndRemoveObject(*leaving);
        arrivals.erase(leaving);
      }
      std::vector<KtObject*> expected = arrivals;
      std::stable_sort(expected.begin(), expected.end(),
                       [](KtObject* a, KtObject* b) { return order(a, b) < 0; });
      ASSERT_EQ(objectsOf(list), expected) << "step " << step;
      ASSERT_TRUE(listIsSound(list));
    }
  }
}

}  // namespace
