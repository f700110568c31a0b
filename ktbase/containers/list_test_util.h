// Test helpers for the lists: an object that reports its births, clones and deaths to a census,
// and checks of the structural invariants that every step of a test can call.
#ifndef KTBASE_CONTAINERS_LIST_TEST_UTIL_H
#define KTBASE_CONTAINERS_LIST_TEST_UTIL_H

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/slist.h"

struct Census {
  int made = 0;       // constructions, clones included
  int cloned = 0;     // copy constructions (clones and copies)
  int destroyed = 0;  // destructor runs
  int alive() const { return made - destroyed; }
};

// Reports to its census. Never assigned in the tests, so every deep copy is a construction.
class Tracked : public KtObject {
  KT_OBJECT(Tracked, KtObject)

 public:
  Tracked(Census* census, int id) : census_(census), id_(id) { ++census_->made; }
  ~Tracked() override { ++census_->destroyed; }
  int id() const { return id_; }

 protected:
  void init() {
    census_ = nullptr;
    id_ = 0;
  }

 private:
  Census* census_;
  int id_;
};

inline void Tracked::TrackeddeepCopy(const Tracked& source) {
  KtObjectdeepCopy(source);
  census_ = source.census_;
  id_ = source.id_;
  ++census_->made;
  ++census_->cloned;
}

inline void Tracked::TrackedattributeCopy(const Tracked& source) { TrackeddeepCopy(source); }

// The objects of a list in order, through the cells' links.
template <class List>
std::vector<KtObject*> objectsOf(const List& list) {
  std::vector<KtObject*> objects;
  for (auto* c = list.pFirstCell(); c != nullptr; c = c->pNextCell())
    objects.push_back(c->pObject());
  return objects;
}

// The ids of the Tracked objects of a list in order (0 for a null object).
template <class List>
std::vector<int> idsOf(const List& list) {
  std::vector<int> ids;
  for (KtObject* o : objectsOf(list)) ids.push_back(o == nullptr ? 0 : Tracked::castDown(o)->id());
  return ids;
}

// Links symmetric (for the doubly linked list), ends right, cached length right.
template <class List>
::testing::AssertionResult listIsSound(const List& list) {
  std::int32_t count = 0;
  decltype(list.pFirstCell()) previous = nullptr;
  for (auto* c = list.pFirstCell(); c != nullptr; c = c->pNextCell()) {
    if constexpr (std::is_same_v<List, KtDList>) {
      if (c->pPreviousCell() != previous)
        return ::testing::AssertionFailure() << "back link broken at position " << count + 1;
    }
    previous = c;
    if (++count > list.length()) return ::testing::AssertionFailure() << "more cells than length";
  }
  if (previous != list.pLastCell()) return ::testing::AssertionFailure() << "last is wrong";
  if (count != list.length())
    return ::testing::AssertionFailure()
           << "length " << list.length() << " but " << count << " cells";
  return ::testing::AssertionSuccess();
}

// A fixture holding the Tracked objects 1..8, which the lists of a test only borrow.
class ListTest : public ::testing::Test {
 protected:
  ListTest() {
    for (int id = 1; id <= 8; ++id) pool_.push_back(std::make_unique<Tracked>(&census_, id));
  }
  Tracked* o(int id) { return pool_[id - 1].get(); }
  template <class List>
  void fill(List& list, const std::vector<int>& ids) {
    for (int id : ids) list.appendObject(o(id));
  }

  Census census_;
  std::vector<std::unique_ptr<Tracked>> pool_;
};

#endif  // KTBASE_CONTAINERS_LIST_TEST_UTIL_H
