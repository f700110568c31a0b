// The JSON form of an OML file, and its writer: the syntax tree of one reading written as one
// JSON document that holds everything `omltool format` writes, so that the document converts
// back to the same OML text (JsonReader, json_reader.h).
//
// The document is the root record. A record holds, in this order and each only when it has
// something to say:
//   "type"       the object type, spelled as the grammar file declares it (not in the root)
//   "id"         the object's own id as written, a string ("7", "n1"); none for an object
//                written without id
//   "defaults"   true for a defaults object (which has no id)
//   "section"    the object's section path, names joined by '/' ("layout/grid"; "_" for a
//                wildcard level); none outside sections and inside defaults objects, whose
//                objects stand in the defaults' section
//   "fields"     the object's own fields, in order
//   "unchecked"  its fields of unchecked mode, in order
//   "objects"    its sub-objects, in order, each a record
// A field is an object with one member: the key is the field's name, behind its section path
// ("layout/spacing"), and the value is
//   an integer                 a JSON integer: 12
//   a real                     a JSON number with a fraction or an exponent: 2.5, 2.0, 1e-07;
//                              an infinity as {"real": "inf"} or {"real": "-inf"}
//   a string                   a JSON string (bytes that are not UTF-8: see json_text.h)
//   a truth value              true or false
//   an enumeration value       {"enum": "ellipse"}
//   an IP address              {"ip": "10.0.0.1"}
//   a byte sequence            {"bytes": "0a1bff"}, two lower-case hex digits a byte
//   a reference                {"ref": "7"} (a sibling's bare id) or {"ref": "$,1,7"}
//
// The writer writes one field to a line. It uses RapidJSON's Writer for every string and
// number, and lays out the brackets, commas and indentation between them itself.
#ifndef KTBASE_TOOLS_OMLTOOL_JSON_WRITER_H
#define KTBASE_TOOLS_OMLTOOL_JSON_WRITER_H

#include <cstddef>
#include <memory>
#include <string>

#include "tools/omltool/tree_writer.h"

class JsonWriter : public TreeWriterBase {
 public:
  // Borrows the tree and the names as TreeWriterBase does. writeOMLFile(name, grammar, null, 0,
  // 0, 0) writes the document, with the results of a text file.
  JsonWriter(const KtOMLSyntaxObject* tree, const DeclaredNames* names);
  ~JsonWriter() override;

  // The output stream RapidJSON's Writer writes to: it collects text and hands it to the file.
  struct Stream {
    typedef char Ch;
    explicit Stream(JsonWriter* owner) : owner_(owner) {}
    void Put(char c) {
      if (length_ == sizeof buffer_ - 1) drain();
      buffer_[length_++] = c;
    }
    // RapidJSON flushes after every value it completes; the text goes out when the buffer is
    // full and at the end (drain) instead.
    void Flush() {}
    void drain();

    JsonWriter* owner_;
    std::size_t length_ = 0;
    char buffer_[8192];
  };

 protected:
  void vWriteContents(KtObject* top) override;

 private:
  struct Writers;
  void writeRecord(const KtOMLSyntaxObject* object, int depth);
  void writeField(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field);
  // The field's key: its section path and name.
  void writeKey(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field);
  // Opens the next member of a record at `depth`, or the next item of a list.
  void member(bool& first, int depth, const char* key);
  void item(bool& first, int depth);
  void text(const char* punctuation);
  void newline(int depth);
  void string(const char* bytes, std::size_t n);
  void string(const std::string& s) { string(s.data(), s.size()); }
  void number(const char* digits, std::size_t n);
  void explicitValue(const char* kind, const char* value, std::size_t n);

  Stream stream_;
  std::unique_ptr<Writers> writers_;
  std::string scratch_, key_, hex_;
};

#endif  // KTBASE_TOOLS_OMLTOOL_JSON_WRITER_H
