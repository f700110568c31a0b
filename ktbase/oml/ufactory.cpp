#include "ktbase/oml/ufactory.h"

#include <cstring>
#include <new>

KtUFactory::KtUFactory() {
  init();
  pCreatorString("Quelora");
}

KtUFactory::~KtUFactory() { delete[] pCreatorString_; }

// The copy is made before the old string goes: `text` may point into it.
const char* KtUFactory::pCreatorString(const char* text) {
  if (text == nullptr) return pCreatorString_;
  const std::size_t length = std::strlen(text);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy == nullptr) return pCreatorString_;
  std::memcpy(copy, text, length + 1);
  delete[] pCreatorString_;
  pCreatorString_ = copy;
  return pCreatorString_;
}

int KtUFactory::isFactory() const { return 1; }

// ---------------------------------------------------------------------------------------------
// The public operations: a null owner becomes the factory itself.
KtOMLObject* KtUFactory::ktNewGraphManager(KtOMLObject* owner, int kind) {
  return vNewGraphManager(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewGraph(KtOMLObject* owner, int kind) {
  return vNewGraph(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewNode(KtOMLObject* owner, int kind) {
  return vNewNode(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewEdge(KtOMLObject* owner, int kind) {
  return vNewEdge(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewIntergraph(KtOMLObject* owner, int kind) {
  return vNewIntergraph(ownerOrThis(owner), kind);
}
KtOMLFile* KtUFactory::ktNewGraphFile(KtOMLObject* owner) {
  return vNewGraphFile(ownerOrThis(owner));
}
KtOMLStatic* KtUFactory::ktNewGrammar() { return vNewGrammar(); }
KtOMLObject* KtUFactory::ktNewMGraphManager(KtOMLObject* owner, int kind) {
  return vNewMGraphManager(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewMGraph(KtOMLObject* owner, int kind) {
  return vNewMGraph(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewMNode(KtOMLObject* owner, int kind) {
  return vNewMNode(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewMEdge(KtOMLObject* owner, int kind) {
  return vNewMEdge(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewInterMGraph(KtOMLObject* owner, int kind) {
  return vNewInterMGraph(ownerOrThis(owner), kind);
}
KtOMLFile* KtUFactory::ktNewMGraphFile(KtOMLObject* owner) {
  return vNewMGraphFile(ownerOrThis(owner));
}
KtOMLStatic* KtUFactory::ktNewMGrammar() { return vNewMGrammar(); }
KtOMLObject* KtUFactory::ktNewDGraphManager(KtOMLObject* owner, int kind) {
  return vNewDGraphManager(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewDGraph(KtOMLObject* owner, int kind) {
  return vNewDGraph(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewDNode(KtOMLObject* owner, int kind) {
  return vNewDNode(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewDEdge(KtOMLObject* owner, int kind) {
  return vNewDEdge(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewPNode(KtOMLObject* owner) { return vNewPNode(ownerOrThis(owner)); }
KtOMLObject* KtUFactory::ktNewPEdge(KtOMLObject* owner) { return vNewPEdge(ownerOrThis(owner)); }
KtOMLObject* KtUFactory::ktNewConnector(KtOMLObject* owner, int kind) {
  return vNewConnector(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewGraphLabel(KtOMLObject* owner, int kind) {
  return vNewGraphLabel(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewNodeLabel(KtOMLObject* owner, int kind) {
  return vNewNodeLabel(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewEdgeLabel(KtOMLObject* owner, int kind) {
  return vNewEdgeLabel(ownerOrThis(owner), kind);
}
KtOMLObject* KtUFactory::ktNewInterDGraph(KtOMLObject* owner, int kind) {
  return vNewInterDGraph(ownerOrThis(owner), kind);
}
KtOMLFile* KtUFactory::ktNewDGraphFile(KtOMLObject* owner) {
  return vNewDGraphFile(ownerOrThis(owner));
}
KtOMLStatic* KtUFactory::ktNewDGrammar() { return vNewDGrammar(); }

// ---------------------------------------------------------------------------------------------
// The hooks: nothing is made here; an inter-graph is what the graph hook of its family makes.
KtOMLObject* KtUFactory::vNewGraphManager(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewGraph(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewNode(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewEdge(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewIntergraph(KtOMLObject* owner, int kind) {
  return vNewGraph(owner, kind);
}
KtOMLFile* KtUFactory::vNewGraphFile(KtOMLObject*) { return nullptr; }
KtOMLStatic* KtUFactory::vNewGrammar() { return nullptr; }
KtOMLObject* KtUFactory::vNewMGraphManager(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewMGraph(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewMNode(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewMEdge(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewInterMGraph(KtOMLObject* owner, int kind) {
  return vNewMGraph(owner, kind);
}
KtOMLFile* KtUFactory::vNewMGraphFile(KtOMLObject*) { return nullptr; }
KtOMLStatic* KtUFactory::vNewMGrammar() { return nullptr; }
KtOMLObject* KtUFactory::vNewDGraphManager(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewDGraph(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewDNode(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewDEdge(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewPNode(KtOMLObject*) { return nullptr; }
KtOMLObject* KtUFactory::vNewPEdge(KtOMLObject*) { return nullptr; }
KtOMLObject* KtUFactory::vNewConnector(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewGraphLabel(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewNodeLabel(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewEdgeLabel(KtOMLObject*, int) { return nullptr; }
KtOMLObject* KtUFactory::vNewInterDGraph(KtOMLObject* owner, int kind) {
  return vNewDGraph(owner, kind);
}
KtOMLFile* KtUFactory::vNewDGraphFile(KtOMLObject*) { return nullptr; }
KtOMLStatic* KtUFactory::vNewDGrammar() { return nullptr; }
