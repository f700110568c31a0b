#include "ktbase/oml/oml_file.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_static.h"

KtOMLFile::KtOMLFile() { init(); }

KtOMLFile::~KtOMLFile() {
  fatalError_ = 1;  // nothing is reported while the file is taken down
  cleanup();
  pOMLStatic_ = nullptr;
  pOMLExtension_ = nullptr;
  delete pIndexHashTable_;
  std::free(pErrorStringBuffer_);
  std::free(pWarningStringBuffer_);
  for (int i = 0; i < spareTokenCount_; ++i) delete spareTokens_[i];
  std::free(pBracketStack_);
  std::free(scratch_);
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
  spareTokenCount_ = 0;
  scratch_ = nullptr;
  scratchLength_ = scratchCapacity_ = 0;
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
  cleanup();
  return numberOfErrors_ == 0 && error() == 0 ? KT_FILE_OK : errorCode_;
}

// Reads the input to its end. Until the parser reads attributes, only the built-in include and
// input statements are followed: the field name, an optional ':' or '=', and the file's name.
void KtOMLFile::parse(const char* fileName) {
  pushFile(fileName);
  while (KtOMLToken* token = nextToken()) {
    const bool include = token->tag() == OML_TOKEN_FIELD && token->unknownField() == 0 &&
                         (token->index() == 0 || token->index() == 1);
    releaseToken(token);
    if (!include) continue;
    KtOMLToken* name = nextToken();
    if (name != nullptr && name->tag() == OML_TOKEN_ASSIGN) {
      releaseToken(name);
      name = nextToken();
    }
    if (name != nullptr && name->tag() == OML_TOKEN_STRING)
      pushFile(pStringPool_->decode(name->index()));
    releaseToken(name);
  }
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
  ignoreField_ = 0;
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

void KtOMLFile::cleanup() {
  while (pFileDescriptor_ != nullptr) popFile();
  bracketLevel_ = 0;
  releaseToken(pLookAheadToken_);
  pLookAheadToken_ = nullptr;
  releasePools();
  pAuxCLIBuffer(nullptr);
  std::free(pPreviousPathName_);
  pPreviousPathName_ = nullptr;
}

void KtOMLFile::releasePools() {
  for (KtStringPool** pool : {&pStringPool_, &pUnknownSectionIDPool_, &pUnknownFieldIDPool_,
                              &pUncheckedFieldIDPool_, &pObjectIDPool_}) {
    delete *pool;
    *pool = nullptr;
  }
}

// ---------------------------------------------------------------------------------------------
// The reader's pools

std::int32_t KtOMLFile::storeStringIndex(const char* text) {
  return pStringPool_ != nullptr ? pStringPool_->update(text) : -1;
}

std::int32_t KtOMLFile::storeObjectIDIndex(const char* text) {
  return pObjectIDPool_ != nullptr ? pObjectIDPool_->update(text) : -1;
}

// A field met in unchecked mode: after the grammar's fields.
std::int32_t KtOMLFile::storeFieldIDIndex(const char* name) {
  const std::int32_t index =
      pUncheckedFieldIDPool_ != nullptr ? pUncheckedFieldIDPool_->update(name) : -1;
  return index >= 0 ? grammarFieldCount() + index : -1;
}

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
