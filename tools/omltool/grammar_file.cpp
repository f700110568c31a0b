#include "tools/omltool/grammar_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

bool isComment(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' ||
         c == '_';
}

bool isName(const std::string& word) {
  if (word.empty()) return false;
  for (char c : word)
    if (!isWordChar(c)) return false;
  return true;
}

std::string upperCase(const char* name) {
  std::string text(name);
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  return text;
}

// The word after the character that decides a definition line's meaning, read as the grammar
// reads it (blanks and tabs, then letters, digits, '$' and '_'); "" when there is none.
std::string nameOfLine(const std::string& line, char& kind) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) {
    kind = 0;
    return std::string();
  }
  kind = line[i] >= 'a' && line[i] <= 'z' ? static_cast<char>(line[i] - ('a' - 'A')) : line[i];
  i = line.find_first_not_of(" \t", i + 1);
  std::size_t end = i;
  while (end < line.size() && isWordChar(line[end])) ++end;
  return i == std::string::npos ? std::string() : line.substr(i, end - i);
}

// The spellings of the definition lines: O and T name object types, S sections, F, E and R
// fields. Lines before the first O line define nothing, as in the grammar.
void declareDefinitions(const std::vector<std::string>& lines, DeclaredNames& names) {
  bool inType = false;
  for (const std::string& line : lines) {
    char kind = 0;
    const std::string name = nameOfLine(line, kind);
    if (kind == 'O') inType = true;
    if (!inType || name.empty()) continue;
    switch (kind) {
      case 'O':
      case 'T':
        names.declare(DeclaredNames::kType, name);
        break;
      case 'S':
        names.declare(DeclaredNames::kSection, name);
        break;
      case 'F':
      case 'E':
      case 'R':
        names.declare(DeclaredNames::kField, name);
        break;
      default:
        break;
    }
  }
}

}  // namespace

DeclaredNames::DeclaredNames() {
  for (const char* field : {"include", "input", "comment", "section", "id", "name", "field"})
    declare(kField, field);
  declare(kSection, "skip");
  declare(kSection, "_");
  declare(kValue, "true");
  declare(kValue, "false");
  declare(kType, "$toplevel$");
}

void DeclaredNames::declare(Kind kind, const std::string& name) {
  names_[kind].emplace(upperCase(name.c_str()), name);
}

const char* DeclaredNames::spell(Kind kind, const char* name) const {
  const auto found = names_[kind].find(upperCase(name));
  return found != names_[kind].end() ? found->second.c_str() : name;
}

std::unique_ptr<KtOMLStatic> loadGrammar(const std::string& fileName, std::string& error) {
  return loadGrammar(fileName, error, nullptr);
}

std::unique_ptr<KtOMLStatic> loadGrammar(const std::string& fileName, std::string& error,
                                         DeclaredNames* declared) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    error = "cannot read grammar " + fileName + ": " + std::strerror(errno);
    return nullptr;
  }
  std::vector<std::string> names;
  std::vector<KtOMLStaticVEStruct> values;
  std::vector<std::string> lines;
  std::string line;
  int number = 0;
  bool definitions = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('\0') != std::string::npos) {
      error = fileName + ":" + std::to_string(number) + ": grammar lines hold no zero byte";
      return nullptr;
    }
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first != "value") {
      if (!isComment(line)) definitions = true;
      lines.push_back(line);
      continue;
    }
    std::string name, value, extra;
    words >> name >> value >> extra;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(value.c_str(), &end, 10);
    const bool numeric =
        !value.empty() && *end == 0 && errno == 0 && parsed >= INT32_MIN && parsed <= INT32_MAX;
    if (definitions || !isName(name) || !numeric || !extra.empty()) {
      error = fileName + ":" + std::to_string(number) +
              (definitions ? ": value lines come before the definitions"
                           : ": malformed value line (expected: value NAME NUMBER)");
      return nullptr;
    }
    names.push_back(name);
    values.push_back({nullptr, static_cast<std::int32_t>(parsed)});
  }
  if (in.bad()) {
    error = "cannot read grammar " + fileName;
    return nullptr;
  }
  if (declared != nullptr) {
    for (const std::string& name : names) declared->declare(DeclaredNames::kValue, name);
    declareDefinitions(lines, *declared);
  }
  for (std::size_t i = 0; i < values.size(); ++i) values[i].name = names[i].c_str();
  values.push_back({nullptr, 0});
  std::vector<const char*> table;
  for (const std::string& l : lines) table.push_back(l.c_str());
  table.push_back(nullptr);
  // Pools sized for large files: 106,800 names take the largest hash table (160,201 chains);
  // every pool grows beyond its size as needed.
  return std::make_unique<KtOMLStatic>(static_cast<const char* const*>(nullptr), nullptr,
                                       values.data(), table.data(), 106800, 512, 64, 64, 512,
                                       106800);
}
