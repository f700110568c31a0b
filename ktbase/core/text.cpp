#include "ktbase/core/text.h"

#include <cstdlib>
#include <cstring>

#include "ktbase/files/platform.h"

KtInternalText::KtInternalText(const char* text) : string_(nullptr) { pString(text); }

KtInternalText::KtInternalText(std::int32_t messageNumber) : string_(nullptr) {
  pString(getStringResource(messageNumber));
}

KtInternalText::KtInternalText(const KtInternalText& source) : string_(nullptr) {
  pString(source.string_);
}

KtInternalText& KtInternalText::operator=(const KtInternalText& source) {
  if (&source != this) pString(source.string_);
  return *this;
}

KtInternalText::~KtInternalText() { std::free(string_); }

// The copy is made before the old string is freed: `text` may point into it.
char* KtInternalText::pString(const char* text) {
  char* copy = nullptr;
  if (text != nullptr) {
    std::size_t length = std::strlen(text);
    copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return string_;
    std::memcpy(copy, text, length + 1);
  }
  std::free(string_);
  return string_ = copy;
}

char* KtInternalText::join(const char* first, const char* second) {
  std::size_t firstLength = std::strlen(first);
  std::size_t secondLength = std::strlen(second);
  char* joined = static_cast<char*>(std::malloc(firstLength + secondLength + 1));
  if (joined == nullptr) return string_;
  std::memcpy(joined, first, firstLength);
  std::memcpy(joined + firstLength, second, secondLength + 1);
  std::free(string_);
  return string_ = joined;
}

char* KtInternalText::appendString(const char* text) {
  if (text == nullptr) return string_;
  if (string_ == nullptr) return pString(text);
  return join(string_, text);
}

char* KtInternalText::prependString(const char* text) {
  if (text == nullptr) return string_;
  if (string_ == nullptr) return pString(text);
  return join(text, string_);
}

std::int32_t KtInternalText::sizeOf() const {
  std::size_t size = sizeof(KtInternalText);
  if (string_ != nullptr) size += std::strlen(string_);
  return static_cast<std::int32_t>(size);
}

KtText::~KtText() {}

void KtText::KtTextdeepCopy(const KtText& source) {
  KtObjectdeepCopy(source);
  text_ = source.text_;
}

void KtText::KtTextattributeCopy(const KtText& source) {
  KtObjectattributeCopy(source);
  text_.pString(nullptr);
}

std::int32_t KtText::sizeOf() const {
  return text_.sizeOf() + static_cast<std::int32_t>(sizeof(KtText) - sizeof(KtInternalText));
}

KtErrorMsg::~KtErrorMsg() {}

void KtErrorMsg::KtErrorMsgdeepCopy(const KtErrorMsg& source) { KtText::copyObject(&source); }
void KtErrorMsg::KtErrorMsgattributeCopy(const KtErrorMsg& source) {
  KtText::copyAttributes(&source);
}

void KtErrorMsg::display() const {
  const char* text = pString();
  if (text == nullptr || *text == 0) return;
  KtByteOrderEnum order = KT_BYTE_ORDER_DEFAULT;
  ktInternalWrite(reinterpret_cast<void*>(static_cast<std::intptr_t>(2)), &order, text, nullptr);
}

void displayErrorMessage(const char* text) {
  KtErrorMsg message(text);
  message.display();
}
