// The syntax tree's nodes: those a caller makes (field order, searches, moving lists, removal,
// teardown of long and deep trees) and those a reader makes, which keep their place, section,
// path and definitions in shared contexts and find their reader from their own memory; the two
// kinds mixed in one tree.
#include "ktbase/oml/oml_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ktbase/files/file_test_util.h"
#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_test_util.h"

namespace {

// Nodes made by a caller: the field order (defaults first, the last added first), searches
// (own fields first), moving lists with append, removal, and teardown of long and deep trees.
KtOMLSyntaxField* intField(std::int32_t name, std::int32_t value) {
  KtOMLToken* token = new KtOMLToken;
  token->set(OML_TOKEN_INTEGER, value);
  return new KtOMLSyntaxField(nullptr, 1, 1, -1, name, -1, 0, token, nullptr, 1);
}

KtOMLSyntaxObject* object(std::int32_t id) {
  return new KtOMLSyntaxObject(nullptr, 1, 1, -1, 0, id, -1, 0, nullptr);
}

std::vector<std::int32_t> values(const KtOMLSyntaxObject* o) {
  std::vector<std::int32_t> out;
  for (KtOMLSyntaxFieldIter it(o); it; ++it) out.push_back(it.pField()->intValue());
  return out;
}

TEST(SyntaxTreeTest, FieldOrderSearchAndAppend) {
  std::unique_ptr<KtOMLSyntaxObject> a(object(0)), b(object(0)), target(object(5));
  a->addField(intField(1, 10));
  a->addField(intField(2, 11));
  b->addField(intField(1, 20));
  target->addField(intField(1, 30));
  target->addField(intField(3, 31));
  target->addDefaultList(a->pFieldList());
  target->addDefaultList(b->pFieldList());
  EXPECT_EQ(values(target.get()), (std::vector<std::int32_t>{20, 10, 11, 30, 31}));
  EXPECT_EQ(target->searchField(1, -1)->intValue(), 30);  // its own value, not a default
  EXPECT_EQ(target->searchField(2, -1)->intValue(), 11);
  EXPECT_EQ(target->searchField(4, -1), nullptr);
  EXPECT_EQ(target->searchUniqueField(3, 0)->intValue(), 31);
  EXPECT_EQ(values(nullptr), std::vector<std::int32_t>{});
  KtOMLSyntaxFieldIter none(nullptr);
  EXPECT_EQ(none.pField(), nullptr);

  std::unique_ptr<KtOMLSyntaxObject> other(object(6));
  KtOMLSyntaxObject* child = object(7);
  other->addObject(child);
  other->addField(intField(9, 40));
  other->addDefaultList(a->pFieldList());
  target->append(other.get());
  EXPECT_EQ(other->pObjectList(), nullptr);
  EXPECT_EQ(other->pFieldList(), nullptr);
  EXPECT_EQ(other->pDefaultList(), nullptr);
  EXPECT_EQ(child->pOwnerObject(), target.get());
  EXPECT_EQ(values(target.get()), (std::vector<std::int32_t>{20, 10, 11, 10, 11, 30, 31, 40}));
  target->deleteObjectItem(nullptr);
  EXPECT_EQ(target->pObjectList(), nullptr);
  EXPECT_EQ(target->pObjectListEnd(), nullptr);
  // Without a value a field answers 0, "" and null.
  KtOMLSyntaxField empty(nullptr, 1, 1, -1, 0, -1, 0, nullptr, nullptr, 0);
  EXPECT_EQ(empty.valueType(), OML_FIELD_OTHER);
  EXPECT_EQ(empty.pValueToken(), nullptr);
  EXPECT_STREQ(empty.stringValue(), "");
  EXPECT_STREQ(empty.nameString(), "");
  EXPECT_EQ(empty.objectValue(), nullptr);
  EXPECT_EQ(empty.objectTypeIndex(), -1);
  EXPECT_EQ(empty.doubleValue(), 0.0);
}

TEST(SyntaxTreeTest, LongListsAndDeepTreesTearDownIteratively) {
  KtOMLSyntaxObject* root = object(1);
  for (int i = 0; i < 200000; ++i) root->addField(intField(1, i));
  for (int i = 0; i < 200000; ++i) root->addObject(object(2));
  KtOMLSyntaxObject* chain = root;
  for (int i = 0; i < 1000000; ++i) {
    KtOMLSyntaxObject* next = object(3);
    chain->addObject(next);
    next->addField(intField(1, i));
    chain = next;
  }
  delete root;  // must not overflow the stack
}

// A reader's field gives its own token as its value, placed at the field; what a caller sets on
// a reader's node (section, path, definitions, a position beyond the node's bits, another file)
// reads back, and the context's defaults come back when they are set again.
class ReaderNodeTest : public TempDirTest {
 protected:
  ReaderNodeTest() : grammar_(newCorpusGrammar()) {}

  const KtOMLSyntaxObject* read(const std::string& content) {
    writeRaw("n.oml", content);
    EXPECT_EQ(file_.readOMLFile(path("n.oml").c_str(), grammar_.get(), nullptr, -1, 0, 0, 0),
              KT_FILE_OK)
        << file_.log;
    return file_.pSyntaxTree();
  }

