#include "ktbase/oml/oml_names.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kFirstChunk = 4 * 1024;
constexpr std::size_t kLargestChunk = 1024 * 1024;
constexpr std::uint32_t kFirstSlots = 16;
// Indexes stay below this, so that every count and reference fits its bits.
constexpr std::uint32_t kMaxCount = 1u << 29;

inline std::uint64_t load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

// The n < 8 bytes at p in the low bytes of a word, reading p[0] ... p[n - 1] only.
inline std::uint64_t loadTail(const char* p, std::size_t n) {
  std::uint64_t word = 0;
  if (n >= 4) {
    std::uint32_t low, high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    return low | static_cast<std::uint64_t>(high) << (8 * (n - 4));
  }
  for (std::size_t i = 0; i < n; ++i)
    word |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return word;
}

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x80 * kOnes;

// Every byte 'a' to 'z' of a word upper-cased, every other byte unchanged.
inline std::uint64_t upperWord(std::uint64_t word) {
  const std::uint64_t low7 = word & ~kHighBits;
  const std::uint64_t lower = (low7 + 0x1F * kOnes) & ~(low7 + 0x05 * kOnes) & ~word & kHighBits;
  return word - (lower >> 2);
}

inline std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93u;
  h ^= h >> 32;
  return h;
}

template <bool kFold>
inline std::uint32_t hashBytes(const char* s, std::size_t n) {
  std::uint64_t h = n * 0x9E3779B97F4A7C15u;
  const char* p = s;
  std::size_t left = n;
  for (; left >= 8; p += 8, left -= 8) {
    const std::uint64_t word = kFold ? upperWord(load8(p)) : load8(p);
    h = (h ^ word) * 0xBF58476D1CE4E5B9u;
    h ^= h >> 29;
  }
  if (left > 0) {
    const std::uint64_t word = kFold ? upperWord(loadTail(p, left)) : loadTail(p, left);
    h = (h ^ word) * 0xBF58476D1CE4E5B9u;
  }
  return static_cast<std::uint32_t>(mix(h));
}

inline char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Grows an array of `T` to hold `needed` elements; false when memory runs out.
template <typename T>
bool reserve(T*& array, std::uint32_t& capacity, std::uint32_t needed) {
  if (needed <= capacity) return true;
  std::uint64_t grown = capacity < 16 ? 16 : static_cast<std::uint64_t>(capacity) * 2;
  while (grown < needed) grown *= 2;
  if (grown > kMaxCount) grown = kMaxCount;
  if (grown < needed) return false;
  T* bigger = static_cast<T*>(std::realloc(array, static_cast<std::size_t>(grown) * sizeof(T)));
  if (bigger == nullptr) return false;
  array = bigger;
  capacity = static_cast<std::uint32_t>(grown);
  return true;
}

// Shrinks an array of `T` to `count` elements (at least one); keeps it when that fails.
template <typename T>
void shrink(T*& array, std::uint32_t& capacity, std::uint32_t count) {
  if (array == nullptr || count == capacity) return;
  const std::uint32_t n = count > 0 ? count : 1;
  T* smaller = static_cast<T*>(std::realloc(array, static_cast<std::size_t>(n) * sizeof(T)));
  if (smaller == nullptr) return;
  array = smaller;
  capacity = n;
}

// Returns true iff the n bytes are an int32 as C writes it ("0", "-5", never "+5", "05", "-0").
bool isCanonicalInteger(const char* s, std::size_t n, std::int32_t& value) {
  if (n == 0 || n > 11) return false;
  const char* digits = s[0] == '-' ? s + 1 : s;
  const std::size_t count = n - static_cast<std::size_t>(digits - s);
  if (count == 0 || (digits[0] == '0' && (count > 1 || digits != s))) return false;
  std::int64_t v = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return false;
    v = v * 10 + (digits[i] - '0');
  }
  if (digits != s) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace

