// Between the syntax tree and the caller's objects: the semantic checks (defaults, full ids,
// merged objects, required fields, references, the application's own checks) and the building
// of objects through the hooks.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/format.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_messages.h"
#include "ktbase/oml/oml_names.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"

// ---------------------------------------------------------------------------------------------
// Checks. Each step runs only while no error has been reported.

void KtOMLFile::checkSemantics() {
  KtOMLSyntaxObject* root = pSyntaxTree_;
  if (root == nullptr || numberOfErrors_ > 0) return;
  const std::int32_t rootScope = storeObjectIDIndex("$");
  if (rootScope < 0) {
    memoryExhausted();
    return;
  }
  root->objectIDIndex(rootScope);
  collectDefaultFields(root);
  if (numberOfErrors_ > 0) return;
  // The numbers of the objects without id first, so that the full ids the walk makes next are
  // numbered one after the other (which keeps what they carry together in memory).
  for (std::int32_t n = 0; n < anonymousObjects_; ++n)
    if (pObjectIDPool_->storeNumber(n < INT32_MAX - 1 ? -2 - n : INT32_MIN) < 0) {
      memoryExhausted();
      return;
    }
  std::int32_t counter = -2;
  collectObjects(root, rootScope, counter);
  if (numberOfErrors_ > 0) return;
  checkRequiredFields(root, rootScope);
  if (numberOfErrors_ > 0) return;
  if (checkObjectsForApplication(root) == 0) {
    errorMessage(root, KT_OML_MSG_SEMANTIC_ERRORS, ktOMLMessageText(KT_OML_MSG_SEMANTIC_ERRORS), 0);
  }
}

// Every object directly inside a defaults object takes that object's fields as defaults.
void KtOMLFile::collectDefaultFields(KtOMLSyntaxObject* object) {
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr; c = c->pNext) {
    if (object->isDefaults() && !c->pObject->addDefaultList(object->pFieldList())) {
      memoryExhausted();
      return;
    }
    collectDefaultFields(c->pObject);
  }
}

std::int32_t KtOMLFile::joinedID(std::int32_t parent, std::int32_t child) {
  const std::int32_t id = pObjectIDPool_->join(parent, child);
  if (id < 0) memoryExhausted();
  return id;
}

// Gives every object its full id (scope,id; scope,n for one without id, n counting -2, -3 ...
// over the whole file, parents before children) and merges objects written more than once.
// Defaults objects take no id of their own: their objects stand in the defaults' owner's scope.
// Every newcomer whose full id belongs to an object of another type is reported (the first
// keeps the id); the walk goes on, so that one reading shows them all.
void KtOMLFile::collectObjects(KtOMLSyntaxObject* object, std::int32_t scope,
                               std::int32_t& counter) {
  KtOMLSyntaxObjectList* previous = nullptr;
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && fatalError_ == 0;) {
    KtOMLSyntaxObject* sub = c->pObject;
    if (sub->isDefaults()) {
      collectObjects(sub, scope, counter);
      previous = c;
      c = c->pNext;
      continue;
    }
    std::int32_t full;
    if (sub->objectIDIndex() >= 0) {
      full = joinedID(scope, sub->objectIDIndex());
    } else {
      const std::int32_t anonymous = pObjectIDPool_->storeNumber(counter);
      counter = counter > INT32_MIN ? counter - 1 : counter;
      full = anonymous >= 0 ? joinedID(scope, anonymous) : -1;
      if (anonymous < 0) memoryExhausted();
    }
    if (full < 0) return;
    collectObjects(sub, full, counter);
    KtOMLSyntaxObject* first = pSyntaxObject(full);
    if (first != nullptr && first != sub) {
      if (first->objTypeIDIndex() != sub->objTypeIDIndex()) {
        errorMessage(sub, KT_OML_MSG_DOUBLE_TYPE, ktOMLMessageText(KT_OML_MSG_DOUBLE_TYPE), 0);
        previous = c;
        c = c->pNext;
        continue;
      }
      // The same object written again: its content joins the first writing.
      first->append(sub);
      c = c->pNext;
      object->deleteObjectItem(previous);
      continue;
    }
    if (pSyntaxObject(full, sub) == nullptr) {
      memoryExhausted();
      return;
    }
    sub->objectIDIndex(full);
    previous = c;
    c = c->pNext;
  }
}

