// KtOMLFile reads and writes OML files, in the text and in the binary encoding, against a
// grammar (KtOMLStatic).
//
// Reading. readOMLFile takes a file name and a grammar; the lowest layer turns the characters
// (or bytes) of the file and of the files it includes into tokens, one token of look-ahead at a
// time. Every problem found is a numbered message ("Error #018 (model.oml:12:7) unterminated
// string !"), counted, collected in the optional message buffers and handed to the virtual
// vErrorMessage / vWarningMessage. An error stops object building; a fatal error (a file that
// cannot be opened or closed, memory, too many errors or warnings) ends the input at once and
// silences every later report. The result is 0 after a clean reading, else errorCode: 4 after a
// reported error or a failed read, 2 when a file could not be opened, 3 when one could not be
// closed, 6 without a file name or grammar.
//
// Ownership. Borrows the grammar and the extension; owns the index table, the message buffers,
// the reader's pools, the open input files and the look-ahead token. A token taken with
// nextToken belongs to the caller, who hands it back with releaseToken (or deletes it).
//
// Places. Text: the line number in the file (from 1) and the position of the character in its
// line (from 1), kept in 32 bits, so that long lines are reported right. Binary: the number of
// bytes read from the file so far, and position 0.
#ifndef KTBASE_OML_OML_FILE_H
#define KTBASE_OML_OML_FILE_H

#include <cstddef>
#include <cstdint>

#include "ktbase/files/text_file.h"
#include "ktbase/oml/oml_token.h"

class KtIndexHashTable;
class KtOMLBinValue;
class KtOMLExtension;
class KtOMLIdPool;
class KtOMLLexer;
class KtOMLNamePool;
class KtOMLTreeStore;
class KtOMLObject;
class KtOMLStatic;
class KtOMLSyntaxField;
class KtOMLSyntaxObject;
struct KtOMLSyntaxFieldList;
struct KtOMLSyntaxObjectList;
class KtOMLSyntaxStruct;
class KtObject;
struct KtOMLDefField;
struct KtOMLDefObjType;
// The reader's message numbers, named in the library's own (not installed) message header.
enum KtOMLMessageEnum : int;

// Where included files may come from (the main file is opened as the caller names it).
enum KtOMLIncludeModeEnum : int {
  KT_OML_INCLUDE_ANYWHERE = 0,    // any file the process can open (the default)
  KT_OML_INCLUDE_BELOW_ROOT = 1,  // only files whose resolved path lies in the root or below
  KT_OML_INCLUDE_NONE = 2         // every include is refused
};

class KtOMLFile : public KtTextFile {
  KT_OBJECT_CAST(KtOMLFile)

 public:
  KtOMLFile();
  KtOMLFile(const KtOMLFile&) = delete;
  KtOMLFile& operator=(const KtOMLFile&) = delete;
  ~KtOMLFile() override;

  KtOMLStatic* pOMLStatic() const { return pOMLStatic_; }
  KtOMLExtension* pOMLExtension() const { return pOMLExtension_; }
  KtOMLExtension* pOMLExtension(KtOMLExtension* extension) { return pOMLExtension_ = extension; }
  // The map from objects to their numeric ids, when the reading or writing keeps one.
  KtIndexHashTable* pIndexHashTable() const { return pIndexHashTable_; }

