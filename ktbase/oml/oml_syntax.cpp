#include "ktbase/oml/oml_syntax.h"

#include <new>

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"

// ---------------------------------------------------------------------------------------------
// KtOMLSyntaxStruct

KtOMLSyntaxStruct::KtOMLSyntaxStruct(KtOMLFile* file, std::int32_t line, int position,
                                     std::int32_t fileNameIndex) {
  init();
  pOMLFile_ = file;
  line_ = line;
  position_ = position;
  fileNameIndex_ = fileNameIndex;
}

KtOMLSyntaxStruct::~KtOMLSyntaxStruct() {}

void KtOMLSyntaxStruct::init() {
  pOMLFile_ = nullptr;
  fileNameIndex_ = -1;
  line_ = -1;
  position_ = -1;
  inReaderBlocks_ = 0;
}

void KtOMLSyntaxStruct::KtOMLSyntaxStructdeepCopy(const KtOMLSyntaxStruct& source) {
  KtOMLSyntaxStructattributeCopy(source);
}

void KtOMLSyntaxStruct::KtOMLSyntaxStructattributeCopy(const KtOMLSyntaxStruct& source) {
  pOMLFile_ = source.pOMLFile_;
  fileNameIndex_ = source.fileNameIndex_;
  line_ = source.line_;
  position_ = source.position_;
}

// ---------------------------------------------------------------------------------------------
// KtOMLSyntaxObject

KtOMLSyntaxObject::KtOMLSyntaxObject(KtOMLFile* file, std::int32_t line, int position,
                                     std::int32_t fileNameIndex, std::int32_t objTypeIDIndex,
                                     std::int32_t objectIDIndex, std::int32_t sectionIDIndex,
                                     std::uint32_t sectionPathIndex, KtOMLDefObjType* defObjType)
    : KtOMLSyntaxStruct(file, line, position, fileNameIndex) {
  init();
  objTypeIDIndex_ = objTypeIDIndex;
  objectIDIndex_ = objectIDIndex;
  sectionIDIndex_ = sectionIDIndex;
  sectionPathIndex_ = sectionPathIndex;
  pDefObjType_ = defObjType;
}

KtOMLSyntaxObject::~KtOMLSyntaxObject() { releaseLists(); }

void KtOMLSyntaxObject::init() {
  objTypeIDIndex_ = -1;
  objectIDIndex_ = -1;
  sectionIDIndex_ = -1;
  sectionPathIndex_ = 0;
  pOwnerObject_ = nullptr;
  pObjectList_ = pObjectListEnd_ = nullptr;
  pFieldList_ = pFieldListEnd_ = nullptr;
  pDefaultList_ = nullptr;
  pDefObjType_ = nullptr;
}

// A copy takes the node's own settings; its lists start empty, whatever the flag.
void KtOMLSyntaxObject::KtOMLSyntaxObjectdeepCopy(const KtOMLSyntaxObject& source) {
  KtOMLSyntaxObjectattributeCopy(source);
}

void KtOMLSyntaxObject::KtOMLSyntaxObjectattributeCopy(const KtOMLSyntaxObject& source) {
  KtOMLSyntaxStruct::copyAttributes(&source);
  objTypeIDIndex_ = source.objTypeIDIndex_;
  objectIDIndex_ = source.objectIDIndex_;
  sectionIDIndex_ = source.sectionIDIndex_;
  sectionPathIndex_ = source.sectionPathIndex_;
  pDefObjType_ = source.pDefObjType_;
}

template <typename Cell>
Cell* KtOMLSyntaxObject::newCell() {
  if (inReaderBlocks() != 0 && pOMLFile() != nullptr)
    return static_cast<Cell*>(pOMLFile()->allocateInBlocks(sizeof(Cell)));
  return new (std::nothrow) Cell;
}

template <typename Cell>
void KtOMLSyntaxObject::freeCell(Cell* cell) {
  if (inReaderBlocks() == 0) delete cell;
}

namespace {

// Destroys a node the way it was made.
void destroyNode(KtOMLSyntaxStruct* node, bool inReaderBlocks) {
  if (inReaderBlocks)
    node->~KtOMLSyntaxStruct();
  else
    delete node;
}

}  // namespace

