#include "ktbase/oml/oml_object.h"

#include <cstdint>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/format.h"
#include "ktbase/oml/oml_file.h"

namespace {

constexpr std::int64_t kIDSpacing = 8;

// 64-bit addition that wraps instead of overflowing.
std::int64_t wrappingAdd(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

std::int64_t addressOf(const void* object) {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(object));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// KtObjectWithID

KtObjectWithID::~KtObjectWithID() {}

void KtObjectWithID::KtObjectWithIDdeepCopy(const KtObjectWithID&) {}
void KtObjectWithID::KtObjectWithIDattributeCopy(const KtObjectWithID&) {}

std::int32_t KtObjectWithID::localID() const { return 0; }

// ---------------------------------------------------------------------------------------------
// KtOMLObject

KtOMLObject::~KtOMLObject() {}

void KtOMLObject::KtOMLObjectdeepCopy(const KtOMLObject&) {}
void KtOMLObject::KtOMLObjectattributeCopy(const KtOMLObject&) {}

KtObject* KtOMLObject::pIUserField() const {
  return reinterpret_cast<KtObject*>(static_cast<std::intptr_t>(iUserField_));
}

KtObject* KtOMLObject::pIUserField(KtObject* object) {
  iUserField_ = addressOf(object);
  return object;
}

std::int64_t KtOMLObject::graphFileID() const { return iUserField_; }
int KtOMLObject::isOMLObject() const { return 1; }
int KtOMLObject::isFactory() const { return 0; }
KtOMLObject* KtOMLObject::pOwnerObject() { return nullptr; }

void KtOMLObject::preFileWrite(KtOMLFile* file) {
  KtIndexHashTable* table = file != nullptr ? file->pIndexHashTable() : nullptr;
  prepareIDForGraphFile(table);
  KtDList subObjects;
  vBuildListOfSubObjects(subObjects);
  if (subObjects.length() == 0) return;
  for (KtDListCell* cell = subObjects.pFirstCell(); cell != nullptr; cell = cell->pNextCell())
    castDown(cell->pObject())->preFileWrite(file);
  if (table != nullptr) makeIDsUniqueForGraphFile(table, &subObjects);
}

void KtOMLObject::postFileWrite(KtOMLFile* file, KtFileCodeEnum result) {
  finalizeIDForGraphFile();
  KtDList subObjects;
  vBuildListOfSubObjects(subObjects);
  for (KtDListCell* cell = subObjects.pFirstCell(); cell != nullptr; cell = cell->pNextCell())
    castDown(cell->pObject())->postFileWrite(file, result);
}

void KtOMLObject::makeIDsUniqueForGraphFile(KtIndexHashTable* table, KtDList* objects) {
  if (table == nullptr || objects == nullptr) return;
  const std::int64_t error = table->errorValue();
  auto advance = [&](std::int64_t id) {
    id = wrappingAdd(id, kIDSpacing);
    return id == error ? wrappingAdd(id, kIDSpacing) : id;
  };
  std::int64_t next = advance(table->maxValueIndex());
  KtIUserFieldDListSort byID;
  byID.mergeSort(objects);
  std::int64_t previous = error;
  for (KtDListCell* cell = objects->pFirstCell(); cell != nullptr; cell = cell->pNextCell()) {
    KtOMLObject* object = castDown(cell->pObject());
    const std::int64_t id = object->iUserField();
    if (id == previous || id == error) {
      object->iUserField(next);
      next = advance(next);
    }
    previous = id;
  }
}

int KtOMLObject::vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtOMLFile*) { return 0; }
void KtOMLObject::vWriteFields(KtOMLFile*, int) {}
KtObject* KtOMLObject::vCreateObject(KtOMLSyntaxObject*, KtOMLSyntaxObject*, KtOMLFile*) {
  return nullptr;
}
void KtOMLObject::vPreReadFields(KtOMLSyntaxObject*, KtOMLFile*) {}
void KtOMLObject::vPostReadFields(KtOMLSyntaxObject*, KtOMLFile*) {}
int KtOMLObject::internalUserFieldsInUse() const { return iUserField_ != 0; }
void KtOMLObject::nullInternalUserFields() { iUserField_ = 0; }

void KtOMLObject::prepareIDForGraphFile(KtIndexHashTable* table) {
  std::int64_t id = addressOf(this);
  if (table != nullptr) {
    std::int64_t stored = table->lookup(id);
    if (stored != table->errorValue()) id = stored;
  }
  iUserField_ = id;
}

void KtOMLObject::finalizeIDForGraphFile() { iUserField_ = 0; }
int KtOMLObject::objectType() const { return 0; }
void KtOMLObject::vBuildListOfSubObjects(KtDList&) {}

// ---------------------------------------------------------------------------------------------
// KtUniqueID

void KtUniqueID::getObjectID(const KtObject* object) {
  firstID_ = addressOf(object);
  secondID_ = object != nullptr ? object->localID() : 0;
}

char* KtUniqueID::idString(char* buffer) const {
  kt_vs8_ktprintf(buffer, "ID%08lx%08lx", static_cast<std::uint32_t>(firstID_),
                  static_cast<std::uint32_t>(secondID_));
  return buffer;
}

// ---------------------------------------------------------------------------------------------
// KtOMLObjectTuple

KtOMLObjectTuple::~KtOMLObjectTuple() {}

void KtOMLObjectTuple::KtOMLObjectTupledeepCopy(const KtOMLObjectTuple& source) {
  KtOMLObjectTupleattributeCopy(source);
}

void KtOMLObjectTuple::KtOMLObjectTupleattributeCopy(const KtOMLObjectTuple& source) {
  pFirstObject_ = source.pFirstObject_;
  pSecondObject_ = source.pSecondObject_;
}

std::int32_t KtOMLObjectTuple::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtOMLObjectTuple));
}

// ---------------------------------------------------------------------------------------------
// KtIUserFieldDListSort

KtIUserFieldDListSort::~KtIUserFieldDListSort() {}

int KtIUserFieldDListSort::virtualCompare(KtDListCell* cellA, KtDListCell* cellB) {
  std::int64_t a = KtOMLObject::castDown(cellA->pObject())->iUserField();
  std::int64_t b = KtOMLObject::castDown(cellB->pObject())->iUserField();
  return (a > b) - (a < b);
}
