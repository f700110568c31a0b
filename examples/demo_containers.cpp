// The containers built on the lists: a sorted red-black tree, a heap whose keys change through
// cell handles, a sorted list and a list of points.
#include <cstdio>

#include "examples/demo.h"
#include "ktbase/containers/bin_heap.h"
#include "ktbase/containers/bin_tree.h"
#include "ktbase/containers/sorted_list.h"
#include "ktbase/containers/typed_list.h"
#include "ktbase/core/numbers.h"

namespace {

int valueOf(const KtObject* object) { return KtInt::castDown(object)->value(); }

int byValue(const KtObject* a, const KtObject* b) {
  return (valueOf(a) > valueOf(b)) - (valueOf(a) < valueOf(b));
}

class IntTree : public KtSortedBinTree {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    return byValue(a, b);
  }
};

class IntList : public KtSortedDList {
 protected:
  int virtualObjectCompare(const KtObject* a, const KtObject* b) const override {
    return byValue(a, b);
  }
};

void showValues(const char* label, const KtDList& list) {
  std::printf("  %-12s", label);
  for (KtDListIter it(&list); it; ++it) std::printf(" %d", valueOf(it.pObject()));
  std::printf("\n");
}

void showHeap(const char* label, const KtBinHeap& heap) {
  std::printf("  %-12s", label);
  for (KtDListIter it(&heap); it; ++it)
    std::printf(" %c:%d", static_cast<char>(valueOf(it.pObject())),
                KtBinHeapCell::castDown(it.pCell())->value());
  std::printf("\n");
}

}  // namespace

void containersDemo() {
  KtInt numbers[] = {42, 7, 19, 7, 73, 3, 58};

  heading("A sorted tree: cells in order, equal elements newest first");
  IntTree tree;
  for (KtInt& number : numbers) tree.addObject(&number);
  showValues("in order", tree);
  KtBinTreeCell* found = tree.searchObject(&numbers[3]);
  std::printf("  the second 7 is found by pointer: %s, and comes %s the first\n",
              found != nullptr ? "yes" : "no",
              tree.compare(found, tree.searchObject(&numbers[1])) < 0 ? "before" : "after");
  tree.discardCell(tree.searchObject(&numbers[4]));
  showValues("without 73", tree);

  heading("A heap: the cell is the handle for a new key");
  KtInt tasks[] = {'a', 'b', 'c', 'd'};
  KtBinHeap heap;
  KtBinHeapCell* cellD = nullptr;
  int priority = 40;
  for (KtInt& task : tasks) {
    KtBinHeapCell* cell = heap.addObject(&task, priority);
    priority -= 10;
    if (valueOf(&task) == 'd') cellD = cell;
  }
  showHeap("level order", heap);
  heap.changeValue(cellD, 50);
  showHeap("d to 50", heap);
  std::printf("  extracted:");
  while (KtBinHeapCell* cell = heap.pExtractMinCell()) {
    std::printf(" %c", static_cast<char>(valueOf(cell->pObject())));
    delete cell;
  }
  std::printf("\n");

  heading("A sorted list: equal elements keep their arrival order");
  IntList list;
  for (KtInt& number : numbers) list.addObject(&number);
  showValues("in order", list);
  KtInt twenty(20);
  std::printf("  a search for 20 stops at 42, the first greater element: %s\n",
              list.searchObject(&twenty) == nullptr ? "not found" : "found");

  heading("A point list: membership is identity, not equal coordinates");
  KtPoint a(0, 0), b(3, 4), twinOfB(3, 4);
  KtPointDList points;
  points.appendPoint(&a);
  points.appendPoint(&b);
  points.appendPointIfNotInList(&twinOfB);
  for (KtPointDListIter it(&points); it; ++it)
    std::printf("  (%d, %d)\n", it.pPoint()->x(), it.pPoint()->y());
  std::printf("  distance a-b: %.1f; b's twin is a point of its own at position %d\n",
              a.distance(b), points.positionOfPoint(&twinOfB));
}