// The sub-objects go depth first without recursion: the walk descends through each object's
// first sub-object, using the owner links to come back, and destroys an object once it has none
// left. So a tree of any depth, and lists of any length, take constant stack.
void KtOMLSyntaxObject::releaseLists() {
  KtOMLSyntaxObject* current = this;
  for (;;) {
    if (KtOMLSyntaxObjectList* cell = current->pObjectList_) {
      current->pObjectList_ = cell->pNext;
      if (current->pObjectList_ == nullptr) current->pObjectListEnd_ = nullptr;
      KtOMLSyntaxObject* child = cell->pObject;
      current->freeCell(cell);
      if (child == nullptr) continue;
      child->pOwnerObject_ = current;
      current = child;
      continue;
    }
    for (KtOMLSyntaxFieldList* cell = current->pFieldList_; cell != nullptr;) {
      KtOMLSyntaxFieldList* next = cell->pNext;
      if (cell->pField != nullptr) destroyNode(cell->pField, cell->pField->inReaderBlocks() != 0);
      current->freeCell(cell);
      cell = next;
    }
    current->pFieldList_ = current->pFieldListEnd_ = nullptr;
    for (KtOMLSyntaxDefaultList* cell = current->pDefaultList_; cell != nullptr;) {
      KtOMLSyntaxDefaultList* next = cell->pNext;
      current->freeCell(cell);
      cell = next;
    }
    current->pDefaultList_ = nullptr;
    if (current == this) return;
    KtOMLSyntaxObject* owner = current->pOwnerObject_;
    destroyNode(current, current->inReaderBlocks() != 0);
    current = owner;
  }
}

const char* KtOMLSyntaxObject::typeString() const {
  return pOMLFile() != nullptr ? pOMLFile()->objTypeID(objTypeIDIndex_) : "";
}

const char* KtOMLSyntaxObject::nameString() const {
  return pOMLFile() != nullptr && objectIDIndex_ >= 0 ? pOMLFile()->objectID(objectIDIndex_) : "";
}

const char* KtOMLSyntaxObject::sectionString() const {
  return pOMLFile() != nullptr ? pOMLFile()->sectionID(sectionIDIndex_) : "";
}

KtObject* KtOMLSyntaxObject::object() const {
  return pOMLFile() != nullptr ? pOMLFile()->pObject(objectIDIndex_) : nullptr;
}

int KtOMLSyntaxObject::addObject(KtOMLSyntaxObject* object) {
  if (object == nullptr) return 1;
  KtOMLSyntaxObjectList* cell = newCell<KtOMLSyntaxObjectList>();
  if (cell == nullptr) return 0;
  *cell = KtOMLSyntaxObjectList{object, nullptr};
  if (pObjectListEnd_ != nullptr)
    pObjectListEnd_->pNext = cell;
  else
    pObjectList_ = cell;
  pObjectListEnd_ = cell;
  object->pOwnerObject_ = this;
  return 1;
}

int KtOMLSyntaxObject::addField(KtOMLSyntaxField* field) {
  if (field == nullptr) return 1;
  KtOMLSyntaxFieldList* cell = newCell<KtOMLSyntaxFieldList>();
  if (cell == nullptr) return 0;
  *cell = KtOMLSyntaxFieldList{field, nullptr};
  if (pFieldListEnd_ != nullptr)
    pFieldListEnd_->pNext = cell;
  else
    pFieldList_ = cell;
  pFieldListEnd_ = cell;
  return 1;
}

int KtOMLSyntaxObject::addDefaultList(KtOMLSyntaxFieldList* list) {
  if (list == nullptr) return 1;
  KtOMLSyntaxDefaultList* cell = newCell<KtOMLSyntaxDefaultList>();
  if (cell == nullptr) return 0;
  *cell = KtOMLSyntaxDefaultList{list, pDefaultList_};
  pDefaultList_ = cell;
  return 1;
}

void KtOMLSyntaxDefaultList::append(KtOMLSyntaxDefaultList* chain, KtOMLSyntaxDefaultList* list) {
  if (chain == nullptr) return;
  while (chain->pNext != nullptr) chain = chain->pNext;
  chain->pNext = list;
}

