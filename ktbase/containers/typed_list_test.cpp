#include "ktbase/containers/typed_list.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

#include "ktbase/containers/list_test_util.h"

namespace {

TEST(TypedListTest, PointsAreFoundByIdentityNotByCoordinates) {
  KtPoint a(1, 2), b(3, 4), twinOfA(1, 2);
  KtPointDList list;
  KtDListCell* cellA = list.appendPoint(&a);
  list.prependPoint(&b);
  EXPECT_EQ(list.searchPoint(&twinOfA), nullptr);
  EXPECT_EQ(list.positionOfPoint(&twinOfA), -1);
  EXPECT_EQ(list.searchPoint(&a), cellA);
  EXPECT_EQ(list.positionOfPoint(&a), 2);
  EXPECT_EQ(list.pPointInPosition(1), &b);
  EXPECT_EQ(list.pPointInPosition(3), nullptr);
  EXPECT_EQ(list.appendPointIfNotInList(&a), cellA);
  KtDListCell* twin = list.addPointIfNotInList(cellA, &twinOfA);
  EXPECT_NE(twin, cellA);
  EXPECT_EQ(list.length(), 3);
  EXPECT_EQ(list.compare(&list), 1);

  // The singly linked list made from it shares the very points, in order, and back again.
  KtPointSList single(list);
  EXPECT_EQ(objectsOf(single), objectsOf(list));
  EXPECT_EQ(single.searchPreviousPoint(&twinOfA), single.pCellInPosition(2));
  EXPECT_EQ(single.searchPreviousPoint(&b), nullptr);
  KtPoint absent(1, 2);
  EXPECT_EQ(single.searchPreviousPoint(&absent), KT_SLIST_NO_CELL);
  KtPointDList back(single);
  EXPECT_EQ(objectsOf(back), objectsOf(list));
  EXPECT_EQ(back.compare(&list), 1);
  back = single;
  EXPECT_EQ(back.length(), 3);

  std::vector<KtPoint*> walked;
  for (KtPointDListIter it(&list, KT_BACKWARD); it; --it) walked.push_back(it.pPoint());
  EXPECT_EQ(walked, (std::vector<KtPoint*>{&twinOfA, &a, &b}));
  walked.clear();
  for (KtPointSListIter it(&single); it; ++it) walked.push_back(it.pPoint());
  EXPECT_EQ(walked, (std::vector<KtPoint*>{&b, &a, &twinOfA}));
  KtPointSListIter fromA(&single, single.searchPoint(&a));
  EXPECT_EQ((++fromA).pPoint(), &twinOfA);
}

TEST(TypedListTest, DeepCopiesCloneAndKeepTheType) {
  KtRectDList rects;
  KtRect* unit = new KtRect(0, 0, 1, 1);
  rects.appendRect(unit);
  rects.appendRect(new KtRect(2, 2, 5, 5));
  KtRectDList* clone = rects.cloneObject();
  EXPECT_EQ(typeid(*clone), typeid(KtRectDList));
  EXPECT_EQ(clone->length(), 2);
  EXPECT_NE(clone->pRectInPosition(1), unit);
  EXPECT_EQ(clone->pRectInPosition(1)->right(), 1);
  EXPECT_EQ(clone->searchRect(unit), nullptr);
  EXPECT_EQ(KtRectDList(rects, KT_ATTRIBUTE_COPY).length(), 0);

  // Transfers take typed lists and move the same rectangles.
  EXPECT_EQ(rects.appendList(clone), 1);
  EXPECT_EQ(clone->length(), 0);
  EXPECT_EQ(rects.length(), 4);
  KtRectSList single;
  single.copyAllCellsAndRects(&rects);
  EXPECT_EQ(single.length(), 4);
  EXPECT_EQ(single.searchRect(unit), nullptr);
  KtRectSList copy;
  copy.copyAllCells(&single);
  EXPECT_EQ(copy.compare(&single), 1);
  EXPECT_EQ(copy.transferList(nullptr, &copy), 0);
  std::vector<KtRect*> walked;
  for (KtRectDListIter it(&rects); it; ++it) walked.push_back(it.pRect());
  EXPECT_EQ(walked.front(), unit);
  for (KtRectSListIter it(&copy); it; it++) walked.push_back(it.pRect());
  EXPECT_EQ(walked.size(), 8u);

  single.deleteAllCellsAndRects();
  rects.deleteAllCellsAndRects();
  delete clone;
}

}  // namespace
