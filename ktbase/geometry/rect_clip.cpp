// Lines, rays and segments against rectangles; nearest points and sides. Both representations
// run the same code on their edges, which it takes in 64 bits: every difference between two
// coordinates then exists exactly, and so does every comparison of distances. Crossings are the
// one place that works in double, through KtPoint's line functions.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"

namespace {

struct Box {
  std::int64_t left;
  std::int64_t bottom;
  std::int64_t right;
  std::int64_t top;
};

template <class R>
Box boxOf(const R& rect) {
  return Box{rect.left(), rect.bottom(), rect.right(), rect.top()};
}

bool inXRange(const Box& b, std::int64_t x) { return b.left <= x && x <= b.right; }
bool inYRange(const Box& b, std::int64_t y) { return b.bottom <= y && y <= b.top; }
bool contains(const Box& b, std::int64_t x, std::int64_t y) {
  return inXRange(b, x) && inYRange(b, y);
}

std::int64_t magnitude(std::int64_t v) { return v < 0 ? -v : v; }

// The edge values came from 32-bit fields.
std::int32_t narrow(std::int64_t v) { return static_cast<std::int32_t>(v); }

struct Hit {
  std::int32_t x;
  std::int32_t y;
};

// The closed bounding box of a segment.
struct Span {
  Span(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
      : box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)} {}
  bool holds(const Hit& hit) const { return contains(box, hit.x, hit.y); }
  bool misses(const Box& b) const {
    return box.right < b.left || box.left > b.right || box.top < b.bottom || box.bottom > b.top;
  }
  Box box;
};

// The boundary points of the line through (x1, y1) and (x2, y2), in the order in which the edges
// are tried; returns their number. The left and right edges take only points strictly between
// the bottom and the top, so that no corner is found twice.
int lineCrossings(const Box& b, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                  Hit hits[2]) {
  if (x1 == x2) {
    if (y1 == y2 || !inXRange(b, x1)) return 0;
    hits[0] = Hit{x1, narrow(b.top)};
    if (b.top == b.bottom) return 1;
    hits[1] = Hit{x1, narrow(b.bottom)};
    return 2;
  }
  if (y1 == y2) {
    if (!inYRange(b, y1)) return 0;
    hits[0] = Hit{narrow(b.left), y1};
    if (b.left == b.right) return 1;
    hits[1] = Hit{narrow(b.right), y1};
    return 2;
  }
  int found = 0;
  const auto tryRow = [&](std::int64_t y) {
    double x = 0;
    KtPoint::lineAtY(x1, y1, x2, y2, x, static_cast<double>(y));
    if (static_cast<double>(b.left) <= x && x <= static_cast<double>(b.right))
      hits[found++] = Hit{ktRoundHalfUp(x), narrow(y)};
  };
  const auto tryColumn = [&](std::int64_t x) {
    double y = 0;
    KtPoint::lineAtX(x1, y1, x2, y2, static_cast<double>(x), y);
    if (static_cast<double>(b.bottom) < y && y < static_cast<double>(b.top))
      hits[found++] = Hit{narrow(x), ktRoundHalfUp(y)};
  };
  tryRow(b.top);
  if (b.bottom != b.top) tryRow(b.bottom);
  if (found < 2) tryColumn(b.left);
  if (found < 2 && b.left != b.right) tryColumn(b.right);
  return found;
}

void put(const Hit& hit, std::int32_t& x, std::int32_t& y) {
  x = hit.x;
  y = hit.y;
}

// The part of an edge, edgeLow .. edgeHigh, that a segment low .. high lying along it covers,
// written to (from, to); 1 when it is one point, else 2.
int sharedPart(std::int64_t low, std::int64_t high, std::int64_t edgeLow, std::int64_t edgeHigh,
               std::int32_t& from, std::int32_t& to) {
  from = narrow(std::max(edgeLow, low));
  to = narrow(std::min(edgeHigh, high));
  return from == to ? 1 : 2;
}

