#include "ktbase/resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

// The database's friend: the list is private, and these tests compare it with a model.
struct KtResourceDBProbe {
  static std::vector<const KtResource*> listed(const KtResourceDB& db) {
    std::vector<const KtResource*> resources;
    for (const KtSListCell* c = db.pResourceList()->pFirstSListCell(); c != nullptr;
         c = c->pNextSListCell())
      resources.push_back(KtResource::castDown(c->pObject()));
    return resources;
  }
};

namespace {

constexpr std::int32_t kPermanent = KT_RESOURCE_PERMANENT;

struct Census {
  int made = 0;       // constructions, clones included
  int cloned = 0;     // copy constructions
  int destroyed = 0;  // destructor runs
  int alive() const { return made - destroyed; }
};

// A resource holding a number; four neighbouring numbers share a key, so that runs of equal keys
// with different values occur. It reports its births, clones and deaths to a census.
class Token : public KtResource {
  KT_OBJECT(Token, KtResource)

 public:
  Token(KtResourceDB* db, Census* census, int value)
      : KtResource(db), census_(census), value_(value) {
    ++census_->made;
  }
  ~Token() override {
    cleanup();
    ++census_->destroyed;
  }
  int value() const { return value_; }
  // A kind may count holders of its own, listed or not.
  void hold() { incrementRefCount(); }
  std::int32_t sortKey() const override { return value_ / 4; }
  int isEqual(const KtResource* other) const override {
    return other != nullptr && other->sortKey() == sortKey() && castDown(other)->value_ == value_;
  }

 protected:
  void init() {
    census_ = nullptr;
    value_ = 0;
  }

 private:
  Census* census_;
  int value_;
};

void Token::TokendeepCopy(const Token& source) {
  KtResource::copyObject(&source);
  census_ = source.census_;
  value_ = source.value_;
  ++census_->made;
  ++census_->cloned;
}

void Token::TokenattributeCopy(const Token& source) { TokendeepCopy(source); }

// Its default is the token 0.
class TokenDB : public KtResourceDB {
 public:
  explicit TokenDB(Census* census) : census_(census) {}

 protected:
  KtResource* vNewResource() override { return new Token(this, census_, 0); }

