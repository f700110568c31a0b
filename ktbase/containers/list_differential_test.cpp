// Seeded random runs of mixed operations on both lists, each step mirrored on std::list and the
// two compared (order, length, links) after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/list_test_util.h"
#include "ktbase/containers/slist.h"
#include "ktbase/core/numbers.h"

namespace {

using Model = std::list<KtObject*>;

template <class List>
class Differential {
 public:
  using Cell = std::remove_pointer_t<decltype(std::declval<List>().pFirstCell())>;
  static constexpr bool kDoubly = std::is_same_v<List, KtDList>;

  explicit Differential(unsigned seed) : random_(seed) {
    for (int i = 0; i < 12; ++i) pool_.push_back(std::make_unique<KtInt>(i));
  }

  void run(int steps) {
    for (int step = 0; step < steps; ++step) {
      int operation = pick(0, 14);
      SCOPED_TRACE(::testing::Message() << "step " << step << ", operation " << operation);
      apply(operation);
      for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(listIsSound(lists_[i]));
        ASSERT_EQ(objectsOf(lists_[i]),
                  std::vector<KtObject*>(models_[i].begin(), models_[i].end()));
      }
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  KtObject* anyObject() { return pick(0, 15) == 0 ? nullptr : pool_[pick(0, 11)].get(); }
  int anyList() { return pick(0, 2); }
  int otherList(int list) { return (list + pick(1, 2)) % 3; }
  // A position 0..length, where 0 stands for the front (a null `after`).
  int anyGap(int list) { return pick(0, static_cast<int>(models_[list].size())); }
  Cell* cellAt(int list, int position) { return lists_[list].pCellInPosition(position); }
  Model::iterator modelAt(int list, int position) {
    return std::next(models_[list].begin(), position);
  }
  static bool holds(const Model& model, KtObject* object) {
    return std::find(model.begin(), model.end(), object) != model.end();
  }

  void apply(int operation) {
    int t = anyList();
    int s = otherList(t);
    List& target = lists_[t];
    List& source = lists_[s];
    Model& mt = models_[t];
    Model& ms = models_[s];
    int length = static_cast<int>(mt.size());
    int sourceLength = static_cast<int>(ms.size());
    if (length > 40) operation = 1;  // keep the lists short enough to cover their ends often

    switch (operation) {
      case 0: {  // insert after a position
        int gap = anyGap(t);
        KtObject* object = anyObject();
        target.addObject(cellAt(t, gap), object);
        mt.insert(modelAt(t, gap), object);
        break;
      }
      case 1: {  // remove by handle
        if (length == 0) break;
        int position = pick(1, length);
        delete target.removeCell(cellAt(t, position));
        mt.erase(modelAt(t, position - 1));
        break;
      }
      case 2:    // move a run
      case 3: {  // or copy it
        if (sourceLength == 0) break;
        int from = pick(1, sourceLength), to = pick(1, sourceLength);
        int gap = anyGap(t);
        Cell* after = cellAt(t, gap);
        int done =
            operation == 2
                ? target.transferListPart(after, &source, cellAt(s, from), cellAt(s, to))
                : target.copyTransferListPart(after, &source, cellAt(s, from), cellAt(s, to));
        ASSERT_EQ(done, from <= to ? 1 : 0);
        if (!done) break;
        if (operation == 2)
          mt.splice(modelAt(t, gap), ms, modelAt(s, from - 1), modelAt(s, to));
        else
          mt.insert(modelAt(t, gap), modelAt(s, from - 1), modelAt(s, to));
        break;
      }
      case 4: {  // whole lists
        bool atFront = pick(0, 1) == 0;
        ASSERT_EQ(atFront ? target.prependList(&source) : target.appendList(&source), 1);
        mt.splice(atFront ? mt.begin() : mt.end(), ms);
        break;
      }
      case 5: {  // addObjectIfNotInList
        int gap = anyGap(t);
        KtObject* object = anyObject();
        Cell* cell = target.addObjectIfNotInList(cellAt(t, gap), object);
        ASSERT_EQ(cell->pObject(), object);
        if (!holds(mt, object)) mt.insert(modelAt(t, gap), object);
        break;
      }
      case 6: {  // insertCellIfNotInList
        auto* cell = new Cell(anyObject());
        int gap = anyGap(t);
        Cell* kept = target.insertCellIfNotInList(cellAt(t, gap), cell);
        if (holds(mt, cell->pObject())) {
          ASSERT_NE(kept, cell);
          delete cell;
        } else {
          mt.insert(modelAt(t, gap), cell->pObject());
        }
        break;
      }
      case 7:    // transferListPartIfNotInList
      case 8: {  // copyTransferListPartIfNotInList
        if (sourceLength == 0) break;
        int from = pick(1, sourceLength), to = pick(from, sourceLength);
        int gap = anyGap(t);
        Cell* after = cellAt(t, gap);
        bool move = operation == 7;
        int done = move ? target.transferListPartIfNotInList(after, &source, cellAt(s, from),
                                                             cellAt(s, to))
                        : target.copyTransferListPartIfNotInList(after, &source, cellAt(s, from),
                                                                 cellAt(s, to));
        ASSERT_EQ(done, 1);
        auto insertAt = modelAt(t, gap);
        auto it = modelAt(s, from - 1);
        for (int k = from; k <= to; ++k) {
          auto next = std::next(it);
          if (!holds(mt, *it)) {
            mt.insert(insertAt, *it);
            if (move) ms.erase(it);
          }
          it = next;
        }
        break;
      }
      case 9:
        ASSERT_EQ(target.reverse(), 1);
        mt.reverse();
        break;
      case 10: {  // searchAndRemoveObject; only the doubly linked list looks for null
        KtObject* object = anyObject();
        delete target.searchAndRemoveObject(object);
        auto it = std::find(mt.begin(), mt.end(), object);
        if ((object != nullptr || kDoubly) && it != mt.end()) mt.erase(it);
        break;
      }
      case 11: {  // swapPosition, or removeNextCell for the singly linked list
        if (length == 0) break;
        int a = pick(1, length), b = pick(1, length);
        if constexpr (kDoubly) {
          target.swapPosition(cellAt(t, a), cellAt(t, b));
          std::iter_swap(modelAt(t, a - 1), modelAt(t, b - 1));
        } else {
          Cell* removed = target.removeNextCell(a == 1 ? nullptr : cellAt(t, a - 1));
          ASSERT_NE(removed, nullptr);
          delete removed;
          mt.erase(modelAt(t, a - 1));
        }
        break;
      }
      case 12: {  // merge, or transferNextListPart for the singly linked list
        if constexpr (kDoubly) {
          int other = 3 - t - s;
          ASSERT_EQ(target.merge(&source, &lists_[other]), 1);
          Model& mo = models_[other];
          while (!ms.empty() || !mo.empty()) {
            if (!ms.empty()) mt.splice(mt.end(), ms, ms.begin());
            if (!mo.empty()) mt.splice(mt.end(), mo, mo.begin());
          }
        } else {
          if (sourceLength == 0) break;
          int from = pick(1, sourceLength), to = pick(from, sourceLength);
          int gap = anyGap(t);
          Cell* previous = from == 1 ? nullptr : cellAt(s, from - 1);
          ASSERT_EQ(target.transferNextListPart(cellAt(t, gap), &source, previous, cellAt(s, to)),
                    1);
          mt.splice(modelAt(t, gap), ms, modelAt(s, from - 1), modelAt(s, to));
        }
        break;
      }
      case 13: {  // copy whole lists, skipping present objects or not
        bool skip = pick(0, 1) == 0;
        int gap = anyGap(t);
        ASSERT_EQ(skip ? target.copyTransferListIfNotInList(cellAt(t, gap), &source)
                       : target.copyTransferList(cellAt(t, gap), &source),
                  1);
        auto insertAt = modelAt(t, gap);
        for (KtObject* object : ms)
          if (!skip || !holds(mt, object)) mt.insert(insertAt, object);
        break;
      }
      case 14: {  // transferListIfNotInList
        int gap = anyGap(t);
        ASSERT_EQ(target.transferListIfNotInList(cellAt(t, gap), &source), 1);
        auto insertAt = modelAt(t, gap);
        for (auto it = ms.begin(); it != ms.end();) {
          if (holds(mt, *it)) {
            ++it;
          } else {
            mt.insert(insertAt, *it);
            it = ms.erase(it);
          }
        }
        break;
      }
    }
  }

  std::mt19937 random_;
  std::vector<std::unique_ptr<KtInt>> pool_;
  List lists_[3];
  Model models_[3];
};

TEST(ListDifferential, DoublyLinkedListAgainstStdList) {
  for (unsigned seed : {1u, 2u, 3u, 20261206u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    Differential<KtDList>(seed).run(5000);
    if (HasFatalFailure()) return;
  }
}

TEST(ListDifferential, SinglyLinkedListAgainstStdList) {
  for (unsigned seed : {1u, 2u, 3u, 20261206u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    Differential<KtSList>(seed).run(5000);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
