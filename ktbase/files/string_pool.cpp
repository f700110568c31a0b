#include "ktbase/files/string_pool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::int32_t kInitialCapacity = 254;

// Upper case for ASCII letters only; every other value, negative ones included, is unchanged.
inline int upper(signed char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// KtStringHandle

KtStringHandle::KtStringHandle() : string_(nullptr), capacity_(0), length_(0) { init(); }

KtStringHandle::~KtStringHandle() { release(); }

void KtStringHandle::init() {
  spare_[0] = 0;
  string_ = static_cast<char*>(std::malloc(kInitialCapacity));
  if (string_ != nullptr) {
    capacity_ = kInitialCapacity;
  } else {
    string_ = spare_;
    capacity_ = 1;
  }
  string_[0] = 0;
  length_ = 0;
}

void KtStringHandle::release() {
  if (string_ != spare_) std::free(string_);
  string_ = spare_;
  spare_[0] = 0;
}

char* KtStringHandle::pString(char* string) {
  length_ = -1;
  return string_ = string;
}

// The copy constructor has run init(), so the buffer exists; it is replaced by one of the
// source's capacity.
void KtStringHandle::KtStringHandledeepCopy(const KtStringHandle& source) {
  KtObjectdeepCopy(source);
  std::int32_t length = source.strlenBuf();
  char* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(source.capacity_)));
  if (buffer != nullptr) {
    release();
    string_ = buffer;
    capacity_ = source.capacity_;
  } else if (length >= capacity_) {
    length = capacity_ - 1;
  }
  std::memcpy(string_, source.string_, static_cast<std::size_t>(length));
  string_[length] = 0;
  length_ = length;
}

void KtStringHandle::KtStringHandleattributeCopy(const KtStringHandle& source) {
  KtStringHandledeepCopy(source);
}

std::int32_t KtStringHandle::measure() const {
  return length_ = static_cast<std::int32_t>(std::strlen(string_));
}

void KtStringHandle::needCapacity(std::int32_t n) {
  std::int64_t needed = static_cast<std::int64_t>(n) + 1;
  if (needed <= capacity_) return;
  if (needed > INT32_MAX) return;  // beyond what a 32-bit capacity can describe
  std::int64_t capacity = capacity_ < 1 ? 1 : capacity_;
  while (capacity < needed) capacity *= 2;
  if (capacity > INT32_MAX) capacity = INT32_MAX;
  char* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(capacity)));
  if (buffer == nullptr) return;
  std::int32_t length = strlenBuf();
  std::memcpy(buffer, string_, static_cast<std::size_t>(length) + 1);
  release();
  string_ = buffer;
  capacity_ = static_cast<std::int32_t>(capacity);
}

void KtStringHandle::increaseLength(std::int32_t n) {
  needCapacity(static_cast<std::int32_t>(
      std::min<std::int64_t>(INT32_MAX, static_cast<std::int64_t>(strlenBuf()) + 1 + n)));
}

void KtStringHandle::appendBytes(const char* bytes, std::int32_t n) {
  if (n <= 0) return;
  std::int32_t length = strlenBuf();
  if (static_cast<std::int64_t>(length) + n + 2 > capacity_) increaseLength(n);
  std::int32_t room = capacity_ - 1 - length;
  if (n > room) n = room;
  std::memcpy(string_ + length, bytes, static_cast<std::size_t>(n));
  length_ = length + n;
  string_[length_] = 0;
}

void KtStringHandle::appendString(const char* s) {
  if (s == nullptr) return;
  std::size_t n = std::strlen(s);
  appendBytes(s, n > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(n));
}

char* KtStringHandle::obtainAppendBuffer(std::int32_t n) {
  if (n < 0) n = 0;
  increaseLength(n < INT32_MAX ? n + 1 : n);
  std::int32_t length = strlenBuf();
  if (static_cast<std::int64_t>(length) + n + 1 > capacity_) return nullptr;
  length_ = -1;
  return string_ + length;
}

std::int32_t KtStringHandle::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtStringHandle)) + capacity_;
}

// ---------------------------------------------------------------------------------------------
// KtStringPool

struct KtStringPool::Block {
  Block* next;
  std::size_t used;
  std::size_t size;
  // The nodes follow the header.
  char* data() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kNodeAlignment = alignof(KtStringPoolHash);

// The string stored behind a node.
inline char* textOf(KtStringPoolHash* node) { return reinterpret_cast<char*>(node + 1); }
inline const char* textOf(const KtStringPoolHash* node) {
  return reinterpret_cast<const char*>(node + 1);
}

// The remainder of a signed 32-bit value by the divisor d behind `reciprocal`, with the sign of
// the dividend, computed exactly by multiplication (valid for every 32-bit value and d >= 1).
inline std::int32_t remainder(std::int32_t x, std::uint64_t reciprocal, std::uint32_t d) {
  auto unsignedRemainder = [reciprocal, d](std::uint32_t a) {
    std::uint64_t low = reciprocal * a;
    return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * d) >> 64);
  };
  if (x >= 0) return static_cast<std::int32_t>(unsignedRemainder(static_cast<std::uint32_t>(x)));
  std::uint32_t magnitude = 0u - static_cast<std::uint32_t>(x);
  return -static_cast<std::int32_t>(unsignedRemainder(magnitude));
}