  std::unique_ptr<KtOMLStatic> grammar_;
  LoggingOMLFile file_;
};

TEST_F(ReaderNodeTest, NodesKeepWhatTheyAreGiven) {
  const KtOMLSyntaxObject* root = read(
      "Graph 1 {\n  label: \"a\"\n  layout { spacing: 2.5 }\n"
      "  Node 7 { x: 1 data: 0x0102 }\n}\n");
  ASSERT_NE(root, nullptr);
  KtOMLSyntaxObject* graph = root->pObjectList()->pObject;
  KtOMLSyntaxField* label = graph->pFieldList()->pField;
  KtOMLSyntaxField* spacing = graph->pFieldList()->pNext->pField;
  EXPECT_EQ(label->pOMLFile(), &file_);
  EXPECT_EQ(graph->pOwnerObject(), root);
  ASSERT_NE(label->pValueToken(), nullptr);
  EXPECT_EQ(label->pValueToken()->line(), label->line());  // the value is placed at the field
  EXPECT_EQ(label->pValueToken()->position(), 7);
  EXPECT_EQ(label->pValueToken()->fileNameIndex(), label->fileNameIndex());
  EXPECT_STREQ(label->stringValue(), "a");
  const KtOMLDefField* labelDef = label->pDefField();
  const KtOMLDefField* spacingDef = spacing->pDefField();
  ASSERT_NE(labelDef, nullptr);
  ASSERT_NE(spacingDef, nullptr);
  EXPECT_EQ(spacing->sectionPathIndex(), 1u);
  EXPECT_STREQ(spacing->sectionString(), "LAYOUT");

  // Set, read back, and set back to what the context gives.
  spacing->sectionIDIndex(9);
  spacing->sectionPathIndex(0x21);
  EXPECT_EQ(spacing->sectionIDIndex(), 9);
  EXPECT_EQ(spacing->sectionPathIndex(), 0x21u);
  EXPECT_EQ(spacing->pDefField(), nullptr);  // the section of code 0x21 has no spacing
  spacing->pDefField(const_cast<KtOMLDefField*>(labelDef));
  EXPECT_EQ(spacing->pDefField(), labelDef);
  label->pDefField(nullptr);
  EXPECT_EQ(label->pDefField(), nullptr);
  EXPECT_EQ(spacingDef == labelDef, false);
  label->pDefField(const_cast<KtOMLDefField*>(labelDef));
  EXPECT_EQ(label->pDefField(), labelDef);
  EXPECT_EQ(spacing->sectionIDIndex(9), 9);

  // A place beyond the bits of a node, and another file, through the value token.
  label->pValueToken()->place(label->fileNameIndex(), 12, 40000000);
  EXPECT_EQ(label->position(), 40000000);
  EXPECT_EQ(label->line(), 12);
  EXPECT_STREQ(label->stringValue(), "a");
  const std::int32_t file = label->fileNameIndex();
  label->pValueToken()->place(file + 100, 12, 3);
  EXPECT_EQ(label->fileNameIndex(), file + 100);
  EXPECT_EQ(label->position(), 3);
  EXPECT_EQ(label->sectionIDIndex(), -1);

  KtOMLSyntaxObject* node = graph->pObjectList()->pObject;
  KtOMLDefObjType* nodeType = node->pDefObjType();
  ASSERT_NE(nodeType, nullptr);
  node->pDefObjType(graph->pDefObjType());
  EXPECT_EQ(node->pDefObjType(), graph->pDefObjType());
  node->pDefObjType(nodeType);
  EXPECT_EQ(node->pDefObjType(), nodeType);
  node->objectIDIndex(0);
  EXPECT_EQ(node->isDefaults(), 1);
  node->objectIDIndex(3);
  EXPECT_EQ(node->nameIndex(), 3);
  ASSERT_NE(node->pFieldList()->pNext->pField->pBinValue(), nullptr);
  EXPECT_EQ(node->pFieldList()->pNext->pField->pBinValue()->length(), 2);
}

// A caller's nodes in a reader's tree, and a reader's nodes moved into a caller's: each goes
// the way it was made when the tree is taken down (the sanitizers see to the rest).
TEST_F(ReaderNodeTest, MixedTreesTearDown) {
  const KtOMLSyntaxObject* root = read("Graph 1 { Node 7 { x: 1 } Node 8 { y: 2 } }\n");
  ASSERT_NE(root, nullptr);
  KtOMLSyntaxObject* graph = root->pObjectList()->pObject;
  KtOMLSyntaxObject* seven = graph->pObjectList()->pObject;
  KtOMLSyntaxObject* eight = graph->pObjectList()->pNext->pObject;
  seven->addField(intField(5, 99));
  seven->addObject(object(9));
  EXPECT_EQ(values(seven), (std::vector<std::int32_t>{1, 99}));
  EXPECT_EQ(seven->pFieldListEnd()->pField->intValue(), 99);
  EXPECT_EQ(seven->pObjectListEnd()->pObject->nameIndex(), 9);

  std::unique_ptr<KtOMLSyntaxObject> holder(object(4));
  holder->append(graph);  // Node 7 and Node 8 now belong to a caller's object
  EXPECT_EQ(graph->pObjectList(), nullptr);
  EXPECT_EQ(holder->pObjectList()->pObject, seven);
  EXPECT_EQ(seven->pOwnerObject(), holder.get());
  holder->deleteObjectItem(nullptr);  // Node 7, with the caller's nodes it holds
  EXPECT_EQ(holder->pObjectList()->pObject, eight);
  holder.reset();         // Node 8 goes with its new owner
  read("Graph 2 { }\n");  // the first tree goes, with what was added to it
}

}  // namespace
