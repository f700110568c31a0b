#include "ktbase/geometry/shape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const double kPi = 3.14159265358979323846;

// The node's box, in 64 bits so that its edges exist exactly whatever the centre.
struct NodeBox {
  NodeBox(std::int32_t cx, std::int32_t cy, std::int32_t w, std::int32_t h)
      : left(std::int64_t{cx} - w / 2),
        bottom(std::int64_t{cy} - h / 2),
        right(left + w),
        top(bottom + h) {}
  bool holds(std::int64_t x, std::int64_t y) const {
    return left <= x && x <= right && bottom <= y && y <= top;
  }
  std::int64_t left;
  std::int64_t bottom;
  std::int64_t right;
  std::int64_t top;
};

struct Vertex {
  std::int32_t x;
  std::int32_t y;
};

// A vertex as listed; a cell without a point stands for the origin.
Vertex listed(const KtDListCell* cell) {
  const KtPoint* p = KtPoint::castDown(cell->pObject());
  return p == nullptr ? Vertex{0, 0} : Vertex{p->x(), p->y()};
}

// The node's box as an outline: its left side upwards, the top rightwards, the right side
// downwards, the bottom leftwards.
struct BoxOutline {
  const NodeBox& box;
  template <class Visit>
  bool anyEdge(Visit visit) const {
    const std::int32_t l = ktWrap32(box.left), r = ktWrap32(box.right);
    const std::int32_t b = ktWrap32(box.bottom), t = ktWrap32(box.top);
    return visit(Vertex{l, b}, Vertex{l, t}) || visit(Vertex{l, t}, Vertex{r, t}) ||
           visit(Vertex{r, t}, Vertex{r, b}) || visit(Vertex{r, b}, Vertex{l, b});
  }
};

// Walks the working point (x, y) along the segment to (x2, y2) over its crossings with the
// outline's edges, in their order, so that the last one found is the crossing nearest to the
// end. The point is kept in double and rounded once, at the end: rounding a crossing on the way
// would tilt the rest of the segment, and at a flat angle move the next crossing by many units.
// A hit at the working point itself does not count; `stopAtSecond` ends the walk at the second
// one that does (a convex outline has no third). Returns 1 iff any edge was hit.
template <class Outline>
int crossLast(const Outline& outline, bool stopAtSecond, std::int32_t& x, std::int32_t& y,
              std::int32_t x2, std::int32_t y2) {
  double wx = x, wy = y;
  bool hit = false;
  int counted = 0;
  outline.anyEdge([&](const Vertex& a, const Vertex& b) {
    double nx = wx, ny = wy;
    if (!KtPoint::segmentsIntersect(nx, ny, x2, y2, a.x, a.y, b.x, b.y)) return false;
    hit = true;
    if (nx == wx && ny == wy) return false;
    wx = nx;
    wy = ny;
    return stopAtSecond && ++counted == 2;
  });
  if (!hit) return 0;
  x = ktRoundHalfUp(wx);
  y = ktRoundHalfUp(wy);
  return 1;
}

// The sign of a * b - c * d for factors of magnitude below 2^32, without overflow: each product
// is taken as a sign and an unsigned 64-bit magnitude.
int signOfDifference(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
  const auto sign = [](std::int64_t v) { return (v > 0) - (v < 0); };
  const auto magnitude = [](std::int64_t v) { return static_cast<std::uint64_t>(v < 0 ? -v : v); };
  const int s1 = sign(a) * sign(b), s2 = sign(c) * sign(d);
  if (s1 != s2) return s1 > s2 ? 1 : -1;
  const std::uint64_t m1 = magnitude(a) * magnitude(b), m2 = magnitude(c) * magnitude(d);
  if (m1 == m2) return 0;
  return m1 > m2 ? s1 : -s1;
}

// The side of the directed line from a to b on which p lies: 1 left, -1 right, 0 on it.
int sideOfEdge(const Vertex& a, const Vertex& b, std::int64_t px, std::int64_t py) {
  return signOfDifference(std::int64_t{b.x} - a.x, py - a.y, std::int64_t{b.y} - a.y, px - a.x);
}

