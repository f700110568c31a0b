#include "ktbase/containers/dlist.h"

#include <gtest/gtest.h>

#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

using Ids = std::vector<int>;

class DListTest : public ListTest {};

TEST_F(DListTest, BuildWalkAndLookUp) {
  KtDList list;
  EXPECT_EQ(list.pFirstCell(), nullptr);
  EXPECT_EQ(list.pLastCell(), nullptr);
  EXPECT_FALSE(KtDListIter(&list, KT_FORWARD));
  EXPECT_FALSE(KtDListIter(&list, KT_BACKWARD));

  KtDListCell* two = list.appendObject(o(2));
  list.prependObject(o(1));
  list.addObject(two, o(3));
  list.insertCell(nullptr, new KtDListCell(nullptr));
  list.appendCell(new KtDListCell(o(4)));
  EXPECT_EQ(idsOf(list), (Ids{0, 1, 2, 3, 4}));
  EXPECT_TRUE(listIsSound(list));

  Ids backward;
  for (KtDListIter it(&list, KT_BACKWARD); it; --it)
    backward.push_back(it.pObject() ? Tracked::castDown(it.pObject())->id() : 0);
  EXPECT_EQ(backward, (Ids{4, 3, 2, 1, 0}));
  KtDListIter fromTwo(&list, two);
  EXPECT_EQ(fromTwo++, two);
  EXPECT_EQ(fromTwo.pObject(), o(3));
  fromTwo.init(nullptr, two);
  EXPECT_FALSE(fromTwo);
  KtDListIter anyOtherValue(&list, static_cast<KtIterDirectionEnum>(5));
  EXPECT_EQ(anyOtherValue.pCell(), list.pLastCell());

  EXPECT_EQ(list.positionOfCell(two), 3);
  EXPECT_EQ(list.positionOfCell(nullptr), -1);
  EXPECT_EQ(list.positionOfObject(o(4)), 5);
  EXPECT_EQ(list.positionOfObject(o(5)), -1);
  EXPECT_EQ(list.positionOfObject(nullptr), -1);
  EXPECT_EQ(list.pCellInPosition(0), nullptr);
  EXPECT_EQ(list.pCellInPosition(6), nullptr);
  EXPECT_EQ(list.pCellInPosition(3), two);
  EXPECT_EQ(list.pObjectInPosition(4), o(3));
  EXPECT_EQ(list.searchObject(nullptr), list.pFirstCell());
  EXPECT_EQ(list.searchObject(o(2)), two);
  KtDListCell foreign(o(2));
  EXPECT_EQ(list.searchCell(&foreign), nullptr);
  EXPECT_EQ(list.searchCell(nullptr), nullptr);
  EXPECT_EQ(list.searchAndRemoveCell(&foreign), nullptr);
  EXPECT_EQ(list.searchAndRemoveObject(o(7)), nullptr);
  EXPECT_EQ(list.length(), 5);
}

TEST_F(DListTest, RemoveDiscardAndReverse) {
  KtDList list;
  fill(list, {1, 2, 3, 4});
  EXPECT_EQ(list.removeCell(nullptr), nullptr);
  list.discardCell(nullptr);

  KtDListCell* first = list.pFirstCell();
  KtDListCell* second = first->pNextCell();
  EXPECT_EQ(list.removeCell(first), first);
  EXPECT_EQ(first->pNextCell(), second);  // a removed cell keeps its stale links
  delete first;
  list.discardCell(list.pLastCell());
  EXPECT_EQ(idsOf(list), (Ids{2, 3}));
  EXPECT_TRUE(listIsSound(list));
  delete list.searchAndRemoveObject(o(3));
  delete list.searchAndRemoveCell(second);
  EXPECT_EQ(list.length(), 0);
  EXPECT_TRUE(listIsSound(list));

  fill(list, {1, 2, 3, 4, 5});
  EXPECT_EQ(list.reverse(), 1);
  EXPECT_EQ(idsOf(list), (Ids{5, 4, 3, 2, 1}));
  EXPECT_TRUE(listIsSound(list));
  KtDList empty;
  EXPECT_EQ(empty.reverse(), 1);
  EXPECT_TRUE(listIsSound(empty));
  EXPECT_EQ(census_.destroyed, 0);
}

