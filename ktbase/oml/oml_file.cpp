#include "ktbase/oml/oml_file.h"

#include "ktbase/containers/hash_table.h"

KtOMLFile::KtOMLFile() { init(); }

KtOMLFile::~KtOMLFile() { delete pIndexHashTable_; }

void KtOMLFile::init() {
  pOMLStatic_ = nullptr;
  pOMLExtension_ = nullptr;
  pIndexHashTable_ = nullptr;
  numberOfErrors_ = 0;
  numberOfWarnings_ = 0;
  maxNumberOfErrors_ = 16;
  maxNumberOfWarnings_ = 32000;
}

std::int32_t KtOMLFile::sizeOf() const {
  std::int64_t size = static_cast<std::int64_t>(KtTextFile::sizeOf()) +
                      static_cast<std::int64_t>(sizeof(KtOMLFile) - sizeof(KtTextFile));
  if (pIndexHashTable_ != nullptr) size += pIndexHashTable_->sizeOf();
  return size > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(size);
}
