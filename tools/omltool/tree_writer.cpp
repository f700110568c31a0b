#include "tools/omltool/tree_writer.h"

#include "ktbase/oml/oml_section_path.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_token.h"

namespace {

std::string ownerPart(const std::string& fullID) {
  const std::size_t comma = fullID.rfind(',');
  return comma == std::string::npos ? std::string() : fullID.substr(0, comma);
}

}  // namespace

std::string ownID(const std::string& fullID) {
  const std::size_t comma = fullID.rfind(',');
  if (comma == std::string::npos) return std::string();
  const std::string id = fullID.substr(comma + 1);
  // An anonymous object's number: -2 and below.
  if (id.size() >= 2 && id[0] == '-' &&
      id.find_first_not_of("0123456789", 1) == std::string::npos && id != "-0" && id != "-1")
    return std::string();
  return id;
}

std::string referenceText(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field) {
  // The reader made every reference a full id; a sibling's is written bare again.
  const std::string target = field->referenceString();
  const std::string from = owner->isDefaults() ? std::string() : owner->nameString();
  const bool sibling = !from.empty() && ownerPart(from) == ownerPart(target);
  return sibling ? target.substr(target.rfind(',') + 1) : target;
}

const char* TreeWriterBase::sectionName(const KtOMLDefObjType* type, std::uint32_t path,
                                        int level) const {
  if (ktOMLPathLevel(path, level) == KT_OML_WILDCARD) return "_";
  const std::uint32_t prefix = ktOMLPathPrefix(path, level);
  if (type != nullptr)
    for (const KtOMLDefSection* s = type->firstSection(); s != nullptr; s = type->sectionAfter(s))
      if (s->level() == level && ktOMLSectionPathAgrees(s->sectionPath, prefix))
        return spell(DeclaredNames::kSection, sectionID(s->sectionIDIndex));
  return "";
}

void TreeWriter::vWriteContents(KtObject*) {
  unnamedFields_ = 0;
  if (tree_ != nullptr) writeContent(tree_);
}

// An object inside a defaults object stands in the defaults' section, not in one of its own.
void TreeWriter::writeObject(const KtOMLSyntaxObject* object) {
  const KtOMLSyntaxObject* owner = object->pOwnerObject();
  if (owner != nullptr && !owner->isDefaults())
    enterPath(owner->pDefObjType(), object->sectionPathIndex());
  if (object->isDefaults()) {
    writeObjectDefaultStart(typeName(object));
  } else {
    const std::string id = ownID(object->nameString());
    writeObjectStart(typeName(object), id.empty() ? nullptr : id.c_str(), 0);
  }
  writeOpeningBracket();
  writeContent(object);
  writeClosingBracket();
}

void TreeWriter::writeContent(const KtOMLSyntaxObject* object) {
  const int outerSections = openSections_;
  const std::uint32_t outerPath = openPath_;
  openSections_ = 0;
  openPath_ = 0;
  bool unchecked = false;
  for (const KtOMLSyntaxFieldList* c = object->pFieldList(); c != nullptr; c = c->pNext) {
    const KtOMLSyntaxField* field = c->pField;
    if (field->inUncheckedSection() != 0) {
      unchecked = true;
    } else if (field->pValueToken() != nullptr) {
      enterPath(object->pDefObjType(), field->sectionPathIndex());
      writeField(object, field);
    }
  }
  // Unchecked fields: one unchecked block for each run of fields of one path.
  bool blockOpen = false;
  for (const KtOMLSyntaxFieldList* c = unchecked ? object->pFieldList() : nullptr; c != nullptr;
       c = c->pNext) {
    const KtOMLSyntaxField* field = c->pField;
    if (field->inUncheckedSection() == 0 || field->pValueToken() == nullptr) continue;
    if (mode() == KT_FILE_WRITE_BINARY && checkedFieldIDIndex(field->nameString()) < 0) {
      ++unnamedFields_;
      continue;
    }
    const std::uint32_t path = field->sectionPathIndex();
    if (blockOpen && (path != openPath_ || openSections_ != ktOMLPathDepth(path))) {
      writeClosingBracket();
      blockOpen = false;
    }
    if (!blockOpen) {
      enterPath(object->pDefObjType(), path);
      writeOpeningBracket();
      writeStringAttribute("comment", "unchecked");
      blockOpen = true;
    }
    writeField(object, field);
  }
  if (blockOpen) writeClosingBracket();
  leavePath();
  for (const KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr; c = c->pNext)
    writeObject(c->pObject);
  leavePath();
  openSections_ = outerSections;
  openPath_ = outerPath;
}

void TreeWriter::enterPath(const KtOMLDefObjType* type, std::uint32_t path) {
  if (path == openPath_ && openSections_ == ktOMLPathDepth(path)) return;
  leavePath();
  const int depth = ktOMLPathDepth(path);
  for (int level = 1; level <= depth; ++level) {
    writeSectionStart(sectionName(type, path, level), 0);
    writeOpeningBracket();
  }
  openSections_ = depth;
  openPath_ = path;
}

void TreeWriter::leavePath() {
  for (; openSections_ > 0; --openSections_) writeClosingBracket();
  openPath_ = 0;
}

void TreeWriter::writeField(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field) {
  const KtOMLToken* value = field->pValueToken();
  const char* name = fieldName(field);
  switch (value->tag()) {
    case OML_TOKEN_INTEGER:
      writeAttribute(name, value->intValue());
      break;
    case OML_TOKEN_REAL:
      writeAttribute(name, value->realValue());
      break;
    case OML_TOKEN_STRING:
      writeStringAttribute(name, field->stringValue());
      break;
    case OML_TOKEN_VALUE:
      writeAttribute(name, valueName(value->index()));
      break;
    case OML_TOKEN_IPADDRESS:
      writeIPBytesAttribute(name, value->ipAddress());
      break;
    case OML_TOKEN_BINVALUE:
      writeAttribute(name, field->pBinValue());
      break;
    case OML_TOKEN_SCOPE:
      writeReferenceAttribute(name, referenceText(owner, field).c_str());
      break;
    default:
      break;
  }
}
