// KtResource and KtResourceDB share values that many graph objects use (a colour, a node shape):
// the database keeps one instance of each distinct value, counts its holders and hands that
// instance out. Concrete kinds derive a resource and its database in pairs (color.h,
// shape_resource.h); KT_RESOURCE_DB, at the end of this file, gives such a database its typed
// operations.
//
// Copy on write. insert(r) returns the listed instance equal to r, with one more holder; a fresh
// r (reference count 0, listed nowhere) is taken over: listed itself, or deleted when an equal
// value is listed already. An r that is held elsewhere (count above 0) is never taken over: a clone
// of it is listed instead. So the caller hands over a fresh resource, allocated with new, and uses
// the returned instance from then on. remove(r) gives one hold back and returns an object that the
// caller owns: while others still hold r, a new clone of it; for the last holder, r itself, no
// longer listed. To change a shared value: remove, change the returned object, insert it, keep
// the result. A listed resource must not change its value: holders get const pointers.
//
// Permanence. A permanent resource carries KT_RESOURCE_PERMANENT on top of its holders, so it
// stays listed without any; makeTransient lifts that and deletes it when nobody holds it. The
// default resource (pDefaultResource) is permanent, and the database holds it once itself.
//
// Ownership. The database owns the listed resources and deletes those left when it is emptied or
// destroyed: holders must not use their instances after that. A resource borrows its database
// and keeps the pointer after it leaves the list (a clone takes its source's); it knows whether
// it is listed, and only a listed resource reaches into its database, so such a pointer may
// outlive the database. Being held does not make a resource listed: a concrete kind may count
// holders of a free resource itself (incrementRefCount). Deleting a listed resource takes it out
// of the list first (cleanup), whoever else held it.
//
// Refusals. remove refuses (returns null, changes nothing) a resource that another database
// lists: that one is not the caller's to own. A resource that no database lists comes back
// unchanged, held or not, so r = db.remove(r) never loses it. When memory runs out insert
// returns null and leaves the argument with the caller, and remove returns null and keeps the
// hold.
//
// Order and cost. The list is sorted by sortKey, and resources with equal keys keep their order
// of insertion; index() is the 1-based place in it. An index of the keys kept beside the list
// finds a key, its place and its neighbours in O(log n); among equal keys the values are compared
// one by one.
//
// File support numbers the resources of a file while it is written or read: between
// preFileSupport and postFileSupport each resource handed to insertForFileSupport gets the
// 0-based position of its first appearance (or a new one when forced). Both the numbering and
// pFileSupportResource walk that list.
#ifndef KTBASE_RESOURCES_RESOURCE_H
#define KTBASE_RESOURCES_RESOURCE_H

#include <cstdint>

#include "ktbase/containers/slist.h"
#include "ktbase/core/object.h"

class KtResourceDB;
struct KtResourceKeyGroup;  // a node of the key index (resource.cpp)

// Added to the reference count while a resource is permanent.
#define KT_RESOURCE_PERMANENT (static_cast<std::int32_t>(0x3FFFFFFF))

class KtResource : public KtObject {
  KT_OBJECT_CAST(KtResource)
  KT_OBJECT_COPY(KtResource)
  KT_OBJECT_ASSIGN(KtResource)

 public:
  KtResource(const KtResource&) = delete;
  ~KtResource() override;

  // The number of holders, plus KT_RESOURCE_PERMANENT while permanent; 0 for a free resource.
  std::int32_t refCount() const { return refCount_; }
  int permanent() const { return refCount_ >= KT_RESOURCE_PERMANENT; }
  // The database that lists (or listed) this resource, or that its source belonged to; null for
  // a resource made without one.
  KtResourceDB* pResourceDB() const { return resourceDB_; }
  // The 1-based place in the database's list; -1 when not listed.
  std::int32_t index() const;

  // Slot 9: orders resources; equal values have equal keys.
  virtual std::int32_t sortKey() const = 0;
  // Slot 10: returns 1 iff `other` holds the same value (0 for null).
  virtual int isEqual(const KtResource* other) const = 0;

 protected:
  // A free resource that names `db` as its database; not listed.
  explicit KtResource(KtResourceDB* db = nullptr) : refCount_(0), listed_(false), resourceDB_(db) {}
  void init() {
    refCount_ = 0;
    listed_ = false;
    resourceDB_ = nullptr;
  }
  void incrementRefCount() { ++refCount_; }
  // Does nothing at exactly KT_RESOURCE_PERMANENT: the last hold of a permanent resource stays.
  void decrementRefCount() {
    if (refCount_ != KT_RESOURCE_PERMANENT) --refCount_;
  }
  // Takes the resource out of its database's list, whoever holds it. Every concrete resource's
  // destructor calls it first.
  void cleanup();

 private:
  friend class KtResourceDB;
  std::int32_t refCount(std::int32_t count) { return refCount_ = count; }

  std::int32_t refCount_;
  // Set while resourceDB_'s list holds this resource; never copied.
  bool listed_;
  KtResourceDB* resourceDB_;
};

class KtResourceDB : public KtObject {
  KT_OBJECT_CAST(KtResourceDB)

 public:
  KtResourceDB();
  KtResourceDB(const KtResourceDB&) = delete;
  // empty(), then nothing is left.
  ~KtResourceDB() override;

  // The pool operations (see the top of this file). insert(null) and remove(null) give null;
  // remove of a resource that no database lists returns it unchanged, whoever holds it, and
  // refuses one that another database lists.
  const KtResource* insert(const KtResource* r) { return iInsert(r); }
  KtResource* remove(const KtResource* r) { return iRemove(r); }

