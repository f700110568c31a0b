// Reads the input as an OML file against a grammar with sections, every field kind and
// enumeration values: once in text, once in binary. Any input must end in a result, with no
// crash, leak or sanitizer report.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"

namespace {

const KtOMLStaticVEStruct kValues[] = {{"box", 1}, {"circle", 2}, {"oval", 3}, {nullptr, 0}};
const char* const kDefinitions[] = {"O Graph",
                                    "F label S",
                                    "F directed B",
                                    "F weight R",
                                    "F address P",
                                    "F data X",
                                    "F count I",
                                    "E shape [box..oval] R",
                                    "R root Node",
                                    "S layout",
                                    "F spacing R",
                                    "S inner",
                                    "F depth I",
                                    "}",
                                    "T Node",
                                    "}",
                                    "T Node",
                                    "T Edge",
                                    "}",
                                    "O Node",
                                    "F x I",
                                    "F y I",
                                    "R next _",
                                    "}",
                                    "O Edge",
                                    "R source Node R",
                                    "R target Node R",
                                    "}",
                                    nullptr};

// One file for the whole run, in the temporary folder.
std::string& inputName() {
  static std::string name = [] {
    char pattern[] = "/tmp/ktbase-fuzz-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    return std::string(pattern);
  }();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static KtOMLStatic* grammar =
      new KtOMLStatic(static_cast<const char* const*>(nullptr), nullptr, kValues, kDefinitions, 100,
                      100, 100, 100, 100, 100);
  const std::string& name = inputName();
  std::FILE* out = std::fopen(name.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  for (int binary = 0; binary <= 1; ++binary) {
    KtOMLFile reader;
    reader.pErrorStringBuffer(512);
    reader.pWarningStringBuffer(512);
    reader.readOMLFile(name.c_str(), grammar, nullptr, -1, binary, 1, 0);
  }
  return 0;
}
