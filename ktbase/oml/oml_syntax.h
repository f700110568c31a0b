// The OML syntax tree: what the parser makes of a file before any application object exists.
// One KtOMLSyntaxObject per object written in the file, holding its sub-objects and its fields
// (KtOMLSyntaxField), each with the place where it was read. The checks and the object building
// walk the tree, and the reading hooks receive its nodes.
//
// Ownership. An object owns its sub-object list and its field list, cells and items; its default
// lists borrow the field lists of the defaults objects elsewhere in the tree. A field owns its
// value token. The tree the reader makes belongs to the reader (KtOMLFile) and lives until its
// next reading or its destruction; its nodes are allocated in the reader's own blocks, and the
// reader takes them down with it. Nodes made by a caller with new are freed with delete as usual.
//
// Names. Nodes hold indexes into the pools of the reader and of its grammar and turn them back
// into text on request; a name that cannot be found (an index out of range, or no reader) is "".
//
// Field order. KtOMLSyntaxFieldIter visits the fields of the applicable defaults objects first
// (the default list added last first, each in file order) and the object's own fields last, in
// file order: readers that apply fields in this order let an object's own values override its
// defaults. A field whose section path holds a wildcard, and so names several sections, is
// visited once for each of those sections that defines it, with that section's definition,
// index and path; it is passed over when none does.
#ifndef KTBASE_OML_OML_SYNTAX_H
#define KTBASE_OML_OML_SYNTAX_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/oml/oml_token.h"

class KtOMLBinValue;
class KtOMLFile;
class KtOMLTreeStore;
class KtOMLSyntaxField;
class KtOMLSyntaxObject;
struct KtOMLDefField;
struct KtOMLDefObjType;
struct KtOMLDefSection;

// The value kind of a field, by its value token.
enum KtOMLFieldTypeEnum : int {
  OML_FIELD_INT = 0,
  OML_FIELD_REAL = 1,
  OML_FIELD_STRING = 2,
  OML_FIELD_ENUM = 3,
  OML_FIELD_BINVALUE = 4,
  OML_FIELD_OBJTYPE = 5,
  OML_FIELD_OTHER = 6  // any other token, or none
};

// The part every node has: the reader that made it and where it was read.
class KtOMLSyntaxStruct : public KtObject {
  KT_OBJECT(KtOMLSyntaxStruct, KtObject)

 public:
  KtOMLSyntaxStruct(KtOMLFile* file, std::int32_t line, int position, std::int32_t fileNameIndex);
  ~KtOMLSyntaxStruct() override;

  KtOMLFile* pOMLFile() const;
  // The index of the file's name in the reader's string pool, -1 if none.
  std::int32_t fileNameIndex() const { return token_.fileNameIndex(); }
  // Text: the line (from 1) and the position in it (from 1). Binary: the bytes read, and 0.
  std::int32_t line() const { return token_.line(); }
  int position() const { return token_.position(); }

 protected:
  KtOMLSyntaxStruct() { init(); }
  void init();

 private:
  friend class KtOMLFile;
  friend class KtOMLSyntaxObject;
  friend class KtOMLSyntaxField;
  friend class KtOMLToken;
  // Destroys a node the way it was made: in its reader's blocks, or with delete.
  static void destroyNode(KtOMLSyntaxStruct* node);
  // Returns 1 iff the node lives in its reader's blocks (freed with them, never with delete).
  int inReaderBlocks() const { return (token_.bits_ & KtOMLToken::kInNode) != 0; }
  // A node of a reader's blocks: its context and the reader's store of node facts.
  std::int32_t context() const { return token_.file_; }
  KtOMLTreeStore* store() const;
  // A node's section index and path: its context's in a reader's blocks, else what `spilled`
  // points to (-1 and 0 without).
  std::int32_t sectionIn(const std::int32_t* spilled) const;
  void sectionIn(std::int32_t* spilled, std::int32_t index);
  std::uint32_t pathIn(const std::uint32_t* spilled) const;
  void pathIn(std::uint32_t* spilled, std::uint32_t path);
  // The reader of a node made by a caller, kept where a reader's node keeps its value.
  KtOMLFile* callerFile() const;
  void callerFile(KtOMLFile* file);

