// The OML reader's own interning of the texts it meets: the names a file declares, its string
// values and file names (KtOMLNamePool), and its object ids (KtOMLIdPool). Internal to the
// library: not installed.
//
// Both give every distinct text a dense index from 0 upward that never changes, lead from an
// index back to its text in constant time (texts never move while the pool lives), and find a
// text's index through a hash table that starts small and grows with what is stored, so a
// reading's fixed cost does not depend on the grammar's pool sizes. The hash table may be
// dropped once a reading no longer looks texts up (it is made again, from the stored texts, on
// the next look-up), which gives its memory back before the objects are built.
//
// Refusals. When memory runs out (or a count or length exceeds what 32-bit indexes can hold) a
// store returns -1 and changes nothing; the reader reports that as exhausted memory.
#ifndef KTBASE_OML_OML_NAMES_H
#define KTBASE_OML_OML_NAMES_H

#include <cstddef>
#include <cstdint>

class KtOMLSyntaxObject;
class KtObject;

// Texts kept in chunks that never move, each as a 32-bit length, the bytes and a terminating
// zero; a 32-bit reference leads to one. Chunks start small and double.
class KtOMLTextArena {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  KtOMLTextArena() = default;
  KtOMLTextArena(const KtOMLTextArena&) = delete;
  KtOMLTextArena& operator=(const KtOMLTextArena&) = delete;
  ~KtOMLTextArena() { clear(); }

  // Stores n bytes (upper-cased from 'a'-'z' when `upper`); kNone when refused.
  std::uint32_t add(const char* s, std::size_t n, bool upper = false);
  // Stores head, a comma and tail.
  std::uint32_t addJoined(const char* head, std::size_t headLength, const char* tail,
                          std::size_t tailLength);
  const char* text(std::uint32_t ref) const {
    return chunks_[ref >> kOffsetBits] + (ref & kOffsetMask) + sizeof(std::uint32_t);
  }
  std::uint32_t length(std::uint32_t ref) const {
    std::uint32_t n;
    const char* at = chunks_[ref >> kOffsetBits] + (ref & kOffsetMask);
    __builtin_memcpy(&n, at, sizeof n);
    return n;
  }
  // Frees every chunk.
  void clear();
  std::size_t bytes() const { return bytes_; }

 private:
  static constexpr int kOffsetBits = 20;
  static constexpr std::uint32_t kOffsetMask = (1u << kOffsetBits) - 1;
  static constexpr std::uint32_t kMaxChunks = 1u << (32 - kOffsetBits);
  bool newChunk(std::size_t atLeast);
  // Room for a text of n bytes (its length and terminator written): where its bytes go.
  char* room(std::size_t n, std::uint32_t& ref);

  char** chunks_ = nullptr;
  std::uint32_t chunkCount_ = 0;
  std::uint32_t chunkCapacity_ = 0;
  std::size_t used_ = 0;  // in the last chunk
  std::size_t size_ = 0;  // of the last chunk
  std::size_t bytes_ = 0;
};

// An open-addressed table of (hash, index) slots with linear probing, doubling when half full. The
// caller keeps what the indexes stand for and says when two are equal.
class KtOMLHashIndex {
 public:
  KtOMLHashIndex() = default;
  KtOMLHashIndex(const KtOMLHashIndex&) = delete;
  KtOMLHashIndex& operator=(const KtOMLHashIndex&) = delete;
  ~KtOMLHashIndex() { release(); }

