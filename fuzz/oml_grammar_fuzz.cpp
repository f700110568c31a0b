// Reads the input as a table of the grammar definition language, one line per line of input,
// then walks every record the grammar made and writes its key header. A malformed table must
// define nothing wrong: no crash, hang, leak, or section whose code does not lead back to it.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ktbase/oml/oml_static.h"

namespace {

// Walks a type's sections as the reader does, checking that each code finds its section.
void walk(const KtOMLDefObjType* type) {
  int count = 0;
  for (const KtOMLDefSection* s = type->firstSection(); s != nullptr; s = type->sectionAfter(s)) {
    if (type->sectionWithCode(s->sectionPath) != s) std::abort();
    if (s->level() > KT_OML_MAX_SECTION_LEVELS || ++count > 1000000) std::abort();
  }
}

class Grammar : public KtOMLStatic {
 public:
  using KtOMLStatic::installObjTypeID;
  using KtOMLStatic::KtOMLStatic;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n')
      lines.emplace_back();
    else if (data[i] != 0)
      lines.back() += static_cast<char>(data[i]);
  }
  std::vector<const char*> table;
  for (const std::string& line : lines) table.push_back(line.c_str());
  table.push_back(nullptr);
  const KtOMLStaticVEStruct values[] = {{"a", 1}, {"b", 2}, {"c", 3}, {nullptr, 0}};
  Grammar grammar(static_cast<const char* const*>(nullptr), nullptr, values, table.data(), 10, 10,
                  10, 10, 10, 10);
  // Every type the table named, from its record.
  for (const std::string& line : lines) {
    const std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos ||
        (line[at] != 'O' && line[at] != 'o' && line[at] != 'T' && line[at] != 't'))
      continue;
    std::size_t begin = line.find_first_not_of(" \t", at + 1);
    if (begin == std::string::npos) continue;
    std::size_t end = begin;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) ||
                                 line[end] == '_' || line[end] == '$'))
      ++end;
    if (end == begin) continue;
    if (const KtOMLDefObjType* type = grammar.installObjTypeID(
            line.substr(begin, end - begin).c_str(), nullptr, nullptr, nullptr, nullptr))
      walk(type);
  }
  grammar.writeIndexDefinitions("/dev/null");
  return 0;
}
