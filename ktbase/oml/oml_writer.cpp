// The writer: OML text and binary, in exactly the forms the reader reads back.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/containers/hash_table.h"
#include "ktbase/files/format.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_binary.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_lexer.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_static.h"

namespace {

constexpr std::size_t kOutputBuffer = 64 * 1024;
constexpr char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
constexpr int kTabCount = sizeof kTabs - 1;

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

bool isTextWriteMode(KtFileModeEnum mode) {
  return mode == KT_FILE_WRITE || mode == KT_FILE_READ_WRITE || mode == KT_FILE_APPEND ||
         mode == KT_FILE_WRITE_ASCII;
}

std::int64_t idOf(const KtOMLObject* object) { return object->graphFileID(); }

KtOMLObject* ownerOf(const KtOMLObject* object) {
  return const_cast<KtOMLObject*>(object)->pOwnerObject();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Output. Writes collect in a buffer that goes to the file when it is full and at flush (which
// close calls), so a file is written in large pieces.

KtFileCodeEnum KtOMLFile::writeString(const char* text) {
  if (pAuxCLIBuffer_ != nullptr && *pAuxCLIBuffer_ != nullptr) {
    if (text == nullptr) return KT_FILE_WRITE_ERROR;
    const std::size_t had = std::strlen(*pAuxCLIBuffer_);
    const std::size_t more = std::strlen(text);
    char* grown = static_cast<char*>(std::realloc(*pAuxCLIBuffer_, had + more + 1));
    if (grown == nullptr) return KT_FILE_WRITE_ERROR;
    std::memcpy(grown + had, text, more + 1);
    *pAuxCLIBuffer_ = grown;
    if (pLexer_ != nullptr) pLexer_->auxText(pAuxCLIBuffer_);  // reading goes on in the new text
    return KT_FILE_OK;
  }
  if (text == nullptr || !isTextWriteMode(mode()) || !isOpen())
    return KtTextFile::writeString(text);
  return bufferOutput(text, std::strlen(text));
}

KtFileCodeEnum KtOMLFile::writeBinary(const char* bytes, int count) {
  if (bytes == nullptr || count < 1 || mode() != KT_FILE_WRITE_BINARY || !isOpen())
    return KtTextFile::writeBinary(bytes, count);
  return bufferOutput(bytes, static_cast<std::size_t>(count));
}

KtFileCodeEnum KtOMLFile::bufferOutput(const char* bytes, std::size_t count) {
  if (pOutput_ == nullptr) pOutput_ = static_cast<char*>(std::malloc(kOutputBuffer));
  if (pOutput_ == nullptr || count >= kOutputBuffer) {  // straight through
    if (flush() != KT_FILE_OK) return KT_FILE_WRITE_ERROR;
    return writeOut(bytes, count);
  }
  if (outputLength_ + count > kOutputBuffer && flush() != KT_FILE_OK) return KT_FILE_WRITE_ERROR;
  std::memcpy(pOutput_ + outputLength_, bytes, count);
  outputLength_ += count;
  return KT_FILE_OK;
}

KtFileCodeEnum KtOMLFile::writeOut(const char* bytes, std::size_t count) {
  for (std::size_t done = 0; done < count;) {
    const std::size_t piece = count - done < (1u << 30) ? count - done : (1u << 30);
    KtFileCodeEnum result;
    if (mode() == KT_FILE_WRITE_BINARY) {
      result = KtTextFile::writeBinary(bytes + done, static_cast<int>(piece));
    } else {
      // The text holds no zero byte; it is handed over as a terminated copy of the piece.
      char* copy = static_cast<char*>(std::malloc(piece + 1));
      if (copy == nullptr) {
        error(1);
        return KT_FILE_WRITE_ERROR;
      }
      std::memcpy(copy, bytes + done, piece);
      copy[piece] = 0;
      result = KtTextFile::writeString(copy);
      std::free(copy);
    }
    if (result != KT_FILE_OK) return result;
    done += piece;
  }
  return KT_FILE_OK;
}

KtFileCodeEnum KtOMLFile::flush() {
  if (outputLength_ == 0) return KT_FILE_OK;
  const std::size_t count = outputLength_;
  outputLength_ = 0;
  return writeOut(pOutput_, count);
}

// ---------------------------------------------------------------------------------------------
// Writing a file

KtFileCodeEnum KtOMLFile::writeOMLFile(const char* fileName, KtOMLStatic* grammar, KtObject* top,
                                       int binary, int makeIndexHashTable, int /*reserved*/) {
  if (fileName == nullptr || grammar == nullptr) return KT_FILE_WRITE_ARGUMENT_ERROR;
  saveMode_ = binary != 0 ? KT_FILE_WRITE_BINARY : KT_FILE_WRITE;
  initParser(grammar, top, expectedTopLevelObjTypeIDIndex_, makeIndexHashTable);
  if (open(fileName, saveMode_) != KT_FILE_OK) {
    cleanup();
    return KT_FILE_OPEN_ERROR;
  }
  pTopLevelObject_ = top;
  topLevelObjectIDIndex_ = expectedTopLevelObjTypeIDIndex_;
  storedOnDisk(0);
  bool failed = false;
  try {
    vWriteContents(top);
  } catch (...) {
    failed = true;
  }
  storedOnDisk(1);
  // A failed write leaves the sticky error flag, which a successful close would clear.
  flush();
  failed = failed || error() != 0;
  const KtFileCodeEnum closed = close();
  pTopLevelObject_ = nullptr;
  topLevelObjectIDIndex_ = -1;
  cleanup();
  if (failed) {
    error(1);
    return KT_FILE_WRITE_ERROR;
  }
  return closed;
}

void KtOMLFile::vWriteContents(KtObject*) {}

int KtOMLFile::writeHook(const char* typeName, const KtObject* object) {
  const KtOMLDefObjType* type = pObjTypeDefinition(objTypeIDIndex(typeName));
  return type != nullptr && type->writeFunction != nullptr ? type->writeFunction(this, object) : 0;
}

// ---------------------------------------------------------------------------------------------
// Pieces

void KtOMLFile::writeIndentation() {
  if (oneline_ != 0) {
    write(" ");
    return;
  }
  for (int left = indent_; left > 0; left -= kTabCount)
    write(kTabs + (left >= kTabCount ? 0 : kTabCount - left));
}

void KtOMLFile::endItem() {
  if (oneline_ == 0) write("\r\n");
}

void KtOMLFile::writeBinaryKtChar(char c) { writeBinary(&c, 1); }

// 0 to 255: the lower-case tag and one byte; anything else the upper-case tag and four bytes,
// most significant first.
void KtOMLFile::writeBinaryIndex(char tag, std::int32_t value) {
  const std::uint32_t bits = static_cast<std::uint32_t>(value);
  if (ktOMLFitsShortForm(value)) {
    const char bytes[2] = {static_cast<char>(ktOMLShortTag(tag)), static_cast<char>(bits)};
    writeBinary(bytes, 2);
    return;
  }
  const char bytes[5] = {static_cast<char>(ktOMLLongTag(tag)), static_cast<char>(bits >> 24),
                         static_cast<char>(bits >> 16), static_cast<char>(bits >> 8),
                         static_cast<char>(bits)};
  writeBinary(bytes, 5);
}

// The mantissa between 1e7 and 1e8 and the decimal exponent. The mantissa is rounded to the
// nearest integer: the scaling leaves 57.642944 as 57642943.99999999, which cut off would come
// back as 57.642943. NaN is written as 0; an infinity as +-1 times 10 to the 999th, which reads
// back as that infinity.
void KtOMLFile::writeBinaryReal(double value) {
  std::int32_t mantissa = 0, exponent = 0;
  if (std::isnan(value)) {
    mantissa = 0;
  } else if (std::isinf(value)) {
    mantissa = value > 0 ? 1 : -1;
    exponent = KT_OML_REAL_INFINITE_EXPONENT;
  } else if (value > 0) {
    while (value < KT_OML_REAL_MANTISSA_LOW) value *= 10, --exponent;
    while (value > KT_OML_REAL_MANTISSA_HIGH) value /= 10, ++exponent;
    mantissa = static_cast<std::int32_t>(std::llround(value));
  } else if (value < 0) {
    while (value > -KT_OML_REAL_MANTISSA_LOW) value *= 10, --exponent;
    while (value < -KT_OML_REAL_MANTISSA_HIGH) value /= 10, ++exponent;
    mantissa = static_cast<std::int32_t>(std::llround(value));
  }
  writeBinaryIndex(KT_OML_TAG_REAL, mantissa);
  writeBinaryIndex(KT_OML_TAG_REAL, exponent);
}

// `opening`, the text (with backslashes and double quotes escaped when asked), a double quote.
void KtOMLFile::writeBinaryText(char opening, const char* text, bool escaped) {
  writeBinaryKtChar(opening);
  const char* run = text;
  for (const char* p = text; *p != 0; ++p) {
    if (!escaped || (*p != '\\' && *p != '"')) continue;
    if (p > run) writeBinary(run, static_cast<int>(p - run));
    writeBinaryKtChar(KT_OML_ESCAPE);
    run = p;
  }
  if (*run != 0) writeBinary(run, static_cast<int>(std::strlen(run)));
  writeBinaryKtChar(KT_OML_TEXT_END);
}

// A string in text: backslash, double quote and carriage return escaped; a carriage return
// written raw would come back as a line end.
void KtOMLFile::writeQuoted(const char* text) {
  write("\"");
  const char* run = text;
  for (const char* p = text;; ++p) {
    const char c = *p;
    if (c != 0 && c != '\\' && c != '"' && c != '\r') continue;
    if (p > run) {
      const std::size_t n = static_cast<std::size_t>(p - run);
      bufferOutput(run, n);
    }
    if (c == 0) break;
    write(c == '\r' ? "\\r" : c == '"' ? "\\\"" : "\\\\");
    run = p + 1;
  }
  write("\"");
}

// A 64-bit id in full: the formatter's integers have 32 bits.
void KtOMLFile::writeInt64(std::int64_t value) {
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits - 1, value);
  *r.ptr = 0;
  if (binaryMode())
    writeBinary(digits, static_cast<int>(r.ptr - digits));
  else
    write(digits);
}

std::int32_t KtOMLFile::writerSectionIndex(const char* name) const { return sectionIDIndex(name); }

std::int32_t KtOMLFile::writerFieldIndex(const char* name) const { return fieldIDIndex(name); }

void KtOMLFile::writeFieldName(const char* field) {
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_FIELD, writerFieldIndex(orEmpty(field)));
    return;
  }
  writeIndentation();
  write(orEmpty(field));
  write(": ");
}

