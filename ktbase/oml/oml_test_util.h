// Test helpers for OML: access to a grammar's private pools and queries, a grammar whose
// protected definition operations are public, and a canonical text of everything a grammar
// holds, so that two grammars can be compared whole.
#ifndef KTBASE_OML_OML_TEST_UTIL_H
#define KTBASE_OML_OML_TEST_UTIL_H

#include <cstdint>
#include <functional>
#include <string>

#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"

// The grammar's friend: its pools and queries are private to the reader and these tests.
struct KtOMLStaticProbe {
  static const KtStringPool* values(const KtOMLStatic& g) { return g.pValueIDPool(); }
  static const KtStringPool* types(const KtOMLStatic& g) { return g.pObjTypeIDPool(); }
  static const KtStringPool* sections(const KtOMLStatic& g) { return g.pSectionIDPool(); }
  static const KtStringPool* fields(const KtOMLStatic& g) { return g.pFieldIDPool(); }
  static KtOMLDefObjType* type(const KtOMLStatic& g, std::int32_t i) {
    return g.pObjTypeDefinition(i);
  }
  static KtOMLDefObjType* type(const KtOMLStatic& g, const char* name) {
    return g.pObjTypeDefinition(g.pObjTypeIDPool()->lookup(name));
  }
  static std::int32_t enumValue(const KtOMLStatic& g, std::int32_t i) { return g.enumValue(i); }
  static int definedSection(const KtOMLStatic& g, std::int32_t i) { return g.definedSection(i); }
  static std::int32_t hashTableSize(std::int32_t n) { return KtOMLStatic::hashTableSize(n); }
  static std::int32_t fieldIndex(const KtOMLStatic& g, const char* name) {
    return g.pFieldIDPool()->lookup(name);
  }
  static std::int32_t sectionIndex(const KtOMLStatic& g, const char* name) {
    return g.pSectionIDPool()->lookup(name);
  }
  static std::int32_t valueIndex(const KtOMLStatic& g, const char* name) {
    return g.pValueIDPool()->lookup(name);
  }
  static std::int32_t typeIndex(const KtOMLStatic& g, const char* name) {
    return g.pObjTypeIDPool()->lookup(name);
  }
  // The twelve sizes, pool sizes first, in the grammar's order.
  static std::string sizes(const KtOMLStatic& g) {
    std::int32_t all[] = {g.stringPoolSize(),    g.valueIDPoolSize(), g.objTypeIDPoolSize(),
                          g.sectionIDPoolSize(), g.fieldIDPoolSize(), g.objectIDPoolSize(),
                          g.stringHashSize(),    g.valueIDHashSize(), g.objTypeIDHashSize(),
                          g.sectionIDHashSize(), g.fieldIDHashSize(), g.objectIDHashSize()};
    std::string text;
    for (std::int32_t n : all) text += std::to_string(n) + " ";
    return text;
  }
};

// A grammar built in code: the protected definition operations made public.
class TestGrammar : public KtOMLStatic {
 public:
  using KtOMLStatic::addFieldDefinition;
  using KtOMLStatic::addObjectTypeDefinition;
  using KtOMLStatic::addSectionDefinition;
  using KtOMLStatic::installEnumValueID;
  using KtOMLStatic::installObjTypeID;
  using KtOMLStatic::KtOMLStatic;
};

// The file's friend: drives the lexical layer and reads its state.
struct KtOMLFileProbe {
  // Reads `fileName` as readOMLFile does (following include and input statements) and returns
  // its tokens, one line each: "TAG value @line:position". Messages go where the file sends them.
  static std::string tokens(KtOMLFile& file, KtOMLStatic& grammar, const char* fileName,
                            bool binary, const std::function<void(KtOMLFile&)>& prepare = nullptr);
  static void unchecked(KtOMLFile& file, bool on);
  // The same for an in-memory text read in aux mode.
  static std::string auxTokens(KtOMLFile& file, KtOMLStatic& grammar, char** text);
  // Declares a field name as a `field` statement would.
  static void declareField(KtOMLFile& file, const char* name) {
    file.storeUnknownFieldIDIndex(name);
  }
  static void declareSection(KtOMLFile& file, const char* name) { file.storeSectionIDIndex(name); }
  static std::string token(KtOMLFile& file, const KtOMLToken* token);
  static std::string objectID(const KtOMLFile& file, std::int32_t index) {
    return file.objectID(index);
  }
  static std::string drain(KtOMLFile& file);
};

// A reader that also keeps every message, errors and warnings in the order they came. It builds
// no objects and takes every field, so a reading checks the file alone.
class LoggingOMLFile : public KtOMLFile {
 public:
  std::string log;

 protected:
  int vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) override { return 1; }
  void vErrorMessage(const char* file, std::int32_t line, int position, int code, const char* text,
                     int fatal) override;
  void vWarningMessage(const char* file, std::int32_t line, int position, int code,
                       const char* text) override;
};

// The grammar the OML corpus is read with: a graph of nodes, a section and enumeration values.
KtOMLStatic* newCorpusGrammar();

// The syntax tree of the file's last reading, one line per node in file order: objects with their
// type, id, section and place; their own fields indented below them with section, value and place.
std::string dumpTree(const KtOMLFile& file);

// Everything a grammar holds, as text: the four pools in index order (values with their
// numbers), then every object type's callbacks, fields, required list, sections (with codes,
// recursively) and sub-object types, each list in its stored order.
std::string dumpGrammar(const KtOMLStatic& grammar);
// One field list, as dumpGrammar writes it.
std::string dumpFields(const KtOMLStatic& grammar, const KtOMLDefField* list);

#endif  // KTBASE_OML_OML_TEST_UTIL_H
