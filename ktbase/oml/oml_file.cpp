#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_messages.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/format.h"
#include "ktbase/files/platform.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_id_memo.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"

namespace {

// The entry an object id carries: the syntax object that defines it and the object built for
// it. Entries live in the reader's blocks.
struct ObjectIDEntry {
  KtOMLSyntaxObject* syntaxObject;
  KtObject* object;
};

}  // namespace

// A block of the memory the syntax tree and the id entries are carved from.
struct KtOMLFile::Block {
  Block* next;
  std::size_t size;
  char* data() { return reinterpret_cast<char*>(this + 1); }
};

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
  std::free(pErrorStringBuffer_);
  std::free(pWarningStringBuffer_);
  for (int i = 0; i < spareTokenCount_; ++i) delete spareTokens_[i];
  std::free(pBracketStack_);
  std::free(scratch_);
  std::free(wordCache_);
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
  inUncheckedSection_ = fatalError_ = oneline_ = 0;
  indent_ = 0;
  errorCode_ = KT_FILE_OK;
  ignoreField_ = 0;
  pStringPool_ = pUnknownSectionIDPool_ = pUnknownFieldIDPool_ = nullptr;
  pUncheckedFieldIDPool_ = pObjectIDPool_ = nullptr;
  pNumberIDs_ = pJoinedIDs_ = nullptr;
  saveMode_ = KT_FILE_READ;
  pFileDescriptor_ = nullptr;
  pBracketStack_ = nullptr;
  bracketLevel_ = 0;
  bracketSkipLevel_ = -1;
  pLookAheadToken_ = nullptr;
  pSyntaxTree_ = nullptr;
  pTopLevelObject_ = nullptr;
  topLevelObjectIDIndex_ = -1;
  pExpectedTopLevelObject_ = nullptr;
  expectedTopLevelObjTypeIDIndex_ = -1;
  pAuxCLIBuffer_ = nullptr;
  pPreviousPathName_ = nullptr;
  bracketCapacity_ = 0;
  errorStringLength_ = warningStringLength_ = 0;
  openFileCount_ = 0;
  pAuxFile_ = nullptr;
  skipping_ = 0;
  parseDepth_ = 0;
  numberText_[0] = 0;
  topLevelMet_ = 0;
  blocks_ = nullptr;
  blockNext_ = blockEnd_ = nullptr;
  spareTokenCount_ = 0;
  scratch_ = nullptr;
  scratchLength_ = scratchCapacity_ = 0;
  pOutput_ = nullptr;
  outputLength_ = 0;
  bytesRead_ = 0;
  nextProgress_ = 1 << 20;
  wordCache_ = nullptr;
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
  checkSemantics();
  execute();
  cleanup();
  return numberOfErrors_ == 0 && error() == 0 ? KT_FILE_OK : errorCode_;
}

