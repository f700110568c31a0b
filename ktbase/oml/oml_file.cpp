#include "ktbase/oml/oml_file.h"

#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/format.h"
#include "ktbase/files/platform.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_lexer.h"
#include "ktbase/oml/oml_messages.h"
#include "ktbase/oml/oml_names.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_tree.h"

KtOMLFile::KtOMLFile() { init(); }

KtOMLFile::~KtOMLFile() {
  // Output held back goes out while this class's flush can still run.
  if (isOpen()) close();
  std::free(pOutput_);
  fatalError_ = 1;  // nothing is reported while the file is taken down
  cleanup();
  destroyTree();
  releasePools();
  releaseBlocks();
  pOMLStatic_ = nullptr;
  pOMLExtension_ = nullptr;
  delete pIndexHashTable_;
  delete pLexer_;
  delete pTreeStore_;
  std::free(pErrorStringBuffer_);
  std::free(pWarningStringBuffer_);
  std::free(includeRoot_);
  std::free(resolvedRoot_);
}

void KtOMLFile::init() {
  pOMLStatic_ = nullptr;
  pOMLExtension_ = nullptr;
  pIndexHashTable_ = nullptr;
  numberOfErrors_ = numberOfWarnings_ = 0;
  maxNumberOfErrors_ = 16;
  maxNumberOfWarnings_ = 32000;
  pErrorStringBuffer_ = pWarningStringBuffer_ = nullptr;
  errorStringBufferSize_ = warningStringBufferSize_ = 0;
  fatalError_ = oneline_ = 0;
  indent_ = 0;
  errorCode_ = KT_FILE_OK;
  pStringPool_ = pUnknownSectionIDPool_ = pUnknownFieldIDPool_ = pUncheckedFieldIDPool_ = nullptr;
  pObjectIDPool_ = nullptr;
  saveMode_ = KT_FILE_READ;
  pLexer_ = nullptr;
  pSyntaxTree_ = nullptr;
  pTopLevelObject_ = nullptr;
  topLevelObjectIDIndex_ = -1;
  pExpectedTopLevelObject_ = nullptr;
  expectedTopLevelObjTypeIDIndex_ = -1;
  pAuxCLIBuffer_ = nullptr;
  pPreviousPathName_ = nullptr;
  includeMode_ = KT_OML_INCLUDE_ANYWHERE;
  includeRoot_ = nullptr;
  resolvedRoot_ = nullptr;
  rootResolved_ = 0;
  errorStringLength_ = warningStringLength_ = 0;
  parseDepth_ = 0;
  anonymousObjects_ = 0;
  topLevelMet_ = 0;
  pTreeStore_ = nullptr;
  numberText_[0] = 0;
  pOutput_ = nullptr;
  outputLength_ = 0;
  bytesRead_ = 0;
  nextProgress_ = 1 << 20;
}

KtOMLLexer* KtOMLFile::lexer() {
  if (pLexer_ == nullptr) pLexer_ = new (std::nothrow) KtOMLLexer(*this);
  return pLexer_;
}

// ---------------------------------------------------------------------------------------------
// A reading

KtFileCodeEnum KtOMLFile::readOMLFile(const char* fileName, KtOMLStatic* grammar,
                                      KtObject* expectedTopLevelObject,
                                      std::int32_t expectedObjTypeIDIndex, int binary,
                                      int makeIndexHashTable, int /*reserved*/) {
  if (fileName == nullptr || grammar == nullptr) return KT_FILE_READ_ARGUMENT_ERROR;
  saveMode_ = binary != 0 ? KT_FILE_READ_BINARY : KT_FILE_READ;
  initParser(grammar, expectedTopLevelObject, expectedObjTypeIDIndex, makeIndexHashTable);
  parse(fileName);
  // What is looked up by text from here on is found by index: the hash tables give their
  // memory back before the objects are built (they are made again if a hook looks texts up).
  if (pStringPool_ != nullptr) pStringPool_->dropIndex();
  checkSemantics();
  if (pObjectIDPool_ != nullptr) pObjectIDPool_->dropIndex();
  execute();
  cleanup();
  return numberOfErrors_ == 0 && error() == 0 ? KT_FILE_OK : errorCode_;
}

