// KtOMLLexer: the OML reader's lowest layer. It owns the stack of open input files, reads each
// in large blocks, and turns the bytes into tokens where they lie: text is scanned in place with
// a table of character classes (a word is copied only when an escape sequence or a line ending
// inside it changes its text), binary items are decoded from the block. It tracks brackets and
// the place of every token, classifies words against the grammar and the names the file
// declares, and reports what it finds wrong through its reader. Internal to the library: not
// installed. KtOMLFile owns one; the parser and the checks talk to it through the calls below.
//
// Places. Text: the line (from 1) and the position in it (from 1) of a token's last character;
// a line ends at LF, CR, CR LF or LF CR, and a last line without ending ends with the file.
// Binary: the number of bytes read from the file so far, and position 0.
#ifndef KTBASE_OML_OML_LEXER_H
#define KTBASE_OML_OML_LEXER_H

#include <cstddef>
#include <cstdint>

#include "ktbase/files/platform.h"

#include "ktbase/oml/oml_names.h"
#include "ktbase/oml/oml_token.h"
#include "ktbase/oml/oml_words.h"

class KtOMLFile;
class KtOMLStatic;

// One open input file (or the aux text): where reading stands in it.
struct KtOMLInput {
  void* handle = KT_INVALID_HANDLE;
  char* buffer = nullptr;    // owned, except the aux text's
  std::size_t capacity = 0;  // usable bytes; two more hold a last line feed and the stop byte
  char* p = nullptr;         // the next unread byte
  char* limit = nullptr;     // text: the end of the whole lines ready (a 0 stands there)
  char* end = nullptr;       // the end of the bytes read
  char saved = 0;            // the byte the 0 at limit stands on
  bool eof = false;          // the file has nothing more to give
  std::int64_t before = 0;   // bytes of the file consumed before buffer[0]
  std::int32_t line = 1;     // text: the line p is on
  const char* lineStart = nullptr;
  std::int32_t lastEnd = 0;  // text: the position after the previous line's ending
  std::int32_t fileNameIndex = -1;
  std::uint64_t device = 0, inode = 0;
  KtOMLInput* next = nullptr;
};

class KtOMLLexer {
 public:
  explicit KtOMLLexer(KtOMLFile& reader);
  KtOMLLexer(const KtOMLLexer&) = delete;
  KtOMLLexer& operator=(const KtOMLLexer&) = delete;
  ~KtOMLLexer();

  // Prepares a reading of text or binary against `grammar`: the words it knows.
  void start(const KtOMLStatic* grammar, bool binary);
  // Closes every input file, forgets the open brackets and the look-ahead token.
  void stop();

  // ----- input
  // Opens `name` on top of the stack: the main file, or a file included by the one on top.
  // Fatal error 13 (and the reader's result 2) when it cannot be opened, when it is open
  // already further down (an include cycle), when 64 files are open, and, for an included
  // file, when it is no regular file or the reader's include mode refuses it.
  void pushFile(const char* name);
  // Returns 1 iff input is left to read.
  int hasInput() const { return pFiles_ != nullptr || aux_ != nullptr; }
  // Characters come from `*text` (taken from its front as they are read) instead of a file;
  // null ends that mode.
  void auxText(char** text);
  int auxMode() const { return aux_ != nullptr; }

