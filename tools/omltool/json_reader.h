// Reads omltool's JSON form of an OML file (json_writer.h) back into an OML syntax tree, and
// refuses, with one line that names the place, a document that does not fit the form or the
// grammar.
//
// The JSON is read once, as a stream (RapidJSON's Reader; its memory grows with the nesting of
// the document, not with its size), and written as OML text to a temporary file as it goes,
// together with comment lines that say where in the JSON each item came from. That file is then
// read as any OML file is: the checks of the grammar are the reader's own, and the tree is the
// one `format` would write. The first error the reader reports is traced back through those
// comments to the JSON place it came from.
//
// Checked while the JSON is read, since OML text could not say it or would say something else:
// the shape of records, fields and values; names (object types, sections and fields must be
// names of the grammar of their kind that OML text reads as that kind; unchecked fields any
// name but the built-in ones); ids (a name that is no name of the grammar, or a 32-bit integer);
// references (an id, or a path of ids), enumeration values, IP addresses, bytes, integers in 32
// bits and reals in range; strings without a zero character. Members of a record that name
// the object (type, id, defaults, section) come before its fields, unchecked fields and objects.
// Nesting deeper than the reader takes is refused as well.
#ifndef KTBASE_TOOLS_OMLTOOL_JSON_READER_H
#define KTBASE_TOOLS_OMLTOOL_JSON_READER_H

#include <cstdint>
#include <string>

#include "ktbase/oml/oml_file.h"

// A place in a text file: line and column from 1 (the column counts bytes); 0 when unknown.
struct TextPlace {
  std::int64_t line = 0;
  std::int64_t column = 0;
};

// The place of byte `offset` of a text file; lines end in LF, CR or CR LF.
TextPlace placeOfOffset(const std::string& fileName, std::size_t offset);

class JsonReader : public KtOMLFile {
 public:
  // Reads `jsonName` against `grammar`, through a temporary file made in `folder`. Returns true
  // when the document is read without error: pSyntaxTree() then holds its tree. Else `error`
  // holds one line, "NAME:LINE:COLUMN: explanation" (without place when there is none), and
  // `place` the place.
  bool read(const std::string& jsonName, KtOMLStatic* grammar, const std::string& folder,
            std::string& error, TextPlace& place);

 protected:
  int vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) override { return 1; }
  void vErrorMessage(const char* file, std::int32_t line, int position, int code, const char* text,
                     int fatal) override;
  void vWarningMessage(const char*, std::int32_t, int, int, const char*) override {}

 private:
  int firstCode_ = -1;
  std::int32_t firstLine_ = -1;
  std::string firstText_;
};

#endif  // KTBASE_TOOLS_OMLTOOL_JSON_READER_H
