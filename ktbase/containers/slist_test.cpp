#include "ktbase/containers/slist.h"

#include <gtest/gtest.h>

#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

using Ids = std::vector<int>;

class SListTest : public ListTest {};

TEST_F(SListTest, PreviousCellLookupsAndRemoval) {
  KtSList list;
  EXPECT_EQ(list.searchPreviousCell(nullptr), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.searchPreviousObject(o(1)), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.removeNextCell(nullptr), nullptr);
  fill(list, {1, 2, 3});
  KtSListCell* first = list.pFirstCell();
  KtSListCell* last = list.pLastCell();
  KtSListCell foreign(o(1));

  EXPECT_EQ(list.searchPreviousCell(first), nullptr);
  EXPECT_EQ(list.searchPreviousCell(last), first->pNextCell());
  EXPECT_EQ(list.searchPreviousCell(&foreign), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.searchPreviousObject(o(2)), first);
  EXPECT_EQ(list.searchPreviousObject(nullptr), KT_SLIST_NO_CELL);
  EXPECT_EQ(list.searchPreviousObject(o(4)), KT_SLIST_NO_CELL);

  EXPECT_EQ(list.removeNextCell(KT_SLIST_NO_CELL), nullptr);
  EXPECT_EQ(list.removeNextCell(last), nullptr);
  list.discardNextCell(KT_SLIST_NO_CELL);
  EXPECT_EQ(list.removeCell(nullptr), nullptr);
  EXPECT_EQ(list.removeCell(&foreign), nullptr);
  list.discardCell(&foreign);  // not ours: neither unlinked nor deleted
  EXPECT_EQ(list.length(), 3);

  // Removing the last cell moves last back.
  EXPECT_EQ(list.removeCell(last), last);
  delete last;
  EXPECT_EQ(list.pLastCell(), first->pNextCell());
  EXPECT_TRUE(listIsSound(list));
  delete list.searchAndRemoveObject(o(1));
  EXPECT_EQ(idsOf(list), (Ids{2}));
  list.discardNextCell(nullptr);
  EXPECT_EQ(list.pFirstCell(), nullptr);
  EXPECT_EQ(list.pLastCell(), nullptr);
  EXPECT_TRUE(listIsSound(list));

  fill(list, {4, 5, 6});
  delete list.searchAndRemoveCell(list.pCellInPosition(2));
  EXPECT_EQ(idsOf(list), (Ids{4, 6}));
  EXPECT_EQ(list.searchAndRemoveCell(&foreign), nullptr);
  EXPECT_EQ(census_.destroyed, 0);
}

TEST_F(SListTest, BuildWalkReverseAndCompare) {
  KtSList list;
  EXPECT_FALSE(KtSListIter(&list));
  KtSListCell* two = list.appendObject(o(2));
  list.prependObject(o(1));
  list.addObject(two, o(3));
  list.appendCell(new KtSListCell(o(4)));
  list.insertCell(two, new KtSListCell(nullptr));
  EXPECT_EQ(idsOf(list), (Ids{1, 2, 0, 3, 4}));
  EXPECT_TRUE(listIsSound(list));

  Ids walked;
  for (KtSListIter it(&list, two); it; ++it)
    walked.push_back(it.pObject() ? Tracked::castDown(it.pObject())->id() : 0);
  EXPECT_EQ(walked, (Ids{2, 0, 3, 4}));
  KtSListIter it(nullptr);
  EXPECT_FALSE(it);
  it.init(&list);
  EXPECT_EQ(it++, list.pFirstCell());
  EXPECT_EQ(it.pCell(), two);

  EXPECT_EQ(list.positionOfObject(o(3)), 4);
  EXPECT_EQ(list.positionOfCell(two), 2);
  EXPECT_EQ(list.pObjectInPosition(5), o(4));
  EXPECT_EQ(list.pCellInPosition(6), nullptr);
  EXPECT_EQ(list.searchObject(nullptr), two->pNextCell());

  EXPECT_EQ(list.reverse(), 1);
  EXPECT_EQ(idsOf(list), (Ids{4, 3, 0, 2, 1}));
  EXPECT_TRUE(listIsSound(list));
  KtSList other;
  fill(other, {4, 3});
  EXPECT_EQ(list.compare(&other), 0);
  other.appendObject(nullptr);
  fill(other, {2, 1});
  EXPECT_EQ(list.compare(&other), 1);
  KtSList empty1, empty2;
  EXPECT_EQ(empty1.compare(&empty2), 1);
  EXPECT_EQ(empty1.compare(nullptr), 0);

  EXPECT_EQ(KtSList().sizeOf(), static_cast<std::int32_t>(sizeof(KtSList)));
  EXPECT_EQ(list.sizeOf() - KtSList().sizeOf(), 5 * two->sizeOf());
  EXPECT_EQ(two->sizeOf(), static_cast<std::int32_t>(sizeof(KtSListCell)));
}