std::uint32_t ktOMLHashText(const char* s, std::size_t n) { return hashBytes<false>(s, n); }

std::uint32_t ktOMLHashFolded(const char* s, std::size_t n) { return hashBytes<true>(s, n); }

std::uint64_t ktOMLFoldedHead(const char* s, std::size_t n) {
  return upperWord(n >= 8 ? load8(s) : loadTail(s, n));
}

int ktOMLSameFolded(const char* s, const char* stored, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8)
    if (upperWord(load8(s + i)) != load8(stored + i)) return 0;
  for (; i < n; ++i)
    if (upper(s[i]) != stored[i]) return 0;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// KtOMLTextArena

bool KtOMLTextArena::newChunk(std::size_t atLeast) {
  if (chunkCount_ == kMaxChunks) return false;
  if (chunkCount_ == chunkCapacity_) {
    const std::uint32_t grown = chunkCapacity_ < 8 ? 8 : chunkCapacity_ * 2;
    char** bigger = static_cast<char**>(std::realloc(chunks_, grown * sizeof(char*)));
    if (bigger == nullptr) return false;
    chunks_ = bigger;
    chunkCapacity_ = grown;
  }
  std::size_t size = size_ == 0 ? kFirstChunk : size_ * 2;
  if (size > kLargestChunk) size = kLargestChunk;
  if (size < atLeast) size = atLeast;  // one text alone, at offset 0
  char* chunk = static_cast<char*>(std::malloc(size));
  if (chunk == nullptr) return false;
  chunks_[chunkCount_++] = chunk;
  used_ = 0;
  size_ = size;
  bytes_ += size;
  return true;
}

char* KtOMLTextArena::room(std::size_t n, std::uint32_t& ref) {
  ref = kNone;
  if (n > 0xFFFFFFF0u - sizeof(std::uint32_t)) return nullptr;
  const std::size_t need = sizeof(std::uint32_t) + n + 1;
  if ((chunkCount_ == 0 || size_ - used_ < need) && !newChunk(need)) return nullptr;
  char* at = chunks_[chunkCount_ - 1] + used_;
  const std::uint32_t length = static_cast<std::uint32_t>(n);
  std::memcpy(at, &length, sizeof length);
  ref = (chunkCount_ - 1) << kOffsetBits | static_cast<std::uint32_t>(used_);
  used_ += need;
  char* text = at + sizeof length;
  text[n] = 0;
  return text;
}

std::uint32_t KtOMLTextArena::add(const char* s, std::size_t n, bool upperCase) {
  std::uint32_t ref;
  char* text = room(n, ref);
  if (text == nullptr) return kNone;
  if (upperCase)
    for (std::size_t i = 0; i < n; ++i) text[i] = upper(s[i]);
  else
    std::memcpy(text, s, n);
  return ref;
}

std::uint32_t KtOMLTextArena::addJoined(const char* head, std::size_t headLength, const char* tail,
                                        std::size_t tailLength) {
  if (headLength > 0x7FFFFFF0u || tailLength > 0x7FFFFFF0u) return kNone;
  std::uint32_t ref;
  char* text = room(headLength + 1 + tailLength, ref);
  if (text == nullptr) return kNone;
  std::memcpy(text, head, headLength);
  text[headLength] = ',';
  std::memcpy(text + headLength + 1, tail, tailLength);
  return ref;
}

void KtOMLTextArena::clear() {
  for (std::uint32_t i = 0; i < chunkCount_; ++i) std::free(chunks_[i]);
  std::free(chunks_);
  chunks_ = nullptr;
  chunkCount_ = chunkCapacity_ = 0;
  used_ = size_ = bytes_ = 0;
}

// ---------------------------------------------------------------------------------------------
// KtOMLHashIndex

