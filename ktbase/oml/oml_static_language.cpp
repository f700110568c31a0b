// The definition language of a grammar and the key header written from one.
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "ktbase/files/string_pool.h"
#include "ktbase/files/text_file.h"
#include "ktbase/oml/oml_static.h"

namespace {

using Word = std::unique_ptr<char[]>;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' ||
         c == '_';
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

const char* skipBlanks(const char* p) {
  while (isBlank(*p)) ++p;
  return p;
}

// The next word at `text` as a new string (null when there is none); `text` moves past it.
char* copyNextWord(const char*& text) {
  const char* p = skipBlanks(text);
  const char* end = p;
  while (isWordChar(*end)) ++end;
  text = end;
  if (end == p) return nullptr;
  std::size_t length = static_cast<std::size_t>(end - p);
  char* word = new (std::nothrow) char[length + 1];
  if (word == nullptr) return nullptr;
  std::memcpy(word, p, length);
  word[length] = 0;
  return word;
}

// The character that decides a line's meaning, in upper case; 0 for an empty line.
char lineKind(const char* line) { return upper(*skipBlanks(line)); }

// The text behind a line's deciding character.
const char* afterKind(const char* line) {
  const char* p = skipBlanks(line);
  return *p != 0 ? p + 1 : p;
}

// Returns 1 iff the next character after blanks is an R (either case): the required flag.
int requiredFlag(const char* p) { return upper(*skipBlanks(p)) == 'R'; }

bool typeFromLetter(char letter, KtFieldTypeEnum* type) {
  switch (upper(letter)) {
    case 'I':
      *type = KT_FIELD_INTEGER;
      return true;
    case 'B':
      *type = KT_FIELD_BOOLEAN;
      return true;
    case 'S':
      *type = KT_FIELD_STRING;
      return true;
    case 'R':
      *type = KT_FIELD_REAL;
      return true;
    case 'P':
      *type = KT_FIELD_IP_ADDRESS;
      return true;
    case 'X':
      *type = KT_FIELD_BINARY;
      return true;
    default:
      return false;
  }
}

bool isOpeningLine(const char* line) {
  char c = *skipBlanks(line);
  return c == '{' || c == '[';
}

bool isClosing(char c) { return c == ']' || c == '}'; }

// The items of an enumeration list, from behind its opening bracket: each item, a single name
// or a range low..high, goes to `take(low, high)` (high null for a single name). Stops behind
// the closing bracket or at the end of the line; returns whether the list was closed.
template <typename Take>
bool scanEnumItems(const char*& p, Take take) {
  for (;;) {
    while (isBlank(*p) || *p == ',') ++p;
    if (*p == 0) return false;
    if (isClosing(*p)) {
      ++p;
      return true;
    }
    if (!isWordChar(*p)) {  // a stray character: step over it
      ++p;
      continue;
    }
    Word low(copyNextWord(p));
    Word high;
    if (*p == '.') {
      while (*p == '.') ++p;
      high.reset(copyNextWord(p));
    }
    if (low != nullptr) take(low.get(), high.get());
  }
}

}  // namespace

char* KtOMLStatic::makeCopyOfNextWord(const char*& text) { return copyNextWord(text); }

// ---------------------------------------------------------------------------------------------
// Lines of an object type or section

void KtOMLStatic::defineField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* p) {
  Word name(copyNextWord(p));
  KtFieldTypeEnum fieldType;
  p = skipBlanks(p);
  if (name == nullptr || !typeFromLetter(*p, &fieldType)) return;
  bool created = false;
  addField(type, section, name.get(), fieldType, requiredFlag(p + 1), &created);
}

// The list is read twice: once for the required flag behind it, which the field needs before
// it exists, and once for its items, which go to the field only while it has no values.
void KtOMLStatic::defineEnumField(KtOMLDefObjType* type, KtOMLDefSection* section, const char* p) {
  Word name(copyNextWord(p));
  if (name == nullptr) return;
  p = skipBlanks(p);
  const bool hasList = *p == '[' || *p == '{';
  const char* items = p + (hasList ? 1 : 0);
  const char* behind = items;
  int required = 0;
  if (hasList && scanEnumItems(behind, [](const char*, const char*) {}))
    required = requiredFlag(behind);
  bool created = false;
  KtOMLDefField* field = addField(type, section, name.get(), KT_FIELD_ENUM, required, &created);
  if (field == nullptr || !hasList || field->pIndexList != nullptr) return;
  const KtStringPool* values = pValueIDPool();
  scanEnumItems(items, [&](const char* low, const char* high) {
    std::int32_t first = values != nullptr ? values->lookup(low) : -1;
    std::int32_t last = high != nullptr && values != nullptr ? values->lookup(high) : -1;
    if (high != nullptr && first >= 0 && last >= 0) {
      if (first > last) std::swap(first, last);
      for (std::int32_t i = first; i <= last; ++i) addIndex(&field->pIndexList, i);
      return;
    }
    addIndex(&field->pIndexList, first);
    if (high != nullptr) addIndex(&field->pIndexList, last);
  });
}