TEST_F(DListTest, SwapPositionInEveryArrangement) {
  struct Case {
    int a, b;
    Ids expected;
  };
  const Case cases[] = {{2, 3, {1, 3, 2, 4, 5}}, {3, 2, {1, 3, 2, 4, 5}}, {1, 5, {5, 2, 3, 4, 1}},
                        {5, 1, {5, 2, 3, 4, 1}}, {2, 4, {1, 4, 3, 2, 5}}, {1, 2, {2, 1, 3, 4, 5}},
                        {4, 5, {1, 2, 3, 5, 4}}, {3, 3, {1, 2, 3, 4, 5}}};
  for (const Case& c : cases) {
    KtDList list;
    fill(list, {1, 2, 3, 4, 5});
    list.swapPosition(list.searchObject(o(c.a)), list.searchObject(o(c.b)));
    EXPECT_EQ(idsOf(list), c.expected) << "swap " << c.a << " and " << c.b;
    EXPECT_TRUE(listIsSound(list));
  }
}

TEST_F(DListTest, CompareAndSizeOf) {
  KtDList a, b;
  EXPECT_EQ(a.compare(&b), 1);
  EXPECT_EQ(a.compare(nullptr), 0);
  fill(a, {1, 2, 3});
  fill(b, {1, 2});
  EXPECT_EQ(a.compare(&b), 0);
  fill(b, {4});
  EXPECT_EQ(a.compare(&b), 0);
  b.pLastCell()->pObject(o(3));
  EXPECT_EQ(a.compare(&b), 1);

  KtDList empty;
  EXPECT_EQ(empty.sizeOf(), static_cast<std::int32_t>(sizeof(KtDList)));
  EXPECT_EQ(a.sizeOf() - empty.sizeOf(), 3 * a.pFirstCell()->sizeOf());
  EXPECT_EQ(a.pFirstCell()->sizeOf(), static_cast<std::int32_t>(sizeof(KtDListCell)));
}

TEST_F(DListTest, DestroyingAndCopyingFollowTheOwnershipRules) {
  {
    KtDList list;
    fill(list, {1, 2, 3});
    list.deleteAllCells();
    EXPECT_EQ(list.length(), 0);
    fill(list, {1, 2});
  }
  EXPECT_EQ(census_.destroyed, 0);  // cells only

  auto* owned = new KtDList;
  owned->appendObject(new Tracked(&census_, 11));
  owned->appendObject(nullptr);
  owned->appendObject(new Tracked(&census_, 12));

  KtDList deep(*owned);  // clones
  EXPECT_EQ(census_.cloned, 2);
  EXPECT_EQ(idsOf(deep), (Ids{11, 0, 12}));
  EXPECT_NE(deep.pFirstCell()->pObject(), owned->pFirstCell()->pObject());
  KtDList attributes(*owned, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.length(), 0);
  attributes.copyAttributes(owned);
  EXPECT_EQ(attributes.length(), 0);

  KtDList* clone = owned->cloneObject();
  EXPECT_EQ(census_.cloned, 4);
  clone->deleteAllCellsAndObjects();
  EXPECT_EQ(census_.destroyed, 2);
  delete clone;

  // Assignment deletes the objects the list held, then clones the source's.
  deep = *owned;
  EXPECT_EQ(census_.destroyed, 4);
  EXPECT_EQ(census_.cloned, 6);
  deep = deep;
  deep.copyObject(&deep);
  deep.copyAllCells(&deep);
  deep.copyAllCellsAndObjects(&deep);
  EXPECT_EQ(idsOf(deep), (Ids{11, 0, 12}));
  EXPECT_EQ(census_.alive(), 8 + 4);

  KtDList shared;
  shared.copyAllCells(owned);
  EXPECT_EQ(objectsOf(shared), objectsOf(*owned));
  shared.copyAllCells(static_cast<const KtDList*>(nullptr));
  EXPECT_EQ(shared.length(), 0);

  // Moving hands over the cells; the source ends empty.
  KtDList moved(std::move(*owned));
  EXPECT_EQ(owned->length(), 0);
  EXPECT_TRUE(listIsSound(*owned));
  EXPECT_EQ(moved.length(), 3);
  delete owned;
  moved.deleteAllCellsAndObjects();
  deep.deleteAllCellsAndObjects();
  EXPECT_EQ(census_.alive(), 8);  // the pool alone
}