  // The node's place, and a field's value: a field's value token is placed at the field, so the
  // place is stored once. In a node of a reader's blocks the token's file slot holds the node's
  // context, whose file is the node's.
  KtOMLToken token_;
};

// A cell of a sub-object list: the object and the next cell.
struct KtOMLSyntaxObjectList {
  KtOMLSyntaxObject* pObject;
  KtOMLSyntaxObjectList* pNext;
};

// A cell of a field list: the field and the next cell.
struct KtOMLSyntaxFieldList {
  KtOMLSyntaxField* pField;
  KtOMLSyntaxFieldList* pNext;
};

// A cell of a default list: the field list of a defaults object (borrowed) and the next cell.
struct KtOMLSyntaxDefaultList {
  KtOMLSyntaxFieldList* pFieldList;
  KtOMLSyntaxDefaultList* pNext;

  // Attaches `list` behind the last cell of the chain that begins at `chain` (nothing for a
  // null chain).
  static void append(KtOMLSyntaxDefaultList* chain, KtOMLSyntaxDefaultList* list);
};

// Lists. A node of a reader's blocks carries the cell that holds it in its owner's list; a
// node made by a caller gets a cell of its own when it is added. A node stands in one list at a
// time.
class KtOMLSyntaxObject : public KtOMLSyntaxStruct {
  KT_OBJECT(KtOMLSyntaxObject, KtOMLSyntaxStruct)

 public:
  // Empty lists and no owner. objectIDIndex is -1 without an id, 0 for a defaults object.
  KtOMLSyntaxObject(KtOMLFile* file, std::int32_t line, int position, std::int32_t fileNameIndex,
                    std::int32_t objTypeIDIndex, std::int32_t objectIDIndex,
                    std::int32_t sectionIDIndex, std::uint32_t sectionPathIndex,
                    KtOMLDefObjType* defObjType);
  // Destroys the sub-objects and fields (iteratively: any length, any depth of nesting).
  ~KtOMLSyntaxObject() override;

  // The object type's name; the id's text ("" without id); the section's name, known or
  // declared in the file.
  const char* typeString() const;
  const char* nameString() const;
  const char* sectionString() const;
  // The object built for this object's id during the reading; null when none.
  KtObject* object() const;

  std::int32_t typeIndex() const { return objTypeIDIndex_; }
  std::int32_t objTypeIDIndex() const { return objTypeIDIndex_; }
  std::int32_t objTypeIDIndex(std::int32_t index) { return objTypeIDIndex_ = index; }
  std::int32_t nameIndex() const { return objectIDIndex(); }
  std::int32_t objectIDIndex() const {
    return inReaderBlocks() != 0 ? static_cast<std::int32_t>(token_.value_[0]) : callerID();
  }
  std::int32_t objectIDIndex(std::int32_t index);
  std::int32_t sectionIndex() const { return sectionIDIndex(); }
  std::int32_t sectionIDIndex() const;
  std::int32_t sectionIDIndex(std::int32_t index);
  std::uint32_t sectionPathIndex() const;
  std::uint32_t sectionPathIndex(std::uint32_t path);
  KtOMLDefObjType* pDefObjType() const;
  KtOMLDefObjType* pDefObjType(KtOMLDefObjType* type);
  KtOMLSyntaxObject* pOwnerObject() const { return pOwnerObject_; }
  KtOMLSyntaxObject* pOwnerObject(KtOMLSyntaxObject* owner) { return pOwnerObject_ = owner; }
  KtOMLSyntaxObjectList* pObjectList() const { return pObjectList_; }
  KtOMLSyntaxObjectList* pObjectListEnd() const;
  KtOMLSyntaxFieldList* pFieldList() const { return pFieldList_; }
  KtOMLSyntaxFieldList* pFieldListEnd() const;
  KtOMLSyntaxDefaultList* pDefaultList() const;
  // Returns 1 iff this is a defaults object (its id is "defaults").
  int isDefaults() const { return objectIDIndex() == 0; }

