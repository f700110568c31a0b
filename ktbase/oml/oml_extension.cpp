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

// The writer's calls go to the file; without one nothing is written.
void KtOMLExtension::writeBlancLine() {
  if (pOMLFile_ != nullptr) pOMLFile_->writeBlancLine();
}
void KtOMLExtension::writeObjectDefaultStart(const char* type) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeObjectDefaultStart(type);
}
void KtOMLExtension::writeObjectStart(const char* type, const KtOMLObject* object, int oneline,
                                      int withID) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeObjectStart(type, object, oneline, withID);
}
void KtOMLExtension::writeObjectStart(const char* type, const KtObject* object, int oneline) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeObjectStart(type, object, oneline);
}
void KtOMLExtension::writeSectionStart(const char* section, int oneline) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeSectionStart(section, oneline);
}
void KtOMLExtension::writeOpeningBracket() {
  if (pOMLFile_ != nullptr) pOMLFile_->writeOpeningBracket();
}
void KtOMLExtension::writeClosingBracket() {
  if (pOMLFile_ != nullptr) pOMLFile_->writeClosingBracket();
}
void KtOMLExtension::writeStringAttribute(const char* field, const char* text) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeStringAttribute(field, text);
}
void KtOMLExtension::writeBoolAttribute(const char* field, int value) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeBoolAttribute(field, value);
}
void KtOMLExtension::writeIPBytesAttribute(const char* field, std::uint32_t address) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeIPBytesAttribute(field, address);
}
void KtOMLExtension::writeAttribute(const char* field, const char* valueName) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, valueName);
}
void KtOMLExtension::writeAttribute(const char* field, int value) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, value);
}
void KtOMLExtension::writeAttribute(const char* field, float value) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, value);
}
void KtOMLExtension::writeAttribute(const char* field, double value) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, value);
}
void KtOMLExtension::writeAttribute(const char* field, const KtOMLBinValue* value) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, value);
}
void KtOMLExtension::writeAttribute(const char* field, KtOMLObject* object,
                                    const KtOMLObject* context, int withName) {
  if (pOMLFile_ != nullptr) pOMLFile_->writeAttribute(field, object, context, withName);
}
