// What the syntax nodes a reader makes share, kept by the reader (KtOMLTreeStore): the memory
// they live in, their contexts, and the rare facts that do not fit a node. Internal to the
// library: not installed.
//
// Memory. Nodes are carved from blocks of 16 KiB chunks, each chunk aligned to its size and
// beginning with a pointer to the reader: a node finds its reader from its own address, so it
// stores none. Blocks start small and double, so a small file costs one small block.
//
// Contexts. A node's section, section path and file name, and for a field its owner's type and
// whether it was read unchecked, are one context, shared by every node read in the same place:
// a node stores the context's number in the file slot of its token.
//
// Extras. A reader's node that is given what its fields cannot hold (a definition other than the
// one its context implies, a position beyond its bits) keeps it in a record here, found by the
// node's address.
#ifndef KTBASE_OML_OML_TREE_H
#define KTBASE_OML_OML_TREE_H

#include <cstddef>
#include <cstdint>

class KtOMLFile;
struct KtOMLDefField;
struct KtOMLDefObjType;

// The chunks nodes are carved from, and the reader a node of them belongs to.
constexpr std::size_t KT_OML_CHUNK = 16 * 1024;
inline KtOMLFile* ktOMLReaderOf(const void* node) {
  KtOMLFile* reader;
  __builtin_memcpy(&reader,
                   reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(node) &
                                                 ~static_cast<std::uintptr_t>(KT_OML_CHUNK - 1)),
                   sizeof reader);
  return reader;
}

struct KtOMLContext {
  const KtOMLDefObjType* ownerType;  // a field's owner's type; null for objects
  std::int32_t sectionIDIndex;
  std::uint32_t sectionPath;
  std::int32_t fileNameIndex;
  std::uint8_t unchecked;
  std::uint8_t wildcard;  // the path names several sections
  // The list a field's definition is found in: the owner type's fields without a path, the
  // fields of the section whose code the path is; null in unchecked mode and for a path that
  // names no single section. And the same list by field index, for looking up.
  const KtOMLDefField* fields;
  const KtOMLDefField** definitions;
  std::uint32_t definitionCount;
};

struct KtOMLNodeExtra {
  const void* node;
  std::int32_t position;       // the exact position, when beyond the node's bits
  std::uint8_t hasDefinition;  // `definition` overrides what the context implies
  const void* definition;      // a field's KtOMLDefField, an object's KtOMLDefObjType
  void* defaults;              // an object's KtOMLSyntaxDefaultList
};

class KtOMLTreeStore {
 public:
  explicit KtOMLTreeStore(KtOMLFile* reader) : reader_(reader) {}
  KtOMLTreeStore(const KtOMLTreeStore&) = delete;
  KtOMLTreeStore& operator=(const KtOMLTreeStore&) = delete;
  ~KtOMLTreeStore() { release(); }

  // Memory for a node of `size` bytes (at most a chunk less its header); null when memory runs
  // out.
  void* allocate(std::size_t size) {
    size = (size + 7) & ~static_cast<std::size_t>(7);
    if (static_cast<std::size_t>(chunkEnd_ - next_) < size) return allocateSlow(size);
    void* memory = next_;
    next_ += size;
    return memory;
  }
  // Frees every block, context and extra: the nodes must be gone.
  void release();
  std::size_t bytes() const { return bytes_; }

  // The number of a context, made when new; -1 when memory runs out. The number of a context
  // whose path names several sections carries kWildcardContext, so that a field's walk can tell
  // from the number alone.
  static constexpr std::int32_t kWildcardContext = 1 << 30;
  std::int32_t context(const KtOMLDefObjType* ownerType, std::int32_t sectionIDIndex,
                       std::uint32_t sectionPath, std::int32_t fileNameIndex, bool unchecked);
  const KtOMLContext& context(std::int32_t number) const {
    return contexts_[number & ~kWildcardContext];
  }
  // The definition a field of that name has in a context: the one the context's list holds.
  const KtOMLDefField* definition(std::int32_t number, std::int32_t fieldIndex) const {
    const KtOMLContext& c = context(number);
    return static_cast<std::uint32_t>(fieldIndex) < c.definitionCount ? c.definitions[fieldIndex]
                                                                      : nullptr;
  }
  // The same context with another file, section or path (the rest kept); -1 when memory runs
  // out.
  std::int32_t withFile(std::int32_t number, std::int32_t fileNameIndex);
  std::int32_t withSection(std::int32_t number, std::int32_t sectionIDIndex);
  std::int32_t withPath(std::int32_t number, std::uint32_t sectionPath);

  // The extra record of a node; made (empty) when `make` is set; null when none (or no memory).
  KtOMLNodeExtra* extra(const void* node, bool make);
  const KtOMLNodeExtra* extra(const void* node) const {
    return const_cast<KtOMLTreeStore*>(this)->extra(node, false);
  }

  // Whether some node of the tree needs its destructor run before the memory goes (a byte
  // sequence, a node of a caller's).
  bool needsTeardown() const { return needsTeardown_; }
  void needsTeardown(bool on) { needsTeardown_ = needsTeardown_ || on; }

 private:
  void* allocateSlow(std::size_t size);
  std::int32_t findOrAdd(const KtOMLContext& c);
  std::int32_t numbered(std::int32_t n) const {
    return contexts_[n].wildcard != 0 ? n | kWildcardContext : n;
  }

  KtOMLFile* reader_;
  struct Block;
  Block* blocks_ = nullptr;
  char* next_ = nullptr;
  char* chunkEnd_ = nullptr;
  char* blockEnd_ = nullptr;
  std::size_t bytes_ = 0;
  KtOMLContext* contexts_ = nullptr;
  std::int32_t contextCount_ = 0;
  std::int32_t contextCapacity_ = 0;
  std::int32_t* contextSlots_ = nullptr;  // open addressing, -1 empty
  std::uint32_t contextMask_ = 0;
  std::int32_t lastContext_ = -1;
  std::int32_t recent_[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  KtOMLNodeExtra* extras_ = nullptr;  // open addressing by node, node null: empty
  std::uint32_t extraMask_ = 0;
  std::uint32_t extraCount_ = 0;
  bool needsTeardown_ = false;
};

#endif  // KTBASE_OML_OML_TREE_H