TEST_F(SListTest, CellCopiesShareTheObjectAndStartUnlinked) {
  KtSList list;
  fill(list, {1, 2});
  KtSListCell copy(*list.pFirstCell());
  EXPECT_EQ(copy.pObject(), o(1));
  EXPECT_EQ(copy.pNextCell(), nullptr);
  KtSListCell assigned;
  assigned = *list.pFirstCell();
  EXPECT_EQ(assigned.pObject(), o(1));
  EXPECT_EQ(assigned.pNextCell(), nullptr);
  EXPECT_EQ(census_.cloned, 0);
}

TEST_F(SListTest, OwnershipOfCopiesAndConversions) {
  KtSList owned;
  owned.appendObject(new Tracked(&census_, 11));
  owned.appendObject(new Tracked(&census_, 12));

  KtSList deep(owned);
  EXPECT_EQ(census_.cloned, 2);
  EXPECT_EQ(KtSList(owned, KT_ATTRIBUTE_COPY).length(), 0);
  deep = owned;  // deletes its clones, clones again
  EXPECT_EQ(census_.destroyed, 2);
  EXPECT_EQ(census_.cloned, 4);
  deep = deep;
  deep.copyAllCells(&deep);
  EXPECT_EQ(idsOf(deep), (Ids{11, 12}));

  // To a doubly linked list: the constructor shares, the conversion clones.
  KtDList sharing(owned);
  EXPECT_EQ(objectsOf(sharing), objectsOf(owned));
  KtDList cloned = owned;
  EXPECT_EQ(census_.cloned, 6);
  EXPECT_EQ(idsOf(cloned), (Ids{11, 12}));
  EXPECT_NE(cloned.pFirstCell()->pObject(), owned.pFirstCell()->pObject());
  KtSList back = cloned;  // clones of the clones
  EXPECT_EQ(census_.cloned, 8);
  EXPECT_EQ(idsOf(back), (Ids{11, 12}));
  KtSList sharingBack(cloned);
  EXPECT_EQ(objectsOf(sharingBack), objectsOf(cloned));
  sharingBack = sharing;
  EXPECT_EQ(objectsOf(sharingBack), objectsOf(owned));
  sharing = deep;
  EXPECT_EQ(objectsOf(sharing), objectsOf(deep));

  KtSList copied;
  copied.copyAllCellsAndObjects(&cloned);
  EXPECT_EQ(census_.cloned, 10);
  std::vector<KtObject*> clones = objectsOf(copied);
  copied.copyAllCells(static_cast<const KtDList*>(nullptr));
  EXPECT_EQ(copied.length(), 0);
  EXPECT_EQ(census_.destroyed, 2);  // the cells went, the clones are still alive
  for (KtObject* clone : clones) delete clone;

  for (KtObject* o : objectsOf(cloned)) copied.appendObject(o);
  copied.appendObject(nullptr);
  KtSList moved(std::move(back));
  EXPECT_EQ(back.length(), 0);
  moved.deleteAllCellsAndObjects();
  copied.deleteAllCellsAndObjects();  // null objects are skipped
  deep.deleteAllCellsAndObjects();
  owned.deleteAllCellsAndObjects();
  EXPECT_EQ(census_.alive(), 8);
}

