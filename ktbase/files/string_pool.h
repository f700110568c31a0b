// KtStringHandle is a growable, zero-terminated text buffer: file reads deliver their lines into
// one. KtStringPool interns strings: each distinct string gets a dense index from 0 upward that
// never changes, the index leads back to the string in constant time, and the string leads to
// its index through a hash table. Optionally each index carries one user pointer.
//
// Handle. Owns its buffer, which always holds a terminated text (empty after construction) in
// `capacity` bytes, 254 at first; growth doubles the capacity, which never shrinks. Copies
// (whatever their deep flag) take the source's capacity and text. When memory runs out the text
// is left as it is and what does not fit is not appended: obtainAppendBuffer then returns null.
//
// Pool. Owns its tables and its copies of the strings; borrows the user pointers. A pool that is
// not case-sensitive stores its strings in upper case (ASCII a-z only) and finds them in any
// case. update(s) returns the index of s, adding it when new; lookup(s) returns it or -1. A null
// string, or one of 4 GiB or more, is never stored (-1). A pool without a hash table (built with
// a size below 1, or after an attribute copy, or when memory ran out) stores nothing and answers
// -1. Strings are removed only with the whole pool.
//
// hash(s, n) and hash(s) are the pool's published hash, a remainder by the number n of chains the
// pool was built with, whose values callers may keep and compare. The chains themselves are
// picked by a cheaper hash of the pool's own, and their number doubles whenever the pool holds
// four strings per chain; so lookup(s, hash) and update(s, hash) only check that `hash` is an
// index below n and then do what lookup(s) and update(s) do.
#ifndef KTBASE_FILES_STRING_POOL_H
#define KTBASE_FILES_STRING_POOL_H

#include <cstddef>
#include <cstdint>

#include "ktbase/core/object.h"

class KtStringHandle : public KtObject {
  KT_OBJECT(KtStringHandle, KtObject)

 public:
  KtStringHandle();
  ~KtStringHandle() override;

  const char* pString() const { return string_; }
  std::int32_t capacity() const { return capacity_; }
  std::int32_t strlenBuf() const { return length_ >= 0 ? length_ : measure(); }

  // The text becomes empty; the buffer and its capacity stay.
  void empty() {
    string_[0] = 0;
    length_ = 0;
  }
  // Makes room for n characters plus the terminator.
  void needCapacity(std::int32_t n);
  // Makes room for n more characters behind the text: needCapacity(length + 1 + n).
  void increaseLength(std::int32_t n);
  void appendChar(char c) {
    if (length_ >= 0 && length_ + 2 < capacity_) {  // room without growing
      string_[length_] = c;
      string_[++length_] = 0;
    } else {
      appendBytes(&c, 1);
    }
  }
  // Appends s (nothing for null).
  void appendString(const char* s);
  // Makes room for n + 1 more characters and returns the address of the terminator, where the
  // caller may write up to n characters and a new terminator; null when memory ran out.
  char* obtainAppendBuffer(std::int32_t n);

  void internalDebugOutput(int) {}
  void debugOutput(int) override {}

  // Slot 9: the handle's own size plus its capacity.
  virtual std::int32_t sizeOf() const;

 protected:
  void init();

 private:
  friend class KtFile;  // appends whole runs of a line read from the buffer
  char* pString(char* string);
  std::int32_t capacity(std::int32_t capacity) { return capacity_ = capacity; }
  char* pChangeableString() {
    length_ = -1;
    return string_;
  }
  // Appends n bytes of `bytes` (which may hold no terminator).
  void appendBytes(const char* bytes, std::int32_t n);
  // Counts the text's length into the cache.
  std::int32_t measure() const;
  // Frees the buffer unless it is the spare one.
  void release();

  char* string_;
  std::int32_t capacity_;
  // The length of the text, or -1 after the buffer was handed out for writing.
  mutable std::int32_t length_;
  // Holds the empty text when not even the first buffer could be allocated.
  char spare_[1];
};

// One node of a pool's hash chains, followed in memory by the string it stands for. Owned by the
// pool. `length` (the string's, which fills what would be padding) lets a chain walk pass over
// strings of other lengths without touching their text.
struct KtStringPoolHash {
  std::int32_t index;
  std::uint32_t length;
  KtStringPoolHash* next;
};

class KtStringPool : public KtObject {
  KT_OBJECT(KtStringPool, KtObject)

