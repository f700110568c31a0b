// The reader's lowest layer: input files, characters and tokens, in both encodings.
//
// Text is read a line at a time into the innermost file's line buffer; every line ends in one
// line feed. Runs of characters (names, digits, string text, comments) are scanned straight in
// that buffer; a token is assembled in the scratch text, and token records are recycled, so the
// hot path allocates nothing per character or token.
#include <locale.h>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/files/posix_io.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_messages.h"
#include "ktbase/oml/oml_static.h"

namespace {

// Open input files, nested; more is a runaway chain of includes.
constexpr int kMaxOpenFiles = 64;
// Open brackets; more would only serve to exhaust memory.
constexpr int kMaxBrackets = 1000000;
// Token records are recycled, except under AddressSanitizer, which is to see every use of a
// token after its release.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRecycleTokens = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kRecycleTokens = false;
#else
constexpr bool kRecycleTokens = true;
#endif
#else
constexpr bool kRecycleTokens = true;
#endif
// The block a binary file is read in.
constexpr int kBinaryBlock = 4096;
// Multi-byte items of the binary encoding are built here before they become tokens.
constexpr std::int32_t kMaxScratch = INT32_MAX - 1;

enum : unsigned char { kSpace = 1, kIdentStart = 2, kIdent = 4, kDigit = 8, kHex = 16 };

constexpr unsigned char classOf(int c) {
  unsigned char bits = 0;
  if (c == ' ' || c == '\t' || c == '\n') bits |= kSpace;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') bits |= kIdentStart | kIdent;
  if (c >= '0' && c <= '9') bits |= kIdent | kDigit | kHex;
  if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) bits |= kHex;
  return bits;
}

struct ClassTable {
  unsigned char bits[256];
  constexpr ClassTable() : bits() {
    for (int c = 0; c < 256; ++c) bits[c] = classOf(c);
  }
};
constexpr ClassTable kClasses;

inline bool is(char c, unsigned char bits) {
  return (kClasses.bits[static_cast<unsigned char>(c)] & bits) != 0;
}

inline int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool isOpening(char c) { return c == '(' || c == '<' || c == '[' || c == '{'; }
bool isClosing(char c) { return c == ')' || c == '>' || c == ']' || c == '}'; }

char partnerOf(char opening) {
  switch (opening) {
    case '(':
      return ')';
    case '<':
      return '>';
    case '[':
      return ']';
    default:
      return '}';
  }
}

// The decimal text of a number as a double, independent of the program's locale. Beyond the
// range of a double the C library decides (infinity, or 0 and denormals).
double toDouble(const char* text, std::int32_t length) {
  const char* begin = text;
  if (length > 0 && *begin == '+') ++begin;
  double value = 0;
  std::from_chars_result r = std::from_chars(begin, text + length, value);
  if (r.ec == std::errc::result_out_of_range) {
    locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    if (c != static_cast<locale_t>(0)) {
      value = strtod_l(text, nullptr, c);
      freelocale(c);
    }
  }
  return value;
}

// The digits of a run as a 32-bit value, wrapping as a 32-bit counter does.
std::uint32_t wrappedValue(const char* digits, std::int32_t n) {
  std::uint32_t value = 0;
  for (std::int32_t i = 0; i < n; ++i)
    value = value * 10u + static_cast<std::uint32_t>(digits[i] - '0');
  return value;
}

