#include "ktbase/oml/oml_extension.h"

#include <new>

#include "ktbase/oml/oml_file.h"

KtOMLExtension::KtOMLExtension(KtOMLFile* file) {
  init();
  pOMLFile_ = file;
}

KtOMLExtension::~KtOMLExtension() { releaseOwnedFile(); }

void KtOMLExtension::releaseOwnedFile() {
  delete pOwnedOMLFile_;
  pOwnedOMLFile_ = nullptr;
}

void KtOMLExtension::KtOMLExtensiondeepCopy(const KtOMLExtension&) {
  releaseOwnedFile();
  pOMLFile_ = nullptr;
}

void KtOMLExtension::KtOMLExtensionattributeCopy(const KtOMLExtension& source) {
  KtOMLExtensiondeepCopy(source);
}

KtOMLFile* KtOMLExtension::pOwnedOMLFile() {
  if (pOwnedOMLFile_ == nullptr) pOwnedOMLFile_ = vNewOwnedOMLFile();
  return pOwnedOMLFile_;
}

void KtOMLExtension::vWriteContents(KtObject*) {}
int KtOMLExtension::vCheckObject(KtOMLSyntaxObject*) { return 0; }
KtObject* KtOMLExtension::vCreateObject(KtOMLSyntaxObject*, KtOMLSyntaxObject*, KtObject*) {
  return nullptr;
}
int KtOMLExtension::vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) { return 0; }

std::int32_t KtOMLExtension::sizeOf() const {
  std::int64_t size = static_cast<std::int64_t>(sizeof(KtOMLExtension));
  if (pOwnedOMLFile_ != nullptr) size += pOwnedOMLFile_->sizeOf();
  return size > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(size);
}

KtOMLFile* KtOMLExtension::vNewOwnedOMLFile() {
  KtOMLFile* file = new (std::nothrow) KtOMLFile;
  if (file != nullptr) file->pOMLExtension(this);
  return file;
}

int KtOMLExtension::numberOfErrors() const {
  return pOMLFile_ != nullptr ? pOMLFile_->numberOfErrors() : 0;
}

int KtOMLExtension::numberOfWarnings() const {
  return pOMLFile_ != nullptr ? pOMLFile_->numberOfWarnings() : 0;
}

void KtOMLExtension::errorMessage(KtOMLSyntaxStruct* place, int code, const char* text, int fatal) {
  if (pOMLFile_ != nullptr) pOMLFile_->errorMessage(place, code, text, fatal);
}

void KtOMLExtension::warningMessage(KtOMLSyntaxStruct* place, int code, const char* text) {
  if (pOMLFile_ != nullptr) pOMLFile_->warningMessage(place, code, text);
}
