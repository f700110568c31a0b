// The factory's hooks: the plain factory makes nothing, each hook hands its owner and kind to the
// virtual a subclass overrides, and the creator string keeps what callers may pass back to it.
#include "ktbase/oml/ufactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TestFactory : public KtUFactory {
 public:
  KtOMLObject* lastOwner = nullptr;
  int lastKind = 0;

 protected:
  KtOMLObject* vNewGraph(KtOMLObject* owner, int kind) override {
    lastOwner = owner;
    lastKind = kind;
    return new KtOMLObject;
  }
  KtOMLObject* vNewNode(KtOMLObject* owner, int kind) override {
    lastOwner = owner;
    lastKind = kind;
    return nullptr;
  }
};

TEST(FactoryTest, HooksAndCreatorString) {
  KtUFactory plain;
  EXPECT_EQ(plain.isFactory(), 1);
  EXPECT_EQ(plain.ktNewGraph(nullptr, 0), nullptr);
  EXPECT_EQ(plain.ktNewIntergraph(nullptr, 0), nullptr);
  EXPECT_EQ(plain.ktNewDGrammar(), nullptr);
  EXPECT_EQ(plain.ktNewPEdge(nullptr), nullptr);
  EXPECT_STREQ(plain.pCreatorString(), "Quelora");
  EXPECT_STREQ(plain.pCreatorString(nullptr), "Quelora");
  EXPECT_STREQ(plain.pCreatorString(plain.pCreatorString() + 3), "lora");  // a suffix of itself
  EXPECT_STREQ(plain.pCreatorString(plain.pCreatorString()), "lora");
  EXPECT_STREQ(plain.pCreatorString("Other"), "Other");

  TestFactory factory;
  std::unique_ptr<KtOMLObject> inter(factory.ktNewIntergraph(nullptr, 7));
  EXPECT_NE(inter, nullptr);  // an inter-graph is what the graph hook makes
  EXPECT_EQ(factory.lastOwner, &factory);
  EXPECT_EQ(factory.lastKind, 7);
  KtOMLObject owner;
  EXPECT_EQ(factory.ktNewNode(&owner, 3), nullptr);
  EXPECT_EQ(factory.lastOwner, &owner);
  EXPECT_EQ(factory.lastKind, 3);
  EXPECT_EQ(factory.ktNewInterMGraph(nullptr, 0), nullptr);
}

}  // namespace