  // Appends a sub-object (which this object then owns, and whose owner it becomes); null is
  // ignored. Returns 0 when memory runs out (the sub-object is then not taken).
  int addObject(KtOMLSyntaxObject* object);
  // Appends a field, which this object then owns; null is ignored; 0 when memory runs out.
  int addField(KtOMLSyntaxField* field);
  // Pushes a default list (a defaults object's field list, borrowed) at the front; null is
  // ignored; 0 when memory runs out.
  int addDefaultList(KtOMLSyntaxFieldList* list);
  // Moves other's sub-objects (re-owned to this object), fields and default lists to the ends of
  // this object's lists; other's lists become empty.
  void append(KtOMLSyntaxObject* other);
  // Unlinks the cell after `previous` (the first cell for null) and destroys it with its
  // sub-object.
  void deleteObjectItem(KtOMLSyntaxObjectList* previous);

  // The object's own first field with that name index (and, unless sectionIndex is -1, that
  // section index), in file order; failing that, the first such field of its defaults. Null when
  // there is none.
  KtOMLSyntaxField* searchField(std::int32_t fieldIndex, std::int32_t sectionIndex) const;
  // The same by name: the field among the grammar's fields, then those of unchecked mode; the
  // section among the known and declared sections (null: any section).
  KtOMLSyntaxField* searchField(const char* field, const char* section) const;
  // The first field, in the same order, with that name index and that section path.
  KtOMLSyntaxField* searchUniqueField(std::int32_t fieldIndex,
                                      std::uint32_t sectionPathIndex) const;

  void debugOutput(int) override {}

 protected:
  KtOMLSyntaxObject() { init(); }
  void init();

 private:
  friend class KtOMLFile;
  friend class KtOMLSyntaxField;
  // What a node made by a caller keeps beside itself.
  struct Spill;
  // A node of the reader's blocks, in `context`.
  KtOMLSyntaxObject(KtOMLFile* reader, std::int32_t context, std::int32_t line, int position,
                    std::int32_t objTypeIDIndex, std::int32_t objectIDIndex);
  Spill* spill() const { return spill_; }
  void releaseLists();
  // The cell that holds `object` in a list: its own when it has one, else a new one (null when
  // memory runs out).
  static KtOMLSyntaxObjectList* cellFor(KtOMLSyntaxObject* object);
  static KtOMLSyntaxFieldList* cellFor(KtOMLSyntaxField* field);
  // Returns true iff the cell is the one its object carries.
  static bool ownsCell(const KtOMLSyntaxObjectList* c) { return c == &c->pObject->cell_; }
  template <typename Match>
  KtOMLSyntaxField* findField(Match match) const;
  void defaultList(KtOMLSyntaxDefaultList* list);
  std::int32_t callerID() const;

  std::int32_t objTypeIDIndex_;
  union {
    KtOMLSyntaxObjectList cell_;  // a node of the reader's blocks: its cell in its owner's list
    Spill* spill_;                // a node of a caller's
  };
  KtOMLSyntaxObject* pOwnerObject_;
  KtOMLSyntaxObjectList* pObjectList_;
  KtOMLSyntaxFieldList* pFieldList_;
  // A reader's object keeps its id where a field keeps its value; a caller's, beside it.
};

class KtOMLSyntaxField : public KtOMLSyntaxStruct {
  KT_OBJECT(KtOMLSyntaxField, KtOMLSyntaxStruct)

 public:
  // Takes the value token (null: no value): the field keeps the token's content and frees it.
  // The place is that of the field's name.
  KtOMLSyntaxField(KtOMLFile* file, std::int32_t line, int position, std::int32_t fileNameIndex,
                   std::int32_t nameIndex, std::int32_t sectionIDIndex,
                   std::uint32_t sectionPathIndex, KtOMLToken* value, KtOMLDefField* defField,
                   int inUncheckedSection);
  ~KtOMLSyntaxField() override;

  const char* nameString() const;
  const char* sectionString() const;
  KtOMLFieldTypeEnum valueType() const;