// A relative reference names a sibling of the referring object: in object $,a,b the reference
// c means $,a,c. The field's value becomes the full id.
void KtOMLFile::checkObjectDefinition(KtOMLSyntaxField* field, std::int32_t scope) {
  KtOMLToken* value = field->pValueToken();
  if (value == nullptr || value->tag() != OML_TOKEN_SCOPE) return;
  std::int32_t id = value->index();
  if (!pObjectIDPool_->isAbsolute(id)) {
    id = joinedID(scope, id);
    if (id < 0) return;
    value->set(OML_TOKEN_SCOPE, id);
  }
  const KtOMLSyntaxObject* target = pSyntaxObject(id);
  if (target == nullptr) {
    errorMessage(field, KT_OML_MSG_UNDEFINED_REFERENCE,
                 ktOMLMessageText(KT_OML_MSG_UNDEFINED_REFERENCE), 0);
    return;
  }
  const KtOMLDefField* def = field->pDefField();
  const std::int32_t expected = def->pIndexList != nullptr ? def->pIndexList->index : -1;
  if (expected >= 0 && target->objTypeIDIndex() != expected) {
    char* text = formatMessage(ktOMLMessageText(KT_OML_MSG_REFERENCE_TYPE), objTypeID(expected),
                               nullptr, nullptr);
    errorMessage(field, KT_OML_MSG_REFERENCE_TYPE, text != nullptr ? text : "", 0);
    std::free(text);
  }
}

// The required fields of the object's type must all be present (its defaults count); references
// are resolved on the way. `referenceScope` is the full id of the object's owner.
void KtOMLFile::checkRequiredFields(KtOMLSyntaxObject* object, std::int32_t referenceScope) {
  const KtOMLDefObjType* type = object->pDefObjType();
  const KtOMLDefField* required = type != nullptr ? type->pRequiredFieldList : nullptr;
  // The required fields seen, for the first 32 of the list; beyond, each is looked for alone.
  std::uint32_t seen = 0;
  for (KtOMLSyntaxFieldIter it(object); it && fatalError_ == 0; ++it) {
    const KtOMLDefField* def = it.pField()->pDefField();
    if (def == nullptr) continue;
    if (def->fieldType == KT_FIELD_OBJECT_REFERENCE)
      checkObjectDefinition(it.pField(), referenceScope);
    if (def->required == 0) continue;
    int bit = 0;
    for (const KtOMLDefField* r = required; r != nullptr && bit < 32; r = r->pNextRequired, ++bit)
      if (r == def) seen |= 1u << bit;
  }
  if (!object->isDefaults()) {
    int bit = 0;
    for (const KtOMLDefField* r = required; r != nullptr; r = r->pNextRequired, ++bit) {
      bool present = bit < 32 ? (seen >> bit & 1u) != 0 : false;
      for (KtOMLSyntaxFieldIter it(object); bit >= 32 && it && !present; ++it)
        present = it.pField()->pDefField() == r;
      if (present) continue;
      char* text = formatMessage(ktOMLMessageText(KT_OML_MSG_MISSING_ATTRIBUTE),
                                 fieldID(r->fieldIDIndex), nullptr, nullptr);
      errorMessage(object, KT_OML_MSG_MISSING_ATTRIBUTE, text != nullptr ? text : "", 0);
      std::free(text);
      break;
    }
  }
  const std::int32_t scope = object->isDefaults() ? referenceScope : object->objectIDIndex();
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && fatalError_ == 0;
       c = c->pNext)
    checkRequiredFields(c->pObject, scope);
}

// The application's checks, parents before children; defaults objects are entered without a
// check of their own. The first rejection ends the walk of its siblings.
int KtOMLFile::checkObjectsForApplication(KtOMLSyntaxObject* object) {
  int result = 1;
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && result != 0;
       c = c->pNext) {
    KtOMLSyntaxObject* sub = c->pObject;
    if (!sub->isDefaults()) result &= vCheckObject(sub);
    if (fatalError_ != 0) return 0;
    if (result != 0) result &= checkObjectsForApplication(sub);
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Building

void KtOMLFile::execute() {
  if (numberOfErrors_ > 0 || pSyntaxTree_ == nullptr) return;
  topLevelMet_ = 0;
  createAllObjects(pSyntaxTree_);
  if (numberOfErrors_ > 0) return;
  if (setOwnedFields(pSyntaxTree_, pSyntaxTree_, nullptr) == 0 && fatalError_ == 0)
    internalWarningMessage(KT_OML_MSG_FIELDS_NOT_SET, nowhere());
}

// The top-level objects: one only, of the expected type when the caller gave an object to fill.
// A second one is refused before anything is made for it.
void KtOMLFile::createAllObjects(KtOMLSyntaxObject* object) {
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && numberOfErrors_ == 0;
       c = c->pNext) {
    KtOMLSyntaxObject* sub = c->pObject;
    if (sub->isDefaults()) {
      createAllObjects(sub);
      continue;
    }
    if (topLevelMet_ != 0) {
      errorMessage(sub, KT_OML_MSG_TWO_TOP_LEVEL, ktOMLMessageText(KT_OML_MSG_TWO_TOP_LEVEL), 1);
      return;
    }
    topLevelMet_ = 1;
    KtObject* built;
    if (pExpectedTopLevelObject_ != nullptr) {
      if (sub->objTypeIDIndex() != expectedTopLevelObjTypeIDIndex_) {
        errorMessage(sub, KT_OML_MSG_WRONG_TOP_LEVEL, ktOMLMessageText(KT_OML_MSG_WRONG_TOP_LEVEL),
                     1);
        return;
      }
      built = pExpectedTopLevelObject_;
    } else {
      built = vCreateObject(sub, nullptr, nullptr);
      if (fatalError_ != 0) {
        // The hook reported a fatal error: what it made still goes to cleanup, as the top
        // object.
        pTopLevelObject_ = built;
        return;
      }
    }
    updateObject(sub, nullptr, built);
    pTopLevelObject_ = built;
    topLevelObjectIDIndex_ = sub->objTypeIDIndex();
    createOwnedObjects(sub, sub, built);
  }
}

