// KtIndexHashTable maps signed 64-bit keys to signed 64-bit values: a chained hash table whose
// bucket count is fixed when it is made. Its natural keys are object identifiers (addresses, or
// identifiers handed out 8 apart), hence the divisor: a key goes to bucket
// |key / divisor| mod hashTableSize (the quotient truncated toward zero), so that keys spaced by
// the divisor fill consecutive buckets.
//
// Contract. update(key, value) stores or replaces; lookup answers the stored value, or
// errorValue for a key never stored. Entries are never removed one by one, and the table never
// rehashes. The table also keeps the largest key and the largest value ever stored (both start
// at 0 and never decrease, also when a value is overwritten by a smaller one). It owns its
// bucket array and entries; the copy constructor, operator=, copyObject and cloneObject make a
// table with the source's settings and entries, copyAttributes and the attribute copy one with
// the source's settings and no entries.
//
// Settings that would make the bucket rule meaningless are mended when the table is made: a
// hashTableSize below 1 is taken as 1, a divisor of 0 as 1. Memory is never reported: when the
// bucket array cannot be had the table holds nothing and answers errorValue, and an update that
// cannot get memory for a new entry stores nothing.
//
// Beside the table stand the free functions that choose table sizes from a fixed table of 31
// primes (2 to 160201) and two small numeric helpers.
#ifndef KTBASE_CONTAINERS_HASH_TABLE_H
#define KTBASE_CONTAINERS_HASH_TABLE_H

#include <cstdint>

#include "ktbase/core/object.h"

// One entry: a key, its value and the next entry of the same bucket (null at the end).
struct KtIndexHash {
  std::int64_t key;
  std::int64_t value;
  KtIndexHash* next;
};

class KtIndexHashTable : public KtObject {
  KT_OBJECT(KtIndexHashTable, KtObject)

 public:
  explicit KtIndexHashTable(std::int32_t hashTableSize = 3, std::int32_t divisor = 8,
                            std::int32_t errorValue = 0);
  ~KtIndexHashTable() override;

  // Stores `value` under `key`, replacing the value stored before, and raises the maxima.
  void update(std::int64_t key, std::int64_t value);
  // The value stored under `key`, or errorValue() when there is none. Inline, being the call
  // that readers and writers of large files make per reference.
  std::int64_t lookup(std::int64_t key) const {
    if (hashTable_ != nullptr)
      for (const KtIndexHash* e = bucketHead(bucketIndex(key)); e != nullptr; e = e->next)
        if (e->key == key) return e->value;
    return errorValue_;
  }

  // The largest value and the largest key stored so far, 0 for an empty table.
  std::int64_t maxValueIndex() const { return maxValueIndex_; }
  std::int64_t maxHashIndex() const { return maxHashIndex_; }
  std::int32_t divisor() const { return divisor_; }
  std::int32_t errorValue() const { return errorValue_; }

  // The table object, one pointer per bucket and one KtIndexHash per entry, in bytes (at most
  // the largest 32-bit value).
  std::int32_t sizeOf() const;
  // Prints nothing; a hook for callers' debug builds.
  void hashStatistics(const char* /*title*/) {}
  // Returns 1 iff the structure is sound: every entry sits in the bucket its key hashes to, no
  // key is stored twice, the maxima bound every key and value, and the entry count is right.
  int checkInvariants() const;

 protected:
  void init();

 private:
  struct EntryBlock;
  friend struct KtIndexHashTableProbe;  // lets the tests check the bucket rule

  static constexpr int kPageShift = 9;  // 512 buckets to a page
  static constexpr std::int64_t kPageBuckets = std::int64_t{1} << kPageShift;

  static std::uint64_t magnitude(std::int64_t v) {
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  }
  // The number of pages of `size` buckets, and the number of buckets in page `page`.
  static std::int32_t pageCount(std::int32_t size);
  static std::int64_t bucketsInPage(std::int32_t size, std::int64_t page);

