#include "ktbase/oml/oml_test_util.h"

#include <cstdio>
#include <cstdlib>

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_lexer.h"
#include "ktbase/oml/oml_names.h"
#include "ktbase/oml/oml_syntax.h"

namespace {

std::string name(const KtStringPool* pool, std::int32_t i) {
  return i >= 0 && pool != nullptr ? pool->decode(i) : "?" + std::to_string(i);
}

std::string indexes(const KtStringPool* pool, const KtOMLDefIndexList* list) {
  std::string text = "[";
  for (; list != nullptr; list = list->pNext) text += " " + name(pool, list->index);
  return text + " ]";
}

std::string code(std::uint32_t path) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(path));
  return buffer;
}

void dumpSections(const KtOMLStatic& g, const KtOMLDefSection* list, const std::string& indent,
                  std::string& out) {
  for (; list != nullptr; list = list->pNext) {
    out += indent + "S " + name(KtOMLStaticProbe::sections(g), list->sectionIDIndex) + " " +
           code(list->sectionPath) + " parent " +
           (list->pParent != nullptr ? code(list->pParent->sectionPath) : "-") + "\n";
    out += indent + "  fields " + dumpFields(g, list->pFieldList) + "\n";
    out += indent + "  types " + indexes(KtOMLStaticProbe::types(g), list->pSubObjTypeList) + "\n";
    dumpSections(g, list->pSubSectionList, indent + "  ", out);
  }
}

}  // namespace

KtOMLStatic* newCorpusGrammar() {
  static const KtOMLStaticVEStruct values[] = {
      {"box", 1}, {"circle", 2}, {"oval", 3}, {nullptr, 0}};
  // One object type to a line.
  // clang-format off
  static const char* const definitions[] = {
      "O $toplevel$", "T Graph", "}",
      "O Graph", "F label S", "F node I", "F directed B", "E shape [box..oval]", "S layout",
          "F spacing R", "S grid", "F step I", "}", "S inner", "F depth I", "}", "T Node", "}",
          "S style", "S border", "F thickness I", "}", "S inner", "F depth I", "}", "}", "T Node",
          "T Edge", "}",
      "O Node", "F x I", "F y I", "F weight R", "F address P", "F data X", "R next Node", "}",
      "O Edge", "R source Node R", "R target Node R", "F weight R", "}",
      nullptr};
  // clang-format on
  return new KtOMLStatic(static_cast<const char* const*>(nullptr), nullptr, values, definitions,
                         100, 100, 100, 100, 100, 100);
}

namespace {

std::string valueText(const KtOMLFile& file, const KtOMLSyntaxField& f) {
  char buffer[64];
  const KtOMLToken* t = f.pValueToken();
  if (t == nullptr) return "none";
  switch (t->tag()) {
    case OML_TOKEN_INTEGER:
      return "int " + std::to_string(t->intValue());
    case OML_TOKEN_REAL:
      std::snprintf(buffer, sizeof buffer, "real %.17g", t->realValue());
      return buffer;
    case OML_TOKEN_STRING:
      return "str \"" + std::string(f.stringValue()) + "\"";
    case OML_TOKEN_VALUE:
      return "val " + std::to_string(t->index()) + "=" + std::to_string(f.enumValue());
    case OML_TOKEN_SCOPE:
      return "ref " + KtOMLFileProbe::objectID(file, t->index());
    case OML_TOKEN_IPADDRESS: {
      const std::uint32_t a = t->ipAddress();
      std::snprintf(buffer, sizeof buffer, "ip %u.%u.%u.%u", a >> 24, a >> 16 & 255, a >> 8 & 255,
                    a & 255);
      return buffer;
    }
    case OML_TOKEN_BINVALUE: {
      std::string text = "bin ";
      for (std::int32_t i = 0; i < f.pBinValue()->length(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x",
                      static_cast<unsigned char>(f.pBinValue()->pByteSequence()[i]));
        text += buffer;
      }
      return text;
    }
    default:
      return "tag " + std::to_string(t->tag());
  }
}

std::string place(const KtOMLSyntaxStruct& node) {
  return " @" + std::to_string(node.line()) + ":" + std::to_string(node.position());
}

std::string sectionText(const char* name, std::int32_t index, std::uint32_t path) {
  if (index < 0 && path == 0) return "";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(path));
  return " [" + std::string(name) + " " + buffer + "]";
}