int intersectsLine(const Box& b, std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                   std::int32_t& y2) {
  Hit hits[2];
  const int found = lineCrossings(b, x1, y1, x2, y2, hits);
  if (found >= 1) put(hits[0], x1, y1);
  if (found == 2) put(hits[1], x2, y2);
  return found;
}

int intersectsSegment(const Box& b, std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                      std::int32_t& y2) {
  const Span span(x1, y1, x2, y2);
  if (span.misses(b)) return 0;
  if (x1 == x2 && (x1 == b.left || x1 == b.right))
    return sharedPart(span.box.bottom, span.box.top, b.bottom, b.top, y1, y2);
  if (y1 == y2 && (y1 == b.top || y1 == b.bottom))
    return sharedPart(span.box.left, span.box.right, b.left, b.right, x1, x2);

  Hit hits[2];
  const int found = lineCrossings(b, x1, y1, x2, y2, hits);
  if (found >= 1 && span.holds(hits[0])) {
    put(hits[0], x1, y1);
    if (found == 2 && span.holds(hits[1])) {
      put(hits[1], x2, y2);
      return 2;
    }
    return 1;
  }
  if (found == 2 && span.holds(hits[1])) {
    put(hits[1], x1, y1);
    return 1;
  }
  return 0;
}

// A ray that starts beyond an edge's line and runs away from it or parallel to it cannot meet the
// rectangle.
bool rayRunsAway(const Box& b, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  return (x1 <= x2 && b.right < x1) || (x1 == x2 && b.left > x1) || (x1 > x2 && b.left > x1) ||
         (y1 <= y2 && b.top < y1) || (y1 == y2 && b.bottom > y1) || (y1 > y2 && b.bottom > y1);
}

// A point on the ray's line lies behind its start when it falls short of the start on an axis
// along which the ray advances.
struct RayStart {
  bool behind(const Hit& c) const {
    return (x1 < x2 && c.x < x1) || (x1 > x2 && c.x > x1) || (y1 < y2 && c.y < y1) ||
           (y1 > y2 && c.y > y1);
  }
  // |a - start|^2 < |b - start|^2, exactly: each square of a difference of two 32-bit values fits
  // in 64 unsigned bits, and their sum is compared with its carry.
  bool nearer(const Hit& a, const Hit& b) const {
    const auto square = [](std::int64_t d) {
      const std::uint64_t m = static_cast<std::uint64_t>(magnitude(d));
      return m * m;
    };
    const std::uint64_t ax = square(std::int64_t{a.x} - x1), ay = square(std::int64_t{a.y} - y1);
    const std::uint64_t bx = square(std::int64_t{b.x} - x1), by = square(std::int64_t{b.y} - y1);
    const std::uint64_t aSum = ax + ay, bSum = bx + by;
    const bool aCarry = aSum < ax, bCarry = bSum < bx;
    return aCarry != bCarry ? bCarry : aSum < bSum;
  }
  std::int32_t x1, y1, x2, y2;
};

int intersectsRay(const Box& b, std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                  std::int32_t& y2) {
  if (rayRunsAway(b, x1, y1, x2, y2)) return 0;
  if (x1 == x2) {
    if (y1 == y2) return 0;
    if (x1 == b.left || x1 == b.right) {
      const std::int64_t start =
          y1 >= y2 ? std::min<std::int64_t>(b.top, y1) : std::max<std::int64_t>(b.bottom, y1);
      const std::int64_t end = y1 >= y2 ? b.bottom : b.top;
      y1 = narrow(start);
      if (start == end) return 1;
      y2 = narrow(end);
      return 2;
    }
  } else if (y1 == y2 && (y1 == b.top || y1 == b.bottom)) {
    const std::int64_t start =
        x1 >= x2 ? std::min<std::int64_t>(b.right, x1) : std::max<std::int64_t>(b.left, x1);
    const std::int64_t end = x1 >= x2 ? b.left : b.right;
    x1 = narrow(start);
    if (start == end) return 1;
    x2 = narrow(end);
    return 2;
  }

  const RayStart ray{x1, y1, x2, y2};
  Hit hits[2];
  const int found = lineCrossings(b, x1, y1, x2, y2, hits);
  if (found >= 1 && !ray.behind(hits[0])) {
    if (found == 1 || ray.behind(hits[1])) {
      put(hits[0], x1, y1);
      return 1;
    }
    // On equal distances the first found stays first.
    const bool swap = ray.nearer(hits[1], hits[0]);
    put(hits[swap ? 1 : 0], x1, y1);
    put(hits[swap ? 0 : 1], x2, y2);
    return 2;
  }
  if (found == 2 && !ray.behind(hits[1])) {
    put(hits[1], x1, y1);
    return 1;
  }
  return 0;
}

