// KtRotatedRect is the rectangle around a segment p1-p2 at a margin delta, at any angle: the
// segment widened by delta on both sides and lengthened by delta at both ends. It keeps the
// direction as a unit vector u (no angle), its first corner, its length along u and width across
// it, and its axis-parallel bounding box.
//
// Contract:
// - With n = (-u.y, u.x), the corners run counter-clockwise: c1 = p1 - delta*u - delta*n,
//   c2 = c1 + length*u, c3 = c2 + width*n, c4 = c1 + width*n. A zero-length segment runs along +x,
//   so it gives the square of side 2*delta around p1.
// - The rectangle is closed: its edges belong to it. A negative margin gives an empty rectangle
//   (its corners come in the other order), which clips nothing; the default one, all zeros, is
//   the point (0, 0).
// - clipping(a, b) works in double and rounds the clipped ends half up. An end closer to an
//   edge's line than 2^-40 of the largest coordinate involved counts as on it, so that rounding in
//   the corners cannot cut off a segment lying along an edge. A segment nearly parallel to an edge
//   is cut where it crosses it like any other.
#ifndef KTBASE_GEOMETRY_ROTATED_RECT_H
#define KTBASE_GEOMETRY_ROTATED_RECT_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/geometry/point.h"

class KtRotatedRect : public KtObject {
  KT_OBJECT(KtRotatedRect, KtObject)

 public:
  KtRotatedRect() { init(); }
  // Runs set; null points leave the default.
  KtRotatedRect(const KtPoint* p1, const KtPoint* p2, std::int32_t delta) {
    init();
    set(p1, p2, delta);
  }
  ~KtRotatedRect() override;

  // The rectangle around the segment p1-p2 at margin delta. Refuses (changes nothing) a null
  // point.
  void set(const KtPoint* p1, const KtPoint* p2, std::int32_t delta);
  std::int32_t delta() const { return delta_; }

  // The corners c1 .. c4 and the bounding box.
  double x1() const { return x1_; }
  double y1() const { return y1_; }
  double x2() const { return x1_ + length_ * dirX_; }
  double y2() const { return y1_ + length_ * dirY_; }
  double x3() const { return x1_ + length_ * dirX_ - width_ * dirY_; }
  double y3() const { return y1_ + length_ * dirY_ + width_ * dirX_; }
  double x4() const { return x1_ - width_ * dirY_; }
  double y4() const { return y1_ + width_ * dirX_; }
  double minX() const { return minX_; }
  double minY() const { return minY_; }
  double maxX() const { return maxX_; }
  double maxY() const { return maxY_; }

  // Clips the segment a-b to the rectangle. Returns 1 and writes the ends of the part inside into
  // a and b (a's end into a); refuses (returns 0, changes nothing) when no point of the segment
  // lies in the rectangle, or a point is null. A zero-length segment is kept whole when its point
  // lies in the rectangle.
  int clipping(KtPoint* a, KtPoint* b) const;

 protected:
  void init();

 private:
  double dirX_;  // the unit direction u
  double dirY_;
  double x1_;  // the first corner
  double y1_;
  double length_;
  double width_;
  double minX_;
  double minY_;
  double maxX_;
  double maxY_;
  std::int32_t delta_;
};

#endif  // KTBASE_GEOMETRY_ROTATED_RECT_H
