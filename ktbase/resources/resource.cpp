#include "ktbase/resources/resource.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "ktbase/containers/list_sort.h"

// The key index: an AVL tree with one node per distinct sort key. A node knows the run of cells
// that hold its key in the list (first to last, `count` of them, contiguous because the list is
// sorted) and how many resources its subtree covers, so that a descent yields a resource's place
// in the list as well as the last cell of the next smaller key, after which a new key belongs.
struct KtResourceKeyGroup {
  KtResourceKeyGroup* left;
  KtResourceKeyGroup* right;
  KtSListCell* first;
  KtSListCell* last;
  std::int32_t key;
  std::int32_t count;   // resources with this key
  std::int32_t total;   // resources in this subtree
  std::int32_t height;  // 1 for a leaf
};

namespace {

using Group = KtResourceKeyGroup;

std::int32_t heightOf(const Group* g) { return g == nullptr ? 0 : g->height; }
std::int32_t totalOf(const Group* g) { return g == nullptr ? 0 : g->total; }

void refresh(Group* g) {
  g->height = 1 + std::max(heightOf(g->left), heightOf(g->right));
  g->total = g->count + totalOf(g->left) + totalOf(g->right);
}

Group* rotateRight(Group* g) {
  Group* l = g->left;
  g->left = l->right;
  l->right = g;
  refresh(g);
  refresh(l);
  return l;
}

Group* rotateLeft(Group* g) {
  Group* r = g->right;
  g->right = r->left;
  r->left = g;
  refresh(g);
  refresh(r);
  return r;
}

// Restores the AVL balance at g after one of its subtrees changed height by one.
Group* rebalance(Group* g) {
  refresh(g);
  const std::int32_t balance = heightOf(g->left) - heightOf(g->right);
  if (balance > 1) {
    if (heightOf(g->left->left) < heightOf(g->left->right)) g->left = rotateLeft(g->left);
    return rotateRight(g);
  }
  if (balance < -1) {
    if (heightOf(g->right->right) < heightOf(g->right->left)) g->right = rotateRight(g->right);
    return rotateLeft(g);
  }
  return g;
}

// Restores the balance at g, whose subtrees are sound, and reports whether the height of the
// subtree changed from the one g recorded.
Group* settle(Group* g, bool& heightChanged) {
  const std::int32_t before = g->height;
  g = rebalance(g);
  heightChanged = g->height != before;
  return g;
}

// The recursions below go as deep as the tree is high: below 45 levels for 2^31 keys. Each
// settles the nodes on its path only while the height below them changes, and otherwise just
// corrects their totals.
Group* insertGroup(Group* root, Group* fresh, bool& taller) {
  if (root == nullptr) {
    fresh->left = fresh->right = nullptr;
    refresh(fresh);
    taller = true;
    return fresh;
  }
  root->total += fresh->count;
  Group*& side = fresh->key < root->key ? root->left : root->right;
  side = insertGroup(side, fresh, taller);
  return taller ? settle(root, taller) : root;
}

Group* detachSmallest(Group* root, Group*& smallest, bool& shorter) {
  if (root->left == nullptr) {
    smallest = root;
    shorter = true;
    return root->right;
  }
  root->left = detachSmallest(root->left, smallest, shorter);
  if (shorter) return settle(root, shorter);
  root->total -= smallest->count;
  return root;
}

// Deletes the node of `key`, which must be in the tree and hold `count` resources.
Group* eraseGroup(Group* root, std::int32_t key, std::int32_t count, bool& shorter) {
  if (key != root->key) {
    Group*& side = key < root->key ? root->left : root->right;
    side = eraseGroup(side, key, count, shorter);
    if (shorter) return settle(root, shorter);
    root->total -= count;
    return root;
  }
  Group* left = root->left;
  Group* right = root->right;
  const std::int32_t height = root->height;
  delete root;
  if (right == nullptr) {
    shorter = true;
    return left;
  }
  Group* successor = nullptr;
  right = detachSmallest(right, successor, shorter);
  successor->left = left;
  successor->right = right;
  successor->height = height;  // it takes the deleted node's place
  return settle(successor, shorter);
}

// Changes the count of the group of `key`, which must be in the tree, and the totals above it.
void addToCount(Group* root, std::int32_t key, std::int32_t delta) {
  for (Group* g = root; g != nullptr;) {
    g->total += delta;
    if (key < g->key) {
      g = g->left;
    } else if (key > g->key) {
      g = g->right;
    } else {
      g->count += delta;
      return;
    }
  }
}

void deleteGroups(Group* g) {
  if (g == nullptr) return;
  deleteGroups(g->left);
  deleteGroups(g->right);
  delete g;
}

KtResource* resourceIn(const KtSListCell* cell) { return KtResource::castDown(cell->pObject()); }

// Orders cells by the address of their objects, so that equal pointers end up side by side.
class AddressSort : public KtSListSort {
 protected:
  int virtualCompare(KtSListCell* a, KtSListCell* b) override {
    const auto x = reinterpret_cast<std::uintptr_t>(a->pObject());
    const auto y = reinterpret_cast<std::uintptr_t>(b->pObject());
    return x < y ? -1 : x > y ? 1 : 0;
  }
  void virtualDebugOutputElement(KtSListCell*) override {}
};

// The check of checkInvariants for the subtree g: keys ascending, heights, balance and totals
// right, and each group the next run of `count` cells of its key from `cursor` on.
bool groupsAreSound(const Group* g, const KtSListCell*& cursor, const Group*& previous) {
  if (g == nullptr) return true;
  if (!groupsAreSound(g->left, cursor, previous)) return false;
  if (previous != nullptr && previous->key >= g->key) return false;
  if (g->count < 1 || g->first != cursor) return false;
  const KtSListCell* last = nullptr;
  for (std::int32_t i = 0; i < g->count; ++i) {
    if (cursor == nullptr || resourceIn(cursor)->sortKey() != g->key) return false;
    last = cursor;
    cursor = cursor->pNextSListCell();
  }
  if (g->last != last) return false;
  previous = g;
  if (!groupsAreSound(g->right, cursor, previous)) return false;
  const std::int32_t balance = heightOf(g->left) - heightOf(g->right);
  return g->height == 1 + std::max(heightOf(g->left), heightOf(g->right)) && balance >= -1 &&
         balance <= 1 && g->total == g->count + totalOf(g->left) + totalOf(g->right);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// KtResource

KtResource::~KtResource() {}

void KtResource::KtResourcedeepCopy(const KtResource& source) {
  KtObjectdeepCopy(source);
  if (resourceDB_ == nullptr) resourceDB_ = source.resourceDB_;
}

void KtResource::KtResourceattributeCopy(const KtResource& source) {
  KtObjectattributeCopy(source);
  if (resourceDB_ == nullptr) resourceDB_ = source.resourceDB_;
}

std::int32_t KtResource::index() const { return listed_ ? resourceDB_->index(this) : -1; }

void KtResource::cleanup() {
  // A free resource, held or not, or a copy of a listed one, asks nothing of a database that may
  // be gone.
  if (!listed_) return;
  KtResourceDB::Place place;
  if (resourceDB_->search(this, place, true)) resourceDB_->unlinkListed(place);
}

// ---------------------------------------------------------------------------------------------
// KtResourceDB

KtResourceDB::KtResourceDB()
    : fileSupportList_(nullptr), defaultResource_(nullptr), keyIndex_(nullptr) {}

KtResourceDB::~KtResourceDB() { empty(); }

KtResourceKeyGroup* KtResourceDB::findGroup(std::int32_t key) const {
  Group* g = keyIndex_;
  while (g != nullptr && g->key != key) g = key < g->key ? g->left : g->right;
  return g;
}

int KtResourceDB::search(const KtResource* r, Place& place, bool identical) const {
  const std::int32_t key = r->sortKey();
  const Group* smaller = nullptr;  // the group of the next smaller key
  Group* group = nullptr;
  std::int32_t before = 0;  // resources with smaller keys
  for (Group* g = keyIndex_; g != nullptr;) {
    if (key < g->key) {
      g = g->left;
    } else if (key > g->key) {
      before += totalOf(g->left) + g->count;
      smaller = g;
      g = g->right;
    } else {
      before += totalOf(g->left);
      group = g;
      if (g->left != nullptr) {
        smaller = g->left;
        while (smaller->right != nullptr) smaller = smaller->right;
      }
      break;
    }
  }
  KtSListCell* previous = smaller == nullptr ? nullptr : smaller->last;
  place.group = group;
  place.previous = nullptr;
  place.position = -1;
  if (group == nullptr) {
    place.cell = previous;
    return 0;
  }
  KtSListCell* cell = group->first;
  for (std::int32_t i = 0; i < group->count; ++i) {
    const KtResource* listed = resourceIn(cell);
    if (identical ? listed == r : r->isEqual(listed) != 0) {
      place.cell = cell;
      place.previous = previous;
      place.position = before + i + 1;
      return 1;
    }
    previous = cell;
    cell = cell->pNextSListCell();
  }
  place.cell = group->last;
  return 0;
}

int KtResourceDB::link(KtResource* r, const Place& place) {
  Group* fresh = nullptr;
  if (place.group == nullptr) {
    fresh = new (std::nothrow) Group;
    if (fresh == nullptr) return 0;
  }
  KtSListCell* cell = resourceList_.addObject(place.cell, r);
  if (cell == nullptr) {
    delete fresh;
    return 0;
  }
  if (fresh == nullptr) {
    // A run of equal keys grows at its end: equal keys keep their order of insertion.
    place.group->last = cell;
    addToCount(keyIndex_, place.group->key, 1);
  } else {
    fresh->first = fresh->last = cell;
    fresh->key = r->sortKey();
    fresh->count = 1;
    bool taller = false;
    keyIndex_ = insertGroup(keyIndex_, fresh, taller);
  }
  return 1;
}

void KtResourceDB::unlinkListed(const Place& place) {
  Group* group = place.group;
  KtSListCell* cell = place.cell;
  KtResource* r = resourceIn(cell);
  if (group->count == 1) {
    bool shorter = false;
    keyIndex_ = eraseGroup(keyIndex_, group->key, 1, shorter);
  } else {
    if (group->first == cell) group->first = cell->pNextSListCell();
    if (group->last == cell) group->last = place.previous;
    addToCount(keyIndex_, group->key, -1);
  }
  resourceList_.discardNextCell(place.previous);
  if (defaultResource_ == r) defaultResource_ = nullptr;
  r->refCount(0);
  r->listed_ = false;
}

const KtResource* KtResourceDB::iInsert(const KtResource* r) {
  if (r == nullptr) return nullptr;
  KtResource* given = const_cast<KtResource*>(r);
  const bool fresh = !given->listed_ && given->refCount_ == 0;
  Place place;
  if (search(r, place, false)) {
    KtResource* listed = resourceIn(place.cell);
    // A fresh resource is never the listed one.
    if (fresh) delete given;
    listed->incrementRefCount();
    return listed;
  }
  // A resource that someone holds or lists stays theirs: a clone of it is listed instead.
  KtResource* listed = fresh ? given : KtResource::castDown(given->cloneObject());
  if (listed == nullptr) return nullptr;
  if (!link(listed, place)) {
    if (listed != given) delete listed;
    return nullptr;
  }
  listed->resourceDB_ = this;
  listed->listed_ = true;
  listed->incrementRefCount();
  return listed;
}

KtResource* KtResourceDB::iRemove(const KtResource* r) {
  if (r == nullptr) return nullptr;
  KtResource* given = const_cast<KtResource*>(r);
  // Whoever holds a free resource, it is the caller's; one that another database lists is not.
  if (!given->listed_) return given;
  if (given->resourceDB_ != this) return nullptr;
  Place place;
  if (!search(r, place, true)) return given;
  const std::int32_t count = given->refCount_;
  given->decrementRefCount();
  if (given->refCount_ > 0) {
    KtResource* copy = KtResource::castDown(given->cloneObject());
    if (copy == nullptr) given->refCount_ = count;
    return copy;
  }
  unlinkListed(place);
  return given;
}

int KtResourceDB::iMakePermanent(const KtResource* r) {
  Place place;
  if (r == nullptr || !search(r, place, false)) return 0;
  KtResource* listed = resourceIn(place.cell);
  if (listed->refCount_ < KT_RESOURCE_PERMANENT) listed->refCount_ += KT_RESOURCE_PERMANENT;
  return 1;
}

int KtResourceDB::makeTransientAt(const Place& place) {
  KtResource* listed = resourceIn(place.cell);
  if (!listed->permanent()) return 0;
  listed->refCount_ -= KT_RESOURCE_PERMANENT;
  if (listed->refCount_ > 0) return 0;
  unlinkListed(place);
  delete listed;
  return 1;
}

int KtResourceDB::iMakeTransient(const KtResource* r) {
  Place place;
  if (r == nullptr || !search(r, place, false)) return 0;
  makeTransientAt(place);
  return 1;
}

void KtResourceDB::makeAllPermanent() {
  for (KtSListCell* cell = resourceList_.pFirstSListCell(); cell != nullptr;
       cell = cell->pNextSListCell()) {
    KtResource* listed = resourceIn(cell);
    if (listed->refCount_ < KT_RESOURCE_PERMANENT) listed->refCount_ += KT_RESOURCE_PERMANENT;
  }
}

void KtResourceDB::makeAllTransient() {
  KtSListCell* previous = nullptr;
  KtSListCell* next = nullptr;
  for (KtSListCell* cell = resourceList_.pFirstSListCell(); cell != nullptr; cell = next) {
    next = cell->pNextSListCell();
    const KtResource* listed = resourceIn(cell);
    // A resource deleted here leaves the same cell before the next one.
    if (listed->permanent() &&
        makeTransientAt(Place{cell, previous, findGroup(listed->sortKey()), -1}))
      continue;
    previous = cell;
  }
}

int KtResourceDB::copyPermanent(const KtResourceDB* other) {
  if (other == nullptr || other == this) return 0;
  int complete = 1;
  for (const KtSListCell* cell = other->resourceList_.pFirstSListCell(); cell != nullptr;
       cell = cell->pNextSListCell()) {
    const KtResource* source = resourceIn(cell);
    if (!source->permanent()) continue;
    KtResource* listed = const_cast<KtResource*>(iInsert(source));
    if (listed == nullptr) {
      complete = 0;
      continue;
    }
    if (listed->refCount_ < KT_RESOURCE_PERMANENT) listed->refCount_ += KT_RESOURCE_PERMANENT;
    // Permanence keeps the copy; the hold insert counted has no holder.
    listed->decrementRefCount();
  }
  return complete;
}

const KtResource* KtResourceDB::pDefaultResource() {
  if (defaultResource_ == nullptr) {
    KtResource* fresh = vNewResource();
    KtResource* listed = const_cast<KtResource*>(iInsert(fresh));
    if (listed == nullptr) {
      delete fresh;
      return nullptr;
    }
    // The database holds its default once itself (given back by empty) and keeps it permanent.
    if (listed->refCount_ < KT_RESOURCE_PERMANENT) listed->refCount_ += KT_RESOURCE_PERMANENT;
    defaultResource_ = listed;
  }
  return defaultResource_;
}

std::int32_t KtResourceDB::iIndex(const KtResource* r) const {
  Place place;
  return r != nullptr && search(r, place, true) ? place.position : -1;
}

void KtResourceDB::empty() {
  // Giving back the default's hold and making everything transient would delete the resources
  // nobody holds, and the rest goes anyway: every resource is deleted, in list order. All are
  // taken out first, so that no destructor meets a half-empty list.
  defaultResource_ = nullptr;
  KtSList left;
  left.transferList(nullptr, &resourceList_);
  deleteGroups(keyIndex_);
  keyIndex_ = nullptr;
  for (KtSListCell* cell = left.pFirstSListCell(); cell != nullptr; cell = cell->pNextSListCell()) {
    KtResource* listed = resourceIn(cell);
    listed->refCount_ = 0;
    listed->listed_ = false;
    delete listed;
  }
  delete fileSupportList_;
  fileSupportList_ = nullptr;
}

void KtResourceDB::preFileSupport() {
  delete fileSupportList_;
  fileSupportList_ = new (std::nothrow) KtSList;
}

std::int32_t KtResourceDB::insertForFileSupport(const KtResource* r, int force) {
  if (fileSupportList_ == nullptr || r == nullptr) return -1;
  if (force == 0) {
    const std::int32_t position = fileSupportList_->positionOfObject(r);
    if (position > 0) return position - 1;
  }
  if (fileSupportList_->appendObject(const_cast<KtResource*>(r)) == nullptr) return -1;
  return fileSupportList_->length() - 1;
}

const KtResource* KtResourceDB::pFileSupportResource(std::int32_t index) const {
  if (fileSupportList_ == nullptr || index < 0 || index >= fileSupportList_->length())
    return nullptr;
  return KtResource::castDown(fileSupportList_->pObjectInPosition(index + 1));
}

void KtResourceDB::postFileSupport(int deleteObjects) {
  if (fileSupportList_ == nullptr) return;
  if (deleteObjects != 0) {
    // A resource numbered twice (forced) is deleted once: sorted by address, the copies of a
    // pointer are neighbours.
    AddressSort sort;
    sort.mergeSort(fileSupportList_);
    std::uintptr_t seen = 0;
    for (KtSListCell* cell = fileSupportList_->pFirstSListCell(); cell != nullptr;
         cell = cell->pNextSListCell()) {
      // Only the address of an object already deleted is looked at.
      const auto address = reinterpret_cast<std::uintptr_t>(cell->pObject());
      if (address == 0 || address == seen) continue;
      seen = address;
      KtResource* r = resourceIn(cell);
      if (!r->listed_ && r->refCount_ == 0) delete r;
    }
  }
  delete fileSupportList_;
  fileSupportList_ = nullptr;
}

int KtResourceDB::checkInvariants() const {
  const KtSListCell* cursor = resourceList_.pFirstSListCell();
  const Group* previous = nullptr;
  if (!groupsAreSound(keyIndex_, cursor, previous) || cursor != nullptr) return 0;
  if (totalOf(keyIndex_) != resourceList_.length()) return 0;
  for (cursor = resourceList_.pFirstSListCell(); cursor != nullptr;
       cursor = cursor->pNextSListCell()) {
    const KtResource* r = resourceIn(cursor);
    if (r->resourceDB_ != this || !r->listed_ || r->refCount_ < 1) return 0;
  }
  Place place;
  return defaultResource_ == nullptr || search(defaultResource_, place, true);
}