// The reader's pools start empty and grow with what the file holds: a reading costs what the
// file costs, not what the grammar's sizes promise.
void KtOMLFile::initParser(KtOMLStatic* grammar, KtObject* expectedTopLevelObject,
                           std::int32_t expectedObjTypeIDIndex, int makeIndexHashTable) {
  pOMLStatic_ = grammar;
  if (pPreviousPathName_ != nullptr) pPreviousPathName_[0] = 0;
  pAuxCLIBuffer(nullptr);
  numberOfErrors_ = numberOfWarnings_ = 0;
  indent_ = 0;
  fatalError_ = oneline_ = 0;
  errorCode_ = KT_FILE_OK;
  if (pErrorStringBuffer_ != nullptr) pErrorStringBuffer_[0] = 0;
  if (pWarningStringBuffer_ != nullptr) pWarningStringBuffer_[0] = 0;
  errorStringLength_ = warningStringLength_ = 0;
  cleanup();
  destroyTree();
  releasePools();
  releaseBlocks();
  parseDepth_ = 0;
  anonymousObjects_ = 0;
  bytesRead_ = 0;
  nextProgress_ = 1 << 20;
  std::free(resolvedRoot_);
  resolvedRoot_ = nullptr;
  rootResolved_ = 0;
  pTopLevelObject_ = nullptr;
  topLevelObjectIDIndex_ = -1;
  pExpectedTopLevelObject_ = expectedTopLevelObject;
  expectedTopLevelObjTypeIDIndex_ = expectedObjTypeIDIndex;
  if (grammar != nullptr) {
    pStringPool_ = new (std::nothrow) KtOMLNamePool(false);
    pUnknownSectionIDPool_ = new (std::nothrow) KtOMLNamePool(true);
    pUnknownFieldIDPool_ = new (std::nothrow) KtOMLNamePool(true);
    pUncheckedFieldIDPool_ = new (std::nothrow) KtOMLNamePool(true);
    pObjectIDPool_ = new (std::nothrow) KtOMLIdPool;
    if (pObjectIDPool_ != nullptr) pObjectIDPool_->store("defaults");
  }
  if (KtOMLLexer* l = lexer()) l->start(grammar, saveMode_ == KT_FILE_READ_BINARY);
  if (pTreeStore_ == nullptr) pTreeStore_ = new (std::nothrow) KtOMLTreeStore(this);
  if (makeIndexHashTable != 0) {
    if (pIndexHashTable_ == nullptr && grammar != nullptr)
      pIndexHashTable_ = new (std::nothrow) KtIndexHashTable(grammar->objectIDHashSize());
  } else {
    delete pIndexHashTable_;
    pIndexHashTable_ = nullptr;
  }
}

// The pools stay as long as a syntax tree does, whose nodes name things through them.
void KtOMLFile::cleanup() {
  if (pLexer_ != nullptr) pLexer_->stop();
  // The built objects belong to the caller now: the ids forget them (their syntax objects stay
  // with the tree).
  if (pObjectIDPool_ != nullptr) pObjectIDPool_->forgetObjects();
  if (numberOfErrors_ > 0) {
    if (pTopLevelObject_ != pExpectedTopLevelObject_) delete pTopLevelObject_;
    pTopLevelObject_ = nullptr;
    topLevelObjectIDIndex_ = -1;
    destroyTree();
  }
  if (pSyntaxTree_ == nullptr) {
    releasePools();
    releaseBlocks();
  }
  pAuxCLIBuffer(nullptr);
  std::free(pPreviousPathName_);
  pPreviousPathName_ = nullptr;
}

