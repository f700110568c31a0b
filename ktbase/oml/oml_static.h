// KtOMLStatic holds one OML grammar: the vocabulary of a file kind. It says which object types
// exist, which sections each type has, which fields stand in a type or section with which value
// type, which fields are required, which types may be nested where, and the numbers behind the
// enumeration value names. The reader and writer look every name up in its pools and every field
// in its definition records; neither changes it.
//
// Names. Four pools, none case-sensitive (names are stored in upper case and matched in any
// case): enumeration values (each carrying its number), object types (each carrying its
// KtOMLDefObjType), sections and fields. An index handed out never changes. Every grammar starts
// with the built-in names, in this order and with these indexes:
//   fields    0 include, 1 input, 2 comment, 3 section, 4 id, 5 name, 6 field
//   sections  0 skip, 1 _ (the wildcard)
//   values    0 true (1), 1 false (0)
//   types     0 $toplevel$ (the root of every file; it has a definition record)
//
// Records. A grammar owns its definition records; the caller borrows them. Lists are singly
// linked with the newest record first. A field's `number` is its position in its list, counted
// from 1 in the order the fields were added; positional values in a file are matched by it.
//
// Section codes. A section is named by a 32-bit code of eight 4-bit levels, level 1 in the
// lowest nibble: the n-th top-level section of a type has code n, and the n-th sub-section of a
// section has its parent's code with n in the next level. So the third sub-section of the second
// top-level section is 0x32. A level holds 1 to 14 (the reader uses 15 for the wildcard and 0
// for an unused level), so a level takes at most 14 sections and sections nest at most eight
// deep. A section beyond either limit is refused: the add returns KT_OML_NO_SECTION, a code no
// section has, so that definitions made inside it are refused in turn.
//
// Refusals. Nothing is reported. A definition that cannot be taken (a null or empty name, an
// unknown section code, a field that exists in the same list with another type or required flag,
// a full list, memory exhausted) returns 0 or null and changes nothing already defined.
//
// A grammar is built once (constructors and installs), then only read. It is not copied:
// copyObject and copyAttributes do nothing, and cloning one yields a plain KtObject.
#ifndef KTBASE_OML_OML_STATIC_H
#define KTBASE_OML_OML_STATIC_H

#include <atomic>
#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/files/file.h"

class KtOMLFile;
class KtOMLSyntaxObject;
class KtOMLSyntaxField;
class KtStringPool;
class KtTextFile;
class KtOMLWordTable;

// Value type of a grammar field, with its letter in the definition language.
enum KtFieldTypeEnum : int {
  KT_FIELD_INTEGER = 0,           // I
  KT_FIELD_BOOLEAN = 1,           // B: the values true and false
  KT_FIELD_STRING = 2,            // S
  KT_FIELD_OBJECT_REFERENCE = 3,  // (an R line): a reference, optionally to one object type
  KT_FIELD_REAL = 4,              // R
  KT_FIELD_ENUM = 5,              // (an E line): one of a list of value names
  KT_FIELD_IP_ADDRESS = 6,        // P
  KT_FIELD_BINARY = 7             // X: a byte sequence
};

// The limits of section codes, and the code returned for a section that could not be defined
// (no section has it).
constexpr int KT_OML_MAX_SECTION_LEVELS = 8;
constexpr int KT_OML_MAX_SECTIONS_PER_LEVEL = 14;
constexpr std::uint32_t KT_OML_NO_SECTION = 0xFFFFFFFFu;

// Section paths, as the reader builds them: a code whose levels may hold 15, the wildcard (any
// section at that level). The mask of a path has 0 at its wildcard levels and 15 at every other;
// a section's code agrees with a path when both are equal under the mask.
constexpr std::uint32_t KT_OML_WILDCARD = 15;
std::uint32_t ktOMLSectionPathMask(std::uint32_t path);
int ktOMLSectionPathAgrees(std::uint32_t code, std::uint32_t path);

// The callbacks an object type may carry. The first argument is the KtOMLFile that calls.
typedef int (*KtOMLCheckFunction)(void* file, KtOMLSyntaxObject* object);
typedef KtObject* (*KtOMLCreateFunction)(void* file, KtOMLSyntaxObject* object,
                                         KtOMLSyntaxObject* owner, KtObject* ownerObject);
typedef int (*KtOMLReadFieldFunction)(void* file, KtOMLSyntaxField* field,
                                      KtOMLSyntaxObject* object, KtObject* target);
typedef int (*KtOMLWriteFunction)(void* file, const KtObject* object);

