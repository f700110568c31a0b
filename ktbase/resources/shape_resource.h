// KtShapeResource wraps a node shape (shape.h) as a shared resource, and KtShapeResourceDB keeps
// one instance per distinct shape (resource.h), so that the many nodes of one outline share it.
//
// A shape resource owns its KtShape: made with the resource (a copy of the one given, or a
// rectangle) and deleted with it; a deep copy assigns the source's shape into its own, vertices
// included, and an attribute copy keeps its rectangle. pShape() is null only when memory ran out
// for the shape; such a resource has the key -1 and equals only another without shape.
//
// Keys: 0 for a rectangle, 1 for an ellipse, 2n for a convex and 2n + 1 for a non-convex polygon
// of n vertices, -1 for any other kind. Two resources are equal when KtShape::compare holds:
// kind, text borders and, for polygons, the vertices in order. So rectangles with different text
// borders share the key 0 and are both listed, in their order of insertion.
#ifndef KTBASE_RESOURCES_SHAPE_RESOURCE_H
#define KTBASE_RESOURCES_SHAPE_RESOURCE_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/geometry/shape.h"
#include "ktbase/resources/resource.h"

class KtShapeResourceDB;

class KtShapeResource : public KtResource {
  KT_OBJECT(KtShapeResource, KtResource)

 public:
  // A free resource naming `db`, owning a copy of `shape` (a rectangle for null).
  explicit KtShapeResource(KtShapeResourceDB* db = nullptr, const KtShape* shape = nullptr);
  // Leaves the database's list, then deletes the shape.
  ~KtShapeResource() override;

  std::int32_t sortKey() const override;
  // Equal keys and KtShape::compare.
  int isEqual(const KtResource* other) const override;

  KtShape* pShape() { return shape_; }
  const KtShape* pShape() const { return shape_; }
  KtShapeResourceDB* pResourceDB() const;

 protected:
  // A new rectangle (null when memory runs out); deletes a shape held before.
  void init();

 private:
  KtShape* shape_ = nullptr;
};

// Shapes are a resource database whose default is the rectangle with the default text borders,
// permanent. insert, remove, copyPermanent and pDefaultResource are those of KtResourceDB with
// the shape types.
class KtShapeResourceDB : public KtResourceDB {
  KT_RESOURCE_DB(KtShapeResourceDB, KtShapeResource)

 public:
  KtShapeResourceDB() {}
  ~KtShapeResourceDB() override;

 protected:
  // A new rectangle resource of this database.
  KtResource* vNewResource() override;
};

inline KtShapeResourceDB* KtShapeResource::pResourceDB() const {
  return KtShapeResourceDB::castDown(KtResource::pResourceDB());
}

#endif  // KTBASE_RESOURCES_SHAPE_RESOURCE_H
