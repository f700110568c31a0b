// KtUFactory is the abstract factory through which the graph libraries of the family create each
// other's objects without knowing their classes: graph managers, graphs, nodes, edges,
// inter-graphs, connectors, labels, graph files and grammars, in three families (plain, M and
// D). Each graph library derives its own factory and overrides the hooks of the family it
// implements; here every hook answers null, except the inter-graph hooks, which answer what the
// matching graph hook does.
//
// Every public ktNew... operation replaces a null owner by the factory itself and calls its hook
// with the owner and the integer unchanged (the integer's meaning is the graph libraries'). What
// a hook returns belongs to its caller. A factory keeps no list of what it made and is not
// copied. Its creator string, "Quelora" at first, is its own copy of the text.
#ifndef KTBASE_OML_UFACTORY_H
#define KTBASE_OML_UFACTORY_H

#include "ktbase/oml/oml_object.h"

class KtOMLFile;
class KtOMLStatic;

class KtUFactory : public KtOMLObject {
  KT_OBJECT_CAST(KtUFactory)

 public:
  KtUFactory();
  KtUFactory(const KtUFactory&) = delete;
  KtUFactory& operator=(const KtUFactory&) = delete;
  ~KtUFactory() override;

  const char* pCreatorString() const { return pCreatorString_; }
  // A null text changes nothing; otherwise the string becomes a copy of `text` (which may point
  // into the current string). Returns the string; when memory runs out it stays as it was.
  const char* pCreatorString(const char* text);

  int isFactory() const override;

  KtOMLObject* ktNewGraphManager(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewGraph(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewNode(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewEdge(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewIntergraph(KtOMLObject* owner, int kind);
  KtOMLFile* ktNewGraphFile(KtOMLObject* owner);
  KtOMLStatic* ktNewGrammar();
  KtOMLObject* ktNewMGraphManager(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewMGraph(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewMNode(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewMEdge(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewInterMGraph(KtOMLObject* owner, int kind);
  KtOMLFile* ktNewMGraphFile(KtOMLObject* owner);
  KtOMLStatic* ktNewMGrammar();
  KtOMLObject* ktNewDGraphManager(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewDGraph(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewDNode(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewDEdge(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewPNode(KtOMLObject* owner);
  KtOMLObject* ktNewPEdge(KtOMLObject* owner);
  KtOMLObject* ktNewConnector(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewGraphLabel(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewNodeLabel(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewEdgeLabel(KtOMLObject* owner, int kind);
  KtOMLObject* ktNewInterDGraph(KtOMLObject* owner, int kind);
  KtOMLFile* ktNewDGraphFile(KtOMLObject* owner);
  KtOMLStatic* ktNewDGrammar();

 protected:
  void init() { pCreatorString_ = nullptr; }

  // The creation hooks, in slot order after KtOMLObject's.
  virtual KtOMLObject* vNewGraphManager(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewGraph(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewNode(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewEdge(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewIntergraph(KtOMLObject* owner, int kind);
  virtual KtOMLFile* vNewGraphFile(KtOMLObject* owner);
  virtual KtOMLStatic* vNewGrammar();
  virtual KtOMLObject* vNewMGraphManager(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewMGraph(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewMNode(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewMEdge(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewInterMGraph(KtOMLObject* owner, int kind);
  virtual KtOMLFile* vNewMGraphFile(KtOMLObject* owner);
  virtual KtOMLStatic* vNewMGrammar();
  virtual KtOMLObject* vNewDGraphManager(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewDGraph(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewDNode(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewDEdge(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewPNode(KtOMLObject* owner);
  virtual KtOMLObject* vNewPEdge(KtOMLObject* owner);
  virtual KtOMLObject* vNewConnector(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewGraphLabel(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewNodeLabel(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewEdgeLabel(KtOMLObject* owner, int kind);
  virtual KtOMLObject* vNewInterDGraph(KtOMLObject* owner, int kind);
  virtual KtOMLFile* vNewDGraphFile(KtOMLObject* owner);
  virtual KtOMLStatic* vNewDGrammar();

 private:
  KtOMLObject* ownerOrThis(KtOMLObject* owner) { return owner != nullptr ? owner : this; }

  char* pCreatorString_;
};

#endif  // KTBASE_OML_UFACTORY_H