  // ----- tokens
  // Takes the next token (the look-ahead token when one is held) into `token`, whose value
  // (a byte sequence) then belongs to the caller; false at the end of all input. Adjacent byte
  // sequences come as one.
  bool next(KtOMLToken& token) {
    if (token.tagBits() == OML_TOKEN_BINVALUE) token.releaseValue();
    if (hasLookAhead_) {
      token.moveFrom(lookAhead_);
      hasLookAhead_ = false;
    } else if (!read(token)) {
      return false;
    }
    if (token.tagBits() == OML_TOKEN_BINVALUE) joinSequences(token);
    return true;
  }
  // The token read ahead (reading it when none is held); null at the end of all input.
  KtOMLToken* peek() {
    if (!hasLookAhead_) {
      if (!read(lookAhead_)) return nullptr;
      hasLookAhead_ = true;
    }
    return &lookAhead_;
  }
  // The look-ahead token when one is held (nothing is read); null otherwise.
  KtOMLToken* held() { return hasLookAhead_ ? &lookAhead_ : nullptr; }
  // Gives a token back: it becomes the look-ahead token. None may be held.
  void putBack(KtOMLToken& token);
  // The next read first passes over the rest of the block opened last (a skipped section).
  void skipBlock() { skipLevel_ = bracketLevel_; }
  // The next read first passes over the rest of the current line (binary: the next item, with
  // its block).
  void skipRestOfLine() { skipLine_ = 1; }
  // Unchecked mode: every word is a field name. Switching it on classifies a word read ahead
  // again.
  int unchecked() const { return unchecked_; }
  void unchecked(int on);
  // A word is declared a section or a field (its index among the reader's declared names is
  // stored already): words read from now on are classified anew.
  void declared(const char* name);
  // False when start() found no memory for the grammar's words.
  bool hasWords() const { return grammar_ == nullptr || grammarWords_ != nullptr; }

  // ----- places
  // Where reading stands: the innermost file's line, position and name; -1 for none.
  std::int32_t line() const;
  int position() const;
  std::int32_t fileNameIndex() const;
  int bracketLevel() const { return bracketLevel_; }

  // Scratch text for callers that assemble a text for a moment (valid until the next call).
  char* scratch(std::size_t length);

 private:
  struct Bracket {
    char kind;
    std::int32_t fileNameIndex;
    std::int32_t line;
    std::int32_t position;
  };

  // Input
  bool openInput(const char* name, bool include, KtOMLInput*& input);
  void popFile();
  bool refillText(KtOMLInput* in);
  bool refillBinary(KtOMLInput* in, std::size_t need);
  bool readMore(KtOMLInput* in);
  bool includeAllowed(const char* name, const KtOMLInput* input, bool regular) const;
  KtOMLInput* top() const { return pFiles_; }

  // Tokens
  bool read(KtOMLToken& token);
  // Appends the byte sequences read next to the one in `token`.
  void joinSequences(KtOMLToken& token);
  // Where reading stands: the innermost file (-1 for none or the aux text), the line and the
  // position. Text: right after a line's ending, reading still stands on that line, after its
  // last character. Binary: the bytes read from the file, and position 0.
  void where(std::int32_t& file, std::int32_t& line, std::int32_t& position) const {
    const KtOMLInput* in = pFiles_;
    if (aux_ != nullptr || in == nullptr) {
      file = line = position = -1;
    } else if (binary_) {
      const std::int64_t n = in->before + (in->p - in->buffer);
      file = in->fileNameIndex;
      line = n < INT32_MAX ? static_cast<std::int32_t>(n) : INT32_MAX;
      position = 0;
    } else if (in->p == in->lineStart) {
      file = in->fileNameIndex;
      line = in->line - 1;
      position = in->lastEnd;
    } else {
      const std::ptrdiff_t n = in->p - in->lineStart;
      file = in->fileNameIndex;
      line = in->line;
      position = n < INT32_MAX ? static_cast<std::int32_t>(n) : INT32_MAX;
    }
  }
  // A token of the given kind, placed where reading stands.
  void make(KtOMLToken& token, KtOMLTokenTagEnum tag, std::int32_t value) const {
    std::int32_t file, line, position;
    where(file, line, position);
    token.assign(static_cast<std::uint32_t>(tag), static_cast<std::uint32_t>(value), file, line,
                 position);
  }
  bool punctuation(char c, KtOMLToken& token);
  void pushBracket(char kind);
  void popBracket(char kind);
  void skipToLevel(int level);
  void passRestOfLine();

