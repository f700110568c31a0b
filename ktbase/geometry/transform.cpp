#include "ktbase/geometry/transform.h"

#include <cmath>

namespace {

// One axis's pair of extents, rescaled so that the smaller in magnitude is 1.
void normalizeAxis(double& source, double& target) {
  const double s = source == 0 ? 1 : source;
  const double t = target == 0 ? 1 : target;
  if (std::fabs(t) > std::fabs(s)) {
    source = 1;
    target = t / s;
  } else {
    source = s / t;
    target = 1;
  }
}

// A magnitude with the sign of `sign`, zero counting as positive.
double withSignOf(double magnitude, double sign) { return sign < 0 ? -magnitude : magnitude; }

}  // namespace

KtTransform::~KtTransform() {}

void KtTransform::init() {
  sourceOriginX_ = sourceOriginY_ = targetOriginX_ = targetOriginY_ = 0;
  sourceExtentX_ = sourceExtentY_ = targetExtentX_ = targetExtentY_ = 1;
}

void KtTransform::KtTransformdeepCopy(const KtTransform& source) {
  KtTransformattributeCopy(source);
}

void KtTransform::KtTransformattributeCopy(const KtTransform& source) {
  KtObjectattributeCopy(source);
  sourceOriginX_ = source.sourceOriginX_;
  sourceOriginY_ = source.sourceOriginY_;
  targetOriginX_ = source.targetOriginX_;
  targetOriginY_ = source.targetOriginY_;
  sourceExtentX_ = source.sourceExtentX_;
  sourceExtentY_ = source.sourceExtentY_;
  targetExtentX_ = source.targetExtentX_;
  targetExtentY_ = source.targetExtentY_;
}

void KtTransform::transformPoint(const KtDTuple& point, KtDTuple& out) const {
  out.set(transformX(point.x()), transformY(point.y()));
}

void KtTransform::inverseTransformPoint(const KtDTuple& point, KtDTuple& out) const {
  out.set(inverseTransformX(point.x()), inverseTransformY(point.y()));
}

void KtTransform::transformSize(const KtDTuple& size, KtDTuple& out) const {
  out.set(transformX(size.x()) - transformX(0.0), transformY(size.y()) - transformY(0.0));
}

void KtTransform::inverseTransformSize(const KtDTuple& size, KtDTuple& out) const {
  out.set(inverseTransformX(size.x()) - inverseTransformX(0.0),
          inverseTransformY(size.y()) - inverseTransformY(0.0));
}

void KtTransform::transformPoint(const KtPoint& point, KtPoint& out) const {
  out.set(transformX(point.x()), transformY(point.y()));
}

void KtTransform::inverseTransformPoint(const KtPoint& point, KtPoint& out) const {
  out.set(inverseTransformX(point.x()), inverseTransformY(point.y()));
}

void KtTransform::transformSize(const KtSize& size, KtSize& out) const {
  out.set(ktSub32(transformX(size.x()), transformX(0)),
          ktSub32(transformY(size.y()), transformY(0)));
}

void KtTransform::inverseTransformSize(const KtSize& size, KtSize& out) const {
  out.set(ktSub32(inverseTransformX(size.x()), inverseTransformX(0)),
          ktSub32(inverseTransformY(size.y()), inverseTransformY(0)));
}

void KtTransform::transformRect(const KtRect& rect, KtRect& out) const {
  out.setCorners(transformX(rect.left()), transformY(rect.bottom()), transformX(rect.right()),
                 transformY(rect.top()));
}

void KtTransform::inverseTransformRect(const KtRect& rect, KtRect& out) const {
  out.setCorners(inverseTransformX(rect.left()), inverseTransformY(rect.bottom()),
                 inverseTransformX(rect.right()), inverseTransformY(rect.top()));
}

void KtTransform::adjustExtentToPreserveAspectRatio() {
  if (targetExtentX_ == 0 || targetExtentY_ == 0) return;
  // |a| and |b| compare the source-per-target ratios of x and y. Magnitudes, so that a mirrored
  // axis is compared by its scale and stays mirrored.
  const double a = sourceExtentX_ * targetExtentY_;
  const double b = sourceExtentY_ * targetExtentX_;
  if (std::fabs(b) > std::fabs(a))
    sourceExtentX_ = withSignOf(std::fabs(b / targetExtentY_), sourceExtentX_);
  else
    sourceExtentY_ = withSignOf(std::fabs(a / targetExtentX_), sourceExtentY_);
}

void KtTransform::normalizeExt() {
  normalizeAxis(sourceExtentX_, targetExtentX_);
  normalizeAxis(sourceExtentY_, targetExtentY_);
}

int KtTransform::hasNormalizedExt() const {
  return (sourceExtentX_ == 1 || targetExtentX_ == 1) &&
         (sourceExtentY_ == 1 || targetExtentY_ == 1);
}
