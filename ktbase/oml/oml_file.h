// KtOMLFile reads and writes OML files. This first part holds what the OML objects and
// extensions reach through a file: the grammar and the extension it works with, the index table
// of written and read objects, and the message counters with their limits.
//
// Borrows the grammar and the extension; owns the index table.
#ifndef KTBASE_OML_OML_FILE_H
#define KTBASE_OML_OML_FILE_H

#include <cstdint>

#include "ktbase/files/text_file.h"

class KtIndexHashTable;
class KtOMLExtension;
class KtOMLStatic;

class KtOMLFile : public KtTextFile {
  KT_OBJECT_CAST(KtOMLFile)

 public:
  KtOMLFile();
  KtOMLFile(const KtOMLFile&) = delete;
  KtOMLFile& operator=(const KtOMLFile&) = delete;
  ~KtOMLFile() override;

  KtOMLExtension* pOMLExtension() const { return pOMLExtension_; }
  KtOMLExtension* pOMLExtension(KtOMLExtension* extension) { return pOMLExtension_ = extension; }
  // The map from objects to their numeric ids, when the reading or writing keeps one.
  KtIndexHashTable* pIndexHashTable() const { return pIndexHashTable_; }

  // The number of errors and warnings reported since the reading began, and the counts at which
  // reading stops (16 and 32000 at first).
  int numberOfErrors() const { return numberOfErrors_; }
  int numberOfErrors(int count) { return numberOfErrors_ = count; }
  int numberOfWarnings() const { return numberOfWarnings_; }
  int maxNumberOfErrors() const { return maxNumberOfErrors_; }
  int maxNumberOfErrors(int count) { return maxNumberOfErrors_ = count; }
  int maxNumberOfWarnings() const { return maxNumberOfWarnings_; }
  int maxNumberOfWarnings(int count) { return maxNumberOfWarnings_ = count; }

  // The text file's size plus the file's own members and its index table.
  std::int32_t sizeOf() const override;

 protected:
  void init();

 private:
  KtOMLStatic* pOMLStatic_;
  KtOMLExtension* pOMLExtension_;
  KtIndexHashTable* pIndexHashTable_;
  int numberOfErrors_;
  int numberOfWarnings_;
  int maxNumberOfErrors_;
  int maxNumberOfWarnings_;
};

#endif  // KTBASE_OML_OML_FILE_H