// The squared half-chord of an ellipse of size (w, h), h != 0, at height offset dy from its
// centre, measured on the circle of diameter w that the ellipse becomes when y is scaled by
// w / h. Negative in the rows the ellipse does not reach.
double squaredHalfChord(std::int64_t dy, std::int32_t w, std::int32_t h) {
  const double d = static_cast<double>(dy) * w / h;
  return static_cast<double>(w) * w / 4 - d * d;
}

bool inClosedBox(double a, double b, double a1, double b1, double a2, double b2) {
  return std::min(a1, a2) <= a && a <= std::max(a1, a2) && std::min(b1, b2) <= b &&
         b <= std::max(b1, b2);
}

}  // namespace

// The polygon of the vertex list placed on a node.
struct KtShape::Polygon {
  const KtPointDList& list;
  std::int32_t cx, cy, w, h;

  Vertex mapped(const KtDListCell* cell) const {
    const Vertex v = listed(cell);
    return Vertex{getCoordinate(cx, v.x, w, 2000), getCoordinate(cy, v.y, h, 2000)};
  }
  // Calls visit(from, to) for every edge, the closing edge (last to first vertex) first, until
  // it returns true; returns whether it did.
  template <class Visit>
  bool anyEdge(Visit visit) const {
    Vertex from = mapped(list.pLastCell());
    for (const KtDListCell* c = list.pFirstCell(); c != nullptr; c = c->pNextCell()) {
      const Vertex to = mapped(c);
      if (visit(from, to)) return true;
      from = to;
    }
    return false;
  }
};

// ---- Life cycle -----------------------------------------------------------------------------

KtShape::KtShape(KtShapeTypeEnum type) {
  init();
  shapeType(type);
}

KtShape::KtShape(KtPointDList* vertices) {
  init();
  takeVertices(vertices);
}

KtShape::~KtShape() { deletePointList(); }

void KtShape::init() {
  shapeType_ = KT_SHAPE_RECTANGLE;
  pointList_ = nullptr;
  leftBorder_ = -1000;
  rightBorder_ = 1000;
  topBorder_ = 1000;
  bottomBorder_ = -1000;
}

// The vertex list is part of the shape's settings: both copies take it, as new points.
void KtShape::KtShapedeepCopy(const KtShape& source) {
  KtObjectdeepCopy(source);
  shapeType_ = source.shapeType_;
  leftBorder_ = source.leftBorder_;
  rightBorder_ = source.rightBorder_;
  topBorder_ = source.topBorder_;
  bottomBorder_ = source.bottomBorder_;
  deletePointList();
  if (source.pointList_ != nullptr) pointList_ = source.pointList_->cloneObject();
}

void KtShape::KtShapeattributeCopy(const KtShape& source) { KtShapedeepCopy(source); }

void KtShape::deletePointList() {
  if (pointList_ == nullptr) return;
  pointList_->deleteAllCellsAndPoints();
  delete pointList_;
  pointList_ = nullptr;
}

int KtShape::takeVertices(KtPointDList* vertices) {
  shapeType(KT_SHAPE_RECTANGLE);
  if (vertices == nullptr) return 0;
  if (vertices->length() < 3) {
    vertices->deleteAllCellsAndPoints();
    delete vertices;
    return 0;
  }
  pointList_ = vertices;
  shapeType(KT_SHAPE_NONCONVEX_POLYGON);
  if (isConvexPolygon()) shapeType(KT_SHAPE_CONVEX_POLYGON);
  return 1;
}

int KtShape::pPointList(KtPointDList* vertices) {
  if (vertices != pointList_) deletePointList();
  pointList_ = nullptr;
  return takeVertices(vertices);
}

void KtShape::setShapeType(KtShapeTypeEnum type) {
  shapeType(type);
  deletePointList();
}

