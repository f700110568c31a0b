// The parser: tokens to the syntax tree, checked against the grammar as they come.
//
// A file is an attribute list. An attribute is: section names, each opening a section inside
// the current one, and at most one object type or field name (the keyword); optionally ':' or
// '='; a block or one value; optionally ';'. Every check reports and parsing goes on; the tree
// grows only while no error has been reported.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/files/format.h"
#include "ktbase/files/platform.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_lexer.h"
#include "ktbase/oml/oml_messages.h"
#include "ktbase/oml/oml_section_path.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_tree.h"

namespace {

// Blocks nested deeper are refused (fatal error 12): far beyond any real file, and well within
// the stack of any thread.
constexpr int kMaxNesting = 1000;
// The built-in fields: include, input, comment, section, id, name, field.
constexpr std::int32_t kInclude = 0, kInput = 1, kComment = 2, kSection = 3, kId = 4, kName = 5,
                       kField = 6, kBuiltInFields = 7;
constexpr std::int32_t kSkipSection = 0, kWildcardSection = 1;

bool isKeyword(const KtOMLToken* t) {
  return t != nullptr && (t->tag() == OML_TOKEN_OBJTYPE || t->tag() == OML_TOKEN_FIELD);
}

bool is(const KtOMLToken* t, KtOMLTokenTagEnum tag) { return t != nullptr && t->tag() == tag; }

// A token that cannot be a value: none, an error, punctuation.
bool isMalformedValue(const KtOMLToken* t) {
  if (t == nullptr) return true;
  switch (t->tag()) {
    case OML_TOKEN_ERROR:
    case OML_TOKEN_OPEN_BRACKET:
    case OML_TOKEN_CLOSE_BRACKET:
    case OML_TOKEN_ASSIGN:
    case OML_TOKEN_SEMICOLON:
      return true;
    default:
      return false;
  }
}

// The level a path's next section takes: its lowest unused level (0 when all eight are used).
int nextLevel(std::uint32_t path) {
  const int depth = ktOMLPathDepth(path);
  return depth < KT_OML_MAX_SECTION_LEVELS ? depth + 1 : 0;
}

// Two definitions of one field in different sections are alike when a value fits both.
bool sameKind(const KtOMLDefField* a, const KtOMLDefField* b) {
  if (a->fieldType != b->fieldType) return false;
  if (a->fieldType != KT_FIELD_ENUM && a->fieldType != KT_FIELD_OBJECT_REFERENCE) return true;
  const KtOMLDefIndexList* x = a->pIndexList;
  const KtOMLDefIndexList* y = b->pIndexList;
  for (; x != nullptr && y != nullptr; x = x->pNext, y = y->pNext)
    if (x->index != y->index) return false;
  return x == nullptr && y == nullptr;
}

// The one section with that name in the tree below (and not counting) `top`, or below the
// whole type for null top; null when there is none or more than one.
const KtOMLDefSection* uniqueSectionBelow(const KtOMLDefObjType* type, const KtOMLDefSection* top,
                                          std::int32_t sectionIndex) {
  const KtOMLDefSection* found = nullptr;
  const int topLevel = top != nullptr ? top->level() : 0;
  const KtOMLDefSection* s = top != nullptr ? type->sectionAfter(top) : type->firstSection();
  for (; s != nullptr; s = type->sectionAfter(s)) {
    if (top != nullptr) {  // stay inside top's subtree
      const KtOMLDefSection* up = s;
      while (up != nullptr && up->level() > topLevel) up = up->pParent;
      if (up != top) break;
    }
    if (s->sectionIDIndex != sectionIndex) continue;
    if (found != nullptr) return nullptr;
    found = s;
  }
  return found;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Nodes

KtOMLSyntaxObject* KtOMLFile::newSyntaxObject(const KtOMLToken* place, std::int32_t type,
                                              std::int32_t objectIDIndex,
                                              std::int32_t sectionIDIndex, std::uint32_t path) {
  const std::int32_t file = place != nullptr ? place->fileNameIndex() : fileNameIndex();
  const std::int32_t line = place != nullptr ? place->line() : -1;
  const int position = place != nullptr ? place->position() : 0;
  KtOMLSyntaxObject* node = nullptr;
  if (numberOfErrors_ == 0) {
    const std::int32_t context = pTreeStore_->context(nullptr, sectionIDIndex, path, file, false);
    void* memory = context >= 0 ? pTreeStore_->allocate(sizeof(KtOMLSyntaxObject)) : nullptr;
    if (memory != nullptr)
      node = new (memory) KtOMLSyntaxObject(this, context, line, position, type, objectIDIndex);
  } else {
    node = new (std::nothrow) KtOMLSyntaxObject(this, line, position, file, type, objectIDIndex,
                                                sectionIDIndex, path, pObjTypeDefinition(type));
  }
  if (node == nullptr) memoryExhausted();
  return node;
}

// Fields read one after another in one place share their context: the owner keeps the last.
std::int32_t KtOMLFile::fieldContext(Owner& owner, std::int32_t sectionIDIndex, std::uint32_t path,
                                     std::int32_t file) {
  const int unchecked = pLexer_->unchecked();
  if (owner.context < 0 || owner.contextSection != sectionIDIndex || owner.contextPath != path ||
      owner.contextFile != file || owner.contextUnchecked != unchecked) {
    owner.context = pTreeStore_->context(owner.type, sectionIDIndex, path, file, unchecked != 0);
    owner.contextSection = sectionIDIndex;
    owner.contextPath = path;
    owner.contextFile = file;
    owner.contextUnchecked = unchecked;
  }
  return owner.context;
}

KtOMLSyntaxField* KtOMLFile::newSyntaxField(const KtOMLToken& place, std::int32_t context,
                                            std::int32_t nameIndex, KtOMLToken& value) {
  void* memory = pTreeStore_->allocate(sizeof(KtOMLSyntaxField));
  if (memory == nullptr) {
    memoryExhausted();
    return nullptr;
  }
  if (value.tag() == OML_TOKEN_BINVALUE) pTreeStore_->needsTeardown(true);
  return new (memory)
      KtOMLSyntaxField(this, context, place.line(), place.position(), nameIndex, value);
}

// ---------------------------------------------------------------------------------------------
// Attribute lists and attributes

void KtOMLFile::parse(const char* fileName) {
  KtOMLLexer* l = lexer();
  if (l == nullptr || pTreeStore_ == nullptr || !l->hasWords() || pStringPool_ == nullptr ||
      pUnknownSectionIDPool_ == nullptr || pUnknownFieldIDPool_ == nullptr ||
      pUncheckedFieldIDPool_ == nullptr || pObjectIDPool_ == nullptr) {
    memoryExhausted();
    return;
  }
  l->pushFile(fileName);
  if (!l->hasInput()) return;
  KtOMLSyntaxObject* root = newSyntaxObject(nullptr, 0, -1, -1, 0);
  if (root == nullptr) return;
  pSyntaxTree_ = root;
  Owner owner(root, pObjTypeDefinition(0));
  parseAttributeList(nullptr, -1, 0, owner, nullptr);
  if (numberOfErrors_ > 0) destroyTree();
}

// Reads attributes until the input ends or, in a block (`opening` given), a closing bracket
// comes. A lone ';' is an empty attribute.
void KtOMLFile::parseAttributeList(const KtOMLToken* keyword, std::int32_t sectionIDIndex,
                                   std::uint32_t path, Owner& owner, const KtOMLToken* opening) {
  if (opening != nullptr && ++parseDepth_ > kMaxNesting) {
    --parseDepth_;
    internalErrorMessage(KT_OML_MSG_MEMORY_EXHAUSTED, at(*opening), nullptr, nullptr, nullptr, 1);
    return;
  }
  int ordinal = 1;
  KtOMLToken token;
  while (pLexer_->next(token)) {
    const std::uint32_t tag = token.tagBits();
    if (tag == OML_TOKEN_CLOSE_BRACKET && opening != nullptr) break;
    if (tag == OML_TOKEN_SEMICOLON) continue;
    if (tag == OML_TOKEN_FIELD && keyword == nullptr &&
        parseFieldAttribute(sectionIDIndex, path, owner, token, ordinal)) {
      ++ordinal;
      continue;
    }
    parseAttribute(keyword, sectionIDIndex, path, owner, token, ordinal++);
  }
  token.releaseValue();
  if (opening != nullptr) --parseDepth_;
  pLexer_->unchecked(0);
}

// `listKeyword` is the keyword of the block the attribute stands in (borrowed). `first` is the
// attribute's first token; what is left in it afterwards the caller releases.
void KtOMLFile::parseAttribute(const KtOMLToken* listKeyword, std::int32_t sectionIDIndex,
                               std::uint32_t path, Owner& owner, KtOMLToken& first, int ordinal) {
  const KtOMLToken* keyword = listKeyword;
  KtOMLToken own;  // a keyword of this attribute's own
  KtOMLToken& token = first;
  bool have = true;     // `token` holds a token (false at the end of the input)
  bool prefix = false;  // a section or keyword came before the token
  while (have &&
         (is(&token, OML_TOKEN_SECTION) || isKeyword(&token) || is(&token, OML_TOKEN_ERROR))) {
    if (is(&token, OML_TOKEN_SECTION)) {
      path = extendSectionPath(token, owner, sectionIDIndex, path);
      sectionIDIndex = token.index();
      prefix = true;
    } else if (is(&token, OML_TOKEN_ERROR)) {
      internalErrorMessage(KT_OML_MSG_UNEXPECTED_TOKEN, at(token));
    } else {
      if (keyword != nullptr) {
        char where[32];
        ktFormat(where, sizeof where, "%ld:%d", token.line(), token.position());
        internalErrorMessage(KT_OML_MSG_TWO_KEYWORDS, at(*keyword), decodeIdeToken(*keyword),
                             decodeIdeToken(token), where);
      }
      own.moveFrom(token);
      keyword = &own;
      prefix = true;
    }
    have = pLexer_->next(token);
  }
  if (have && is(&token, OML_TOKEN_ASSIGN)) have = pLexer_->next(token);
  parseAttributeBody(keyword, sectionIDIndex, path, owner, have ? &token : nullptr, prefix,
                     ordinal);
}

// What follows an attribute's sections, keyword and ':': `token` (null at the end of the
// input) is a block, a value, or what does not belong to the attribute.
void KtOMLFile::parseAttributeBody(const KtOMLToken* keyword, std::int32_t sectionIDIndex,
                                   std::uint32_t path, Owner& owner, KtOMLToken* token, bool prefix,
                                   int ordinal) {
  if (is(token, OML_TOKEN_CLOSE_BRACKET) && prefix) {
    // A closing bracket after a keyword or section belongs to the enclosing block.
    internalErrorMessage(KT_OML_MSG_UNEXPECTED_TOKEN, at(*token));
    pLexer_->putBack(*token);
  } else if (isSkipSection(sectionIDIndex)) {
    // The content of a skip section, or of one declared in the file, is passed over: a block,
    // or a value (with the block of an object that follows it).
    bool block = is(token, OML_TOKEN_OPEN_BRACKET);
    if (!block && is(keyword, OML_TOKEN_OBJTYPE) && is(pLexer_->peek(), OML_TOKEN_OPEN_BRACKET)) {
      KtOMLToken opening;
      pLexer_->next(opening);
      block = true;
    }
    if (block) pLexer_->skipBlock();
  } else if (is(token, OML_TOKEN_OPEN_BRACKET)) {
    if (is(keyword, OML_TOKEN_OBJTYPE))
      parseObject(*keyword, -1, sectionIDIndex, path, owner, token);
    else
      parseAttributeList(keyword, sectionIDIndex, path, owner, token);
  } else if (is(keyword, OML_TOKEN_OBJTYPE)) {
    const std::int32_t id = token != nullptr ? checkSimpleScope(token) : -1;
    if (token == nullptr) internalErrorMessage(KT_OML_MSG_UNEXPECTED_TOKEN, here());
    KtOMLToken opening;
    const bool body = is(pLexer_->peek(), OML_TOKEN_OPEN_BRACKET) && pLexer_->next(opening);
    parseObject(*keyword, id, sectionIDIndex, path, owner, body ? &opening : nullptr);
  } else if (is(keyword, OML_TOKEN_FIELD) && keyword->unknownField() != 0) {
    pLexer_->skipRestOfLine();  // a declared field: the rest of its line is not read
  } else if (keyword != nullptr || token != nullptr) {
    parseField(keyword, sectionIDIndex, path, owner, token, ordinal);
  }
  const KtOMLToken* after = pLexer_->peek();
  if (after != nullptr && after->tag() == OML_TOKEN_SEMICOLON) {
    KtOMLToken semicolon;
    pLexer_->next(semicolon);
  }
}

// The attribute most files are made of, a field of the grammar with its value: `field` is taken,
// the ':' and the value are read here, and the rest goes as the general reading would take it.
// False, with nothing more read, when what follows the field belongs to its prefix.
bool KtOMLFile::parseFieldAttribute(std::int32_t sectionIDIndex, std::uint32_t path, Owner& owner,
                                    KtOMLToken& field, int ordinal) {
  const KtOMLToken* next = pLexer_->peek();
  if (next == nullptr) return false;
  const std::uint32_t tag = next->tagBits();
  if (tag == OML_TOKEN_SECTION || tag == OML_TOKEN_FIELD || tag == OML_TOKEN_OBJTYPE ||
      tag == OML_TOKEN_ERROR)
    return false;
  KtOMLToken value;
  if (tag == OML_TOKEN_ASSIGN) pLexer_->next(value);
  const bool have = pLexer_->next(value);
  parseAttributeBody(&field, sectionIDIndex, path, owner, have ? &value : nullptr, true, ordinal);
  return true;
}

void KtOMLFile::parseObject(const KtOMLToken& type, std::int32_t objectIDIndex,
                            std::int32_t sectionIDIndex, std::uint32_t path, Owner& owner,
                            const KtOMLToken* opening) {
  KtOMLSyntaxObject* object =
      newSyntaxObject(&type, type.index(), objectIDIndex, sectionIDIndex, path);
  if (object == nullptr) return;
  if (opening != nullptr) {
    Owner inner(object, pObjTypeDefinition(type.index()));
    parseAttributeList(nullptr, -1, 0, inner, opening);
  }
  if (object->isDefaults())
    for (KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr; c = c->pNext) {
      c->pObject->sectionIDIndex(sectionIDIndex);
      c->pObject->sectionPathIndex(path);
    }
  const bool placed = checkObjectSection(owner, sectionIDIndex, path, object);
  if (placed && numberOfErrors_ == 0 && object->inReaderBlocks() != 0) {
    KtOMLSyntaxObjectList* cell = &object->cell_;
    (owner.objectTail != nullptr ? owner.objectTail->pNext : owner.object->pObjectList_) = cell;
    owner.objectTail = cell;
    object->pOwnerObject_ = owner.object;
    if (object->objectIDIndex() < 0) ++anonymousObjects_;
    return;
  }
  KtOMLSyntaxStruct::destroyNode(object);
}

// `value` is null at the end of the input.
void KtOMLFile::parseField(const KtOMLToken* keyword, std::int32_t sectionIDIndex,
                           std::uint32_t path, Owner& owner, KtOMLToken* value, int ordinal) {
  if (isMalformedValue(value)) {
    internalErrorMessage(KT_OML_MSG_UNEXPECTED_TOKEN, value != nullptr ? at(*value) : here());
    return;
  }
  if (keyword != nullptr && keyword->unknownField() == 0 && keyword->index() < kBuiltInFields) {
    parseBuiltInField(*keyword, owner.object, *value);
    return;
  }
  KtOMLToken positional;
  const KtOMLToken* field = keyword;
  if (field == nullptr) {
    if (pLexer_->unchecked() == 0 && nthFieldDescrToken(owner, path, ordinal, *value, positional))
      field = &positional;
    if (field == nullptr) {
      internalErrorMessage(KT_OML_MSG_UNEXPECTED_VALUE, at(*value));
      return;
    }
  }
  const int unchecked = pLexer_->unchecked();
  const std::int32_t context = fieldContext(owner, sectionIDIndex, path, field->fileNameIndex());
  if (unchecked == 0) {
    // Without a path the field's definition is the one its context holds by index; a path may
    // name several sections, whose definitions must agree.
    const KtOMLDefField* found =
        path == 0 && context >= 0 ? pTreeStore_->definition(context, field->index()) : nullptr;
    if (found == nullptr) found = checkFieldSection(owner, sectionIDIndex, path, *field);
    if (found != nullptr) checkFieldType(found, *value);
  }
  if (numberOfErrors_ != 0 || context < 0) {
    if (context < 0) memoryExhausted();
    return;
  }
  // The field's definition is the one its context names: it is not stored.
  KtOMLSyntaxField* node = newSyntaxField(*field, context, field->index(), *value);
  if (node == nullptr) return;
  KtOMLSyntaxFieldList* cell = &node->cell_;
  (owner.fieldTail != nullptr ? owner.fieldTail->pNext : owner.object->pFieldList_) = cell;
  owner.fieldTail = cell;
}

// include and input read a file here; comment "unchecked" switches the rest of the block to
// unchecked mode; section and field declare names; id and name give the owner its id.
void KtOMLFile::parseBuiltInField(const KtOMLToken& field, KtOMLSyntaxObject* owner,
                                  KtOMLToken& value) {
  const std::int32_t which = field.index();
  if (which == kId || which == kName) {
    const std::int32_t id = checkSimpleScope(&value);
    if (id >= 0) {
      if (owner->objectIDIndex() >= 0 && owner->objectIDIndex() != id)
        internalErrorMessage(KT_OML_MSG_DOUBLE_ID, at(value));
      owner->objectIDIndex(id);
    }
  } else if (checkSomething(value, OML_TOKEN_STRING, KT_OML_MSG_STRING)) {
    const char* text = string(value.index());
    if (which == kInclude || which == kInput) {
      // The file is opened before anything more is read: its content stands in place of the
      // statement.
      pLexer_->pushFile(text);
    } else if (which == kComment) {
      if (std::strcmp(text, "unchecked") == 0 && pLexer_->unchecked() == 0) {
        pLexer_->unchecked(1);
        reclassifyLookAhead();
      }
    } else if (which == kSection) {
      if (storeSectionIDIndex(text) < 0) memoryExhausted();
    } else if (which == kField) {
      if (storeUnknownFieldIDIndex(text) < 0) memoryExhausted();
    }
  }
}

// A word read ahead before unchecked mode began is a field name like the words after it.
void KtOMLFile::reclassifyLookAhead() {
  KtOMLToken* t = pLexer_->held();
  if (t == nullptr) return;
  const KtOMLTokenTagEnum tag = t->tag();
  if (tag != OML_TOKEN_OBJTYPE && tag != OML_TOKEN_SECTION && tag != OML_TOKEN_FIELD &&
      tag != OML_TOKEN_VALUE && tag != OML_TOKEN_SCOPE)
    return;
  // Pool texts never move, so the word stays valid while another pool grows.
  const char* word = decodeIdeToken(*t);
  const char c = word[0];
  if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') ||
      std::strchr(word, ',') != nullptr)
    return;  // a number or a scope path stays what it is
  std::int32_t index = checkedFieldIDIndex(word);
  if (index < 0) index = storeFieldIDIndex(word);
  if (index < 0) {
    t->set(OML_TOKEN_ERROR, 0);
    return;
  }
  t->set(OML_TOKEN_FIELD, index);
  t->unknownField(0);
}

// ---------------------------------------------------------------------------------------------
// Checks

bool KtOMLFile::isSkipSection(std::int32_t sectionIDIndex) const {
  return sectionIDIndex == kSkipSection ||
         (sectionIDIndex >= 0 && sectionIDIndex >= grammarSectionCount());
}

bool KtOMLFile::isIdentifierToken(const KtOMLToken& t) const {
  switch (t.tag()) {
    case OML_TOKEN_VALUE:
    case OML_TOKEN_OBJTYPE:
    case OML_TOKEN_SECTION:
    case OML_TOKEN_FIELD:
    case OML_TOKEN_SCOPE:
      return true;
    default:
      return false;
  }
}

const char* KtOMLFile::decodeIdeToken(const KtOMLToken& t) {
  switch (t.tag()) {
    case OML_TOKEN_VALUE:
      return valueID(t.index());
    case OML_TOKEN_OBJTYPE:
      return objTypeID(t.index());
    case OML_TOKEN_SECTION:
      return sectionID(t.index());
    case OML_TOKEN_FIELD:
      if (t.unknownField() != 0)
        return pUnknownFieldIDPool_ != nullptr ? pUnknownFieldIDPool_->text(t.index()) : "";
      return fieldID(t.index());
    case OML_TOKEN_SCOPE:
      return objectID(t.index());
    case OML_TOKEN_STRING:
      return string(t.index());
    case OML_TOKEN_INTEGER: {
      const std::to_chars_result r =
          std::to_chars(numberText_, numberText_ + sizeof numberText_ - 1, t.intValue());
      *r.ptr = 0;
      return numberText_;
    }
    default:
      return "";
  }
}

std::int32_t KtOMLFile::checkSimpleScope(const KtOMLToken* token) {
  if (is(token, OML_TOKEN_SCOPE)) {
    if (pObjectIDPool_->isSimple(token->index())) return token->index();
  } else if (is(token, OML_TOKEN_INTEGER)) {
    const std::int32_t id = pObjectIDPool_->storeNumber(token->intValue());
    if (id < 0) memoryExhausted();
    return id;
  }
  internalErrorMessage(KT_OML_MSG_ID_EXPECTED, token != nullptr ? at(*token) : here());
  return -1;
}

// The right tag passes; a word gives 22 with its text; anything else 24 with the kind expected.
bool KtOMLFile::checkSomething(const KtOMLToken& value, KtOMLTokenTagEnum accepted,
                               KtOMLMessageEnum kind) {
  if (value.tag() == accepted) return true;
  if (isIdentifierToken(value))
    internalErrorMessage(KT_OML_MSG_UNEXPECTED_IDENTIFIER, at(value), decodeIdeToken(value));
  else
    internalErrorMessage(KT_OML_MSG_EXPECTED, at(value), ktOMLMessageText(kind));
  return false;
}

bool KtOMLFile::checkFieldType(const KtOMLDefField* def, KtOMLToken& value) {
  switch (def->fieldType) {
    case KT_FIELD_INTEGER:
      return checkSomething(value, OML_TOKEN_INTEGER, KT_OML_MSG_INTEGER_NUMBER);
    case KT_FIELD_BOOLEAN:  // the value names true and false only
      if (value.tag() == OML_TOKEN_VALUE && (value.index() == 0 || value.index() == 1)) return true;
      // Another word is named, and then what was expected is said.
      if (isIdentifierToken(value))
        internalErrorMessage(KT_OML_MSG_UNEXPECTED_IDENTIFIER, at(value), decodeIdeToken(value));
      internalErrorMessage(KT_OML_MSG_EXPECTED, at(value),
                           ktOMLMessageText(KT_OML_MSG_TRUE_OR_FALSE));
      return false;
    case KT_FIELD_STRING:
      return checkSomething(value, OML_TOKEN_STRING, KT_OML_MSG_STRING);
    case KT_FIELD_OBJECT_REFERENCE: {
      if (value.tag() == OML_TOKEN_SCOPE) return true;
      if (value.tag() == OML_TOKEN_INTEGER) {  // a number names the object with that id
        const std::int32_t id = checkSimpleScope(&value);
        if (id < 0) return false;
        value.set(OML_TOKEN_SCOPE, id);
        return true;
      }
      internalErrorMessage(KT_OML_MSG_ID_EXPECTED, at(value));
      return false;
    }
    case KT_FIELD_REAL:
      return checkSomething(value, OML_TOKEN_REAL, KT_OML_MSG_REAL_NUMBER);
    case KT_FIELD_ENUM:
      if (value.tag() == OML_TOKEN_VALUE &&
          KtOMLDefIndexList::contains(def->pIndexList, value.index()))
        return true;
      internalErrorMessage(KT_OML_MSG_WRONG_VALUE, at(value));
      return false;
    case KT_FIELD_IP_ADDRESS:
      return checkSomething(value, OML_TOKEN_IPADDRESS, KT_OML_MSG_IP_ADDRESS);
    case KT_FIELD_BINARY:
      return checkSomething(value, OML_TOKEN_BINVALUE, KT_OML_MSG_BYTE_SEQUENCE);
    default:
      internalErrorMessage(KT_OML_MSG_UNEXPECTED_FIELD, at(value));
      return false;
  }
}

// The definition a value is checked against: the type's field without a path; with one, the
// field of every section the path names, which must all be alike (the first is taken).
KtOMLDefField* KtOMLFile::checkFieldSection(const Owner& owner, std::int32_t sectionIDIndex,
                                            std::uint32_t path, const KtOMLToken& field) {
  const KtOMLDefObjType* type = owner.type;
  KtOMLDefField* first = nullptr;
  bool alike = true;
  if (type != nullptr && path == 0) {
    first = KtOMLDefField::find(type->pFieldList, field.index());
  } else if (type != nullptr) {
    for (const KtOMLDefSection* s = type->firstSection(); s != nullptr; s = type->sectionAfter(s)) {
      if (!ktOMLSectionPathAgrees(s->sectionPath, path)) continue;
      KtOMLDefField* def = KtOMLDefField::find(s->pFieldList, field.index());
      if (def == nullptr) continue;
      if (first == nullptr)
        first = def;
      else
        alike = alike && sameKind(first, def);
    }
  }
  if (first != nullptr && alike) return first;
  const char* name = decodeIdeToken(field);
  if (path == 0)
    internalErrorMessage(KT_OML_MSG_FIELD_PLACE, at(field), name,
                         objTypeID(owner.object->objTypeIDIndex()));
  else
    internalErrorMessage(KT_OML_MSG_FIELD_PLACE_SECTION, at(field), name, sectionID(sectionIDIndex),
                         objTypeID(owner.object->objTypeIDIndex()));
  return nullptr;
}

bool KtOMLFile::nthFieldDescrToken(const Owner& owner, std::uint32_t path, int ordinal,
                                   const KtOMLToken& value, KtOMLToken& field) {
  const KtOMLDefObjType* type = owner.type;
  if (type == nullptr) return false;
  const KtOMLDefField* list = type->pFieldList;
  if (path != 0) {
    const KtOMLDefSection* section = type->sectionWithCode(path);
    list = section != nullptr ? section->pFieldList : nullptr;
  }
  const KtOMLDefField* def = KtOMLDefField::withNumber(const_cast<KtOMLDefField*>(list), ordinal);
  if (def == nullptr) return false;
  field.set(OML_TOKEN_FIELD, def->fieldIDIndex);
  field.unknownField(0);
  field.place(value.fileNameIndex(), value.line(), value.position());
  return true;
}

// Objects stand where the grammar lets their type stand: directly in the owner's type, or in the
// section of the path. Inside a defaults object only an object of its own type, without section.
bool KtOMLFile::checkObjectSection(const Owner& owner, std::int32_t sectionIDIndex,
                                   std::uint32_t path, const KtOMLSyntaxObject* object) {
  const bool ownerDefaults = owner.object->isDefaults();
  const bool newDefaults = object->isDefaults();
  const bool inSection = sectionIDIndex >= 0;
  const KtOMLDefObjType* type = owner.type;
  bool allowed = false;
  if (ownerDefaults) {
    allowed =
        !newDefaults && !inSection && object->objTypeIDIndex() == owner.object->objTypeIDIndex();
  } else if (type != nullptr) {
    const KtOMLDefIndexList* types = type->pSubObjTypeList;
    if (path != 0) {
      const KtOMLDefSection* section = type->sectionWithCode(path);
      types = section != nullptr ? section->pSubObjTypeList : nullptr;
    }
    allowed = KtOMLDefIndexList::contains(types, object->objTypeIDIndex()) != 0;
  }
  if (allowed) return true;
  // By (new object a defaults object) x (owner a defaults object) x (in a section).
  static const KtOMLMessageEnum kCodes[2][2][2] = {
      {{KT_OML_MSG_OBJECT_PLACE, KT_OML_MSG_OBJECT_PLACE_SECTION},
       {KT_OML_MSG_OBJECT_PLACE_DEFAULTS, KT_OML_MSG_OBJECT_PLACE_DEFAULTS_SECTION}},
      {{KT_OML_MSG_DEFAULTS_PLACE, KT_OML_MSG_DEFAULTS_PLACE_SECTION},
       {KT_OML_MSG_DEFAULTS_PLACE_DEFAULTS, KT_OML_MSG_DEFAULTS_PLACE_DEFAULTS_SECTION}}};
  const KtOMLMessageEnum code = kCodes[newDefaults][ownerDefaults][inSection];
  const Place place{object->fileNameIndex(), nullptr, object->line(), object->position()};
  const char* newType = objTypeID(object->objTypeIDIndex());
  const char* ownerType = objTypeID(owner.object->objTypeIDIndex());
  if (inSection)
    internalErrorMessage(code, place, newType, sectionID(sectionIDIndex), ownerType);
  else
    internalErrorMessage(code, place, newType, ownerType);
  return false;
}

// The path after a section name: unchanged for skip sections and sections declared in the
// file; the wildcard at the next level for `_`; else the code of the section it names, found
// directly below the current path or, failing that, exactly once further down.
std::uint32_t KtOMLFile::extendSectionPath(const KtOMLToken& section, const Owner& owner,
                                           std::int32_t currentSection, std::uint32_t path) {
  const std::int32_t index = section.index();
  if (isSkipSection(index)) return path;
  const KtOMLDefObjType* type = owner.type;
  const int level = nextLevel(path);
  if (index == kWildcardSection && level != 0) return ktOMLPathWith(path, level, KT_OML_WILDCARD);
  int agreeing = 0;
  if (type != nullptr && index != kWildcardSection && path == 0) {
    if (const KtOMLDefSection* s = KtOMLDefSection::find(type->pSectionList, index))
      return s->sectionPath;
    if (const KtOMLDefSection* s = uniqueSectionBelow(type, nullptr, index)) return s->sectionPath;
  } else if (type != nullptr && index != kWildcardSection && level != 0) {
    const std::uint32_t mask = ktOMLSectionPathMask(path);
    for (int pass = 0; pass < 2; ++pass) {
      std::uint32_t result = 0;
      bool found = false, alike = true;
      agreeing = 0;
      for (const KtOMLDefSection* s = type->firstSection(); s != nullptr;
           s = type->sectionAfter(s)) {
        if (s->level() != level - 1 || !ktOMLSectionPathAgrees(s->sectionPath, path)) continue;
        ++agreeing;
        const KtOMLDefSection* sub = pass == 0 ? KtOMLDefSection::find(s->pSubSectionList, index)
                                               : uniqueSectionBelow(type, s, index);
        if (sub == nullptr) continue;
        const std::uint32_t code = sub->sectionPath & (mask | ktOMLPathLevelsFrom(level));
        alike = alike && (!found || code == result);
        result = code;
        found = true;
      }
      if (found && alike) return result | (path & ~mask);
    }
  }
  const char* name = decodeIdeToken(section);
  if (path == 0)
    internalErrorMessage(KT_OML_MSG_SECTION_IN_TYPE, at(section), name,
                         objTypeID(owner.object->objTypeIDIndex()));
  else if (agreeing <= 1)
    internalErrorMessage(KT_OML_MSG_SECTION_IN_SECTION, at(section), name,
                         sectionID(currentSection), objTypeID(owner.object->objTypeIDIndex()));
  else
    internalErrorMessage(KT_OML_MSG_SECTION_IN_WILDCARD, at(section), name,
                         objTypeID(owner.object->objTypeIDIndex()));
  return path;
}
