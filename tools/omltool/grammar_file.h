// The grammar file of omltool: the lines of the definition language, one table line per line,
// preceded by lines "value NAME NUMBER" that install the enumeration values the definitions
// name. Blank lines and lines beginning with '#' are comments.
//
// The grammar keeps every name in upper case (names match without regard to case). The tool
// reads the file itself as well, so that it can write each name as the file spells it:
// DeclaredNames holds the first spelling the file gives each object type, section, field and
// value name, beside the built-in names in the library's own spelling.
#ifndef KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H
#define KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H

#include <memory>
#include <string>
#include <unordered_map>

#include "ktbase/oml/oml_static.h"

class DeclaredNames {
 public:
  enum Kind { kType = 0, kSection = 1, kField = 2, kValue = 3 };

  // Holds the built-in names only.
  DeclaredNames();

  // Records `name` as the spelling of its kind's name unless one was recorded before.
  void declare(Kind kind, const std::string& name);
  // The recorded spelling of `name` (in any case); `name` itself when none was recorded. The
  // result lives as long as this object or `name`.
  const char* spell(Kind kind, const char* name) const;

 private:
  std::unordered_map<std::string, std::string> names_[4];  // upper case -> spelling
};

// The grammar of the file; null, with a one-line explanation in `error`, when the file cannot be
// read or a value line is malformed.
std::unique_ptr<KtOMLStatic> loadGrammar(const std::string& fileName, std::string& error);
// The same, and the spelling of every name the file declares into `names` (when not null).
std::unique_ptr<KtOMLStatic> loadGrammar(const std::string& fileName, std::string& error,
                                         DeclaredNames* names);

#endif  // KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H