// ---------------------------------------------------------------------------------------------
// Objects, sections and brackets

void KtOMLFile::writeBlancLine() {
  if (!binaryMode()) write("\r\n");
}

void KtOMLFile::writeObjectDefaultStart(const char* type) {
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_OBJTYPE, objTypeIDIndex(orEmpty(type)));
    writeBinaryText(KT_OML_TAG_NAME, "defaults", false);
    return;
  }
  writeIndentation();
  write(orEmpty(type));
  write(": defaults");
  endItem();
}

void KtOMLFile::writeObjectStart(const char* type, const KtOMLObject* object, int oneline,
                                 int withID) {
  const bool id = withID != 0 && object != nullptr;
  if (id && pIndexHashTable_ != nullptr)
    pIndexHashTable_->update(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(object)),
                             idOf(object));
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_OBJTYPE, objTypeIDIndex(orEmpty(type)));
    if (id) {
      writeBinaryKtChar(KT_OML_TAG_NAME);
      writeInt64(idOf(object));
      writeBinaryKtChar(KT_OML_TEXT_END);
    }
    return;
  }
  writeIndentation();
  write(orEmpty(type));
  write(":");
  if (id) {
    write(" ");
    writeInt64(idOf(object));
  }
  oneline_ = oneline != 0;
  endItem();
}