KtPoint* KtShape::addPoint(std::int32_t x, std::int32_t y) {
  shapeType(KT_SHAPE_NONCONVEX_POLYGON);
  if (pointList_ == nullptr) pointList_ = new (std::nothrow) KtPointDList;
  if (pointList_ == nullptr) return nullptr;
  KtPoint* point = new (std::nothrow) KtPoint(x, y);
  if (point == nullptr) return nullptr;
  if (pointList_->appendPoint(point) == nullptr) {
    delete point;
    return nullptr;
  }
  if (pointList_->length() >= 3 && isConvexPolygon()) shapeType(KT_SHAPE_CONVEX_POLYGON);
  return point;
}

bool KtShape::isPolygon() const {
  return (shapeType_ == KT_SHAPE_CONVEX_POLYGON || shapeType_ == KT_SHAPE_NONCONVEX_POLYGON) &&
         pointList_ != nullptr && pointList_->length() > 0;
}

// Exact in 64 bits: |half| <= 2^30 and |v| <= 2^31.
std::int32_t KtShape::getCoordinate(std::int32_t center, std::int32_t v, std::int32_t extent,
                                    std::int32_t scale) {
  const std::int64_t lowHalf = extent / 2;
  const std::int64_t half = v <= 0 ? lowHalf : extent - lowHalf;
  return ktWrap32(center + half * v * 2 / scale);
}

int KtShape::pointInWhichHalfplane(const KtPoint& a, const KtPoint& b, const KtPoint& c) {
  return sideOfEdge(Vertex{a.x(), a.y()}, Vertex{b.x(), b.y()}, c.x(), c.y());
}

// ---- Containment ----------------------------------------------------------------------------

// Every kind answers 1 for the points of its outline (onBoundary), also where the outline's
// tolerance or rounding puts them just outside the exact figure.
int KtShape::within(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy,
                    std::int32_t w, std::int32_t h) const {
  const NodeBox box(cx, cy, w, h);
  switch (shapeType_) {
    case KT_SHAPE_ELLIPSE: {
      if (h == 0) return py == cy && box.left <= px && px <= box.right;
      if (w == 0) return px == cx && box.bottom <= py && py <= box.top;
      const double s = squaredHalfChord(std::int64_t{py} - cy, w, h);
      if (s < 0) return 0;
      const double halfChord = std::sqrt(s);
      if (cx - halfChord <= px && px <= cx + halfChord) return 1;
      return onBoundary(px, py, cx, cy, w, h);
    }
    case KT_SHAPE_CONVEX_POLYGON: {
      if (!isPolygon()) return 0;
      // Inside or on the outline when no two edges see the point on opposite sides. For
      // clockwise vertices (y up) that is: no edge has it strictly on its left.
      bool left = false, right = false;
      Polygon{*pointList_, cx, cy, w, h}.anyEdge([&](const Vertex& a, const Vertex& b) {
        const int side = sideOfEdge(a, b, px, py);
        left = left || side > 0;
        right = right || side < 0;
        return left && right;
      });
      return !(left && right) || onBoundary(px, py, cx, cy, w, h);
    }
    case KT_SHAPE_NONCONVEX_POLYGON: {
      if (!isPolygon()) return 0;
      if (onBoundary(px, py, cx, cy, w, h)) return 1;
      if (!box.holds(px, py)) return 0;
      // Crossings of a ray cast to the left, over 2w. Each edge counts half-open in y (its
      // lower end excluded), so a vertex on the ray counts once and horizontal edges never.
      const double castEnd = static_cast<double>(px) - 2.0 * w;
      int crossings = 0;
      Polygon{*pointList_, cx, cy, w, h}.anyEdge([&](const Vertex& a, const Vertex& b) {
        if ((a.x <= px || b.x <= px) && std::min(a.y, b.y) < py && py <= std::max(a.y, b.y)) {
          double x = px, y = py;
          if (KtPoint::segmentsIntersect(x, y, castEnd, py, a.x, a.y, b.x, b.y)) ++crossings;
        }
        return false;
      });
      return crossings % 2;
    }
    default:
      return box.holds(px, py);
  }
}

