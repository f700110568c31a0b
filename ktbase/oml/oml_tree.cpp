#include "ktbase/oml/oml_tree.h"

#include <cstdlib>
#include <cstring>

#include "ktbase/files/platform.h"
#include "ktbase/oml/oml_static.h"

// A block of chunks; the block's header stands in its first chunk, after the chunk's header.
struct KtOMLTreeStore::Block {
  Block* next;
  std::size_t size;
};

namespace {

constexpr std::size_t kFirstBlock = KT_OML_CHUNK;
constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;

inline std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 31;
  h *= 0x7FB5D329728EA185u;
  h ^= h >> 27;
  h *= 0x81DADEF4BC2DD44Du;
  h ^= h >> 33;
  return h;
}

std::uint32_t hashOf(const KtOMLContext& c) {
  std::uint64_t h = reinterpret_cast<std::uintptr_t>(c.ownerType);
  h = mix(h ^ static_cast<std::uint32_t>(c.sectionIDIndex));
  h = mix(h ^ (static_cast<std::uint64_t>(c.sectionPath) << 32 |
               static_cast<std::uint32_t>(c.fileNameIndex)));
  return static_cast<std::uint32_t>(mix(h ^ c.unchecked));
}

bool same(const KtOMLContext& a, const KtOMLContext& b) {
  return a.ownerType == b.ownerType && a.sectionIDIndex == b.sectionIDIndex &&
         a.sectionPath == b.sectionPath && a.fileNameIndex == b.fileNameIndex &&
         a.unchecked == b.unchecked;
}

}  // namespace

// Blocks of 16 KiB doubling up to 4 MiB, each aligned to a chunk (large ones to large pages,
// which spares a page fault for every 4 KiB touched). Every chunk begins with the reader.
void* KtOMLTreeStore::allocateSlow(std::size_t size) {
  if (size + sizeof(KtOMLFile*) > KT_OML_CHUNK) return nullptr;
  if (next_ != nullptr && chunkEnd_ < blockEnd_) {
    // The next chunk of the block.
    char* chunk = chunkEnd_;
    std::memcpy(chunk, &reader_, sizeof reader_);
    next_ = chunk + sizeof(KtOMLFile*);
    chunkEnd_ = chunk + KT_OML_CHUNK;
  } else {
    std::size_t total = blocks_ != nullptr ? blocks_->size * 2 : kFirstBlock;
    if (total > kLargestBlock) total = kLargestBlock;
    char* memory = static_cast<char*>(
        total >= 2 * 1024 * 1024 ? ktAllocateBulk(total) : std::aligned_alloc(KT_OML_CHUNK, total));
    if (memory == nullptr) return nullptr;
    std::memcpy(memory, &reader_, sizeof reader_);
    Block* block = reinterpret_cast<Block*>(memory + sizeof(KtOMLFile*));
    block->next = blocks_;
    block->size = total;
    blocks_ = block;
    bytes_ += total;
    next_ = memory + sizeof(KtOMLFile*) + sizeof(Block);
    chunkEnd_ = memory + KT_OML_CHUNK;
    blockEnd_ = memory + total;
  }
  void* memory = next_;
  next_ += size;
  return memory;
}

void KtOMLTreeStore::release() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    std::free(reinterpret_cast<char*>(blocks_) - sizeof(KtOMLFile*));
    blocks_ = next;
  }
  next_ = chunkEnd_ = blockEnd_ = nullptr;
  bytes_ = 0;
  for (std::int32_t n = 0; n < contextCount_; ++n) std::free(contexts_[n].definitions);
  std::free(contexts_);
  std::free(contextSlots_);
  contexts_ = nullptr;
  contextSlots_ = nullptr;
  contextCount_ = contextCapacity_ = 0;
  contextMask_ = 0;
  lastContext_ = -1;
  for (std::int32_t& r : recent_) r = -1;
  std::free(extras_);
  extras_ = nullptr;
  extraMask_ = extraCount_ = 0;
  needsTeardown_ = false;
}

std::int32_t KtOMLTreeStore::findOrAdd(const KtOMLContext& given) {
  if (lastContext_ >= 0 && same(contexts_[lastContext_], given)) return numbered(lastContext_);
  KtOMLContext c = given;
  const std::uint32_t hash = hashOf(c);
  if (contextSlots_ != nullptr)
    for (std::uint32_t i = hash & contextMask_;; i = (i + 1) & contextMask_) {
      const std::int32_t n = contextSlots_[i];
      if (n < 0) break;
      if (same(contexts_[n], c)) return numbered(lastContext_ = n);
    }
  if (contextCount_ == contextCapacity_) {
    const std::int32_t grown = contextCapacity_ < 16 ? 16 : contextCapacity_ * 2;
    KtOMLContext* bigger = static_cast<KtOMLContext*>(
        std::realloc(contexts_, static_cast<std::size_t>(grown) * sizeof(KtOMLContext)));
    if (bigger == nullptr) return -1;
    contexts_ = bigger;
    contextCapacity_ = grown;
  }
  if (static_cast<std::uint32_t>(contextCount_ + 1) * 2 > contextMask_ + 1 ||
      contextSlots_ == nullptr) {
    const std::uint32_t size = contextSlots_ != nullptr ? (contextMask_ + 1) * 2 : 32;
    std::int32_t* slots = static_cast<std::int32_t*>(std::malloc(size * sizeof(std::int32_t)));
    if (slots == nullptr) return -1;
    std::memset(slots, 0xFF, size * sizeof(std::int32_t));
    for (std::int32_t n = 0; n < contextCount_; ++n) {
      std::uint32_t i = hashOf(contexts_[n]) & (size - 1);
      while (slots[i] >= 0) i = (i + 1) & (size - 1);
      slots[i] = n;
    }
    std::free(contextSlots_);
    contextSlots_ = slots;
    contextMask_ = size - 1;
  }
  // The list by field index.
  c.definitions = nullptr;
  c.definitionCount = 0;
  std::int32_t largest = -1;
  for (const KtOMLDefField* f = c.fields; f != nullptr; f = f->pNext)
    if (f->fieldIDIndex > largest) largest = f->fieldIDIndex;
  if (largest >= 0) {
    c.definitions = static_cast<const KtOMLDefField**>(
        std::calloc(static_cast<std::size_t>(largest) + 1, sizeof(KtOMLDefField*)));
    if (c.definitions == nullptr) return -1;
    c.definitionCount = static_cast<std::uint32_t>(largest) + 1;
    // The list holds the newest first; the first definition of a name in it is the one found.
    for (const KtOMLDefField* f = c.fields; f != nullptr; f = f->pNext)
      if (f->fieldIDIndex >= 0 && c.definitions[f->fieldIDIndex] == nullptr)
        c.definitions[f->fieldIDIndex] = f;
  }
  std::uint32_t i = hash & contextMask_;
  while (contextSlots_[i] >= 0) i = (i + 1) & contextMask_;
  contextSlots_[i] = contextCount_;
  contexts_[contextCount_] = c;
  return numbered(lastContext_ = contextCount_++);
}