  // Message counters since the reading began, and the counts at which reading stops (16 errors,
  // 32000 warnings at first).
  int numberOfErrors() const { return numberOfErrors_; }
  int numberOfErrors(int count) { return numberOfErrors_ = count; }
  int numberOfWarnings() const { return numberOfWarnings_; }
  int maxNumberOfErrors() const { return maxNumberOfErrors_; }
  int maxNumberOfErrors(int count) { return maxNumberOfErrors_ = count; }
  int maxNumberOfWarnings() const { return maxNumberOfWarnings_; }
  int maxNumberOfWarnings(int count) { return maxNumberOfWarnings_ = count; }
  // The message buffers. A negative size returns the buffer unchanged; otherwise the old buffer
  // is freed and one of `size` bytes (none for 0) made, empty, and returned. A message line is
  // appended while the buffer's text stays below size - 6 characters; a line that does not fit
  // whole is cut there and "...\n" follows when it fits. initParser empties the buffers.
  char* pErrorStringBuffer(int size);
  char* pWarningStringBuffer(int size);
  char* pErrorStringBuffer() const { return pErrorStringBuffer_; }
  char* pWarningStringBuffer() const { return pWarningStringBuffer_; }
  unsigned int errorStringBufferSize() const { return errorStringBufferSize_; }
  unsigned int warningStringBufferSize() const { return warningStringBufferSize_; }
  // The fatal flag: set by a fatal error, it ends the input and silences every later report.
  int isFatalError() const { return fatalError_; }
  void setFatalError() { fatalError_ = 1; }
  void clearFatalError() { fatalError_ = 0; }
  KtFileCodeEnum errorCode() const { return errorCode_; }

  // Reads `fileName` (binary when `binary` is set) against `grammar`. Returns 0, or errorCode
  // (see above); KT_FILE_READ_ARGUMENT_ERROR without a name or grammar. `reserved` is unused.
  virtual KtFileCodeEnum readOMLFile(const char* fileName, KtOMLStatic* grammar,
                                     KtObject* expectedTopLevelObject,
                                     std::int32_t expectedObjTypeIDIndex, int binary,
                                     int makeIndexHashTable, int reserved);
  // Writes `fileName` (binary when `binary` is set) with the grammar's names: opens it, calls
  // vWriteContents(top) and closes it. Returns the close result, KT_FILE_WRITE_ERROR when a write
  // failed (a full disk) or vWriteContents threw, KT_FILE_OPEN_ERROR when the file cannot be
  // made, KT_FILE_WRITE_ARGUMENT_ERROR without a name or grammar. The ids written are the
  // objects' graphFileID: the caller prepares them (preFileWrite on its top object) and clears
  // them (postFileWrite) around the call.
  virtual KtFileCodeEnum writeOMLFile(const char* fileName, KtOMLStatic* grammar, KtObject* top,
                                      int binary, int makeIndexHashTable, int reserved);
  // Prepares a reading: takes the grammar, resets counters, flags and buffers, makes the
  // reader's pools from the grammar's sizes, and keeps or drops the index table.
  virtual void initParser(KtOMLStatic* grammar, KtObject* expectedTopLevelObject,
                          std::int32_t expectedObjTypeIDIndex, int makeIndexHashTable);
  // Ends a reading: closes every input file, forgets open brackets and the look-ahead token and
  // the objects the ids stood for. After errors it also destroys the built top-level object
  // (never the caller's expected object) and the syntax tree. The reader's pools go with the
  // tree.
  virtual void cleanup();
  // Writes the file's content through the calls below; writes nothing here.
  virtual void vWriteContents(KtObject* top);

