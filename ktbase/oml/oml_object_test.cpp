#include "ktbase/oml/oml_object.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ktbase/containers/hash_table.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_extension.h"
#include "ktbase/oml/oml_file.h"

namespace {

std::int64_t address(const void* p) {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p));
}

// An OML object with sub-objects, as a graph's node list would be.
class Tree : public KtOMLObject {
 public:
  std::vector<Tree*> children;
  void add(Tree* child) { children.push_back(child); }

 protected:
  void vBuildListOfSubObjects(KtDList& list) override {
    for (Tree* child : children) list.appendObject(child);
  }
};

std::vector<std::int64_t> ids(const KtDList& list) {
  std::vector<std::int64_t> result;
  for (KtDListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell())
    result.push_back(KtOMLObject::castDown(c->pObject())->iUserField());
  return result;
}

TEST(OMLObjectTest, UniqueIDs) {
  EXPECT_EQ(KtUniqueID().isNullID(), 1);
  EXPECT_EQ(KtUniqueID(0, 0).isNullID(), 1);
  EXPECT_EQ(KtUniqueID(0, 1).isNullID(), 0);
  EXPECT_EQ(KtUniqueID(static_cast<const KtObject*>(nullptr)).isNullID(), 1);
  char buffer[19];
  EXPECT_STREQ(KtUniqueID((std::int64_t{1} << 32) + 2, 5).idString(buffer), "ID0000000200000005");
  EXPECT_STREQ(KtUniqueID(-1, 0xABCDEF).idString(buffer), "IDffffffff00abcdef");
  KtObject plain;
  KtUniqueID id(&plain);
  EXPECT_EQ(id.firstID(), address(&plain));
  EXPECT_EQ(id.secondID(), -(std::int64_t{1} << 31));  // KT_NO_LOCAL_ID, sign-extended
  KtOMLObject oml;
  id = &oml;
  EXPECT_EQ(id.firstID(), address(&oml));
  EXPECT_EQ(id.secondID(), 0);
  KtUniqueID copy(id);
  EXPECT_EQ(copy.firstID(), id.firstID());
}

TEST(OMLObjectTest, UserFieldAndCopies) {
  KtOMLObject a;
  EXPECT_EQ(a.iUserField(), 0);
  EXPECT_EQ(a.internalUserFieldsInUse(), 0);
  EXPECT_EQ(a.pIUserField(&a), &a);
  EXPECT_EQ(a.pIUserField(), &a);
  EXPECT_EQ(a.graphFileID(), address(&a));
  EXPECT_EQ(a.internalUserFieldsInUse(), 1);
  EXPECT_EQ(a.isOMLObject(), 1);
  EXPECT_EQ(a.isFactory(), 0);
  EXPECT_EQ(a.localID(), 0);
  KtOMLObject copy(a);
  EXPECT_EQ(copy.iUserField(), 0);
  KtOMLObject attributes(a, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.iUserField(), 0);
  KtOMLObject* clone = a.cloneObject();
  EXPECT_EQ(clone->iUserField(), 0);
  delete clone;
  KtOMLObject b;
  b.iUserField(77);
  b = a;  // copies nothing
  EXPECT_EQ(b.iUserField(), 77);
  b.nullInternalUserFields();
  EXPECT_EQ(b.iUserField(), 0);
}

TEST(OMLObjectTest, MakeIDsUnique) {
  KtIndexHashTable table(101, 8, 0);
  table.update(1000, 40);
  Tree a, b, c;
  a.iUserField(16);
  b.iUserField(24);
  c.iUserField(16);
  KtDList siblings;
  siblings.appendObject(&c);
  siblings.appendObject(&b);
  siblings.appendObject(&a);
  a.makeIDsUniqueForGraphFile(&table, &siblings);
  // The first 16 in the sorted (stable) order keeps its identifier.
  EXPECT_EQ(c.iUserField(), 16);
  EXPECT_EQ(a.iUserField(), 48);
  EXPECT_EQ(b.iUserField(), 24);
  EXPECT_EQ(ids(siblings), (std::vector<std::int64_t>{16, 48, 24}));
  EXPECT_EQ(table.maxValueIndex(), 40);  // the table is not changed

  // Identifiers equal to the error value always move; fresh ones skip the error value.
  KtIndexHashTable skipping(101, 8, 48);
  skipping.update(8, 40);
  Tree d, e, f;
  d.iUserField(48);
  e.iUserField(48);
  f.iUserField(5);
  KtDList three;
  three.appendObject(&d);
  three.appendObject(&e);
  three.appendObject(&f);
  d.makeIDsUniqueForGraphFile(&skipping, &three);
  EXPECT_EQ(f.iUserField(), 5);
  EXPECT_EQ(d.iUserField(), 56);
  EXPECT_EQ(e.iUserField(), 64);
  d.makeIDsUniqueForGraphFile(nullptr, &three);
  d.makeIDsUniqueForGraphFile(&skipping, nullptr);
  EXPECT_EQ(d.iUserField(), 56);

  // The largest value at the top of the 64-bit range wraps instead of overflowing.
  KtIndexHashTable top(11, 8, 0);
  top.update(8, INT64_MAX - 3);
  Tree g, h;
  KtDList two;
  two.appendObject(&g);
  two.appendObject(&h);
  g.makeIDsUniqueForGraphFile(&top, &two);
  EXPECT_EQ(g.iUserField(), INT64_MIN + 4);
  EXPECT_EQ(h.iUserField(), INT64_MIN + 12);
}

