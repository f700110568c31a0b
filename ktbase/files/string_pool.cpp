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

// A node as the pool lays it out: the chain link, then the string itself, its terminator and
// zeros up to a multiple of eight bytes, at least eight of them.
using Node = KtStringPoolHash;
constexpr std::size_t kNodeAlignment = alignof(Node);
static_assert(sizeof(Node) % 8 == 0, "the text behind a node starts at a word boundary");
static_assert(sizeof(Node) >= 8, "a short string's tail word, read before its text, is the node's");

inline char* textOf(Node* node) { return reinterpret_cast<char*>(node + 1); }
inline const char* textOf(const Node* node) { return reinterpret_cast<const char*>(node + 1); }

// ---- words of eight characters ----
//
// A word holds eight characters, the first in its lowest byte ("lane 0") whatever the byte order
// of the machine, so that the lane arithmetic below reads the same on every platform.

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x80 * kOnes;
constexpr std::uint64_t kDigitZeros = '0' * kOnes;

inline std::uint64_t load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

inline std::uint64_t load4(const char* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap32(word);
#endif
  return word;
}

// The n < 8 characters at p in the lowest n lanes, zeros above; reads p[0] ... p[n - 1] only.
inline std::uint64_t loadShort(const char* p, std::size_t n) {
  if (n >= 4) return load4(p) | load4(p + n - 4) << 8 * (n - 4);
  if (n == 0) return 0;
  const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint64_t{u[0]} | std::uint64_t{u[n / 2]} << 8 * (n / 2) |
         std::uint64_t{u[n - 1]} << 8 * (n - 1);
}

// Every lane upper-cased as upper() does it: a to z become A to Z, nothing else changes.
inline std::uint64_t upperWord(std::uint64_t word) {
  std::uint64_t low7 = word & ~kHighBits;
  std::uint64_t lower = (low7 + 0x1F * kOnes) & ~(low7 + 0x05 * kOnes) & ~word & kHighBits;
  return word - (lower >> 2);
}

// The high bit of each lane whose character is not "plain", that is outside '0' ... 127 as a
// signed character. Exact for the lowest such lane, which is all the callers rely on: a carry
// only leaves a lane that is itself flagged.
inline std::uint64_t notPlain(std::uint64_t word) {
  return (word | ~(word + (0x80 - '0') * kOnes)) & kHighBits;
}

// Sum over the lanes j of 29^(7 - j) (c_j - '0') for a word of plain, upper-case characters c_j,
// in three rounds of independent products: pairs, fours, eight. Below 2^41.
inline std::uint64_t polynomial(std::uint64_t word) {
  std::uint64_t d = word - kDigitZeros;  // each lane 0 ... 79, no borrows
  std::uint64_t pairs =
      (d & 0x00FF00FF00FF00FFu) * 29 + (d >> 8 & 0x00FF00FF00FF00FFu);  // lanes below 2^12
  std::uint64_t fours =
      (pairs & 0x0000FFFF0000FFFFu) * (29 * 29) + (pairs >> 16 & 0x0000FFFF0000FFFFu);
  return (fours & 0xFFFFFFFFu) * (29 * 29 * 29 * 29) + (fours >> 32);
}

// ---- remainders ----

// The remainder of a signed 32-bit value by d, with the sign of the dividend, computed exactly
// by multiplication with reciprocal = ceil(2^64 / d) (valid for every 32-bit value and d >= 1).
inline std::int32_t remainder(std::int32_t x, std::uint64_t reciprocal, std::uint32_t d) {
  auto unsignedRemainder = [reciprocal, d](std::uint32_t a) {
    std::uint64_t low = reciprocal * a;
    return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * d) >> 64);
  };
  if (x >= 0) return static_cast<std::int32_t>(unsignedRemainder(static_cast<std::uint32_t>(x)));
  std::uint32_t magnitude = 0u - static_cast<std::uint32_t>(x);
  return -static_cast<std::int32_t>(unsignedRemainder(magnitude));
}

// a mod d, or that plus d, for barrett = floor((2^64 - 1) / d). With 2^64 = barrett d + t,
// 0 < t <= d, the estimate a barrett / 2^64 = a / d - a t / (d 2^64) of the quotient is never
// above a / d and less than one below it.
inline std::uint64_t nearRemainder(std::uint64_t a, std::uint64_t barrett, std::uint32_t d) {
  std::uint64_t quotient =
      static_cast<std::uint64_t>((static_cast<unsigned __int128>(a) * barrett) >> 64);
  return a - quotient * d;
}