// Cells move between two nodes made alike; between a reader's node and a caller's, the items
// move into new cells of this node's kind.
void KtOMLSyntaxObject::append(KtOMLSyntaxObject* other) {
  if (other == nullptr || other == this) return;
  for (KtOMLSyntaxObjectList* c = other->pObjectList_; c != nullptr; c = c->pNext)
    c->pObject->pOwnerObject_ = this;
  if (other->inReaderBlocks() == inReaderBlocks() && other->pOMLFile() == pOMLFile()) {
    if (other->pObjectList_ != nullptr) {
      (pObjectListEnd_ != nullptr ? pObjectListEnd_->pNext : pObjectList_) = other->pObjectList_;
      pObjectListEnd_ = other->pObjectListEnd_;
    }
    if (other->pFieldList_ != nullptr) {
      (pFieldListEnd_ != nullptr ? pFieldListEnd_->pNext : pFieldList_) = other->pFieldList_;
      pFieldListEnd_ = other->pFieldListEnd_;
    }
    if (pDefaultList_ == nullptr)
      pDefaultList_ = other->pDefaultList_;
    else
      KtOMLSyntaxDefaultList::append(pDefaultList_, other->pDefaultList_);
  } else {
    for (KtOMLSyntaxObjectList* c = other->pObjectList_; c != nullptr;) {
      KtOMLSyntaxObjectList* next = c->pNext;
      addObject(c->pObject);
      other->freeCell(c);
      c = next;
    }
    for (KtOMLSyntaxFieldList* c = other->pFieldList_; c != nullptr;) {
      KtOMLSyntaxFieldList* next = c->pNext;
      addField(c->pField);
      other->freeCell(c);
      c = next;
    }
    KtOMLSyntaxDefaultList* tail = nullptr;
    for (KtOMLSyntaxDefaultList* c = other->pDefaultList_; c != nullptr;) {
      KtOMLSyntaxDefaultList* next = c->pNext;
      KtOMLSyntaxDefaultList* copy = newCell<KtOMLSyntaxDefaultList>();
      if (copy != nullptr) {
        *copy = KtOMLSyntaxDefaultList{c->pFieldList, nullptr};
        if (tail != nullptr)
          tail->pNext = copy;
        else if (pDefaultList_ != nullptr)
          KtOMLSyntaxDefaultList::append(pDefaultList_, copy);
        else
          pDefaultList_ = copy;
        tail = copy;
      }
      other->freeCell(c);
      c = next;
    }
  }
  other->pObjectList_ = other->pObjectListEnd_ = nullptr;
  other->pFieldList_ = other->pFieldListEnd_ = nullptr;
  other->pDefaultList_ = nullptr;
}

void KtOMLSyntaxObject::deleteObjectItem(KtOMLSyntaxObjectList* previous) {
  KtOMLSyntaxObjectList* cell = previous != nullptr ? previous->pNext : pObjectList_;
  if (cell == nullptr) return;
  (previous != nullptr ? previous->pNext : pObjectList_) = cell->pNext;
  if (pObjectListEnd_ == cell) pObjectListEnd_ = previous;
  KtOMLSyntaxObject* object = cell->pObject;
  freeCell(cell);
  if (object != nullptr) destroyNode(object, object->inReaderBlocks() != 0);
}

// The object's own fields are searched before its defaults, so that the answer is the value that
// counts for the object.
template <typename Match>
KtOMLSyntaxField* KtOMLSyntaxObject::findField(Match match) const {
  for (const KtOMLSyntaxFieldList* c = pFieldList_; c != nullptr; c = c->pNext)
    if (match(c->pField)) return c->pField;
  for (const KtOMLSyntaxDefaultList* d = pDefaultList_; d != nullptr; d = d->pNext)
    for (const KtOMLSyntaxFieldList* c = d->pFieldList; c != nullptr; c = c->pNext)
      if (match(c->pField)) return c->pField;
  return nullptr;
}

KtOMLSyntaxField* KtOMLSyntaxObject::searchField(std::int32_t fieldIndex,
                                                 std::int32_t sectionIndex) const {
  return findField([&](const KtOMLSyntaxField* f) {
    return f->nameIndex() == fieldIndex &&
           (sectionIndex == -1 || f->sectionIDIndex() == sectionIndex);
  });
}

