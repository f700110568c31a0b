// The reader's lowest layer: input files, characters and tokens, in both encodings.
//
// Each file is read into a buffer in large blocks. In text, the bytes ready for scanning always
// end with whole lines, followed by a 0 that stands in for the next byte while they are scanned:
// every run of characters (names, digits, white space, string text) stops there or at a line's
// end without a bounds check, tokens are read where they lie, and the buffer is refilled only
// at the start of a line. In binary, items are decoded from the buffer, which is refilled when
// an item needs more bytes than it holds.
#include "ktbase/oml/oml_lexer.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/files/c_locale.h"
#include "ktbase/files/posix_io.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_binary.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_messages.h"
#include "ktbase/oml/oml_static.h"

namespace {

// Open input files, nested; more is a runaway chain of includes.
constexpr int kMaxOpenFiles = 64;
// Open brackets; more would only serve to exhaust memory.
constexpr int kMaxBrackets = 1000000;
// How much of a file is read at a time, and the least a buffer holds.
constexpr std::size_t kBlock = 256 * 1024;
constexpr std::size_t kSmallestBuffer = 4 * 1024;
// The longest name a file can be opened by.
constexpr std::size_t kLongestName = 259;

enum : unsigned char {
  kSpace = 1,       // blank, tab
  kEnd = 2,         // line feed, carriage return
  kIdentStart = 4,  // letters and '_'
  kIdent = 8,       // letters, digits and '_'
  kDigit = 16,
  kHex = 32,
  kStringStop = 64,  // what ends a plain run of string text: '"', '\', line ends, 0
};

constexpr unsigned char classOf(int c, bool aux) {
  unsigned char bits = 0;
  if (c == ' ' || c == '\t' || (aux && c == '\n')) bits |= kSpace;
  if (!aux && (c == '\n' || c == '\r')) bits |= kEnd;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') bits |= kIdentStart | kIdent;
  if (c >= '0' && c <= '9') bits |= kIdent | kDigit | kHex;
  if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) bits |= kHex;
  if (c == '"' || c == '\\' || c == 0 || (!aux && (c == '\n' || c == '\r'))) bits |= kStringStop;
  return bits;
}

// In the aux text a line feed is white space like a blank and a carriage return is no ending.
struct ClassTable {
  unsigned char bits[256];
  constexpr explicit ClassTable(bool aux) : bits() {
    for (int c = 0; c < 256; ++c) bits[c] = classOf(c, aux);
  }
};
constexpr ClassTable kText(false);
constexpr ClassTable kAux(true);

inline bool is(const unsigned char* table, char c, unsigned char bits) {
  return (table[static_cast<unsigned char>(c)] & bits) != 0;
}

inline int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

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

// Most reals in files are short decimals: [sign] digits [. digits], whose digits make an
// integer up to 2^53, with at most 22 decimals. Both are exact doubles, so one division rounds
// their quotient correctly, as the full conversion would. False for any other text.
bool shortDecimal(const char* text, const char* end, double& value) {
  constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const bool negative = text < end && *text == '-';
  const char* const first = text < end && (*text == '-' || *text == '+') ? text + 1 : text;
  if (end - first > 20) return false;
  std::uint64_t digits = 0;  // wraps only for 20 digits, which are refused below
  const char* point = end;
  for (const char* p = first; p < end; ++p) {
    const unsigned d = static_cast<unsigned char>(*p) - '0';
    if (d < 10)
      digits = digits * 10 + d;
    else if (*p == '.' && point == end)
      point = p;
    else
      return false;  // an exponent, or no number
  }
  const std::ptrdiff_t count = (end - first) - (point != end ? 1 : 0);
  const std::ptrdiff_t decimals = point != end ? end - point - 1 : 0;
  if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53) || decimals > 22) return false;
  const double quotient = static_cast<double>(digits) / kPowers[decimals];
  value = negative ? -quotient : quotient;
  return true;
}

// The decimal text of a number as a double, independent of the program's locale. Beyond the
// range of a double the C library decides (infinity, or 0 and denormals).
double toDouble(const char* text, std::size_t length) {
  const char* begin = text;
  double value = 0;
  if (shortDecimal(text, text + length, value)) return value;
  if (length > 0 && *begin == '+') ++begin;
  const std::from_chars_result r = std::from_chars(begin, text + length, value);
  if (r.ec == std::errc::result_out_of_range) {
    // Rare: the C library's answer, from a terminated copy of the whole text.
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy != nullptr) {
      std::memcpy(copy, text, length);
      copy[length] = 0;
      value = ktStrtodC(copy, nullptr);
      std::free(copy);
    }
  }
  return value;
}

// The digits of a run as a 32-bit value, wrapping as a 32-bit counter does.
std::uint32_t wrappedValue(const char* digits, const char* end) {
  std::uint32_t value = 0;
  for (; digits < end; ++digits) value = value * 10u + static_cast<std::uint32_t>(*digits - '0');
  return value;
}

// The value of a run of digits, saturated at 256 (only 0..255 matter where it is used).
int smallValue(const char* digits, const char* end) {
  int value = 0;
  for (; digits < end && value < 256; ++digits) value = value * 10 + (*digits - '0');
  return value < 256 ? value : 256;
}

const char* runOf(const unsigned char* table, const char* p, unsigned char bits) {
  while (is(table, *p, bits)) ++p;
  return p;
}

// Removes the escape sequences of a text in place: \a \b \f \n \r \t \v, up to three octal
// digits, \x and up to two hexadecimal digits (an x without them), and any other character as
// it stands. Returns the new length; the text then ends at its first zero byte, if any.
std::size_t removeEscapeSequences(char* text, std::size_t length) {
  char* out = text;
  const char* in = text;
  const char* end = text + length;
  while (in < end) {
    if (*in != '\\') {
      *out++ = *in++;
      continue;
    }
    ++in;
    if (in == end) break;  // a backslash at the very end stands for nothing
    const char c = *in++;
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
        if (in == end || !is(kText.bits, *in, kHex)) {
          *out++ = 'x';
          break;
        }
        int code = hexValue(*in++);
        if (in < end && is(kText.bits, *in, kHex)) code = code * 16 + hexValue(*in++);
        *out++ = static_cast<char>(code);
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          int code = c - '0';
          for (int k = 0; k < 2 && in < end && *in >= '0' && *in <= '7'; ++k)
            code = code * 8 + (*in++ - '0');
          *out++ = static_cast<char>(code);
        } else {
          *out++ = c;
        }
    }
  }
  *out = 0;
  const std::size_t n = static_cast<std::size_t>(out - text);
  const void* zero = std::memchr(text, 0, n);
  return zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : n;
}

}  // namespace

KtOMLLexer::KtOMLLexer(KtOMLFile& reader) : reader_(reader) {}

KtOMLLexer::~KtOMLLexer() {
  stop();
  delete declaredWords_;
  std::free(brackets_);
  std::free(scratch_);
}

void KtOMLLexer::start(const KtOMLStatic* grammar, bool binary) {
  stop();
  grammar_ = grammar;
  binary_ = binary;
  skipLevel_ = -1;
  skipLine_ = 0;
  skipping_ = 0;
  unchecked_ = 0;
  delete declaredWords_;
  declaredWords_ = nullptr;
  grammarWords_ = grammar != nullptr ? grammar->readerWords() : nullptr;
  if (grammarWords_ != nullptr) {
    grammarSections_ = grammarWords_->sections();
    grammarFields_ = grammarWords_->fields();
    grammarValues_ = grammarWords_->values();
    grammarTypes_ = grammarWords_->types();
  } else {
    grammarSections_ = grammarFields_ = grammarValues_ = grammarTypes_ = 0;
  }
}

