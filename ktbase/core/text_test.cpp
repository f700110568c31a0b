#include "ktbase/core/text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

TEST(InternalText, AppendPrependAndSelfReferences) {
  KtInternalText text("ab");
  text.appendString("cd");
  EXPECT_STREQ(text.prependString(">"), ">abcd");
  char* before = text.pString();
  EXPECT_EQ(text.appendString(nullptr), before);
  EXPECT_STREQ(text.pString(), ">abcd");
  KtInternalText empty;
  EXPECT_EQ(empty.pString(), nullptr);
  EXPECT_STREQ(empty.appendString("x"), "x");
  KtInternalText none;
  EXPECT_STREQ(none.prependString("y"), "y");
  // A text given from inside the current string survives the exchange.
  text.pString(text.pString() + 1);
  EXPECT_STREQ(text.pString(), "abcd");
  text.appendString(text.pString());
  EXPECT_STREQ(text.pString(), "abcdabcd");
  text = text;
  EXPECT_STREQ(text.pString(), "abcdabcd");
  KtInternalText copy(text);
  text.pString(nullptr);
  EXPECT_EQ(text.pString(), nullptr);
  EXPECT_STREQ(copy.pString(), "abcdabcd");
  EXPECT_EQ(copy.sizeOf(), static_cast<std::int32_t>(sizeof(KtInternalText)) + 8);
  EXPECT_EQ(text.sizeOf(), static_cast<std::int32_t>(sizeof(KtInternalText)));
}

TEST(Text, MessagesCopiesAndSizes) {
  KtText message(12);
  EXPECT_STREQ(message.pString(), "memory exhausted");
  KtText outside(99);
  ASSERT_NE(outside.pString(), nullptr);
  EXPECT_STREQ(outside.pString(), "");
  KtText three("abc");
  KtText none;
  EXPECT_EQ(three.sizeOf() - none.sizeOf(), 3);
  KtText attributes(three, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.pString(), nullptr);
  KtText deep(three);
  three.pString("changed");
  EXPECT_STREQ(deep.pString(), "abc");
  KtText* clone = three.cloneObject();
  EXPECT_STREQ(clone->pString(), "changed");
  EXPECT_NE(clone->pString(), three.pString());
  delete clone;
  KtText* emptyClone = three.cloneAttributes();
  EXPECT_EQ(emptyClone->pString(), nullptr);
  delete emptyClone;

  KtErrorMsg error("boom");
  KtErrorMsg* errorClone = error.cloneObject();
  EXPECT_STREQ(errorClone->pString(), "boom");
  delete errorClone;
  KtErrorMsg errorAttributes(error, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(errorAttributes.pString(), nullptr);
}

// Runs `write` with standard error sent to a temporary file and returns what arrived there.
template <class Write>
std::string capturedError(Write write) {
  std::fflush(stderr);
  char name[] = "/tmp/ktbase-stderr-XXXXXX";
  int file = mkstemp(name);
  int saved = dup(2);
  dup2(file, 2);
  write();
  dup2(saved, 2);
  close(saved);
  std::string text;
  char bytes[256];
  lseek(file, 0, SEEK_SET);
  for (ssize_t n; (n = read(file, bytes, sizeof bytes)) > 0;) text.append(bytes, n);
  close(file);
  unlink(name);
  return text;
}

TEST(ErrorMsg, WritesExactlyItsTextToStandardError) {
  EXPECT_EQ(capturedError([] { displayErrorMessage("x\n"); }), "x\n");
  EXPECT_EQ(capturedError([] { KtErrorMsg("no line end").display(); }), "no line end");
  EXPECT_EQ(capturedError([] { KtErrorMsg().display(); }), "");
  EXPECT_EQ(capturedError([] { displayErrorMessage(nullptr); }), "");
}

}  // namespace