TEST(OMLObjectTest, PrepareAndFinalizeATree) {
  Tree root, a, b, leaf;
  root.add(&a);
  root.add(&b);
  b.add(&leaf);
  root.preFileWrite(nullptr);  // no file: every identifier is the object's address
  for (Tree* t : {&root, &a, &b, &leaf}) EXPECT_EQ(t->graphFileID(), address(t));
  root.postFileWrite(nullptr, KT_FILE_OK);
  for (Tree* t : {&root, &a, &b, &leaf}) EXPECT_EQ(t->iUserField(), 0);
  KtOMLFile file;  // a file without an index table
  root.preFileWrite(&file);
  EXPECT_EQ(leaf.iUserField(), address(&leaf));
  root.postFileWrite(&file, KT_FILE_OK);

  KtIndexHashTable table(11, 8, -1);
  table.update(address(&a), 8);
  a.prepareIDForGraphFile(&table);
  EXPECT_EQ(a.iUserField(), 8);
  b.prepareIDForGraphFile(&table);
  EXPECT_EQ(b.iUserField(), address(&b));
  a.finalizeIDForGraphFile();
  EXPECT_EQ(a.iUserField(), 0);
}

TEST(OMLObjectTest, Tuples) {
  KtOMLObject a, b;
  KtOMLObjectTuple t(&a, &b);
  KtOMLObjectTuple copy(t);
  EXPECT_EQ(copy.pFirstObject(), &a);
  EXPECT_EQ(copy.pSecondObject(), &b);
  KtOMLObjectTuple attributes(t, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.pSecondObject(), &b);
  KtOMLObjectTuple empty;
  EXPECT_EQ(empty.pFirstObject(), nullptr);
  empty.copyObject(&t);
  EXPECT_EQ(empty.pFirstObject(), &a);
  EXPECT_EQ(t.sizeOf(), static_cast<std::int32_t>(sizeof(KtOMLObjectTuple)));
}

std::string bytes(const KtOMLBinValue& v) {
  return v.pByteSequence() != nullptr ? std::string(v.pByteSequence(), v.length()) : "";
}

// Counts its destructions, so that a list's deep copy and its deletion can be followed.
class CountedValue : public KtOMLBinValue {
  KT_OBJECT(CountedValue, KtOMLBinValue)

 public:
  CountedValue(int* deaths, const char* text)
      : KtOMLBinValue(static_cast<std::int32_t>(std::strlen(text)), text), deaths_(deaths) {}
  ~CountedValue() override { ++*deaths_; }

 protected:
  void init() { deaths_ = nullptr; }

 private:
  int* deaths_;
};

void CountedValue::CountedValuedeepCopy(const CountedValue& source) {
  KtOMLBinValue::copyObject(&source);
  deaths_ = source.deaths_;
}
void CountedValue::CountedValueattributeCopy(const CountedValue& source) {
  CountedValuedeepCopy(source);
}