// The value of a run of digits, saturated at 256 (only 0..255 matter where it is used).
int smallValue(const char* digits, std::int32_t n) {
  int value = 0;
  for (std::int32_t i = 0; i < n && value < 256; ++i) value = value * 10 + (digits[i] - '0');
  return value < 256 ? value : 256;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Input files

void KtOMLFile::pushFile(const char* name) {
  if (fatalError_ || name == nullptr) return;
  const Place place = here();
  KtOpenFileList* record =
      openFileCount_ < kMaxOpenFiles ? new (std::nothrow) KtOpenFileList : nullptr;
  const KtFileModeEnum mode = saveMode_ == KT_FILE_READ_BINARY || saveMode_ == KT_FILE_READ_ASCII
                                  ? saveMode_
                                  : KT_FILE_READ;
  bool opened = record != nullptr && record->file.open(name, mode) == KT_FILE_OK;
  if (opened && ktFileIdentity(record->file.fileHandle(), &record->device, &record->inode)) {
    // The same file under another name further down the stack: an include cycle.
    for (KtOpenFileList* f = pFileDescriptor_; f != nullptr && opened; f = f->pNext)
      opened = !(f->device == record->device && f->inode == record->inode);
  } else if (opened) {
    record->device = record->inode = 0;
  }
  if (!opened) {
    delete record;
    internalErrorMessage(KT_OML_MSG_CANNOT_OPEN, place, name, nullptr, nullptr, 1);
    errorCode_ = KT_FILE_OPEN_ERROR;
    return;
  }
  record->fileNameIndex = storeStringIndex(name);
  record->line = 0;
  record->position = 0;
  record->pCurrent = nullptr;
  record->pBlock = nullptr;
  record->pBinary = nullptr;
  record->binaryCount = 0;
  record->pNext = pFileDescriptor_;
  pFileDescriptor_ = record;
  ++openFileCount_;
}

void KtOMLFile::popFile() {
  KtOpenFileList* record = pFileDescriptor_;
  if (record == nullptr) return;
  pPreviousPathName(record->file.pPathName());
  if (record->file.close() != KT_FILE_OK) {
    internalErrorMessage(KT_OML_MSG_CANNOT_CLOSE, here(), nullptr, nullptr, nullptr, 1);
    errorCode_ = KT_FILE_CLOSE_ERROR;
  }
  pFileDescriptor_ = record->pNext;
  --openFileCount_;
  std::free(record->pBlock);
  delete record;
}

// A read that fails (rather than ending) makes the reading's result 4.
bool KtOMLFile::nextLine(KtOpenFileList* f) {
  f->pCurrent = nullptr;
  if (f->file.endOfFile()) return false;
  if (f->file.readString(f->lineBuffer) != KT_FILE_OK) {
    if (f->file.error() && !f->file.endOfFile()) {
      errorCode_ = KT_FILE_READ_ERROR;
      error(1);
    }
    return false;
  }
  const std::int32_t n = f->lineBuffer.strlenBuf();
  countInput(n);
  if (n == 0 || f->lineBuffer.pString()[n - 1] != '\n') f->lineBuffer.appendChar('\n');
  if (f->line < INT32_MAX) ++f->line;
  f->position = 0;
  f->pCurrent = f->lineBuffer.pString();
  return true;
}

bool KtOMLFile::nextBinaryBuffer(KtOpenFileList* f) {
  f->binaryCount = 0;
  if (f->file.endOfFile()) return false;
  if (f->pBlock == nullptr) {
    f->pBlock = static_cast<char*>(std::malloc(kBinaryBlock));
    if (f->pBlock == nullptr) {
      memoryExhausted();
      return false;
    }
  }
  int count = kBinaryBlock;
  if (f->file.readBinary(f->pBlock, count) != KT_FILE_OK) {
    if (f->file.error() && !f->file.endOfFile()) {
      errorCode_ = KT_FILE_READ_ERROR;
      error(1);
    }
    return false;
  }
  f->pBinary = f->pBlock;
  f->binaryCount = count;
  countInput(count);
  return count > 0;
}

void KtOMLFile::countInput(std::int64_t bytes) {
  bytesRead_ += bytes;
  if (bytesRead_ < nextProgress_) return;
  nextProgress_ = bytesRead_ + (1 << 20);
  vReadProgress(bytesRead_);
}

void KtOMLFile::vReadProgress(std::int64_t) {}

inline KtOpenFileList* KtOMLFile::source() const {
  return pAuxCLIBuffer_ != nullptr ? pAuxFile_ : pFileDescriptor_;
}

inline char KtOMLFile::nextChar() {
  for (;;) {
    KtOpenFileList* f = source();
    if (f == nullptr || fatalError_) return 0;
    if (f->pCurrent != nullptr && *f->pCurrent != 0) {
      ++f->position;
      return *f->pCurrent++;
    }
    if (f == pAuxFile_) return 0;
    if (!nextLine(f)) popFile();
  }
}

inline char KtOMLFile::nextCharInFile() {
  KtOpenFileList* f = source();
  if (f == nullptr || fatalError_) return 0;
  while (f->pCurrent == nullptr || *f->pCurrent == 0)
    if (f == pAuxFile_ || !nextLine(f)) return 0;
  ++f->position;
  return *f->pCurrent++;
}

inline char KtOMLFile::lookAheadChar() const {
  KtOpenFileList* f = source();
  return f != nullptr && f->pCurrent != nullptr && !fatalError_ ? *f->pCurrent : 0;
}

inline char KtOMLFile::nextBinaryChar() {
  for (;;) {
    KtOpenFileList* f = pFileDescriptor_;
    if (f == nullptr || fatalError_) return 0;
    if (f->binaryCount > 0) {
      --f->binaryCount;
      if (f->line < INT32_MAX) ++f->line;
      return *f->pBinary++;
    }
    if (!nextBinaryBuffer(f)) popFile();
  }
}

inline bool KtOMLFile::nextBinaryByteInFile(unsigned char& byte) {
  KtOpenFileList* f = pFileDescriptor_;
  if (f == nullptr || fatalError_) return false;
  if (f->binaryCount == 0 && !nextBinaryBuffer(f)) return false;
  --f->binaryCount;
  if (f->line < INT32_MAX) ++f->line;
  byte = static_cast<unsigned char>(*f->pBinary++);
  return true;
}

std::int32_t KtOMLFile::line() const {
  const KtOpenFileList* f = source();
  return f != nullptr && f != pAuxFile_ ? f->line : -1;
}

int KtOMLFile::position() const {
  const KtOpenFileList* f = source();
  return f != nullptr && f != pAuxFile_ ? f->position : -1;
}

std::int32_t KtOMLFile::fileNameIndex() const {
  const KtOpenFileList* f = source();
  return f != nullptr && f != pAuxFile_ ? f->fileNameIndex : -1;
}

const char* KtOMLFile::pFileNameString() const {
  const std::int32_t index = fileNameIndex();
  return index >= 0 && pStringPool_ != nullptr ? pStringPool_->decode(index) : "";
}

// ---------------------------------------------------------------------------------------------
// Scratch text and tokens

bool KtOMLFile::scratchReserve(std::int64_t more) {
  const std::int64_t needed = static_cast<std::int64_t>(scratchLength_) + more + 1;
  if (needed <= scratchCapacity_) return true;
  if (needed > kMaxScratch) {
    memoryExhausted();
    return false;
  }
  std::int64_t capacity = scratchCapacity_ < 254 ? 254 : scratchCapacity_;
  while (capacity < needed) capacity *= 2;
  if (capacity > kMaxScratch) capacity = kMaxScratch;
  char* grown = static_cast<char*>(std::realloc(scratch_, static_cast<std::size_t>(capacity)));
  if (grown == nullptr) {
    memoryExhausted();
    return false;
  }
  scratch_ = grown;
  scratchCapacity_ = static_cast<std::int32_t>(capacity);
  return true;
}

bool KtOMLFile::scratchReset() {
  scratchLength_ = 0;
  return scratchReserve(0);
}

bool KtOMLFile::scratchAppend(const char* text, std::int64_t n) {
  if (!scratchReserve(n)) return false;
  std::memcpy(scratch_ + scratchLength_, text, static_cast<std::size_t>(n));
  scratchLength_ += static_cast<std::int32_t>(n);
  return true;
}

void KtOMLFile::memoryExhausted() {
  internalErrorMessage(KT_OML_MSG_MEMORY_EXHAUSTED, here(), nullptr, nullptr, nullptr, 1);
}

KtOMLToken* KtOMLFile::newToken(KtOMLTokenTagEnum tag, std::int32_t value) {
  KtOMLToken* token =
      spareTokenCount_ > 0 ? spareTokens_[--spareTokenCount_] : new (std::nothrow) KtOMLToken;
  if (token == nullptr) {
    memoryExhausted();
    return nullptr;
  }
  token->set(tag, value);
  token->unknownField(0);
  const KtOpenFileList* f = source();
  if (f != nullptr && f != pAuxFile_)
    token->place(f->fileNameIndex, f->line, saveMode_ == KT_FILE_READ_BINARY ? 0 : f->position);
  else
    token->place(-1, -1, -1);
  return token;
}

void KtOMLFile::releaseToken(KtOMLToken* token) {
  if (token == nullptr) return;
  token->releaseValue();
  if (spareTokenCount_ < kSpareTokens && kRecycleTokens)
    spareTokens_[spareTokenCount_++] = token;
  else
    delete token;
}

// ---------------------------------------------------------------------------------------------
// Brackets

void KtOMLFile::pushBracket(char kind) {
  if (bracketLevel_ == bracketCapacity_) {
    const int capacity = bracketCapacity_ < 64 ? 64 : std::min(bracketCapacity_ * 2, kMaxBrackets);
    KtBracketList* grown =
        capacity > bracketCapacity_
            ? static_cast<KtBracketList*>(std::realloc(
                  pBracketStack_, static_cast<std::size_t>(capacity) * sizeof(KtBracketList)))
            : nullptr;
    if (grown == nullptr) {
      memoryExhausted();
      return;
    }
    pBracketStack_ = grown;
    bracketCapacity_ = capacity;
  }
  const KtOpenFileList* f = source();
  const bool placed = f != nullptr && f != pAuxFile_;
  pBracketStack_[bracketLevel_++] =
      KtBracketList{kind, placed ? f->fileNameIndex : -1, placed ? f->line : -1,
                    placed ? (saveMode_ == KT_FILE_READ_BINARY ? 0 : f->position) : -1};
}

void KtOMLFile::popBracket(char kind) {
  if (bracketLevel_ == 0) {
    internalErrorMessage(KT_OML_MSG_UNOPENED_BRACKET, here());
    return;
  }
  const KtBracketList& opening = pBracketStack_[--bracketLevel_];
  if (partnerOf(opening.kind) != kind) {
    internalWarningMessage(KT_OML_MSG_BRACKET_LEFT_DIFFERENT,
                           Place{opening.fileNameIndex, nullptr, opening.line, opening.position});
    internalWarningMessage(KT_OML_MSG_BRACKET_RIGHT_DIFFERENT, here());
  }
}

void KtOMLFile::trackBracket(char c) {
  if (isOpening(c))
    pushBracket(c);
  else if (isClosing(c))
    popBracket(c);
}

KtOMLToken* KtOMLFile::checkCharToken(char c) {
  if (isOpening(c)) {
    pushBracket(c);
    return newToken(OML_TOKEN_OPEN_BRACKET, c);
  }
  if (isClosing(c)) {
    popBracket(c);
    return newToken(OML_TOKEN_CLOSE_BRACKET, c);
  }
  if (c == ':' || c == '=') return newToken(OML_TOKEN_ASSIGN, c);
  if (c == ';') return newToken(OML_TOKEN_SEMICOLON, c);
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The token stream

KtOMLToken* KtOMLFile::lookAheadToken() {
  if (pLookAheadToken_ != nullptr) return pLookAheadToken_;
  if (ignoreField_ != 0) {
    ignoreField_ = 0;
    skipRestOfLine();
  }
  if (bracketSkipLevel_ >= 0) {
    const int level = bracketSkipLevel_;
    bracketSkipLevel_ = -1;
    skipBlock(level);
  }
  const bool binary = saveMode_ == KT_FILE_READ_BINARY;
  KtOMLToken* token = nullptr;
  while (token == nullptr && !fatalError_) {
    if (binary) {
      const char tag = nextBinaryChar();
      if (pFileDescriptor_ == nullptr || fatalError_) break;  // the end of all input
      token = checkCharToken(tag);
      if (token == nullptr) token = readBinaryToken(static_cast<unsigned char>(tag));
      if (token == nullptr && fatalError_) break;
      if (token == nullptr) continue;  // a truncated item, reported; read on
    } else {
      const char c = skipTextWhiteSpace();
      if (c == 0) break;
      token = checkCharToken(c);
      if (token == nullptr) token = readTextToken(c);
      if (token == nullptr) break;  // memory exhausted: fatal
    }
  }
  if (token == nullptr) {
    // The end of all input, reported once: the open brackets are forgotten.
    if (bracketLevel_ > 0) {
      const KtBracketList& open = pBracketStack_[bracketLevel_ - 1];
      internalErrorMessage(KT_OML_MSG_UNCLOSED_BRACKET,
                           pAuxCLIBuffer_ != nullptr
                               ? nowhere()
                               : Place{open.fileNameIndex, nullptr, open.line, open.position});
      bracketLevel_ = 0;
    }
    return nullptr;
  }
  if (pAuxCLIBuffer_ != nullptr && pAuxFile_ != nullptr && *pAuxCLIBuffer_ != nullptr) {
    // The aux text keeps only what is unread.
    std::memmove(*pAuxCLIBuffer_, pAuxFile_->pCurrent, std::strlen(pAuxFile_->pCurrent) + 1);
    pAuxFile_->pCurrent = *pAuxCLIBuffer_;
  }
  pLookAheadToken_ = token;
  return token;
}

KtOMLToken* KtOMLFile::nextToken() {
  KtOMLToken* token = lookAheadToken();
  pLookAheadToken_ = nullptr;
  if (token == nullptr || token->tag() != OML_TOKEN_BINVALUE) return token;
  for (KtOMLToken* next = lookAheadToken(); next != nullptr && next->tag() == OML_TOKEN_BINVALUE;
       next = lookAheadToken()) {
    pLookAheadToken_ = nullptr;
    KtOMLBinValue* value = token->pBinValue();
    const std::int64_t expected =
        static_cast<std::int64_t>(value->length()) + next->pBinValue()->length();
    value->concat(next->pBinValue());
    releaseToken(next);
    if (value->length() != expected) {
      memoryExhausted();
      break;
    }
  }
  return token;
}

// The words and strings of a skipped block are read but not stored.
void KtOMLFile::skipBlock(int level) {
  ++skipping_;
  while (bracketLevel_ >= level && !fatalError_) {
    KtOMLToken* token = lookAheadToken();
    pLookAheadToken_ = nullptr;
    if (token == nullptr) break;
    releaseToken(token);
  }
  --skipping_;
}

// Text: the rest of the current line. Binary, which has no lines: the next item, with its block
// when it is a bracket.
void KtOMLFile::skipRestOfLine() {
  if (saveMode_ == KT_FILE_READ_BINARY) {
    ++skipping_;
    KtOMLToken* token = lookAheadToken();
    pLookAheadToken_ = nullptr;
    const bool block = token != nullptr && token->tag() == OML_TOKEN_OPEN_BRACKET;
    releaseToken(token);
    if (block) skipBlock(bracketLevel_);
    --skipping_;
    return;
  }
  KtOpenFileList* f = source();
  if (f == nullptr || f->pCurrent == nullptr) return;
  const char* end = std::strchr(f->pCurrent, '\n');
  end = end != nullptr ? end + 1 : f->pCurrent + std::strlen(f->pCurrent);
  f->position += static_cast<std::int32_t>(end - f->pCurrent);
  f->pCurrent = end;
}

// Takes the first character of the next token; 0 at the end of all input. White space and
// comments are passed over in the line buffer itself, a run at a time.
char KtOMLFile::skipTextWhiteSpace() {
  for (;;) {
    KtOpenFileList* f = source();
    if (f == nullptr || fatalError_) return 0;
    const char* p = f->pCurrent;
    if (p == nullptr || *p == 0) {
      if (f == pAuxFile_) return 0;
      if (!nextLine(f)) popFile();
      continue;
    }
    const char* q = p;
    while (is(*q, kSpace)) ++q;
    f->position += static_cast<std::int32_t>(q - p);
    f->pCurrent = q;
    const char c = *q;
    if (c == 0) continue;
    if (c == '#' || (c == '/' && q[1] == '/')) {
      skipRestOfLine();
      continue;
    }
    f->pCurrent = q + 1;
    ++f->position;
    if (c != '/' || q[1] != '*') return c;
    // A block comment: it ends at "*/", or with its file.
    const Place start{f->fileNameIndex, nullptr, f->line, f->position};
    f->pCurrent = q + 2;
    ++f->position;
    bool closed = false;
    for (char d = nextCharInFile(); d != 0; d = nextCharInFile()) {
      if (d == '*' && lookAheadChar() == '/') {
        nextChar();
        closed = true;
        break;
      }
    }
    if (!closed) internalErrorMessage(KT_OML_MSG_UNTERMINATED_COMMENT, start);
  }
}

KtOMLToken* KtOMLFile::readTextToken(char c) {
  if (c == '"') return readTextString();
  if (c == '$') return readTextFullScope();
  if (c == '.') return readTextPointReal();
  if (c == '+' || c == '-' || is(c, kDigit)) return readTextNumber(c);
  if (is(c, kIdentStart)) return readTextIdentifier(c);
  return newToken(OML_TOKEN_ERROR, static_cast<unsigned char>(c));
}

// ---------------------------------------------------------------------------------------------
// Text tokens

namespace {

// The length of the run of characters of class `bits` at p.
inline std::int32_t runLength(const char* p, unsigned char bits) {
  const char* q = p;
  while (is(*q, bits)) ++q;
  return static_cast<std::int32_t>(q - p);
}

}  // namespace

std::int32_t KtOMLFile::takeRun(unsigned char classes) {
  KtOpenFileList* f = source();
  if (f == nullptr || f->pCurrent == nullptr || fatalError_) return 0;
  const std::int32_t n = runLength(f->pCurrent, classes);
  if (n > 0 && !scratchAppend(f->pCurrent, n)) return 0;
  f->pCurrent += n;
  f->position += n;
  return n;
}

KtOMLToken* KtOMLFile::readTextString() {
  const Place start{fileNameIndex(), nullptr, line(), position()};
  if (!scratchReset()) return nullptr;
  bool closed = false;
  while (!closed && !fatalError_) {
    KtOpenFileList* f = source();
    if (f == nullptr) break;
    if (f->pCurrent == nullptr || *f->pCurrent == 0) {
      if (f == pAuxFile_ || !nextLine(f)) break;  // the string ends with its file
      continue;
    }
    const char* p = f->pCurrent;
    const char* q = p;
    while (*q != 0 && *q != '"' && *q != '\\') ++q;
    if (!scratchAppend(p, q - p)) break;
    f->position += static_cast<std::int32_t>(q - p);
    f->pCurrent = q;
    if (*q == '"') {
      nextChar();
      closed = true;
    } else if (*q == '\\') {
      nextChar();
      scratchPush('\\');
      const char escaped = nextCharInFile();  // taken as it stands, a quote included
      if (escaped != 0) scratchPush(escaped);
    }
  }
  if (fatalError_) return nullptr;
  if (!closed) internalErrorMessage(KT_OML_MSG_UNTERMINATED_STRING, start);
  if (fatalError_) return nullptr;
  if (skipping_ != 0) return newToken(OML_TOKEN_STRING, -1);
  const std::int32_t index = storeStringIndex(removeEscapeSequences(scratchText()));
  if (index < 0) {
    memoryExhausted();
    return nullptr;
  }
  return newToken(OML_TOKEN_STRING, index);
}

char* KtOMLFile::removeEscapeSequences(char* text) {
  char* out = text;
  for (const char* in = text; *in != 0;) {
    if (*in != '\\') {
      *out++ = *in++;
      continue;
    }
    ++in;
    const char c = *in;
    if (c == 0) break;  // a backslash at the very end stands for nothing
    ++in;
    switch (c) {
      case 'a':
        *out++ = 7;
        break;
      case 'b':
        *out++ = 8;
        break;
      case 'f':
        *out++ = 12;
        break;
      case 'n':
        *out++ = 10;
        break;
      case 'r':
        *out++ = 13;
        break;
      case 't':
        *out++ = 9;
        break;
      case 'v':
        *out++ = 11;
        break;
      case 'x': {
        if (!is(*in, kHex)) {  // \x without digits is an x
          *out++ = 'x';
          break;
        }
        int code = hexValue(*in++);
        if (is(*in, kHex)) code = code * 16 + hexValue(*in++);
        *out++ = static_cast<char>(code);
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          int code = c - '0';
          for (int k = 0; k < 2 && *in >= '0' && *in <= '7'; ++k) code = code * 8 + (*in++ - '0');
          *out++ = static_cast<char>(code);
        } else {
          *out++ = c;
        }
    }
  }
  *out = 0;
  return text;
}

KtOMLToken* KtOMLFile::readTextIdentifier(char first) {
  if (!scratchReset()) return nullptr;
  scratchPush(first);
  takeRun(kIdent);
  if (fatalError_) return nullptr;
  const char next = lookAheadChar();
  if (next == ',' || next == '|') return readTextScopeRest();
  return classifyIdentifier(scratchText());
}

// Object types, then sections (the grammar's, then those declared in the file), then the
// grammar's fields, the declared fields and the enumeration values; anything else is an object
// id. In unchecked mode every word is a field.
namespace {

// The hash of one word for every number of chains it is looked up with: each is computed once,
// on first need, and serves every pool of that size.
class WordHashes {
 public:
  explicit WordHashes(const char* word) : word_(word) {}
  std::int32_t find(const KtStringPool* pool, std::int32_t chains) {
    if (pool == nullptr) return -1;
    for (int i = 0; i < count_; ++i)
      if (chains_[i] == chains) return pool->lookup(word_, hashes_[i]);
    const std::int32_t hash = pool->hash(word_);
    if (count_ < kSizes) {
      chains_[count_] = chains;
      hashes_[count_++] = hash;
    }
    return pool->lookup(word_, hash);
  }

 private:
  static constexpr int kSizes = 6;
  const char* word_;
  std::int32_t chains_[kSizes];
  std::int32_t hashes_[kSizes];
  int count_ = 0;
};

}  // namespace

// A word's class does not change while the pools only grow, except when a name is declared:
// short words keep their answer in a small cache, emptied by every declaration.
struct KtOMLFile::WordCacheEntry {
  char word[16];
  std::uint8_t length;  // 0: empty
  std::uint8_t tag;
  std::uint8_t unknownField;
  std::int32_t index;
};

namespace {

std::uint32_t wordSlot(const char* word, std::int32_t length) {
  std::uint32_t h = static_cast<std::uint32_t>(length) * 0x9E3779B1u;
  for (std::int32_t i = 0; i < length; ++i)
    h = (h ^ static_cast<unsigned char>(word[i])) * 0x01000193u;
  return h >> 24;
}

}  // namespace

void KtOMLFile::forgetWords() {
  if (wordCache_ != nullptr)
    for (int i = 0; i < kWordCacheSize; ++i) wordCache_[i].length = 0;
}

// Object types, then sections (the grammar's, then those declared in the file), then the
// grammar's fields, the declared fields and the enumeration values; anything else is an object
// id. In unchecked mode every word is a field.
KtOMLToken* KtOMLFile::classifyIdentifier(const char* word) {
  if (skipping_ != 0) return newToken(OML_TOKEN_SCOPE, -1);
  const std::int32_t length = static_cast<std::int32_t>(std::strlen(word));
  WordCacheEntry* cached = nullptr;
  if (inUncheckedSection_ == 0 && length < 16) {
    if (wordCache_ == nullptr) {
      wordCache_ =
          static_cast<WordCacheEntry*>(std::calloc(kWordCacheSize, sizeof(WordCacheEntry)));
    }
    if (wordCache_ != nullptr) {
      cached = &wordCache_[wordSlot(word, length)];
      if (cached->length == length &&
          std::memcmp(cached->word, word, static_cast<std::size_t>(length)) == 0) {
        KtOMLToken* token = newToken(static_cast<KtOMLTokenTagEnum>(cached->tag), cached->index);
        if (token != nullptr) token->unknownField(cached->unknownField);
        return token;
      }
    }
  }
  KtOMLToken* token = classifyNewIdentifier(word);
  if (cached != nullptr && token != nullptr) {
    std::memcpy(cached->word, word, static_cast<std::size_t>(length));
    cached->length = static_cast<std::uint8_t>(length);
    cached->tag = static_cast<std::uint8_t>(token->tag());
    cached->unknownField = static_cast<std::uint8_t>(token->unknownField());
    cached->index = token->index();
  }
  return token;
}

KtOMLToken* KtOMLFile::classifyNewIdentifier(const char* word) {
  const KtOMLStatic* g = pOMLStatic_;
  if (inUncheckedSection_ != 0) {
    std::int32_t index =
        g != nullptr && g->pFieldIDPool() != nullptr ? g->pFieldIDPool()->lookup(word) : -1;
    if (index < 0) index = storeFieldIDIndex(word);
    return newToken(index >= 0 ? OML_TOKEN_FIELD : OML_TOKEN_ERROR, index >= 0 ? index : 0);
  }
  WordHashes hashes(word);
  if (g != nullptr) {
    std::int32_t index = hashes.find(g->pObjTypeIDPool(), g->objTypeIDHashSize());
    if (index >= 0) return newToken(OML_TOKEN_OBJTYPE, index);
    if ((index = hashes.find(g->pSectionIDPool(), g->sectionIDHashSize())) >= 0)
      return newToken(OML_TOKEN_SECTION, index);
    if ((index = hashes.find(pUnknownSectionIDPool_, g->sectionIDHashSize())) >= 0)
      return newToken(OML_TOKEN_SECTION, grammarSectionCount() + index);
    if ((index = hashes.find(g->pFieldIDPool(), g->fieldIDHashSize())) >= 0)
      return newToken(OML_TOKEN_FIELD, index);
    if ((index = hashes.find(pUnknownFieldIDPool_, g->fieldIDHashSize())) >= 0) {
      KtOMLToken* token = newToken(OML_TOKEN_FIELD, index);
      if (token != nullptr) token->unknownField(1);
      return token;
    }
    if ((index = hashes.find(g->pValueIDPool(), g->valueIDHashSize())) >= 0)
      return newToken(OML_TOKEN_VALUE, index);
  }
  const std::int32_t index = g != nullptr && pObjectIDPool_ != nullptr
                                 ? pObjectIDPool_->update(word, pObjectIDPool_->hash(word))
                                 : storeObjectIDIndex(word);
  if (index < 0) {
    memoryExhausted();
    return nullptr;
  }
  return newToken(OML_TOKEN_SCOPE, index);
}

// One component behind a separator: an integer (optionally signed) or a name.
bool KtOMLFile::readTextScopeComponent() {
  const char c = lookAheadChar();
  if (c == '+' || c == '-') {
    scratchPush(nextChar());
    return takeRun(kDigit) > 0;
  }
  if (is(c, kDigit)) return takeRun(kDigit) > 0;
  if (is(c, kIdentStart)) return takeRun(kIdent) > 0;
  return false;
}

KtOMLToken* KtOMLFile::readTextScopeRest() {
  for (char c = lookAheadChar(); c == ',' || c == '|'; c = lookAheadChar()) {
    nextChar();
    scratchPush(',');
    if (!readTextScopeComponent()) return fatalError_ ? nullptr : newToken(OML_TOKEN_ERROR, 0);
  }
  if (fatalError_) return nullptr;
  if (skipping_ != 0) return newToken(OML_TOKEN_SCOPE, -1);
  const std::int32_t index = storeObjectIDIndex(scratchText());
  if (index < 0) {
    memoryExhausted();
    return nullptr;
  }
  return newToken(OML_TOKEN_SCOPE, index);
}

// "$" is the root; "$x", "$,x" and "$|x" all name its child x.
KtOMLToken* KtOMLFile::readTextFullScope() {
  if (!scratchReset()) return nullptr;
  scratchPush('$');
  const char c = lookAheadChar();
  if (is(c, kIdent) || c == '+' || c == '-') {
    scratchPush(',');
    if (!readTextScopeComponent()) return fatalError_ ? nullptr : newToken(OML_TOKEN_ERROR, 0);
  }
  return readTextScopeRest();
}

// A number that begins with a digit or a sign: an integer, a real, the first component of a
// scope, and (beginning with a digit) a binary sequence after 0x or an IP address.
KtOMLToken* KtOMLFile::readTextNumber(char first) {
  if (!scratchReset()) return nullptr;
  scratchPush(first);
  const bool hasSign = first == '+' || first == '-';
  const std::int32_t digits = (hasSign ? 0 : 1) + takeRun(kDigit);
  if (fatalError_) return nullptr;
  const char next = lookAheadChar();
  if (digits == 0) return next == '.' ? readTextRealRest(true) : newToken(OML_TOKEN_ERROR, 0);
  const char* run = scratch_ + (hasSign ? 1 : 0);
  if (!hasSign && next == 'x' && wrappedValue(run, digits) == 0 && smallValue(run, digits) == 0) {
    nextChar();
    return readTextBinValue();
  }
  if (!hasSign && next == '.' && smallValue(run, digits) <= 255)
    return readTextAddressOrReal(digits);
  if (next == ',' || next == '|') return readTextScopeRest();
  if (next == '.' || next == 'e' || next == 'E') return readTextRealRest(true);
  const std::uint32_t magnitude = wrappedValue(run, digits);
  return newToken(OML_TOKEN_INTEGER,
                  static_cast<std::int32_t>(first == '-' ? 0u - magnitude : magnitude));
}

// After a first component of 0..255 and a point: four components of 0..255 are an IP address;
// one point is a real; two or three components, or one beyond 255, are an error.
KtOMLToken* KtOMLFile::readTextAddressOrReal(std::int32_t firstDigits) {
  nextChar();
  scratchPush('.');
  const std::int32_t secondDigits = takeRun(kDigit);
  if (lookAheadChar() != '.') return readTextRealRest(false);
  int parts[4] = {smallValue(scratch_, firstDigits),
                  smallValue(scratch_ + firstDigits + 1, secondDigits), 0, 0};
  bool valid = secondDigits > 0 && parts[1] <= 255;
  int count = 2;
  while (count < 4 && lookAheadChar() == '.') {
    nextChar();
    const std::int32_t start = scratchLength_;
    const std::int32_t n = takeRun(kDigit);
    parts[count++] = smallValue(scratch_ + start, n);
    valid = valid && n > 0 && parts[count - 1] <= 255;
  }
  if (fatalError_) return nullptr;
  if (count < 4 || !valid) return newToken(OML_TOKEN_ERROR, 0);
  std::uint32_t address = 0;
  for (int part : parts) address = address << 8 | static_cast<std::uint32_t>(part);
  return newToken(OML_TOKEN_IPADDRESS, static_cast<std::int32_t>(address));
}

// The rest of a real after what the scratch text holds: a fraction when `fraction` is set and a
// point follows, then an exponent. Without any digit the text is no number.
KtOMLToken* KtOMLFile::readTextRealRest(bool fraction) {
  if (fraction && lookAheadChar() == '.') {
    nextChar();
    scratchPush('.');
    takeRun(kDigit);
  }
  const char e = lookAheadChar();
  if (e == 'e' || e == 'E') {
    scratchPush(nextChar());
    const char sign = lookAheadChar();
    if (sign == '+' || sign == '-') scratchPush(nextChar());
    takeRun(kDigit);
  }
  if (fatalError_) return nullptr;
  bool hasDigit = false;
  for (std::int32_t i = 0; i < scratchLength_ && scratch_[i] != 'e' && scratch_[i] != 'E'; ++i)
    hasDigit = hasDigit || is(scratch_[i], kDigit);
  if (!hasDigit) return newToken(OML_TOKEN_ERROR, 0);
  KtOMLToken* token = newToken(OML_TOKEN_REAL, 0);
  if (token != nullptr) token->setReal(toDouble(scratch_, scratchLength_));
  return token;
}

KtOMLToken* KtOMLFile::readTextPointReal() {
  if (!scratchReset()) return nullptr;
  scratchPush('.');
  if (takeRun(kDigit) == 0) return fatalError_ ? nullptr : newToken(OML_TOKEN_ERROR, 0);
  return readTextRealRest(false);
}

// Pairs of hexadecimal digits after "0x"; a last lone digit is the high half of a byte, and
// the character after it is left for the next token.
KtOMLToken* KtOMLFile::readTextBinValue() {
  if (!scratchReset()) return nullptr;
  while (is(lookAheadChar(), kHex)) {
    int byte = hexValue(nextChar()) << 4;
    if (is(lookAheadChar(), kHex)) byte |= hexValue(nextChar());
    if (!scratchPush(static_cast<char>(byte))) return nullptr;
  }
  if (fatalError_) return nullptr;
  return binValueToken();
}

// A binary-sequence token of the bytes in the scratch text.
KtOMLToken* KtOMLFile::binValueToken() {
  KtOMLBinValue* value = new (std::nothrow) KtOMLBinValue(scratchLength_, scratch_);
  if (value == nullptr || value->length() != scratchLength_) {
    delete value;
    memoryExhausted();
    return nullptr;
  }
  KtOMLToken* token = newToken(OML_TOKEN_BINVALUE, 0);
  if (token == nullptr) {
    delete value;
    return nullptr;
  }
  token->setBinValue(value);
  return token;
}

// ---------------------------------------------------------------------------------------------
// Binary tokens

// Reads the number behind a tag: one unsigned byte after a lower-case tag, else four bytes, most
// significant first. False, after error 19, when the file ends first.
bool KtOMLFile::readBinaryIndex(unsigned char tag, std::int32_t& value) {
  unsigned char byte = 0;
  const int count = tag >= 'a' && tag <= 'z' ? 1 : 4;
  std::uint32_t bits = 0;
  for (int k = 0; k < count; ++k) {
    if (!nextBinaryByteInFile(byte)) {
      if (!fatalError_) internalErrorMessage(KT_OML_MSG_UNTERMINATED_BYTES, here());
      return false;
    }
    bits = bits << 8 | byte;
  }
  value = static_cast<std::int32_t>(bits);
  return true;
}

KtOMLToken* KtOMLFile::binaryIndexToken(KtOMLTokenTagEnum tag, unsigned char byte,
                                        std::int32_t limit) {
  std::int32_t index = 0;
  if (!readBinaryIndex(byte, index)) return nullptr;
  if (index < 0 || index >= limit) return newToken(OML_TOKEN_ERROR, byte);
  return newToken(tag, index);
}

KtOMLToken* KtOMLFile::readBinaryToken(unsigned char tag) {
  const KtOMLStatic* g = pOMLStatic_;
  auto count = [](const KtStringPool* pool) {
    return pool != nullptr ? pool->decodeTableMax() : 0;
  };
  switch (tag) {
    case '"':
      return readBinaryString(false, false);
    case '$':
      return readBinaryString(true, true);
    case 'N':
      return readBinaryString(true, false);
    case 'E':
    case 'e':
      return binaryIndexToken(OML_TOKEN_VALUE, tag, g != nullptr ? count(g->pValueIDPool()) : 0);
    case 'F':
    case 'f':
      return binaryIndexToken(OML_TOKEN_FIELD, tag,
                              grammarFieldCount() + count(pUncheckedFieldIDPool_));
    case 'O':
    case 'o':
      return binaryIndexToken(OML_TOKEN_OBJTYPE, tag,
                              g != nullptr ? count(g->pObjTypeIDPool()) : 0);
    case 'S':
    case 's':
      return binaryIndexToken(OML_TOKEN_SECTION, tag,
                              grammarSectionCount() + count(pUnknownSectionIDPool_));
    case 'I':
    case 'i': {
      std::int32_t value = 0;
      if (!readBinaryIndex(tag, value)) return nullptr;
      return newToken(OML_TOKEN_INTEGER, value);
    }
    case 'P':
    case 'p': {
      std::int32_t address = 0;
      if (!readBinaryIndex(tag, address)) return nullptr;
      return newToken(OML_TOKEN_IPADDRESS, address);
    }
    case 'R':
    case 'r':
      return readBinaryReal(tag);
    case 'X':
      return readBinaryBinValue();
    default:
      return newToken(OML_TOKEN_ERROR, tag);
  }
}

// A string: bytes up to an unescaped double quote, a backslash taking the next byte as it
// stands, then unescaped as in text. A name or scope: bytes up to a double quote; a full scope
// gets a comma behind its '$' unless it begins with one.
KtOMLToken* KtOMLFile::readBinaryString(bool asScope, bool fullScope) {
  if (!scratchReset()) return nullptr;
  if (fullScope) scratchPush('$');
  bool closed = false;
  unsigned char byte = 0;
  for (;;) {
    // The plain bytes in the buffer go over at once.
    KtOpenFileList* f = pFileDescriptor_;
    if (!fullScope && f != nullptr && !fatalError_ && f->binaryCount > 0) {
      const char* p = f->pBinary;
      const char* end = p + f->binaryCount;
      const char* q = p;
      while (q < end && *q != '"' && (*q != '\\' || asScope)) ++q;
      if (q > p) {
        if (!scratchAppend(p, q - p)) return nullptr;
        const std::int32_t n = static_cast<std::int32_t>(q - p);
        f->pBinary = q;
        f->binaryCount -= n;
        f->line = f->line <= INT32_MAX - n ? f->line + n : INT32_MAX;
        continue;
      }
    }
    if (!nextBinaryByteInFile(byte)) break;
    if (byte == '"') {
      closed = true;
      break;
    }
    if (fullScope && scratchLength_ == 1 && byte != ',') scratchPush(',');
    if (!scratchPush(static_cast<char>(byte))) return nullptr;
    if (byte == '\\' && !asScope) {
      if (!nextBinaryByteInFile(byte)) break;
      if (!scratchPush(static_cast<char>(byte))) return nullptr;
    }
  }
  if (fatalError_) return nullptr;
  if (!closed) internalErrorMessage(KT_OML_MSG_UNTERMINATED_STRING, here());
  if (fatalError_) return nullptr;
  if (skipping_ != 0) return newToken(asScope ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, -1);
  // A zero byte would end the text early: the stored text ends there, as a C string does.
  char* text = scratchText();
  const std::int32_t index =
      asScope ? storeObjectIDIndex(text) : storeStringIndex(removeEscapeSequences(text));
  if (index < 0) {
    memoryExhausted();
    return nullptr;
  }
  return newToken(asScope ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, index);
}

// The mantissa, then a second R tag with the decimal exponent; mantissa * 10^exponent by
// multiplications or divisions by 10, eight at a time, then one at a time. The loops stop once
// the value is 0 or infinite, where further steps change nothing.
KtOMLToken* KtOMLFile::readBinaryReal(unsigned char tag) {
  std::int32_t mantissa = 0, exponent = 0;
  if (!readBinaryIndex(tag, mantissa)) return nullptr;
  unsigned char second = 0;
  if (!nextBinaryByteInFile(second)) {
    if (!fatalError_) internalErrorMessage(KT_OML_MSG_UNTERMINATED_BYTES, here());
    return nullptr;
  }
  if (second != 'R' && second != 'r') return newToken(OML_TOKEN_ERROR, 0);
  if (!readBinaryIndex(second, exponent)) return nullptr;
  double value = mantissa;
  auto finite = [&value]() { return value != 0 && value - value == 0; };
  std::int64_t e = exponent;
  for (; e >= 8 && finite(); e -= 8) value *= 1e8;
  for (; e > 0 && finite(); --e) value *= 10;
  for (; e <= -8 && finite(); e += 8) value /= 1e8;
  for (; e < 0 && finite(); ++e) value /= 10;
  KtOMLToken* token = newToken(OML_TOKEN_REAL, 0);
  if (token != nullptr) token->setReal(value);
  return token;
}

// The length claims no memory ahead: the bytes are gathered as they arrive, so a length beyond
// the file costs what the file holds, and ends in error 19.
KtOMLToken* KtOMLFile::readBinaryBinValue() {
  unsigned char lengthTag = 0;
  if (!nextBinaryByteInFile(lengthTag)) {
    if (!fatalError_) internalErrorMessage(KT_OML_MSG_UNTERMINATED_BYTES, here());
    return nullptr;
  }
  if (lengthTag != 'I' && lengthTag != 'i') return newToken(OML_TOKEN_ERROR, 0);
  std::int32_t length = 0;
  if (!readBinaryIndex(lengthTag, length)) return nullptr;
  if (length < 0) return newToken(OML_TOKEN_ERROR, 0);
  if (!scratchReset()) return nullptr;
  std::int32_t missing = length;
  while (missing > 0 && !fatalError_) {
    KtOpenFileList* f = pFileDescriptor_;
    if (f == nullptr || (f->binaryCount == 0 && !nextBinaryBuffer(f))) break;
    const std::int32_t n = f->binaryCount < missing ? f->binaryCount : missing;
    if (!scratchAppend(f->pBinary, n)) return nullptr;
    f->pBinary += n;
    f->binaryCount -= n;
    f->line = static_cast<std::int32_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(f->line) + n, INT32_MAX));
    missing -= n;
  }
  if (fatalError_) return nullptr;
  if (missing > 0) {
    internalErrorMessage(KT_OML_MSG_UNTERMINATED_BYTES, here());
    return nullptr;
  }
  return binValueToken();
}