void KtOMLLexer::stop() {
  while (pFiles_ != nullptr) popFile();
  auxText(nullptr);
  bracketLevel_ = 0;
  lookAhead_.releaseValue();
  hasLookAhead_ = false;
}

void KtOMLLexer::memoryExhausted() {
  reader_.internalErrorMessage(KT_OML_MSG_MEMORY_EXHAUSTED, reader_.here(), nullptr, nullptr,
                               nullptr, 1);
}

// ---------------------------------------------------------------------------------------------
// Input files

// An included file must be a regular file, and in the reader's confined mode lie below its
// include root: its name is resolved (so that '..' and symbolic links are followed), and the
// file found there must be the one that was opened.
bool KtOMLLexer::includeAllowed(const char* name, const KtOMLInput* input, bool regular) const {
  const KtOMLIncludeModeEnum mode = reader_.includeMode();
  if (mode == KT_OML_INCLUDE_NONE || !regular) return false;
  if (mode != KT_OML_INCLUDE_BELOW_ROOT) return true;
  const char* root = reader_.resolvedIncludeRoot();
  char* resolved = ::realpath(name, nullptr);
  bool below = false;
  if (root != nullptr && resolved != nullptr) {
    const std::size_t n = std::strlen(root);
    struct stat status;
    below = n > 0 && std::strncmp(resolved, root, n) == 0 &&
            (resolved[n] == '/' || root[n - 1] == '/') && ::stat(resolved, &status) == 0 &&
            static_cast<std::uint64_t>(status.st_dev) == input->device &&
            static_cast<std::uint64_t>(status.st_ino) == input->inode;
  }
  std::free(resolved);
  return below;
}

bool KtOMLLexer::openInput(const char* name, bool include, KtOMLInput*& input) {
  input = nullptr;
  if (openFiles_ >= kMaxOpenFiles || std::strlen(name) > kLongestName) return false;
  input = new (std::nothrow) KtOMLInput;
  if (input == nullptr) return false;
  // An included file is opened without waiting, so that a FIFO or a device cannot block the
  // reading before it is refused.
  input->handle = ktOpenHandle(name, include ? KtOpenHow::kReadRegular : KtOpenHow::kReadExisting);
  std::uint64_t size = 0;
  bool regular = false;
  if (input->handle == KT_INVALID_HANDLE ||
      !ktFileStatus(input->handle, &input->device, &input->inode, &size, &regular) ||
      (include && !includeAllowed(name, input, regular)))
    return false;
  // The same file under another name further down the stack: an include cycle.
  for (const KtOMLInput* f = pFiles_; f != nullptr; f = f->next)
    if (f->device == input->device && f->inode == input->inode) return false;
  std::size_t capacity = regular && size + 2 < kBlock ? static_cast<std::size_t>(size) + 2 : kBlock;
  if (capacity < kSmallestBuffer) capacity = kSmallestBuffer;
  input->buffer = static_cast<char*>(std::malloc(capacity + 2));
  if (input->buffer == nullptr) return false;
  input->capacity = capacity;
  input->p = input->limit = input->end = input->buffer;
  input->lineStart = input->buffer;
  *input->limit = 0;
  return true;
}

void KtOMLLexer::pushFile(const char* name) {
  if (reader_.fatalError_ || name == nullptr) return;
  const KtOMLFile::Place place = reader_.here();
  KtOMLInput* input = nullptr;
  const bool include = pFiles_ != nullptr;
  if (!openInput(name, include, input)) {
    if (input != nullptr) {
      if (input->handle != KT_INVALID_HANDLE) ktCloseHandle(input->handle);
      std::free(input->buffer);
      delete input;
    }
    reader_.internalErrorMessage(KT_OML_MSG_CANNOT_OPEN, place, name, nullptr, nullptr, 1);
    reader_.errorCode_ = KT_FILE_OPEN_ERROR;
    return;
  }
  input->fileNameIndex = reader_.storeStringIndex(name);
  input->next = pFiles_;
  pFiles_ = input;
  ++openFiles_;
}

void KtOMLLexer::popFile() {
  KtOMLInput* input = pFiles_;
  if (input == nullptr) return;
  reader_.previousPathName(reader_.string(input->fileNameIndex));
  if (!ktCloseHandle(input->handle)) {
    reader_.internalErrorMessage(KT_OML_MSG_CANNOT_CLOSE, reader_.here(), nullptr, nullptr, nullptr,
                                 1);
    reader_.errorCode_ = KT_FILE_CLOSE_ERROR;
  }
  pFiles_ = input->next;
  --openFiles_;
  std::free(input->buffer);
  delete input;
}

void KtOMLLexer::auxText(char** text) {
  if (aux_ != nullptr) {
    delete aux_;
    aux_ = nullptr;
    auxText_ = nullptr;
  }
  if (text == nullptr || *text == nullptr) return;
  aux_ = new (std::nothrow) KtOMLInput;
  if (aux_ == nullptr) return;
  auxText_ = text;
  aux_->buffer = aux_->p = *text;
  aux_->lineStart = *text;
  aux_->limit = aux_->end = *text + std::strlen(*text);
  aux_->eof = true;
}

// Moves what is unread to the front of the buffer, then reads as much as fits, growing the
// buffer when it is full; false (with the end of the file noted) when nothing more came. A
// failed read ends the file too and makes the reading's result 4.
bool KtOMLLexer::readMore(KtOMLInput* in) {
  if (in->eof) return false;
  if (in->p > in->buffer) {
    const std::size_t kept = static_cast<std::size_t>(in->end - in->p);
    const std::ptrdiff_t shift = in->p - in->buffer;
    std::memmove(in->buffer, in->p, kept);
    in->before += shift;
    in->lineStart = in->lineStart >= in->p ? in->lineStart - shift : in->buffer;
    in->p = in->buffer;
    in->end = in->buffer + kept;
  }
  std::size_t used = static_cast<std::size_t>(in->end - in->buffer);
  if (used == in->capacity) {
    const std::size_t grown = in->capacity < kBlock ? kBlock : in->capacity * 2;
    char* bigger =
        grown > in->capacity ? static_cast<char*>(std::realloc(in->buffer, grown + 2)) : nullptr;
    if (bigger == nullptr) {
      memoryExhausted();
      in->eof = true;
      return false;
    }
    in->lineStart = bigger + (in->lineStart - in->buffer);
    in->buffer = in->p = bigger;
    in->end = bigger + used;
    in->capacity = grown;
  }
  const std::ptrdiff_t n = ktReadOnce(in->handle, in->end, in->capacity - used);
  if (n <= 0) {
    in->eof = true;
    if (n < 0) {
      reader_.errorCode_ = KT_FILE_READ_ERROR;
      reader_.error(1);
    }
    return false;
  }
  in->end += n;
  reader_.countInput(n);
  return true;
}