TEST_F(DListTest, CellCopies) {
  KtDListCell cell(o(1));
  KtDListCell shared(cell, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(shared.pObject(), o(1));
  KtDListCell* clone = cell.cloneObject();
  EXPECT_NE(clone->pObject(), o(1));
  EXPECT_EQ(Tracked::castDown(clone->pObject())->id(), 1);
  EXPECT_EQ(clone->pNextCell(), nullptr);
  EXPECT_EQ(clone->pPreviousCell(), nullptr);
  delete clone->pObject();
  delete clone;
  KtDListCell empty;
  KtDListCell emptyCopy(empty);
  EXPECT_EQ(emptyCopy.pObject(), nullptr);
  EXPECT_EQ(census_.alive(), 8);
}

TEST_F(DListTest, TransfersMoveRunsAndRefusalsChangeNothing) {
  KtDList a, b;
  fill(a, {1, 2});
  fill(b, {3, 4, 5, 6});
  KtDListCell* four = b.searchObject(o(4));
  KtDListCell* five = b.searchObject(o(5));

  EXPECT_EQ(a.transferListPart(a.pFirstCell(), &b, four, five), 1);
  EXPECT_EQ(idsOf(a), (Ids{1, 4, 5, 2}));
  EXPECT_EQ(idsOf(b), (Ids{3, 6}));
  EXPECT_TRUE(listIsSound(a));
  EXPECT_TRUE(listIsSound(b));

  // Refusals: null source, the list itself, null ends, unreachable end.
  KtDListCell* three = b.pFirstCell();
  KtDListCell* six = b.pLastCell();
  EXPECT_EQ(a.transferListPart(nullptr, nullptr, three, six), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &a, a.pFirstCell(), a.pLastCell()), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, nullptr, six), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, three, nullptr), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, six, three), 0);
  EXPECT_EQ(a.transferList(nullptr, &a), 0);
  EXPECT_EQ(a.appendList(nullptr), 0);
  EXPECT_EQ(a.copyTransferListPart(nullptr, &b, six, three), 0);
  EXPECT_EQ(a.copyAppendList(&a), 0);
  EXPECT_EQ(a.merge(&b, &b), 0);
  EXPECT_EQ(a.merge(&a, &b), 0);
  EXPECT_EQ(a.merge(&b, nullptr), 0);
  EXPECT_EQ(idsOf(a), (Ids{1, 4, 5, 2}));
  EXPECT_EQ(idsOf(b), (Ids{3, 6}));

  KtDList empty;
  EXPECT_EQ(a.appendList(&empty), 1);
  EXPECT_EQ(a.copyPrependList(&empty), 1);
  EXPECT_EQ(a.length(), 4);

  EXPECT_EQ(a.prependList(&b), 1);
  EXPECT_EQ(idsOf(a), (Ids{3, 6, 1, 4, 5, 2}));
  EXPECT_EQ(b.length(), 0);
  EXPECT_TRUE(listIsSound(b));
  EXPECT_EQ(b.appendList(&a), 1);  // whole list, ends included
  EXPECT_EQ(a.length(), 0);
  EXPECT_TRUE(listIsSound(a));
  EXPECT_TRUE(listIsSound(b));

  // Copies share the objects and leave the source alone.
  EXPECT_EQ(a.copyTransferListPart(nullptr, &b, b.searchObject(o(6)), b.searchObject(o(4))), 1);
  EXPECT_EQ(idsOf(a), (Ids{6, 1, 4}));
  EXPECT_EQ(a.searchObject(o(6))->pObject(), o(6));
  EXPECT_EQ(a.copyTransferList(a.pFirstCell(), &b), 1);
  EXPECT_EQ(idsOf(a), (Ids{6, 3, 6, 1, 4, 5, 2, 1, 4}));
  EXPECT_EQ(b.length(), 6);
  EXPECT_TRUE(listIsSound(a));
  EXPECT_EQ(census_.alive(), 8);
}