void KtOMLFile::writeObjectStart(const char* type, const KtObject*, int oneline) {
  writeObjectStart(type, static_cast<const KtOMLObject*>(nullptr), oneline, 0);
}

void KtOMLFile::writeObjectStart(const char* type, const char* id, int oneline) {
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_OBJTYPE, objTypeIDIndex(orEmpty(type)));
    if (id != nullptr) writeBinaryText(KT_OML_TAG_NAME, id, false);
    return;
  }
  writeIndentation();
  write(orEmpty(type));
  write(":");
  if (id != nullptr) {
    write(" ");
    write(id);
  }
  oneline_ = oneline != 0;
  endItem();
}

void KtOMLFile::writeSectionStart(const char* section, int oneline) {
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_SECTION, writerSectionIndex(orEmpty(section)));
    return;
  }
  writeIndentation();
  write(orEmpty(section));
  write(": ");
  oneline_ = oneline != 0;
  endItem();
}

void KtOMLFile::writeOpeningBracket() {
  if (binaryMode()) {
    writeBinaryKtChar('{');
  } else {
    writeIndentation();
    write("{");
    endItem();
  }
  if (indent_ < INT16_MAX) ++indent_;
}

void KtOMLFile::writeClosingBracket() {
  if (indent_ > 0) --indent_;
  if (binaryMode()) {
    writeBinaryKtChar('}');
  } else {
    writeIndentation();
    write("}\r\n");
  }
  oneline_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes

void KtOMLFile::writeAttribute(const char* field, int value) {
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_INTEGER, value);
    return;
  }
  write(value);
  endItem();
}

