#include "ktbase/core/numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(KtBoxedNumbers, HoldSetAndCopyTheirValue) {
  KtInt i;
  EXPECT_EQ(i.value(), 0);
  EXPECT_EQ(i.value(7), 7);
  EXPECT_EQ(i.value(), 7);

  KtLong l(-2147483647 - 1);
  KtLong attributes(l, KT_ATTRIBUTE_COPY);  // both flags copy the value
  EXPECT_EQ(attributes.value(), -2147483647 - 1);

  KtDouble d;
  EXPECT_EQ(d.value(), 0.0);
  d.value(2.5);
  KtDouble* clone = d.cloneObject();
  KtDouble* attributeClone = d.cloneAttributes();
  EXPECT_EQ(clone->value(), 2.5);
  EXPECT_EQ(attributeClone->value(), 2.5);
  delete clone;
  delete attributeClone;

  KtInt target(1);
  KtObject* asObject = &target;
  asObject->copyAttributes(&i);
  EXPECT_EQ(target.value(), 7);
  target = KtInt(9);
  EXPECT_EQ(target.value(), 9);
}

}  // namespace