inline std::uint64_t reciprocalOf(std::int32_t n) {
  return n >= 1 ? UINT64_MAX / static_cast<std::uint32_t>(n) + 1 : 0;
}

// h = (toupper(b) + 29 h - 48) rem n for each byte, in wrapping 32-bit arithmetic; then |h|.
inline std::uint32_t hashWith(const char* s, std::uint64_t reciprocal, std::int32_t n) {
  std::int32_t h = 0;
  std::uint32_t d = static_cast<std::uint32_t>(n);
  for (const signed char* p = reinterpret_cast<const signed char*>(s); *p != 0; ++p) {
    std::uint32_t t =
        static_cast<std::uint32_t>(upper(*p)) + 29u * static_cast<std::uint32_t>(h) - 48u;
    h = remainder(static_cast<std::int32_t>(t), reciprocal, d);
  }
  return static_cast<std::uint32_t>(h < 0 ? -h : h);
}

// Equality of a searched string with a stored one (stored upper case when not case-sensitive).
inline bool sameText(const char* searched, const char* stored, bool caseSensitive) {
  if (caseSensitive) return std::strcmp(searched, stored) == 0;
  const signed char* a = reinterpret_cast<const signed char*>(searched);
  const signed char* b = reinterpret_cast<const signed char*>(stored);
  for (; *a != 0; ++a, ++b)
    if (upper(*a) != *b) return false;
  return *b == 0;
}

}  // namespace

std::int32_t KtStringPool::hash(const char* s, std::int32_t n) {
  if (s == nullptr || n < 1) return 0;
  return static_cast<std::int32_t>(hashWith(s, reciprocalOf(n), n));
}

KtStringPool::KtStringPool() : KtStringPool(3, 3, 1, 0) {}

KtStringPool::KtStringPool(std::int32_t hashTableSize, std::int32_t decodeTableSize,
                           int caseSensitive, int withPointers) {
  init();
  caseSensitive_ = caseSensitive != 0;
  allocate(hashTableSize, decodeTableSize, withPointers);
}

KtStringPool::~KtStringPool() { empty(); }

void KtStringPool::init() {
  hashTable_ = nullptr;
  decodeTable_ = nullptr;
  pointerTable_ = nullptr;
  hashTableSize_ = decodeTableSize_ = decodeTableMax_ = 0;
  caseSensitive_ = 1;
  reciprocal_ = 0;
  blocks_ = nullptr;
  noString_ = 0;
}

void KtStringPool::allocate(std::int32_t hashTableSize, std::int32_t decodeTableSize,
                            int withPointers) {
  if (hashTableSize >= 1) {
    hashTable_ = static_cast<KtStringPoolHash**>(
        std::calloc(static_cast<std::size_t>(hashTableSize), sizeof(KtStringPoolHash*)));
    if (hashTable_ != nullptr) {
      hashTableSize_ = hashTableSize;
      reciprocal_ = reciprocalOf(hashTableSize);
    }
  }
  if (decodeTableSize >= 1) {
    decodeTable_ =
        static_cast<char**>(std::calloc(static_cast<std::size_t>(decodeTableSize), sizeof(char*)));
    if (withPointers != 0)
      pointerTable_ = static_cast<void**>(
          std::calloc(static_cast<std::size_t>(decodeTableSize), sizeof(void*)));
    if (decodeTable_ != nullptr && (withPointers == 0 || pointerTable_ != nullptr)) {
      decodeTableSize_ = decodeTableSize;
      return;
    }
  } else if (withPointers != 0) {
    // No entries yet; the pointer table grows with the decode table. A one-byte allocation
    // marks that the pool has pointers.
    pointerTable_ = static_cast<void**>(std::calloc(1, sizeof(void*)));
    if (pointerTable_ != nullptr) return;
  } else {
    return;
  }
  // Out of memory: a pool without tables.
  empty();
}

void KtStringPool::empty() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    std::free(blocks_);
    blocks_ = next;
  }
  std::free(hashTable_);
  std::free(decodeTable_);
  std::free(pointerTable_);
  hashTable_ = nullptr;
  decodeTable_ = nullptr;
  pointerTable_ = nullptr;
  hashTableSize_ = decodeTableSize_ = decodeTableMax_ = 0;
  reciprocal_ = 0;
}