// One row of an object-type table; a row with a null name ends the table.
struct KtOMLStaticOEStruct {
  const char* name;
  KtOMLCheckFunction checkFunction;
  KtOMLCreateFunction createFunction;
  KtOMLReadFieldFunction readFieldFunction;
  KtOMLWriteFunction writeFunction;
};

// One row of an enumeration-value table; a row with a null name ends the table.
struct KtOMLStaticVEStruct {
  const char* name;
  std::int32_t value;
};

// A list of pool indexes: the values of an enumeration field, the referenced type of a
// reference field, the object types allowed as sub-objects.
struct KtOMLDefIndexList {
  std::int32_t index;
  KtOMLDefIndexList* pNext;

  // Returns 1 iff `index` is in `list`.
  static int contains(const KtOMLDefIndexList* list, std::int32_t index);
  // The number of nodes.
  static std::int32_t length(const KtOMLDefIndexList* list);
};

struct KtOMLDefField {
  std::int32_t fieldIDIndex;  // in the field pool
  KtFieldTypeEnum fieldType;
  KtOMLDefIndexList* pIndexList;  // enumeration: value indexes; reference: the type, if any
  std::int16_t required;          // 0 or 1
  std::int16_t number;            // position in its list, from 1
  KtOMLDefField* pNext;           // next field of the same list
  KtOMLDefField* pNextRequired;   // next field of the type's required list

  // The field of `list` with that name index, or null.
  static KtOMLDefField* find(KtOMLDefField* list, std::int32_t fieldIndex);
  // The field of `list` at that position, or null.
  static KtOMLDefField* withNumber(KtOMLDefField* list, std::int32_t number);
};

struct KtOMLDefSection {
  std::int32_t sectionIDIndex;  // in the section pool
  std::uint32_t sectionPath;    // the section's code
  KtOMLDefField* pFieldList;
  KtOMLDefSection* pSubSectionList;
  KtOMLDefIndexList* pSubObjTypeList;
  KtOMLDefSection* pNext;    // next sibling
  KtOMLDefSection* pParent;  // null for a top-level section

  // The section of `list` with that name index, or null.
  static KtOMLDefSection* find(KtOMLDefSection* list, std::int32_t sectionIndex);
  // The level of the section's code (1 for a top-level section).
  int level() const;
};

struct KtOMLDefObjType {
  KtOMLDefField* pFieldList;
  KtOMLDefSection* pSectionList;
  KtOMLDefIndexList* pSubObjTypeList;
  KtOMLDefField* pRequiredFieldList;  // linked through pNextRequired
  KtOMLCreateFunction createFunction;
  KtOMLReadFieldFunction readFieldFunction;
  KtOMLCheckFunction checkFunction;
  KtOMLWriteFunction writeFunction;

  // The section with that code, or null (also for code 0 and KT_OML_NO_SECTION).
  KtOMLDefSection* sectionWithCode(std::uint32_t code) const;
  // All sections of the type in order of their codes, parents before their sub-sections: the
  // first, and the one after `section`; null at the end.
  KtOMLDefSection* firstSection() const;
  KtOMLDefSection* sectionAfter(const KtOMLDefSection* section) const;
};

class KtOMLStatic : public KtObject {
  KT_OBJECT_CAST(KtOMLStatic)

 public:
  // No tables; pool sizes 4048 (strings), 512 (values), 32 (object types), 32 (sections),
  // 256 (fields), 4048 (object ids).
  KtOMLStatic();
  // The six decode sizes set the grammar's pools and those the reader builds from it; then each
  // table that is not null is installed: types, sections, values, definitions, in this order.
  KtOMLStatic(const KtOMLStaticOEStruct* types, const char* const* sections,
              const KtOMLStaticVEStruct* values, const char* const* definitions,
              std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
              std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
              std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize);
  // The same with a table of object type names only (null-terminated).
  KtOMLStatic(const char* const* types, const char* const* sections,
              const KtOMLStaticVEStruct* values, const char* const* definitions,
              std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
              std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
              std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize);
  KtOMLStatic(const KtOMLStatic&) = delete;
  KtOMLStatic& operator=(const KtOMLStatic&) = delete;
  ~KtOMLStatic() override;

  void copyObject(const KtObject*) override {}
  void copyAttributes(const KtObject*) override {}
  void debugOutput(int) override {}
  void initTestParser() {}