int KtShape::within(const KtPoint& point, const KtPoint& center, const KtSize& size) const {
  return within(point.x(), point.y(), center.x(), center.y(), size.width(), size.height());
}

int KtShape::onBoundary(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy,
                        std::int32_t w, std::int32_t h) const {
  const NodeBox box(cx, cy, w, h);
  switch (shapeType_) {
    case KT_SHAPE_ELLIPSE: {
      if (w == 0 || h == 0) return within(px, py, cx, cy, w, h);
      const double s = squaredHalfChord(std::int64_t{py} - cy, w, h);
      if (s < 0) return 0;
      const std::int64_t k = ktRoundHalfUp(std::sqrt(s));
      return px == cx - k || px == cx + k;
    }
    case KT_SHAPE_CONVEX_POLYGON:
    case KT_SHAPE_NONCONVEX_POLYGON:
      if (!isPolygon()) return 0;
      return Polygon{*pointList_, cx, cy, w, h}.anyEdge([&](const Vertex& a, const Vertex& b) {
        return KtPoint::pointInSegment(px, py, a.x, a.y, b.x, b.y) != 0;
      });
    default:
      return box.holds(px, py) &&
             (px == box.left || px == box.right || py == box.bottom || py == box.top);
  }
}

int KtShape::onBoundary(const KtPoint& point, const KtPoint& center, const KtSize& size) const {
  return onBoundary(point.x(), point.y(), center.x(), center.y(), size.width(), size.height());
}

int KtShape::withinInterior(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy,
                            std::int32_t w, std::int32_t h) const {
  return within(px, py, cx, cy, w, h) && !onBoundary(px, py, cx, cy, w, h);
}

int KtShape::withinInterior(const KtPoint& point, const KtPoint& center, const KtSize& size) const {
  return withinInterior(point.x(), point.y(), center.x(), center.y(), size.width(), size.height());
}

// ---- Crossings ------------------------------------------------------------------------------

int KtShape::intersectsSegment(std::int32_t& x, std::int32_t& y, std::int32_t x2, std::int32_t y2,
                               std::int32_t cx, std::int32_t cy, std::int32_t w,
                               std::int32_t h) const {
  const NodeBox box(cx, cy, w, h);
  switch (shapeType_) {
    case KT_SHAPE_ELLIPSE: {
      if (x == x2 && y == y2) return 0;
      const std::int32_t left = ktWrap32(box.left), right = ktWrap32(box.right);
      const std::int32_t bottom = ktWrap32(box.bottom), top = ktWrap32(box.top);
      if (w == 0) return KtPoint::segmentsIntersect(x, y, x2, y2, cx, bottom, cx, top);
      if (h == 0) return KtPoint::segmentsIntersect(x, y, x2, y2, left, cy, right, cy);
      // Work on a steep segment: b is the coordinate that changes more, a the other one, both
      // relative to the centre; sa and sb are the node's extents along them.
      const bool steep = std::llabs(std::int64_t{y} - y2) > std::llabs(std::int64_t{x} - x2);
      const std::int32_t ca = steep ? cx : cy, cb = steep ? cy : cx;
      const double a1 = static_cast<double>((steep ? x : y) - std::int64_t{ca});
      const double b1 = static_cast<double>((steep ? y : x) - std::int64_t{cb});
      const double a2 = static_cast<double>((steep ? x2 : y2) - std::int64_t{ca});
      const double b2 = static_cast<double>((steep ? y2 : x2) - std::int64_t{cb});
      const double sa = steep ? w : h, sb = steep ? h : w;
      // The line a = m * b + k against the ellipse a^2 + q^2 * b^2 = r^2.
      const double m = (a1 - a2) / (b1 - b2);
      const double k = a2 - m * b2;
      const double r = sa / 2, q = sa / sb;
      const double discriminant = q * q * r * r + r * r * m * m - k * k * q * q;
      if (discriminant < 0) return 0;
      const double root = std::sqrt(discriminant);
      double a = a1, b = b1;
      bool found = false;
      // Of two crossings on the segment, the one nearer to its end wins.
      for (const double signedRoot : {root, -root}) {
        const double bs = (signedRoot - m * k) / (q * q + m * m);
        const double as = m * bs + k;
        if (inClosedBox(as, bs, a, b, a2, b2)) {
          a = as;
          b = bs;
          found = true;
        }
      }
      if (!found) return 0;
      const std::int32_t ra = ktAdd32(ktRoundHalfUp(a), ca), rb = ktAdd32(ktRoundHalfUp(b), cb);
      x = steep ? ra : rb;
      y = steep ? rb : ra;
      return 1;
    }
    case KT_SHAPE_CONVEX_POLYGON:
    case KT_SHAPE_NONCONVEX_POLYGON:
      if (!isPolygon()) return 0;
      return crossLast(Polygon{*pointList_, cx, cy, w, h}, shapeType_ == KT_SHAPE_CONVEX_POLYGON, x,
                       y, x2, y2);
    default:
      return crossLast(BoxOutline{box}, false, x, y, x2, y2);
  }
}

