// The objects that OML files read and write, and their identity in a graph file.
//
// KtOMLObject is the base of every object written to and read from an OML file. It carries one
// signed 64-bit user field, free for the application outside a write; while a file is written
// it holds the object's graph-file identifier (graphFileID), which references to the object
// repeat. The writing code calls preFileWrite on its top object before the write and
// postFileWrite after it; both walk the tree of objects that vBuildListOfSubObjects gives
// (which must hold KtOMLObjects only), fill the identifiers and clear them again. The reader
// calls the read hooks (vCreateObject, vPreReadFields, vReadField, vPostReadFields). Copying a
// KtOMLObject copies nothing: a copy's user field is 0.
//
// KtObjectWithID is its base: a KtObject whose local identifier is 0. KtUniqueID is a plain
// two-part identifier taken from an object (its address and its local identifier).
// KtOMLObjectTuple holds two borrowed object pointers.
#ifndef KTBASE_OML_OML_OBJECT_H
#define KTBASE_OML_OML_OBJECT_H

#include <cstdint>

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/list_sort.h"
#include "ktbase/core/object.h"
#include "ktbase/files/file.h"

class KtIndexHashTable;
class KtOMLFile;
class KtOMLSyntaxField;
class KtOMLSyntaxObject;

class KtObjectWithID : public KtObject {
  KT_OBJECT(KtObjectWithID, KtObject)

 public:
  KtObjectWithID() {}
  ~KtObjectWithID() override;

  // 0: an object with an identity of its own.
  std::int32_t localID() const override;

 protected:
  void init() {}
};

class KtOMLObject : public KtObjectWithID {
  KT_OBJECT(KtOMLObject, KtObjectWithID)

 public:
  KtOMLObject() { init(); }
  ~KtOMLObject() override;

  // The user field, as a number and as an object pointer; the setters return their argument.
  std::int64_t iUserField() const { return iUserField_; }
  std::int64_t iUserField(std::int64_t value) { return iUserField_ = value; }
  KtObject* pIUserField() const;
  KtObject* pIUserField(KtObject* object);

  // Gives sibling objects distinct identifiers: of every run of equal identifiers the first (in
  // identifier order) keeps its own, and the others, and every object whose identifier is the
  // table's errorValue, get fresh ones above the table's largest value, 8 apart (never the
  // errorValue). Sorts `objects` by identifier; the table is not changed. Nothing happens
  // without a table or a list.
  void makeIDsUniqueForGraphFile(KtIndexHashTable* table, KtDList* objects);

  // Slots 3 to 5: the user field; 0; 1.
  std::int64_t graphFileID() const override;
  int isOMLObject() const override;

  // Slots 9 to 23.
  virtual int isFactory() const;
  // The object that contains this one (null here); the writer follows it to build scope paths.
  virtual KtOMLObject* pOwnerObject();
  // Before a write: prepareIDForGraphFile with the file's index table (none without a file or
  // table), preFileWrite on every sub-object, then makeIDsUniqueForGraphFile over them.
  virtual void preFileWrite(KtOMLFile* file);
  // After a write: finalizeIDForGraphFile here and postFileWrite on every sub-object.
  virtual void postFileWrite(KtOMLFile* file, KtFileCodeEnum result);

 protected:
  // Returns 1 iff the field was taken (0 here).
  virtual int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtOMLFile* file);
  // Writes the object's fields (nothing here).
  virtual void vWriteFields(KtOMLFile* file, int);
  // A new sub-object for `object` (null here).
  virtual KtObject* vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject* owner,
                                  KtOMLFile* file);
  virtual void vPreReadFields(KtOMLSyntaxObject* object, KtOMLFile* file);
  virtual void vPostReadFields(KtOMLSyntaxObject* object, KtOMLFile* file);

 public:
  // Returns 1 iff the user field holds a value.
  virtual int internalUserFieldsInUse() const;
  virtual void nullInternalUserFields();
  // The identifier is the object's address, or the value the table holds under that address.
  virtual void prepareIDForGraphFile(KtIndexHashTable* table);
  virtual void finalizeIDForGraphFile();
  virtual int objectType() const;

 protected:
  // Appends the direct sub-objects that are to be written (none here).
  virtual void vBuildListOfSubObjects(KtDList& list);

  void init() { iUserField_ = 0; }

 private:
  friend class KtOMLFile;  // calls the read and write hooks

  std::int64_t iUserField_;
};

// A two-part identifier: an object's address and its local identifier. Both parts 0 is the null
// identifier.
class KtUniqueID {
 public:
  KtUniqueID() : firstID_(0), secondID_(0) {}
  KtUniqueID(std::int64_t first, std::int64_t second) : firstID_(first), secondID_(second) {}
  // The object's address and its localID() (sign-extended); null gives the null identifier.
  explicit KtUniqueID(const KtObject* object) { getObjectID(object); }
  KtUniqueID& operator=(const KtObject* object) {
    getObjectID(object);
    return *this;
  }
  void getObjectID(const KtObject* object);

  std::int64_t firstID() const { return firstID_; }
  std::int64_t secondID() const { return secondID_; }
  int isNullID() const { return firstID_ == 0 && secondID_ == 0; }
  // "ID" and 16 lower-case hexadecimal digits, the low 32 bits of each part, into `buffer`
  // (19 bytes with the terminator); returns buffer.
  char* idString(char* buffer) const;
  void debugOutput(int) {}

 private:
  std::int64_t firstID_;
  std::int64_t secondID_;
};

// Two borrowed KtOMLObject pointers; copies share them.
class KtOMLObjectTuple : public KtObject {
  KT_OBJECT(KtOMLObjectTuple, KtObject)

 public:
  KtOMLObjectTuple() { init(); }
  KtOMLObjectTuple(KtOMLObject* first, KtOMLObject* second)
      : pFirstObject_(first), pSecondObject_(second) {}
  ~KtOMLObjectTuple() override;

  KtOMLObject* pFirstObject() const { return pFirstObject_; }
  KtOMLObject* pFirstObject(KtOMLObject* object) { return pFirstObject_ = object; }
  KtOMLObject* pSecondObject() const { return pSecondObject_; }
  KtOMLObject* pSecondObject(KtOMLObject* object) { return pSecondObject_ = object; }

  // Slot 9: the size of the tuple itself.
  virtual std::int32_t sizeOf() const;

 protected:
  void init() {
    pFirstObject_ = nullptr;
    pSecondObject_ = nullptr;
  }

 private:
  KtOMLObject* pFirstObject_;
  KtOMLObject* pSecondObject_;
};

// Orders cells by the user field of their objects, which must be KtOMLObjects.
class KtIUserFieldDListSort : public KtDListSort {
  KT_OBJECT_CAST(KtIUserFieldDListSort)

 public:
  KtIUserFieldDListSort() {}
  ~KtIUserFieldDListSort() override;

 protected:
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override;
  void virtualDebugOutputElement(KtDListCell* /*cell*/) override {}
};

#endif  // KTBASE_OML_OML_OBJECT_H
