// KtOMLWordTable: the words a reader classifies, each with the class a word of that spelling
// takes in a file (an object type, a section, a field, an enumeration value, or else an object
// id), found in any case by one probe on its length and first eight letters. Internal to the
// library: not installed.
//
// A grammar keeps one table of its own names (KtOMLStatic::readerWords), made when a reading
// first needs it and made again when names were added since; readers share it and only read it.
// A reader keeps a second, small table for the names a file declares (sections and fields that
// the grammar lacks), which it looks in first.
#ifndef KTBASE_OML_OML_WORDS_H
#define KTBASE_OML_OML_WORDS_H

#include <cstddef>
#include <cstdint>

#include "ktbase/oml/oml_names.h"

class KtOMLStatic;

// What a word is: its token tag and index (by tag), whether it is a field the file declared,
// and the grammar field of that name (-1 for none), which unchecked sections read it as.
struct KtOMLWordClass {
  std::uint8_t tag;
  std::uint8_t unknownField;
  std::int32_t index;
  std::int32_t fieldIndex;
};

class KtOMLWordTable {
 public:
  KtOMLWordTable() = default;
  KtOMLWordTable(const KtOMLWordTable&) = delete;
  KtOMLWordTable& operator=(const KtOMLWordTable&) = delete;
  ~KtOMLWordTable();

  // The table of a grammar's names: enumeration values, then fields, sections and object types,
  // so that a name in several pools keeps the class of the last. Null when memory runs out.
  static KtOMLWordTable* build(const KtOMLStatic& grammar);
  // True iff the grammar has the names it had when this table was built (names are only added).
  bool fits(const KtOMLStatic& grammar) const;

  // The class of the n bytes at `word` in any case, or null when the table lacks the word.
  const KtOMLWordClass* find(const char* word, std::size_t n) const;
  // The class record of a word, entered as an object id's when new; null when memory runs out.
  KtOMLWordClass* entry(const char* word);

  // The grammar's pool sizes the table was built from: sections, fields, values, types.
  std::int32_t sections() const { return sizes_[0]; }
  std::int32_t fields() const { return sizes_[1]; }
  std::int32_t values() const { return sizes_[2]; }
  std::int32_t types() const { return sizes_[3]; }

  // A grammar's tables replaced since (still read by the readings that took them), freed with
  // the grammar.
  KtOMLWordTable* older = nullptr;

 private:
  struct Slot {
    std::uint64_t head;    // the first eight letters, upper-cased
    std::uint32_t length;  // 0: an empty slot
    std::int32_t word;     // in words_
  };
  // Enters a word of the pool into the slots, which double when half full.
  bool slot(std::int32_t word);

  KtOMLNamePool words_{true};
  KtOMLWordClass* classes_ = nullptr;
  std::int32_t classCapacity_ = 0;
  Slot* slots_ = nullptr;
  std::uint32_t mask_ = 0;
  std::int32_t sizes_[4] = {0, 0, 0, 0};
};

#endif  // KTBASE_OML_OML_WORDS_H