  // Text
  bool readText(KtOMLToken& token);
  char nextTextStart();
  bool readTextToken(char c, KtOMLToken& token);
  bool readTextString(KtOMLToken& token);
  bool readTextIdentifier(KtOMLToken& token);
  bool readTextFullScope(KtOMLToken& token);
  bool readTextNumber(char first, KtOMLToken& token);
  bool readTextAddressOrReal(const char* start, KtOMLToken& token);
  bool readTextReal(const char* start, bool fraction, KtOMLToken& token);
  bool readTextBinValue(KtOMLToken& token);
  bool readTextScope(const char* start, KtOMLToken& token);
  bool scopeComponent();
  bool scopeRest(KtOMLToken& token);
  bool badScope(KtOMLToken& token);
  void blockComment();
  void nulByte(const char* at);
  bool classify(const char* word, std::size_t length, KtOMLToken& token);
  void classifyWord(const char* word, KtOMLWordClass& out) const;
  bool storeScope(const char* text, std::size_t length, KtOMLToken& token);

  // Binary
  bool readBinary(KtOMLToken& token);
  // The bytes the longest item a fast reader decodes takes (a real with two long forms).
  static constexpr std::ptrdiff_t kFastItem = 16;
  bool fastBinaryReal(KtOMLInput* in, KtOMLToken& token);
  bool fastBinaryText(KtOMLInput* in, bool asName, KtOMLToken& token);
  static double scaledReal(std::int32_t mantissa, std::int32_t exponent);
  bool readBinaryToken(unsigned char tag, KtOMLToken& token);
  bool binaryByte(unsigned char& byte);
  bool binaryIndex(unsigned char tag, std::int32_t& value);
  bool binaryIndexToken(KtOMLTokenTagEnum tag, unsigned char byte, std::int32_t limit,
                        KtOMLToken& token);
  bool readBinaryString(bool asScope, bool fullScope, KtOMLToken& token);
  bool readBinaryReal(unsigned char tag, KtOMLToken& token);
  bool readBinaryBinValue(KtOMLToken& token);
  bool binValueToken(const char* bytes, std::size_t n, KtOMLToken& token);
  void truncated();

  // Scratch
  bool scratchReserve(std::size_t more);
  // Empties the scratch text, which then has a buffer; false when memory runs out.
  bool scratchReset();
  bool scratchAppend(const char* bytes, std::size_t n);
  bool scratchPush(char c) {
    return scratchLength_ + 1 < scratchCapacity_ ? (scratch_[scratchLength_++] = c, true)
                                                 : scratchAppend(&c, 1);
  }
  void memoryExhausted();

  KtOMLFile& reader_;
  const KtOMLStatic* grammar_ = nullptr;
  bool binary_ = false;
  KtOMLInput* pFiles_ = nullptr;
  int openFiles_ = 0;
  KtOMLInput* aux_ = nullptr;
  char** auxText_ = nullptr;
  Bracket* brackets_ = nullptr;
  int bracketLevel_ = 0;
  int bracketCapacity_ = 0;
  int skipLevel_ = -1;
  int skipLine_ = 0;
  int skipping_ = 0;
  int unchecked_ = 0;
  KtOMLToken lookAhead_;
  bool hasLookAhead_ = false;
  // The words of the grammar (shared with other readings), and those the file declares, which
  // are looked in first (made with the first).
  const KtOMLWordTable* grammarWords_ = nullptr;
  KtOMLWordTable* declaredWords_ = nullptr;
  std::int32_t grammarSections_ = 0;
  std::int32_t grammarFields_ = 0;
  std::int32_t grammarValues_ = 0;
  std::int32_t grammarTypes_ = 0;
  char* scratch_ = nullptr;
  std::size_t scratchLength_ = 0;
  std::size_t scratchCapacity_ = 0;
};

#endif  // KTBASE_OML_OML_LEXER_H
