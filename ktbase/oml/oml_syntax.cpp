#include "ktbase/oml/oml_syntax.h"

#include <cstdlib>
#include <new>

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_names.h"
#include "ktbase/oml/oml_section_path.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_tree.h"

// What an object made by a caller keeps beside itself: what a reader's object gets from its
// context and its reader, and the ends of its lists.
struct KtOMLSyntaxObject::Spill {
  std::int32_t objectIDIndex;
  std::int32_t sectionIDIndex;
  std::uint32_t sectionPathIndex;
  KtOMLDefObjType* defObjType;
  KtOMLSyntaxObjectList* objectListEnd;
  KtOMLSyntaxFieldList* fieldListEnd;
  KtOMLSyntaxDefaultList* defaults;
};

// The same for a field: its section, path and definition, whether it was read unchecked, and its
// value token, which keeps a place of its own.
struct KtOMLSyntaxField::Spill {
  std::int32_t sectionIDIndex;
  std::uint32_t sectionPathIndex;
  KtOMLDefField* defField;
  std::uint8_t unchecked;
  std::uint8_t hasValue;
  KtOMLToken value;
};

namespace {

// A cell of the heap, for a node made by a caller that goes into a list.
template <typename Cell>
Cell* newHeapCell() {
  return static_cast<Cell*>(std::malloc(sizeof(Cell)));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// KtOMLToken: the parts that need the node a token is in

std::int32_t KtOMLToken::nodeFile() const {
  const KtOMLFile* reader = ktOMLReaderOf(this);
  return reader->pTreeStore_->context(file_).fileNameIndex;
}

std::int32_t KtOMLToken::nodePosition() const {
  const KtOMLNodeExtra* extra = ktOMLReaderOf(this)->pTreeStore_->extra(this);
  return extra != nullptr ? extra->position : static_cast<std::int32_t>(kBigPosition);
}

void KtOMLToken::place(std::int32_t fileNameIndex, std::int32_t line, std::int32_t position) {
  if ((bits_ & kInNode) == 0) {
    file_ = fileNameIndex;
    rawPlace(line, position);
    return;
  }
  // A node's token: the file goes into the node's context, a long position into its record.
  KtOMLTreeStore* store = ktOMLReaderOf(this)->pTreeStore_;
  const std::int32_t context = store->withFile(file_, fileNameIndex);
  if (context >= 0) file_ = context;
  rawPlace(line, position);
  if (static_cast<std::uint32_t>(position) >= kBigPosition && position >= 0) {
    if (KtOMLNodeExtra* extra = store->extra(this, true)) {
      extra->position = position;
      bits_ |= kHasExtra;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// KtOMLSyntaxStruct

KtOMLSyntaxStruct::KtOMLSyntaxStruct(KtOMLFile* file, std::int32_t line, int position,
                                     std::int32_t fileNameIndex) {
  init();
  callerFile(file);
  token_.place(fileNameIndex, line, position);
}

KtOMLSyntaxStruct::~KtOMLSyntaxStruct() {}

void KtOMLSyntaxStruct::init() {
  token_.bits_ = KtOMLToken::kPositionMask << KtOMLToken::kPositionShift | KtOMLToken::kNoValue;
  token_.line_ = -1;
  token_.file_ = -1;
  callerFile(nullptr);
}

KtOMLFile* KtOMLSyntaxStruct::callerFile() const {
  KtOMLFile* file;
  std::memcpy(&file, token_.value_, sizeof file);
  return file;
}

void KtOMLSyntaxStruct::callerFile(KtOMLFile* file) {
  token_.value_[1] = 0;
  std::memcpy(token_.value_, &file, sizeof file);
}

KtOMLFile* KtOMLSyntaxStruct::pOMLFile() const {
  return inReaderBlocks() != 0 ? ktOMLReaderOf(this) : callerFile();
}

KtOMLTreeStore* KtOMLSyntaxStruct::store() const { return ktOMLReaderOf(this)->pTreeStore_; }

std::int32_t KtOMLSyntaxStruct::sectionIn(const std::int32_t* spilled) const {
  if (inReaderBlocks() != 0) return store()->context(context()).sectionIDIndex;
  return spilled != nullptr ? *spilled : -1;
}

void KtOMLSyntaxStruct::sectionIn(std::int32_t* spilled, std::int32_t index) {
  if (inReaderBlocks() != 0) {
    const std::int32_t c = store()->withSection(context(), index);
    if (c >= 0) token_.file_ = c;
  } else if (spilled != nullptr) {
    *spilled = index;
  }
}

std::uint32_t KtOMLSyntaxStruct::pathIn(const std::uint32_t* spilled) const {
  if (inReaderBlocks() != 0) return store()->context(context()).sectionPath;
  return spilled != nullptr ? *spilled : 0;
}

void KtOMLSyntaxStruct::pathIn(std::uint32_t* spilled, std::uint32_t path) {
  if (inReaderBlocks() != 0) {
    const std::int32_t c = store()->withPath(context(), path);
    if (c >= 0) token_.file_ = c;
  } else if (spilled != nullptr) {
    *spilled = path;
  }
}

// A copy is always a node of the caller's: it keeps the place and the reader, not the context.
void KtOMLSyntaxStruct::KtOMLSyntaxStructdeepCopy(const KtOMLSyntaxStruct& source) {
  KtOMLSyntaxStructattributeCopy(source);
}

void KtOMLSyntaxStruct::KtOMLSyntaxStructattributeCopy(const KtOMLSyntaxStruct& source) {
  const KtOMLFile* file = source.pOMLFile();
  const std::int32_t name = source.fileNameIndex();
  const std::int32_t line = source.line();
  const std::int32_t position = source.position();
  if (inReaderBlocks() == 0) callerFile(const_cast<KtOMLFile*>(file));
  token_.place(name, line, position);
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
  if (spill_ != nullptr) {
    spill_->objectIDIndex = objectIDIndex;
    spill_->sectionIDIndex = sectionIDIndex;
    spill_->sectionPathIndex = sectionPathIndex;
    spill_->defObjType = defObjType;
  }
}

KtOMLSyntaxObject::KtOMLSyntaxObject(KtOMLFile* reader, std::int32_t context, std::int32_t line,
                                     int position, std::int32_t objTypeIDIndex,
                                     std::int32_t objectIDIndex) {
  (void)reader;
  token_.bits_ = KtOMLToken::kInNode | KtOMLToken::kNoValue;
  token_.file_ = context;
  token_.rawPlace(line, position);
  token_.value_[0] = static_cast<std::uint32_t>(objectIDIndex);
  token_.value_[1] = 0;
  objTypeIDIndex_ = objTypeIDIndex;
  cell_ = KtOMLSyntaxObjectList{this, nullptr};
  pOwnerObject_ = nullptr;
  pObjectList_ = nullptr;
  pFieldList_ = nullptr;
}

KtOMLSyntaxObject::~KtOMLSyntaxObject() {
  releaseLists();
  if (inReaderBlocks() == 0) delete spill_;
}

// Runs in the constructors of a caller's node (the reader's constructor sets up its own).
void KtOMLSyntaxObject::init() {
  objTypeIDIndex_ = -1;
  spill_ = new (std::nothrow) Spill{-1, -1, 0, nullptr, nullptr, nullptr, nullptr};
  pOwnerObject_ = nullptr;
  pObjectList_ = nullptr;
  pFieldList_ = nullptr;
}

// A copy takes the node's own settings; its lists start empty, whatever the flag.
void KtOMLSyntaxObject::KtOMLSyntaxObjectdeepCopy(const KtOMLSyntaxObject& source) {
  KtOMLSyntaxObjectattributeCopy(source);
}

void KtOMLSyntaxObject::KtOMLSyntaxObjectattributeCopy(const KtOMLSyntaxObject& source) {
  KtOMLSyntaxStruct::copyAttributes(&source);
  objTypeIDIndex_ = source.objTypeIDIndex_;
  objectIDIndex(source.objectIDIndex());
  sectionIDIndex(source.sectionIDIndex());
  sectionPathIndex(source.sectionPathIndex());
  pDefObjType(source.pDefObjType());
}

std::int32_t KtOMLSyntaxObject::sectionIDIndex() const {
  return sectionIn(spill_ != nullptr ? &spill_->sectionIDIndex : nullptr);
}

std::int32_t KtOMLSyntaxObject::sectionIDIndex(std::int32_t index) {
  sectionIn(spill_ != nullptr ? &spill_->sectionIDIndex : nullptr, index);
  return index;
}

std::uint32_t KtOMLSyntaxObject::sectionPathIndex() const {
  return pathIn(spill_ != nullptr ? &spill_->sectionPathIndex : nullptr);
}

std::uint32_t KtOMLSyntaxObject::sectionPathIndex(std::uint32_t path) {
  pathIn(spill_ != nullptr ? &spill_->sectionPathIndex : nullptr, path);
  return path;
}

// A reader's object has the grammar's record of its type, unless it was given another.
KtOMLDefObjType* KtOMLSyntaxObject::pDefObjType() const {
  if (inReaderBlocks() == 0) return spill_ != nullptr ? spill_->defObjType : nullptr;
  if ((token_.bits_ & KtOMLToken::kHasExtra) != 0)
    if (const KtOMLNodeExtra* extra = store()->extra(&token_))
      if (extra->hasDefinition != 0)
        return static_cast<KtOMLDefObjType*>(const_cast<void*>(extra->definition));
  return ktOMLReaderOf(this)->pObjTypeDefinition(objTypeIDIndex_);
}

KtOMLDefObjType* KtOMLSyntaxObject::pDefObjType(KtOMLDefObjType* type) {
  if (inReaderBlocks() == 0) {
    if (spill_ != nullptr) spill_->defObjType = type;
    return type;
  }
  const bool implied = type == ktOMLReaderOf(this)->pObjTypeDefinition(objTypeIDIndex_);
  KtOMLNodeExtra* extra = store()->extra(&token_, !implied);
  if (extra != nullptr) {
    extra->hasDefinition = !implied;
    extra->definition = type;
    token_.bits_ |= KtOMLToken::kHasExtra;
  }
  return type;
}

std::int32_t KtOMLSyntaxObject::callerID() const {
  return spill_ != nullptr ? spill_->objectIDIndex : -1;
}

std::int32_t KtOMLSyntaxObject::objectIDIndex(std::int32_t index) {
  if (inReaderBlocks() != 0)
    token_.value_[0] = static_cast<std::uint32_t>(index);
  else if (spill_ != nullptr)
    spill_->objectIDIndex = index;
  return index;
}

// Few objects have default lists: a reader's keeps its list in its record of extras.
KtOMLSyntaxDefaultList* KtOMLSyntaxObject::pDefaultList() const {
  if (inReaderBlocks() == 0) return spill_ != nullptr ? spill_->defaults : nullptr;
  if ((token_.bits_ & KtOMLToken::kHasExtra) == 0) return nullptr;
  const KtOMLNodeExtra* extra = store()->extra(&token_);
  return extra != nullptr ? static_cast<KtOMLSyntaxDefaultList*>(extra->defaults) : nullptr;
}

void KtOMLSyntaxObject::defaultList(KtOMLSyntaxDefaultList* list) {
  if (inReaderBlocks() == 0) {
    if (spill_ != nullptr) spill_->defaults = list;
    return;
  }
  if (list == nullptr && (token_.bits_ & KtOMLToken::kHasExtra) == 0) return;
  if (KtOMLNodeExtra* extra = store()->extra(&token_, list != nullptr)) {
    extra->defaults = list;
    token_.bits_ |= KtOMLToken::kHasExtra;
  }
}

KtOMLSyntaxObjectList* KtOMLSyntaxObject::pObjectListEnd() const {
  if (inReaderBlocks() == 0) return spill_ != nullptr ? spill_->objectListEnd : nullptr;
  KtOMLSyntaxObjectList* c = pObjectList_;
  while (c != nullptr && c->pNext != nullptr) c = c->pNext;
  return c;
}

KtOMLSyntaxFieldList* KtOMLSyntaxObject::pFieldListEnd() const {
  if (inReaderBlocks() == 0) return spill_ != nullptr ? spill_->fieldListEnd : nullptr;
  KtOMLSyntaxFieldList* c = pFieldList_;
  while (c != nullptr && c->pNext != nullptr) c = c->pNext;
  return c;
}

void KtOMLSyntaxStruct::destroyNode(KtOMLSyntaxStruct* node) {
  if (node == nullptr) return;
  if (node->inReaderBlocks() != 0)
    node->~KtOMLSyntaxStruct();
  else
    delete node;
}

KtOMLSyntaxObjectList* KtOMLSyntaxObject::cellFor(KtOMLSyntaxObject* object) {
  if (object->inReaderBlocks() != 0) {
    object->cell_ = KtOMLSyntaxObjectList{object, nullptr};
    return &object->cell_;
  }
  KtOMLSyntaxObjectList* cell = newHeapCell<KtOMLSyntaxObjectList>();
  if (cell != nullptr) *cell = KtOMLSyntaxObjectList{object, nullptr};
  return cell;
}

KtOMLSyntaxFieldList* KtOMLSyntaxObject::cellFor(KtOMLSyntaxField* field) {
  if (field->inReaderBlocks() != 0) {
    field->cell_ = KtOMLSyntaxFieldList{field, nullptr};
    return &field->cell_;
  }
  KtOMLSyntaxFieldList* cell = newHeapCell<KtOMLSyntaxFieldList>();
  if (cell != nullptr) *cell = KtOMLSyntaxFieldList{field, nullptr};
  return cell;
}

// The sub-objects go depth first without recursion: the walk descends through each object's
// first sub-object, using the owner links to come back, and destroys an object once it has none
// left. So a tree of any depth, and lists of any length, take constant stack. A cell a node
// carries goes with its node; a cell of the heap is freed.
void KtOMLSyntaxObject::releaseLists() {
  KtOMLSyntaxObject* current = this;
  for (;;) {
    if (KtOMLSyntaxObjectList* cell = current->pObjectList_) {
      current->pObjectList_ = cell->pNext;
      KtOMLSyntaxObject* child = cell->pObject;
      if (!ownsCell(cell)) std::free(cell);
      child->pOwnerObject_ = current;
      current = child;
      continue;
    }
    for (KtOMLSyntaxFieldList* cell = current->pFieldList_; cell != nullptr;) {
      KtOMLSyntaxFieldList* next = cell->pNext;
      KtOMLSyntaxField* field = cell->pField;
      if (cell != &field->cell_) std::free(cell);
      destroyNode(field);
      cell = next;
    }
    current->pFieldList_ = nullptr;
    for (KtOMLSyntaxDefaultList* cell = current->pDefaultList(); cell != nullptr;) {
      KtOMLSyntaxDefaultList* next = cell->pNext;
      std::free(cell);
      cell = next;
    }
    current->defaultList(nullptr);
    if (current->inReaderBlocks() == 0 && current->spill_ != nullptr)
      current->spill_->objectListEnd = nullptr, current->spill_->fieldListEnd = nullptr;
    if (current == this) return;
    KtOMLSyntaxObject* owner = current->pOwnerObject_;
    destroyNode(current);
    current = owner;
  }
}

const char* KtOMLSyntaxObject::typeString() const {
  const KtOMLFile* file = pOMLFile();
  return file != nullptr ? file->objTypeID(objTypeIDIndex_) : "";
}

const char* KtOMLSyntaxObject::nameString() const {
  const KtOMLFile* file = pOMLFile();
  const std::int32_t id = objectIDIndex();
  return file != nullptr && id >= 0 ? file->objectID(id) : "";
}

const char* KtOMLSyntaxObject::sectionString() const {
  const KtOMLFile* file = pOMLFile();
  return file != nullptr ? file->sectionID(sectionIDIndex()) : "";
}

KtObject* KtOMLSyntaxObject::object() const {
  const KtOMLFile* file = pOMLFile();
  return file != nullptr ? file->pObject(objectIDIndex()) : nullptr;
}

int KtOMLSyntaxObject::addObject(KtOMLSyntaxObject* object) {
  if (object == nullptr) return 1;
  KtOMLSyntaxObjectList* cell = cellFor(object);
  if (cell == nullptr) return 0;
  KtOMLSyntaxObjectList* end = pObjectListEnd();
  (end != nullptr ? end->pNext : pObjectList_) = cell;
  if (inReaderBlocks() == 0 && spill_ != nullptr) spill_->objectListEnd = cell;
  object->pOwnerObject_ = this;
  if (inReaderBlocks() != 0 && object->inReaderBlocks() == 0) store()->needsTeardown(true);
  return 1;
}

int KtOMLSyntaxObject::addField(KtOMLSyntaxField* field) {
  if (field == nullptr) return 1;
  KtOMLSyntaxFieldList* cell = cellFor(field);
  if (cell == nullptr) return 0;
  KtOMLSyntaxFieldList* end = pFieldListEnd();
  (end != nullptr ? end->pNext : pFieldList_) = cell;
  if (inReaderBlocks() == 0 && spill_ != nullptr) spill_->fieldListEnd = cell;
  if (inReaderBlocks() != 0 && field->inReaderBlocks() == 0) store()->needsTeardown(true);
  return 1;
}

int KtOMLSyntaxObject::addDefaultList(KtOMLSyntaxFieldList* list) {
  if (list == nullptr) return 1;
  KtOMLSyntaxDefaultList* cell = newHeapCell<KtOMLSyntaxDefaultList>();
  if (cell == nullptr) return 0;
  *cell = KtOMLSyntaxDefaultList{list, pDefaultList()};
  defaultList(cell);
  if (inReaderBlocks() != 0) store()->needsTeardown(true);
  return 1;
}

void KtOMLSyntaxDefaultList::append(KtOMLSyntaxDefaultList* chain, KtOMLSyntaxDefaultList* list) {
  if (chain == nullptr) return;
  while (chain->pNext != nullptr) chain = chain->pNext;
  chain->pNext = list;
}

void KtOMLSyntaxObject::append(KtOMLSyntaxObject* other) {
  if (other == nullptr || other == this) return;
  for (KtOMLSyntaxObjectList* c = other->pObjectList_; c != nullptr; c = c->pNext)
    c->pObject->pOwnerObject_ = this;
  if (other->pObjectList_ != nullptr) {
    KtOMLSyntaxObjectList* end = pObjectListEnd();
    (end != nullptr ? end->pNext : pObjectList_) = other->pObjectList_;
    if (inReaderBlocks() == 0 && spill_ != nullptr) spill_->objectListEnd = other->pObjectListEnd();
  }
  if (other->pFieldList_ != nullptr) {
    KtOMLSyntaxFieldList* end = pFieldListEnd();
    (end != nullptr ? end->pNext : pFieldList_) = other->pFieldList_;
    if (inReaderBlocks() == 0 && spill_ != nullptr) spill_->fieldListEnd = other->pFieldListEnd();
  }
  if (pDefaultList() == nullptr)
    defaultList(other->pDefaultList());
  else
    KtOMLSyntaxDefaultList::append(pDefaultList(), other->pDefaultList());
  if (inReaderBlocks() != 0 && other->inReaderBlocks() == 0) store()->needsTeardown(true);
  other->pObjectList_ = nullptr;
  other->pFieldList_ = nullptr;
  other->defaultList(nullptr);
  if (other->inReaderBlocks() == 0 && other->spill_ != nullptr)
    other->spill_->objectListEnd = nullptr, other->spill_->fieldListEnd = nullptr;
}

void KtOMLSyntaxObject::deleteObjectItem(KtOMLSyntaxObjectList* previous) {
  KtOMLSyntaxObjectList* cell = previous != nullptr ? previous->pNext : pObjectList_;
  if (cell == nullptr) return;
  (previous != nullptr ? previous->pNext : pObjectList_) = cell->pNext;
  if (inReaderBlocks() == 0 && spill_ != nullptr && spill_->objectListEnd == cell)
    spill_->objectListEnd = previous;
  KtOMLSyntaxObject* object = cell->pObject;
  if (!ownsCell(cell)) std::free(cell);
  destroyNode(object);
}

// The object's own fields are searched before its defaults, so that the answer is the value that
// counts for the object.
template <typename Match>
KtOMLSyntaxField* KtOMLSyntaxObject::findField(Match match) const {
  for (const KtOMLSyntaxFieldList* c = pFieldList_; c != nullptr; c = c->pNext)
    if (match(c->pField)) return c->pField;
  for (const KtOMLSyntaxDefaultList* d = pDefaultList(); d != nullptr; d = d->pNext)
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
  const KtOMLFile* file = pOMLFile();
  if (file == nullptr || field == nullptr) return nullptr;
  const std::int32_t fieldIndex = file->fieldIDIndex(field);
  const std::int32_t sectionIndex = section != nullptr ? file->sectionIDIndex(section) : -1;
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
  if (spill_ == nullptr) {
    delete value;
    return;
  }
  spill_->sectionIDIndex = sectionIDIndex;
  spill_->sectionPathIndex = sectionPathIndex;
  spill_->defField = defField;
  spill_->unchecked = inUncheckedSection != 0;
  if (value != nullptr) {
    spill_->value.takeFrom(value);
    spill_->hasValue = 1;
    delete value;
  }
}

KtOMLSyntaxField::KtOMLSyntaxField(KtOMLFile* reader, std::int32_t context, std::int32_t line,
                                   int position, std::int32_t nameIndex, KtOMLToken& value) {
  token_.bits_ =
      KtOMLToken::kInNode | (value.bits_ & (KtOMLToken::kTagMask | KtOMLToken::kUnknownField));
  token_.value_[0] = value.value_[0];
  token_.value_[1] = value.value_[1];
  token_.file_ = context;
  token_.rawPlace(line, position);
  value.tagBits(OML_TOKEN_ERROR);  // the byte sequence, if any, is the field's now
  value.value_[0] = value.value_[1] = 0;
  nameIndex_ = nameIndex;
  cell_ = KtOMLSyntaxFieldList{this, nullptr};
  if (static_cast<std::uint32_t>(position) >= KtOMLToken::kBigPosition && position >= 0) {
    if (KtOMLNodeExtra* extra = reader->pTreeStore_->extra(&token_, true)) {
      extra->position = position;
      token_.bits_ |= KtOMLToken::kHasExtra;
    }
  }
}

KtOMLSyntaxField::~KtOMLSyntaxField() {
  if (inReaderBlocks() == 0) delete spill_;
}

void KtOMLSyntaxField::init() {
  nameIndex_ = -1;
  spill_ = new (std::nothrow) Spill{-1, 0, nullptr, 0, 0, {}};
}

// Both copies take the settings and a copy of the value (a binary value is copied too).
void KtOMLSyntaxField::KtOMLSyntaxFielddeepCopy(const KtOMLSyntaxField& source) {
  KtOMLSyntaxFieldattributeCopy(source);
}

void KtOMLSyntaxField::KtOMLSyntaxFieldattributeCopy(const KtOMLSyntaxField& source) {
  KtOMLSyntaxStruct::copyAttributes(&source);
  nameIndex_ = source.nameIndex_;
  sectionIDIndex(source.sectionIDIndex());
  sectionPathIndex(source.sectionPathIndex());
  pDefField(source.pDefField());
  if (inReaderBlocks() != 0 || spill_ == nullptr) return;
  spill_->unchecked = static_cast<std::uint8_t>(source.inUncheckedSection());
  spill_->value.releaseValue();
  const KtOMLToken* from = source.valueToken();
  spill_->hasValue = from != nullptr;
  if (from == nullptr) return;
  KtOMLToken& to = spill_->value;
  to.place(from->fileNameIndex(), from->line(), from->position());
  to.unknownField(from->unknownField());
  if (from->tag() == OML_TOKEN_BINVALUE) {
    KtOMLBinValue* bytes = from->pBinValue()->cloneObject();
    if (bytes != nullptr)
      to.setBinValue(bytes);
    else
      to.set(OML_TOKEN_ERROR, 0);
  } else {
    to.set(from->tag(), 0);
    to.value_[0] = from->value_[0];
    to.value_[1] = from->value_[1];
  }
}

const KtOMLToken* KtOMLSyntaxField::valueToken() const {
  if (inReaderBlocks() != 0) return token_.tagBits() != KtOMLToken::kNoValue ? &token_ : nullptr;
  return spill_ != nullptr && spill_->hasValue != 0 ? &spill_->value : nullptr;
}

std::int32_t KtOMLSyntaxField::sectionIDIndex() const {
  return sectionIn(spill_ != nullptr ? &spill_->sectionIDIndex : nullptr);
}

std::int32_t KtOMLSyntaxField::sectionIDIndex(std::int32_t index) {
  sectionIn(spill_ != nullptr ? &spill_->sectionIDIndex : nullptr, index);
  return index;
}

std::uint32_t KtOMLSyntaxField::sectionPathIndex() const {
  return pathIn(spill_ != nullptr ? &spill_->sectionPathIndex : nullptr);
}

std::uint32_t KtOMLSyntaxField::sectionPathIndex(std::uint32_t path) {
  pathIn(spill_ != nullptr ? &spill_->sectionPathIndex : nullptr, path);
  return path;
}

int KtOMLSyntaxField::inUncheckedSection() const {
  if (inReaderBlocks() != 0) return store()->context(context()).unchecked;
  return spill_ != nullptr ? spill_->unchecked : 0;
}

// A reader's field has the definition of its name in the list its context names, unless it was
// given another.
KtOMLDefField* KtOMLSyntaxField::pDefField() const {
  if (inReaderBlocks() == 0) return spill_ != nullptr ? spill_->defField : nullptr;
  const KtOMLTreeStore* s = store();
  if ((token_.bits_ & KtOMLToken::kHasExtra) != 0)
    if (const KtOMLNodeExtra* extra = s->extra(&token_))
      if (extra->hasDefinition != 0)
        return static_cast<KtOMLDefField*>(const_cast<void*>(extra->definition));
  return const_cast<KtOMLDefField*>(s->definition(context(), nameIndex_));
}

KtOMLDefField* KtOMLSyntaxField::pDefField(KtOMLDefField* def) {
  if (inReaderBlocks() == 0) {
    if (spill_ != nullptr) spill_->defField = def;
    return def;
  }
  const KtOMLDefField* implied = store()->definition(context(), nameIndex_);
  const bool differs = def != implied;
  KtOMLNodeExtra* extra = store()->extra(&token_, differs);
  if (extra != nullptr) {
    extra->hasDefinition = differs;
    extra->definition = def;
    token_.bits_ |= KtOMLToken::kHasExtra;
  }
  return def;
}

const char* KtOMLSyntaxField::nameString() const {
  const KtOMLFile* file = pOMLFile();
  return file != nullptr ? file->fieldID(nameIndex_) : "";
}

const char* KtOMLSyntaxField::sectionString() const {
  const KtOMLFile* file = pOMLFile();
  return file != nullptr ? file->sectionID(sectionIDIndex()) : "";
}

KtOMLFieldTypeEnum KtOMLSyntaxField::valueType() const {
  const KtOMLToken* t = valueToken();
  if (t == nullptr) return OML_FIELD_OTHER;
  switch (t->tag()) {
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
  const KtOMLToken* t = valueToken();
  if (t == nullptr || t->tag() == OML_TOKEN_REAL || t->tag() == OML_TOKEN_BINVALUE) return 0;
  return t->intValue();
}

double KtOMLSyntaxField::doubleValue() const {
  const KtOMLToken* t = valueToken();
  return t != nullptr && t->tag() == OML_TOKEN_REAL ? t->realValue() : 0.0;
}

const char* KtOMLSyntaxField::stringValue() const {
  const KtOMLToken* t = valueToken();
  const KtOMLFile* file = pOMLFile();
  if (t == nullptr || t->tag() != OML_TOKEN_STRING || file == nullptr) return "";
  return file->string(t->index());
}

std::int32_t KtOMLSyntaxField::enumValue() const {
  const KtOMLToken* t = valueToken();
  const KtOMLFile* file = pOMLFile();
  if (t == nullptr || t->tag() != OML_TOKEN_VALUE || file == nullptr) return 0;
  return file->enumValue(t->index());
}

KtOMLBinValue* KtOMLSyntaxField::pBinValue() const {
  const KtOMLToken* t = valueToken();
  return t != nullptr && t->tag() == OML_TOKEN_BINVALUE ? t->pBinValue() : nullptr;
}

KtObject* KtOMLSyntaxField::objectValue() const {
  const KtOMLToken* t = valueToken();
  const KtOMLFile* file = pOMLFile();
  if (t == nullptr || t->tag() != OML_TOKEN_SCOPE || file == nullptr) return nullptr;
  return file->pObject(t->index());
}

const char* KtOMLSyntaxField::referenceString() const {
  const KtOMLToken* t = valueToken();
  const KtOMLFile* file = pOMLFile();
  if (t == nullptr || t->tag() != OML_TOKEN_SCOPE || file == nullptr) return "";
  return file->objectID(t->index());
}

std::int32_t KtOMLSyntaxField::objectTypeIndex() const {
  const KtOMLToken* t = valueToken();
  const KtOMLFile* file = pOMLFile();
  if (t == nullptr || t->tag() != OML_TOKEN_SCOPE || file == nullptr) return -1;
  const KtOMLSyntaxObject* defining = file->pSyntaxObject(t->index());
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

// A checked field without definition whose path holds a wildcard: the reader could not give it
// one definition, because the path names several sections. A reader's context knows whether
// its path has a wildcard.
bool KtOMLSyntaxField::needsExpansion() const {
  if (inReaderBlocks() != 0 && (context() & KtOMLTreeStore::kWildcardContext) == 0) return false;
  if (pDefField() != nullptr || inUncheckedSection() != 0) return false;
  return ktOMLSectionPathMask(sectionPathIndex()) != 0xFFFFFFFFu;
}

// The field iterator's way into the fields it walks.
struct KtOMLFieldWalk {
  static bool expands(const KtOMLSyntaxField* field) { return field->needsExpansion(); }
};

namespace {

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
    if (field == nullptr || iter->pDefObjType == nullptr || !KtOMLFieldWalk::expands(field)) return;
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

// A reader's tree is most of the memory a reading takes: its nodes stay this small.
static_assert(sizeof(KtOMLToken) == 20, "a token is five words");
static_assert(sizeof(void*) != 8 || sizeof(KtOMLSyntaxField) == 48,
              "a field, with its list cell, takes 48 bytes");
static_assert(sizeof(void*) != 8 || sizeof(KtOMLSyntaxObject) == 72,
              "an object, with its list cell, takes 72 bytes");