// Makes the next whole lines ready: they end where a line's ending is followed by a byte that
// is no line ending, so that an ending of two bytes is never cut in two. False at the end of
// the file. The last line of a file gets a line feed when it has no ending.
bool KtOMLLexer::refillText(KtOMLInput* in) {
  *in->limit = in->saved;
  const std::size_t done = static_cast<std::size_t>(in->limit - in->p);
  for (std::size_t searched = done;;) {
    // Look for the last complete line among the bytes not searched yet.
    const char* from = in->p + (searched > 0 ? searched - 1 : 0);
    for (const char* q = in->end - 1; q > from; --q) {
      if (is(kText.bits, q[-1], kEnd) && !is(kText.bits, *q, kEnd)) {
        in->limit = const_cast<char*>(q);
        in->saved = *q;
        *in->limit = 0;
        return in->limit > in->p;
      }
    }
    searched = static_cast<std::size_t>(in->end - in->p);
    if (!readMore(in)) {
      if (in->p == in->end) {
        in->limit = in->end;
        in->saved = 0;
        *in->limit = 0;
        return false;
      }
      if (!is(kText.bits, in->end[-1], kEnd)) *in->end++ = '\n';  // room is kept for it
      in->limit = in->end;
      in->saved = 0;
      *in->limit = 0;
      return true;
    }
  }
}