bool KtOMLHashIndex::grow() {
  const std::uint32_t size = slots_ != nullptr ? (mask_ + 1) * 2 : kFirstSlots;
  if (size == 0 || size > kMaxCount * 2u) return false;
  Slot* slots = static_cast<Slot*>(std::malloc(size * sizeof(Slot)));
  if (slots == nullptr) return false;
  std::memset(slots, 0xFF, size * sizeof(Slot));
  Slot* old = slots_;
  const std::uint32_t oldSize = old != nullptr ? mask_ + 1 : 0;
  slots_ = slots;
  mask_ = size - 1;
  for (std::uint32_t i = 0; i < oldSize; ++i) {
    if (old[i].index == kEmpty) continue;
    std::uint32_t j = old[i].hash & mask_;
    while (slots_[j].index != kEmpty) j = (j + 1) & mask_;
    slots_[j] = old[i];
  }
  std::free(old);
  return true;
}

bool KtOMLHashIndex::add(std::uint32_t hash, std::uint32_t index) {
  if ((slots_ == nullptr || (count_ + 1) * 2 > mask_ + 1) && !grow()) return false;
  std::uint32_t i = hash & mask_;
  while (slots_[i].index != kEmpty) i = (i + 1) & mask_;
  slots_[i] = Slot{hash, index};
  ++count_;
  return true;
}

void KtOMLHashIndex::release() {
  std::free(slots_);
  slots_ = nullptr;
  mask_ = count_ = 0;
}

// ---------------------------------------------------------------------------------------------
// KtOMLNamePool

KtOMLNamePool::~KtOMLNamePool() { std::free(refs_); }

bool KtOMLNamePool::same(std::uint32_t index, const char* s, std::size_t n) const {
  const std::uint32_t ref = refs_[index];
  if (arena_.length(ref) != n) return false;
  const char* stored = arena_.text(ref);
  return fold_ ? ktOMLSameFolded(s, stored, n) != 0 : std::memcmp(s, stored, n) == 0;
}

bool KtOMLNamePool::reindex() const {
  for (std::uint32_t i = 0; i < count_; ++i) {
    const std::uint32_t ref = refs_[i];
    if (!index_.add(ktOMLHashText(arena_.text(ref), arena_.length(ref)), i)) {
      index_.release();
      return false;
    }
  }
  return true;
}

std::int32_t KtOMLNamePool::find(const char* s, std::size_t n) const {
  if (s == nullptr || !indexed()) return -1;
  return index_.find(hashOf(s, n), [&](std::uint32_t i) { return same(i, s, n); });
}

std::int32_t KtOMLNamePool::find(const char* s) const {
  return s != nullptr ? find(s, std::strlen(s)) : -1;
}

std::int32_t KtOMLNamePool::store(const char* s, std::size_t n) {
  if (s == nullptr || !indexed()) return -1;
  const std::uint32_t hash = hashOf(s, n);
  const std::int32_t found = index_.find(hash, [&](std::uint32_t i) { return same(i, s, n); });
  if (found >= 0) return found;
  if (count_ >= kMaxCount || !reserve(refs_, capacity_, count_ + 1)) return -1;
  const std::uint32_t ref = arena_.add(s, n, fold_);
  if (ref == KtOMLTextArena::kNone) return -1;
  if (!index_.add(hash, count_)) return -1;  // the text stays unused in the arena
  refs_[count_] = ref;
  return static_cast<std::int32_t>(count_++);
}

std::int32_t KtOMLNamePool::store(const char* s) {
  return s != nullptr ? store(s, std::strlen(s)) : -1;
}

void KtOMLNamePool::dropIndex() {
  index_.release();
  shrink(refs_, capacity_, count_);
}

std::size_t KtOMLNamePool::bytes() const {
  return arena_.bytes() + capacity_ * sizeof(std::uint32_t) + index_.bytes();
}

// ---------------------------------------------------------------------------------------------
// KtOMLIdPool

KtOMLIdPool::~KtOMLIdPool() {
  std::free(entries_);
  for (std::uint32_t i = 0; i < pageCount_; ++i) std::free(pages_[i]);
  std::free(pages_);
  std::free(texts_);
}

