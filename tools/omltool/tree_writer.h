// Writes the syntax tree that one OML file read back through the writer's calls: every object
// (with its own id, or none when it had none), section, field and value, in text or binary. The
// result reads back to the same tree, so converting text to binary and back gives the text that
// text to text gives.
//
// Fields come before sub-objects within an object. A field or object in a section is written in
// section blocks, one for each level of its path ("_" where the path has a wildcard). Fields of
// unchecked mode go, last among the fields, into a block of their own that begins with the
// comment "unchecked". References are written as the bare id of a sibling of the referring
// object, or else as the full path ("$,1,7").
//
// The binary encoding names fields by their index in the grammar, so a field of unchecked mode
// whose name the grammar does not know cannot be written in binary: it is left out and counted.
#ifndef KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H
#define KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H

#include <cstdint>
#include <string>

#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_syntax.h"

class TreeWriter : public KtOMLFile {
 public:
  // Borrows the tree; its reader must live while the tree is written.
  explicit TreeWriter(const KtOMLSyntaxObject* tree) : tree_(tree) {}

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

  const KtOMLSyntaxObject* tree_;
  int unnamedFields_ = 0;
  int openSections_ = 0;
  std::uint32_t openPath_ = 0;
};

// The own id of an object from its full id: the part after the last comma; empty for an object
// written without id (the reader numbers those -2, -3 ...) and for the root.
std::string ownID(const std::string& fullID);

#endif  // KTBASE_TOOLS_OMLTOOL_TREE_WRITER_H
