#include "ktbase/containers/hash_table.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

// ---- KtIndexHashTable -----------------------------------------------------------------------

// A block of entries, allocated with malloc and followed in the same allocation by `capacity`
// entries.
struct KtIndexHashTable::EntryBlock {
  EntryBlock* older;
  std::int64_t capacity;
  KtIndexHash* entries() { return reinterpret_cast<KtIndexHash*>(this + 1); }
};

namespace {

// Blocks grow from 32 entries by doubling up to 4096 (96 KB). They hold the entries behind the
// chain heads only.
constexpr std::int64_t kFirstBlockEntries = 32;
constexpr std::int64_t kLargestBlockEntries = 4096;

}  // namespace

std::int32_t KtIndexHashTable::pageCount(std::int32_t size) {
  return static_cast<std::int32_t>((size + kPageBuckets - 1) >> kPageShift);
}

std::int64_t KtIndexHashTable::bucketsInPage(std::int32_t size, std::int64_t page) {
  std::int64_t rest = size - (page << kPageShift);
  return rest < kPageBuckets ? rest : kPageBuckets;
}

std::int64_t KtIndexHashTable::hash(std::int64_t key) const { return bucketIndex(key); }

inline KtIndexHash* KtIndexHashTable::bucketRecord(std::int64_t index) {
  std::int64_t page = index >> kPageShift;
  if (pageReady_[page] == 0) {
    // All bits set: every record's `next` becomes emptyMark().
    std::memset(
        hashTable_ + (page << kPageShift), 0xFF,
        static_cast<std::size_t>(bucketsInPage(hashTableSize_, page)) * sizeof(KtIndexHash));
    pageReady_[page] = 1;
  }
  return &hashTable_[index];
}

bool KtIndexHashTable::newBlock() {
  std::int64_t capacity = blocks_ == nullptr ? kFirstBlockEntries : blocks_->capacity * 2;
  if (capacity > kLargestBlockEntries) capacity = kLargestBlockEntries;
  void* memory =
      std::malloc(sizeof(EntryBlock) + static_cast<std::size_t>(capacity) * sizeof(KtIndexHash));
  if (memory == nullptr) return false;
  blocks_ = new (memory) EntryBlock{blocks_, capacity};
  nextEntry_ = blocks_->entries();
  blockEnd_ = nextEntry_ + capacity;
  return true;
}

inline KtIndexHash* KtIndexHashTable::newEntry(std::int64_t key, std::int64_t value,
                                               KtIndexHash* next) {
  if (nextEntry_ == blockEnd_ && !newBlock()) return nullptr;
  ++entryCount_;
  return new (nextEntry_++) KtIndexHash{key, value, next};
}

KtIndexHashTable::KtIndexHashTable(std::int32_t hashTableSize, std::int32_t divisor,
                                   std::int32_t errorValue) {
  init();
  allocate(hashTableSize, divisor, errorValue);
}

KtIndexHashTable::~KtIndexHashTable() { empty(); }

void KtIndexHashTable::init() {
  hashTable_ = nullptr;
  pageReady_ = nullptr;
  hashTableSize_ = 0;
  maxValueIndex_ = 0;
  maxHashIndex_ = 0;
  divisor_ = 1;
  errorValue_ = 0;
  divisorShift_ = 0;
  sizeMultiplier32_ = 0;
  sizeMultiplierHigh_ = 0;
  sizeMultiplierLow_ = 0;
  blocks_ = nullptr;
  nextEntry_ = nullptr;
  blockEnd_ = nullptr;
  entryCount_ = 0;
}

void KtIndexHashTable::empty() {
  while (blocks_ != nullptr) {
    EntryBlock* older = blocks_->older;
    std::free(blocks_);
    blocks_ = older;
  }
  std::free(hashTable_);
  std::free(pageReady_);
  init();
}

void KtIndexHashTable::allocate(std::int32_t size, std::int32_t divisor, std::int32_t errorValue) {
  if (size < 1) size = 1;
  divisor_ = divisor == 0 ? 1 : divisor;
  errorValue_ = errorValue;
  std::uint64_t divisorMagnitude = magnitude(divisor_);
  divisorShift_ = -1;
  if ((divisorMagnitude & (divisorMagnitude - 1)) == 0)
    for (divisorShift_ = 0; (std::uint64_t{1} << divisorShift_) < divisorMagnitude;)
      ++divisorShift_;
#ifdef __SIZEOF_INT128__
  // About 2^64 / size and 2^128 / size, which turn q mod size into multiplications (exact for
  // every q below 2^32, respectively 2^64).
  unsigned __int128 multiplier =
      ~static_cast<unsigned __int128>(0) / static_cast<unsigned>(size) + 1;
  sizeMultiplier32_ = ~std::uint64_t{0} / static_cast<unsigned>(size) + 1;
  sizeMultiplierHigh_ = static_cast<std::uint64_t>(multiplier >> 64);
  sizeMultiplierLow_ = static_cast<std::uint64_t>(multiplier);
#endif
  hashTable_ =
      static_cast<KtIndexHash*>(std::malloc(static_cast<std::size_t>(size) * sizeof(KtIndexHash)));
  pageReady_ =
      static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(pageCount(size)), 1));
  if (hashTable_ == nullptr || pageReady_ == nullptr) {
    std::free(hashTable_);
    std::free(pageReady_);
    hashTable_ = nullptr;
    pageReady_ = nullptr;
  }
  hashTableSize_ = hashTable_ == nullptr ? 0 : size;
}