  // The writer's calls, each in the text or the binary encoding (saveMode 1 or 5), written at
  // once. Text: one tab of indentation per open bracket; every item ends its line except in
  // one-line mode, where items are separated by one blank and a closing bracket ends the line
  // and the mode; lines end in "\r\n". Binary: tags and indexes, names as their indexes in the
  // grammar's pools (sections and fields also among those the file declared or met unchecked),
  // -1 for a name found nowhere. A null name or text is written as the empty text.
  void writeBlancLine();
  // "type: defaults": the start of a defaults object.
  void writeObjectDefaultStart(const char* type);
  // "type:" and, with `withID`, a blank and the object's graphFileID (with an index table, the
  // object is entered in it under that id); `oneline` starts one-line mode.
  void writeObjectStart(const char* type, const KtOMLObject* object, int oneline, int withID);
  // The same without id.
  void writeObjectStart(const char* type, const KtObject* object, int oneline);
  // "type: id" with an id given as text (a name or a number; null: without id).
  void writeObjectStart(const char* type, const char* id, int oneline);
  // "section: "; `oneline` starts one-line mode.
  void writeSectionStart(const char* section, int oneline);
  void writeOpeningBracket();
  void writeClosingBracket();
  // "field: value": an integer ("%d"), a real ("%lf": six decimals; NaN is written as 0, an
  // infinity as 1e999 or -1e999, which read back as infinity), an enumeration value name as it
  // stands, a quoted string (backslash, double quote and carriage return escaped), a truth value,
  // an IP address (four dotted bytes), a byte sequence (nothing at all for null; beyond 16 bytes
  // on lines of their own), an object reference.
  void writeAttribute(const char* field, int value);
  void writeAttribute(const char* field, float value);
  void writeAttribute(const char* field, double value);
  void writeAttribute(const char* field, const char* valueName);
  void writeStringAttribute(const char* field, const char* text);
  void writeBoolAttribute(const char* field, int value);
  void writeIPBytesAttribute(const char* field, std::uint32_t address);
  void writeAttribute(const char* field, const KtOMLBinValue* value);
  // A reference, written only for an object with a graphFileID other than 0: its bare id when
  // it shares its owner with `context` (a sibling of the referring object), else the path of ids
  // from the top-level object down ("$1,7"). `withName` writes "field: " first.
  void writeAttribute(const char* field, KtOMLObject* object, const KtOMLObject* context,
                      int withName);
  // A reference given as text: a bare id, or a path beginning with "$".
  void writeReferenceAttribute(const char* field, const char* reference);
  // Calls the grammar's write function of the named type; 0 when it has none.
  int writeHook(const char* typeName, const KtObject* object);
  // The text to the file, or appended to the aux text when one is set. Writes to the file are
  // collected and reach it in large pieces: when the collection is full, at flush and at close.
  KtFileCodeEnum writeString(const char* text) override;
  KtFileCodeEnum writeBinary(const char* bytes, int count) override;
  KtFileCodeEnum flush() override;

  // Sets the object built for a syntax object: its id's entry gets `newObject`, and `oldObject`
  // (when not null) is destroyed. With an index table, the new object is entered under the
  // number its full id ends in.
  void updateObject(KtOMLSyntaxObject* object, KtObject* oldObject, KtObject* newObject);
  // The top-level object built by the last reading (it belongs to the caller), and its type.
  KtObject* pTopLevelObject() const { return pTopLevelObject_; }
  // The caller's expected object when one was given, else the built one.
  KtObject* pTopObject() const {
    return pExpectedTopLevelObject_ != nullptr ? pExpectedTopLevelObject_ : pTopLevelObject_;
  }

  // The text file's size plus the file's own members, its index table and message buffers.
  std::int32_t sizeOf() const override;

  // Returns 1 iff characters come from an in-memory text instead of a file.
  int auxCLIMode() const { return pAuxCLIBuffer_ != nullptr; }

  // Where included files may come from. Every included file must be a regular file (not a
  // device, FIFO, socket or directory); beyond that, KT_OML_INCLUDE_ANYWHERE takes any file the
  // process can open, KT_OML_INCLUDE_BELOW_ROOT only files whose resolved path (after '..' and
  // symbolic links) lies in the include root or below it, and KT_OML_INCLUDE_NONE none at all.
  // A refused include is fatal error 13 with its name. Programs that read files from sources
  // they do not trust confine or refuse includes, so that a file cannot make them read others.
  KtOMLIncludeModeEnum includeMode() const { return includeMode_; }
  KtOMLIncludeModeEnum includeMode(KtOMLIncludeModeEnum mode) { return includeMode_ = mode; }
  // The folder includes are confined to; null or "" (the default): the folder of the main file.
  // The setter copies the text (null when memory runs out).
  const char* includeRoot() const { return includeRoot_ != nullptr ? includeRoot_ : ""; }
  const char* includeRoot(const char* folder);
  // The path name of the input file closed last (a 260-byte buffer made on first use); the
  // setter copies at most 259 characters (null gives the empty text).
  char* pPreviousPathName();
  char* pPreviousPathName(const char* text);

  // The syntax tree of the last reading: after a reading without errors, until the next reading
  // or the destruction; null otherwise.
  KtOMLSyntaxObject* pSyntaxTree() const { return pSyntaxTree_; }

