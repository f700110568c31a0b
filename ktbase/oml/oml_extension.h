// KtOMLExtension is the object through which a library adds its own reading and writing to an
// OML file: it writes to a file and reports through it, and it can make a file of its own.
//
// Borrows pOMLFile, the file written to and reported through. Owns pOwnedOMLFile, made on demand
// by vNewOwnedOMLFile (a KtOMLFile whose extension is this one). Copying an extension (the copy
// constructor with either flag, assignment, copyObject, copyAttributes) releases the target's
// owned file and leaves it with no file at all. Without a file the counters answer 0 and the
// reports and writes do nothing.
#ifndef KTBASE_OML_OML_EXTENSION_H
#define KTBASE_OML_OML_EXTENSION_H

#include <cstdint>

#include "ktbase/core/object.h"

class KtOMLBinValue;
class KtOMLFile;
class KtOMLObject;
class KtOMLSyntaxField;
class KtOMLSyntaxObject;
class KtOMLSyntaxStruct;

class KtOMLExtension : public KtObject {
  KT_OBJECT(KtOMLExtension, KtObject)

 public:
  explicit KtOMLExtension(KtOMLFile* file = nullptr);
  ~KtOMLExtension() override;

  KtOMLFile* pOMLFile() const { return pOMLFile_; }
  KtOMLFile* pOMLFile(KtOMLFile* file) { return pOMLFile_ = file; }
  // The owned file, made with vNewOwnedOMLFile on the first call (null when that fails).
  KtOMLFile* pOwnedOMLFile();
  // The owned file, or null when none was made.
  KtOMLFile* pQueryOwnedOMLFile() const { return pOwnedOMLFile_; }

  // Slots 9 to 13. The hooks do nothing here and answer 0 or null.
  virtual void vWriteContents(KtObject* top);
  virtual int vCheckObject(KtOMLSyntaxObject* object);
  virtual KtObject* vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject* owner,
                                  KtObject* ownerObject);
  virtual int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtObject* target);
  // The extension's own size plus that of its owned file.
  virtual std::int32_t sizeOf() const;

 protected:
  void init() {
    pOMLFile_ = nullptr;
    pOwnedOMLFile_ = nullptr;
  }

  // Slot 14: a new KtOMLFile whose extension is this one; null when memory runs out.
  virtual KtOMLFile* vNewOwnedOMLFile();

  // The counters of pOMLFile.
  int numberOfErrors() const;
  int numberOfWarnings() const;
  // Reports through pOMLFile.
  void errorMessage(KtOMLSyntaxStruct* place, int code, const char* text, int fatal);
  void warningMessage(KtOMLSyntaxStruct* place, int code, const char* text);

  // The writer's calls, forwarded to pOMLFile with their arguments.
  void writeBlancLine();
  void writeObjectDefaultStart(const char* type);
  void writeObjectStart(const char* type, const KtOMLObject* object, int oneline, int withID);
  void writeObjectStart(const char* type, const KtObject* object, int oneline);
  void writeSectionStart(const char* section, int oneline);
  void writeOpeningBracket();
  void writeClosingBracket();
  void writeStringAttribute(const char* field, const char* text);
  void writeBoolAttribute(const char* field, int value);
  void writeIPBytesAttribute(const char* field, std::uint32_t address);
  void writeAttribute(const char* field, const char* valueName);
  void writeAttribute(const char* field, int value);
  void writeAttribute(const char* field, float value);
  void writeAttribute(const char* field, double value);
  void writeAttribute(const char* field, const KtOMLBinValue* value);
  void writeAttribute(const char* field, KtOMLObject* object, const KtOMLObject* context,
                      int withName);

 private:
  void releaseOwnedFile();

  KtOMLFile* pOMLFile_;
  KtOMLFile* pOwnedOMLFile_;
};

#endif  // KTBASE_OML_OML_EXTENSION_H