int KtShape::intersectsSegment(KtPoint& a, const KtPoint& b, const KtPoint& center,
                               const KtSize& size) const {
  std::int32_t x = a.x(), y = a.y();
  const int found =
      intersectsSegment(x, y, b.x(), b.y(), center.x(), center.y(), size.width(), size.height());
  a.set(x, y);
  return found;
}

int KtShape::nearestPoint(KtPoint& point, const KtPoint& center, const KtSize& size) const {
  const NodeBox box(center.x(), center.y(), size.width(), size.height());
  KtRect rect;
  rect.set(ktWrap32(box.left), ktWrap32(box.top), ktWrap32(box.right), ktWrap32(box.bottom));
  if (shapeType_ != KT_SHAPE_ELLIPSE && shapeType_ != KT_SHAPE_CONVEX_POLYGON &&
      shapeType_ != KT_SHAPE_NONCONVEX_POLYGON)
    return rect.nearestPoint(point);
  if (onBoundary(point, center, size)) return 1;

  KtPoint nearest(point.x(), point.y());
  rect.nearestPoint(nearest);
  const auto crossingFrom = [&](const KtPoint& from) {
    std::int32_t x = from.x(), y = from.y();
    if (!intersectsSegment(x, y, point.x(), point.y(), center.x(), center.y(), size.width(),
                           size.height()))
      return false;
    point.set(x, y);
    return true;
  };
  if (rect.within(point) && crossingFrom(nearest)) return 1;
  KtPoint across(point.x(), point.y());
  rect.pointInOtherSide(across, nearest);
  if (crossingFrom(across)) return 1;
  point.set(nearest.x(), nearest.y());
  return 0;
}

// ---- Polygon vertices -----------------------------------------------------------------------

int KtShape::isConvexPolygon() const {
  if (shapeType_ == KT_SHAPE_CONVEX_POLYGON) return 1;
  if (pointList_ == nullptr) return 0;
  const std::int32_t n = pointList_->length();
  if (n == 3) return 1;
  if (n < 3) return 0;
  const KtPoint origin;
  const KtDListCell* first = pointList_->pFirstCell();
  const auto next = [first](const KtDListCell* c) {
    return c->pNextCell() != nullptr ? c->pNextCell() : first;
  };
  const auto point = [&origin](const KtDListCell* c) -> const KtPoint& {
    return c->pObject() != nullptr ? *KtPoint::castDown(c->pObject()) : origin;
  };
  int turn = 0;
  for (const KtDListCell* c = first; c != nullptr; c = c->pNextCell()) {
    const int side = pointInWhichHalfplane(point(c), point(next(c)), point(next(next(c))));
    if (side == 0) continue;
    if (turn == 0)
      turn = side;
    else if (side != turn)
      return 0;
  }
  return 1;
}