  // Reports at a node of the syntax tree (its file, line and position; without place for null).
  // `text` is printed as it stands ("" for null; a warning without text prints message 3).
  void errorMessage(KtOMLSyntaxStruct* place, int code, const char* text, int fatal);
  void warningMessage(KtOMLSyntaxStruct* place, int code, const char* text);

  KtObject* pExpectedTopLevelObject() const { return pExpectedTopLevelObject_; }
  std::int32_t expectedTopLevelObjTypeIDIndex() const { return expectedTopLevelObjTypeIDIndex_; }
  std::int32_t topLevelObjectIDIndex() const { return topLevelObjectIDIndex_; }

 protected:
  void init();

  // Slot after KtTextFile's: the text file's stripping, then one line feed appended (the text
  // must have room for it).
  char* stripBuffer(char* text) override;

  // The hooks of object building; each default turns to the grammar's function for the object's
  // type (and vReadField, vPreReadFields and vPostReadFields first to the target itself when it
  // is a KtOMLObject).
  // Returns 1 to accept the object, 0 to reject it; 1 when the type has no check function, 0
  // when the type has no definition.
  virtual int vCheckObject(KtOMLSyntaxObject* object);
  // A new object for `object`, built inside `owner` (null for the top-level object); null when
  // none is wanted. The reader destroys only the top-level object (after a failed reading):
  // a created sub-object is to belong to its owner object.
  virtual KtObject* vCreateObject(KtOMLSyntaxObject* object, KtOMLSyntaxObject* ownerSyntax,
                                  KtObject* owner);
  // Applies one field to `target`; 1 on success. Called for the fields of every object in the
  // field iterator's order (defaults first), the root's with a null target.
  virtual int vReadField(KtOMLSyntaxField* field, KtOMLSyntaxObject* object, KtObject* target);
  virtual void vPreReadFields(KtOMLSyntaxObject* object, KtObject* target);
  virtual void vPostReadFields(KtOMLSyntaxObject* object, KtObject* target);
  // Reports a message; the defaults format, collect and limit them (see above). A line below 0
  // means a message without place.
  virtual void vErrorMessage(const char* file, std::int32_t line, int position, int code,
                             const char* text, int fatal);
  virtual void vWarningMessage(const char* file, std::int32_t line, int position, int code,
                               const char* text);
  // Builds the objects when no error was reported: the top-level object and its sub-objects
  // through vCreateObject, parents first, then every object's fields through the read hooks
  // (warning 49 when a field was not taken).
  virtual void execute();
  // Told, while a file is read, how many bytes of input (all files together) have been read so
  // far: about once a mebibyte. Does nothing here; a hook for progress displays.
  virtual void vReadProgress(std::int64_t bytesRead);

  // A message line as the default hooks collect it: "Error #018 (f.oml:12:7) text !\n", without
  // the place for a line below 0 (a warning's number then padded with blanks). A new string for
  // std::free; null when memory runs out.
  static char* messageLine(const char* severity, int code, bool warning, const char* file,
                           std::int32_t line, int position, const char* text);

  // Where reading stands: the innermost file's line, position and name; -1, -1 and "" when no
  // file is open.
  std::int32_t line() const;
  int position() const;
  std::int32_t fileNameIndex() const;
  const char* pFileNameString() const;

  // While set, characters come from this text (and are taken from its front) instead of a file.
  char** pAuxCLIBuffer(char** text);