// Re-stores the source's entries bucket by bucket; the maxima are the source's, which can exceed
// every stored value after an overwrite.
void KtIndexHashTable::KtIndexHashTabledeepCopy(const KtIndexHashTable& source) {
  KtObjectdeepCopy(source);
  empty();
  allocate(source.hashTableSize_, source.divisor_, source.errorValue_);
  for (std::int64_t b = 0; b < source.hashTableSize_; ++b)
    for (const KtIndexHash* e = source.bucketHead(b); e != nullptr; e = e->next)
      update(e->key, e->value);
  maxValueIndex_ = source.maxValueIndex_;
  maxHashIndex_ = source.maxHashIndex_;
}

void KtIndexHashTable::KtIndexHashTableattributeCopy(const KtIndexHashTable& source) {
  KtObjectattributeCopy(source);
  empty();
  allocate(source.hashTableSize_, source.divisor_, source.errorValue_);
}

void KtIndexHashTable::update(std::int64_t key, std::int64_t value) {
  if (hashTable_ == nullptr) return;
  KtIndexHash* head = bucketRecord(bucketIndex(key));
  if (head->next == emptyMark()) {
    *head = KtIndexHash{key, value, nullptr};
    ++entryCount_;
  } else {
    // A key above every stored key cannot be present: identifiers handed out in increasing order
    // skip the chain walk.
    bool present = false;
    if (key <= maxHashIndex_) {
      for (KtIndexHash* e = head; e != nullptr; e = e->next) {
        if (e->key == key) {
          e->value = value;
          present = true;
          break;
        }
      }
    }
    if (!present) {
      // The new entry goes in front: the old head moves out to a block entry.
      KtIndexHash* moved = newEntry(head->key, head->value, head->next);
      if (moved == nullptr) return;
      *head = KtIndexHash{key, value, moved};
    }
  }
  if (key > maxHashIndex_) maxHashIndex_ = key;
  if (value > maxValueIndex_) maxValueIndex_ = value;
}

std::int32_t KtIndexHashTable::sizeOf() const {
  std::int64_t bytes = static_cast<std::int64_t>(sizeof(KtIndexHashTable)) +
                       static_cast<std::int64_t>(hashTableSize_) * sizeof(KtIndexHash*) +
                       entryCount_ * static_cast<std::int64_t>(sizeof(KtIndexHash));
  constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(bytes < largest ? bytes : largest);
}

int KtIndexHashTable::checkInvariants() const {
  if ((hashTable_ == nullptr) != (hashTableSize_ == 0) || hashTableSize_ < 0) return 0;
  if (divisor_ == 0 || maxHashIndex_ < 0 || maxValueIndex_ < 0) return 0;
  std::int64_t count = 0;
  for (std::int64_t b = 0; b < hashTableSize_; ++b) {
    for (const KtIndexHash* e = bucketHead(b); e != nullptr; e = e->next) {
      if (hash(e->key) != b || e->key > maxHashIndex_ || e->value > maxValueIndex_) return 0;
      for (const KtIndexHash* later = e->next; later != nullptr; later = later->next)
        if (later->key == e->key) return 0;
      ++count;
    }
  }
  return count == entryCount_;
}

// ---- the prime table and the numeric helpers -------------------------------------------------

namespace {

// Hash table sizes, in descending order.
constexpr std::int32_t kPrimes[] = {160201, 120199, 80077, 60077, 40031, 30029, 20011, 15013,
                                    10007,  7507,   5003,  3511,  2503,  1657,  1103,  751,
                                    503,    353,    251,   167,   113,   79,    53,    37,
                                    29,     17,     11,    7,     5,     3,     2};
constexpr int kPrimeCount = static_cast<int>(sizeof(kPrimes) / sizeof(kPrimes[0]));

}  // namespace

std::int32_t nextPrimeNumber(std::int32_t n) {
  for (int k = kPrimeCount - 1; k >= 0; --k)
    if (kPrimes[k] > n) return kPrimes[k];
  return 0;
}

std::int32_t prevPrimeNumber(std::int32_t n) {
  for (int k = 0; k < kPrimeCount; ++k)
    if (kPrimes[k] < n) return kPrimes[k];
  return 0;
}

std::int32_t greatestCommonDivisor(std::int32_t a, std::int32_t b) {
  std::uint32_t x = a < 0 ? 0u - static_cast<std::uint32_t>(a) : static_cast<std::uint32_t>(a);
  std::uint32_t y = b < 0 ? 0u - static_cast<std::uint32_t>(b) : static_cast<std::uint32_t>(b);
  while (y != 0) {
    std::uint32_t r = x % y;
    x = y;
    y = r;
  }
  return static_cast<std::int32_t>(x);
}

std::int32_t maxRandomNumber() { return 32767; }