 public:
  // A case-sensitive pool without pointers: KtStringPool(3, 3, 1, 0).
  KtStringPool();
  KtStringPool(std::int32_t hashTableSize, std::int32_t decodeTableSize, int caseSensitive,
               int withPointers);
  ~KtStringPool() override;

  // The index of s, adding a copy of it when it is not yet in the pool; -1 when it cannot be
  // stored (null s, no hash table, memory exhausted).
  std::int32_t update(const char* s);
  // The index of s, or -1 when it is not in the pool.
  std::int32_t lookup(const char* s) const;
  // hash(s, n) for this pool's n chains, from constants the pool keeps; 0 for null s or a pool
  // without chains.
  std::int32_t hash(const char* s) const;
  // update(s) and lookup(s) for callers that hold hash(s). Any index below n is accepted, since
  // the pool finds the chain of s by its own hash; refuse (return -1, change nothing) when
  // `hash` is outside 0 ... n - 1.
  std::int32_t update(const char* s, std::int32_t hash);
  std::int32_t lookup(const char* s, std::int32_t hash) const;
  // The string with index i, or the empty string when i is not an index of the pool.
  char* decode(std::int32_t i) const;
  // The user pointer of index i; null when i is not an index or the pool has no pointers.
  void* pointer(std::int32_t i) const;
  // Stores p for index i and returns it; refuses (returns null, stores nothing) when i is not an
  // index or the pool has no pointers.
  void* pointer(std::int32_t i, void* p);
  // The number of strings, which is also the next index to be given out.
  std::int32_t decodeTableMax() const { return decodeTableMax_; }

  void hashStatistics(const char*) {}
  void debugOutput(int) override {}

  // The hash of s in a table of n chains (n >= 1), the same in both kinds of pool.
  static std::int32_t hash(const char* s, std::int32_t n);

 protected:
  void init();

 private:
  KtStringPoolHash** hashTable() const { return hashTable_; }
  char** decodeTable() const { return decodeTable_; }
  void** pointerTable() const { return pointerTable_; }
  std::int32_t hashTableSize() const { return hashTableSize_; }
  std::int32_t decodeTableSize() const { return decodeTableSize_; }
  int caseSensitive() const { return caseSensitive_; }

  // What hash(s) needs to know of a number of chains n, worked out once per pool.
  struct HashConstants {
    std::uint64_t reciprocal;  // ceil(2^64 / n): remainders of 32-bit values by multiplication
    std::uint64_t barrett;     // floor((2^64 - 1) / n): near-remainders of 64-bit values
    std::uint32_t chains;      // n
    bool blocks;               // whether n is small enough for eight characters at a step
    std::uint32_t powers[8];   // 29^1 ... 29^8 modulo n
  };
  static void setUp(HashConstants& constants, std::int32_t chains);
  // The hash of the `length` characters at s; hashOf takes them one word at a time.
  static std::uint32_t bucketOf(const char* s, std::size_t length, const HashConstants& constants);
  static std::uint32_t hashOf(const char* s, std::size_t length, const HashConstants& constants);

  // Allocates empty tables; on failure the pool is left without tables.
  void allocate(std::int32_t hashTableSize, std::int32_t decodeTableSize, int withPointers);
  // Releases every string, node and table.
  void empty();
  bool growDecodeTable();
  // The node of the `length` characters at s, or null; `chain` receives the index of the chain
  // where they are or would be. kFold: the pool is not case-sensitive.
  template <bool kFold>
  const KtStringPoolHash* search(const char* s, std::size_t length, std::uint32_t& chain) const;
  std::int32_t find(const char* s) const;
  std::int32_t insert(const char* s);
  // A node with room for a copy of a string of `length` characters behind it.
  KtStringPoolHash* newNode(std::uint32_t length);
  // Doubles the chains and links every node again; when memory runs out they stay as they are.
  void spreadChains();

  KtStringPoolHash** hashTable_;
  char** decodeTable_;
  void** pointerTable_;
  std::int32_t hashTableSize_;
  std::int32_t decodeTableSize_;
  std::int32_t decodeTableMax_;
  std::uint8_t caseSensitive_;
  // The number of chain heads in hashTable_: hashTableSize_ at first, doubled whenever the pool
  // holds four strings per chain.
  std::uint32_t chains_;
  std::uint64_t chainBarrett_;  // floor((2^64 - 1) / chains_): remainders by multiplication
  HashConstants hashing_;
  // Nodes and their strings live in blocks released with the pool.
  struct Block;
  Block* blocks_;
  char noString_;
};

#endif  // KTBASE_FILES_STRING_POOL_H