void KtOMLFile::writeAttribute(const char* field, float value) {
  writeAttribute(field, static_cast<double>(value));
}

// "%lf" in full (the formatter's pieces would cut a large number), with the C locale's point.
void KtOMLFile::writeAttribute(const char* field, double value) {
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryReal(value);
    return;
  }
  if (std::isnan(value)) {
    write("0.000000");
  } else if (std::isinf(value)) {
    write(value > 0 ? "1e999" : "-1e999");
  } else {
    char digits[400];
    const std::to_chars_result r =
        std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::fixed, 6);
    *r.ptr = 0;
    write(digits);
  }
  endItem();
}

void KtOMLFile::writeAttribute(const char* field, const char* valueName) {
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_VALUE, valueIDIndex(orEmpty(valueName)));
    return;
  }
  write(orEmpty(valueName));
  endItem();
}

void KtOMLFile::writeStringAttribute(const char* field, const char* text) {
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryText(KT_OML_TAG_STRING, orEmpty(text), true);
    return;
  }
  writeQuoted(orEmpty(text));
  endItem();
}

void KtOMLFile::writeBoolAttribute(const char* field, int value) {
  if (binaryMode()) {
    writeFieldName(field);
    writeBinaryIndex(KT_OML_TAG_VALUE,
                     value != 0 ? 0 : 1);  // the value names true (0) and false (1)
    return;
  }
  writeAttribute(field, value != 0 ? "true" : "false");
}

void KtOMLFile::writeIPBytesAttribute(const char* field, std::uint32_t address) {
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryIndex(KT_OML_TAG_ADDRESS, static_cast<std::int32_t>(address));
    return;
  }
  char text[20];
  ktFormat(text, sizeof text, "%lu.%lu.%lu.%lu", address >> 24, address >> 16 & 255,
           address >> 8 & 255, address & 255);
  write(text);
  endItem();
}