// Chain counts up to this one never take h = toupper(b) + 29 h - 48 out of 32 bits while h and
// toupper(b) - 48 are not negative: 29 (n - 1) + 79 <= 2^31 - 1.
constexpr std::uint32_t kBlockChains = (0x7FFFFFFFu - 79) / 29 + 1;

// Equality of a searched string of at least 8 characters with a stored one of the same length
// (stored upper case when the pool is not case-sensitive), a word at a time, the last word
// overlapping the one before.
template <bool kFold>
inline bool sameText(const char* searched, const char* stored, std::size_t length) {
  auto word = [](const char* p) { return kFold ? upperWord(load8(p)) : load8(p); };
  std::size_t last = length - 8;
  for (std::size_t i = 0; i < last; i += 8)
    if (word(searched + i) != load8(stored + i)) return false;
  return word(searched + last) == load8(stored + last);
}

// A string of at most 16 characters as two words: `head` holds its first min(length, 8)
// characters in the low lanes and zeros above, `tail` its last eight when it is longer than 8.
struct ShortText {
  std::uint64_t head;
  std::uint64_t tail;
};
constexpr std::size_t kShortText = 16;

inline ShortText loadShortText(const char* s, std::size_t length) {
  if (length > 8) return {load8(s), load8(s + length - 8)};
  if (length == 8) return {load8(s), 0};
  return {loadShort(s, length), 0};
}

// '0' in the lanes below the top r, 1 <= r <= 8 (two shifts, so that r = 8 needs no branch).
inline std::uint64_t digitZerosBelow(std::size_t r) { return (kDigitZeros >> 1) >> (8 * r - 1); }

// Equality of a short searched string (upper-cased already when the pool is not case-sensitive)
// with a stored one of the same length. For a length up to 8 the tail word read from the stored
// side lies in the node's header and is ignored.
inline bool sameShort(const ShortText& searched, const char* stored, std::size_t length) {
  std::uint64_t tailMask = 0 - static_cast<std::uint64_t>(length > 8);
  return ((searched.head ^ load8(stored)) |
          ((searched.tail ^ load8(stored + length - 8)) & tailMask)) == 0;
}

// ---- the chain hash ----
//
// The chains are picked by a hash of the pool's own rather than by hash(s), which takes a
// remainder per eight characters and checks every character for the sign rules of its
// definition. The pool's hash is the polynomial P = sum of c_j 29^(L-1-j) over the L bytes c_j
// of the string, modulo 2^64, worked out eight bytes at a time; the chain is P mod n, a
// remainder by multiplication. Like hash(s) it puts strings that differ only in their last
// character into neighbouring chains: a file's "node 1", "node 2", ... meet in their chains the
// nodes of strings that were made one after the other, which a chain walk then finds in cache.
//
// A pool that is not case-sensitive reads every byte with its 0x20 bit cleared. All spellings of
// a string agree on that, since upper-casing changes only that bit of a to z, and clearing it
// takes one operation where upper-casing takes five; strings that differ in that bit of other
// characters ("[" and "{") merely share chains.

constexpr std::uint64_t kBase = 29;

// 29^0 ... 29^8.
struct BasePowers {
  std::uint64_t of[9];
};
constexpr BasePowers basePowers() {
  BasePowers powers{};
  powers.of[0] = 1;
  for (int i = 1; i < 9; ++i) powers.of[i] = powers.of[i - 1] * kBase;
  return powers;
}
constexpr BasePowers kPowers = basePowers();

template <bool kFold>
inline std::uint64_t caseless(std::uint64_t word) {
  return kFold ? word & ~(0x20 * kOnes) : word;
}

// Sum over the lanes j of 29^(7 - j) c_j, in three rounds of independent products: pairs (below
// 2^13), fours (below 2^23), eight (below 2^43).
inline std::uint64_t wordPolynomial(std::uint64_t word) {
  std::uint64_t pairs = (word & 0x00FF00FF00FF00FFu) * kBase + (word >> 8 & 0x00FF00FF00FF00FFu);
  std::uint64_t fours =
      (pairs & 0x0000FFFF0000FFFFu) * kPowers.of[2] + (pairs >> 16 & 0x0000FFFF0000FFFFu);
  return (fours & 0xFFFFFFFFu) * kPowers.of[4] + (fours >> 32);
}