int overlapsLine(const Box& b, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (x1 == x2) return y1 != y2 && inXRange(b, x1);
  if (y1 == y2) return inYRange(b, y1);
  const double left = static_cast<double>(b.left), right = static_cast<double>(b.right);
  const double bottom = static_cast<double>(b.bottom), top = static_cast<double>(b.top);
  double v = 0;
  for (const double y : {top, bottom}) {
    KtPoint::lineAtY(x1, y1, x2, y2, v, y);
    if (left <= v && v <= right) return 1;
  }
  for (const double x : {left, right}) {
    KtPoint::lineAtX(x1, y1, x2, y2, x, v);
    if (bottom <= v && v <= top) return 1;
  }
  return 0;
}

int overlapsSegment(const Box& b, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                    std::int32_t y2) {
  if (contains(b, x1, y1) || contains(b, x2, y2)) return 1;
  const Span span(x1, y1, x2, y2);
  if (span.misses(b)) return 0;
  Hit hits[2];
  const int found = lineCrossings(b, x1, y1, x2, y2, hits);
  for (int i = 0; i < found; ++i)
    if (span.holds(hits[i])) return 1;
  return 0;
}

int overlapsRay(const Box& b, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (rayRunsAway(b, x1, y1, x2, y2) || (x1 == x2 && y1 == y2)) return 0;
  if (contains(b, x1, y1) || contains(b, x2, y2)) return 1;
  if (x1 == x2 && (x1 == b.left || x1 == b.right)) return 1;
  if (y1 == y2 && (y1 == b.top || y1 == b.bottom)) return 1;
  const RayStart ray{x1, y1, x2, y2};
  Hit hits[2];
  const int found = lineCrossings(b, x1, y1, x2, y2, hits);
  for (int i = 0; i < found; ++i)
    if (!ray.behind(hits[i])) return 1;
  return 0;
}

int nearestPoint(const Box& b, KtPoint& p) {
  const std::int64_t x = p.x(), y = p.y();
  if (!(b.left < x && x < b.right && b.bottom < y && y < b.top)) {
    // Not std::clamp: the edges of a rectangle out of range may come in either order.
    p.set(narrow(std::min(std::max(x, b.left), b.right)),
          narrow(std::min(std::max(y, b.bottom), b.top)));
    return 1;
  }
  const std::int64_t dl = x - b.left, dr = b.right - x, db = y - b.bottom, dt = b.top - y;
  KtSideEnum side;
  if (dr >= dl)
    side = dt >= db ? (dl >= db ? KT_SIDE_BOTTOM : KT_SIDE_LEFT)
                    : (dl >= dt ? KT_SIDE_TOP : KT_SIDE_LEFT);
  else
    side = dt < db ? (dr < dt ? KT_SIDE_RIGHT : KT_SIDE_TOP)
                   : (dr < db ? KT_SIDE_RIGHT : KT_SIDE_BOTTOM);
  if (side == KT_SIDE_BOTTOM || side == KT_SIDE_TOP)
    p.y(narrow(side == KT_SIDE_BOTTOM ? b.bottom : b.top));
  else
    p.x(narrow(side == KT_SIDE_LEFT ? b.left : b.right));
  return 1;
}

