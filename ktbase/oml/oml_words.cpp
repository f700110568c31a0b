#include "ktbase/oml/oml_words.h"

#include <cstdlib>
#include <new>

#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_token.h"

namespace {

inline std::uint32_t wordHash(std::uint64_t head, std::size_t length) {
  const std::uint64_t h = (head ^ length * 0x9E3779B97F4A7C15u) * 0xBF58476D1CE4E5B9u;
  return static_cast<std::uint32_t>(h >> 32);
}

std::int32_t poolSize(const KtStringPool* pool) {
  return pool != nullptr ? pool->decodeTableMax() : 0;
}

}  // namespace

KtOMLWordTable::~KtOMLWordTable() {
  std::free(classes_);
  std::free(slots_);
}

KtOMLWordTable* KtOMLWordTable::build(const KtOMLStatic& grammar) {
  KtOMLWordTable* table = new (std::nothrow) KtOMLWordTable;
  if (table == nullptr) return nullptr;
  table->sizes_[0] = poolSize(grammar.pSectionIDPool());
  table->sizes_[1] = poolSize(grammar.pFieldIDPool());
  table->sizes_[2] = poolSize(grammar.pValueIDPool());
  table->sizes_[3] = poolSize(grammar.pObjTypeIDPool());
  auto enter = [table](const KtStringPool* pool, KtOMLTokenTagEnum tag) {
    for (std::int32_t i = 0; pool != nullptr && i < pool->decodeTableMax(); ++i) {
      KtOMLWordClass* c = table->entry(pool->decode(i));
      if (c == nullptr) return false;
      if (tag == OML_TOKEN_FIELD) c->fieldIndex = i;
      c->tag = static_cast<std::uint8_t>(tag);
      c->index = i;
    }
    return true;
  };
  if (enter(grammar.pValueIDPool(), OML_TOKEN_VALUE) &&
      enter(grammar.pFieldIDPool(), OML_TOKEN_FIELD) &&
      enter(grammar.pSectionIDPool(), OML_TOKEN_SECTION) &&
      enter(grammar.pObjTypeIDPool(), OML_TOKEN_OBJTYPE))
    return table;
  delete table;
  return nullptr;
}

bool KtOMLWordTable::fits(const KtOMLStatic& grammar) const {
  return sizes_[0] == poolSize(grammar.pSectionIDPool()) &&
         sizes_[1] == poolSize(grammar.pFieldIDPool()) &&
         sizes_[2] == poolSize(grammar.pValueIDPool()) &&
         sizes_[3] == poolSize(grammar.pObjTypeIDPool());
}

const KtOMLWordClass* KtOMLWordTable::find(const char* word, std::size_t length) const {
  if (slots_ == nullptr || length == 0 || length > 0xFFFFFFFFu) return nullptr;
  const std::uint64_t head = ktOMLFoldedHead(word, length);
  for (std::uint32_t i = wordHash(head, length) & mask_;; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (s.length == 0) return nullptr;
    if (s.head == head && s.length == length &&
        (length <= 8 || ktOMLSameFolded(word + 8, words_.text(s.word) + 8, length - 8) != 0))
      return &classes_[s.word];
  }
}

bool KtOMLWordTable::slot(std::int32_t word) {
  const std::uint32_t count = static_cast<std::uint32_t>(words_.count());
  if (slots_ == nullptr || count * 2 > mask_ + 1) {
    std::uint32_t size = 16;
    while (size < count * 4) size *= 2;
    Slot* slots = static_cast<Slot*>(std::calloc(size, sizeof(Slot)));
    if (slots == nullptr) return false;
    std::free(slots_);
    slots_ = slots;
    mask_ = size - 1;
    for (std::int32_t w = 0; w < static_cast<std::int32_t>(count); ++w)
      if (w != word && !slot(w)) return false;
  }
  const char* text = words_.text(word);
  const std::size_t length = words_.length(word);
  if (length == 0) return true;  // never looked for
  const std::uint64_t head = ktOMLFoldedHead(text, length);
  std::uint32_t i = wordHash(head, length) & mask_;
  while (slots_[i].length != 0) i = (i + 1) & mask_;
  slots_[i] = Slot{head, static_cast<std::uint32_t>(length), word};
  return true;
}

KtOMLWordClass* KtOMLWordTable::entry(const char* word) {
  const std::int32_t known = words_.count();
  if (known >= classCapacity_) {  // room first, so that every stored word has its record
    const std::int32_t grown = known < 8 ? 16 : known * 2;
    KtOMLWordClass* bigger = static_cast<KtOMLWordClass*>(
        std::realloc(classes_, static_cast<std::size_t>(grown) * sizeof(KtOMLWordClass)));
    if (bigger == nullptr) return nullptr;
    classes_ = bigger;
    classCapacity_ = grown;
  }
  const std::int32_t w = words_.store(word);
  if (w < 0) return nullptr;
  if (w < known) return &classes_[w];
  classes_[w] = KtOMLWordClass{OML_TOKEN_SCOPE, 0, -1, -1};
  return slot(w) ? &classes_[w] : nullptr;
}