  // The index of the first slot with this hash for which `same(index)` holds, or -1.
  template <typename Same>
  std::int32_t find(std::uint32_t hash, Same same) const {
    if (slots_ == nullptr) return -1;
    for (std::uint32_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.index == kEmpty) return -1;
      if (slot.hash == hash && same(slot.index)) return static_cast<std::int32_t>(slot.index);
    }
  }
  // Adds an index under its hash (never looked for first); false when memory runs out.
  bool add(std::uint32_t hash, std::uint32_t index);
  bool empty() const { return count_ == 0; }
  // Frees the slots.
  void release();
  std::size_t bytes() const { return slots_ != nullptr ? (mask_ + 1) * sizeof(Slot) : 0; }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  struct Slot {
    std::uint32_t hash;
    std::uint32_t index;
  };
  bool grow();

  Slot* slots_ = nullptr;
  std::uint32_t mask_ = 0;
  std::uint32_t count_ = 0;
};

// The hash of n bytes, and of their upper-case form (only 'a'-'z' change).
std::uint32_t ktOMLHashText(const char* s, std::size_t n);
std::uint32_t ktOMLHashFolded(const char* s, std::size_t n);
// Returns 1 iff the n bytes of `s` equal those of `stored` when `s` is upper-cased.
int ktOMLSameFolded(const char* s, const char* stored, std::size_t n);
// The first min(n, 8) bytes at s upper-cased (only 'a'-'z' change), the first in the lowest
// byte of the word, zeros above; reads s[0] ... s[n - 1] only.
std::uint64_t ktOMLFoldedHead(const char* s, std::size_t n);

// Names and texts with dense indexes. A pool that folds case stores its texts upper-cased and
// finds them in any case.
class KtOMLNamePool {
 public:
  explicit KtOMLNamePool(bool foldCase) : fold_(foldCase) {}
  KtOMLNamePool(const KtOMLNamePool&) = delete;
  KtOMLNamePool& operator=(const KtOMLNamePool&) = delete;
  ~KtOMLNamePool();

  // The index of the n bytes at s, or -1. A text holds no zero byte.
  std::int32_t find(const char* s, std::size_t n) const;
  std::int32_t find(const char* s) const;
  // The same, storing the text when it is new; -1 when refused.
  std::int32_t store(const char* s, std::size_t n);
  std::int32_t store(const char* s);
  // The text of an index; "" when it is not an index of the pool.
  const char* text(std::int32_t index) const {
    return index >= 0 && static_cast<std::uint32_t>(index) < count_ ? arena_.text(refs_[index])
                                                                    : "";
  }
  std::uint32_t length(std::int32_t index) const { return arena_.length(refs_[index]); }
  std::int32_t count() const { return static_cast<std::int32_t>(count_); }
  // Frees the hash table (the next find or store makes it again) and the room the index table
  // holds beyond what it uses.
  void dropIndex();
  std::size_t bytes() const;

 private:
  std::uint32_t hashOf(const char* s, std::size_t n) const {
    return fold_ ? ktOMLHashFolded(s, n) : ktOMLHashText(s, n);
  }
  bool same(std::uint32_t index, const char* s, std::size_t n) const;
  // Makes the hash table when it was dropped; false when memory runs out.
  bool indexed() const { return !index_.empty() || count_ == 0 || reindex(); }
  bool reindex() const;

  bool fold_;
  KtOMLTextArena arena_;
  std::uint32_t* refs_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = 0;
  mutable KtOMLHashIndex index_;
};

// Object ids. Every id is a text; one with commas is a path of components. The pool keeps an id
// by its structure: a component is a name (its text) or an integer written as C writes it (its
// value), and a path is its last component joined to the path before it. So "$,1,7" is the join
// of "$,1" and 7, and joining an id to a child costs one probe and builds no text; the text of a
// join or an integer is made on first request. Each id can carry the syntax object that defines
// it and the object built for it.
class KtOMLIdPool {
 public:
  KtOMLIdPool() = default;
  KtOMLIdPool(const KtOMLIdPool&) = delete;
  KtOMLIdPool& operator=(const KtOMLIdPool&) = delete;
  ~KtOMLIdPool();