void dumpObject(const KtOMLFile& file, const KtOMLSyntaxObject& o, const std::string& indent,
                std::string& out) {
  out += indent + o.typeString();
  if (o.objectIDIndex() >= 0) out += " " + std::string(o.nameString());
  out += sectionText(o.sectionString(), o.sectionIDIndex(), o.sectionPathIndex()) + place(o) + "\n";
  for (const KtOMLSyntaxFieldList* c = o.pFieldList(); c != nullptr; c = c->pNext) {
    const KtOMLSyntaxField& f = *c->pField;
    out += indent + "  ." + f.nameString() +
           sectionText(f.sectionString(), f.sectionIDIndex(), f.sectionPathIndex()) + " = " +
           valueText(file, f) + (f.pDefField() != nullptr ? "" : " (no definition)") +
           (f.inUncheckedSection() != 0 ? " (unchecked)" : "") + place(f) + "\n";
  }
  for (const KtOMLSyntaxObjectList* c = o.pObjectList(); c != nullptr; c = c->pNext)
    dumpObject(file, *c->pObject, indent + "  ", out);
}

}  // namespace

std::string dumpTree(const KtOMLFile& file) {
  std::string out;
  if (file.pSyntaxTree() != nullptr) dumpObject(file, *file.pSyntaxTree(), "", out);
  return out;
}

std::string dumpFields(const KtOMLStatic& g, const KtOMLDefField* list) {
  std::string text;
  for (; list != nullptr; list = list->pNext) {
    text += "{" + name(KtOMLStaticProbe::fields(g), list->fieldIDIndex) + " t" +
            std::to_string(list->fieldType) + " #" + std::to_string(list->number) +
            (list->required != 0 ? " R" : "");
    const KtStringPool* pool =
        list->fieldType == KT_FIELD_ENUM ? KtOMLStaticProbe::values(g) : KtOMLStaticProbe::types(g);
    if (list->pIndexList != nullptr) text += " " + indexes(pool, list->pIndexList);
    text += "}";
  }
  return text;
}