std::uint32_t KtOMLIdPool::hashOf(const Entry& e) const {
  if ((e.b & kKindMask) == kName) return ktOMLHashText(arena_.text(e.a), arena_.length(e.a));
  return static_cast<std::uint32_t>(
      mix((static_cast<std::uint64_t>(e.a) << 32 | (e.b & ~kAbsolute)) * 0x9E3779B97F4A7C15u));
}

bool KtOMLIdPool::same(std::uint32_t id, const Entry& e) const {
  const Entry& stored = entries_[id];
  if ((stored.b & kKindMask) != (e.b & kKindMask)) return false;
  if ((e.b & kKindMask) != kName) return stored.a == e.a && stored.b == e.b;
  const std::uint32_t n = arena_.length(e.a);
  return arena_.length(stored.a) == n &&
         std::memcmp(arena_.text(stored.a), arena_.text(e.a), n) == 0;
}

bool KtOMLIdPool::reindex() const {
  for (std::uint32_t i = 0; i < count_; ++i)
    if (!index_.add(hashOf(entries_[i]), i)) {
      index_.release();
      return false;
    }
  return true;
}

std::int32_t KtOMLIdPool::findEntry(const Entry& e) const {
  if (!indexed()) return -1;
  return index_.find(hashOf(e), [&](std::uint32_t i) { return same(i, e); });
}

std::int32_t KtOMLIdPool::intern(const Entry& e, bool store) {
  if (!indexed()) return -1;
  const std::uint32_t hash = hashOf(e);
  const std::int32_t found = index_.find(hash, [&](std::uint32_t i) { return same(i, e); });
  if (found >= 0 || !store) return found;
  if (count_ >= kMaxCount || !reserve(entries_, capacity_, count_ + 1)) return -1;
  if (!index_.add(hash, count_)) return -1;
  entries_[count_] = e;
  return static_cast<std::int32_t>(count_++);
}

// Names are compared through a text of their own in the arena: a look-up that finds nothing
// leaves it unused there, which costs only what the text takes.
std::int32_t KtOMLIdPool::component(const char* s, std::size_t n, bool storeIt) {
  std::int32_t value;
  if (isCanonicalInteger(s, n, value))
    return intern(Entry{static_cast<std::uint32_t>(value), kNumber}, storeIt);
  const std::uint32_t absolute = n > 0 && s[0] == '$' ? kAbsolute : 0;
  if (!indexed()) return -1;
  const std::uint32_t hash = ktOMLHashText(s, n);
  const std::int32_t found = index_.find(hash, [&](std::uint32_t i) {
    const Entry& stored = entries_[i];
    return (stored.b & kKindMask) == kName && arena_.length(stored.a) == n &&
           std::memcmp(arena_.text(stored.a), s, n) == 0;
  });
  if (found >= 0 || !storeIt) return found;
  if (count_ >= kMaxCount || !reserve(entries_, capacity_, count_ + 1)) return -1;
  const std::uint32_t ref = arena_.add(s, n);
  if (ref == KtOMLTextArena::kNone || !index_.add(hash, count_)) return -1;
  entries_[count_] = Entry{ref, kName | absolute};
  return static_cast<std::int32_t>(count_++);
}

std::int32_t KtOMLIdPool::findComponent(const char* s, std::size_t n) const {
  return const_cast<KtOMLIdPool*>(this)->component(s, n, false);
}

