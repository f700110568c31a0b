#include "ktbase/oml/oml_messages.h"

#include "ktbase/files/platform.h"

namespace {

const char* const kTexts[] = {
#define KT_OML_MESSAGE_TEXT(name, number, text) text,
    KT_OML_MESSAGES(KT_OML_MESSAGE_TEXT)
#undef KT_OML_MESSAGE_TEXT
};

// The table lists every number once, in order.
constexpr bool numbersInOrder() {
  int expected = 0;
#define KT_OML_MESSAGE_CHECK(name, number, text) \
  if (number != expected++) return false;
  KT_OML_MESSAGES(KT_OML_MESSAGE_CHECK)
#undef KT_OML_MESSAGE_CHECK
  return true;
}
static_assert(numbersInOrder(), "message numbers are listed in order, without gaps");
static_assert(KT_OML_MESSAGE_COUNT == 52, "the message numbers are part of what users see");

}  // namespace

const char* ktOMLMessageText(int code) {
  return code >= 0 && code < KT_OML_MESSAGE_COUNT ? kTexts[code] : "";
}

// The library's message table is the reader's.
const char* getStringResource(int n) { return ktOMLMessageText(n); }
