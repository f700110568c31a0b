#include "ktbase/resources/shape_resource.h"

#include <new>

KtShapeResource::KtShapeResource(KtShapeResourceDB* db, const KtShape* shape) : KtResource(db) {
  init();
  if (shape != nullptr && shape_ != nullptr) *shape_ = *shape;
}

KtShapeResource::~KtShapeResource() {
  cleanup();
  delete shape_;
}

void KtShapeResource::init() {
  delete shape_;
  shape_ = new (std::nothrow) KtShape(KT_SHAPE_RECTANGLE);
}

void KtShapeResource::KtShapeResourcedeepCopy(const KtShapeResource& source) {
  KtResource::copyObject(&source);
  if (source.shape_ == nullptr) {
    delete shape_;
    shape_ = nullptr;
  } else if (shape_ == nullptr) {
    shape_ = source.shape_->cloneObject();
  } else {
    *shape_ = *source.shape_;
  }
}

void KtShapeResource::KtShapeResourceattributeCopy(const KtShapeResource& source) {
  KtResource::copyAttributes(&source);
}

std::int32_t KtShapeResource::sortKey() const {
  if (shape_ == nullptr) return -1;
  const KtPointDList* vertices = shape_->pPointList();
  const std::int32_t n = vertices == nullptr ? 0 : vertices->length();
  switch (shape_->shapeType()) {
    case KT_SHAPE_RECTANGLE:
      return 0;
    case KT_SHAPE_ELLIPSE:
      return 1;
    case KT_SHAPE_CONVEX_POLYGON:
      return 2 * n;
    case KT_SHAPE_NONCONVEX_POLYGON:
      return 2 * n + 1;
  }
  return -1;
}

int KtShapeResource::isEqual(const KtResource* other) const {
  if (other == nullptr || other->sortKey() != sortKey()) return 0;
  const KtShape* otherShape = castDown(other)->pShape();
  if (shape_ == nullptr || otherShape == nullptr) return shape_ == otherShape;
  return shape_->compare(otherShape);
}

KtShapeResourceDB::~KtShapeResourceDB() {}

KtResource* KtShapeResourceDB::vNewResource() { return new (std::nothrow) KtShapeResource(this); }