// A tree of the reader's blocks is taken down with them; only when some node needs its
// destructor (a byte sequence, a node of a caller's) is it walked first.
void KtOMLFile::destroyTree() {
  KtOMLSyntaxObject* root = pSyntaxTree_;
  pSyntaxTree_ = nullptr;
  if (root == nullptr) return;
  if (root->inReaderBlocks() == 0 || pTreeStore_ == nullptr || pTreeStore_->needsTeardown())
    KtOMLSyntaxStruct::destroyNode(root);
}

void KtOMLFile::releaseBlocks() {
  if (pTreeStore_ != nullptr) pTreeStore_->release();
}

void KtOMLFile::releasePools() {
  for (KtOMLNamePool** pool :
       {&pStringPool_, &pUnknownSectionIDPool_, &pUnknownFieldIDPool_, &pUncheckedFieldIDPool_}) {
    delete *pool;
    *pool = nullptr;
  }
  delete pObjectIDPool_;
  pObjectIDPool_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The reader's pools and index lookups

std::int32_t KtOMLFile::grammarSectionCount() const {
  return pOMLStatic_ != nullptr && pOMLStatic_->pSectionIDPool() != nullptr
             ? pOMLStatic_->pSectionIDPool()->decodeTableMax()
             : 0;
}

std::int32_t KtOMLFile::grammarFieldCount() const {
  return pOMLStatic_ != nullptr && pOMLStatic_->pFieldIDPool() != nullptr
             ? pOMLStatic_->pFieldIDPool()->decodeTableMax()
             : 0;
}

namespace {

std::int32_t lookup(const KtStringPool* pool, const char* name) {
  return pool != nullptr && name != nullptr ? pool->lookup(name) : -1;
}

const char* text(const KtStringPool* pool, std::int32_t index) {
  return pool != nullptr ? pool->decode(index) : "";
}

std::int32_t find(const KtOMLNamePool* pool, const char* name) {
  return pool != nullptr ? pool->find(name) : -1;
}

std::int32_t store(KtOMLNamePool* pool, const char* name) {
  return pool != nullptr ? pool->store(name) : -1;
}

const char* text(const KtOMLNamePool* pool, std::int32_t index) {
  return pool != nullptr ? pool->text(index) : "";
}

// An index in a pool whose indexes follow `offset` others.
std::int32_t after(std::int32_t offset, std::int32_t index) {
  return index >= 0 ? offset + index : -1;
}

}  // namespace

std::int32_t KtOMLFile::valueIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? lookup(pOMLStatic_->pValueIDPool(), name) : -1;
}

std::int32_t KtOMLFile::objTypeIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? lookup(pOMLStatic_->pObjTypeIDPool(), name) : -1;
}

std::int32_t KtOMLFile::checkedFieldIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? lookup(pOMLStatic_->pFieldIDPool(), name) : -1;
}

std::int32_t KtOMLFile::sectionIDIndex(const char* name) const {
  const std::int32_t known =
      pOMLStatic_ != nullptr ? lookup(pOMLStatic_->pSectionIDPool(), name) : -1;
  return known >= 0 ? known : after(grammarSectionCount(), find(pUnknownSectionIDPool_, name));
}

std::int32_t KtOMLFile::fieldIDIndex(const char* name) const {
  const std::int32_t known = checkedFieldIDIndex(name);
  return known >= 0 ? known : after(grammarFieldCount(), find(pUncheckedFieldIDPool_, name));
}

std::int32_t KtOMLFile::unknownFieldIDIndex(const char* name) const {
  return find(pUnknownFieldIDPool_, name);
}

std::int32_t KtOMLFile::stringIndex(const char* text) const { return find(pStringPool_, text); }

std::int32_t KtOMLFile::objectIDIndex(const char* text) const {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->find(text) : -1;
}

std::int32_t KtOMLFile::storeStringIndex(const char* text) { return store(pStringPool_, text); }

std::int32_t KtOMLFile::storeSectionIDIndex(const char* name) {
  const std::int32_t known = sectionIDIndex(name);
  if (known >= 0) return known;
  const std::int32_t index = after(grammarSectionCount(), store(pUnknownSectionIDPool_, name));
  if (index >= 0 && pLexer_ != nullptr) pLexer_->declared(name);  // a section from now on
  return index;
}

