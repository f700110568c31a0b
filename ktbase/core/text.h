// Owned, zero-terminated texts. KtInternalText is a plain holder without the object protocol,
// for use inside other classes; KtText wraps one as a KtObject so that a text can sit in the
// containers and be copied through the protocol; KtErrorMsg is a KtText that prints itself to
// the standard error stream.
//
// A holder owns its string (null when there is none) and always stores a fresh copy of what it
// is given, so a caller may pass a pointer into the current string. Null arguments mean "no
// text" everywhere. A text built from a message number holds a copy of that message of the
// library's table (getStringResource), or the empty text for a number outside the table. When
// memory runs out the holder keeps its previous string.
//
// A number argument selects the message table: KtText(0) is message 0, not the null text
// (KtText() is that).
#ifndef KTBASE_CORE_TEXT_H
#define KTBASE_CORE_TEXT_H

#include <cstdint>

#include "ktbase/core/object.h"

class KtInternalText {
 public:
  KtInternalText(const char* text = nullptr);
  explicit KtInternalText(std::int32_t messageNumber);
  KtInternalText(const KtInternalText& source);
  KtInternalText& operator=(const KtInternalText& source);
  ~KtInternalText();

  // pString() reads the string (null when none; the holder keeps it); pString(text) replaces it
  // with a copy of text (nothing for null) and returns the new string.
  char* pString() const { return string_; }
  char* pString(const char* text);
  // The string followed (append) or preceded (prepend) by text; nothing for null text.
  char* appendString(const char* text);
  char* prependString(const char* text);
  // The holder's size plus the string's length without its terminator.
  std::int32_t sizeOf() const;
  void debugOutput(int) {}

 private:
  char* join(const char* first, const char* second);

  char* string_;
};

class KtText : public KtObject {
  KT_OBJECT(KtText, KtObject)

 public:
  KtText(const char* text = nullptr) : text_(text) {}
  explicit KtText(std::int32_t messageNumber) : text_(messageNumber) {}
  explicit KtText(const KtInternalText& text) : text_(text) {}
  ~KtText() override;

  char* pString() const { return text_.pString(); }
  char* pString(const char* text) { return text_.pString(text); }
  char* appendString(const char* text) { return text_.appendString(text); }
  char* prependString(const char* text) { return text_.prependString(text); }
  void debugOutput(int) override {}

  // Slot 9: the holder's size plus the KtText object's own part.
  virtual std::int32_t sizeOf() const;

 protected:
  // The attribute copy of a text is empty.
  void init() { text_.pString(nullptr); }

 private:
  KtInternalText text_;
};

class KtErrorMsg : public KtText {
  KT_OBJECT(KtErrorMsg, KtText)

 public:
  KtErrorMsg(const char* text = nullptr) : KtText(text) {}
  ~KtErrorMsg() override;

  // Writes the text as it is, without adding a line end, to the standard error stream; a write
  // failure is not reported, and a message without text writes nothing.
  void display() const;

 protected:
  void init() {}
};

// Prints `text` to the standard error stream as a KtErrorMsg does.
void displayErrorMessage(const char* text);

#endif  // KTBASE_CORE_TEXT_H
