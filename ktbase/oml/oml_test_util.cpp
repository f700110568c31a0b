#include "ktbase/oml/oml_test_util.h"

#include <cstdio>

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