  // Index lookups: -1 when the name is not found or the pool is missing. Sections and fields
  // look at the grammar's names first, then at those declared in the file (sections) or met
  // in unchecked mode (fields), whose indexes follow the grammar's.
  std::int32_t valueIDIndex(const char* name) const;
  std::int32_t objTypeIDIndex(const char* name) const;
  std::int32_t checkedFieldIDIndex(const char* name) const;
  std::int32_t sectionIDIndex(const char* name) const;
  std::int32_t fieldIDIndex(const char* name) const;
  std::int32_t unknownFieldIDIndex(const char* name) const;
  std::int32_t stringIndex(const char* text) const;
  std::int32_t objectIDIndex(const char* text) const;
  // The same, storing the name when it is new.
  std::int32_t storeStringIndex(const char* text);
  std::int32_t storeSectionIDIndex(const char* name);
  std::int32_t storeFieldIDIndex(const char* name);
  std::int32_t storeUnknownFieldIDIndex(const char* name);
  std::int32_t storeObjectIDIndex(const char* text);
  // The text of an index; "" when out of range.
  const char* string(std::int32_t index) const;
  const char* valueID(std::int32_t index) const;
  const char* objTypeID(std::int32_t index) const;
  const char* sectionID(std::int32_t index) const;
  const char* fieldID(std::int32_t index) const;
  const char* objectID(std::int32_t index) const;
  // The number of value name `index` (0 when out of range), whether `index` is a section of the
  // grammar, and the grammar's record of object type `index` (null when out of range).
  std::int32_t enumValue(std::int32_t index) const;
  int definedSection(std::int32_t index) const;
  KtOMLDefObjType* pObjTypeDefinition(std::int32_t index) const;
  // The entry of object id `index`: the syntax object that defines it and the object built for
  // it (null when none). The setters make the entry when it is missing.
  KtOMLSyntaxObject* pSyntaxObject(std::int32_t index) const;
  KtOMLSyntaxObject* pSyntaxObject(std::int32_t index, KtOMLSyntaxObject* object);
  KtObject* pObject(std::int32_t index) const;
  KtObject* pObject(std::int32_t index, KtObject* object);

 private:
  friend struct KtOMLFileProbe;  // lets the tests drive the lexical layer
  friend class KtOMLLexer;
  friend class KtOMLSyntaxStruct;
  friend class KtOMLSyntaxObject;
  friend class KtOMLSyntaxField;
  friend class KtOMLToken;

  // ----- the parser (oml_parser.cpp)
  // The object an attribute list adds to, with its type, the last cells of its lists, and the
  // context of the fields added last (its section, path, file and mode).
  struct Owner {
    KtOMLSyntaxObject* object;
    const KtOMLDefObjType* type;
    KtOMLSyntaxObjectList* objectTail = nullptr;
    KtOMLSyntaxFieldList* fieldTail = nullptr;
    std::int32_t context = -1;
    std::int32_t contextSection = 0;
    std::uint32_t contextPath = 0;
    std::int32_t contextFile = 0;
    int contextUnchecked = 0;
    Owner(KtOMLSyntaxObject* o, const KtOMLDefObjType* t) : object(o), type(t) {}
  };
  void parseAttributeList(const KtOMLToken* keyword, std::int32_t sectionIDIndex,
                          std::uint32_t path, Owner& owner, const KtOMLToken* opening);
  void parseAttribute(const KtOMLToken* keyword, std::int32_t sectionIDIndex, std::uint32_t path,
                      Owner& owner, KtOMLToken& first, int ordinal);
  void parseAttributeBody(const KtOMLToken* keyword, std::int32_t sectionIDIndex,
                          std::uint32_t path, Owner& owner, KtOMLToken* token, bool prefix,
                          int ordinal);
  bool parseFieldAttribute(std::int32_t sectionIDIndex, std::uint32_t path, Owner& owner,
                           KtOMLToken& field, int ordinal);
  void parseObject(const KtOMLToken& type, std::int32_t objectIDIndex, std::int32_t sectionIDIndex,
                   std::uint32_t path, Owner& owner, const KtOMLToken* opening);
  void parseField(const KtOMLToken* field, std::int32_t sectionIDIndex, std::uint32_t path,
                  Owner& owner, KtOMLToken* value, int ordinal);
  void parseBuiltInField(const KtOMLToken& field, KtOMLSyntaxObject* owner, KtOMLToken& value);
  std::uint32_t extendSectionPath(const KtOMLToken& section, const Owner& owner,
                                  std::int32_t currentSection, std::uint32_t path);
  void reclassifyLookAhead();
  bool checkObjectSection(const Owner& owner, std::int32_t sectionIDIndex, std::uint32_t path,
                          const KtOMLSyntaxObject* object);
  KtOMLDefField* checkFieldSection(const Owner& owner, std::int32_t sectionIDIndex,
                                   std::uint32_t path, const KtOMLToken& field);
  // The field token of the grammar field at `ordinal` in the owner's type or section, placed at
  // the value; false when there is none.
  bool nthFieldDescrToken(const Owner& owner, std::uint32_t path, int ordinal,
                          const KtOMLToken& value, KtOMLToken& field);
  bool checkFieldType(const KtOMLDefField* def, KtOMLToken& value);
  bool checkSomething(const KtOMLToken& value, KtOMLTokenTagEnum accepted, KtOMLMessageEnum kind);
  // The id of a token that names an object: a name without ',' or '$', or an integer (stored
  // as its text); -1 after error 26.
  std::int32_t checkSimpleScope(const KtOMLToken* token);
  bool isSkipSection(std::int32_t sectionIDIndex) const;
  // The text a token stands for, for messages.
  const char* decodeIdeToken(const KtOMLToken& token);
  bool isIdentifierToken(const KtOMLToken& token) const;
  // A node of the reader's blocks, placed at `place` (the root: without place), in the context
  // of its section, path and file; null after fatal error 12 when memory runs out. After an
  // error nodes come from the heap: nothing of them is kept.
  KtOMLSyntaxObject* newSyntaxObject(const KtOMLToken* place, std::int32_t type,
                                     std::int32_t objectIDIndex, std::int32_t sectionIDIndex,
                                     std::uint32_t path);
  std::int32_t fieldContext(Owner& owner, std::int32_t sectionIDIndex, std::uint32_t path,
                            std::int32_t file);
  KtOMLSyntaxField* newSyntaxField(const KtOMLToken& place, std::int32_t context,
                                   std::int32_t nameIndex, KtOMLToken& value);
  void destroyTree();