TEST_F(DListTest, MergeAlternatesHeads) {
  KtDList target, a, b;
  fill(target, {7});
  fill(a, {1, 2, 3});
  fill(b, {4});
  EXPECT_EQ(target.merge(&a, &b), 1);
  EXPECT_EQ(idsOf(target), (Ids{7, 1, 4, 2, 3}));
  EXPECT_EQ(a.length(), 0);
  EXPECT_EQ(b.length(), 0);
  EXPECT_TRUE(listIsSound(target));
  EXPECT_TRUE(listIsSound(a));

  fill(b, {5, 6, 8});
  EXPECT_EQ(target.merge(&a, &b), 1);
  EXPECT_EQ(idsOf(target), (Ids{7, 1, 4, 2, 3, 5, 6, 8}));
  EXPECT_TRUE(listIsSound(target));
}

TEST_F(DListTest, IfNotInListSkipsObjectsAlreadyHeld) {
  KtDList list;
  fill(list, {1, 2});
  auto* stray = new KtDListCell(o(2));
  EXPECT_EQ(list.appendCellIfNotInList(stray), list.pLastCell());  // the cell holding 2
  EXPECT_EQ(list.length(), 2);
  delete stray;  // still the caller's
  EXPECT_EQ(list.insertCellIfNotInList(nullptr, nullptr), nullptr);
  KtDListCell* three = list.prependCellIfNotInList(new KtDListCell(o(3)));
  EXPECT_EQ(list.pFirstCell(), three);
  EXPECT_EQ(list.addObjectIfNotInList(three, o(1)), list.searchObject(o(1)));
  KtDListCell* four = list.appendObjectIfNotInList(o(4));
  EXPECT_EQ(four, list.pLastCell());
  EXPECT_EQ(list.prependObjectIfNotInList(o(4)), four);
  EXPECT_EQ(idsOf(list), (Ids{3, 1, 2, 4}));

  // Only the run moves, present objects stay, duplicates inside the run collapse, and the run's
  // last cell moves too.
  KtDList source;
  fill(source, {5, 1, 6, 6, 7, 8});
  KtDListCell* runStart = source.searchObject(o(1));
  EXPECT_EQ(list.transferListPartIfNotInList(list.pFirstCell(), &source, runStart,
                                             source.searchObject(o(7))),
            1);
  EXPECT_EQ(idsOf(list), (Ids{3, 6, 7, 1, 2, 4}));
  EXPECT_EQ(idsOf(source), (Ids{5, 1, 6, 8}));
  EXPECT_TRUE(listIsSound(list));
  EXPECT_TRUE(listIsSound(source));
  EXPECT_EQ(
      list.transferListPartIfNotInList(nullptr, &source, source.pLastCell(), source.pFirstCell()),
      0);
  EXPECT_EQ(list.transferListPartIfNotInList(nullptr, &list, list.pFirstCell(), list.pFirstCell()),
            0);

  EXPECT_EQ(list.appendListIfNotInList(&source), 1);
  EXPECT_EQ(idsOf(list), (Ids{3, 6, 7, 1, 2, 4, 5, 8}));
  EXPECT_EQ(idsOf(source), (Ids{1, 6}));
  EXPECT_TRUE(listIsSound(source));

  KtDList copies;
  fill(copies, {2});
  EXPECT_EQ(copies.copyPrependListIfNotInList(&list), 1);
  EXPECT_EQ(idsOf(copies), (Ids{3, 6, 7, 1, 4, 5, 8, 2}));
  EXPECT_EQ(list.length(), 8);
  KtDList dup;
  fill(dup, {5, 5, 1, 5});
  EXPECT_EQ(
      copies.copyTransferListPartIfNotInList(nullptr, &dup, dup.pFirstCell(), dup.pLastCell()), 1);
  EXPECT_EQ(copies.length(), 8);
  KtDList fresh;
  EXPECT_EQ(fresh.copyAppendListIfNotInList(&dup), 1);
  EXPECT_EQ(idsOf(fresh), (Ids{5, 1}));
  EXPECT_EQ(fresh.prependListIfNotInList(&dup), 1);
  EXPECT_EQ(dup.length(), 4);
  EXPECT_EQ(census_.alive(), 8);
}

}  // namespace