KtSideEnum closestSideWithin(const Box& b, const KtPoint& p) {
  const std::int64_t dr = magnitude(b.right - p.x()), dt = magnitude(b.top - p.y());
  const std::int64_t dl = magnitude(b.left - p.x()), db = magnitude(b.bottom - p.y());
  const std::int64_t m = std::min(dr, dt);
  if (dl >= m) {
    if (db < m) return KT_SIDE_BOTTOM;
    return dt < dr ? KT_SIDE_TOP : KT_SIDE_RIGHT;
  }
  return db < dl ? KT_SIDE_BOTTOM : KT_SIDE_LEFT;
}

KtSideEnum closestSide(const Box& b, const KtPoint& p) {
  const std::int64_t x = p.x(), y = p.y();
  if (contains(b, x, y)) return closestSideWithin(b, p);
  const KtSideEnum vertical = y > b.top ? KT_SIDE_TOP : KT_SIDE_BOTTOM;
  const KtSideEnum horizontal = x < b.left ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
  if (inXRange(b, x)) return vertical;
  if (inYRange(b, y)) return horizontal;
  const std::int64_t gapX = x > b.right ? x - b.right : b.left - x;
  const std::int64_t gapY = y < b.bottom ? b.bottom - y : y - b.top;
  return gapX < gapY ? vertical : horizontal;
}

