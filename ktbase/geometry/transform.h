// KtTransform maps coordinates between a source space (the world of a graph) and a target space
// (a device, say) by a separate scale and shift on each axis: the source origin maps to the
// target origin, and a source extent to the target extent. The default transform is the
// identity.
//
// Contract:
// - transformX(v) = (v - sourceOriginX) * targetExtentX / sourceExtentX + targetOriginX, and
//   inverseTransformX runs the other way; y likewise. An axis whose dividing extent is 0 maps
//   every value to 0.
// - Extents may be negative: a negative ratio mirrors the axis (a device whose y runs down has a
//   negative target extent in y). adjustExtentToPreserveAspectRatio keeps each axis's mirroring.
// - The integer forms map through double and round half up (ktRoundHalfUp). A size maps as the
//   mapped end minus the mapped 0 (for integers each rounded first; the difference wraps in 32
//   bits). A rectangle's four edges are mapped, rounded and normalised, so a mirroring transform
//   still yields top >= bottom.
// - The input and the output of a mapping may be the same object.
#ifndef KTBASE_GEOMETRY_TRANSFORM_H
#define KTBASE_GEOMETRY_TRANSFORM_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/tuple.h"

class KtTransform : public KtObject {
  KT_OBJECT(KtTransform, KtObject)

 public:
  KtTransform() { init(); }
  ~KtTransform() override;

  // The eight fields: each getter reads one, each setter stores the value and returns it.
  double sourceOriginX() const { return sourceOriginX_; }
  double sourceOriginY() const { return sourceOriginY_; }
  double targetOriginX() const { return targetOriginX_; }
  double targetOriginY() const { return targetOriginY_; }
  double sourceExtentX() const { return sourceExtentX_; }
  double sourceExtentY() const { return sourceExtentY_; }
  double targetExtentX() const { return targetExtentX_; }
  double targetExtentY() const { return targetExtentY_; }
  double sourceOriginX(double value) { return sourceOriginX_ = value; }
  double sourceOriginY(double value) { return sourceOriginY_ = value; }
  double targetOriginX(double value) { return targetOriginX_ = value; }
  double targetOriginY(double value) { return targetOriginY_ = value; }
  double sourceExtentX(double value) { return sourceExtentX_ = value; }
  double sourceExtentY(double value) { return sourceExtentY_ = value; }
  double targetExtentX(double value) { return targetExtentX_ = value; }
  double targetExtentY(double value) { return targetExtentY_ = value; }

  // ---- Source to target (transform...) and back (inverseTransform...).
  double transformX(double v) const {
    return mapAxis(v, sourceOriginX_, sourceExtentX_, targetOriginX_, targetExtentX_);
  }
  double transformY(double v) const {
    return mapAxis(v, sourceOriginY_, sourceExtentY_, targetOriginY_, targetExtentY_);
  }
  double inverseTransformX(double v) const {
    return mapAxis(v, targetOriginX_, targetExtentX_, sourceOriginX_, sourceExtentX_);
  }
  double inverseTransformY(double v) const {
    return mapAxis(v, targetOriginY_, targetExtentY_, sourceOriginY_, sourceExtentY_);
  }
  // Rounded half up.
  std::int32_t transformX(std::int32_t v) const {
    return ktRoundHalfUp(transformX(static_cast<double>(v)));
  }
  std::int32_t transformY(std::int32_t v) const {
    return ktRoundHalfUp(transformY(static_cast<double>(v)));
  }
  std::int32_t inverseTransformX(std::int32_t v) const {
    return ktRoundHalfUp(inverseTransformX(static_cast<double>(v)));
  }
  std::int32_t inverseTransformY(std::int32_t v) const {
    return ktRoundHalfUp(inverseTransformY(static_cast<double>(v)));
  }

  void transformPoint(const KtDTuple& point, KtDTuple& out) const;
  void inverseTransformPoint(const KtDTuple& point, KtDTuple& out) const;
  // Each component w becomes T(w) - T(0): the origins cancel.
  void transformSize(const KtDTuple& size, KtDTuple& out) const;
  void inverseTransformSize(const KtDTuple& size, KtDTuple& out) const;
  void transformPoint(const KtPoint& point, KtPoint& out) const;
  void inverseTransformPoint(const KtPoint& point, KtPoint& out) const;
  // Each component w becomes round(T(w)) - round(T(0)).
  void transformSize(const KtSize& size, KtSize& out) const;
  void inverseTransformSize(const KtSize& size, KtSize& out) const;
  void transformRect(const KtRect& rect, KtRect& out) const;
  void inverseTransformRect(const KtRect& rect, KtRect& out) const;

  // ---- Extents
  // Gives both axes the same scale in magnitude by enlarging one source extent, the one whose
  // axis has the smaller source-per-target ratio, so that the source region grows and nothing of
  // it is cut off. Each source extent keeps its sign (a zero counts as positive). Changes nothing
  // when a target extent is 0.
  void adjustExtentToPreserveAspectRatio();
  // Rescales each axis's pair of extents so that the smaller in magnitude becomes 1, keeping
  // their ratio; a zero extent counts as 1 first.
  void normalizeExt();
  // Returns 1 iff on each axis the source or the target extent is exactly 1.
  int hasNormalizedExt() const;

 protected:
  void init();

 private:
  // (v - fromOrigin) * toExtent / fromExtent + toOrigin; 0 when fromExtent is 0.
  static double mapAxis(double v, double fromOrigin, double fromExtent, double toOrigin,
                        double toExtent) {
    if (fromExtent == 0) return 0.0;
    return (v - fromOrigin) * toExtent / fromExtent + toOrigin;
  }

  double sourceOriginX_;
  double sourceOriginY_;
  double targetOriginX_;
  double targetOriginY_;
  double sourceExtentX_;
  double sourceExtentY_;
  double targetExtentX_;
  double targetExtentY_;
};

#endif  // KTBASE_GEOMETRY_TRANSFORM_H
