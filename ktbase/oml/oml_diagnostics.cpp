// The reader's messages: numbered, formatted with their place, counted, collected and limited.
#include <cstdlib>
#include <cstring>

#include "ktbase/files/format.h"
#include "ktbase/files/platform.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_lexer.h"
#include "ktbase/oml/oml_messages.h"

namespace {

std::size_t lengthOf(const char* s) { return s != nullptr ? std::strlen(s) : 0; }

}  // namespace

KtOMLFile::Place KtOMLFile::here() const {
  return Place{fileNameIndex(), nullptr, line(), position()};
}

void KtOMLFile::memoryExhausted() {
  internalErrorMessage(KT_OML_MSG_MEMORY_EXHAUSTED, here(), nullptr, nullptr, nullptr, 1);
}

void KtOMLFile::countInput(std::int64_t bytes) {
  bytesRead_ += bytes;
  if (bytesRead_ < nextProgress_) return;
  nextProgress_ = bytesRead_ + (1 << 20);
  vReadProgress(bytesRead_);
}

void KtOMLFile::vReadProgress(std::int64_t) {}

std::int32_t KtOMLFile::line() const { return pLexer_ != nullptr ? pLexer_->line() : -1; }

int KtOMLFile::position() const { return pLexer_ != nullptr ? pLexer_->position() : -1; }

std::int32_t KtOMLFile::fileNameIndex() const {
  return pLexer_ != nullptr ? pLexer_->fileNameIndex() : -1;
}

const char* KtOMLFile::pFileNameString() const {
  const std::int32_t index = fileNameIndex();
  return index >= 0 ? string(index) : "";
}

char* KtOMLFile::formatMessage(const char* format, const char* a, const char* b, const char* c) {
  const std::size_t size = lengthOf(format) + lengthOf(a) + lengthOf(b) + lengthOf(c) + 1;
  char* text = static_cast<char*>(std::malloc(size));
  if (text != nullptr)
    ktFormat(text, size, format, a != nullptr ? a : "", b != nullptr ? b : "",
             c != nullptr ? c : "");
  return text;
}

// A fatal report ends the input: every character read afterwards is 0, so the reading runs out
// and its own end releases what it holds.
void KtOMLFile::internalErrorMessage(KtOMLMessageEnum code, const Place& place, const char* a,
                                     const char* b, const char* c, int fatal, bool literal) {
  if (fatalError_ != 0) return;
  char* text = literal ? formatMessage("%s", a, nullptr, nullptr)
                       : formatMessage(ktOMLMessageText(code), a, b, c);
  ++numberOfErrors_;
  errorCode_ = KT_FILE_READ_ERROR;
  const bool placed = place.line >= 0;
  const char* file = place.fileName;
  if (file == nullptr) file = placed && place.fileNameIndex >= 0 ? string(place.fileNameIndex) : "";
  vErrorMessage(file, placed ? place.line : -1, placed ? place.position : -1, code,
                text != nullptr ? text : "", fatal);
  std::free(text);
  if (fatal != 0) fatalError_ = 1;
}

void KtOMLFile::internalWarningMessage(KtOMLMessageEnum code, const Place& place,
                                       const char* text) {
  if (fatalError_ != 0) return;
  ++numberOfWarnings_;
  const bool placed = place.line >= 0;
  const char* file = placed && place.fileNameIndex >= 0 ? string(place.fileNameIndex) : "";
  vWarningMessage(file, placed ? place.line : -1, placed ? place.position : -1, code,
                  text != nullptr ? text : ktOMLMessageText(code));
}

void KtOMLFile::vErrorMessage(const char* file, std::int32_t line, int position, int code,
                              const char* text, int fatal) {
  char* message =
      messageLine(ktOMLMessageText(fatal != 0 ? KT_OML_MSG_FATAL_ERROR : KT_OML_MSG_ERROR), code,
                  false, file, line, position, text);
  if (message != nullptr)
    appendToBuffer(pErrorStringBuffer_, errorStringBufferSize_, errorStringLength_, message);
  std::free(message);
  if (fatal == 0 && numberOfErrors_ >= maxNumberOfErrors_)
    internalErrorMessage(KT_OML_MSG_TOO_MANY_ERRORS, nowhere(), nullptr, nullptr, nullptr, 1);
}

void KtOMLFile::vWarningMessage(const char* file, std::int32_t line, int position, int code,
                                const char* text) {
  char* message =
      messageLine(ktOMLMessageText(KT_OML_MSG_WARNING), code, true, file, line, position, text);
  if (message != nullptr)
    appendToBuffer(pWarningStringBuffer_, warningStringBufferSize_, warningStringLength_, message);
  std::free(message);
  if (numberOfWarnings_ >= maxNumberOfWarnings_)
    internalErrorMessage(KT_OML_MSG_TOO_MANY_WARNINGS, nowhere(), nullptr, nullptr, nullptr, 1);
}

char* KtOMLFile::messageLine(const char* severity, int code, bool warning, const char* file,
                             std::int32_t line, int position, const char* text) {
  const std::size_t room = lengthOf(severity) + lengthOf(file) + lengthOf(text) + 64;
  char* message = static_cast<char*>(std::malloc(room));
  if (message == nullptr) return nullptr;
  if (line >= 0)
    ktFormat(message, room, "%s #%03d (%s:%ld:%d) %s !\n", severity, code,
             file != nullptr ? file : "", line, position, text != nullptr ? text : "");
  else
    ktFormat(message, room, warning ? "%s #%3d %s !\n" : "%s #%03d %s !\n", severity, code,
             text != nullptr ? text : "");
  return message;
}

// Text is copied while the buffer's text stays below size - 6 characters; what is cut off is
// marked with "...\n" when that fits with the terminator. The length is kept beside the buffer
// and measured again when the buffer was changed from outside.
void KtOMLFile::appendToBuffer(char* buffer, unsigned int size, unsigned int& length,
                               const char* text) {
  if (buffer == nullptr || size < 2) return;
  if (length >= size || buffer[length] != 0)
    length = static_cast<unsigned int>(strnlen(buffer, size - 1));
  const std::size_t limit = size >= 6 ? size - 6 : 0;
  std::size_t n = std::strlen(text);
  const std::size_t fits = length < limit ? limit - length : 0;
  const bool cut = n > fits;
  if (cut) n = fits;
  std::memcpy(buffer + length, text, n);
  length += static_cast<unsigned int>(n);
  buffer[length] = 0;
  if (cut && length + 5 <= size) {
    std::memcpy(buffer + length, "...\n", 5);
    length += 4;
  }
}

namespace {

char* replaceBuffer(char*& buffer, unsigned int& bufferSize, unsigned int& length, int size) {
  if (size < 0) return buffer;
  std::free(buffer);
  buffer = size > 0 ? static_cast<char*>(std::malloc(static_cast<std::size_t>(size))) : nullptr;
  bufferSize = buffer != nullptr ? static_cast<unsigned int>(size) : 0;
  if (buffer != nullptr) buffer[0] = 0;
  length = 0;
  return buffer;
}

}  // namespace

char* KtOMLFile::pErrorStringBuffer(int size) {
  return replaceBuffer(pErrorStringBuffer_, errorStringBufferSize_, errorStringLength_, size);
}

char* KtOMLFile::pWarningStringBuffer(int size) {
  return replaceBuffer(pWarningStringBuffer_, warningStringBufferSize_, warningStringLength_, size);
}