  // ----- the writer (oml_writer.cpp)
  KtFileCodeEnum bufferOutput(const char* bytes, std::size_t count);
  KtFileCodeEnum writeOut(const char* bytes, std::size_t count);
  bool binaryMode() const { return saveMode_ == KT_FILE_WRITE_BINARY; }
  void writeIndentation();
  void endItem();
  void writeFieldName(const char* field);
  void writeBinaryKtChar(char c);
  void writeBinaryIndex(char tag, std::int32_t value);
  void writeBinaryReal(double value);
  void writeBinaryText(char opening, const char* text, bool escaped);
  void writeQuoted(const char* text);
  void writeInt64(std::int64_t value);
  void writeObjectAddress(const KtOMLObject* object, const KtOMLObject* context);
  std::int32_t writerSectionIndex(const char* name) const;
  std::int32_t writerFieldIndex(const char* name) const;

  // ----- checks and building (oml_checks.cpp)
  void checkSemantics();
  void collectDefaultFields(KtOMLSyntaxObject* object);
  void collectObjects(KtOMLSyntaxObject* object, std::int32_t scope, std::int32_t& counter);
  void checkRequiredFields(KtOMLSyntaxObject* object, std::int32_t referenceScope);
  void checkObjectDefinition(KtOMLSyntaxField* field, std::int32_t scope);
  int checkObjectsForApplication(KtOMLSyntaxObject* object);
  // The id `parent,child` in the id pool; -1 (after fatal error 12) when memory runs out.
  std::int32_t joinedID(std::int32_t parent, std::int32_t child);
  void createAllObjects(KtOMLSyntaxObject* object);
  void createOwnedObjects(KtOMLSyntaxObject* object, KtOMLSyntaxObject* ownerSyntax,
                          KtObject* owner);
  int setOwnedFields(KtOMLSyntaxObject* object, KtOMLSyntaxObject* hookObject, KtObject* target);
  // The number a full id ends in (negative after a '-'); 0 when it ends in no digit.
  static std::int64_t extractIDFromScope(const char* scope);

  // ----- the memory and contexts of the syntax tree (oml_tree.h)
  void releaseBlocks();