KtOMLSyntaxField* KtOMLSyntaxObject::searchField(const char* field, const char* section) const {
  if (pOMLFile() == nullptr || field == nullptr) return nullptr;
  const std::int32_t fieldIndex = pOMLFile()->fieldIDIndex(field);
  const std::int32_t sectionIndex = section != nullptr ? pOMLFile()->sectionIDIndex(section) : -1;
  if (fieldIndex < 0 || (section != nullptr && sectionIndex < 0)) return nullptr;
  return searchField(fieldIndex, sectionIndex);
}

KtOMLSyntaxField* KtOMLSyntaxObject::searchUniqueField(std::int32_t fieldIndex,
                                                       std::uint32_t sectionPathIndex) const {
  return findField([&](const KtOMLSyntaxField* f) {
    return f->nameIndex() == fieldIndex && f->sectionPathIndex() == sectionPathIndex;
  });
}

// ---------------------------------------------------------------------------------------------
// KtOMLSyntaxField

KtOMLSyntaxField::KtOMLSyntaxField(KtOMLFile* file, std::int32_t line, int position,
                                   std::int32_t fileNameIndex, std::int32_t nameIndex,
                                   std::int32_t sectionIDIndex, std::uint32_t sectionPathIndex,
                                   KtOMLToken* value, KtOMLDefField* defField,
                                   int inUncheckedSection)
    : KtOMLSyntaxStruct(file, line, position, fileNameIndex) {
  init();
  nameIndex_ = nameIndex;
  sectionIDIndex_ = sectionIDIndex;
  sectionPathIndex_ = sectionPathIndex;
  pDefField_ = defField;
  inUncheckedSection_ = inUncheckedSection != 0;
  if (value != nullptr) {
    value_.takeFrom(value);
    hasValue_ = 1;
    delete value;
  }
}

KtOMLSyntaxField::~KtOMLSyntaxField() {}

void KtOMLSyntaxField::init() {
  nameIndex_ = -1;
  sectionIDIndex_ = -1;
  sectionPathIndex_ = 0;
  inUncheckedSection_ = 0;
  hasValue_ = 0;
  pDefField_ = nullptr;
  value_.releaseValue();
}

// Both copies take the settings and a copy of the value (a binary value is copied too).
void KtOMLSyntaxField::KtOMLSyntaxFielddeepCopy(const KtOMLSyntaxField& source) {
  KtOMLSyntaxFieldattributeCopy(source);
}

void KtOMLSyntaxField::KtOMLSyntaxFieldattributeCopy(const KtOMLSyntaxField& source) {
  KtOMLSyntaxStruct::copyAttributes(&source);
  nameIndex_ = source.nameIndex_;
  sectionIDIndex_ = source.sectionIDIndex_;
  sectionPathIndex_ = source.sectionPathIndex_;
  inUncheckedSection_ = source.inUncheckedSection_;
  pDefField_ = source.pDefField_;
  value_.releaseValue();
  hasValue_ = source.hasValue_;
  if (hasValue_ == 0) return;
  KtOMLToken copy;
  copy.place(source.value_.fileNameIndex(), source.value_.line(), source.value_.position());
  copy.unknownField(source.value_.unknownField());
  if (source.value_.tag() == OML_TOKEN_BINVALUE) {
    KtOMLBinValue* bytes = source.value_.pBinValue()->cloneObject();
    if (bytes != nullptr)
      copy.setBinValue(bytes);
    else
      copy.set(OML_TOKEN_ERROR, 0);
  } else if (source.value_.tag() == OML_TOKEN_REAL) {
    copy.setReal(source.value_.realValue());
  } else {
    copy.set(source.value_.tag(), source.value_.intValue());
  }
  value_.takeFrom(&copy);
}

const char* KtOMLSyntaxField::nameString() const {
  return pOMLFile() != nullptr ? pOMLFile()->fieldID(nameIndex_) : "";
}

const char* KtOMLSyntaxField::sectionString() const {
  return pOMLFile() != nullptr ? pOMLFile()->sectionID(sectionIDIndex_) : "";
}

KtOMLFieldTypeEnum KtOMLSyntaxField::valueType() const {
  if (hasValue_ == 0) return OML_FIELD_OTHER;
  switch (value_.tag()) {
    case OML_TOKEN_INTEGER:
      return OML_FIELD_INT;
    case OML_TOKEN_REAL:
      return OML_FIELD_REAL;
    case OML_TOKEN_STRING:
      return OML_FIELD_STRING;
    case OML_TOKEN_VALUE:
      return OML_FIELD_ENUM;
    case OML_TOKEN_BINVALUE:
      return OML_FIELD_BINVALUE;
    case OML_TOKEN_OBJTYPE:
      return OML_FIELD_OBJTYPE;
    default:
      return OML_FIELD_OTHER;
  }
}

