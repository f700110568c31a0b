#include "ktbase/core/object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ktbase/core/algorithm.h"

namespace {

// A class written the way every class of the library is, counting which copy member ran.
class Probe : public KtObject {
  KT_OBJECT(Probe, KtObject)

 public:
  explicit Probe(int setting = 0, int content = 0) : setting_(setting), content_(content) {}
  int setting() const { return setting_; }
  int content() const { return content_; }
  int deepCopies = 0;
  int attributeCopies = 0;

 protected:
  void init() { setting_ = content_ = 0; }

 private:
  int setting_;
  int content_;
};

void Probe::ProbedeepCopy(const Probe& source) {
  KtObjectdeepCopy(source);
  setting_ = source.setting_;
  content_ = source.content_;
  ++deepCopies;
}

void Probe::ProbeattributeCopy(const Probe& source) {
  KtObjectattributeCopy(source);
  setting_ = source.setting_;
  ++attributeCopies;
}

TEST(KtObject, DefaultsOfThePlainObject) {
  KtObject object;
  EXPECT_EQ(object.localID(), -2147483647 - 1);
  EXPECT_EQ(object.isOMLObject(), 0);
  EXPECT_EQ(object.graphFileID(), reinterpret_cast<std::intptr_t>(&object));
  EXPECT_EQ(KtObject::castDown(nullptr), nullptr);
  EXPECT_EQ(KtObject::castDown(&object), &object);
  EXPECT_EQ(object.fileOutput("name", "text"), KT_NO_ERROR);
  EXPECT_EQ(staticFileOutput(nullptr, nullptr, nullptr), KT_NO_ERROR);

  KtObject* clone = object.cloneObject();
  KtObject* attributes = object.cloneAttributes();
  ASSERT_NE(clone, nullptr);
  ASSERT_NE(attributes, nullptr);
  EXPECT_NE(clone, &object);
  delete clone;
  delete attributes;
}

TEST(KtObject, CopyConstructorFollowsTheDeepFlag) {
  Probe source(3, 4);
  Probe deep(source);
  EXPECT_EQ(deep.setting(), 3);
  EXPECT_EQ(deep.content(), 4);
  EXPECT_EQ(deep.deepCopies, 1);
  EXPECT_EQ(deep.attributeCopies, 0);

  Probe attributes(source, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.setting(), 3);
  EXPECT_EQ(attributes.content(), 0);
  EXPECT_EQ(attributes.attributeCopies, 1);

  // Any value other than the deep flag runs the attribute chain.
  Probe other(source, static_cast<KtDeepFlagEnum>(7));
  EXPECT_EQ(other.content(), 0);
  EXPECT_EQ(other.attributeCopies, 1);
}

TEST(KtObject, CopyingFromNullOrItselfChangesNothing) {
  Probe probe(1, 2);
  probe.copyObject(nullptr);
  probe.copyObject(&probe);
  probe.copyAttributes(nullptr);
  probe.copyAttributes(&probe);
  probe = probe;
  EXPECT_EQ(probe.deepCopies, 0);
  EXPECT_EQ(probe.attributeCopies, 0);
  EXPECT_EQ(&(probe = probe), &probe);

  Probe source(5, 6);
  KtObject* asObject = &probe;
  asObject->copyAttributes(&source);
  EXPECT_EQ(probe.setting(), 5);
  EXPECT_EQ(probe.content(), 2);
  asObject->copyObject(&source);
  EXPECT_EQ(probe.content(), 6);
  probe = Probe(8, 9);
  EXPECT_EQ(probe.content(), 9);
  EXPECT_EQ(probe.deepCopies, 2);
}

TEST(KtObject, ClonesDispatchToTheDynamicClass) {
  Probe source(5, 6);
  const KtObject* asObject = &source;
  Probe* deep = Probe::castDown(asObject->cloneObject());
  Probe* attributes = source.cloneAttributes();
  ASSERT_NE(deep, nullptr);
  ASSERT_NE(attributes, nullptr);
  EXPECT_EQ(deep->content(), 6);
  EXPECT_EQ(attributes->setting(), 5);
  EXPECT_EQ(attributes->content(), 0);
  delete deep;
  delete attributes;
}

class Recorder : public KtQELAlgorithm {
 public:
  std::vector<std::string> calls;
  void emptyInformation() override { calls.push_back("empty"); }
  void initialize() override { calls.push_back("initialize"); }
  void algorithmBody() override { calls.push_back("body"); }
  void finalize() override { calls.push_back("finalize"); }
};

class BodyOnly : public KtQELAlgorithm {
 public:
  int runs = 0;
  void algorithmBody() override { ++runs; }
};

TEST(KtQELAlgorithm, RunCallsTheHooksInOrderOnce) {
  Recorder recorder;
  KtQELAlgorithm& algorithm = recorder;
  algorithm.run();
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"empty", "initialize", "body", "finalize"}));

  BodyOnly body;
  body.run();
  body.run();
  EXPECT_EQ(body.runs, 2);

  // An algorithm is not cloned: the clone is a plain object.
  KtObject* clone = body.cloneObject();
  ASSERT_NE(clone, nullptr);
  delete clone;
}

}  // namespace