// Up to 16 bytes stand on the attribute's line; longer sequences follow on lines of their own:
// up to 256 bytes in lines of 16 one level deeper, more in lines of 32 without indentation.
void KtOMLFile::writeAttribute(const char* field, const KtOMLBinValue* value) {
  if (value == nullptr) return;
  const std::int32_t n = value->length();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(value->pByteSequence());
  writeFieldName(field);
  if (binaryMode()) {
    writeBinaryKtChar(KT_OML_TAG_BYTES);
    writeBinaryIndex(KT_OML_TAG_INTEGER, n);
    for (std::int32_t done = 0; done < n; done += 200)
      writeBinary(value->pByteSequence() + done, n - done < 200 ? n - done : 200);
    return;
  }
  static const char kHex[] = "0123456789abcdef";
  char line[2 + 2 * 32 + 1];
  auto hexLine = [&](std::int32_t from, std::int32_t count) {
    line[0] = '0';
    line[1] = 'x';
    for (std::int32_t i = 0; i < count; ++i) {
      line[2 + 2 * i] = kHex[bytes[from + i] >> 4];
      line[3 + 2 * i] = kHex[bytes[from + i] & 15];
    }
    line[2 + 2 * count] = 0;
    write(line);
  };
  if (n <= 16) {
    hexLine(0, n);
    endItem();
    return;
  }
  write("\r\n");
  const bool shortSequence = n <= 256;
  const std::int32_t perLine = shortSequence ? 16 : 32;
  for (std::int32_t from = 0; from < n; from += perLine) {
    if (shortSequence) {
      ++indent_;
      const std::uint8_t wasOneline = oneline_;
      oneline_ = 0;
      writeIndentation();
      oneline_ = wasOneline;
      --indent_;
    }
    hexLine(from, n - from < perLine ? n - from : perLine);
    write("\r\n");
  }
}

// The object's bare id when it shares its owner with `context`, else "$" and the ids from the
// top-level object down to it.
void KtOMLFile::writeObjectAddress(const KtOMLObject* object, const KtOMLObject* context) {
  const bool binary = binaryMode();
  if (object == nullptr) {
    if (binary)
      writeBinaryText(KT_OML_TAG_SCOPE, "", false);
    else
      write("$");
    return;
  }
  if (context != nullptr && ownerOf(object) == ownerOf(context)) {
    if (binary) writeBinaryKtChar(KT_OML_TAG_NAME);
    writeInt64(idOf(object));
    if (binary) writeBinaryKtChar(KT_OML_TEXT_END);
    return;
  }
  // The chain's length first, then each id from the top down (the chain is short).
  int depth = 0;
  for (const KtOMLObject* o = object; o != nullptr; o = ownerOf(o)) {
    ++depth;
    if (o == pTopLevelObject_) break;
  }
  if (binary)
    writeBinaryKtChar(KT_OML_TAG_SCOPE);
  else
    write("$");
  for (int level = depth - 1; level >= 0; --level) {
    const KtOMLObject* o = object;
    for (int up = 0; up < level; ++up) o = ownerOf(o);
    if (level != depth - 1) {
      if (binary)
        writeBinaryKtChar(',');
      else
        write(",");
    }
    writeInt64(idOf(o));
  }
  if (binary) writeBinaryKtChar(KT_OML_TEXT_END);
}

void KtOMLFile::writeAttribute(const char* field, KtOMLObject* object, const KtOMLObject* context,
                               int withName) {
  if (object == nullptr || idOf(object) == 0) return;
  if (withName != 0) {
    writeFieldName(field);
  } else if (!binaryMode()) {
    writeIndentation();
  }
  writeObjectAddress(object, context);
  if (!binaryMode()) endItem();
}

void KtOMLFile::writeReferenceAttribute(const char* field, const char* reference) {
  writeFieldName(field);
  const char* text = orEmpty(reference);
  if (binaryMode()) {
    if (text[0] == '$')
      writeBinaryText(KT_OML_TAG_SCOPE, text + 1, false);
    else
      writeBinaryText(KT_OML_TAG_NAME, text, false);
    return;
  }
  write(text);
  endItem();
}