// P of up to 16 characters, as loadShortText reads them: the characters of a string of up to 8
// are moved to the top lanes, and a longer one gives the head's polynomial times 29^(L - 8) plus
// that of its last L - 8 characters, which stand in the tail's top lanes.
template <bool kFold>
inline __attribute__((always_inline)) std::uint64_t shortPolynomial(const ShortText& text,
                                                                    std::size_t length) {
  const bool two = length > 8;
  const std::size_t rest = two ? length - 8 : 0;
  const unsigned headShift = two ? 0 : static_cast<unsigned>(64 - 8 * length) & 63;
  const std::uint64_t tail = text.tail & ~std::uint64_t{0} << ((64 - 8 * rest) & 63);
  return wordPolynomial(caseless<kFold>(text.head) << headShift) * kPowers.of[rest] +
         wordPolynomial(caseless<kFold>(tail));
}

// P of more than 16 characters: a word at a time, then the last rest < 8 characters, which
// stand in the top lanes of the word that ends the string.
template <bool kFold>
inline std::uint64_t longPolynomial(const char* s, std::size_t length) {
  std::uint64_t p = 0;
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8)
    p = p * kPowers.of[8] + wordPolynomial(caseless<kFold>(load8(s + i)));
  const std::size_t rest = length - i;
  if (rest != 0)
    p = p * kPowers.of[rest] + wordPolynomial(caseless<kFold>(load8(s + length - 8)) &
                                              ~std::uint64_t{0} << (64 - 8 * rest));
  return p;
}

template <bool kFold>
inline std::uint64_t polynomialOf(const char* s, std::size_t length) {
  return length <= kShortText ? shortPolynomial<kFold>(loadShortText(s, length), length)
                              : longPolynomial<kFold>(s, length);
}

// p mod chains, with barrett = floor((2^64 - 1) / chains).
inline std::uint32_t chainOf(std::uint64_t p, std::uint64_t barrett, std::uint32_t chains) {
  std::uint64_t rest = nearRemainder(p, barrett, chains);
  return static_cast<std::uint32_t>(rest >= chains ? rest - chains : rest);
}

// Strings per chain at which the chains double. A pool is built with a number of chains fixed by
// its user, often far fewer than the strings it comes to hold (a file's string values), and
// walking long chains would then set the pace of every update. The chain heads take at most 4
// bytes per string after a doubling, 2 before the next.
constexpr std::uint32_t kChainLoad = 4;

}  // namespace

void KtStringPool::setUp(HashConstants& constants, std::int32_t chains) {
  std::uint32_t n = chains >= 1 ? static_cast<std::uint32_t>(chains) : 1;
  constants.reciprocal = UINT64_MAX / n + 1;  // wraps to 0 for n = 1, still exact there
  constants.barrett = UINT64_MAX / n;
  constants.chains = n;
  constants.blocks = n <= kBlockChains;
  std::uint64_t power = 1;
  for (std::uint32_t& p : constants.powers) p = static_cast<std::uint32_t>(power = power * 29 % n);
}

// The hash: h = 0, then h = (toupper(b) + 29 h - 48) rem n for each byte b taken as a signed
// character, in 32-bit arithmetic with the remainder taking the sign of the dividend, and at the
// end |h|.
//
// Done a character at a time, that is a chain of dependent remainders. But while h is not
// negative and the characters are plain ('0' to 127), no step can make h negative or leave 32
// bits (for n up to kBlockChains), and then the remainders are ordinary residues: m steps from h
// give (29^m h + sum of 29^(m-1-i) (c_i - '0')) mod n. So runs of up to eight plain characters
// take one step: the sum comes from independent products (polynomial), 29^m mod n from a table,
// and the remainder from a multiplication (nearRemainder, which may leave h between n and 2n - 1;
// the next step and the end put that right). Any other character, and every character while h is
// negative, takes the exact step of the definition.
std::uint32_t KtStringPool::hashOf(const char* s, std::size_t length, const HashConstants& k) {
  const std::uint32_t n = k.chains;
  const std::int64_t chains = n;
  const char* p = s;
  const char* const end = s + length;
  std::int64_t h = 0;  // (-n, n) after an exact step, [0, 2n) after a block step
  auto exactStep = [&k, n](std::int64_t value, char c) -> std::int64_t {
    std::uint32_t t = static_cast<std::uint32_t>(upper(static_cast<signed char>(c))) +
                      29u * static_cast<std::uint32_t>(value) - 48u;
    return remainder(static_cast<std::int32_t>(t), k.reciprocal, n);
  };
  auto blockStep = [&k, n](std::int64_t value, std::uint64_t word, std::size_t count) {
    std::uint64_t a =
        static_cast<std::uint64_t>(value) * k.powers[count - 1] + polynomial(upperWord(word));
    return static_cast<std::int64_t>(nearRemainder(a, k.barrett, n));
  };
  if (k.blocks) {
    while (p != end) {
      // The next r <= 8 characters in the top r lanes of a word, the lanes below them '0' (which
      // add nothing to the sum).
      std::size_t rest = static_cast<std::size_t>(end - p);
      std::size_t r = rest < 8 ? rest : 8;
      std::uint64_t word;
      if (r == 8) {
        word = load8(p);
      } else {
        std::uint64_t tail = length >= 8 ? load8(end - 8) >> 8 * (8 - r) : loadShort(p, r);
        word = tail << 8 * (8 - r) | kDigitZeros >> 8 * r;
      }
      std::uint64_t odd = notPlain(word);
      if (odd == 0) {
        h = blockStep(h, word, r);
        p += r;
        continue;
      }
      // The plain characters before the first odd one still go in one step.
      std::size_t plain = static_cast<std::size_t>(__builtin_ctzll(odd)) / 8 - (8 - r);
      if (plain != 0) {
        h = blockStep(h, word << 8 * (r - plain) | kDigitZeros >> 8 * plain, plain);
        p += plain;
      }
      if (h >= chains) h -= chains;
      // Exact steps from the odd character on, until h is not negative again (so h is not
      // negative at the top of this loop).
      do h = exactStep(h, *p++);
      while (h < 0 && p != end);
    }
    if (h >= chains) h -= chains;
  } else {
    while (p != end) h = exactStep(h, *p++);
  }
  return static_cast<std::uint32_t>(h < 0 ? -h : h);
}