void KtStringPool::KtStringPooldeepCopy(const KtStringPool& source) {
  KtObjectdeepCopy(source);
  empty();
  caseSensitive_ = source.caseSensitive_;
  allocate(source.hashTableSize_, source.decodeTableSize_, source.pointerTable_ != nullptr);
  for (std::int32_t i = 0; i < source.decodeTableMax_; ++i) {
    if (update(source.decodeTable_[i]) != i) {  // out of memory
      empty();
      return;
    }
    if (pointerTable_ != nullptr) pointerTable_[i] = source.pointerTable_[i];
  }
}

void KtStringPool::KtStringPoolattributeCopy(const KtStringPool& source) {
  KtObjectattributeCopy(source);
  empty();
  caseSensitive_ = source.caseSensitive_;
}

std::uint32_t KtStringPool::bucketOf(const char* s) const {
  return hashWith(s, reciprocal_, hashTableSize_);
}

KtStringPoolHash* KtStringPool::find(const char* s, std::uint32_t bucket) const {
  for (KtStringPoolHash* node = hashTable_[bucket]; node != nullptr; node = node->next)
    if (sameText(s, textOf(node), caseSensitive_ != 0)) return node;
  return nullptr;
}

std::int32_t KtStringPool::lookup(const char* s) const {
  if (s == nullptr || hashTable_ == nullptr) return -1;
  KtStringPoolHash* node = find(s, bucketOf(s));
  return node == nullptr ? -1 : node->index;
}

bool KtStringPool::growDecodeTable() {
  std::int64_t grown = static_cast<std::int64_t>(decodeTableMax_) * 3 / 2 + 5;
  if (grown > INT32_MAX) return false;
  std::size_t size = static_cast<std::size_t>(grown);
  char** decode = static_cast<char**>(std::realloc(decodeTable_, size * sizeof(char*)));
  if (decode == nullptr) return false;
  decodeTable_ = decode;
  if (pointerTable_ != nullptr) {
    void** pointers = static_cast<void**>(std::realloc(pointerTable_, size * sizeof(void*)));
    if (pointers == nullptr) return false;  // the decode table is merely larger than needed
    pointerTable_ = pointers;
  }
  for (std::size_t i = static_cast<std::size_t>(decodeTableMax_); i < size; ++i) {
    decodeTable_[i] = nullptr;
    if (pointerTable_ != nullptr) pointerTable_[i] = nullptr;
  }
  decodeTableSize_ = static_cast<std::int32_t>(grown);
  return true;
}

KtStringPoolHash* KtStringPool::newNode(std::size_t length) {
  std::size_t bytes = sizeof(KtStringPoolHash) + length + 1;
  bytes = (bytes + kNodeAlignment - 1) / kNodeAlignment * kNodeAlignment;
  if (blocks_ == nullptr || blocks_->size - blocks_->used < bytes) {
    std::size_t size = bytes > kBlockSize ? bytes : kBlockSize;
    Block* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    if (block == nullptr) return nullptr;
    block->next = blocks_;
    block->used = 0;
    block->size = size;
    blocks_ = block;
  }
  KtStringPoolHash* node = reinterpret_cast<KtStringPoolHash*>(blocks_->data() + blocks_->used);
  blocks_->used += bytes;
  return node;
}

std::int32_t KtStringPool::update(const char* s) {
  if (s == nullptr || hashTable_ == nullptr) return -1;
  std::uint32_t bucket = bucketOf(s);
  if (KtStringPoolHash* node = find(s, bucket)) return node->index;
  // One slot always stays free; a pool built without decode entries grows at once.
  if (decodeTableMax_ >= decodeTableSize_ - 1 && !growDecodeTable()) return -1;
  std::size_t length = std::strlen(s);
  KtStringPoolHash* node = newNode(length);
  if (node == nullptr) return -1;
  char* text = textOf(node);
  std::memcpy(text, s, length + 1);
  if (caseSensitive_ == 0)
    for (char* p = text; *p != 0; ++p) *p = static_cast<char>(upper(static_cast<signed char>(*p)));
  node->index = decodeTableMax_++;
  node->next = hashTable_[bucket];
  hashTable_[bucket] = node;
  decodeTable_[node->index] = text;
  return node->index;
}

char* KtStringPool::decode(std::int32_t i) const {
  if (i < 0 || i >= decodeTableMax_) return const_cast<char*>(&noString_);
  return decodeTable_[i];
}

void* KtStringPool::pointer(std::int32_t i) const {
  if (i < 0 || i >= decodeTableMax_ || pointerTable_ == nullptr) return nullptr;
  return pointerTable_[i];
}

void* KtStringPool::pointer(std::int32_t i, void* p) {
  if (i < 0 || i >= decodeTableMax_ || pointerTable_ == nullptr) return nullptr;
  return pointerTable_[i] = p;
}