std::int32_t KtOMLIdPool::joinOrFind(std::int32_t parent, std::int32_t child, bool storeIt) {
  if (!valid(parent) || !valid(child)) return -1;
  if (kind(child) != kJoin) {
    const std::uint32_t absolute = entries_[parent].b & kAbsolute;
    return intern(Entry{static_cast<std::uint32_t>(parent),
                        kJoin | absolute | static_cast<std::uint32_t>(child)},
                  storeIt);
  }
  // A path as child: its components join the parent one by one, first to last.
  std::vector<std::int32_t> components;
  std::int32_t first = child;
  for (; kind(first) == kJoin; first = static_cast<std::int32_t>(entries_[first].a))
    components.push_back(static_cast<std::int32_t>(entries_[first].b & kValueMask));
  std::int32_t id = joinOrFind(parent, first, storeIt);
  for (auto c = components.rbegin(); c != components.rend() && id >= 0; ++c)
    id = joinOrFind(id, *c, storeIt);
  return id;
}

std::int32_t KtOMLIdPool::store(const char* s, std::size_t n) {
  if (s == nullptr) return -1;
  const char* end = s + n;
  const char* comma = static_cast<const char*>(std::memchr(s, ',', n));
  std::int32_t id = component(s, (comma != nullptr ? comma : end) - s, true);
  while (comma != nullptr && id >= 0) {
    const char* start = comma + 1;
    comma =
        static_cast<const char*>(std::memchr(start, ',', static_cast<std::size_t>(end - start)));
    const std::int32_t next = component(start, (comma != nullptr ? comma : end) - start, true);
    id = next >= 0 ? joinOrFind(id, next, true) : -1;
  }
  return id;
}

std::int32_t KtOMLIdPool::store(const char* s) {
  return s != nullptr ? store(s, std::strlen(s)) : -1;
}

std::int32_t KtOMLIdPool::find(const char* s) const {
  if (s == nullptr) return -1;
  const std::size_t n = std::strlen(s);
  const char* end = s + n;
  const char* comma = static_cast<const char*>(std::memchr(s, ',', n));
  std::int32_t id = findComponent(s, (comma != nullptr ? comma : end) - s);
  while (comma != nullptr && id >= 0) {
    const char* start = comma + 1;
    comma =
        static_cast<const char*>(std::memchr(start, ',', static_cast<std::size_t>(end - start)));
    const std::int32_t next = findComponent(start, (comma != nullptr ? comma : end) - start);
    id = next >= 0 ? findJoined(id, next) : -1;
  }
  return id;
}

std::int32_t KtOMLIdPool::storeNumber(std::int32_t value) {
  return intern(Entry{static_cast<std::uint32_t>(value), kNumber}, true);
}

std::int32_t KtOMLIdPool::findNumber(std::int32_t value) const {
  return findEntry(Entry{static_cast<std::uint32_t>(value), kNumber});
}

std::int32_t KtOMLIdPool::join(std::int32_t parent, std::int32_t child) {
  return joinOrFind(parent, child, true);
}

std::int32_t KtOMLIdPool::findJoined(std::int32_t parent, std::int32_t child) const {
  return const_cast<KtOMLIdPool*>(this)->joinOrFind(parent, child, false);
}

void KtOMLIdPool::dropIndex() {
  index_.release();
  shrink(entries_, capacity_, count_);
}

int KtOMLIdPool::isSimple(std::int32_t id) const {
  if (!valid(id)) return 0;
  const Entry& e = entries_[id];
  if ((e.b & kKindMask) == kNumber) return 1;
  return (e.b & kKindMask) == kName && (e.b & kAbsolute) == 0 && arena_.length(e.a) > 0;
}

