// Test helpers for the lists: an object that reports its births, clones and deaths to a census,
// and checks of the structural invariants that every step of a test can call.
#ifndef KTBASE_CONTAINERS_LIST_TEST_UTIL_H
#define KTBASE_CONTAINERS_LIST_TEST_UTIL_H

#include <gtest/gtest.h>

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

// Links symmetric, ends right, cached length right.
inline ::testing::AssertionResult listIsSound(const KtDList& list) {
  std::int32_t count = 0;
  const KtDListCell* previous = nullptr;
  for (const KtDListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell()) {
    if (c->pPreviousCell() != previous)
      return ::testing::AssertionFailure() << "back link broken at position " << count + 1;
    previous = c;
    if (++count > list.length()) return ::testing::AssertionFailure() << "more cells than length";
  }
  if (previous != list.pLastCell()) return ::testing::AssertionFailure() << "last is wrong";
  if (count != list.length())
    return ::testing::AssertionFailure()
           << "length " << list.length() << " but " << count << " cells";
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult listIsSound(const KtSList& list) {
  std::int32_t count = 0;
  const KtSListCell* previous = nullptr;
  for (const KtSListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell()) {
    previous = c;
    if (++count > list.length()) return ::testing::AssertionFailure() << "more cells than length";
  }
  if (previous != list.pLastCell()) return ::testing::AssertionFailure() << "last is wrong";
  if (count != list.length())
    return ::testing::AssertionFailure()
           << "length " << list.length() << " but " << count << " cells";
  return ::testing::AssertionSuccess();
}

#endif  // KTBASE_CONTAINERS_LIST_TEST_UTIL_H