// Binary: at least `need` bytes unread in the buffer; false when the file has fewer left.
bool KtOMLLexer::refillBinary(KtOMLInput* in, std::size_t need) {
  while (static_cast<std::size_t>(in->end - in->p) < need)
    if (!readMore(in)) return false;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Places

std::int32_t KtOMLLexer::line() const {
  std::int32_t file, line, position;
  where(file, line, position);
  return line;
}

int KtOMLLexer::position() const {
  std::int32_t file, line, position;
  where(file, line, position);
  return position;
}

std::int32_t KtOMLLexer::fileNameIndex() const {
  return aux_ == nullptr && pFiles_ != nullptr ? pFiles_->fileNameIndex : -1;
}

// ---------------------------------------------------------------------------------------------
// Brackets

void KtOMLLexer::pushBracket(char kind) {
  if (bracketLevel_ == bracketCapacity_) {
    const int capacity = bracketCapacity_ < 64 ? 64 : std::min(bracketCapacity_ * 2, kMaxBrackets);
    Bracket* grown = capacity > bracketCapacity_
                         ? static_cast<Bracket*>(std::realloc(
                               brackets_, static_cast<std::size_t>(capacity) * sizeof(Bracket)))
                         : nullptr;
    if (grown == nullptr) {
      memoryExhausted();
      return;
    }
    brackets_ = grown;
    bracketCapacity_ = capacity;
  }
  brackets_[bracketLevel_++] = Bracket{kind, fileNameIndex(), line(), position()};
}

void KtOMLLexer::popBracket(char kind) {
  if (bracketLevel_ == 0) {
    reader_.internalErrorMessage(KT_OML_MSG_UNOPENED_BRACKET, reader_.here());
    return;
  }
  const Bracket& opening = brackets_[--bracketLevel_];
  if (partnerOf(opening.kind) != kind) {
    reader_.internalWarningMessage(
        KT_OML_MSG_BRACKET_LEFT_DIFFERENT,
        KtOMLFile::Place{opening.fileNameIndex, nullptr, opening.line, opening.position});
    reader_.internalWarningMessage(KT_OML_MSG_BRACKET_RIGHT_DIFFERENT, reader_.here());
  }
}

// Brackets, ':' '=' and ';': a token of their own; false for any other character.
bool KtOMLLexer::punctuation(char c, KtOMLToken& token) {
  switch (c) {
    case '(':
    case '<':
    case '[':
    case '{':
      if (bracketLevel_ < bracketCapacity_) {
        Bracket& b = brackets_[bracketLevel_++];
        b.kind = c;
        where(b.fileNameIndex, b.line, b.position);
      } else {
        pushBracket(c);
      }
      make(token, OML_TOKEN_OPEN_BRACKET, c);
      return true;
    case ')':
    case '>':
    case ']':
    case '}':
      if (bracketLevel_ > 0 && partnerOf(brackets_[bracketLevel_ - 1].kind) == c)
        --bracketLevel_;
      else
        popBracket(c);
      make(token, OML_TOKEN_CLOSE_BRACKET, c);
      return true;
    case ':':
    case '=':
      make(token, OML_TOKEN_ASSIGN, c);
      return true;
    case ';':
      make(token, OML_TOKEN_SEMICOLON, c);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------------
// The token stream

bool KtOMLLexer::read(KtOMLToken& token) {
  if (skipLine_ != 0) {
    skipLine_ = 0;
    passRestOfLine();
  }
  if (skipLevel_ >= 0) {
    const int level = skipLevel_;
    skipLevel_ = -1;
    skipToLevel(level);
  }
  if (!(binary_ && aux_ == nullptr ? readBinary(token) : readText(token))) {
    // The end of all input, reported once: the open brackets are forgotten.
    if (bracketLevel_ > 0 && !reader_.fatalError_) {
      const Bracket& open = brackets_[bracketLevel_ - 1];
      reader_.internalErrorMessage(KT_OML_MSG_UNCLOSED_BRACKET,
                                   aux_ != nullptr ? KtOMLFile::nowhere()
                                                   : KtOMLFile::Place{open.fileNameIndex, nullptr,
                                                                      open.line, open.position});
    }
    bracketLevel_ = 0;
    return false;
  }
  if (aux_ != nullptr && *auxText_ != nullptr) {
    // The aux text keeps only what is unread.
    const std::size_t left = static_cast<std::size_t>(aux_->end - aux_->p);
    std::memmove(*auxText_, aux_->p, left + 1);
    aux_->buffer = aux_->p = *auxText_;
    aux_->lineStart = *auxText_;
    aux_->limit = aux_->end = *auxText_ + left;
  }
  return true;
}

bool KtOMLLexer::readText(KtOMLToken& token) {
  if (reader_.fatalError_) return false;
  const char c = nextTextStart();
  // A null result is the end, or exhausted memory (fatal).
  return c != 0 && (punctuation(c, token) || readTextToken(c, token));
}

namespace {

inline std::uint32_t bigEndian(const unsigned char* b) {
  return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
         static_cast<std::uint32_t>(b[2]) << 8 | b[3];
}

// What a tag byte begins, for the fast reader: an index or number (with the token's kind, the
// limit it is checked against, and its form), a real, a string, a name, punctuation; 0 for what
// only the general readers take.
enum : std::uint8_t { kGeneral = 0, kNumber, kReal, kString, kName, kPunctuation };
enum : std::uint8_t { kNoLimit = 0, kFieldLimit, kValueLimit, kTypeLimit, kSectionLimit };

struct BinaryItem {
  std::uint8_t what;
  std::uint8_t kind;   // the token's tag, for a number
  std::uint8_t limit;  // which limit a number is checked against
  std::uint8_t bytes;  // of a number: 1 or 4
};

constexpr BinaryItem binaryItemOf(int c) {
  const unsigned char tag = static_cast<unsigned char>(c);
  const std::uint8_t bytes = ktOMLIsShortTag(tag) ? 1 : 4;
  switch (ktOMLIsShortTag(tag) ? ktOMLLongTag(tag) : tag) {
    case KT_OML_TAG_FIELD:
      return {kNumber, OML_TOKEN_FIELD, kFieldLimit, bytes};
    case KT_OML_TAG_VALUE:
      return {kNumber, OML_TOKEN_VALUE, kValueLimit, bytes};
    case KT_OML_TAG_OBJTYPE:
      return {kNumber, OML_TOKEN_OBJTYPE, kTypeLimit, bytes};
    case KT_OML_TAG_SECTION:
      return {kNumber, OML_TOKEN_SECTION, kSectionLimit, bytes};
    case KT_OML_TAG_INTEGER:
      return {kNumber, OML_TOKEN_INTEGER, kNoLimit, bytes};
    case KT_OML_TAG_ADDRESS:
      return {kNumber, OML_TOKEN_IPADDRESS, kNoLimit, bytes};
    case KT_OML_TAG_REAL:
      return {kReal, 0, 0, 0};
    case KT_OML_TAG_NAME:
      return {static_cast<std::uint8_t>(tag == KT_OML_TAG_NAME ? kName : kGeneral), 0, 0, 0};
    case KT_OML_TAG_STRING:
      return {kString, 0, 0, 0};
    case '(':
    case ')':
    case '<':
    case '>':
    case '[':
    case ']':
    case '{':
    case '}':
    case ':':
    case '=':
    case ';':
      return {kPunctuation, 0, 0, 0};
    default:
      return {kGeneral, 0, 0, 0};
  }
}

struct BinaryItemTable {
  BinaryItem items[256];
  constexpr BinaryItemTable() : items() {
    for (int c = 0; c < 256; ++c) items[c] = binaryItemOf(c);
  }
};
constexpr BinaryItemTable kBinaryItems;

}  // namespace

// The items most files are made of are decoded straight from the block when it holds enough
// bytes for any of them; the general readers take the rest, and every item near the block's
// end.
bool KtOMLLexer::readBinary(KtOMLToken& token) {
  for (;;) {
    KtOMLInput* in = pFiles_;
    if (in == nullptr || reader_.fatalError_) return false;
    if (in->end - in->p >= kFastItem) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(in->p);
      const BinaryItem item = kBinaryItems.items[*p];
      if (item.what == kNumber) {
        const std::uint32_t value = item.bytes == 1 ? p[1] : bigEndian(p + 1);
        in->p += 1 + item.bytes;
        std::uint32_t limit = 0xFFFFFFFFu;
        switch (item.limit) {
          case kFieldLimit:
            limit = static_cast<std::uint32_t>(grammarFields_ +
                                               reader_.pUncheckedFieldIDPool_->count());
            break;
          case kValueLimit:
            limit = static_cast<std::uint32_t>(grammarValues_);
            break;
          case kTypeLimit:
            limit = static_cast<std::uint32_t>(grammarTypes_);
            break;
          case kSectionLimit:
            limit = static_cast<std::uint32_t>(grammarSections_ +
                                               reader_.pUnknownSectionIDPool_->count());
            break;
          default:
            break;
        }
        const std::int64_t n = in->before + (in->p - in->buffer);
        const std::int32_t line = n < INT32_MAX ? static_cast<std::int32_t>(n) : INT32_MAX;
        if (limit != 0xFFFFFFFFu && (static_cast<std::int32_t>(value) < 0 || value >= limit))
          token.assign(OML_TOKEN_ERROR, *p, in->fileNameIndex, line, 0);
        else
          token.assign(item.kind, value, in->fileNameIndex, line, 0);
        return true;
      }
      if (item.what == kPunctuation) {
        ++in->p;
        return punctuation(static_cast<char>(*p), token);
      }
      if (item.what == kReal && fastBinaryReal(in, token)) return true;
      if ((item.what == kString || item.what == kName) &&
          fastBinaryText(in, item.what == kName, token))
        return true;
    } else if (in->p == in->end && !refillBinary(in, 1)) {
      popFile();
      continue;
    }
    const char tag = *in->p++;
    if (punctuation(tag, token) || readBinaryToken(static_cast<unsigned char>(tag), token))
      return true;
    // A truncated item was reported and gave no token: read on.
  }
}

bool KtOMLLexer::fastBinaryReal(KtOMLInput* in, KtOMLToken& token) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(in->p);
  const bool shortMantissa = ktOMLIsShortTag(p[0]);
  const std::int32_t mantissa = static_cast<std::int32_t>(shortMantissa ? p[1] : bigEndian(p + 1));
  p += shortMantissa ? 2 : 5;
  const unsigned char second = *p++;
  if (ktOMLLongTag(second) != KT_OML_TAG_REAL) return false;  // the general reader says what
  const bool shortExponent = ktOMLIsShortTag(second);
  const std::int32_t exponent = static_cast<std::int32_t>(shortExponent ? p[0] : bigEndian(p));
  p += shortExponent ? 1 : 4;
  in->p = reinterpret_cast<char*>(const_cast<unsigned char*>(p));
  make(token, OML_TOKEN_REAL, 0);
  token.setReal(scaledReal(mantissa, exponent));
  return true;
}

// A string or a name that stands whole in the buffer, without escapes: stored from where it
// lies.
bool KtOMLLexer::fastBinaryText(KtOMLInput* in, bool asName, KtOMLToken& token) {
  const char* text = in->p + 1;
  const char* q = static_cast<const char*>(
      std::memchr(text, KT_OML_TEXT_END, static_cast<std::size_t>(in->end - text)));
  if (q == nullptr) return false;
  std::size_t length = static_cast<std::size_t>(q - text);
  if (!asName && std::memchr(text, KT_OML_ESCAPE, length) != nullptr) return false;
  in->p = const_cast<char*>(q + 1);
  if (skipping_ != 0) {
    make(token, asName ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, -1);
    return true;
  }
  const void* zero = std::memchr(text, 0, length);
  if (zero != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
  const std::int32_t index = asName ? reader_.pObjectIDPool_->store(text, length)
                                    : reader_.pStringPool_->store(text, length);
  if (index < 0) {
    memoryExhausted();  // fatal: the reading ends, and nothing more is said
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  make(token, asName ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, index);
  return true;
}

void KtOMLLexer::joinSequences(KtOMLToken& token) {
  for (KtOMLToken* more = peek(); more != nullptr && more->tag() == OML_TOKEN_BINVALUE;
       more = peek()) {
    KtOMLBinValue* value = token.pBinValue();
    const std::int64_t expected =
        static_cast<std::int64_t>(value->length()) + more->pBinValue()->length();
    value->concat(more->pBinValue());
    lookAhead_.releaseValue();
    hasLookAhead_ = false;
    if (value->length() != expected) {
      memoryExhausted();
      break;
    }
  }
}

void KtOMLLexer::putBack(KtOMLToken& token) {
  lookAhead_.releaseValue();
  lookAhead_.moveFrom(token);
  hasLookAhead_ = true;
}

void KtOMLLexer::unchecked(int on) { unchecked_ = on != 0; }

// The words and strings of a skipped block are read but not stored.
void KtOMLLexer::skipToLevel(int level) {
  ++skipping_;
  KtOMLToken token;
  while (bracketLevel_ >= level && !reader_.fatalError_ && read(token)) token.releaseValue();
  --skipping_;
}

// Text: the rest of the current line. Binary, which has no lines: the next item, with its block
// when it is a bracket.
void KtOMLLexer::passRestOfLine() {
  if (binary_ && aux_ == nullptr) {
    ++skipping_;
    KtOMLToken token;
    if (read(token) && token.tag() == OML_TOKEN_OPEN_BRACKET) skipToLevel(bracketLevel_);
    token.releaseValue();
    --skipping_;
    return;
  }
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  if (in == nullptr) return;
  const unsigned char* table = aux_ != nullptr ? kAux.bits : kText.bits;
  const char* p = in->p;
  for (;;) {
    while (*p != 0 && !is(table, *p, kEnd) && !(aux_ != nullptr && *p == '\n')) ++p;
    if (*p != 0 || p == in->limit) break;
    nulByte(p);
    ++p;
  }
  in->p = const_cast<char*>(p);
}

void KtOMLLexer::nulByte(const char* at) {
  const KtOMLInput* in = pFiles_;
  const std::ptrdiff_t position = at - in->lineStart + 1;
  reader_.internalErrorMessage(
      KT_OML_MSG_UNEXPECTED_TOKEN,
      KtOMLFile::Place{in->fileNameIndex, nullptr, in->line,
                       position < INT32_MAX ? static_cast<std::int32_t>(position) : INT32_MAX});
}

// Takes the first character of the next token; 0 at the end of all input. White space, line
// endings and comments are passed over where they lie; a zero byte in a file is reported and
// passed over.
char KtOMLLexer::nextTextStart() {
  for (;;) {
    KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
    if (in == nullptr || reader_.fatalError_) return 0;
    const unsigned char* table = aux_ != nullptr ? kAux.bits : kText.bits;
    char* p = in->p;
    for (;;) {
      const unsigned char bits = table[static_cast<unsigned char>(*p)];
      if ((bits & kSpace) != 0) {
        ++p;
      } else if ((bits & kEnd) != 0) {
        in->lastEnd =
            static_cast<std::int32_t>(std::min<std::ptrdiff_t>(p - in->lineStart + 1, INT32_MAX));
        const char partner = *p == '\n' ? '\r' : '\n';
        ++p;
        if (*p == partner) ++p;
        if (in->line < INT32_MAX) ++in->line;
        in->lineStart = p;
      } else {
        break;
      }
    }
    in->p = p;
    const char c = *p;
    if (c == 0) {
      if (p != in->limit) {  // a zero byte in the file
        nulByte(p);
        in->p = p + 1;
      } else if (in == aux_) {
        return 0;
      } else if (!refillText(in)) {
        popFile();
      }
      continue;
    }
    if (c == '#' || (c == '/' && p[1] == '/')) {
      passRestOfLine();
      continue;
    }
    in->p = p + 1;
    if (c != '/' || p[1] != '*') return c;
    blockComment();
  }
}

// A block comment: it ends at "*/", or with its file (error 17 at its beginning).
void KtOMLLexer::blockComment() {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const KtOMLFile::Place start{fileNameIndex(), nullptr, line(), position()};
  const unsigned char* table = aux_ != nullptr ? kAux.bits : kText.bits;
  ++in->p;  // the '*'
  for (;;) {
    char* p = in->p;
    while (*p != '*' && *p != 0 && !is(table, *p, kEnd)) ++p;
    in->p = p;
    if (*p == '*') {
      in->p = p + 1;
      if (p[1] == '/') {
        ++in->p;
        return;
      }
    } else if (*p != 0) {
      in->lastEnd =
          static_cast<std::int32_t>(std::min<std::ptrdiff_t>(p - in->lineStart + 1, INT32_MAX));
      const char partner = *p == '\n' ? '\r' : '\n';
      ++p;
      if (*p == partner) ++p;
      if (in->line < INT32_MAX) ++in->line;
      in->lineStart = in->p = p;
    } else if (p != in->limit) {
      nulByte(p);
      in->p = p + 1;
    } else if (in == aux_ || reader_.fatalError_ || !refillText(in)) {
      if (!reader_.fatalError_)
        reader_.internalErrorMessage(KT_OML_MSG_UNTERMINATED_COMMENT, start);
      return;
    }
  }
}

bool KtOMLLexer::readTextToken(char c, KtOMLToken& token) {
  if (c == '"') return readTextString(token);
  if (c == '$') return readTextFullScope(token);
  if (c == '.') {
    KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
    const char* start = in->p - 1;
    if (!is(kText.bits, *in->p, kDigit)) {
      make(token, OML_TOKEN_ERROR, 0);
      return true;
    }
    in->p = const_cast<char*>(runOf(kText.bits, in->p, kDigit));
    return readTextReal(start, false, token);
  }
  if (c == '+' || c == '-' || is(kText.bits, c, kDigit)) return readTextNumber(c, token);
  if (is(kText.bits, c, kIdentStart)) return readTextIdentifier(token);
  make(token, OML_TOKEN_ERROR, static_cast<unsigned char>(c));
  return true;
}

// ---------------------------------------------------------------------------------------------
// Text tokens

// A string runs to the next double quote that no backslash precedes, over lines and refills,
// but not past its file. Without escapes and line endings it is stored from where it lies;
// otherwise it is assembled in the scratch text, each line ending as one line feed.
bool KtOMLLexer::readTextString(KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const unsigned char* table = aux_ != nullptr ? kAux.bits : kText.bits;
  const KtOMLFile::Place start{fileNameIndex(), nullptr, line(), position()};
  char* p = in->p;
  char* q = p;
  while (!is(table, *q, kStringStop)) ++q;
  const char* text = p;
  std::size_t length = static_cast<std::size_t>(q - p);
  bool closed = *q == '"';
  if (closed) {
    in->p = q + 1;
  } else {
    if (!scratchReset()) return false;
    if (!scratchAppend(p, length)) return false;
    in->p = q;
    while (!closed && !reader_.fatalError_) {
      p = in->p;
      q = p;
      while (!is(table, *q, kStringStop)) ++q;
      if (!scratchAppend(p, static_cast<std::size_t>(q - p))) return false;
      in->p = q;
      const char c = *q;
      if (c == '"') {
        in->p = q + 1;
        closed = true;
      } else if (c == '\\' && q[1] != 0) {
        // The next character goes in as it stands, a quote included; a line ending as a line
        // feed.
        if (!scratchPush('\\')) return false;
        if (is(table, q[1], kEnd)) {
          in->p = q + 1;
          continue;  // the ending is taken below, after the backslash
        }
        if (!scratchPush(q[1])) return false;
        in->p = q + 2;
      } else if (c == '\\') {  // a backslash at the end of the bytes ready, or before a 0
        if (!scratchPush('\\')) return false;
        in->p = q + 1;
        if (q + 1 != in->limit) continue;
        if (in == aux_ || !refillText(in)) break;
        if (*in->p != 0 && !is(table, *in->p, kEnd)) {
          if (!scratchPush(*in->p)) return false;
          ++in->p;
        }
      } else if (c != 0) {  // a line ending
        in->lastEnd =
            static_cast<std::int32_t>(std::min<std::ptrdiff_t>(q - in->lineStart + 1, INT32_MAX));
        const char partner = c == '\n' ? '\r' : '\n';
        ++q;
        if (*q == partner) ++q;
        if (in->line < INT32_MAX) ++in->line;
        in->lineStart = in->p = q;
        if (!scratchPush('\n')) return false;
      } else if (q != in->limit) {
        nulByte(q);
        in->p = q + 1;
      } else if (in == aux_ || !refillText(in)) {
        break;  // the string ends with its file
      }
    }
    text = scratch_;
    length = scratchLength_;
  }
  if (reader_.fatalError_) return false;
  if (!closed) {
    reader_.internalErrorMessage(KT_OML_MSG_UNTERMINATED_STRING, start);
    if (reader_.fatalError_) return false;
  }
  if (skipping_ != 0) {
    make(token, OML_TOKEN_STRING, -1);
    return true;
  }
  if (text == scratch_) length = removeEscapeSequences(scratch_, length);
  const std::int32_t index = reader_.pStringPool_->store(text, length);
  if (index < 0) {
    memoryExhausted();
    return false;
  }
  make(token, OML_TOKEN_STRING, index);
  return true;
}

bool KtOMLLexer::readTextIdentifier(KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const char* start = in->p - 1;
  const char* p = runOf(kText.bits, in->p, kIdent);
  in->p = const_cast<char*>(p);
  if (*p == ',' || *p == '|') return readTextScope(start, token);
  return classify(start, static_cast<std::size_t>(p - start), token);
}

// One component behind a separator: an integer (optionally signed) or a name.
bool KtOMLLexer::scopeComponent() {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const char* p = in->p;
  const char* start = p;
  if (*p == '+' || *p == '-') {
    const char* digits = runOf(kText.bits, p + 1, kDigit);
    in->p = const_cast<char*>(digits);
    return digits > p + 1 && scratchAppend(start, static_cast<std::size_t>(digits - start));
  }
  const char* end = is(kText.bits, *p, kDigit)        ? runOf(kText.bits, p, kDigit)
                    : is(kText.bits, *p, kIdentStart) ? runOf(kText.bits, p, kIdent)
                                                      : p;
  in->p = const_cast<char*>(end);
  return end > start && scratchAppend(start, static_cast<std::size_t>(end - start));
}

// The components behind a first one, from `start` up to the read position; ',' and '|' both
// separate, and the stored text has ',' only.
bool KtOMLLexer::readTextScope(const char* start, KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  if (!scratchReset()) return false;
  if (!scratchAppend(start, static_cast<std::size_t>(in->p - start))) return false;
  return scopeRest(token);
}

// The components behind separators, appended to the scratch text; then the scope it holds.
bool KtOMLLexer::scopeRest(KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  while (*in->p == ',' || *in->p == '|') {
    ++in->p;
    if (!scratchPush(',')) return false;
    if (!scopeComponent()) return badScope(token);
  }
  return storeScope(scratch_, scratchLength_, token);
}

// A separator without a component behind it: the scope is an error token.
bool KtOMLLexer::badScope(KtOMLToken& token) {
  if (reader_.fatalError_) return false;
  make(token, OML_TOKEN_ERROR, 0);
  return true;
}

bool KtOMLLexer::storeScope(const char* text, std::size_t length, KtOMLToken& token) {
  if (skipping_ != 0) {
    make(token, OML_TOKEN_SCOPE, -1);
    return true;
  }
  const std::int32_t index = reader_.pObjectIDPool_->store(text, length);
  if (index < 0) {
    memoryExhausted();
    return false;
  }
  make(token, OML_TOKEN_SCOPE, index);
  return true;
}

// "$" is the root; "$x", "$,x" and "$|x" all name its child x.
bool KtOMLLexer::readTextFullScope(KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  if (!scratchReset()) return false;
  if (!scratchPush('$')) return false;
  const char c = *in->p;
  if (is(kText.bits, c, kIdent) || c == '+' || c == '-') {
    if (!scratchPush(',')) return false;
    if (!scopeComponent()) return badScope(token);
  }
  return scopeRest(token);
}

// A number that begins with a digit or a sign: an integer, a real, the first component of a
// scope, and (beginning with a digit) a byte sequence after 0x or an IP address.
bool KtOMLLexer::readTextNumber(char first, KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const char* start = in->p - 1;
  const bool hasSign = first == '+' || first == '-';
  const char* digits = hasSign ? in->p : start;
  const char* end = runOf(kText.bits, in->p, kDigit);
  in->p = const_cast<char*>(end);
  const char next = *end;
  if (end == digits) {
    if (next != '.') {
      make(token, OML_TOKEN_ERROR, 0);
      return true;
    }
    return readTextReal(start, true, token);
  }
  if (!hasSign && next == 'x' && wrappedValue(digits, end) == 0 && smallValue(digits, end) == 0) {
    ++in->p;
    return readTextBinValue(token);
  }
  if (!hasSign && next == '.' && smallValue(digits, end) <= 255)
    return readTextAddressOrReal(start, token);
  if (next == ',' || next == '|') return readTextScope(start, token);
  if (next == '.' || next == 'e' || next == 'E') return readTextReal(start, true, token);
  const std::uint32_t magnitude = wrappedValue(digits, end);
  make(token, OML_TOKEN_INTEGER,
       static_cast<std::int32_t>(first == '-' ? 0u - magnitude : magnitude));
  return true;
}

// After a first component of 0..255 and a point: four components of 0..255 are an IP address;
// one point is a real; two or three components, or one beyond 255, are an error.
bool KtOMLLexer::readTextAddressOrReal(const char* start, KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  const char* firstEnd = in->p;
  const char* second = ++in->p;
  const char* secondEnd = runOf(kText.bits, second, kDigit);
  in->p = const_cast<char*>(secondEnd);
  if (*secondEnd != '.') return readTextReal(start, false, token);
  int parts[4] = {smallValue(start, firstEnd), smallValue(second, secondEnd), 0, 0};
  bool valid = secondEnd > second && parts[1] <= 255;
  int count = 2;
  while (count < 4 && *in->p == '.') {
    const char* part = ++in->p;
    const char* partEnd = runOf(kText.bits, part, kDigit);
    in->p = const_cast<char*>(partEnd);
    parts[count++] = smallValue(part, partEnd);
    valid = valid && partEnd > part && parts[count - 1] <= 255;
  }
  if (count < 4 || !valid) {
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  std::uint32_t address = 0;
  for (int part : parts) address = address << 8 | static_cast<std::uint32_t>(part);
  make(token, OML_TOKEN_IPADDRESS, static_cast<std::int32_t>(address));
  return true;
}

// The rest of a real that begins at `start`: a fraction when `fraction` is set and a point
// follows, then an exponent. Without any digit before the exponent the text is no number.
bool KtOMLLexer::readTextReal(const char* start, bool fraction, KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  if (fraction && *in->p == '.') in->p = const_cast<char*>(runOf(kText.bits, in->p + 1, kDigit));
  const char* mantissaEnd = in->p;
  if (*in->p == 'e' || *in->p == 'E') {
    ++in->p;
    if (*in->p == '+' || *in->p == '-') ++in->p;
    in->p = const_cast<char*>(runOf(kText.bits, in->p, kDigit));
  }
  bool hasDigit = false;
  for (const char* c = start; c < mantissaEnd && !hasDigit; ++c)
    hasDigit = is(kText.bits, *c, kDigit);
  if (!hasDigit) {
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  make(token, OML_TOKEN_REAL, 0);
  token.setReal(toDouble(start, static_cast<std::size_t>(in->p - start)));
  return true;
}

// Pairs of hexadecimal digits after "0x"; a last lone digit is the high half of a byte, and
// the character after it is left for the next token.
bool KtOMLLexer::readTextBinValue(KtOMLToken& token) {
  KtOMLInput* in = aux_ != nullptr ? aux_ : pFiles_;
  if (!scratchReset()) return false;
  const char* p = in->p;
  while (is(kText.bits, *p, kHex)) {
    int byte = hexValue(*p++) << 4;
    if (is(kText.bits, *p, kHex)) byte |= hexValue(*p++);
    if (!scratchPush(static_cast<char>(byte))) return false;
  }
  in->p = const_cast<char*>(p);
  return binValueToken(scratch_, scratchLength_, token);
}

bool KtOMLLexer::binValueToken(const char* bytes, std::size_t n, KtOMLToken& token) {
  if (n > INT32_MAX) {
    memoryExhausted();
    return false;
  }
  KtOMLBinValue* value = new (std::nothrow) KtOMLBinValue(static_cast<std::int32_t>(n), bytes);
  if (value == nullptr || value->length() != static_cast<std::int32_t>(n)) {
    delete value;
    memoryExhausted();
    return false;
  }
  make(token, OML_TOKEN_BINVALUE, 0);
  token.setBinValue(value);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Words

// A word of the file: an object type, a section (the grammar's, then those declared in the
// file), a field (the grammar's, then the declared ones), an enumeration value; anything else is
// an object id.
void KtOMLLexer::classifyWord(const char* word, KtOMLWordClass& out) const {
  const KtOMLStatic* g = grammar_;
  out = KtOMLWordClass{OML_TOKEN_SCOPE, 0, -1, -1};
  if (g == nullptr) return;
  std::int32_t index = -1;
  out.fieldIndex = g->pFieldIDPool() != nullptr ? g->pFieldIDPool()->lookup(word) : -1;
  if ((index = g->pObjTypeIDPool() != nullptr ? g->pObjTypeIDPool()->lookup(word) : -1) >= 0)
    out = KtOMLWordClass{OML_TOKEN_OBJTYPE, 0, index, out.fieldIndex};
  else if ((index = g->pSectionIDPool() != nullptr ? g->pSectionIDPool()->lookup(word) : -1) >= 0)
    out = KtOMLWordClass{OML_TOKEN_SECTION, 0, index, out.fieldIndex};
  else if ((index = reader_.pUnknownSectionIDPool_->find(word)) >= 0)
    out = KtOMLWordClass{OML_TOKEN_SECTION, 0, grammarSections_ + index, out.fieldIndex};
  else if (out.fieldIndex >= 0)
    out = KtOMLWordClass{OML_TOKEN_FIELD, 0, out.fieldIndex, out.fieldIndex};
  else if ((index = reader_.pUnknownFieldIDPool_->find(word)) >= 0)
    out = KtOMLWordClass{OML_TOKEN_FIELD, 1, index, -1};
  else if ((index = g->pValueIDPool() != nullptr ? g->pValueIDPool()->lookup(word) : -1) >= 0)
    out = KtOMLWordClass{OML_TOKEN_VALUE, 0, index, -1};
}

void KtOMLLexer::declared(const char* name) {
  if (grammar_ == nullptr || name == nullptr) return;
  if (declaredWords_ == nullptr) declaredWords_ = new (std::nothrow) KtOMLWordTable;
  KtOMLWordClass* c = declaredWords_ != nullptr ? declaredWords_->entry(name) : nullptr;
  if (c == nullptr) {
    memoryExhausted();
    return;
  }
  classifyWord(name, *c);
}

bool KtOMLLexer::classify(const char* word, std::size_t length, KtOMLToken& token) {
  if (skipping_ != 0) {
    make(token, OML_TOKEN_SCOPE, -1);
    return true;
  }
  const KtOMLWordClass* known =
      declaredWords_ != nullptr ? declaredWords_->find(word, length) : nullptr;
  if (known == nullptr && grammarWords_ != nullptr) known = grammarWords_->find(word, length);
  if (unchecked_ != 0) {
    std::int32_t index = known != nullptr ? known->fieldIndex : -1;
    if (index < 0) {
      const std::int32_t stored = reader_.pUncheckedFieldIDPool_->store(word, length);
      index = stored >= 0 ? grammarFields_ + stored : -1;
    }
    make(token, index >= 0 ? OML_TOKEN_FIELD : OML_TOKEN_ERROR, index >= 0 ? index : 0);
    return true;
  }
  if (known != nullptr && known->tag != OML_TOKEN_SCOPE) {
    make(token, static_cast<KtOMLTokenTagEnum>(known->tag), known->index);
    token.unknownField(known->unknownField);
    return true;
  }
  return storeScope(word, length, token);
}

// ---------------------------------------------------------------------------------------------
// Binary tokens

void KtOMLLexer::truncated() {
  if (!reader_.fatalError_)
    reader_.internalErrorMessage(KT_OML_MSG_UNTERMINATED_BYTES, reader_.here());
}

// The next byte of the innermost file only: false at its end (the file stays open).
bool KtOMLLexer::binaryByte(unsigned char& byte) {
  KtOMLInput* in = pFiles_;
  if (in == nullptr || reader_.fatalError_) return false;
  if (in->p == in->end && !refillBinary(in, 1)) return false;
  byte = static_cast<unsigned char>(*in->p++);
  return true;
}

// The number behind a tag: one unsigned byte after a lower-case tag, else four bytes, most
// significant first. False, after error 19, when the file ends first.
bool KtOMLLexer::binaryIndex(unsigned char tag, std::int32_t& value) {
  KtOMLInput* in = pFiles_;
  const std::size_t count = ktOMLIsShortTag(tag) ? 1 : 4;
  if (in == nullptr || reader_.fatalError_ || !refillBinary(in, count)) {
    // What is left of the file is taken, as a byte-by-byte reader would.
    if (in != nullptr && !reader_.fatalError_) in->p = in->end;
    truncated();
    return false;
  }
  const unsigned char* b = reinterpret_cast<const unsigned char*>(in->p);
  value = count == 1 ? b[0]
                     : static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) << 24 |
                                                 static_cast<std::uint32_t>(b[1]) << 16 |
                                                 static_cast<std::uint32_t>(b[2]) << 8 | b[3]);
  in->p += count;
  return true;
}

bool KtOMLLexer::binaryIndexToken(KtOMLTokenTagEnum tag, unsigned char byte, std::int32_t limit,
                                  KtOMLToken& token) {
  std::int32_t index = 0;
  if (!binaryIndex(byte, index)) return false;
  if (index < 0 || index >= limit)
    make(token, OML_TOKEN_ERROR, byte);
  else
    make(token, tag, index);
  return true;
}

bool KtOMLLexer::readBinaryToken(unsigned char tag, KtOMLToken& token) {
  const KtOMLStatic* g = grammar_;
  auto count = [](const KtStringPool* pool) {
    return pool != nullptr ? pool->decodeTableMax() : 0;
  };
  switch (tag) {
    case KT_OML_TAG_STRING:
      return readBinaryString(false, false, token);
    case KT_OML_TAG_SCOPE:
      return readBinaryString(true, true, token);
    case KT_OML_TAG_NAME:
      return readBinaryString(true, false, token);
    case KT_OML_TAG_VALUE:
    case ktOMLShortTag(KT_OML_TAG_VALUE):
      return binaryIndexToken(OML_TOKEN_VALUE, tag, g != nullptr ? count(g->pValueIDPool()) : 0,
                              token);
    case KT_OML_TAG_FIELD:
    case ktOMLShortTag(KT_OML_TAG_FIELD):
      return binaryIndexToken(OML_TOKEN_FIELD, tag,
                              grammarFields_ + reader_.pUncheckedFieldIDPool_->count(), token);
    case KT_OML_TAG_OBJTYPE:
    case ktOMLShortTag(KT_OML_TAG_OBJTYPE):
      return binaryIndexToken(OML_TOKEN_OBJTYPE, tag, g != nullptr ? count(g->pObjTypeIDPool()) : 0,
                              token);
    case KT_OML_TAG_SECTION:
    case ktOMLShortTag(KT_OML_TAG_SECTION):
      return binaryIndexToken(OML_TOKEN_SECTION, tag,
                              grammarSections_ + reader_.pUnknownSectionIDPool_->count(), token);
    case KT_OML_TAG_INTEGER:
    case ktOMLShortTag(KT_OML_TAG_INTEGER):
    case KT_OML_TAG_ADDRESS:
    case ktOMLShortTag(KT_OML_TAG_ADDRESS): {
      std::int32_t value = 0;
      if (!binaryIndex(tag, value)) return false;
      make(token, ktOMLLongTag(tag) == KT_OML_TAG_INTEGER ? OML_TOKEN_INTEGER : OML_TOKEN_IPADDRESS,
           value);
      return true;
    }
    case KT_OML_TAG_REAL:
    case ktOMLShortTag(KT_OML_TAG_REAL):
      return readBinaryReal(tag, token);
    case KT_OML_TAG_BYTES:
      return readBinaryBinValue(token);
    default:
      break;
  }
  make(token, OML_TOKEN_ERROR, tag);
  return true;
}

// A string: bytes up to an unescaped double quote, a backslash taking the next byte as it
// stands, then unescaped as in text. A name or scope: bytes up to a double quote; a full scope
// gets a comma behind its '$' unless it begins with one. A zero byte ends the stored text, as it
// ends a C string. A string cut short by the end of its file is reported (18) and kept.
bool KtOMLLexer::readBinaryString(bool asScope, bool fullScope, KtOMLToken& token) {
  KtOMLInput* in = pFiles_;
  bool closed = false;
  const char* text = nullptr;
  std::size_t length = 0;
  // The common case: the whole text in the buffer, without escapes, taken where it lies.
  if (!fullScope) {
    const char* q = in->p;
    while (q < in->end && *q != '"' && (*q != '\\' || asScope)) ++q;
    if (q < in->end && *q == '"') {
      text = in->p;
      length = static_cast<std::size_t>(q - in->p);
      in->p = const_cast<char*>(q + 1);
      closed = true;
    }
  }
  if (!closed) {
    if (!scratchReset()) return false;
    if (fullScope && !scratchPush('$')) return false;
    unsigned char byte = 0;
    for (;;) {
      // The plain bytes in the buffer go over at once.
      if (!fullScope && !reader_.fatalError_ && in->p < in->end) {
        const char* q = in->p;
        while (q < in->end && *q != '"' && (*q != '\\' || asScope)) ++q;
        if (q > in->p) {
          if (!scratchAppend(in->p, static_cast<std::size_t>(q - in->p))) return false;
          in->p = const_cast<char*>(q);
          continue;
        }
      }
      if (!binaryByte(byte)) break;
      if (byte == '"') {
        closed = true;
        break;
      }
      if (fullScope && scratchLength_ == 1 && byte != ',' && !scratchPush(',')) return false;
      if (!scratchPush(static_cast<char>(byte))) return false;
      if (byte == '\\' && !asScope) {
        if (!binaryByte(byte)) break;
        if (!scratchPush(static_cast<char>(byte))) return false;
      }
    }
    text = scratch_;
    length = scratchLength_;
  }
  if (reader_.fatalError_) return false;
  if (!closed) reader_.internalErrorMessage(KT_OML_MSG_UNTERMINATED_STRING, reader_.here());
  if (reader_.fatalError_) return false;
  if (skipping_ != 0) {
    make(token, asScope ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, -1);
    return true;
  }
  const void* zero = std::memchr(text, 0, length);
  if (zero != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
  std::int32_t index;
  if (asScope) {
    index = reader_.pObjectIDPool_->store(text, length);
  } else {
    if (text != scratch_) {
      // Without a backslash there is nothing to unescape.
      index = reader_.pStringPool_->store(text, length);
    } else {
      length = removeEscapeSequences(scratch_, length);
      index = reader_.pStringPool_->store(scratch_, length);
    }
  }
  if (index < 0) {
    memoryExhausted();
    return false;
  }
  make(token, asScope ? OML_TOKEN_SCOPE : OML_TOKEN_STRING, index);
  return true;
}

// mantissa * 10^exponent by multiplications or divisions by 10, eight at a time, then one at a
// time. The loops stop once the value is 0 or infinite, where further steps change nothing.
double KtOMLLexer::scaledReal(std::int32_t mantissa, std::int32_t exponent) {
  double value = mantissa;
  auto finite = [&value]() { return value != 0 && value - value == 0; };
  std::int64_t e = exponent;
  for (; e >= 8 && finite(); e -= 8) value *= 1e8;
  for (; e > 0 && finite(); --e) value *= 10;
  for (; e <= -8 && finite(); e += 8) value /= 1e8;
  for (; e < 0 && finite(); ++e) value /= 10;
  return value;
}

// The mantissa, then a second R tag with the decimal exponent.
bool KtOMLLexer::readBinaryReal(unsigned char tag, KtOMLToken& token) {
  std::int32_t mantissa = 0, exponent = 0;
  if (!binaryIndex(tag, mantissa)) return false;
  unsigned char second = 0;
  if (!binaryByte(second)) {
    truncated();
    return false;
  }
  if (ktOMLLongTag(second) != KT_OML_TAG_REAL) {
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  if (!binaryIndex(second, exponent)) return false;
  make(token, OML_TOKEN_REAL, 0);
  token.setReal(scaledReal(mantissa, exponent));
  return true;
}

// The length claims no memory ahead: the bytes are gathered as they arrive, so a length beyond
// the file costs what the file holds, and ends in error 19.
bool KtOMLLexer::readBinaryBinValue(KtOMLToken& token) {
  unsigned char lengthTag = 0;
  if (!binaryByte(lengthTag)) {
    truncated();
    return false;
  }
  if (ktOMLLongTag(lengthTag) != KT_OML_TAG_INTEGER) {
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  std::int32_t length = 0;
  if (!binaryIndex(lengthTag, length)) return false;
  if (length < 0) {
    make(token, OML_TOKEN_ERROR, 0);
    return true;
  }
  KtOMLInput* in = pFiles_;
  const std::size_t n = static_cast<std::size_t>(length);
  if (static_cast<std::size_t>(in->end - in->p) >= n) {
    const char* bytes = in->p;
    in->p += n;
    return binValueToken(bytes, n, token);
  }
  if (!scratchReset()) return false;
  std::size_t missing = n;
  while (missing > 0 && !reader_.fatalError_) {
    if (in->p == in->end && !refillBinary(in, 1)) break;
    const std::size_t take = std::min(missing, static_cast<std::size_t>(in->end - in->p));
    if (!scratchAppend(in->p, take)) return false;
    in->p += take;
    missing -= take;
  }
  if (reader_.fatalError_) return false;
  if (missing > 0) {
    truncated();
    return false;
  }
  return binValueToken(scratch_, scratchLength_, token);
}

// ---------------------------------------------------------------------------------------------
// Scratch text

bool KtOMLLexer::scratchReserve(std::size_t more) {
  const std::size_t needed = scratchLength_ + more + 1;
  if (needed <= scratchCapacity_) return true;
  if (needed > static_cast<std::size_t>(INT32_MAX)) {
    memoryExhausted();
    return false;
  }
  std::size_t capacity = scratchCapacity_ < 256 ? 256 : scratchCapacity_;
  while (capacity < needed) capacity *= 2;
  char* grown = static_cast<char*>(std::realloc(scratch_, capacity));
  if (grown == nullptr) {
    memoryExhausted();
    return false;
  }
  scratch_ = grown;
  scratchCapacity_ = capacity;
  return true;
}

bool KtOMLLexer::scratchReset() {
  scratchLength_ = 0;
  if (!scratchReserve(0)) return false;
  scratch_[0] = 0;
  return true;
}

bool KtOMLLexer::scratchAppend(const char* bytes, std::size_t n) {
  if (!scratchReserve(n)) return false;
  std::memcpy(scratch_ + scratchLength_, bytes, n);
  scratchLength_ += n;
  scratch_[scratchLength_] = 0;
  return true;
}

char* KtOMLLexer::scratch(std::size_t length) {
  scratchLength_ = 0;
  if (!scratchReserve(length)) return nullptr;
  return scratch_;
}