  // Table installation; names already present keep their indexes. Every table ends with a null
  // entry (a row with a null name).
  void installObjectTypeTable(const KtOMLStaticOEStruct* types);
  void installObjectTypeTable(const char* const* types);
  void installSectionTable(const char* const* sections);
  void installFieldTable(const char* const* fields);
  void installEnumValueTable(const KtOMLStaticVEStruct* values);
  // Reads the definition language: one line per entry, the first character (after blanks and
  // tabs, in either case) deciding what a line means. A word is a run of letters, digits, '$'
  // and '_'.
  //   O word                 an object type; its lines follow, up to a line ']' or '}', or up
  //                          to the next O line, which also ends every open section
  //   F word letter [R]      a field of type I, B, S, R (real), P or X; R: required
  //   E word [v, a..d] [R]   an enumeration field with the listed value names ('{ }' as well);
  //                          a..d stands for every value from a to d in the value pool's order
  //   R word type [R]        a reference field to `type` (which must be known), or to any type
  //                          when `type` begins with '_'
  //   T word                 the object type `word` may stand here as a sub-object
  //   S word                 a section; its lines follow, up to a line ']' or '}'
  // A line '{' or '[' right after an O or S line is passed over. Value names are looked up, not
  // added (an unknown one stands as -1); an unknown referenced type is -1 as well. A field's
  // value list or reference target, once given, is kept. Lines that mean nothing (an unknown
  // first character, a missing name or type letter) define nothing, and the definitions made
  // inside a refused section are refused with it.
  void installDefinitionTable(const char* const* definitions);
  // Writes the key header: "#define KT_XKEY_FI_<FIELD> <index>" for the fields from index 4,
  // then _SI_ for the sections from 2, _VI_ for the values from 0 and _OI_ for the object types
  // from 1, each group after a comment line, every line ending in "\r\n". Returns the file's
  // result: KT_FILE_OPEN_ERROR when it cannot be made, KT_FILE_WRITE_ERROR when a write failed,
  // KT_FILE_CLOSE_ERROR when closing failed, else KT_FILE_OK.
  KtFileCodeEnum writeIndexDefinitions(const char* fileName);

 protected:
  void init();

  // The definition operations for a grammar built in code. Each creates the named object type,
  // without callbacks, when it is not yet known. A section argument is a code from
  // addSectionDefinition; 0 means directly in the object type.
  //
  // The type's record. A known type keeps its callbacks except those given here (non-null).
  KtOMLDefObjType* installObjTypeID(const char* name, KtOMLCheckFunction check,
                                    KtOMLCreateFunction create, KtOMLReadFieldFunction readField,
                                    KtOMLWriteFunction write);
  // Puts the name into the value pool with `value` as its number (a known name takes the new
  // number); 1, or 0 when refused.
  int installEnumValueID(const char* name, std::int32_t value);
  // A field of the given type; 1, or 0 when the field exists there with another type or required
  // flag (or is refused otherwise).
  int addFieldDefinition(const char* objType, const char* field, KtFieldTypeEnum type,
                         int required);
  int addFieldDefinition(const char* objType, std::uint32_t section, const char* field,
                         KtFieldTypeEnum type, int required);
  // When `valueOrType` is a value name: an enumeration field with that value added to its list.
  // Else when it is an object type: a reference field to that type (a target given earlier is
  // kept). Else 0.
  int addFieldDefinition(const char* objType, const char* field, const char* valueOrType,
                         int required);
  int addFieldDefinition(const char* objType, std::uint32_t section, const char* field,
                         const char* valueOrType, int required);
  // Adds or finds a section (a sub-section of `parent`, 0 for the top level); its code, or
  // KT_OML_NO_SECTION when refused.
  std::uint32_t addSectionDefinition(const char* objType, const char* section);
  std::uint32_t addSectionDefinition(const char* objType, std::uint32_t parent,
                                     const char* section);
  // Allows `subType` (created when new) as a sub-object of `objType` (in the section with that
  // code; 0: directly); 1, or 0 when refused.
  int addObjectTypeDefinition(const char* objType, const char* subType);
  int addObjectTypeDefinition(const char* objType, std::uint32_t section, const char* subType);

 private:
  friend class KtOMLFile;
  friend class KtOMLLexer;
  friend class KtOMLWordTable;
  friend struct KtOMLStaticProbe;  // lets the tests read the pools and sizes