void KtOMLFile::initParser(KtOMLStatic* grammar, KtObject* expectedTopLevelObject,
                           std::int32_t expectedObjTypeIDIndex, int makeIndexHashTable) {
  pOMLStatic_ = grammar;
  if (pPreviousPathName_ != nullptr) pPreviousPathName_[0] = 0;
  pAuxCLIBuffer(nullptr);
  numberOfErrors_ = numberOfWarnings_ = 0;
  indent_ = 0;
  inUncheckedSection_ = fatalError_ = oneline_ = 0;
  errorCode_ = KT_FILE_OK;
  if (pErrorStringBuffer_ != nullptr) pErrorStringBuffer_[0] = 0;
  if (pWarningStringBuffer_ != nullptr) pWarningStringBuffer_[0] = 0;
  errorStringLength_ = warningStringLength_ = 0;
  cleanup();
  destroyTree();
  releasePools();
  releaseBlocks();
  ignoreField_ = 0;
  parseDepth_ = 0;
  forgetWords();
  bytesRead_ = 0;
  nextProgress_ = 1 << 20;
  bracketSkipLevel_ = -1;
  pTopLevelObject_ = nullptr;
  topLevelObjectIDIndex_ = -1;
  pExpectedTopLevelObject_ = expectedTopLevelObject;
  expectedTopLevelObjTypeIDIndex_ = expectedObjTypeIDIndex;
  if (grammar != nullptr) {
    pStringPool_ =
        new (std::nothrow) KtStringPool(grammar->stringHashSize(), grammar->stringPoolSize(), 1, 0);
    pUnknownSectionIDPool_ = new (std::nothrow)
        KtStringPool(grammar->sectionIDHashSize(), grammar->sectionIDPoolSize(), 0, 0);
    pUnknownFieldIDPool_ = new (std::nothrow)
        KtStringPool(grammar->fieldIDHashSize(), grammar->fieldIDPoolSize(), 0, 0);
    pUncheckedFieldIDPool_ = new (std::nothrow)
        KtStringPool(grammar->fieldIDHashSize(), grammar->fieldIDPoolSize(), 0, 0);
    pObjectIDPool_ = new (std::nothrow)
        KtStringPool(grammar->objectIDHashSize(), grammar->objectIDPoolSize(), 1, 1);
    if (pObjectIDPool_ != nullptr) pObjectIDPool_->update("defaults");
  }
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
  while (pFileDescriptor_ != nullptr) popFile();
  bracketLevel_ = 0;
  releaseToken(pLookAheadToken_);
  pLookAheadToken_ = nullptr;
  // The built objects belong to the caller now: the ids forget them (their syntax objects stay
  // with the tree).
  if (pObjectIDPool_ != nullptr)
    for (std::int32_t i = 0; i < pObjectIDPool_->decodeTableMax(); ++i)
      if (ObjectIDEntry* entry = static_cast<ObjectIDEntry*>(pObjectIDPool_->pointer(i)))
        entry->object = nullptr;
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

void KtOMLFile::destroyTree() {
  KtOMLSyntaxObject* root = pSyntaxTree_;
  pSyntaxTree_ = nullptr;
  if (root == nullptr) return;
  if (root->inReaderBlocks() != 0)
    root->~KtOMLSyntaxObject();
  else
    delete root;
}

// ---------------------------------------------------------------------------------------------
// Blocks

void* KtOMLFile::allocateInBlocks(std::size_t size) {
  size = (size + 7) & ~static_cast<std::size_t>(7);
  if (static_cast<std::size_t>(blockEnd_ - blockNext_) < size || blockNext_ == nullptr) {
    // Blocks of 64 KiB doubling up to 4 MiB, header included, so that large ones fill whole
    // large pages.
    std::size_t total = blocks_ != nullptr ? (blocks_->size + sizeof(Block)) * 2 : 64 * 1024;
    if (total > 4 * 1024 * 1024) total = 4 * 1024 * 1024;
    std::size_t blockSize = total - sizeof(Block);
    if (blockSize < size) blockSize = size;
    Block* block = static_cast<Block*>(ktAllocateBulk(sizeof(Block) + blockSize));
    if (block == nullptr) return nullptr;
    block->next = blocks_;
    block->size = blockSize;
    blocks_ = block;
    blockNext_ = block->data();
    blockEnd_ = blockNext_ + blockSize;
  }
  void* memory = blockNext_;
  blockNext_ += size;
  return memory;
}

void KtOMLFile::releaseBlocks() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    std::free(blocks_);
    blocks_ = next;
  }
  blockNext_ = blockEnd_ = nullptr;
}

void KtOMLFile::releasePools() {
  for (KtStringPool** pool : {&pStringPool_, &pUnknownSectionIDPool_, &pUnknownFieldIDPool_,
                              &pUncheckedFieldIDPool_, &pObjectIDPool_}) {
    delete *pool;
    *pool = nullptr;
  }
  for (KtOMLIdMemo** memo : {&pNumberIDs_, &pJoinedIDs_}) {
    delete *memo;
    *memo = nullptr;
  }
}

// ---------------------------------------------------------------------------------------------
// The reader's pools and index lookups

namespace {

std::int32_t find(const KtStringPool* pool, const char* name) {
  return pool != nullptr && name != nullptr ? pool->lookup(name) : -1;
}

std::int32_t store(KtStringPool* pool, const char* name) {
  return pool != nullptr && name != nullptr ? pool->update(name) : -1;
}

const char* text(const KtStringPool* pool, std::int32_t index) {
  return pool != nullptr ? pool->decode(index) : "";
}

// An index in a pool whose indexes follow `offset` others.
std::int32_t after(std::int32_t offset, std::int32_t index) {
  return index >= 0 ? offset + index : -1;
}

}  // namespace

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

std::int32_t KtOMLFile::valueIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? find(pOMLStatic_->pValueIDPool(), name) : -1;
}

std::int32_t KtOMLFile::objTypeIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? find(pOMLStatic_->pObjTypeIDPool(), name) : -1;
}

std::int32_t KtOMLFile::checkedFieldIDIndex(const char* name) const {
  return pOMLStatic_ != nullptr ? find(pOMLStatic_->pFieldIDPool(), name) : -1;
}