// A field's definition is looked up in the list its context names: the owner type's fields, or
// those of the one section the path is the code of; none in unchecked mode or for a path that
// names several sections.
std::int32_t KtOMLTreeStore::context(const KtOMLDefObjType* ownerType, std::int32_t sectionIDIndex,
                                     std::uint32_t sectionPath, std::int32_t fileNameIndex,
                                     bool unchecked) {
  KtOMLContext c{ownerType,
                 sectionIDIndex,
                 sectionPath,
                 fileNameIndex,
                 static_cast<std::uint8_t>(unchecked),
                 0,
                 nullptr,
                 nullptr,
                 0};
  // The contexts of a few owner types take turns: each is remembered by its type.
  const std::uint32_t slot =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(ownerType) >> 4) & 15u;
  const std::int32_t recent = recent_[slot];
  if (recent >= 0 && recent < contextCount_ && same(contexts_[recent], c)) return numbered(recent);
  if (ownerType != nullptr && !unchecked) {
    c.wildcard = ktOMLSectionPathMask(sectionPath) != 0xFFFFFFFFu;
    if (sectionPath == 0) {
      c.fields = ownerType->pFieldList;
    } else if (const KtOMLDefSection* s = ownerType->sectionWithCode(sectionPath)) {
      c.fields = s->pFieldList;
    }
  }
  const std::int32_t number = findOrAdd(c);
  if (number >= 0) recent_[slot] = number & ~kWildcardContext;
  return number;
}

std::int32_t KtOMLTreeStore::withFile(std::int32_t number, std::int32_t fileNameIndex) {
  const KtOMLContext c = context(number);
  return context(c.ownerType, c.sectionIDIndex, c.sectionPath, fileNameIndex, c.unchecked != 0);
}

std::int32_t KtOMLTreeStore::withSection(std::int32_t number, std::int32_t sectionIDIndex) {
  const KtOMLContext c = context(number);
  return context(c.ownerType, sectionIDIndex, c.sectionPath, c.fileNameIndex, c.unchecked != 0);
}

std::int32_t KtOMLTreeStore::withPath(std::int32_t number, std::uint32_t sectionPath) {
  const KtOMLContext c = context(number);
  return context(c.ownerType, c.sectionIDIndex, sectionPath, c.fileNameIndex, c.unchecked != 0);
}

KtOMLNodeExtra* KtOMLTreeStore::extra(const void* node, bool make) {
  const std::uint32_t hash =
      static_cast<std::uint32_t>(mix(reinterpret_cast<std::uintptr_t>(node)));
  if (extras_ != nullptr)
    for (std::uint32_t i = hash & extraMask_;; i = (i + 1) & extraMask_) {
      if (extras_[i].node == node) return &extras_[i];
      if (extras_[i].node == nullptr) break;
    }
  if (!make) return nullptr;
  if (extras_ == nullptr || (extraCount_ + 1) * 2 > extraMask_ + 1) {
    const std::uint32_t size = extras_ != nullptr ? (extraMask_ + 1) * 2 : 16;
    KtOMLNodeExtra* slots = static_cast<KtOMLNodeExtra*>(std::calloc(size, sizeof(KtOMLNodeExtra)));
    if (slots == nullptr) return nullptr;
    for (std::uint32_t n = 0; extras_ != nullptr && n <= extraMask_; ++n) {
      if (extras_[n].node == nullptr) continue;
      std::uint32_t i =
          static_cast<std::uint32_t>(mix(reinterpret_cast<std::uintptr_t>(extras_[n].node))) &
          (size - 1);
      while (slots[i].node != nullptr) i = (i + 1) & (size - 1);
      slots[i] = extras_[n];
    }
    std::free(extras_);
    extras_ = slots;
    extraMask_ = size - 1;
  }
  std::uint32_t i = hash & extraMask_;
  while (extras_[i].node != nullptr) i = (i + 1) & extraMask_;
  extras_[i] = KtOMLNodeExtra{node, 0, 0, nullptr, nullptr};
  ++extraCount_;
  return &extras_[i];
}
