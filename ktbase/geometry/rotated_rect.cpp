#include "ktbase/geometry/rotated_rect.h"

#include <algorithm>
#include <cmath>

namespace {

// Where a clip cuts the segment a-b: at the fraction f = num / den of the way from a to b. The
// fraction orders the cuts; the end is placed from num and den, so that a cut that falls exactly
// on a half is not pushed off it by the rounding of f.
struct Cut {
  double f;
  double num;
  double den;
  double along(double from, double to) const {
    if (f <= 0) return from;
    if (f >= 1) return to;
    return from + num * (to - from) / den;
  }
};

}  // namespace

KtRotatedRect::~KtRotatedRect() {}

void KtRotatedRect::init() {
  dirX_ = dirY_ = x1_ = y1_ = length_ = width_ = 0;
  minX_ = minY_ = maxX_ = maxY_ = 0;
  delta_ = 0;
}

void KtRotatedRect::KtRotatedRectdeepCopy(const KtRotatedRect& source) {
  KtRotatedRectattributeCopy(source);
}

void KtRotatedRect::KtRotatedRectattributeCopy(const KtRotatedRect& source) {
  KtObjectattributeCopy(source);
  dirX_ = source.dirX_;
  dirY_ = source.dirY_;
  x1_ = source.x1_;
  y1_ = source.y1_;
  length_ = source.length_;
  width_ = source.width_;
  minX_ = source.minX_;
  minY_ = source.minY_;
  maxX_ = source.maxX_;
  maxY_ = source.maxY_;
  delta_ = source.delta_;
}

void KtRotatedRect::set(const KtPoint* p1, const KtPoint* p2, std::int32_t delta) {
  if (p1 == nullptr || p2 == nullptr) return;
  // Differences of two 32-bit values are exact in double; hypot keeps an axis-parallel length,
  // and so the direction, exact.
  const double dx = static_cast<double>(p2->x()) - p1->x();
  const double dy = static_cast<double>(p2->y()) - p1->y();
  const double d = std::hypot(dx, dy);
  dirX_ = d == 0 ? 1 : dx / d;
  dirY_ = d == 0 ? 0 : dy / d;
  const double margin = delta;
  x1_ = p1->x() - (dirX_ - dirY_) * margin;
  y1_ = p1->y() - (dirY_ + dirX_) * margin;
  length_ = d + 2 * margin;
  width_ = 2 * margin;
  delta_ = delta;
  minX_ = std::min({x1(), x2(), x3(), x4()});
  maxX_ = std::max({x1(), x2(), x3(), x4()});
  minY_ = std::min({y1(), y2(), y3(), y4()});
  maxY_ = std::max({y1(), y2(), y3(), y4()});
}

int KtRotatedRect::clipping(KtPoint* a, KtPoint* b) const {
  if (a == nullptr || b == nullptr) return 0;
  const double ax = a->x(), ay = a->y(), bx = b->x(), by = b->y();
  const double scale =
      1 + std::max({std::fabs(minX_), std::fabs(maxX_), std::fabs(minY_), std::fabs(maxY_),
                    std::fabs(ax), std::fabs(ay), std::fabs(bx), std::fabs(by)});
  const double tolerance = std::ldexp(scale, -40);
  if (std::max(ax, bx) < minX_ - tolerance || std::min(ax, bx) > maxX_ + tolerance ||
      std::max(ay, by) < minY_ - tolerance || std::min(ay, by) > maxY_ + tolerance)
    return 0;

  // The default rectangle has no direction; like a zero-length segment it runs along +x.
  const bool directed = dirX_ != 0 || dirY_ != 0;
  const double ux = directed ? dirX_ : 1, uy = directed ? dirY_ : 0;
  // Each edge as a point on it and its direction; the inside is where (p - c) x e <= 0, that is
  // to the left of e.
  struct Edge {
    double cx, cy, ex, ey;
  };
  const Edge edges[] = {
      {x1(), y1(), ux, uy}, {x1(), y1(), uy, -ux}, {x2(), y2(), -uy, ux}, {x4(), y4(), -ux, -uy}};

  // Each end's distance outside each edge's line decides: both outside one edge rejects the
  // segment, one outside cuts it where the distance is 0. Parallel edges need no case of their
  // own, and both distances of a segment that runs along an edge are checked.
  Cut enter{0, 0, 1};
  Cut leave{1, 1, 1};
  for (const Edge& e : edges) {
    const double da = (ax - e.cx) * e.ey - (ay - e.cy) * e.ex;
    const double db = (bx - e.cx) * e.ey - (by - e.cy) * e.ex;
    const bool aOut = da > tolerance, bOut = db > tolerance;
    if (aOut && bOut) return 0;
    if (aOut || bOut) {
      const Cut cut{da / (da - db), da, da - db};
      if (aOut && cut.f > enter.f) enter = cut;
      if (bOut && cut.f < leave.f) leave = cut;
    }
  }
  if (enter.f > leave.f) {
    if ((enter.f - leave.f) * std::hypot(bx - ax, by - ay) > tolerance) return 0;
    leave = enter;  // the segment touches the rectangle at one point
  }
  a->set(ktRoundHalfUp(enter.along(ax, bx)), ktRoundHalfUp(enter.along(ay, by)));
  b->set(ktRoundHalfUp(leave.along(ax, bx)), ktRoundHalfUp(leave.along(ay, by)));
  return 1;
}