  // ----- diagnostics (oml_diagnostics.cpp)
  // The place of a report: a file-name index (or a name), a line and a position; a line below
  // 0 is no place.
  struct Place {
    std::int32_t fileNameIndex;
    const char* fileName;
    std::int32_t line;
    std::int32_t position;
  };
  Place here() const;
  static Place at(const KtOMLToken& token) {
    return Place{token.fileNameIndex(), nullptr, token.line(), token.position()};
  }
  static Place nowhere() { return Place{-1, nullptr, -1, -1}; }
  // A report of message `code` of the table, formatted with up to three texts (or, `literal`,
  // with `a` as the whole text).
  void internalErrorMessage(KtOMLMessageEnum code, const Place& place, const char* a = nullptr,
                            const char* b = nullptr, const char* c = nullptr, int fatal = 0,
                            bool literal = false);
  // A warning with the table's text, or with `text` when given.
  void internalWarningMessage(KtOMLMessageEnum code, const Place& place,
                              const char* text = nullptr);
  // Formats `format` with up to three texts into a new buffer (free with std::free); null when
  // memory runs out.
  static char* formatMessage(const char* format, const char* a, const char* b, const char* c);
  void appendToBuffer(char* buffer, unsigned int size, unsigned int& length, const char* text);
  // Counts input for vReadProgress.
  void countInput(std::int64_t bytes);
  void memoryExhausted();

  // Reads the named file into a new syntax tree; after any error there is no tree.
  void parse(const char* fileName);
  // The lexer, made on first use; null when memory runs out.
  KtOMLLexer* lexer();

  // ----- the reader's pools (oml_file.cpp)
  std::int32_t grammarSectionCount() const;
  std::int32_t grammarFieldCount() const;
  void releasePools();
  // The directory part of the file closed last, kept for pPreviousPathName.
  void previousPathName(const char* fileName);
  // The include root as a resolved path, worked out when first needed in a reading; null when it
  // cannot be resolved.
  const char* resolvedIncludeRoot();

  KtOMLStatic* pOMLStatic_;
  KtOMLExtension* pOMLExtension_;
  KtIndexHashTable* pIndexHashTable_;
  int numberOfErrors_;
  int numberOfWarnings_;
  int maxNumberOfErrors_;
  int maxNumberOfWarnings_;
  char* pErrorStringBuffer_;
  char* pWarningStringBuffer_;
  unsigned int errorStringBufferSize_;
  unsigned int warningStringBufferSize_;
  std::uint8_t fatalError_;
  std::uint8_t oneline_;
  std::int16_t indent_;
  KtFileCodeEnum errorCode_;
  KtOMLNamePool* pStringPool_;
  KtOMLNamePool* pUnknownSectionIDPool_;
  KtOMLNamePool* pUnknownFieldIDPool_;
  KtOMLNamePool* pUncheckedFieldIDPool_;
  KtOMLIdPool* pObjectIDPool_;
  KtFileModeEnum saveMode_;
  KtOMLLexer* pLexer_;
  KtOMLSyntaxObject* pSyntaxTree_;
  KtObject* pTopLevelObject_;
  std::int32_t topLevelObjectIDIndex_;
  KtObject* pExpectedTopLevelObject_;
  std::int32_t expectedTopLevelObjTypeIDIndex_;
  char** pAuxCLIBuffer_;
  char* pPreviousPathName_;
  KtOMLIncludeModeEnum includeMode_;
  char* includeRoot_;
  char* resolvedRoot_;
  std::uint8_t rootResolved_;

  // Beyond the file's named members: the used lengths of the message buffers, the depth of
  // nested blocks being parsed, the objects without id, whether a top-level object was met while
  // building (a second one is refused), what the syntax tree's nodes share, the text of a number
  // for messages.
  unsigned int errorStringLength_;
  unsigned int warningStringLength_;
  int parseDepth_;
  std::int32_t anonymousObjects_;  // objects without id in the tree
  std::uint8_t topLevelMet_;
  KtOMLTreeStore* pTreeStore_;
  char numberText_[16];
  // Output not yet written to the file.
  char* pOutput_;
  std::size_t outputLength_;
  // Input read so far, and the count at which vReadProgress is told next.
  std::int64_t bytesRead_;
  std::int64_t nextProgress_;
};

#endif  // KTBASE_OML_OML_FILE_H