void KtShape::rotate(int degrees) {
  if (!isPolygon() || (degrees != 90 && degrees != 180 && degrees != 270)) return;
  for (KtPointDListIter it(pointList_); it; ++it) {
    KtPoint* p = it.pPoint();
    if (p == nullptr) continue;
    const std::int32_t x = p->x(), y = p->y();
    if (degrees == 90)
      p->set(ktSub32(0, y), x);
    else if (degrees == 180)
      p->set(ktSub32(0, x), ktSub32(0, y));
    else
      p->set(y, ktSub32(0, x));
  }
}

int KtShape::compare(const KtShape* other) const {
  if (other == nullptr) return 0;
  if (shapeType_ != other->shapeType_ || leftBorder_ != other->leftBorder_ ||
      rightBorder_ != other->rightBorder_ || topBorder_ != other->topBorder_ ||
      bottomBorder_ != other->bottomBorder_)
    return 0;
  if (shapeType_ != KT_SHAPE_CONVEX_POLYGON && shapeType_ != KT_SHAPE_NONCONVEX_POLYGON) return 1;
  if (pointList_ == other->pointList_) return 1;
  if (pointList_ == nullptr || other->pointList_ == nullptr ||
      pointList_->length() != other->pointList_->length())
    return 0;
  const KtDListCell* b = other->pointList_->pFirstCell();
  for (const KtDListCell* a = pointList_->pFirstCell(); a != nullptr; a = a->pNextCell()) {
    const Vertex va = listed(a), vb = listed(b);
    if (va.x != vb.x || va.y != vb.y) return 0;
    b = b->pNextCell();
  }
  return 1;
}

// ---- The text rectangle ---------------------------------------------------------------------

void KtShape::getInnerRect(KtRect& rect) const {
  rect.set(leftBorder_, topBorder_, rightBorder_, bottomBorder_);
}

void KtShape::setInnerRect(const KtRect& rect) {
  if (rect.width() == 0 || rect.height() == 0) return;
  const auto clamped = [](std::int32_t v) {
    return static_cast<std::int16_t>(std::min(std::max(v, -1000), 1000));
  };
  leftBorder_ = clamped(rect.left());
  rightBorder_ = clamped(rect.right());
  topBorder_ = clamped(rect.top());
  bottomBorder_ = clamped(rect.bottom());
}

std::int32_t KtShape::getInnerValue(std::int32_t extent, std::int32_t border, double scale) {
  return ktRoundHalfUp((border / scale + 0.5) * extent);
}

void KtShape::getCurrentInnerRect(KtRect& out, const KtPoint& center, const KtSize& size) const {
  const std::int32_t w = size.width(), h = size.height();
  const std::int32_t x0 = ktSub32(center.x(), w / 2), y0 = ktSub32(center.y(), h / 2);
  out.setCorners(ktAdd32(x0, getInnerValue(w, leftBorder_, 2000.0)),
                 ktAdd32(y0, getInnerValue(h, topBorder_, 2000.0)),
                 ktAdd32(x0, getInnerValue(w, rightBorder_, 2000.0)),
                 ktAdd32(y0, getInnerValue(h, bottomBorder_, 2000.0)));
}

