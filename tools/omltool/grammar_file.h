// The grammar file of omltool: the lines of the definition language, one table line per line,
// preceded by lines "value NAME NUMBER" that install the enumeration values the definitions
// name. Blank lines and lines beginning with '#' are comments.
#ifndef KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H
#define KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H

#include <memory>
#include <string>

#include "ktbase/oml/oml_static.h"

// The grammar of the file; null, with a one-line explanation in `error`, when the file cannot be
// read or a value line is malformed.
std::unique_ptr<KtOMLStatic> loadGrammar(const std::string& fileName, std::string& error);

#endif  // KTBASE_TOOLS_OMLTOOL_GRAMMAR_FILE_H