  // The value, read as the caller knows it to be (the tag is not checked): 0, 0.0, "" or null
  // without a value.
  std::int32_t intValue() const;
  std::int32_t longValue() const { return intValue(); }
  std::uint32_t ipbytesValue() const { return static_cast<std::uint32_t>(intValue()); }
  std::int16_t shortValue() const { return static_cast<std::int16_t>(intValue()); }
  float floatValue() const { return static_cast<float>(doubleValue()); }
  double doubleValue() const;
  const char* stringValue() const;
  // The number the grammar gave the value name (true 1, false 0); 0 when out of range.
  std::int32_t enumValue() const;
  std::int32_t boolValue() const { return enumValue(); }
  KtOMLBinValue* pBinValue() const;
  // The object built for the referenced id, null when none; the type of the syntax object that
  // defines it (-1 or "" when none).
  KtObject* objectValue() const;
  // The id a reference names, as the reader stored it (after the reading, the full id); "" when
  // the value is no reference.
  const char* referenceString() const;
  std::int32_t objectTypeIndex() const;
  const char* objectTypeString() const;

  // The value token, owned by the field; null without a value. A field of a reader's tree gives
  // its own token, which is placed at the field.
  KtOMLToken* pValueToken() { return const_cast<KtOMLToken*>(valueToken()); }
  const KtOMLToken* pValueToken() const { return valueToken(); }
  KtOMLDefField* pDefField() const;
  KtOMLDefField* pDefField(KtOMLDefField* def);
  std::int32_t nameIndex() const { return nameIndex_; }
  std::int32_t fieldIDIndex() const { return nameIndex_; }
  std::int32_t sectionIndex() const { return sectionIDIndex(); }
  std::int32_t sectionIDIndex() const;
  std::int32_t sectionIDIndex(std::int32_t index);
  std::uint32_t sectionPathIndex() const;
  std::uint32_t sectionPathIndex(std::uint32_t path);
  int inUncheckedSection() const;

  void debugOutput(int) override {}

 protected:
  KtOMLSyntaxField() { init(); }
  void init();

 private:
  friend class KtOMLFile;
  friend class KtOMLSyntaxObject;
  struct Spill;
  // A field of the reader's blocks, in `context`, taking `value`.
  KtOMLSyntaxField(KtOMLFile* reader, std::int32_t context, std::int32_t line, int position,
                   std::int32_t nameIndex, KtOMLToken& value);
  Spill* spill() const { return spill_; }
  // The token holding the value: the node's own in a reader's field, the spill's in a caller's;
  // null without a value.
  const KtOMLToken* valueToken() const;
  // The value's index as the reader stored it, for the scope and string pools.
  std::int32_t valueIndex() const {
    const KtOMLToken* t = valueToken();
    return t != nullptr ? t->index() : -1;
  }

  friend struct KtOMLFieldWalk;  // the field iterator's helpers
  // Returns true iff the iterator visits the field once for each section its path names.
  bool needsExpansion() const;

  std::int32_t nameIndex_;
  union {
    KtOMLSyntaxFieldList cell_;  // a field of the reader's blocks: its cell in its owner's list
    Spill* spill_;               // a field of a caller's
  };
};

// ---------------------------------------------------------------------------------------------
// Iterators. Each holds an encapsulation record on which the free functions work; every free
// function accepts null and then does nothing (get answers null, check 0).

// The state of a sub-object walk: the current cell.
struct KtOMLSyntaxObjectIterEncapsulation {
  KtOMLSyntaxObjectList* pCurrent;
};

// The state of a field walk: the current cell, the next default list, the object's own list
// while not yet visited, the object's type, and a section expansion in progress.
struct KtOMLSyntaxFieldIterEncapsulation {
  KtOMLSyntaxFieldList* pCurrent;
  KtOMLSyntaxDefaultList* pNextDefault;
  KtOMLSyntaxFieldList* pOwnFields;
  KtOMLDefObjType* pDefObjType;
  // Expansion of a field whose path names several sections: the section it stands at now, the
  // field's own section index, path and definition to restore, and how many sections took it.
  const KtOMLDefSection* pSection;
  std::int32_t savedSectionIndex;
  std::uint32_t savedPath;
  std::int32_t expansions;
};