namespace {

// The box edges [lowEdge, highEdge] on one axis whose text part, between the borders lowBorder
// and highBorder, is [low, high]. The first guess comes from the scale in double; rounding may
// then leave one of the two text edges a unit off, which moving one box edge by one repairs.
template <class InnerValue>
void fitAxis(std::int32_t low, std::int32_t high, std::int32_t lowBorder, std::int32_t highBorder,
             InnerValue inner, std::int32_t& lowEdge, std::int32_t& highEdge) {
  if (lowBorder == highBorder) {
    lowEdge = low;
    highEdge = high;
    return;
  }
  const double f = static_cast<double>(std::int64_t{high} - low) / (highBorder - lowBorder);
  std::int32_t l = ktRoundHalfUp(low - (lowBorder + 1000) * f);
  std::int32_t r = ktRoundHalfUp(low + (1000 - lowBorder) * f);
  const auto fits = [&](std::int32_t edge, std::int32_t border, std::int32_t lo, std::int32_t hi) {
    return ktSub32(edge, lo) == inner(ktSub32(hi, lo), border);
  };
  if (fits(low, lowBorder, l, r)) {
    if (!fits(high, highBorder, l, r)) {
      if (fits(high, highBorder, l, ktSub32(r, 1)))
        r = ktSub32(r, 1);
      else
        l = ktSub32(l, 1);
    }
  } else if (fits(low, lowBorder, ktSub32(l, 1), r)) {
    l = ktSub32(l, 1);
  } else {
    r = ktSub32(r, 1);
  }
  lowEdge = l;
  highEdge = r;
}

}  // namespace

void KtShape::fitBoundingRectToInnerRect(KtRect& out, const KtRect& inner) const {
  const auto innerValue = [](std::int32_t extent, std::int32_t border) {
    return getInnerValue(extent, border, 2000.0);
  };
  std::int32_t left = 0, right = 0, bottom = 0, top = 0;
  fitAxis(inner.left(), inner.right(), leftBorder_, rightBorder_, innerValue, left, right);
  fitAxis(inner.bottom(), inner.top(), bottomBorder_, topBorder_, innerValue, bottom, top);
  out.setCorners(left, top, right, bottom);
}

// ---- Widths and angles ----------------------------------------------------------------------

double KtShape::maxAvailableDiagonalLengthAtShape(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                                  std::int32_t y2, std::int32_t w,
                                                  std::int32_t h) const {
  const double dx = static_cast<double>(std::int64_t{x2} - x1);
  const double dy = static_cast<double>(std::int64_t{y2} - y1);
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0) return 0;
  switch (shapeType_) {
    case KT_SHAPE_ELLIPSE:
      return std::sqrt((h * dx) * (h * dx) + (w * dy) * (w * dy)) / length;
    case KT_SHAPE_CONVEX_POLYGON:
    case KT_SHAPE_NONCONVEX_POLYGON: {
      if (!isPolygon()) return 0;
      // The farthest vertices on either side of the line through the centre along (dx, dy).
      double above = 0, below = 0;
      for (const KtDListCell* c = pointList_->pFirstCell(); c != nullptr; c = c->pNextCell()) {
        const Vertex v = listed(c);
        const double vx = static_cast<double>(std::int64_t{v.x} * w / 2000);
        const double vy = static_cast<double>(std::int64_t{v.y} * h / 2000);
        const double distance = (vy * dx - vx * dy) / length;
        above = std::max(above, distance);
        below = std::max(below, -distance);
      }
      return 2 * std::min(above, below);
    }
    default:
      return std::max(std::fabs(h * dx - w * dy), std::fabs(h * dx + w * dy)) / length;
  }
}

double KtShape::maxAvailableDiagonalLengthAtShape(const KtPoint& from, const KtPoint& to,
                                                  const KtSize& size) const {
  return maxAvailableDiagonalLengthAtShape(from.x(), from.y(), to.x(), to.y(), size.width(),
                                           size.height());
}

double KtShape::angleBetweenTwoLines(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                     std::int32_t y2) {
  // In double: the squares of 32-bit coordinates leave 32 bits, and the cosine of (nearly)
  // parallel vectors may round past 1.
  const double a = std::sqrt(static_cast<double>(x1) * x1 + static_cast<double>(y1) * y1);
  const double b = std::sqrt(static_cast<double>(x2) * x2 + static_cast<double>(y2) * y2);
  if (a == 0 || b == 0) return kPi / 2;
  const double cosine = (static_cast<double>(x1) * x2 + static_cast<double>(y1) * y2) / (a * b);
  return std::acos(std::min(1.0, std::max(-1.0, cosine)));
}