namespace {

// The hash of a short string of plain characters ('0' to 127), given upper-cased, in at most two
// block steps as hashOf does them; false when a character is not plain or n is too large for
// block steps.
inline bool shortHash(const ShortText& text, std::size_t length, std::uint64_t barrett,
                      std::uint32_t n, const std::uint32_t* powers, bool blocks,
                      std::uint32_t& hash) {
  if (length == 0) {
    hash = 0;
    return true;
  }
  std::uint64_t h;
  if (length <= 8) {
    std::uint64_t word = text.head << 8 * (8 - length) | digitZerosBelow(length);
    if (notPlain(word) != 0 || !blocks) return false;
    h = nearRemainder(polynomial(word), barrett, n);
  } else {
    std::size_t r = length - 8;
    std::uint64_t last = text.tail >> 8 * (8 - r) << 8 * (8 - r) | digitZerosBelow(r);
    if ((notPlain(text.head) | notPlain(last)) != 0 || !blocks) return false;
    h = nearRemainder(polynomial(text.head), barrett, n);
    h = nearRemainder(h * powers[r - 1] + polynomial(last), barrett, n);
  }
  hash = static_cast<std::uint32_t>(h >= n ? h - n : h);
  return true;
}

}  // namespace

std::uint32_t KtStringPool::bucketOf(const char* s, std::size_t length, const HashConstants& k) {
  std::uint32_t hash;
  if (length <= kShortText) {
    ShortText text = loadShortText(s, length);
    ShortText upper = {upperWord(text.head), upperWord(text.tail)};
    if (shortHash(upper, length, k.barrett, k.chains, k.powers, k.blocks, hash)) return hash;
  }
  return hashOf(s, length, k);
}

std::int32_t KtStringPool::hash(const char* s, std::int32_t n) {
  if (s == nullptr || n < 1) return 0;
  HashConstants constants;
  setUp(constants, n);
  return static_cast<std::int32_t>(bucketOf(s, std::strlen(s), constants));
}