void KtOMLStatic::defineReferenceField(KtOMLDefObjType* type, KtOMLDefSection* section,
                                       const char* p) {
  Word name(copyNextWord(p));
  Word target(copyNextWord(p));
  if (name == nullptr || target == nullptr) return;
  bool created = false;
  KtOMLDefField* field =
      addField(type, section, name.get(), KT_FIELD_OBJECT_REFERENCE, requiredFlag(p), &created);
  if (field == nullptr || target[0] == '_' || field->pIndexList != nullptr) return;
  const KtStringPool* types = pObjTypeIDPool();
  addIndex(&field->pIndexList, types != nullptr ? types->lookup(target.get()) : -1);
}

// ---------------------------------------------------------------------------------------------
// The table

// The scan keeps the open object type, the stack of open sections that were defined, and the
// number of refused sections open inside them (whose lines define nothing). It never recurses,
// so a table of any nesting is read in constant stack.
void KtOMLStatic::installDefinitionTable(const char* const* definitions) {
  if (definitions == nullptr) return;
  KtOMLDefObjType* type = nullptr;
  KtOMLDefSection* open[KT_OML_MAX_SECTION_LEVELS] = {};
  int depth = 0;
  std::size_t refusedDepth = 0;
  for (const char* const* line = definitions; *line != nullptr; ++line) {
    const char kind = lineKind(*line);
    if (type != nullptr && kind == 'O') {  // ends the type and its sections, then starts anew
      type = nullptr;
      depth = 0;
      refusedDepth = 0;
    }
    if (type == nullptr) {
      if (kind != 'O') continue;
      Word name;
      const char* p = afterKind(*line);
      name.reset(copyNextWord(p));
      if (name == nullptr) continue;
      type = objType(name.get());
      if (type != nullptr && line[1] != nullptr && isOpeningLine(line[1])) ++line;
      continue;
    }
    KtOMLDefSection* section = depth > 0 ? open[depth - 1] : nullptr;
    const char* rest = afterKind(*line);
    switch (kind) {
      case ']':
      case '}':
        if (refusedDepth > 0)
          --refusedDepth;
        else if (depth > 0)
          --depth;
        else
          type = nullptr;
        continue;
      case 'S': {
        KtOMLDefSection* added = nullptr;
        if (refusedDepth == 0 && depth < KT_OML_MAX_SECTION_LEVELS) {
          Word name(copyNextWord(rest));
          if (name != nullptr) added = addSection(type, section, name.get());
        }
        if (added != nullptr)
          open[depth++] = added;
        else
          ++refusedDepth;
        if (line[1] != nullptr && isOpeningLine(line[1])) ++line;
        continue;
      }
      default:
        break;
    }
    if (refusedDepth > 0) continue;
    switch (kind) {
      case 'F':
        defineField(type, section, rest);
        break;
      case 'E':
        defineEnumField(type, section, rest);
        break;
      case 'R':
        defineReferenceField(type, section, rest);
        break;
      case 'T': {
        Word name(copyNextWord(rest));
        if (name != nullptr) addSubObjType(type, section, name.get());
        break;
      }
      default:
        break;  // a line that means nothing here
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The key header

void KtOMLStatic::writeKeyGroup(KtTextFile& file, const char* comment, const char* prefix,
                                const KtStringPool* pool, std::int32_t first) const {
  file.writeLine("");
  file.writeLine(comment);
  file.writeLine("");
  std::int32_t count = pool != nullptr ? pool->decodeTableMax() : 0;
  for (std::int32_t i = first; i < count; ++i) {
    file.write(prefix);
    file.write(pool->decode(i));
    file.write(" ");
    file.writeLine(i);
  }
}

// A failed write sets the file's sticky error flag, which the close would clear: it is read
// before the close.
KtFileCodeEnum KtOMLStatic::writeIndexDefinitions(const char* fileName) {
  KtTextFile file;
  if (file.open(fileName, KT_FILE_WRITE_ASCII) != KT_FILE_OK) return KT_FILE_OPEN_ERROR;
  writeKeyGroup(file, "/* Coding of fields */", "#define KT_XKEY_FI_", pFieldIDPool(), 4);
  writeKeyGroup(file, "/* Coding of sections */", "#define KT_XKEY_SI_", pSectionIDPool(), 2);
  writeKeyGroup(file, "/* Coding of enum value identifiers */", "#define KT_XKEY_VI_",
                pValueIDPool(), 0);
  writeKeyGroup(file, "/* Coding of object type identifiers */", "#define KT_XKEY_OI_",
                pObjTypeIDPool(), 1);
  file.writeLine("");
  const bool failed = file.error() != 0;
  KtFileCodeEnum closed = file.close();
  return failed ? KT_FILE_WRITE_ERROR : closed;
}