void initSyntaxObjectIterEncapsulation(KtOMLSyntaxObjectIterEncapsulation* iter,
                                       const KtOMLSyntaxObject* object);
void incrementSyntaxObjectIterEncapsulation(KtOMLSyntaxObjectIterEncapsulation* iter);
KtOMLSyntaxObject* getFromSyntaxObjectIterEncapsulation(
    const KtOMLSyntaxObjectIterEncapsulation* iter);
int checkListEndSyntaxObjectIterEncapsulation(const KtOMLSyntaxObjectIterEncapsulation* iter);

void initSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter,
                                      const KtOMLSyntaxObject* object);
void incrementSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter);
KtOMLSyntaxField* getFromSyntaxFieldIterEncapsulation(
    const KtOMLSyntaxFieldIterEncapsulation* iter);
int checkListEndSyntaxFieldIterEncapsulation(const KtOMLSyntaxFieldIterEncapsulation* iter);
// Ends a walk early: a field standing for one of its sections gets its own section back.
void endSyntaxFieldIterEncapsulation(KtOMLSyntaxFieldIterEncapsulation* iter);

// Walks the sub-objects of an object in file order.
class KtOMLSyntaxObjectIter : public KtObject {
  KT_OBJECT_CAST(KtOMLSyntaxObjectIter)

 public:
  explicit KtOMLSyntaxObjectIter(const KtOMLSyntaxObject* object) { init(object); }
  KtOMLSyntaxObjectIter(const KtOMLSyntaxObjectIter&) = delete;
  KtOMLSyntaxObjectIter& operator=(const KtOMLSyntaxObjectIter&) = delete;

  void init(const KtOMLSyntaxObject* object) { initSyntaxObjectIterEncapsulation(&state_, object); }
  // 1 while not at the end.
  operator int() const { return checkListEndSyntaxObjectIterEncapsulation(&state_); }
  KtOMLSyntaxObject* pObject() const { return getFromSyntaxObjectIterEncapsulation(&state_); }
  // The prefix form returns the new current object, the postfix form the one it leaves.
  KtOMLSyntaxObject* operator++() {
    incrementSyntaxObjectIterEncapsulation(&state_);
    return pObject();
  }
  KtOMLSyntaxObject* operator++(int) {
    KtOMLSyntaxObject* left = pObject();
    incrementSyntaxObjectIterEncapsulation(&state_);
    return left;
  }

 private:
  KtOMLSyntaxObjectIterEncapsulation state_;
};

// Walks the fields of an object in the order above. While it stands on an expanded field, that
// field carries the section it is visited for; moving on restores it.
class KtOMLSyntaxFieldIter : public KtObject {
  KT_OBJECT_CAST(KtOMLSyntaxFieldIter)

 public:
  explicit KtOMLSyntaxFieldIter(const KtOMLSyntaxObject* object) {
    initSyntaxFieldIterEncapsulation(&state_, object);
  }
  KtOMLSyntaxFieldIter(const KtOMLSyntaxFieldIter&) = delete;
  KtOMLSyntaxFieldIter& operator=(const KtOMLSyntaxFieldIter&) = delete;
  ~KtOMLSyntaxFieldIter() override { endSyntaxFieldIterEncapsulation(&state_); }

  void init(const KtOMLSyntaxObject* object) {
    endSyntaxFieldIterEncapsulation(&state_);
    initSyntaxFieldIterEncapsulation(&state_, object);
  }
  operator int() const { return checkListEndSyntaxFieldIterEncapsulation(&state_); }
  KtOMLSyntaxField* pField() const { return getFromSyntaxFieldIterEncapsulation(&state_); }
  KtOMLSyntaxField* operator++() {
    incrementSyntaxFieldIterEncapsulation(&state_);
    return pField();
  }
  KtOMLSyntaxField* operator++(int) {
    KtOMLSyntaxField* left = pField();
    incrementSyntaxFieldIterEncapsulation(&state_);
    return left;
  }

 private:
  KtOMLSyntaxFieldIterEncapsulation state_;
};

#endif  // KTBASE_OML_OML_SYNTAX_H