 private:
  Census* census_;
};

const Token* token(const KtResource* r) { return Token::castDown(r); }

std::vector<int> valuesOf(const KtResourceDB& db) {
  std::vector<int> values;
  for (const KtResource* r : KtResourceDBProbe::listed(db)) values.push_back(token(r)->value());
  return values;
}

// The default, which the model below never asks for: made once, permanent, held once by the
// database itself.
TEST(ResourceDBTest, TheDefault) {
  Census census;
  {
    TokenDB db(&census);
    const KtResource* d = db.pDefaultResource();
    EXPECT_EQ(db.pDefaultResource(), d);
    EXPECT_EQ(token(d)->value(), 0);
    EXPECT_EQ(d->refCount(), kPermanent + 1);
    db.makeAllTransient();
    EXPECT_EQ(d->refCount(), 1);
    db.insert(new Token(&db, &census, 4));
    db.makeAllPermanent();
    // Emptying gives back that hold and deletes held and permanent resources alike; the
    // database can be filled again and makes a new default.
    db.empty();
    EXPECT_EQ(census.alive(), 0);
    const KtResource* again = db.pDefaultResource();
    EXPECT_EQ(again->refCount(), kPermanent + 1);
    // A default that a caller released (more often than taken) and then made transient is
    // deleted: the database forgets it rather than handing out freed memory.
    delete db.remove(again);
    EXPECT_EQ(again->refCount(), kPermanent);
    db.makeAllTransient();
    EXPECT_TRUE(valuesOf(db).empty());
    EXPECT_EQ(db.pDefaultResource()->refCount(), kPermanent + 1);
    EXPECT_EQ(valuesOf(db), (std::vector<int>{0}));
    // It forgets a default deleted while listed as well.
    db.insert(new Token(&db, &census, 5));
    delete db.pDefaultResource();
    EXPECT_EQ(valuesOf(db), (std::vector<int>{5}));
    EXPECT_EQ(db.pDefaultResource()->refCount(), kPermanent + 1);
    EXPECT_EQ(valuesOf(db), (std::vector<int>{0, 5}));
    EXPECT_TRUE(db.checkInvariants());
  }
  EXPECT_EQ(census.alive(), 0);
}

TEST(ResourceDBTest, RefusalsChangeNothing) {
  Census census;
  TokenDB db(&census), other(&census);
  const KtResource* mine = db.insert(new Token(&db, &census, 1));
  const KtResource* theirs = other.insert(new Token(&other, &census, 1));
  const KtResource* elsewhere = other.insert(new Token(&other, &census, 2));
  EXPECT_EQ(db.insert(nullptr), nullptr);
  EXPECT_EQ(db.remove(nullptr), nullptr);
  // A resource another database lists is not handed to this caller, equal value here or not.
  EXPECT_EQ(db.remove(theirs), nullptr);
  EXPECT_EQ(db.remove(elsewhere), nullptr);
  EXPECT_EQ(theirs->refCount(), 1);
  EXPECT_EQ(mine->refCount(), 1);
  EXPECT_EQ(valuesOf(other), (std::vector<int>{1, 2}));
  // A free resource equal to a listed one comes back unchanged.
  Token loose(&db, &census, 1);
  EXPECT_EQ(db.remove(&loose), &loose);
  EXPECT_EQ(mine->refCount(), 1);
  EXPECT_EQ(db.index(&loose), -1);
  EXPECT_EQ(db.index(nullptr), -1);
  EXPECT_EQ(db.index(theirs), -1);
  EXPECT_EQ(db.makePermanent(nullptr), 0);
  EXPECT_EQ(db.makeTransient(nullptr), 0);
  EXPECT_EQ(db.copyPermanent(nullptr), 0);
  EXPECT_EQ(db.copyPermanent(&db), 0);
  // File support without a list, and out of range.
  EXPECT_EQ(db.insertForFileSupport(mine, 0), -1);
  EXPECT_EQ(db.pFileSupportResource(0), nullptr);
  db.postFileSupport(1);
  db.preFileSupport();
  EXPECT_EQ(db.insertForFileSupport(nullptr, 1), -1);
  EXPECT_EQ(db.pFileSupportResource(-1), nullptr);
  EXPECT_EQ(db.pFileSupportResource(0), nullptr);
  db.postFileSupport(0);
  EXPECT_EQ(db.pResourceListForFileSupport(), nullptr);
  EXPECT_TRUE(db.checkInvariants());
  EXPECT_TRUE(other.checkInvariants());
  EXPECT_EQ(census.alive(), 4);
}

// remove gives back whatever no database lists, unchanged, however many hold it, so that
// r = db.remove(r) keeps r; only what another database lists is refused.
TEST(ResourceDBTest, RemoveRefusesOnlyWhatAnotherDatabaseLists) {
  Census census;
  TokenDB db(&census), other(&census);
  const KtResource* listedHere = db.insert(new Token(&db, &census, 5));
  db.insert(listedHere);
  const KtResource* listedThere = other.insert(new Token(&other, &census, 5));
  const std::vector<int> here = valuesOf(db), there = valuesOf(other);

  // Free resources naming no database, this one or the other, held through hold() or not, and
  // one that the other database listed and let go: each comes back itself.
  Token* unlisted = Token::castDown(other.remove(listedThere));
  ASSERT_EQ(unlisted, listedThere);
  std::vector<Token*> free{new Token(nullptr, &census, 5), new Token(&db, &census, 5),
                           new Token(&other, &census, 6), unlisted};
  for (int holds = 0; holds < 3; ++holds) {
    for (Token* t : free) {
      const int destroyed = census.destroyed;
      KtResource* back = db.remove(t);
      EXPECT_EQ(back, t) << "holds " << holds;
      EXPECT_EQ(t->refCount(), holds);
      EXPECT_EQ(t->index(), -1);
      EXPECT_EQ(other.remove(t), t);
      EXPECT_EQ(census.destroyed, destroyed);
      t->hold();
    }
  }
  EXPECT_EQ(valuesOf(db), here);
  EXPECT_TRUE(valuesOf(other).empty());
  EXPECT_EQ(listedHere->refCount(), 2);

  // A held free resource is never taken over by insert: a clone is listed, the original stays.
  const KtResource* copy = other.insert(free[2]);
  EXPECT_NE(copy, free[2]);
  EXPECT_EQ(copy->index(), 1);
  EXPECT_EQ(free[2]->refCount(), 3);
  EXPECT_EQ(free[2]->index(), -1);

  // Listed by another database: refused, nothing changed; this database's own still works.
  const int alive = census.alive();
  EXPECT_EQ(db.remove(copy), nullptr);
  EXPECT_EQ(copy->refCount(), 1);
  EXPECT_EQ(other.index(copy), 1);
  EXPECT_EQ(census.alive(), alive);
  KtResource* mine = db.remove(listedHere);  // two holders: a private copy
  ASSERT_NE(mine, listedHere);
  EXPECT_EQ(census.alive(), alive + 1);
  delete mine;
  const KtResource* last = listedHere;
  last = db.remove(last);  // the last holder gets the instance itself, unlisted
  EXPECT_EQ(last, listedHere);
  EXPECT_EQ(last->index(), -1);
  EXPECT_TRUE(valuesOf(db).empty());
  EXPECT_TRUE(db.checkInvariants());
  EXPECT_TRUE(other.checkInvariants());
  delete last;
  for (Token* t : free) delete t;
  EXPECT_EQ(census.alive(), 1);  // the clone the other database lists
}

// A held resource whose named database is gone is free: nothing reaches into that database.
TEST(ResourceDBTest, HeldFreeResourceOutlivesItsDatabase) {
  Census census;
  Token* orphan = nullptr;
  {
    TokenDB gone(&census);
    orphan = Token::castDown(gone.insert(new Token(&gone, &census, 3))->cloneObject());
    orphan->hold();
  }
  EXPECT_NE(orphan->pResourceDB(), nullptr);
  EXPECT_EQ(orphan->index(), -1);
  TokenDB db(&census);
  EXPECT_EQ(db.remove(orphan), orphan);
  EXPECT_EQ(orphan->refCount(), 1);
  delete orphan;
  EXPECT_EQ(census.alive(), 0);
}

// Permanent resources copied into another database are permanent there and held by nobody, so
// making them transient frees them.
TEST(ResourceDBTest, CopyPermanentLeavesNoHolder) {
  Census census;
  {
    TokenDB source(&census), target(&census);
    const KtResource* kept = source.insert(new Token(&source, &census, 7));
    source.makePermanent(kept);
    source.insert(new Token(&source, &census, 8));  // held, not permanent: not copied
    source.pDefaultResource();
    const KtResource* already = target.insert(new Token(&target, &census, 7));  // one holder
    EXPECT_EQ(target.copyPermanent(&source), 1);
    EXPECT_EQ(valuesOf(target), (std::vector<int>{0, 7}));
    EXPECT_EQ(already->refCount(), kPermanent + 1);
    const KtResource* zero = KtResourceDBProbe::listed(target)[0];
    EXPECT_NE(zero, source.pDefaultResource());
    EXPECT_EQ(zero->refCount(), kPermanent);
    EXPECT_EQ(zero->pResourceDB(), &target);
    EXPECT_EQ(kept->refCount(), kPermanent + 1);  // the source is unchanged

    const int before = census.destroyed;
    target.makeAllTransient();
    EXPECT_EQ(census.destroyed, before + 1);  // the copied 0; 7 keeps its holder
    EXPECT_EQ(valuesOf(target), (std::vector<int>{7}));
    EXPECT_EQ(already->refCount(), 1);
    EXPECT_TRUE(target.checkInvariants());
  }
  EXPECT_EQ(census.alive(), 0);
}

TEST(ResourceDBTest, FileSupport) {
  Census census;
  TokenDB db(&census);
  const KtResource* a = db.insert(new Token(&db, &census, 1));
  const KtResource* b = db.insert(new Token(&db, &census, 2));
  db.preFileSupport();
  EXPECT_EQ(db.insertForFileSupport(b, 0), 0);
  EXPECT_EQ(db.insertForFileSupport(a, 0), 1);
  EXPECT_EQ(db.insertForFileSupport(b, 0), 0);
  EXPECT_EQ(db.insertForFileSupport(b, 1), 2);
  EXPECT_EQ(db.pFileSupportResource(1), a);
  EXPECT_EQ(db.pFileSupportResource(2), b);
  EXPECT_EQ(db.pFileSupportResource(3), nullptr);
  EXPECT_EQ(db.pResourceListForFileSupport()->length(), 3);
  // Listed, held resources are the database's: deleting objects passes them by.
  db.postFileSupport(1);
  EXPECT_EQ(census.alive(), 2);
  EXPECT_EQ(db.pResourceListForFileSupport(), nullptr);

  // Resources read from a file, numbered with duplicates forced: each is deleted once.
  db.preFileSupport();
  db.preFileSupport();  // a second start drops the first list
  Token* read1 = new Token(&db, &census, 30);
  Token* read2 = new Token(&db, &census, 31);
  for (Token* t : {read1, read2, read1, read1, read2}) db.insertForFileSupport(t, 1);
  EXPECT_EQ(db.insertForFileSupport(read1, 0), 0);
  db.insertForFileSupport(a, 1);
  EXPECT_EQ(db.pResourceListForFileSupport()->length(), 6);
  db.postFileSupport(1);
  EXPECT_EQ(census.alive(), 2);
  EXPECT_EQ(a->refCount(), 1);

  // empty() deletes a file-support list left over, not its resources.
  db.preFileSupport();
  db.insertForFileSupport(a, 0);
  db.empty();
  EXPECT_EQ(db.pResourceListForFileSupport(), nullptr);
  EXPECT_EQ(census.alive(), 0);
}

// Seeded runs of inserts, releases, permanence changes and deletions, mirrored on a model of the
// list (runs of equal keys in their order of insertion): after every step the list order, every
// count and index() agree, and the census shows exactly the objects that should live (nothing
// leaks, nothing held is freed).
TEST(ResourceDBTest, AgainstModel) {
  struct Entry {
    int value;
    int holders;
    bool permanent;
    const KtResource* instance;
  };
  for (int range : {12, 64, 4000}) {
    Census census;
    TokenDB db(&census);
    TokenDB other(&census);  // holds the values that are handed in held, for one step
    std::vector<Entry> model;
    std::mt19937 random(static_cast<unsigned>(range));
    auto find = [&](int value) {
      return std::find_if(model.begin(), model.end(),
                          [value](const Entry& e) { return e.value == value; });
    };
    const int steps = range > 1000 ? 20000 : 6000;
    for (int step = 0; step < steps; ++step) {
      const int value = static_cast<int>(random() % static_cast<unsigned>(range));
      const int op = static_cast<int>(random() % 100);
      auto it = find(value);
      const bool listed = it != model.end();
      if (op < 40) {  // a fresh value, a held one from the other database, or the listed one
        const bool held = op < 10, itself = listed && op >= 35;
        const KtResource* given = itself ? it->instance
                                  : held ? other.insert(new Token(&other, &census, value))
                                         : new Token(&db, &census, value);
        const int cloned = census.cloned;
        const KtResource* result = db.insert(given);
        ASSERT_NE(result, nullptr);
        if (listed) {
          ASSERT_EQ(result, it->instance);
          ++it->holders;
          ASSERT_EQ(census.cloned, cloned);
        } else {
          ASSERT_EQ(result == given, !held && !itself);
          ASSERT_EQ(census.cloned, cloned + (held ? 1 : 0));
          auto at = std::find_if(model.begin(), model.end(),
                                 [value](const Entry& e) { return e.value / 4 > value / 4; });
          model.insert(at, Entry{value, 1, false, result});
        }
        if (held) delete other.remove(given);
      } else if (op < 75) {  // a holder lets go; a permanent one also when nobody holds it
        if (!listed) continue;
        const int cloned = census.cloned;
        KtResource* back = db.remove(it->instance);
        ASSERT_NE(back, nullptr);
        ASSERT_EQ(back->refCount(), 0);
        ASSERT_EQ(back->index(), -1);
        ASSERT_EQ(back->pResourceDB(), &db);
        if (it->holders > 0) --it->holders;
        if (it->holders > 0 || it->permanent) {
          ASSERT_NE(back, it->instance);
          ASSERT_EQ(census.cloned, cloned + 1);
          ASSERT_EQ(token(back)->value(), value);
        } else {
          ASSERT_EQ(back, it->instance);
          model.erase(it);
        }
        delete back;
      } else if (op < 85) {
        Token probe(nullptr, &census, value);
        ASSERT_EQ(db.makePermanent(&probe), listed ? 1 : 0);
        if (listed) it->permanent = true;
      } else if (op < 95) {
        Token probe(nullptr, &census, value);
        ASSERT_EQ(db.makeTransient(&probe), listed ? 1 : 0);
        if (listed) {
          it->permanent = false;
          if (it->holders == 0) model.erase(it);
        }
      } else if (op < 97) {  // deleting a listed resource unlists it, whoever holds it
        if (!listed) continue;
        delete it->instance;
        model.erase(it);
      } else if (op < 98) {
        db.makeAllPermanent();
        for (Entry& e : model) e.permanent = true;
      } else {
        db.makeAllTransient();
        model.erase(std::remove_if(model.begin(), model.end(),
                                   [](Entry& e) {
                                     e.permanent = false;
                                     return e.holders == 0;
                                   }),
                    model.end());
      }

      if (range > 1000 && step % 97 != 0) continue;  // the full check is linear
      ASSERT_TRUE(db.checkInvariants()) << "step " << step;
      std::vector<const KtResource*> actual = KtResourceDBProbe::listed(db);
      ASSERT_EQ(actual.size(), model.size()) << "step " << step;
      for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(actual[i], model[i].instance) << "step " << step << ", place " << i;
        ASSERT_EQ(actual[i]->refCount(), model[i].holders + (model[i].permanent ? kPermanent : 0));
        ASSERT_EQ(db.index(actual[i]), static_cast<std::int32_t>(i + 1));
      }
      ASSERT_EQ(census.alive(), static_cast<int>(model.size()));
    }
    db.empty();
    EXPECT_EQ(census.alive(), 0);
  }
}

}  // namespace