  KtStringPool* pValueIDPool() const { return valueIDPool_; }
  KtStringPool* pObjTypeIDPool() const { return objTypeIDPool_; }
  KtStringPool* pSectionIDPool() const { return sectionIDPool_; }
  KtStringPool* pFieldIDPool() const { return fieldIDPool_; }
  std::int32_t stringPoolSize() const { return stringPoolSize_; }
  std::int32_t valueIDPoolSize() const { return valueIDPoolSize_; }
  std::int32_t objTypeIDPoolSize() const { return objTypeIDPoolSize_; }
  std::int32_t sectionIDPoolSize() const { return sectionIDPoolSize_; }
  std::int32_t fieldIDPoolSize() const { return fieldIDPoolSize_; }
  std::int32_t objectIDPoolSize() const { return objectIDPoolSize_; }
  std::int32_t stringHashSize() const { return stringHashSize_; }
  std::int32_t valueIDHashSize() const { return valueIDHashSize_; }
  std::int32_t objTypeIDHashSize() const { return objTypeIDHashSize_; }
  std::int32_t sectionIDHashSize() const { return sectionIDHashSize_; }
  std::int32_t fieldIDHashSize() const { return fieldIDHashSize_; }
  std::int32_t objectIDHashSize() const { return objectIDHashSize_; }

  // The table readers classify words by, made on first use and again once names were added;
  // null when memory runs out. Readings may take it at the same time.
  const KtOMLWordTable* readerWords() const;
  // The record of object type `index`; null when out of range.
  KtOMLDefObjType* pObjTypeDefinition(std::int32_t index) const;
  // The number of value name `index`; 0 when out of range.
  std::int32_t enumValue(std::int32_t index) const;
  // Returns 1 iff `index` is a section of the grammar's pool.
  int definedSection(std::int32_t index) const;
  // The index of the name in the section (field) pool, added when new; -1 when refused.
  std::int32_t installSectionID(const char* name);
  std::int32_t installFieldID(const char* name);
  // The hash table size for a pool of n names: 3n/2, times 4 below 256 or times 2 below 512,
  // then the next prime of the prime table; 15013 beyond the table's last prime.
  static std::int32_t hashTableSize(std::int32_t n);
  // The next word at `text` (after blanks and tabs) as a new string that the caller deletes
  // with delete[]; `text` moves past it. Null when there is no word or no memory.
  static char* makeCopyOfNextWord(const char*& text);

  void initialize(std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
                  std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
                  std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize);
  void installPredefinedIDs();
  void installTables(const KtOMLStaticVEStruct* values, const char* const* sections,
                     const char* const* definitions);
  void releaseDefinitions();

  // The building blocks behind the protected operations and the definition language.
  // A type's record, made on demand; null when the name cannot be stored.
  KtOMLDefObjType* objType(const char* name);
  // The section of `type` with that code: *found is set to false for a code no section has.
  // Code 0 gives null with *found true.
  KtOMLDefSection* sectionOf(const KtOMLDefObjType* type, std::uint32_t code, bool* found) const;
  // Adds or finds a field in `section` (null: in the type); *created tells which.
  KtOMLDefField* addField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* name,
                          KtFieldTypeEnum fieldType, int required, bool* created);
  KtOMLDefSection* addSection(KtOMLDefObjType* type, KtOMLDefSection* parent, const char* name);
  int addSubObjType(KtOMLDefObjType* type, KtOMLDefSection* section, const char* subType);
  // Puts `index` at the front of `*list` unless it is there; 0 when memory ran out.
  static int addIndex(KtOMLDefIndexList** list, std::int32_t index);

  // The lines of the definition language that define fields (oml_static_language.cpp).
  void defineField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* line);
  void defineEnumField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* line);
  void defineReferenceField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* line);
  // One group of the key header: a comment, then a line for each name from index `first`.
  void writeKeyGroup(KtTextFile& file, const char* comment, const char* prefix,
                     const KtStringPool* pool, std::int32_t first) const;

  KtStringPool* valueIDPool_;
  KtStringPool* objTypeIDPool_;
  KtStringPool* sectionIDPool_;
  KtStringPool* fieldIDPool_;
  std::int32_t stringPoolSize_;
  std::int32_t valueIDPoolSize_;
  std::int32_t objTypeIDPoolSize_;
  std::int32_t sectionIDPoolSize_;
  std::int32_t fieldIDPoolSize_;
  std::int32_t objectIDPoolSize_;
  std::int32_t stringHashSize_;
  std::int32_t valueIDHashSize_;
  std::int32_t objTypeIDHashSize_;
  std::int32_t sectionIDHashSize_;
  std::int32_t fieldIDHashSize_;
  std::int32_t objectIDHashSize_;
  // The newest word table; the tables it replaced hang behind it.
  mutable std::atomic<KtOMLWordTable*> readerWords_{nullptr};
};

#endif  // KTBASE_OML_OML_STATIC_H