  // Make the listed resource equal to r permanent, respectively lift its permanence and delete it
  // when nobody holds it. Return 1 iff an equal resource is listed.
  int makePermanent(const KtResource* r) { return iMakePermanent(r); }
  int makeTransient(const KtResource* r) { return iMakeTransient(r); }
  // The same for every listed resource, in list order.
  void makeAllPermanent();
  void makeAllTransient();

  // Lists a copy of every permanent resource of `other` here, permanent and without holders.
  // Refuses (returns 0) a null database or this one; returns 0 as well when memory ran out for
  // some of them, else 1.
  int copyPermanent(const KtResourceDB* other);

  // The listed, permanent default instance, made by vNewResource on the first call; null only
  // when memory runs out.
  const KtResource* pDefaultResource();

  // The 1-based place of the resource r itself in the list; -1 for null or when not listed.
  std::int32_t index(const KtResource* r) const { return iIndex(r); }

  // Deletes every listed resource, held or not, in list order, forgets the default and deletes
  // the file-support list (not its resources). The database can be filled again.
  void empty();

  // ---- File support.
  // Starts an empty file-support list (deleting the cells of one left over).
  void preFileSupport();
  // The 0-based number of r: with force 0 the number r already has, else a new one at the end.
  // -1 for null, without a file-support list, or when memory runs out.
  std::int32_t insertForFileSupport(const KtResource* r, int force);
  // The resource numbered `index`; null out of range or without a file-support list.
  const KtResource* pFileSupportResource(std::int32_t index) const;
  // Deletes the file-support list; with deleteObjects non-zero first each distinct resource in
  // it once, except those still held (reference count above 0), which belong to a database.
  void postFileSupport(int deleteObjects);
  // pResourceListForFileSupport() reads the file-support list (null outside file operations).
  // pResourceListForFileSupport(list) stores `list`, which the database owns from then on, and
  // returns it; a list held before goes back to the caller, who reads it first.
  KtSList* pResourceListForFileSupport() const { return fileSupportList_; }
  KtSList* pResourceListForFileSupport(KtSList* list) { return fileSupportList_ = list; }

  // Returns 1 iff the list is sorted by key and every listed resource names this database, knows
  // it is listed and is held, the key index matches the list (groups, counts, balance), and the
  // default is listed.
  // Linear time; for tests.
  int checkInvariants() const;

 protected:
  // Slot 9: a new resource of the database's kind holding the default value, owned by the caller
  // (null when memory runs out).
  virtual KtResource* vNewResource() = 0;

 private:
  friend class KtResource;          // cleanup unlists through unlinkListed
  friend struct KtResourceDBProbe;  // lets the tests read the list

  // Where a resource is, or would go, in the list.
  struct Place {
    KtSListCell* cell;          // the hit, or the cell after which the key belongs (null: front)
    KtSListCell* previous;      // the cell before the hit (null: it is first)
    KtResourceKeyGroup* group;  // the key's group, null when no resource has the key
    std::int32_t position;      // the hit's 1-based place in the list
  };

  // A database is not assigned: this does nothing.
  const KtResourceDB& operator=(const KtResourceDB&) { return *this; }

  const KtSList* pResourceList() const { return &resourceList_; }

  // Returns 1 iff a listed resource is equal to r (the first in list order), or with `identical`
  // iff r itself is listed; `place` then holds the hit. Otherwise place.cell is the cell after
  // which a resource with r's key belongs (null for the front).
  int search(const KtResource* r, Place& place, bool identical) const;
  // The group of `key` in the index; null when no resource has that key.
  KtResourceKeyGroup* findGroup(std::int32_t key) const;
  // Lists `r` after place.cell, in the group place.group (a new one when null). Returns 0, and
  // changes nothing, when memory runs out.
  int link(KtResource* r, const Place& place);
  const KtResource* iInsert(const KtResource* r);
  KtResource* iRemove(const KtResource* r);
  int iMakePermanent(const KtResource* r);
  int iMakeTransient(const KtResource* r);
  std::int32_t iIndex(const KtResource* r) const;
  // Lifts the permanence of the resource at `place`; when nobody holds it then, unlinks and
  // deletes it and returns 1.
  int makeTransientAt(const Place& place);
  // Takes the cell of a listed resource out of list and index and deletes the cell (not the
  // resource); the default is forgotten if it was that resource. The resource is free then, with
  // the count 0.
  void unlinkListed(const Place& place);

  KtSList resourceList_;
  KtSList* fileSupportList_;
  KtResource* defaultResource_;
  KtResourceKeyGroup* keyIndex_;  // root of the key index, null when nothing is listed
};

// The typed face of a concrete database DB of resources R, declared in its class body: the pool
// operations of KtResourceDB with R for KtResource, and no copy or assignment. Leaves the class
// in private access.
#define KT_RESOURCE_DB(DB, R)                                                           \
  KT_OBJECT_CAST(DB)                                                                    \
                                                                                        \
 public:                                                                                \
  DB(const DB&) = delete;                                                               \
  const R* insert(const R* r) { return R::castDown(KtResourceDB::insert(r)); }          \
  R* remove(const R* r) { return R::castDown(KtResourceDB::remove(r)); }                \
  int copyPermanent(const DB* other) { return KtResourceDB::copyPermanent(other); }     \
  const R* pDefaultResource() { return R::castDown(KtResourceDB::pDefaultResource()); } \
                                                                                        \
 private:                                                                               \
  const DB& operator=(const DB&) { return *this; }

#endif  // KTBASE_RESOURCES_RESOURCE_H