// The accessors read the value as asked: a real's or a binary value's bits are not an integer,
// so those kinds answer 0 (and 0.0) where another kind is asked for.
std::int32_t KtOMLSyntaxField::intValue() const {
  if (hasValue_ == 0 || value_.tag() == OML_TOKEN_REAL || value_.tag() == OML_TOKEN_BINVALUE)
    return 0;
  return value_.intValue();
}

double KtOMLSyntaxField::doubleValue() const {
  return hasValue_ != 0 && value_.tag() == OML_TOKEN_REAL ? value_.realValue() : 0.0;
}

const char* KtOMLSyntaxField::stringValue() const {
  if (hasValue_ == 0 || value_.tag() != OML_TOKEN_STRING || pOMLFile() == nullptr) return "";
  return pOMLFile()->string(value_.index());
}

std::int32_t KtOMLSyntaxField::enumValue() const {
  if (hasValue_ == 0 || value_.tag() != OML_TOKEN_VALUE || pOMLFile() == nullptr) return 0;
  return pOMLFile()->enumValue(value_.index());
}

KtOMLBinValue* KtOMLSyntaxField::pBinValue() const {
  return hasValue_ != 0 && value_.tag() == OML_TOKEN_BINVALUE ? value_.pBinValue() : nullptr;
}

KtObject* KtOMLSyntaxField::objectValue() const {
  if (hasValue_ == 0 || value_.tag() != OML_TOKEN_SCOPE || pOMLFile() == nullptr) return nullptr;
  return pOMLFile()->pObject(value_.index());
}

const char* KtOMLSyntaxField::referenceString() const {
  if (hasValue_ == 0 || value_.tag() != OML_TOKEN_SCOPE || pOMLFile() == nullptr) return "";
  return pOMLFile()->objectID(value_.index());
}

std::int32_t KtOMLSyntaxField::objectTypeIndex() const {
  if (hasValue_ == 0 || value_.tag() != OML_TOKEN_SCOPE || pOMLFile() == nullptr) return -1;
  const KtOMLSyntaxObject* defining = pOMLFile()->pSyntaxObject(value_.index());
  return defining != nullptr ? defining->objTypeIDIndex() : -1;
}

const char* KtOMLSyntaxField::objectTypeString() const {
  const std::int32_t type = objectTypeIndex();
  return type >= 0 ? pOMLFile()->objTypeID(type) : "";
}

// ---------------------------------------------------------------------------------------------
// Iterators

void initSyntaxObjectIterEncapsulation(KtOMLSyntaxObjectIterEncapsulation* iter,
                                       const KtOMLSyntaxObject* object) {
  if (iter != nullptr) iter->pCurrent = object != nullptr ? object->pObjectList() : nullptr;
}

void incrementSyntaxObjectIterEncapsulation(KtOMLSyntaxObjectIterEncapsulation* iter) {
  if (iter != nullptr && iter->pCurrent != nullptr) iter->pCurrent = iter->pCurrent->pNext;
}

KtOMLSyntaxObject* getFromSyntaxObjectIterEncapsulation(
    const KtOMLSyntaxObjectIterEncapsulation* iter) {
  return iter != nullptr && iter->pCurrent != nullptr ? iter->pCurrent->pObject : nullptr;
}

int checkListEndSyntaxObjectIterEncapsulation(const KtOMLSyntaxObjectIterEncapsulation* iter) {
  return iter != nullptr && iter->pCurrent != nullptr;
}

