// Reads the input as an OML file, once in text and once in binary, against a grammar with
// sections, a wildcard's worth of alike sub-sections and every kind of field, building a small
// object model through the grammar's functions. Any input must end in a result, with no crash,
// leak, hang or sanitizer report, and nothing built may outlive a failed reading.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"

namespace {

// Every object keeps the objects made inside it, and counts them.
class Item : public KtObject {
 public:
  explicit Item(int* alive) : alive_(alive) { ++*alive_; }
  ~Item() override {
    for (Item* child : children) delete child;
    --*alive_;
  }
  std::vector<Item*> children;
  std::vector<std::string> values;

 private:
  int* alive_;
};

class FuzzReader : public KtOMLFile {
 public:
  int alive = 0;
};

KtObject* create(void* file, KtOMLSyntaxObject*, KtOMLSyntaxObject*, KtObject* owner) {
  Item* item = new Item(&static_cast<FuzzReader*>(static_cast<KtOMLFile*>(file))->alive);
  if (owner != nullptr) static_cast<Item*>(owner)->children.push_back(item);
  return item;
}

// Reads every accessor of the field, the way a graph library would.
int readField(void*, KtOMLSyntaxField* field, KtOMLSyntaxObject*, KtObject* target) {
  std::string value = field->nameString();
  value += field->sectionString();
  value += field->stringValue();
  value += std::to_string(field->intValue() + field->enumValue());
  value += std::to_string(field->doubleValue());
  value += field->referenceString();
  value += field->objectTypeString();
  if (field->pBinValue() != nullptr) value += std::to_string(field->pBinValue()->length());
  if (target != nullptr) static_cast<Item*>(target)->values.push_back(value);
  return field->valueType() != OML_FIELD_OTHER || field->objectValue() != nullptr ? 1 : 0;
}

int check(void*, KtOMLSyntaxObject* object) { return object->nameString()[0] != 'Z'; }

const KtOMLStaticVEStruct kValues[] = {{"box", 1}, {"circle", 2}, {"oval", 3}, {nullptr, 0}};
const KtOMLStaticOEStruct kTypes[] = {{"Graph", check, create, readField, nullptr},
                                      {"Node", check, create, readField, nullptr},
                                      {"Edge", nullptr, create, readField, nullptr},
                                      {nullptr, nullptr, nullptr, nullptr, nullptr}};
// One object type to a line.
// clang-format off
const char* const kDefinitions[] = {
    "O $toplevel$", "T Graph", "T Node", "}",
    "O Graph", "F label S", "F directed B", "F weight R", "F address P", "F data X", "F count I",
        "E shape [box..oval] R", "R root Node", "S layout", "F spacing R", "S inner", "F depth I",
        "}", "T Node", "}", "S style", "S border", "F width I", "}", "S inner", "F depth I", "}",
        "}", "T Node", "T Edge", "}",
    "O Node", "F x I", "F y I", "R next _", "T Node", "}",
    "O Edge", "R source Node R", "R target Node R", "}",
    nullptr};
// clang-format on

// One file for the whole run, in memory: a reading opens it by its name under /proc, so that
// an input costs no disk write.
struct Input {
  int fd = memfd_create("ktbase-fuzz", 0);
  std::string name = "/proc/self/fd/" + std::to_string(fd);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static KtOMLStatic* grammar =
      new KtOMLStatic(kTypes, nullptr, kValues, kDefinitions, 100, 100, 100, 100, 100, 100);
  static const Input input;
  if (input.fd < 0 || ftruncate(input.fd, 0) != 0 ||
      pwrite(input.fd, data, size, 0) != static_cast<ssize_t>(size))
    return 0;
  for (int binary = 0; binary <= 1; ++binary) {
    FuzzReader reader;
    reader.pErrorStringBuffer(512);
    reader.pWarningStringBuffer(512);
    const KtFileCodeEnum result =
        reader.readOMLFile(input.name.c_str(), grammar, nullptr, -1, binary, 1, 0);
    delete reader.pTopLevelObject();
    if (reader.alive != 0) std::abort();  // something built outlived its owner or the reading
    if (result == KT_FILE_OK && reader.numberOfErrors() != 0) std::abort();
  }
  return 0;
}
