// Writes the syntax tree that one OML file read back through the writer's calls: every object
// (with its own id, or none when it had none), section, field and value, in text or binary. The
// result reads back to the same tree, so converting text to binary and back gives the text that
// text to text gives.
//
// Fields come before sub-objects within an object. A field or object in a section is written in
// section blocks, one for each level of its path ("_" where the path has a wildcard). Fields of
// unchecked mode go, last among the fields, into blocks of their own that begin with the comment
// "unchecked", inside the section blocks of their path (a section name inside such a block
// would read as a field name). References are written as the bare id of a sibling of the
// referring object, or else as the full path ("$,1,7").
//
// Names. The grammar keeps names in upper case; given the declared names of its grammar file,
// the writer spells every object type, section, field and value name as the file declares it.
//
// The binary encoding names fields by their index in the grammar, so a field of unchecked mode
// whose name the grammar does not know cannot be written in binary: it is left out and counted.
#ifndef KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H
#define KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H

#include <cstdint>
#include <string>

#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_syntax.h"
#include "tools/omltool/grammar_file.h"

// What the writers of a syntax tree share: the tree, and the names of its nodes as they are to
// be written. Borrows the tree (its reader must live while it is written) and the names (null:
// names as the grammar keeps them).
class TreeWriterBase : public KtOMLFile {
 public:
  TreeWriterBase(const KtOMLSyntaxObject* tree, const DeclaredNames* names)
      : tree_(tree), names_(names) {}

 protected:
  const char* typeName(const KtOMLSyntaxObject* object) const {
    return spell(DeclaredNames::kType, object->typeString());
  }
  const char* fieldName(const KtOMLSyntaxField* field) const {
    return spell(DeclaredNames::kField, field->nameString());
  }
  // The name of value `index` of the grammar.
  const char* valueName(std::int32_t index) const {
    return spell(DeclaredNames::kValue, valueID(index));
  }
  // The name of the section at `level` (from 1) of `path` for an object of `type`: "_" at a
  // wildcard level, "" when the type has no such section. The writer's grammar must be set.
  const char* sectionName(const KtOMLDefObjType* type, std::uint32_t path, int level) const;
  const char* spell(DeclaredNames::Kind kind, const char* name) const {
    return names_ != nullptr ? names_->spell(kind, name) : name;
  }

  const KtOMLSyntaxObject* tree_;
  const DeclaredNames* names_;
};

class TreeWriter : public TreeWriterBase {
 public:
  explicit TreeWriter(const KtOMLSyntaxObject* tree, const DeclaredNames* names = nullptr)
      : TreeWriterBase(tree, names) {}

  // The fields left out of the last binary file, their names unknown to the grammar.
  int unnamedFields() const { return unnamedFields_; }

 protected:
  void vWriteContents(KtObject* top) override;

 private:
  void writeObject(const KtOMLSyntaxObject* object);
  void writeContent(const KtOMLSyntaxObject* object);
  void writeField(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field);
  // Opens the section blocks of `path` for an object of `type` (closing those open before).
  void enterPath(const KtOMLDefObjType* type, std::uint32_t path);
  void leavePath();

  int unnamedFields_ = 0;
  int openSections_ = 0;
  std::uint32_t openPath_ = 0;
};

// The own id of an object from its full id: the part after the last comma; empty for an object
// written without id (the reader numbers those -2, -3 ...) and for the root.
std::string ownID(const std::string& fullID);

// A reference field's value as it is written: the bare id of a sibling of the referring object
// `owner`, else the full id ("$,1,7").
std::string referenceText(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field);

#endif  // KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H