std::int32_t KtOMLFile::sectionIDIndex(const char* name) const {
  const std::int32_t known =
      pOMLStatic_ != nullptr ? find(pOMLStatic_->pSectionIDPool(), name) : -1;
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

std::int32_t KtOMLFile::objectIDIndex(const char* text) const { return find(pObjectIDPool_, text); }

std::int32_t KtOMLFile::storeStringIndex(const char* text) { return store(pStringPool_, text); }

std::int32_t KtOMLFile::storeSectionIDIndex(const char* name) {
  const std::int32_t known = sectionIDIndex(name);
  if (known >= 0) return known;
  forgetWords();  // the word is a section from now on
  return after(grammarSectionCount(), store(pUnknownSectionIDPool_, name));
}

// A field met in unchecked mode: after the grammar's fields.
std::int32_t KtOMLFile::storeFieldIDIndex(const char* name) {
  const std::int32_t known = checkedFieldIDIndex(name);
  return known >= 0 ? known : after(grammarFieldCount(), store(pUncheckedFieldIDPool_, name));
}

std::int32_t KtOMLFile::storeUnknownFieldIDIndex(const char* name) {
  forgetWords();  // the word may be a declared field from now on
  return store(pUnknownFieldIDPool_, name);
}

std::int32_t KtOMLFile::storeObjectIDIndex(const char* text) { return store(pObjectIDPool_, text); }

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

const char* KtOMLFile::objectID(std::int32_t index) const { return text(pObjectIDPool_, index); }

std::int32_t KtOMLFile::enumValue(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? pOMLStatic_->enumValue(index) : 0;
}

int KtOMLFile::definedSection(std::int32_t index) const {
  return pOMLStatic_ != nullptr && pOMLStatic_->definedSection(index);
}

KtOMLDefObjType* KtOMLFile::pObjTypeDefinition(std::int32_t index) const {
  return pOMLStatic_ != nullptr ? pOMLStatic_->pObjTypeDefinition(index) : nullptr;
}

// The entry of an id: made on demand (in the reader's blocks) when `make` is set.
void* KtOMLFile::idEntry(std::int32_t index, bool make) const {
  KtStringPool* pool = pObjectIDPool_;
  if (pool == nullptr || index < 0 || index >= pool->decodeTableMax()) return nullptr;
  void* entry = pool->pointer(index);
  if (entry != nullptr || !make) return entry;
  entry = const_cast<KtOMLFile*>(this)->allocateInBlocks(sizeof(ObjectIDEntry));
  if (entry == nullptr) return nullptr;
  *static_cast<ObjectIDEntry*>(entry) = ObjectIDEntry{nullptr, nullptr};
  pool->pointer(index, entry);
  return entry;
}

KtOMLSyntaxObject* KtOMLFile::pSyntaxObject(std::int32_t index) const {
  const ObjectIDEntry* entry = static_cast<ObjectIDEntry*>(idEntry(index, false));
  return entry != nullptr ? entry->syntaxObject : nullptr;
}

KtOMLSyntaxObject* KtOMLFile::pSyntaxObject(std::int32_t index, KtOMLSyntaxObject* object) {
  ObjectIDEntry* entry = static_cast<ObjectIDEntry*>(idEntry(index, true));
  return entry != nullptr ? entry->syntaxObject = object : nullptr;
}

KtObject* KtOMLFile::pObject(std::int32_t index) const {
  const ObjectIDEntry* entry = static_cast<ObjectIDEntry*>(idEntry(index, false));
  return entry != nullptr ? entry->object : nullptr;
}

KtObject* KtOMLFile::pObject(std::int32_t index, KtObject* object) {
  ObjectIDEntry* entry = static_cast<ObjectIDEntry*>(idEntry(index, true));
  return entry != nullptr ? entry->object = object : nullptr;
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
  if (text != nullptr && *text != nullptr && pAuxFile_ == nullptr)
    pAuxFile_ = new (std::nothrow) KtOpenFileList;
  if (text == nullptr || *text == nullptr || pAuxFile_ == nullptr) {
    delete pAuxFile_;
    pAuxFile_ = nullptr;
    return pAuxCLIBuffer_ = nullptr;
  }
  pAuxFile_->fileNameIndex = -1;
  pAuxFile_->line = -1;
  pAuxFile_->position = -1;
  pAuxFile_->pCurrent = *text;
  pAuxFile_->pBlock = nullptr;
  pAuxFile_->pBinary = nullptr;
  pAuxFile_->binaryCount = 0;
  pAuxFile_->pNext = nullptr;
  return pAuxCLIBuffer_ = text;
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