// Integers and joins get their text on first request, kept in the arena from then on. A join's
// text is made from its parent's, so a deep path costs one text per level, each made once.
const char* KtOMLIdPool::text(std::int32_t id) {
  if (!valid(id)) return "";
  if (kind(id) == kName) return arena_.text(entries_[id].a);
  if (textsCapacity_ < count_) {
    const std::uint32_t old = textsCapacity_;
    if (!reserve(texts_, textsCapacity_, count_)) return "";
    std::memset(texts_ + old, 0, (textsCapacity_ - old) * sizeof(std::uint32_t));
  }
  if (texts_[id] != 0) return arena_.text(texts_[id] - 1);
  // The joins from this one up to the first parent that has a text, then their texts made
  // from there down.
  std::vector<std::int32_t> pending;
  std::int32_t at = id;
  for (; kind(at) == kJoin && (at == id || texts_[at] == 0);
       at = static_cast<std::int32_t>(entries_[at].a))
    pending.push_back(at);
  if (kind(at) == kNumber && texts_[at] == 0) {
    char digits[16];
    const char* end =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::int32_t>(entries_[at].a))
            .ptr;
    const std::uint32_t ref = arena_.add(digits, static_cast<std::size_t>(end - digits));
    if (ref == KtOMLTextArena::kNone) return "";
    texts_[at] = ref + 1;
  }
  for (auto join = pending.rbegin(); join != pending.rend(); ++join) {
    const Entry& e = entries_[*join];
    const char* head = text(static_cast<std::int32_t>(e.a));
    const char* tail = text(static_cast<std::int32_t>(e.b & kValueMask));
    const std::uint32_t ref = arena_.addJoined(head, std::strlen(head), tail, std::strlen(tail));
    if (ref == KtOMLTextArena::kNone) return "";
    texts_[*join] = ref + 1;
  }
  return arena_.text(texts_[id] - 1);
}

KtOMLIdPool::Record* KtOMLIdPool::record(std::int32_t id, bool make) {
  if (!valid(id)) return nullptr;
  const std::uint32_t page = static_cast<std::uint32_t>(id) >> kPageBits;
  if (page >= pageCount_) {
    if (!make) return nullptr;
    std::uint32_t count = pageCount_;
    if (!reserve(pages_, count, page + 1)) return nullptr;
    std::memset(pages_ + pageCount_, 0, (count - pageCount_) * sizeof(Record*));
    pageCount_ = count;
  }
  if (pages_[page] == nullptr) {
    if (!make) return nullptr;
    pages_[page] = static_cast<Record*>(std::calloc(std::size_t{1} << kPageBits, sizeof(Record)));
    if (pages_[page] == nullptr) return nullptr;
  }
  return &pages_[page][static_cast<std::uint32_t>(id) & ((1u << kPageBits) - 1)];
}

KtOMLSyntaxObject* KtOMLIdPool::syntaxObject(std::int32_t id) const {
  const Record* r = const_cast<KtOMLIdPool*>(this)->record(id, false);
  return r != nullptr ? r->syntaxObject : nullptr;
}

KtObject* KtOMLIdPool::object(std::int32_t id) const {
  const Record* r = const_cast<KtOMLIdPool*>(this)->record(id, false);
  return r != nullptr ? r->object : nullptr;
}

bool KtOMLIdPool::syntaxObject(std::int32_t id, KtOMLSyntaxObject* object) {
  Record* r = record(id, object != nullptr);
  if (r != nullptr) r->syntaxObject = object;
  return r != nullptr || (object == nullptr && valid(id));
}

bool KtOMLIdPool::object(std::int32_t id, KtObject* object) {
  Record* r = record(id, object != nullptr);
  if (r != nullptr) r->object = object;
  return r != nullptr || (object == nullptr && valid(id));
}

void KtOMLIdPool::forgetObjects() {
  for (std::uint32_t p = 0; p < pageCount_; ++p)
    if (pages_[p] != nullptr)
      for (std::uint32_t i = 0; i < (1u << kPageBits); ++i) pages_[p][i].object = nullptr;
}

std::size_t KtOMLIdPool::bytes() const {
  std::size_t records = 0;
  for (std::uint32_t p = 0; p < pageCount_; ++p)
    if (pages_[p] != nullptr) records += (std::size_t{1} << kPageBits) * sizeof(Record);
  return arena_.bytes() + capacity_ * sizeof(Entry) + index_.bytes() + records +
         textsCapacity_ * sizeof(std::uint32_t);
}