TEST_F(SListTest, TransfersAndRefusals) {
  KtSList a, b;
  fill(a, {1, 2});
  fill(b, {3, 4, 5, 6});
  KtSListCell* three = b.pFirstCell();
  KtSListCell* four = three->pNextCell();
  KtSListCell* five = four->pNextCell();
  KtSListCell* six = b.pLastCell();
  KtSListCell foreign(o(7));

  EXPECT_EQ(a.transferNextListPart(a.pFirstCell(), &b, three, five), 1);
  EXPECT_EQ(idsOf(a), (Ids{1, 4, 5, 2}));
  EXPECT_EQ(idsOf(b), (Ids{3, 6}));
  EXPECT_TRUE(listIsSound(a));
  EXPECT_TRUE(listIsSound(b));

  EXPECT_EQ(a.transferNextListPart(nullptr, &b, KT_SLIST_NO_CELL, six), 0);
  EXPECT_EQ(a.transferNextListPart(nullptr, &b, six, six), 0);  // nothing after the last cell
  EXPECT_EQ(a.transferNextListPart(nullptr, &b, nullptr, nullptr), 0);
  EXPECT_EQ(a.transferNextListPart(nullptr, &b, three, three), 0);  // end before the run
  EXPECT_EQ(a.transferNextListPart(nullptr, &a, nullptr, a.pLastCell()), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, &foreign, six), 0);
  EXPECT_EQ(a.transferListPart(nullptr, nullptr, three, six), 0);
  EXPECT_EQ(a.transferListPart(nullptr, &b, six, three), 0);
  EXPECT_EQ(a.transferList(nullptr, &a), 0);
  EXPECT_EQ(a.copyTransferListPart(nullptr, &b, six, three), 0);
  EXPECT_EQ(a.copyTransferListPart(nullptr, &b, nullptr, three), 0);
  EXPECT_EQ(a.copyAppendList(&a), 0);
  EXPECT_EQ(a.transferListPartIfNotInList(nullptr, &b, &foreign, six), 0);
  EXPECT_EQ(a.transferListPartIfNotInList(nullptr, &b, six, three), 0);
  EXPECT_EQ(idsOf(a), (Ids{1, 4, 5, 2}));
  EXPECT_EQ(idsOf(b), (Ids{3, 6}));

  // The run ends at the source's last cell: last moves back in the source and forward here.
  EXPECT_EQ(a.transferListPart(a.pLastCell(), &b, six, six), 1);
  EXPECT_EQ(b.pLastCell(), three);
  EXPECT_EQ(a.pLastCell(), six);
  EXPECT_EQ(a.prependList(&b), 1);
  EXPECT_EQ(idsOf(a), (Ids{3, 1, 4, 5, 2, 6}));
  EXPECT_TRUE(listIsSound(a));
  EXPECT_TRUE(listIsSound(b));
  KtSList empty;
  EXPECT_EQ(a.appendList(&empty), 1);
  EXPECT_EQ(b.appendList(&a), 1);
  EXPECT_EQ(a.length(), 0);
  EXPECT_TRUE(listIsSound(a));

  EXPECT_EQ(a.copyTransferList(nullptr, &b), 1);
  EXPECT_EQ(a.copyTransferListPart(a.pFirstCell(), &b, b.pCellInPosition(2), b.pCellInPosition(3)),
            1);
  EXPECT_EQ(idsOf(a), (Ids{3, 1, 4, 1, 4, 5, 2, 6}));
  EXPECT_EQ(b.length(), 6);
  EXPECT_TRUE(listIsSound(a));
  EXPECT_EQ(census_.alive(), 8);
}

TEST_F(SListTest, IfNotInListFamily) {
  KtSList list;
  fill(list, {1, 2});
  auto* stray = new KtSListCell(o(1));
  EXPECT_EQ(list.prependCellIfNotInList(stray), list.pFirstCell());
  delete stray;
  EXPECT_EQ(list.appendCellIfNotInList(nullptr), nullptr);
  list.appendCellIfNotInList(new KtSListCell(o(3)));
  EXPECT_EQ(list.prependObjectIfNotInList(o(3)), list.pLastCell());
  list.prependObjectIfNotInList(o(4));
  list.addObjectIfNotInList(list.pFirstCell(), o(4));
  list.appendObjectIfNotInList(o(5));
  EXPECT_EQ(idsOf(list), (Ids{4, 1, 2, 3, 5}));

  KtSList source;
  fill(source, {6, 1, 7, 7, 8, 2});
  EXPECT_EQ(list.transferListPartIfNotInList(list.pFirstCell(), &source, source.pCellInPosition(2),
                                             source.pLastCell()),
            1);
  EXPECT_EQ(idsOf(list), (Ids{4, 7, 8, 1, 2, 3, 5}));
  EXPECT_EQ(idsOf(source), (Ids{6, 1, 7, 2}));
  EXPECT_EQ(source.pLastCell()->pObject(), o(2));
  EXPECT_TRUE(listIsSound(list));
  EXPECT_TRUE(listIsSound(source));

  // A run whose last cell moves: the source's last moves back.
  KtSList tail;
  fill(tail, {1, 6});
  EXPECT_EQ(list.appendListIfNotInList(&tail), 1);
  EXPECT_EQ(idsOf(tail), (Ids{1}));
  EXPECT_EQ(tail.pLastCell(), tail.pFirstCell());
  EXPECT_TRUE(listIsSound(tail));
  EXPECT_EQ(list.prependListIfNotInList(&source), 1);
  EXPECT_EQ(source.length(), 4);

  KtSList copies;
  EXPECT_EQ(copies.copyAppendListIfNotInList(&source), 1);
  EXPECT_EQ(idsOf(copies), (Ids{6, 1, 7, 2}));
  EXPECT_EQ(copies.copyPrependListIfNotInList(&list), 1);
  EXPECT_EQ(idsOf(copies), (Ids{4, 8, 3, 5, 6, 1, 7, 2}));
  EXPECT_EQ(copies.copyTransferListPartIfNotInList(nullptr, &source, source.pFirstCell(),
                                                   source.pLastCell()),
            1);
  EXPECT_EQ(copies.length(), 8);
  EXPECT_TRUE(listIsSound(copies));
  EXPECT_EQ(census_.alive(), 8);
}

}  // namespace
