#include "ktbase/oml/oml_static.h"

#include <cstdint>
#include <initializer_list>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_section_path.h"
#include "ktbase/oml/oml_words.h"

namespace {

constexpr std::int16_t kMaxFieldsPerList = INT16_MAX;

// The lookup of a name that may be null, in a pool that may be missing.
std::int32_t lookupIn(const KtStringPool* pool, const char* name) {
  return pool != nullptr && name != nullptr ? pool->lookup(name) : -1;
}

bool isName(const char* name) { return name != nullptr && name[0] != 0; }

void releaseIndexList(KtOMLDefIndexList* list) {
  while (list != nullptr) {
    KtOMLDefIndexList* next = list->pNext;
    delete list;
    list = next;
  }
}

void releaseFields(KtOMLDefField* field) {
  while (field != nullptr) {
    KtOMLDefField* next = field->pNext;
    releaseIndexList(field->pIndexList);
    delete field;
    field = next;
  }
}

// Sections nest at most eight deep, so the recursion is bounded.
void releaseSections(KtOMLDefSection* section) {
  while (section != nullptr) {
    KtOMLDefSection* next = section->pNext;
    releaseFields(section->pFieldList);
    releaseSections(section->pSubSectionList);
    releaseIndexList(section->pSubObjTypeList);
    delete section;
    section = next;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Records

int KtOMLDefIndexList::contains(const KtOMLDefIndexList* list, std::int32_t index) {
  for (; list != nullptr; list = list->pNext)
    if (list->index == index) return 1;
  return 0;
}

std::int32_t KtOMLDefIndexList::length(const KtOMLDefIndexList* list) {
  std::int32_t n = 0;
  for (; list != nullptr; list = list->pNext) ++n;
  return n;
}

KtOMLDefField* KtOMLDefField::find(KtOMLDefField* list, std::int32_t fieldIndex) {
  for (; list != nullptr; list = list->pNext)
    if (list->fieldIDIndex == fieldIndex) return list;
  return nullptr;
}

KtOMLDefField* KtOMLDefField::withNumber(KtOMLDefField* list, std::int32_t number) {
  for (; list != nullptr; list = list->pNext)
    if (list->number == number) return list;
  return nullptr;
}

KtOMLDefSection* KtOMLDefSection::find(KtOMLDefSection* list, std::int32_t sectionIndex) {
  for (; list != nullptr; list = list->pNext)
    if (list->sectionIDIndex == sectionIndex) return list;
  return nullptr;
}

int KtOMLDefSection::level() const { return ktOMLPathDepth(sectionPath); }

KtOMLDefSection* KtOMLDefObjType::sectionWithCode(std::uint32_t code) const {
  KtOMLDefSection* list = pSectionList;
  KtOMLDefSection* found = nullptr;
  for (int level = 1; level <= KT_OML_MAX_SECTION_LEVELS; ++level) {
    std::uint32_t ordinal = ktOMLPathLevel(code, level);
    if (ordinal == 0) {
      // Every level above an empty one must be empty too.
      return code >> (4 * (level - 1)) == 0 ? found : nullptr;
    }
    found = nullptr;
    for (KtOMLDefSection* s = list; s != nullptr; s = s->pNext)
      if (ktOMLPathLevel(s->sectionPath, level) == ordinal) {
        found = s;
        break;
      }
    if (found == nullptr) return nullptr;
    list = found->pSubSectionList;
  }
  return found;
}

namespace {

// The sibling that comes after `section` in code order (lists hold the newest first), or null.
KtOMLDefSection* siblingAfter(KtOMLDefSection* list, const KtOMLDefSection* section) {
  const int level = section->level();
  const std::uint32_t wanted = ktOMLPathLevel(section->sectionPath, level) + 1;
  for (; list != nullptr; list = list->pNext)
    if (ktOMLPathLevel(list->sectionPath, level) == wanted) return list;
  return nullptr;
}

// The section with the lowest code of a list: the last one added.
KtOMLDefSection* oldestOf(KtOMLDefSection* list) {
  while (list != nullptr && list->pNext != nullptr) list = list->pNext;
  return list;
}

}  // namespace

std::uint32_t ktOMLSectionPathMask(std::uint32_t path) {
  std::uint32_t mask = 0;
  for (int level = 1; level <= KT_OML_MAX_SECTION_LEVELS; ++level)
    if (ktOMLPathLevel(path, level) != KT_OML_WILDCARD) mask = ktOMLPathWith(mask, level, 15u);
  return mask;
}

int ktOMLSectionPathAgrees(std::uint32_t code, std::uint32_t path) {
  const std::uint32_t mask = ktOMLSectionPathMask(path);
  return (code & mask) == (path & mask);
}

KtOMLDefSection* KtOMLDefObjType::firstSection() const { return oldestOf(pSectionList); }

KtOMLDefSection* KtOMLDefObjType::sectionAfter(const KtOMLDefSection* section) const {
  if (section == nullptr) return nullptr;
  if (section->pSubSectionList != nullptr) return oldestOf(section->pSubSectionList);
  for (; section != nullptr; section = section->pParent) {
    KtOMLDefSection* list =
        section->pParent != nullptr ? section->pParent->pSubSectionList : pSectionList;
    if (KtOMLDefSection* next = siblingAfter(list, section)) return next;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Construction

KtOMLStatic::KtOMLStatic() {
  init();
  initialize(4048, 512, 32, 32, 256, 4048);
}

KtOMLStatic::KtOMLStatic(const KtOMLStaticOEStruct* types, const char* const* sections,
                         const KtOMLStaticVEStruct* values, const char* const* definitions,
                         std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
                         std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
                         std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize) {
  init();
  initialize(stringPoolSize, valueIDPoolSize, objTypeIDPoolSize, sectionIDPoolSize, fieldIDPoolSize,
             objectIDPoolSize);
  if (types != nullptr) installObjectTypeTable(types);
  installTables(values, sections, definitions);
}

KtOMLStatic::KtOMLStatic(const char* const* types, const char* const* sections,
                         const KtOMLStaticVEStruct* values, const char* const* definitions,
                         std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
                         std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
                         std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize) {
  init();
  initialize(stringPoolSize, valueIDPoolSize, objTypeIDPoolSize, sectionIDPoolSize, fieldIDPoolSize,
             objectIDPoolSize);
  if (types != nullptr) installObjectTypeTable(types);
  installTables(values, sections, definitions);
}

void KtOMLStatic::installTables(const KtOMLStaticVEStruct* values, const char* const* sections,
                                const char* const* definitions) {
  if (sections != nullptr) installSectionTable(sections);
  if (values != nullptr) installEnumValueTable(values);
  if (definitions != nullptr) installDefinitionTable(definitions);
}

KtOMLStatic::~KtOMLStatic() {
  for (KtOMLWordTable* t = readerWords_.load(); t != nullptr;) {
    KtOMLWordTable* older = t->older;
    delete t;
    t = older;
  }
  releaseDefinitions();
  delete valueIDPool_;
  delete objTypeIDPool_;
  delete sectionIDPool_;
  delete fieldIDPool_;
}

void KtOMLStatic::init() {
  valueIDPool_ = nullptr;
  objTypeIDPool_ = nullptr;
  sectionIDPool_ = nullptr;
  fieldIDPool_ = nullptr;
  stringPoolSize_ = valueIDPoolSize_ = objTypeIDPoolSize_ = 0;
  sectionIDPoolSize_ = fieldIDPoolSize_ = objectIDPoolSize_ = 0;
  stringHashSize_ = valueIDHashSize_ = objTypeIDHashSize_ = 0;
  sectionIDHashSize_ = fieldIDHashSize_ = objectIDHashSize_ = 0;
}

void KtOMLStatic::initialize(std::int32_t stringPoolSize, std::int32_t valueIDPoolSize,
                             std::int32_t objTypeIDPoolSize, std::int32_t sectionIDPoolSize,
                             std::int32_t fieldIDPoolSize, std::int32_t objectIDPoolSize) {
  stringPoolSize_ = stringPoolSize;
  valueIDPoolSize_ = valueIDPoolSize;
  objTypeIDPoolSize_ = objTypeIDPoolSize;
  sectionIDPoolSize_ = sectionIDPoolSize;
  fieldIDPoolSize_ = fieldIDPoolSize;
  objectIDPoolSize_ = objectIDPoolSize;
  stringHashSize_ = hashTableSize(stringPoolSize);
  valueIDHashSize_ = hashTableSize(valueIDPoolSize);
  objTypeIDHashSize_ = hashTableSize(objTypeIDPoolSize);
  sectionIDHashSize_ = hashTableSize(sectionIDPoolSize);
  fieldIDHashSize_ = hashTableSize(fieldIDPoolSize);
  objectIDHashSize_ = hashTableSize(objectIDPoolSize);
  valueIDPool_ = new (std::nothrow) KtStringPool(valueIDHashSize_, valueIDPoolSize, 0, 1);
  objTypeIDPool_ = new (std::nothrow) KtStringPool(objTypeIDHashSize_, objTypeIDPoolSize, 0, 1);
  sectionIDPool_ = new (std::nothrow) KtStringPool(sectionIDHashSize_, sectionIDPoolSize, 0, 0);
  fieldIDPool_ = new (std::nothrow) KtStringPool(fieldIDHashSize_, fieldIDPoolSize, 0, 0);
  installPredefinedIDs();
}

// The reader relies on these indexes, so the order is fixed.
void KtOMLStatic::installPredefinedIDs() {
  for (const char* name : {"include", "input", "comment", "section", "id", "name"})
    installFieldID(name);
  installSectionID("skip");
  installFieldID("field");
  installSectionID("_");
  installEnumValueID("true", 1);
  installEnumValueID("false", 0);
  objType("$toplevel$");
}

std::int32_t KtOMLStatic::hashTableSize(std::int32_t n) {
  std::int64_t h = static_cast<std::int64_t>(n) * 3 / 2;  // 64 bits: no overflow for any n
  if (h < 256)
    h *= 4;
  else if (h < 512)
    h *= 2;
  if (h >= INT32_MAX) return 15013;
  std::int32_t prime = nextPrimeNumber(static_cast<std::int32_t>(h));
  return prime != 0 ? prime : 15013;
}

void KtOMLStatic::releaseDefinitions() {
  if (objTypeIDPool_ == nullptr) return;
  for (std::int32_t i = 0; i < objTypeIDPool_->decodeTableMax(); ++i) {
    KtOMLDefObjType* type = static_cast<KtOMLDefObjType*>(objTypeIDPool_->pointer(i));
    if (type == nullptr) continue;
    releaseFields(type->pFieldList);
    releaseSections(type->pSectionList);
    releaseIndexList(type->pSubObjTypeList);
    delete type;
    objTypeIDPool_->pointer(i, nullptr);
  }
}

// ---------------------------------------------------------------------------------------------
// Tables

void KtOMLStatic::installObjectTypeTable(const KtOMLStaticOEStruct* types) {
  if (types == nullptr) return;
  for (; types->name != nullptr; ++types)
    installObjTypeID(types->name, types->checkFunction, types->createFunction,
                     types->readFieldFunction, types->writeFunction);
}

void KtOMLStatic::installObjectTypeTable(const char* const* types) {
  if (types == nullptr) return;
  for (; *types != nullptr; ++types) objType(*types);
}

void KtOMLStatic::installSectionTable(const char* const* sections) {
  if (sections == nullptr) return;
  for (; *sections != nullptr; ++sections) installSectionID(*sections);
}

void KtOMLStatic::installFieldTable(const char* const* fields) {
  if (fields == nullptr) return;
  for (; *fields != nullptr; ++fields) installFieldID(*fields);
}

void KtOMLStatic::installEnumValueTable(const KtOMLStaticVEStruct* values) {
  if (values == nullptr) return;
  for (; values->name != nullptr; ++values) installEnumValueID(values->name, values->value);
}

// ---------------------------------------------------------------------------------------------
// Queries

const KtOMLWordTable* KtOMLStatic::readerWords() const {
  KtOMLWordTable* current = readerWords_.load(std::memory_order_acquire);
  if (current != nullptr && current->fits(*this)) return current;
  KtOMLWordTable* fresh = KtOMLWordTable::build(*this);
  if (fresh == nullptr) return nullptr;
  fresh->older = current;
  if (readerWords_.compare_exchange_strong(current, fresh, std::memory_order_acq_rel)) return fresh;
  delete fresh;  // another reading made one at the same time: `current` is now that one
  return current;
}

KtOMLDefObjType* KtOMLStatic::pObjTypeDefinition(std::int32_t index) const {
  if (objTypeIDPool_ == nullptr) return nullptr;
  return static_cast<KtOMLDefObjType*>(objTypeIDPool_->pointer(index));
}

std::int32_t KtOMLStatic::enumValue(std::int32_t index) const {
  if (valueIDPool_ == nullptr) return 0;
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(valueIDPool_->pointer(index)));
}

int KtOMLStatic::definedSection(std::int32_t index) const {
  return sectionIDPool_ != nullptr && index >= 0 && index < sectionIDPool_->decodeTableMax();
}

std::int32_t KtOMLStatic::installSectionID(const char* name) {
  return sectionIDPool_ != nullptr && isName(name) ? sectionIDPool_->update(name) : -1;
}

std::int32_t KtOMLStatic::installFieldID(const char* name) {
  return fieldIDPool_ != nullptr && isName(name) ? fieldIDPool_->update(name) : -1;
}

// ---------------------------------------------------------------------------------------------
// Definition operations

KtOMLDefObjType* KtOMLStatic::objType(const char* name) {
  if (objTypeIDPool_ == nullptr || !isName(name)) return nullptr;
  std::int32_t index = objTypeIDPool_->lookup(name);
  if (index >= 0) return static_cast<KtOMLDefObjType*>(objTypeIDPool_->pointer(index));
  KtOMLDefObjType* type = new (std::nothrow) KtOMLDefObjType{};
  if (type == nullptr) return nullptr;
  index = objTypeIDPool_->update(name);
  if (index < 0) {
    delete type;
    return nullptr;
  }
  objTypeIDPool_->pointer(index, type);
  return type;
}

KtOMLDefObjType* KtOMLStatic::installObjTypeID(const char* name, KtOMLCheckFunction check,
                                               KtOMLCreateFunction create,
                                               KtOMLReadFieldFunction readField,
                                               KtOMLWriteFunction write) {
  KtOMLDefObjType* type = objType(name);
  if (type == nullptr) return nullptr;
  if (check != nullptr) type->checkFunction = check;
  if (create != nullptr) type->createFunction = create;
  if (readField != nullptr) type->readFieldFunction = readField;
  if (write != nullptr) type->writeFunction = write;
  return type;
}

int KtOMLStatic::installEnumValueID(const char* name, std::int32_t value) {
  if (valueIDPool_ == nullptr || !isName(name)) return 0;
  std::int32_t index = valueIDPool_->update(name);
  if (index < 0) return 0;
  valueIDPool_->pointer(index, reinterpret_cast<void*>(static_cast<std::intptr_t>(value)));
  return 1;
}

KtOMLDefSection* KtOMLStatic::sectionOf(const KtOMLDefObjType* type, std::uint32_t code,
                                        bool* found) const {
  *found = true;
  if (code == 0) return nullptr;
  KtOMLDefSection* section = type != nullptr ? type->sectionWithCode(code) : nullptr;
  *found = section != nullptr;
  return section;
}

KtOMLDefField* KtOMLStatic::addField(KtOMLDefObjType* type, KtOMLDefSection* section,
                                     const char* name, KtFieldTypeEnum fieldType, int required,
                                     bool* created) {
  *created = false;
  if (type == nullptr || !isName(name)) return nullptr;
  KtOMLDefField** list = section != nullptr ? &section->pFieldList : &type->pFieldList;
  std::int16_t isRequired = required != 0 ? 1 : 0;
  std::int32_t index = lookupIn(fieldIDPool_, name);
  if (KtOMLDefField* field = index >= 0 ? KtOMLDefField::find(*list, index) : nullptr) {
    if (field->fieldType != fieldType || field->required != isRequired) return nullptr;
    return field;
  }
  std::int16_t number = *list != nullptr ? (*list)->number : 0;
  if (number >= kMaxFieldsPerList) return nullptr;
  KtOMLDefField* field = new (std::nothrow) KtOMLDefField{};
  if (field == nullptr) return nullptr;
  index = installFieldID(name);
  if (index < 0) {
    delete field;
    return nullptr;
  }
  field->fieldIDIndex = index;
  field->fieldType = fieldType;
  field->required = isRequired;
  field->number = static_cast<std::int16_t>(number + 1);
  field->pNext = *list;
  *list = field;
  if (isRequired != 0) {
    field->pNextRequired = type->pRequiredFieldList;
    type->pRequiredFieldList = field;
  }
  *created = true;
  return field;
}

KtOMLDefSection* KtOMLStatic::addSection(KtOMLDefObjType* type, KtOMLDefSection* parent,
                                         const char* name) {
  if (type == nullptr || !isName(name)) return nullptr;
  KtOMLDefSection** list = parent != nullptr ? &parent->pSubSectionList : &type->pSectionList;
  std::int32_t index = lookupIn(sectionIDPool_, name);
  if (KtOMLDefSection* section = index >= 0 ? KtOMLDefSection::find(*list, index) : nullptr)
    return section;
  // The level the new section takes, and its ordinal there: the newest sibling has the highest.
  int level = parent != nullptr ? parent->level() + 1 : 1;
  if (level > KT_OML_MAX_SECTION_LEVELS) return nullptr;
  std::uint32_t ordinal = *list != nullptr ? ktOMLPathLevel((*list)->sectionPath, level) + 1 : 1;
  if (ordinal > KT_OML_MAX_SECTIONS_PER_LEVEL) return nullptr;
  KtOMLDefSection* section = new (std::nothrow) KtOMLDefSection{};
  if (section == nullptr) return nullptr;
  index = installSectionID(name);
  if (index < 0) {
    delete section;
    return nullptr;
  }
  section->sectionIDIndex = index;
  section->sectionPath =
      ktOMLPathWith(parent != nullptr ? parent->sectionPath : 0u, level, ordinal);
  section->pParent = parent;
  section->pNext = *list;
  *list = section;
  return section;
}

int KtOMLStatic::addIndex(KtOMLDefIndexList** list, std::int32_t index) {
  if (KtOMLDefIndexList::contains(*list, index)) return 1;
  KtOMLDefIndexList* node = new (std::nothrow) KtOMLDefIndexList{index, *list};
  if (node == nullptr) return 0;
  *list = node;
  return 1;
}

int KtOMLStatic::addSubObjType(KtOMLDefObjType* type, KtOMLDefSection* section,
                               const char* subType) {
  if (type == nullptr || objType(subType) == nullptr) return 0;
  KtOMLDefIndexList** list =
      section != nullptr ? &section->pSubObjTypeList : &type->pSubObjTypeList;
  return addIndex(list, objTypeIDPool_->lookup(subType));
}

int KtOMLStatic::addFieldDefinition(const char* objType, const char* field, KtFieldTypeEnum type,
                                    int required) {
  return addFieldDefinition(objType, 0u, field, type, required);
}

int KtOMLStatic::addFieldDefinition(const char* objTypeName, std::uint32_t section,
                                    const char* field, KtFieldTypeEnum fieldType, int required) {
  if (!isName(field)) return 0;
  bool found = false;
  KtOMLDefSection* where =
      sectionOf(pObjTypeDefinition(lookupIn(objTypeIDPool_, objTypeName)), section, &found);
  if (!found) return 0;
  bool created = false;
  return addField(objType(objTypeName), where, field, fieldType, required, &created) != nullptr;
}

int KtOMLStatic::addFieldDefinition(const char* objType, const char* field, const char* valueOrType,
                                    int required) {
  return addFieldDefinition(objType, 0u, field, valueOrType, required);
}

int KtOMLStatic::addFieldDefinition(const char* objTypeName, std::uint32_t section,
                                    const char* field, const char* valueOrType, int required) {
  if (!isName(field)) return 0;
  std::int32_t value = lookupIn(valueIDPool_, valueOrType);
  std::int32_t target = value < 0 ? lookupIn(objTypeIDPool_, valueOrType) : -1;
  if (value < 0 && target < 0) return 0;
  bool found = false;
  KtOMLDefSection* where =
      sectionOf(pObjTypeDefinition(lookupIn(objTypeIDPool_, objTypeName)), section, &found);
  if (!found) return 0;
  bool created = false;
  KtOMLDefField* def =
      addField(objType(objTypeName), where, field,
               value >= 0 ? KT_FIELD_ENUM : KT_FIELD_OBJECT_REFERENCE, required, &created);
  if (def == nullptr) return 0;
  if (value >= 0) return addIndex(&def->pIndexList, value);
  return def->pIndexList != nullptr || addIndex(&def->pIndexList, target);
}

std::uint32_t KtOMLStatic::addSectionDefinition(const char* objType, const char* section) {
  return addSectionDefinition(objType, 0u, section);
}

std::uint32_t KtOMLStatic::addSectionDefinition(const char* objTypeName, std::uint32_t parent,
                                                const char* section) {
  if (!isName(section)) return KT_OML_NO_SECTION;
  bool found = false;
  KtOMLDefSection* where =
      sectionOf(pObjTypeDefinition(lookupIn(objTypeIDPool_, objTypeName)), parent, &found);
  if (!found) return KT_OML_NO_SECTION;
  KtOMLDefSection* added = addSection(objType(objTypeName), where, section);
  return added != nullptr ? added->sectionPath : KT_OML_NO_SECTION;
}

int KtOMLStatic::addObjectTypeDefinition(const char* objType, const char* subType) {
  return addObjectTypeDefinition(objType, 0u, subType);
}

int KtOMLStatic::addObjectTypeDefinition(const char* objTypeName, std::uint32_t section,
                                         const char* subType) {
  if (!isName(subType)) return 0;
  bool found = false;
  KtOMLDefSection* where =
      sectionOf(pObjTypeDefinition(lookupIn(objTypeIDPool_, objTypeName)), section, &found);
  if (!found) return 0;
  return addSubObjType(objType(objTypeName), where, subType);
}