// A field met in unchecked mode: after the grammar's fields.
std::int32_t KtOMLFile::storeFieldIDIndex(const char* name) {
  const std::int32_t known = checkedFieldIDIndex(name);
  return known >= 0 ? known : after(grammarFieldCount(), store(pUncheckedFieldIDPool_, name));
}

std::int32_t KtOMLFile::storeUnknownFieldIDIndex(const char* name) {
  const std::int32_t index = store(pUnknownFieldIDPool_, name);
  if (index >= 0 && pLexer_ != nullptr) pLexer_->declared(name);  // maybe a declared field now
  return index;
}

std::int32_t KtOMLFile::storeObjectIDIndex(const char* text) {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->store(text) : -1;
}

const char* KtOMLFile::string(std::int32_t index) const { return text(pStringPool_, index); }

const char* KtOMLFile::valueID(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? text(pOMLStatic_->pValueIDPool(), index) : "";
}

const char* KtOMLFile::objTypeID(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? text(pOMLStatic_->pObjTypeIDPool(), index) : "";
}

const char* KtOMLFile::sectionID(std::int32_t index) const {
  const std::int32_t known = grammarSectionCount();
  if (index < known)
    return pOMLStatic_ != nullptr ? text(pOMLStatic_->pSectionIDPool(), index) : "";
  return text(pUnknownSectionIDPool_, index - known);
}

const char* KtOMLFile::fieldID(std::int32_t index) const {
  const std::int32_t known = grammarFieldCount();
  if (index < known) return pOMLStatic_ != nullptr ? text(pOMLStatic_->pFieldIDPool(), index) : "";
  return text(pUncheckedFieldIDPool_, index - known);
}

const char* KtOMLFile::objectID(std::int32_t index) const {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->text(index) : "";
}

std::int32_t KtOMLFile::enumValue(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? pOMLStatic_->enumValue(index) : 0;
}

int KtOMLFile::definedSection(std::int32_t index) const {
  return pOMLStatic_ != nullptr && pOMLStatic_->definedSection(index);
}

KtOMLDefObjType* KtOMLFile::pObjTypeDefinition(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? pOMLStatic_->pObjTypeDefinition(index) : nullptr;
}

KtOMLSyntaxObject* KtOMLFile::pSyntaxObject(std::int32_t index) const {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->syntaxObject(index) : nullptr;
}

KtOMLSyntaxObject* KtOMLFile::pSyntaxObject(std::int32_t index, KtOMLSyntaxObject* object) {
  return pObjectIDPool_ != nullptr && pObjectIDPool_->syntaxObject(index, object) ? object
                                                                                  : nullptr;
}

KtObject* KtOMLFile::pObject(std::int32_t index) const {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->object(index) : nullptr;
}