namespace {

// A checked field without definition whose path holds a wildcard: the reader could not give it
// one definition, because the path names several sections.
bool needsExpansion(const KtOMLSyntaxField* field) {
  if (field->pDefField() != nullptr || field->inUncheckedSection() != 0) return false;
  return ktOMLSectionPathMask(field->sectionPathIndex()) != 0xFFFFFFFFu;
}

// The next section at or after `from` (in code order) that agrees with `path` and defines the
// field; null when none is left.
const KtOMLDefSection* nextDefiningSection(const KtOMLDefObjType* type, const KtOMLDefSection* from,
                                           std::uint32_t path, std::int32_t fieldIndex) {
  for (; from != nullptr; from = type->sectionAfter(from))
    if (ktOMLSectionPathAgrees(from->sectionPath, path) &&
        KtOMLDefField::find(from->pFieldList, fieldIndex) != nullptr)
      return from;
  return nullptr;
}

void restoreExpandedField(KtOMLSyntaxFieldIterEncapsulation* iter) {
  if (iter->pSection == nullptr) return;
  KtOMLSyntaxField* field = iter->pCurrent->pField;
  field->sectionIDIndex(iter->savedSectionIndex);
  field->sectionPathIndex(iter->savedPath);
  field->pDefField(nullptr);
  iter->pSection = nullptr;
}

// Puts the field at the current cell on the section `section` stands for; false when null.
bool visitSection(KtOMLSyntaxFieldIterEncapsulation* iter, const KtOMLDefSection* section) {
  iter->pSection = section;
  if (section == nullptr) return false;
  KtOMLSyntaxField* field = iter->pCurrent->pField;
  field->sectionIDIndex(section->sectionIDIndex);
  field->sectionPathIndex(section->sectionPath);
  field->pDefField(KtOMLDefField::find(section->pFieldList, field->nameIndex()));
  ++iter->expansions;
  return true;
}

// Moves to the next cell of the current list, or of the next list; then, on a field that needs
// expanding, to its first section (passing it over when it has none).
void positionField(KtOMLSyntaxFieldIterEncapsulation* iter, bool advance) {
  for (;;) {
    if (advance && iter->pCurrent != nullptr) iter->pCurrent = iter->pCurrent->pNext;
    advance = true;
    while (iter->pCurrent == nullptr && iter->pNextDefault != nullptr) {
      iter->pCurrent = iter->pNextDefault->pFieldList;
      iter->pNextDefault = iter->pNextDefault->pNext;
    }
    if (iter->pCurrent == nullptr && iter->pOwnFields != nullptr) {
      iter->pCurrent = iter->pOwnFields;
      iter->pOwnFields = nullptr;
    }
    if (iter->pCurrent == nullptr) return;
    KtOMLSyntaxField* field = iter->pCurrent->pField;
    if (field == nullptr || iter->pDefObjType == nullptr || !needsExpansion(field)) return;
    iter->savedSectionIndex = field->sectionIDIndex();
    iter->savedPath = field->sectionPathIndex();
    iter->expansions = 0;
    if (visitSection(iter, nextDefiningSection(iter->pDefObjType, iter->pDefObjType->firstSection(),
                                               iter->savedPath, field->nameIndex())))
      return;
  }
}

}  // namespace

void initSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter,
                                      const KtOMLSyntaxObject* object) {
  if (iter == nullptr) return;
  *iter = KtOMLSyntaxFieldIterEncapsulation{};
  if (object == nullptr) return;
  iter->pOwnFields = object->pFieldList();
  iter->pNextDefault = object->pDefaultList();
  iter->pDefObjType = object->pDefObjType();
  positionField(iter, false);
}

void incrementSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter) {
  if (iter == nullptr || iter->pCurrent == nullptr) return;
  if (const KtOMLDefSection* at = iter->pSection) {
    KtOMLSyntaxField* field = iter->pCurrent->pField;
    const KtOMLDefSection* next =
        nextDefiningSection(iter->pDefObjType, iter->pDefObjType->sectionAfter(at), iter->savedPath,
                            field->nameIndex());
    if (next != nullptr) {
      visitSection(iter, next);
      return;
    }
    restoreExpandedField(iter);
  }
  positionField(iter, true);
}

KtOMLSyntaxField* getFromSyntaxFieldIterEncapsulation(
    const KtOMLSyntaxFieldIterEncapsulation* iter) {
  return iter != nullptr && iter->pCurrent != nullptr ? iter->pCurrent->pField : nullptr;
}

int checkListEndSyntaxFieldIterEncapsulation(const KtOMLSyntaxFieldIterEncapsulation* iter) {
  return iter != nullptr && iter->pCurrent != nullptr;
}

void endSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter) {
  if (iter != nullptr && iter->pCurrent != nullptr) restoreExpandedField(iter);
}