void KtOMLFile::createOwnedObjects(KtOMLSyntaxObject* object, KtOMLSyntaxObject* ownerSyntax,
                                   KtObject* owner) {
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && fatalError_ == 0;
       c = c->pNext) {
    KtOMLSyntaxObject* sub = c->pObject;
    if (sub->isDefaults()) {
      createOwnedObjects(sub, ownerSyntax, owner);
      continue;
    }
    KtObject* built = vCreateObject(sub, ownerSyntax, owner);
    if (fatalError_ != 0) return;
    updateObject(sub, nullptr, built);
    createOwnedObjects(sub, sub, built);
  }
}

std::int64_t KtOMLFile::extractIDFromScope(const char* scope) {
  const char* end = scope + std::strlen(scope);
  const char* digits = end;
  while (digits > scope && digits[-1] >= '0' && digits[-1] <= '9') --digits;
  std::uint64_t value = 0;
  for (const char* p = digits; p < end; ++p)
    value = value * 10 + static_cast<std::uint64_t>(*p - '0');  // wraps for absurd lengths
  const bool negative = digits > scope && digits[-1] == '-';
  return static_cast<std::int64_t>(negative ? 0 - value : value);
}

void KtOMLFile::updateObject(KtOMLSyntaxObject* object, KtObject* oldObject, KtObject* newObject) {
  if (object == nullptr) return;
  if (pObject(object->objectIDIndex(), newObject) != newObject && newObject != nullptr)
    memoryExhausted();
  if (oldObject != nullptr && oldObject != newObject) delete oldObject;
  if (pIndexHashTable_ != nullptr && newObject != nullptr)
    pIndexHashTable_->update(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(newObject)),
                             extractIDFromScope(objectID(object->objectIDIndex())));
}

// Reads every object's fields through the hooks: defaults first, own fields last, so that own
// values win. A defaults object's fields are never read for it, only for its objects.
int KtOMLFile::setOwnedFields(KtOMLSyntaxObject* object, KtOMLSyntaxObject* hookObject,
                              KtObject* target) {
  int result = 1;
  if (!object->isDefaults()) {
    vPreReadFields(object, target);
    for (KtOMLSyntaxFieldIter it(object); it && fatalError_ == 0; ++it)
      result &= vReadField(it.pField(), object, target);
    if (fatalError_ == 0) vPostReadFields(object, target);
  }
  for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr && fatalError_ == 0;
       c = c->pNext) {
    KtOMLSyntaxObject* sub = c->pObject;
    if (sub->isDefaults())
      result &= setOwnedFields(sub, hookObject, target);
    else
      result &= setOwnedFields(sub, sub, sub->object());
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// The default hooks

int KtOMLFile::vCheckObject(KtOMLSyntaxObject* object) {
  const KtOMLDefObjType* type = pObjTypeDefinition(object->objTypeIDIndex());
  if (type == nullptr) return 0;
  return type->checkFunction != nullptr ? type->checkFunction(this, object) : 1;
}

KtObject* KtOMLFile::vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject* ownerSyntax,
                                   KtObject* owner) {
  const KtOMLDefObjType* type = pObjTypeDefinition(object->objTypeIDIndex());
  return type != nullptr && type->createFunction != nullptr
             ? type->createFunction(this, object, ownerSyntax, owner)
             : nullptr;
}

int KtOMLFile::vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtObject* target) {
  if (target != nullptr && target->isOMLObject() != 0) {
    const int taken = KtOMLObject::castDown(target)->vReadField(field, object, this);
    if (taken != 0) return taken;
  }
  const KtOMLDefObjType* type = pObjTypeDefinition(object->objTypeIDIndex());
  return type != nullptr && type->readFieldFunction != nullptr
             ? type->readFieldFunction(this, field, object, target)
             : 0;
}

void KtOMLFile::vPreReadFields(KtOMLSyntaxObject* object, KtObject* target) {
  if (target != nullptr && target->isOMLObject() != 0)
    KtOMLObject::castDown(target)->vPreReadFields(object, this);
}

void KtOMLFile::vPostReadFields(KtOMLSyntaxObject* object, KtObject* target) {
  if (target != nullptr && target->isOMLObject() != 0)
    KtOMLObject::castDown(target)->vPostReadFields(object, this);
}
