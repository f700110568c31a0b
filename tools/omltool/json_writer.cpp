#include "tools/omltool/json_writer.h"

#include <rapidjson/writer.h>

#include <cstdio>
#include <cstring>

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_section_path.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_token.h"
#include "tools/omltool/json_text.h"

// Every string and number is a document of its own for the Writer, which is reset before each.
struct JsonWriter::Writers {
  explicit Writers(Stream& stream) : writer(stream) {}
  rapidjson::Writer<Stream> writer;
};

void JsonWriter::Stream::drain() {
  buffer_[length_] = 0;
  owner_->writeString(buffer_);
  length_ = 0;
}

JsonWriter::JsonWriter(const KtOMLSyntaxObject* tree, const DeclaredNames* names)
    : TreeWriterBase(tree, names), stream_(this), writers_(new Writers(stream_)) {}

JsonWriter::~JsonWriter() = default;

void JsonWriter::vWriteContents(KtObject*) {
  stream_.length_ = 0;
  if (tree_ != nullptr) writeRecord(tree_, 0);
  text("\n");
  stream_.drain();
}

void JsonWriter::text(const char* punctuation) {
  for (const char* p = punctuation; *p != 0; ++p) stream_.Put(*p);
}

void JsonWriter::newline(int depth) {
  stream_.Put('\n');
  for (int i = 0; i < depth; ++i) text("  ");
}

void JsonWriter::string(const char* bytes, std::size_t n) {
  std::size_t length = 0;
  const char* utf8 = bytesToUtf8(bytes, n, scratch_, length);
  writers_->writer.Reset(stream_);
  writers_->writer.String(utf8, static_cast<rapidjson::SizeType>(length));
}

void JsonWriter::number(const char* digits, std::size_t n) {
  writers_->writer.Reset(stream_);
  writers_->writer.RawValue(digits, n, rapidjson::kNumberType);
}

void JsonWriter::member(bool& first, int depth, const char* key) {
  if (!first) text(",");
  first = false;
  newline(depth);
  string(key, std::strlen(key));
  text(": ");
}

void JsonWriter::item(bool& first, int depth) {
  if (!first) text(",");
  first = false;
  newline(depth);
}

void JsonWriter::writeRecord(const KtOMLSyntaxObject* object, int depth) {
  text("{");
  bool first = true;
  const KtOMLSyntaxObject* owner = object->pOwnerObject();
  if (owner != nullptr) {
    member(first, depth + 1, "type");
    const char* type = typeName(object);
    string(type, std::strlen(type));
    if (object->isDefaults()) {
      member(first, depth + 1, "defaults");
      text("true");
    } else {
      const std::string id = ownID(object->nameString());
      if (!id.empty()) {
        member(first, depth + 1, "id");
        string(id);
      }
    }
    const std::uint32_t path = object->sectionPathIndex();
    if (!owner->isDefaults() && path != 0) {
      member(first, depth + 1, "section");
      std::string names;
      for (int level = 1; level <= ktOMLPathDepth(path); ++level)
        names += std::string(level > 1 ? "/" : "") + sectionName(owner->pDefObjType(), path, level);
      string(names);
    }
  }
  for (int unchecked = 0; unchecked <= 1; ++unchecked) {
    bool firstField = true;
    for (const KtOMLSyntaxFieldList* c = object->pFieldList(); c != nullptr; c = c->pNext) {
      const KtOMLSyntaxField* field = c->pField;
      if ((field->inUncheckedSection() != 0) != (unchecked != 0) || field->pValueToken() == nullptr)
        continue;
      if (firstField) {
        member(first, depth + 1, unchecked != 0 ? "unchecked" : "fields");
        text("[");
      }
      item(firstField, depth + 2);
      writeField(object, field);
    }
    if (!firstField) {
      newline(depth + 1);
      text("]");
    }
  }
  if (object->pObjectList() != nullptr) {
    member(first, depth + 1, "objects");
    text("[");
    bool firstObject = true;
    for (const KtOMLSyntaxObjectList* c = object->pObjectList(); c != nullptr; c = c->pNext) {
      item(firstObject, depth + 2);
      writeRecord(c->pObject, depth + 2);
    }
    newline(depth + 1);
    text("]");
  }
  if (!first) newline(depth);
  text("}");
}

void JsonWriter::writeKey(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field) {
  key_.clear();
  const std::uint32_t path = field->sectionPathIndex();
  for (int level = 1; level <= ktOMLPathDepth(path); ++level)
    (key_ += sectionName(owner->pDefObjType(), path, level)) += '/';
  key_ += fieldName(field);
  text("{");
  string(key_);
  text(": ");
}

void JsonWriter::explicitValue(const char* kind, const char* value, std::size_t n) {
  text("{");
  string(kind, std::strlen(kind));
  text(": ");
  string(value, n);
  text("}");
}

void JsonWriter::writeField(const KtOMLSyntaxObject* owner, const KtOMLSyntaxField* field) {
  const KtOMLToken* value = field->pValueToken();
  writeKey(owner, field);
  char digits[40];
  switch (value->tag()) {
    case OML_TOKEN_INTEGER: {
      const int n = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value->intValue()));
      number(digits, static_cast<std::size_t>(n));
      break;
    }
    case OML_TOKEN_REAL: {
      const std::size_t n = realText(value->realValue(), digits);
      if (digits[n - 1] == 'f' || digits[n - 1] == 'n')  // inf, -inf, nan
        explicitValue("real", digits, n);
      else
        number(digits, n);
      break;
    }
    case OML_TOKEN_STRING: {
      const char* s = field->stringValue();
      string(s, std::strlen(s));
      break;
    }
    case OML_TOKEN_VALUE: {
      const KtOMLDefField* def = field->pDefField();
      const std::int32_t index = value->index();
      if (def != nullptr && def->fieldType == KT_FIELD_BOOLEAN && (index == 0 || index == 1)) {
        text(index == 0 ? "true" : "false");
      } else {
        const char* name = valueName(index);
        explicitValue("enum", name, std::strlen(name));
      }
      break;
    }
    case OML_TOKEN_IPADDRESS: {
      const std::uint32_t a = value->ipAddress();
      const int n = std::snprintf(digits, sizeof digits, "%u.%u.%u.%u", a >> 24, (a >> 16) & 255u,
                                  (a >> 8) & 255u, a & 255u);
      explicitValue("ip", digits, static_cast<std::size_t>(n));
      break;
    }
    case OML_TOKEN_BINVALUE: {
      static const char kHex[] = "0123456789abcdef";
      const KtOMLBinValue* bytes = field->pBinValue();
      hex_.clear();
      for (std::int32_t i = 0; bytes != nullptr && i < bytes->length(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes->pByteSequence()[i]);
        hex_ += kHex[b >> 4];
        hex_ += kHex[b & 15];
      }
      explicitValue("bytes", hex_.data(), hex_.size());
      break;
    }
    case OML_TOKEN_SCOPE: {
      const std::string reference = referenceText(owner, field);
      explicitValue("ref", reference.data(), reference.size());
      break;
    }
    default:
      text("null");
      break;
  }
  text("}");
}