TEST(OMLBinValueTest, FillAndConcat) {
  KtOMLBinValue v(3, "abc");
  EXPECT_EQ(bytes(v), "abc");
  v.fill(2, nullptr);
  EXPECT_EQ(bytes(v), "ab");
  v.fill(3, nullptr);  // the buffer of 3 was kept, with its third byte
  EXPECT_EQ(bytes(v), "abc");
  v.fill(0, nullptr);
  EXPECT_EQ(v.length(), 0);
  EXPECT_EQ(v.pByteSequence(), nullptr);
  v.fill(-4, "x");
  EXPECT_EQ(v.pByteSequence(), nullptr);

  KtOMLBinValue w(4, "wxyz");
  w.concat(&w);
  EXPECT_EQ(bytes(w), "wxyzwxyz");
  w.fill(3, w.pByteSequence() + 2);  // overlapping bytes of its own
  EXPECT_EQ(bytes(w), "yzw");
  w.concat(&w);  // fits in the buffer of 8: no new allocation
  EXPECT_EQ(bytes(w), "yzwyzw");
  KtOMLBinValue empty;
  w.concat(&empty);
  w.concat(nullptr);
  EXPECT_EQ(bytes(w), "yzwyzw");
  empty.concat(&w);
  EXPECT_EQ(bytes(empty), "yzwyzw");
  EXPECT_EQ(w.length(5), 5);
  EXPECT_EQ(bytes(w), "yzwyz");
  EXPECT_EQ(std::string(w.pByteSequence("12345"), 5), "12345");
}

TEST(OMLBinValueTest, CopiesAndOwnership) {
  int deaths = 0;
  {
    KtDList values;
    values.appendObject(new CountedValue(&deaths, "one"));
    values.appendObject(new CountedValue(&deaths, "\0x\xff"));
    KtDList copy(values);  // clones every value
    ASSERT_EQ(copy.length(), 2);
    for (KtDListCell *a = values.pFirstCell(), *b = copy.pFirstCell(); a != nullptr;
         a = a->pNextCell(), b = b->pNextCell()) {
      EXPECT_NE(a->pObject(), b->pObject());
      EXPECT_EQ(bytes(*KtOMLBinValue::castDown(a->pObject())),
                bytes(*KtOMLBinValue::castDown(b->pObject())));
    }
    copy.deleteAllCellsAndObjects();
    EXPECT_EQ(deaths, 2);
    values.deleteAllCellsAndObjects();
  }
  EXPECT_EQ(deaths, 4);
  KtOMLBinValue a(2, "hi"), b;
  b = a;
  EXPECT_EQ(bytes(b), "hi");
  EXPECT_NE(b.pByteSequence(), a.pByteSequence());
  KtOMLBinValue c(a, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(bytes(c), "hi");
  b.copyObject(&b);
  EXPECT_EQ(bytes(b), "hi");
}

TEST(OMLExtensionTest, FilesAndCopies) {
  KtOMLExtension loose;
  EXPECT_EQ(loose.pOMLFile(), nullptr);
  EXPECT_EQ(loose.pQueryOwnedOMLFile(), nullptr);
  KtOMLFile* owned = loose.pOwnedOMLFile();
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(owned->pOMLExtension(), &loose);
  EXPECT_EQ(loose.pOwnedOMLFile(), owned);
  EXPECT_EQ(loose.sizeOf(), static_cast<std::int32_t>(sizeof(KtOMLExtension)) + owned->sizeOf());

  KtOMLFile file;
  KtOMLExtension bound(&file);
  KtOMLExtension copy(bound);
  EXPECT_EQ(copy.pOMLFile(), nullptr);
  bound = loose;  // the target keeps no file; loose keeps its own
  EXPECT_EQ(bound.pOMLFile(), nullptr);
  EXPECT_EQ(loose.pQueryOwnedOMLFile(), owned);
  loose.copyAttributes(&bound);  // releases the owned file
  EXPECT_EQ(loose.pQueryOwnedOMLFile(), nullptr);
  EXPECT_EQ(loose.sizeOf(), static_cast<std::int32_t>(sizeof(KtOMLExtension)));
}

// The protected counters answer 0 without a file and forward to it with one.
class CountingExtension : public KtOMLExtension {
 public:
  using KtOMLExtension::KtOMLExtension;
  using KtOMLExtension::numberOfErrors;
  using KtOMLExtension::numberOfWarnings;
};

TEST(OMLExtensionTest, Counters) {
  CountingExtension none;
  EXPECT_EQ(none.numberOfErrors(), 0);
  EXPECT_EQ(none.numberOfWarnings(), 0);
  KtOMLFile file;
  file.numberOfErrors(3);
  CountingExtension bound(&file);
  EXPECT_EQ(bound.numberOfErrors(), 3);
  EXPECT_EQ(bound.numberOfWarnings(), 0);
}

}  // namespace