  // The bucket index of `key`; bucketIndex is its inline form for the table's own use.
  std::int64_t hash(std::int64_t key) const;
  std::int64_t bucketIndex(std::int64_t key) const;
  KtIndexHash* hashTable() const { return hashTable_; }
  std::int32_t hashTableSize() const { return hashTableSize_; }
  std::int64_t maxValueIndex(std::int64_t value) { return maxValueIndex_ = value; }
  std::int64_t maxHashIndex(std::int64_t key) { return maxHashIndex_ = key; }
  // Frees every entry and the buckets: size 0, maxima 0, divisor 1.
  void empty();
  // Makes room for `size` empty buckets (size 0 when memory runs out) and takes the settings.
  void allocate(std::int32_t size, std::int32_t divisor, std::int32_t errorValue);
  // Marks an empty bucket in its record's `next` (never an entry's address).
  static KtIndexHash* emptyMark() { return reinterpret_cast<KtIndexHash*>(~std::uintptr_t{0}); }
  // The first entry of bucket `index`, null for an empty bucket.
  const KtIndexHash* bucketHead(std::int64_t index) const {
    if (pageReady_[index >> kPageShift] == 0) return nullptr;
    const KtIndexHash* head = &hashTable_[index];
    return head->next != emptyMark() ? head : nullptr;
  }
  // The record of bucket `index`, its page cleared first.
  inline KtIndexHash* bucketRecord(std::int64_t index);
  // An entry from the newest block, or from a new one (newBlock); null when memory runs out.
  inline KtIndexHash* newEntry(std::int64_t key, std::int64_t value, KtIndexHash* next);
  bool newBlock();

  // The buckets. Each bucket's first entry is held in the array itself, so that a lookup whose
  // key heads its chain (most of them, in a table sized for its keys) reads memory once after
  // computing the bucket; the later entries of a chain live in the blocks. An empty bucket has
  // emptyMark() as `next`. The array is not cleared when the table is made: each page of 512
  // buckets is cleared when a key first lands in it, and pageReady_ marks the pages that are (an
  // unready page is never read). So a table sized for a large file costs little to make and to
  // destroy while it holds few keys, and a lookup still finds its bucket at a computed address.
  KtIndexHash* hashTable_;
  std::uint8_t* pageReady_;
  std::int32_t hashTableSize_;
  std::int64_t maxValueIndex_;
  std::int64_t maxHashIndex_;
  std::int32_t divisor_;
  std::int32_t errorValue_;
  // The bucket rule without division instructions on the common path: the divisor's magnitude
  // as a shift when it is a power of two (-1 otherwise), and multipliers that reduce modulo the
  // size, one for quotients below 2^32 and a 128-bit one, in two halves, for the others.
  int divisorShift_;
  std::uint64_t sizeMultiplier32_;
  std::uint64_t sizeMultiplierHigh_;
  std::uint64_t sizeMultiplierLow_;
  // The entries behind the chain heads are carved from blocks that live as long as the table,
  // newest block first: an update costs no allocation most of the time, entries made together
  // lie together, and emptying the table frees a few blocks instead of every entry. entryCount_
  // counts the heads too.
  EntryBlock* blocks_;
  KtIndexHash* nextEntry_;  // the next free entry of the newest block
  KtIndexHash* blockEnd_;
  std::int64_t entryCount_;
};

// |key / divisor| mod size. The quotient's magnitude is taken in unsigned arithmetic, which is
// exact for every key and divisor, -2^63 and -1 included. Where the compiler has 128-bit
// integers, the remainder comes from multiplications by the size's multipliers (exact for every
// 64-bit quotient) rather than from a division.
inline std::int64_t KtIndexHashTable::bucketIndex(std::int64_t key) const {
  std::uint64_t quotient = magnitude(key);
  quotient = divisorShift_ >= 0 ? quotient >> divisorShift_ : quotient / magnitude(divisor_);
  const std::uint64_t size = static_cast<std::uint64_t>(hashTableSize_);
#ifdef __SIZEOF_INT128__
  using U128 = unsigned __int128;
  if (quotient >> 32 == 0)
    return static_cast<std::int64_t>((static_cast<U128>(sizeMultiplier32_ * quotient) * size) >>
                                     64);
  U128 fraction = ((static_cast<U128>(sizeMultiplierHigh_) << 64) | sizeMultiplierLow_) * quotient;
  U128 low = (static_cast<U128>(static_cast<std::uint64_t>(fraction)) * size) >> 64;
  U128 high = static_cast<U128>(static_cast<std::uint64_t>(fraction >> 64)) * size;
  return static_cast<std::int64_t>((low + high) >> 64);
#else
  return static_cast<std::int64_t>(quotient % size);
#endif
}

// The smallest prime of the table greater than n; 0 when n >= 160201.
std::int32_t nextPrimeNumber(std::int32_t n);
// The largest prime of the table less than n; 0 when n <= 2.
std::int32_t prevPrimeNumber(std::int32_t n);
// Euclid's algorithm on |a| and |b|: the other magnitude when one is 0, 0 for (0, 0). The one
// result that does not fit in 32 bits, 2^31 (from -2^31 with 0 or with itself), comes back
// wrapped, as -2^31.
std::int32_t greatestCommonDivisor(std::int32_t a, std::int32_t b);
// 32767, the largest number the C runtime's rand() is guaranteed to reach.
std::int32_t maxRandomNumber();

#endif  // KTBASE_CONTAINERS_HASH_TABLE_H