// c - n * d for n >= 1, stopped at the limits of 32 bits. Beyond 2^33 the product is certain to
// leave them, so it is not formed.
std::int32_t stepAway(std::int64_t c, std::int64_t n, std::int64_t d) {
  const std::int64_t limit = std::int64_t{1} << 33;
  std::int64_t v;
  if (d != 0 && n > limit / magnitude(d))
    v = d > 0 ? -limit : limit;
  else
    v = c - n * d;
  return narrow(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Copies two points into coordinates for one of the clips above and the results back.
using Clip = int (*)(const Box&, std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&);
int clipPoints(Clip clip, const Box& b, KtPoint& p1, KtPoint& p2) {
  std::int32_t x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y();
  const int found = clip(b, x1, y1, x2, y2);
  p1.set(x1, y1);
  p2.set(x2, y2);
  return found;
}

}  // namespace

// ---- KtRect -----------------------------------------------------------------------------------

int KtRect::intersectsLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                           std::int32_t& y2) const {
  return ::intersectsLine(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::intersectsLine(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsLine, boxOf(*this), p1, p2);
}
int KtRect::intersectsSegment(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                              std::int32_t& y2) const {
  return ::intersectsSegment(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::intersectsSegment(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsSegment, boxOf(*this), p1, p2);
}
int KtRect::intersectsRay(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                          std::int32_t& y2) const {
  return ::intersectsRay(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::intersectsRay(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsRay, boxOf(*this), p1, p2);
}
int KtRect::overlapsLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
  return ::overlapsLine(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::overlapsLine(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsLine(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtRect::overlapsSegment(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                            std::int32_t y2) const {
  return ::overlapsSegment(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::overlapsSegment(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsSegment(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtRect::overlapsRay(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
  return ::overlapsRay(boxOf(*this), x1, y1, x2, y2);
}
int KtRect::overlapsRay(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsRay(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtRect::nearestPoint(KtPoint& point) const { return ::nearestPoint(boxOf(*this), point); }
KtSideEnum KtRect::closestSideWithin(const KtPoint& point) const {
  return ::closestSideWithin(boxOf(*this), point);
}
KtSideEnum KtRect::closestSide(const KtPoint& point) const {
  return ::closestSide(boxOf(*this), point);
}

KtSideEnum KtRect::sideForRouting(const KtPoint& point, KtDirectionEnum dir) const {
  const Box b = boxOf(*this);
  const bool besideX = !inXRange(b, point.x()), besideY = !inYRange(b, point.y());
  const KtSideEnum vertical = point.y() < b.bottom ? KT_SIDE_BOTTOM : KT_SIDE_TOP;
  const KtSideEnum horizontal = point.x() < b.left ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
  if (besideX && besideY) return dir % 2 == 0 ? vertical : horizontal;
  if (besideX) return horizontal;
  if (besideY) return vertical;
  return static_cast<KtSideEnum>(dir);
}

KtSideEnum KtRect::sideForRouting(const KtRect& other, int horizontalFirst) const {
  const Box a = boxOf(*this), b = boxOf(other);
  const bool meetX = b.right >= a.left && a.right >= b.left;
  const bool meetY = b.top >= a.bottom && a.top >= b.bottom;
  if (meetX && meetY) {
    const bool aHoldsB =
        a.left <= b.left && b.right <= a.right && a.bottom <= b.bottom && b.top <= a.top;
    const bool bHoldsA =
        b.left <= a.left && a.right <= b.right && b.bottom <= a.bottom && a.top <= b.top;
    if (aHoldsB || bHoldsA) {
      // The first smallest difference wins.
      const std::int64_t differences[] = {magnitude(a.bottom - b.bottom),
                                          magnitude(a.left - b.left), magnitude(a.top - b.top),
                                          magnitude(a.right - b.right)};
      const KtSideEnum sides[] = {KT_SIDE_BOTTOM, KT_SIDE_LEFT, KT_SIDE_TOP, KT_SIDE_RIGHT};
      return sides[std::min_element(std::begin(differences), std::end(differences)) -
                   std::begin(differences)];
    }
    // Each corner where the other rectangle sticks out on one side and this one on the adjacent
    // side proposes the side the other sticks out of, weighed by the smaller overhang.
    std::int64_t best = 0;
    KtSideEnum side = KT_SIDE_LEFT;
    const auto propose = [&](bool applies, KtSideEnum candidate, std::int64_t out,
                             std::int64_t across) {
      if (applies && std::min(out, across) > best) {
        best = std::min(out, across);
        side = candidate;
      }
    };
    propose(b.left > a.left && b.top > a.top, KT_SIDE_TOP, b.top - a.top, b.left - a.left);
    propose(b.left > a.left && a.bottom > b.bottom, KT_SIDE_BOTTOM, a.bottom - b.bottom,
            b.left - a.left);
    propose(b.bottom > a.bottom && b.right > a.right, KT_SIDE_RIGHT, b.right - a.right,
            b.bottom - a.bottom);
    propose(b.bottom > a.bottom && a.left > b.left, KT_SIDE_LEFT, a.left - b.left,
            b.bottom - a.bottom);
    propose(a.right > b.right && b.top > a.top, KT_SIDE_TOP, b.top - a.top, a.right - b.right);
    propose(a.right > b.right && a.bottom > b.bottom, KT_SIDE_BOTTOM, a.bottom - b.bottom,
            a.right - b.right);
    propose(a.top > b.top && b.right > a.right, KT_SIDE_RIGHT, b.right - a.right, a.top - b.top);
    propose(a.top > b.top && a.left > b.left, KT_SIDE_LEFT, a.left - b.left, a.top - b.top);
    if (best > 0) return side;
    // No corner qualifies only when both share the extent on one axis and the other rectangle
    // is shifted along the other axis: it sticks out on exactly one side.
    if (b.right > a.right) return KT_SIDE_RIGHT;
    if (b.top > a.top) return KT_SIDE_TOP;
    if (b.bottom < a.bottom) return KT_SIDE_BOTTOM;
    return KT_SIDE_LEFT;
  }
  if (!meetX && !meetY) {
    if (horizontalFirst != 0) return a.left > b.right ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
    return a.bottom > b.top ? KT_SIDE_BOTTOM : KT_SIDE_TOP;
  }
  const std::int64_t gapX = std::max(a.left - b.right, b.left - a.right);
  const std::int64_t gapY = std::max(a.bottom - b.top, b.bottom - a.top);
  if (gapX <= gapY) return y() > other.y() ? KT_SIDE_BOTTOM : KT_SIDE_TOP;
  return x() > other.x() ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
}

int KtRect::pointInOtherSide(KtPoint& point, const KtPoint& q) const {
  const Box b = boxOf(*this);
  const std::int32_t px = point.x(), py = point.y(), qx = q.x(), qy = q.y();
  if (px != qx && py != qy) {
    std::int32_t x1 = px, y1 = py, x2 = qx, y2 = qy;
    if (::intersectsLine(b, x1, y1, x2, y2) == 2) {
      if (x2 == qx && y2 == qy)
        point.set(x1, y1);
      else
        point.set(x2, y2);
      return 1;
    }
  } else if (px == qx && py != qy && inXRange(b, px)) {
    point.y(narrow(qy - b.bottom >= b.top - qy ? b.bottom : b.top));
    return 1;
  } else if (py == qy && px != qx && inYRange(b, py)) {
    point.x(narrow(qx - b.left >= b.right - qx ? b.left : b.right));
    return 1;
  }
  point.set(qx, qy);
  return 0;
}

void KtRect::getPointOutsideRect(KtPoint& point, const KtPoint& q) const {
  const Box b = boxOf(*this);
  const std::int64_t dx = std::int64_t{q.x()} - point.x();
  const std::int64_t dy = std::int64_t{q.y()} - point.y();
  if (dx == 0 && dy == 0) {
    point.x(stepAway(b.right, 1, -1));
    return;
  }
  // Leave through the left or right edge when the way is at least as flat as the diagonal:
  // width / height <= |dx / dy|, compared as products, which fit in 64 unsigned bits.
  bool alongX = dy == 0;
  if (dx != 0 && dy != 0 && b.top != b.bottom) {
    const auto u = [](std::int64_t v) { return static_cast<std::uint64_t>(v); };
    alongX = u(b.right - b.left) * u(magnitude(dy)) <= u(magnitude(dx)) * u(b.top - b.bottom);
  }
  // The step count that takes the point strictly past the edge on the far side from q.
  const std::int64_t k = alongX ? ((dx < 0 ? b.right : b.left) - point.x()) / dx
                                : ((dy < 0 ? b.top : b.bottom) - point.y()) / dy;
  const std::int64_t n = magnitude(k) + 1;
  point.set(stepAway(point.x(), n, dx), stepAway(point.y(), n, dy));
}

// ---- KtInternalRect ---------------------------------------------------------------------------

int KtInternalRect::intersectsLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                                   std::int32_t& y2) const {
  return ::intersectsLine(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::intersectsLine(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsLine, boxOf(*this), p1, p2);
}
int KtInternalRect::intersectsSegment(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                                      std::int32_t& y2) const {
  return ::intersectsSegment(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::intersectsSegment(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsSegment, boxOf(*this), p1, p2);
}
int KtInternalRect::intersectsRay(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                                  std::int32_t& y2) const {
  return ::intersectsRay(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::intersectsRay(KtPoint& p1, KtPoint& p2) const {
  return clipPoints(::intersectsRay, boxOf(*this), p1, p2);
}
int KtInternalRect::overlapsLine(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                 std::int32_t y2) const {
  return ::overlapsLine(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::overlapsLine(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsLine(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtInternalRect::overlapsSegment(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                    std::int32_t y2) const {
  return ::overlapsSegment(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::overlapsSegment(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsSegment(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtInternalRect::overlapsRay(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) const {
  return ::overlapsRay(boxOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::overlapsRay(const KtPoint& p1, const KtPoint& p2) const {
  return overlapsRay(p1.x(), p1.y(), p2.x(), p2.y());
}
int KtInternalRect::nearestPoint(KtPoint& point) const {
  return ::nearestPoint(boxOf(*this), point);
}
KtSideEnum KtInternalRect::closestSideWithin(const KtPoint& point) const {
  return ::closestSideWithin(boxOf(*this), point);
}
KtSideEnum KtInternalRect::closestSide(const KtPoint& point) const {
  return ::closestSide(boxOf(*this), point);
}