KtObject* KtOMLFile::pObject(std::int32_t index, KtObject* object) {
  return pObjectIDPool_ != nullptr && pObjectIDPool_->object(index, object) ? object : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Reports at a node

void KtOMLFile::errorMessage(KtOMLSyntaxStruct* place, int code, const char* text, int fatal) {
  const Place where = place != nullptr
                          ? Place{place->fileNameIndex(), nullptr, place->line(), place->position()}
                          : nowhere();
  // A caller's number is printed as it stands, whatever it names.
  internalErrorMessage(static_cast<KtOMLMessageEnum>(code), where, text != nullptr ? text : "",
                       nullptr, nullptr, fatal, true);
}

void KtOMLFile::warningMessage(KtOMLSyntaxStruct* place, int code, const char* text) {
  const Place where = place != nullptr
                          ? Place{place->fileNameIndex(), nullptr, place->line(), place->position()}
                          : nowhere();
  internalWarningMessage(static_cast<KtOMLMessageEnum>(code), where,
                         text != nullptr ? text : ktOMLMessageText(KT_OML_MSG_SOMETHING_WRONG));
}

// ---------------------------------------------------------------------------------------------
// Odds and ends

char* KtOMLFile::stripBuffer(char* text) {
  KtTextFile::stripBuffer(text);
  if (text != nullptr) std::strcat(text, "\n");
  return text;
}

char** KtOMLFile::pAuxCLIBuffer(char** text) {
  if (text == nullptr || *text == nullptr) text = nullptr;
  KtOMLLexer* l = text != nullptr ? lexer() : pLexer_;
  if (l != nullptr) l->auxText(text);
  return pAuxCLIBuffer_ = l != nullptr && l->auxMode() ? text : nullptr;
}

const char* KtOMLFile::includeRoot(const char* folder) {
  std::free(includeRoot_);
  includeRoot_ = nullptr;
  if (folder != nullptr && *folder != 0) {
    includeRoot_ = static_cast<char*>(std::malloc(std::strlen(folder) + 1));
    if (includeRoot_ != nullptr) std::strcpy(includeRoot_, folder);
  }
  rootResolved_ = 0;
  return includeRoot_;
}

const char* KtOMLFile::resolvedIncludeRoot() {
  if (rootResolved_ != 0) return resolvedRoot_;
  rootResolved_ = 1;
  std::free(resolvedRoot_);
  resolvedRoot_ = nullptr;
  if (includeRoot_ != nullptr) {
    resolvedRoot_ = ::realpath(includeRoot_, nullptr);
  } else if (pStringPool_ != nullptr && pStringPool_->count() > 0) {
    // The main file's name is the first the string pool holds.
    const char* main = pStringPool_->text(0);
    const char* slash = std::strrchr(main, '/');
    if (slash == nullptr) {
      resolvedRoot_ = ::realpath(".", nullptr);
    } else {
      const std::size_t n = static_cast<std::size_t>(slash - main) + 1;
      char* folder = static_cast<char*>(std::malloc(n + 1));
      if (folder != nullptr) {
        std::memcpy(folder, main, n);
        folder[n] = 0;
        resolvedRoot_ = ::realpath(folder, nullptr);
        std::free(folder);
      }
    }
  }
  return resolvedRoot_;
}

void KtOMLFile::previousPathName(const char* fileName) {
  const int last = KtFile::searchForToken(fileName, "/\\:", '-');
  char* buffer = pPreviousPathName();
  if (buffer != pPreviousPathName_) return;
  const std::size_t n = last >= 0 ? static_cast<std::size_t>(last) + 1 : 0;
  const std::size_t kept = n < KT_FILE_NAME_SIZE - 1 ? n : KT_FILE_NAME_SIZE - 1;
  std::memcpy(buffer, fileName, kept);
  buffer[kept] = 0;
}

char* KtOMLFile::pPreviousPathName() {
  if (pPreviousPathName_ == nullptr) {
    pPreviousPathName_ = static_cast<char*>(std::calloc(KT_FILE_NAME_SIZE, 1));
    if (pPreviousPathName_ == nullptr) return const_cast<char*>("");
  }
  return pPreviousPathName_;
}

char* KtOMLFile::pPreviousPathName(const char* text) {
  char* buffer = pPreviousPathName();
  if (buffer == pPreviousPathName_) {
    std::strncpy(buffer, text != nullptr ? text : "", KT_FILE_NAME_SIZE - 1);
    buffer[KT_FILE_NAME_SIZE - 1] = 0;
  }
  return buffer;
}

std::int32_t KtOMLFile::sizeOf() const {
  std::int64_t size = static_cast<std::int64_t>(KtTextFile::sizeOf()) +
                      static_cast<std::int64_t>(sizeof(KtOMLFile) - sizeof(KtTextFile));
  if (pIndexHashTable_ != nullptr) size += pIndexHashTable_->sizeOf();
  size += errorStringBufferSize_;
  size += warningStringBufferSize_;
  return size > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(size);
}