std::string dumpGrammar(const KtOMLStatic& g) {
  std::string out;
  const KtStringPool* values = KtOMLStaticProbe::values(g);
  out += "values";
  for (std::int32_t i = 0; i < values->decodeTableMax(); ++i)
    out += " " + name(values, i) + "=" + std::to_string(KtOMLStaticProbe::enumValue(g, i));
  const KtStringPool* sections = KtOMLStaticProbe::sections(g);
  out += "\nsections";
  for (std::int32_t i = 0; i < sections->decodeTableMax(); ++i) out += " " + name(sections, i);
  const KtStringPool* fields = KtOMLStaticProbe::fields(g);
  out += "\nfields";
  for (std::int32_t i = 0; i < fields->decodeTableMax(); ++i) out += " " + name(fields, i);
  out += "\n";
  const KtStringPool* types = KtOMLStaticProbe::types(g);
  for (std::int32_t i = 0; i < types->decodeTableMax(); ++i) {
    const KtOMLDefObjType* type = KtOMLStaticProbe::type(g, i);
    out += "O " + name(types, i) + (type == nullptr ? " (no record)\n" : "\n");
    if (type == nullptr) continue;
    out += std::string("  callbacks ") + (type->checkFunction ? "c" : "-") +
           (type->createFunction ? "n" : "-") + (type->readFieldFunction ? "r" : "-") +
           (type->writeFunction ? "w" : "-") + "\n";
    out += "  fields " + dumpFields(g, type->pFieldList) + "\n";
    out += "  required";
    for (const KtOMLDefField* f = type->pRequiredFieldList; f != nullptr; f = f->pNextRequired)
      out += " " + name(fields, f->fieldIDIndex);
    out += "\n  types " + indexes(types, type->pSubObjTypeList) + "\n";
    dumpSections(g, type->pSectionList, "  ", out);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The lexical layer

std::string KtOMLFileProbe::token(KtOMLFile& file, const KtOMLToken* t) {
  const KtOMLStatic* g = file.pOMLStatic_;
  auto name = [](const KtStringPool* pool, std::int32_t i) {
    return pool != nullptr && i >= 0 && i < pool->decodeTableMax() ? std::string(pool->decode(i))
                                                                   : "#" + std::to_string(i);
  };
  char buffer[64];
  std::string text;
  switch (t->tag()) {
    case OML_TOKEN_OPEN_BRACKET:
    case OML_TOKEN_CLOSE_BRACKET:
    case OML_TOKEN_ASSIGN:
    case OML_TOKEN_SEMICOLON:
      text = std::string(1, t->character());
      break;
    case OML_TOKEN_INTEGER:
      text = "int " + std::to_string(t->intValue());
      break;
    case OML_TOKEN_STRING: {
      text = "str \"";
      const std::string value = file.string(t->index());
      for (const char* c = value.c_str(); *c != 0; ++c) {
        if (*c >= 32 && *c < 127 && *c != '\\') {
          text += *c;
        } else {
          std::snprintf(buffer, sizeof buffer, "\\%02x", static_cast<unsigned char>(*c));
          text += buffer;
        }
      }
      text += "\"";
      break;
    }
    case OML_TOKEN_VALUE:
      text = "val " + name(KtOMLStaticProbe::values(*g), t->index());
      break;
    case OML_TOKEN_OBJTYPE:
      text = "type " + name(KtOMLStaticProbe::types(*g), t->index());
      break;
    case OML_TOKEN_SECTION: {
      const std::int32_t known = file.grammarSectionCount();
      text = "sec " + (t->index() < known ? name(KtOMLStaticProbe::sections(*g), t->index())
                                          : file.pUnknownSectionIDPool_->text(t->index() - known) +
                                                std::string("*"));
      break;
    }
    case OML_TOKEN_FIELD: {
      const std::int32_t known = file.grammarFieldCount();
      if (t->unknownField() != 0)
        text = "field? " + std::string(file.pUnknownFieldIDPool_->text(t->index()));
      else
        text = "field " +
               (t->index() < known
                    ? name(KtOMLStaticProbe::fields(*g), t->index())
                    : file.pUncheckedFieldIDPool_->text(t->index() - known) + std::string("*"));
      break;
    }
    case OML_TOKEN_SCOPE:
      text = "scope " + (t->index() >= 0 ? std::string(file.objectID(t->index())) : "#-1");
      break;
    case OML_TOKEN_REAL:
      std::snprintf(buffer, sizeof buffer, "real %.17g", t->realValue());
      text = buffer;
      break;
    case OML_TOKEN_IPADDRESS: {
      const std::uint32_t a = t->ipAddress();
      std::snprintf(buffer, sizeof buffer, "ip %u.%u.%u.%u", a >> 24, a >> 16 & 255, a >> 8 & 255,
                    a & 255);
      text = buffer;
      break;
    }
    case OML_TOKEN_BINVALUE: {
      text = "bin ";
      const KtOMLBinValue* v = t->pBinValue();
      for (std::int32_t i = 0; i < v->length(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x",
                      static_cast<unsigned char>(v->pByteSequence()[i]));
        text += buffer;
      }
      break;
    }
    case OML_TOKEN_ERROR:
      text = "err " + std::to_string(t->intValue());
      break;
  }
  return text + " @" + std::to_string(t->line()) + ":" + std::to_string(t->position()) + "\n";
}

void KtOMLFileProbe::unchecked(KtOMLFile& file, bool on) { file.lexer()->unchecked(on ? 1 : 0); }

// Reads every token as readOMLFile's reading does, following include and input statements.
std::string KtOMLFileProbe::drain(KtOMLFile& file) {
  std::string out;
  bool include = false;
  KtOMLLexer* lexer = file.lexer();
  KtOMLToken t;
  while (lexer->next(t)) {
    out += token(file, &t);
    if (include && t.tag() == OML_TOKEN_STRING) lexer->pushFile(file.string(t.index()));
    if (t.tag() != OML_TOKEN_ASSIGN)
      include = t.tag() == OML_TOKEN_FIELD && t.unknownField() == 0 && t.index() <= 1;
    t.releaseValue();
  }
  if (lexer->next(t) || lexer->peek() != nullptr) out += "token after end\n";
  return out;
}

std::string KtOMLFileProbe::tokens(KtOMLFile& file, KtOMLStatic& grammar, const char* fileName,
                                   bool binary, const std::function<void(KtOMLFile&)>& prepare) {
  file.saveMode_ = binary ? KT_FILE_READ_BINARY : KT_FILE_READ;
  file.initParser(&grammar, nullptr, -1, 0);
  if (prepare) prepare(file);
  file.lexer()->pushFile(fileName);
  std::string out = drain(file);
  file.cleanup();
  return out;
}

std::string KtOMLFileProbe::auxTokens(KtOMLFile& file, KtOMLStatic& grammar, char** text) {
  file.saveMode_ = KT_FILE_READ;
  file.initParser(&grammar, nullptr, -1, 0);
  file.pAuxCLIBuffer(text);
  std::string out = drain(file);
  file.cleanup();
  return out;
}

// The line is logged before the default hook runs, which may report a fatal error of its own.
void LoggingOMLFile::vErrorMessage(const char* file, std::int32_t line, int position, int code,
                                   const char* text, int fatal) {
  char* message =
      messageLine(fatal != 0 ? "Fatal error" : "Error", code, false, file, line, position, text);
  log += message;
  std::free(message);
  KtOMLFile::vErrorMessage(file, line, position, code, text, fatal);
}

void LoggingOMLFile::vWarningMessage(const char* file, std::int32_t line, int position, int code,
                                     const char* text) {
  char* message = messageLine("Warning", code, true, file, line, position, text);
  log += message;
  std::free(message);
  KtOMLFile::vWarningMessage(file, line, position, code, text);
}
