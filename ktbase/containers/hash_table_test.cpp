#include "ktbase/containers/hash_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <unordered_map>
#include <vector>

// The table's friend: the bucket rule is private, and these tests check it.
struct KtIndexHashTableProbe {
  static std::int64_t bucket(const KtIndexHashTable& table, std::int64_t key) {
    return table.hash(key);
  }
  static std::int32_t size(const KtIndexHashTable& table) { return table.hashTableSize(); }
  // The keys of bucket b's chain, head first.
  static std::vector<std::int64_t> chain(const KtIndexHashTable& table, std::int64_t b) {
    std::vector<std::int64_t> keys;
    for (const KtIndexHash* e = table.bucketHead(b); e != nullptr; e = e->next)
      keys.push_back(e->key);
    return keys;
  }
};

namespace {

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

std::int64_t bucket(const KtIndexHashTable& table, std::int64_t key) {
  return KtIndexHashTableProbe::bucket(table, key);
}

TEST(IndexHashTableTest, BucketRule) {
  KtIndexHashTable table;  // 3 buckets, divisor 8
  EXPECT_EQ(bucket(table, 0), 0);
  EXPECT_EQ(bucket(table, 8), 1);
  EXPECT_EQ(bucket(table, 16), 2);
  EXPECT_EQ(bucket(table, 24), 0);
  for (int key = 1; key <= 7; ++key) EXPECT_EQ(bucket(table, key), 0) << key;
  EXPECT_EQ(bucket(table, -8), 1);
  EXPECT_EQ(bucket(table, -15), 1);  // the quotient truncates toward zero
  EXPECT_EQ(bucket(table, kMin64), (std::uint64_t{1} << 60) % 3);

  // Settings that would divide by zero are mended; the extreme quotient does not overflow.
  KtIndexHashTable zero(0, 0, -1);
  EXPECT_EQ(KtIndexHashTableProbe::size(zero), 1);
  EXPECT_EQ(zero.divisor(), 1);
  EXPECT_EQ(bucket(zero, kMin64), 0);
  KtIndexHashTable negative(-5, -1);
  EXPECT_EQ(KtIndexHashTableProbe::size(negative), 1);
  negative.update(kMin64, 1);
  negative.update(kMax64, 2);
  EXPECT_EQ(negative.lookup(kMin64), 1);
  EXPECT_EQ(negative.lookup(kMax64), 2);
  KtIndexHashTable seven(7, kMin32);
  EXPECT_EQ(bucket(seven, kMin64), (std::uint64_t{1} << 32) % 7);
  EXPECT_EQ(bucket(seven, -(std::int64_t{1} << 31) + 1), 0);
  EXPECT_TRUE(negative.checkInvariants());

  // Against plain arithmetic, for keys of every magnitude, sizes around a page of buckets and
  // beyond a million, and divisors of both signs, powers of two or not.
  auto magnitude = [](std::int64_t v) {
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  };
  std::mt19937_64 random(5);
  for (std::int32_t size : {1, 2, 3, 7, 511, 512, 513, 1000003, 4194319}) {
    for (std::int32_t divisor : {1, 8, -8, 3, -7, kMin32, 1 << 30, 2147483647}) {
      KtIndexHashTable table(size, divisor);
      for (int i = 0; i < 300; ++i) {
        std::int64_t key = static_cast<std::int64_t>(random() >> (random() % 64));
        if (i % 2 == 1) key = -key;
        if (i == 0) key = kMin64;
        std::uint64_t expected =
            magnitude(key) / magnitude(divisor) % static_cast<std::uint64_t>(size);
        ASSERT_EQ(bucket(table, key), static_cast<std::int64_t>(expected))
            << "key " << key << ", size " << size << ", divisor " << divisor;
      }
    }
  }
}

TEST(IndexHashTableTest, UpdateLookupMaximaAndSize) {
  KtIndexHashTable table(3, 8, -1);
  const std::int32_t empty = table.sizeOf();
  EXPECT_EQ(empty, static_cast<std::int32_t>(sizeof(KtIndexHashTable) + 3 * sizeof(void*)));
  EXPECT_EQ(table.lookup(0), -1);  // errorValue, sign-extended
  EXPECT_EQ(table.maxHashIndex(), 0);
  EXPECT_EQ(table.maxValueIndex(), 0);

  table.update(16, 100);
  table.update(16, 5);  // replaces, keeps one entry
  EXPECT_EQ(table.lookup(16), 5);
  EXPECT_EQ(table.sizeOf(), empty + static_cast<std::int32_t>(sizeof(KtIndexHash)));
  EXPECT_EQ(table.maxValueIndex(), 100);  // never decreases
  EXPECT_EQ(table.maxHashIndex(), 16);
  table.update(-40, 7);
  table.update(1, 3);  // shares bucket 0 with key 0 but is another key
  EXPECT_EQ(table.maxHashIndex(), 16);
  EXPECT_EQ(table.lookup(-40), 7);
  EXPECT_EQ(table.lookup(1), 3);
  EXPECT_EQ(table.lookup(0), -1);
  EXPECT_EQ(table.lookup(-16), -1);
  EXPECT_EQ(table.sizeOf(), empty + 3 * static_cast<std::int32_t>(sizeof(KtIndexHash)));
  table.update(-40, -9);  // a key below the maximum is found and replaced, not added again
  EXPECT_EQ(table.lookup(-40), -9);
  EXPECT_EQ(table.sizeOf(), empty + 3 * static_cast<std::int32_t>(sizeof(KtIndexHash)));
  EXPECT_TRUE(table.checkInvariants());
}

// Seeded runs of updates and lookups, mirrored on std::unordered_map, with negative keys and
// keys spaced by 8 as identifiers are, on tables from one bucket to many and several divisors.
TEST(IndexHashTableTest, AgainstUnorderedMap) {
  struct Setting {
    std::int32_t size, divisor;
  };
  const Setting settings[] = {{1, 8},   {3, 8}, {113, 8},   {1657, 1},
                              {53, -3}, {7, 7}, {10007, 8}, {1000003, 8}};
  std::mt19937_64 random(20261206);
  for (const Setting& setting : settings) {
    SCOPED_TRACE(::testing::Message()
                 << "size " << setting.size << ", divisor " << setting.divisor);
    KtIndexHashTable table(setting.size, setting.divisor, 0);
    std::unordered_map<std::int64_t, std::int64_t> model;
    std::int64_t maxKey = 0, maxValue = 0;
    std::int64_t nextIdentifier = -4000;
    auto anyKey = [&]() -> std::int64_t {
      switch (random() % 4) {
        case 0:
          return nextIdentifier += 8;  // handed out in increasing order
        case 1:
          return (static_cast<std::int64_t>(random() % 1000) - 500) * 8;
        case 2:
          return static_cast<std::int64_t>(random() % 200) - 100;
        default:
          return static_cast<std::int64_t>(random());  // any 64-bit value
      }
    };
    for (int step = 0; step < 4000; ++step) {
      std::int64_t key = anyKey();
      if (random() % 3 != 0) {
        std::int64_t value = static_cast<std::int64_t>(random() % 2001) - 1000;
        table.update(key, value);
        model[key] = value;
        maxKey = std::max(maxKey, key);
        maxValue = std::max(maxValue, value);
      }
      auto found = model.find(key);
      ASSERT_EQ(table.lookup(key), found == model.end() ? 0 : found->second) << "key " << key;
      ASSERT_EQ(table.maxHashIndex(), maxKey);
      ASSERT_EQ(table.maxValueIndex(), maxValue);
      if (step % 500 == 0) {
        ASSERT_TRUE(table.checkInvariants());
      }
    }
    ASSERT_TRUE(table.checkInvariants());
    for (const auto& [key, value] : model) {
      ASSERT_EQ(table.lookup(key), value);
    }
    ASSERT_EQ(table.sizeOf() - KtIndexHashTable(setting.size).sizeOf(),
              static_cast<std::int32_t>(model.size() * sizeof(KtIndexHash)));
  }
}

// New entries go to the front of their chain, an update of a stored key leaves the order as it
// is, and a deep copy re-stores each chain from head to tail, so its chains come out reversed.
TEST(IndexHashTableTest, ChainOrder) {
  using Keys = std::vector<std::int64_t>;
  KtIndexHashTable table(2, 1, -1);
  for (std::int64_t key : {2, 4, 6, 8, 1}) table.update(key, key * 10);
  table.update(4, 7);
  table.update(-6, 60);  // below the largest key: the chain is walked, the key is new
  EXPECT_EQ(KtIndexHashTableProbe::chain(table, 0), (Keys{-6, 8, 6, 4, 2}));
  EXPECT_EQ(KtIndexHashTableProbe::chain(table, 1), (Keys{1}));
  EXPECT_EQ(table.lookup(4), 7);
  EXPECT_EQ(table.lookup(-6), 60);
  KtIndexHashTable copy(table);
  EXPECT_EQ(KtIndexHashTableProbe::chain(copy, 0), (Keys{2, 4, 6, 8, -6}));
  EXPECT_EQ(copy.lookup(2), 20);
  EXPECT_EQ(copy.sizeOf(), table.sizeOf());
  EXPECT_TRUE(table.checkInvariants());
  EXPECT_TRUE(copy.checkInvariants());
}

TEST(IndexHashTableTest, CopiesAreIndependentAndKeepTheMaxima) {
  auto source = std::make_unique<KtIndexHashTable>(5, 8, 42);
  for (std::int64_t key = -80; key <= 800; key += 8) source->update(key, key * 2);
  source->update(800, 1);  // the largest value ever stored no longer is in the table
  ASSERT_EQ(source->maxValueIndex(), 1600);

  KtIndexHashTable deep(*source);
  KtIndexHashTable* clone = source->cloneObject();
  KtIndexHashTable assigned(11, 1, 0);
  assigned.update(5, 5);
  assigned = *source;
  for (const KtIndexHashTable* copy : {&deep, clone, &assigned}) {
    EXPECT_EQ(copy->lookup(800), 1);
    EXPECT_EQ(copy->lookup(-80), -160);
    EXPECT_EQ(copy->lookup(5), 42);
    EXPECT_EQ(copy->maxValueIndex(), 1600);
    EXPECT_EQ(copy->maxHashIndex(), 800);
    EXPECT_EQ(copy->divisor(), 8);
    EXPECT_EQ(copy->sizeOf(), source->sizeOf());
    EXPECT_TRUE(copy->checkInvariants());
  }
  deep.update(-80, 0);
  EXPECT_EQ(source->lookup(-80), -160);

  KtIndexHashTable attributes(*source, KT_ATTRIBUTE_COPY);
  KtIndexHashTable* bare = source->cloneAttributes();
  deep.copyAttributes(source.get());
  for (const KtIndexHashTable* copy : {&attributes, bare, &deep}) {
    EXPECT_EQ(copy->lookup(800), 42);
    EXPECT_EQ(copy->maxValueIndex(), 0);
    EXPECT_EQ(copy->maxHashIndex(), 0);
    EXPECT_EQ(copy->sizeOf(), KtIndexHashTable(5).sizeOf());
  }

  // Copying from itself or from null changes nothing.
  const std::int32_t size = assigned.sizeOf();
  assigned = assigned;
  assigned.copyObject(&assigned);
  assigned.copyObject(nullptr);
  assigned.copyAttributes(&assigned);
  EXPECT_EQ(assigned.sizeOf(), size);
  EXPECT_EQ(assigned.lookup(8), 16);
  delete clone;
  delete bare;
  source.reset();
  EXPECT_EQ(assigned.lookup(8), 16);  // owns its own entries
}

TEST(IndexHashTableTest, PrimesAndNumbers) {
  EXPECT_EQ(nextPrimeNumber(100), 113);
  EXPECT_EQ(nextPrimeNumber(113), 167);
  EXPECT_EQ(nextPrimeNumber(160201), 0);
  EXPECT_EQ(nextPrimeNumber(kMin32), 2);
  EXPECT_EQ(prevPrimeNumber(100), 79);
  EXPECT_EQ(prevPrimeNumber(2), 0);
  EXPECT_EQ(prevPrimeNumber(std::numeric_limits<std::int32_t>::max()), 160201);

  // Walking the table both ways visits the same 31 primes.
  std::vector<std::int32_t> up, down;
  for (std::int32_t p = nextPrimeNumber(0); p != 0; p = nextPrimeNumber(p)) up.push_back(p);
  for (std::int32_t p = prevPrimeNumber(160202); p != 0; p = prevPrimeNumber(p)) down.push_back(p);
  ASSERT_EQ(up.size(), 31u);
  EXPECT_EQ(std::vector<std::int32_t>(down.rbegin(), down.rend()), up);
  for (std::int32_t p : up) {
    for (std::int32_t d = 2; d * d <= p; ++d) EXPECT_NE(p % d, 0) << p;
  }

  EXPECT_EQ(greatestCommonDivisor(-12, 18), 6);
  EXPECT_EQ(greatestCommonDivisor(0, -5), 5);
  EXPECT_EQ(greatestCommonDivisor(0, 0), 0);
  EXPECT_EQ(greatestCommonDivisor(kMin32, 6), 2);
  EXPECT_EQ(greatestCommonDivisor(kMin32, 0), kMin32);  // 2^31, wrapped
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) {
    std::int32_t a = static_cast<std::int32_t>(random() % 20001) - 10000;
    std::int32_t b = static_cast<std::int32_t>(random() % 2001) - 1000;
    ASSERT_EQ(greatestCommonDivisor(a, b), std::gcd(a, b)) << a << ", " << b;
  }
  EXPECT_EQ(maxRandomNumber(), 32767);
}

}  // namespace