  // The id of a text (of n bytes, holding no zero byte), stored when new; -1 when refused.
  std::int32_t store(const char* s, std::size_t n);
  std::int32_t store(const char* s);
  // The id of a text, or -1.
  std::int32_t find(const char* s) const;
  // The id whose text is the decimal form of `value`, stored when new.
  std::int32_t storeNumber(std::int32_t value);
  std::int32_t findNumber(std::int32_t value) const;
  // The id "parent,child" (child may itself be a path), stored when new; or found only.
  std::int32_t join(std::int32_t parent, std::int32_t child);
  std::int32_t findJoined(std::int32_t parent, std::int32_t child) const;

  // The text of an id ("" for no id); it stays valid while the pool lives.
  const char* text(std::int32_t id);
  // Returns 1 iff the id's text begins with '$'.
  int isAbsolute(std::int32_t id) const { return valid(id) && (entries_[id].b & kAbsolute) != 0; }
  // Returns 1 iff the id is one component that does not begin with '$' and is not empty: a name
  // an object can be given.
  int isSimple(std::int32_t id) const;
  std::int32_t count() const { return static_cast<std::int32_t>(count_); }

  // The syntax object and built object an id carries (null when none).
  KtOMLSyntaxObject* syntaxObject(std::int32_t id) const;
  KtObject* object(std::int32_t id) const;
  // Set them; false when memory runs out (or for no id).
  bool syntaxObject(std::int32_t id, KtOMLSyntaxObject* object);
  bool object(std::int32_t id, KtObject* object);
  // Every id forgets its built object.
  void forgetObjects();

  // Frees the hash table (the next look-up makes it again) and the room the entries hold beyond
  // what they use.
  void dropIndex();
  std::size_t bytes() const;

 private:
  // An entry: a name (a = its text), an integer (a = its value), or a join (a = the parent id,
  // b's low bits the child id). b's high bits hold the kind and whether the text begins with '$'.
  struct Entry {
    std::uint32_t a;
    std::uint32_t b;
  };
  static constexpr std::uint32_t kKindShift = 30;
  static constexpr std::uint32_t kName = 0u << kKindShift;
  static constexpr std::uint32_t kNumber = 1u << kKindShift;
  static constexpr std::uint32_t kJoin = 2u << kKindShift;
  static constexpr std::uint32_t kKindMask = 3u << kKindShift;
  static constexpr std::uint32_t kAbsolute = 1u << 29;
  static constexpr std::uint32_t kValueMask = kAbsolute - 1;  // ids below 2^29
  struct Record {
    KtOMLSyntaxObject* syntaxObject;
    KtObject* object;
  };
  static constexpr int kPageBits = 8;

  bool valid(std::int32_t id) const { return id >= 0 && static_cast<std::uint32_t>(id) < count_; }
  std::uint32_t kind(std::int32_t id) const { return entries_[id].b & kKindMask; }
  std::uint32_t hashOf(const Entry& e) const;
  bool same(std::uint32_t id, const Entry& e) const;
  // The id of a component without commas, stored when new (or -1), or found only.
  std::int32_t component(const char* s, std::size_t n, bool store);
  std::int32_t findComponent(const char* s, std::size_t n) const;
  // The id of an entry, stored when new unless `store` is false.
  std::int32_t intern(const Entry& e, bool store);
  std::int32_t findEntry(const Entry& e) const;
  std::int32_t joinOrFind(std::int32_t parent, std::int32_t child, bool store);
  bool indexed() const { return !index_.empty() || count_ == 0 || reindex(); }
  bool reindex() const;
  Record* record(std::int32_t id, bool make);

  KtOMLTextArena arena_;
  Entry* entries_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = 0;
  mutable KtOMLHashIndex index_;
  Record** pages_ = nullptr;        // records, kPageBits ids a page, made on first use
  std::uint32_t* texts_ = nullptr;  // made texts of integers and joins (ref + 1), per id
  std::uint32_t textsCapacity_ = 0;
  std::uint32_t pageCount_ = 0;
};

#endif  // KTBASE_OML_OML_NAMES_H