std::int32_t KtStringPool::hash(const char* s) const {
  if (s == nullptr || hashTable_ == nullptr) return 0;
  return static_cast<std::int32_t>(bucketOf(s, std::strlen(s), hashing_));
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
  chains_ = 0;
  chainBarrett_ = 0;
  setUp(hashing_, 1);
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
      chains_ = static_cast<std::uint32_t>(hashTableSize);
      chainBarrett_ = UINT64_MAX / chains_;
      setUp(hashing_, hashTableSize);
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
  chains_ = 0;
  chainBarrett_ = 0;
  setUp(hashing_, 1);
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

// Inlined into its two callers, so that a lookup is one call: the strings of a file are
// interned one by one and the call overhead would be a good part of their cost.
template <bool kFold>
inline __attribute__((always_inline)) const KtStringPoolHash* KtStringPool::search(
    const char* s, std::size_t length, std::uint32_t& chain) const {
  const Node* node;
  if (length <= kShortText) {
    // Short strings, the common case, are read once into two words that serve both the hash and
    // the comparisons; upper-cased once in a pool that is not case-sensitive.
    ShortText text = loadShortText(s, length);
    chain = chainOf(shortPolynomial<kFold>(text, length), chainBarrett_, chains_);
    if (kFold) text = {upperWord(text.head), upperWord(text.tail)};
    for (node = hashTable_[chain]; node != nullptr; node = node->next)
      if (node->length == length && sameShort(text, textOf(node), length)) break;
  } else {
    chain = chainOf(longPolynomial<kFold>(s, length), chainBarrett_, chains_);
    for (node = hashTable_[chain]; node != nullptr; node = node->next)
      if (node->length == length && sameText<kFold>(s, textOf(node), length)) break;
  }
  return node;
}

std::int32_t KtStringPool::find(const char* s) const {
  std::size_t length = std::strlen(s);
  if (length > UINT32_MAX) return -1;  // never stored
  std::uint32_t chain;
  const Node* node =
      caseSensitive_ != 0 ? search<false>(s, length, chain) : search<true>(s, length, chain);
  return node == nullptr ? -1 : node->index;
}

std::int32_t KtStringPool::lookup(const char* s) const {
  if (s == nullptr || hashTable_ == nullptr) return -1;
  return find(s);
}

std::int32_t KtStringPool::lookup(const char* s, std::int32_t hash) const {
  if (s == nullptr || hash < 0 || hash >= hashTableSize_) return -1;
  return find(s);
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

KtStringPoolHash* KtStringPool::newNode(std::uint32_t length) {
  std::size_t bytes = sizeof(Node) + (length < 8 ? 8 : std::size_t{length} + 1);
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
  Node* node = reinterpret_cast<Node*>(blocks_->data() + blocks_->used);
  blocks_->used += bytes;
  node->length = length;
  return node;
}

std::int32_t KtStringPool::insert(const char* s) {
  std::size_t length = std::strlen(s);
  if (length > UINT32_MAX) return -1;  // beyond what a node records
  std::uint32_t chain;
  const Node* found =
      caseSensitive_ != 0 ? search<false>(s, length, chain) : search<true>(s, length, chain);
  if (found != nullptr) return found->index;
  // One slot always stays free; a pool built without decode entries grows at once.
  if (decodeTableMax_ >= decodeTableSize_ - 1 && !growDecodeTable()) return -1;
  Node* node = newNode(static_cast<std::uint32_t>(length));
  if (node == nullptr) return -1;
  char* text = textOf(node);
  if (length < 8) std::memset(text, 0, 8);
  std::memcpy(text, s, length + 1);
  if (caseSensitive_ == 0)
    for (char* p = text; *p != 0; ++p) *p = static_cast<char>(upper(static_cast<signed char>(*p)));
  node->index = decodeTableMax_++;
  node->next = hashTable_[chain];
  hashTable_[chain] = node;
  decodeTable_[node->index] = text;
  if (static_cast<std::uint32_t>(decodeTableMax_) / kChainLoad >= chains_) spreadChains();
  return node->index;
}

void KtStringPool::spreadChains() {
  const std::uint64_t chains = std::uint64_t{chains_} * 2;
  if (chains > UINT32_MAX) return;
  Node** table = static_cast<Node**>(std::calloc(static_cast<std::size_t>(chains), sizeof(Node*)));
  if (table == nullptr) return;  // the chains merely stay longer
  const std::uint64_t barrett = UINT64_MAX / chains;
  // In index order, so that each chain keeps its newest node first.
  for (std::int32_t i = 0; i < decodeTableMax_; ++i) {
    char* text = decodeTable_[i];
    Node* node = reinterpret_cast<Node*>(text) - 1;
    const std::uint64_t p = caseSensitive_ != 0 ? polynomialOf<false>(text, node->length)
                                                : polynomialOf<true>(text, node->length);
    Node*& head = table[chainOf(p, barrett, static_cast<std::uint32_t>(chains))];
    node->next = head;
    head = node;
  }
  std::free(hashTable_);
  hashTable_ = table;
  chains_ = static_cast<std::uint32_t>(chains);
  chainBarrett_ = barrett;
}

std::int32_t KtStringPool::update(const char* s) {
  if (s == nullptr || hashTable_ == nullptr) return -1;
  return insert(s);
}

std::int32_t KtStringPool::update(const char* s, std::int32_t hash) {
  if (s == nullptr || hash < 0 || hash >= hashTableSize_) return -1;
  return insert(s);
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
