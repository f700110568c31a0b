#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "ktbase/geometry/rect.h"

namespace {

const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// The count and the four coordinates after an intersects call.
using Out = std::array<std::int64_t, 5>;

template <class R>
Out line(const R& r, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const int n = r.intersectsLine(x1, y1, x2, y2);
  return Out{n, x1, y1, x2, y2};
}
template <class R>
Out segment(const R& r, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const int n = r.intersectsSegment(x1, y1, x2, y2);
  return Out{n, x1, y1, x2, y2};
}
template <class R>
Out ray(const R& r, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const int n = r.intersectsRay(x1, y1, x2, y2);
  return Out{n, x1, y1, x2, y2};
}

const KtRect kSquare(-20, -20, 20, 20);

// The exact reference below covers the integer forms in both representations; these are the
// point forms and the routing side towards a point.
TEST(KtRectClip, PointFormsAndRouting) {
  // The point forms copy in and out, so one point may stand for both.
  KtPoint p1(0, 0), p2(1, 1);
  EXPECT_EQ(KtInternalRect(kSquare).intersectsLine(p1, p2), 2);
  EXPECT_EQ(p1.x(), 20);
  EXPECT_EQ(p2.y(), -20);
  EXPECT_EQ(kSquare.intersectsLine(p1, p1), 0);
  EXPECT_EQ(p1.x(), 20);
  KtPoint from(-100, 0), through(0, 0);
  EXPECT_EQ(KtInternalRect(kSquare).intersectsRay(from, through), 2);
  EXPECT_EQ(from.x(), -20);
  EXPECT_EQ(through.x(), 20);
  KtPoint start(0, 0), end(0, -100);
  EXPECT_EQ(kSquare.intersectsSegment(start, end), 1);
  EXPECT_EQ(start.y(), -20);
  EXPECT_EQ(kSquare.overlapsLine(KtPoint(-100, -20), KtPoint(100, -20)), 1);
  EXPECT_EQ(kSquare.overlapsSegment(KtPoint(30, 10), KtPoint(21, 19)), 0);
  EXPECT_EQ(KtInternalRect(kSquare).overlapsRay(KtPoint(0, 50), KtPoint(1, 40)), 1);

  // Towards a point: inside, the side of the direction; beside, the side it lies beyond; in a
  // diagonal region, across the axis the direction does not take.
  const struct {
    std::int32_t x, y;
    KtDirectionEnum direction;
    int side;
  } routes[] = {
      {0, 0, KT_DIRECTION_UP, KT_SIDE_TOP},         {20, -20, KT_DIRECTION_LEFT, KT_SIDE_LEFT},
      {0, 0, KT_DIRECTION_NONE, KT_DIRECTION_NONE}, {30, 0, KT_DIRECTION_UP, KT_SIDE_RIGHT},
      {0, -30, KT_DIRECTION_RIGHT, KT_SIDE_BOTTOM}, {30, 30, KT_DIRECTION_RIGHT, KT_SIDE_TOP},
      {30, -30, KT_DIRECTION_NONE, KT_SIDE_BOTTOM}, {-30, 30, KT_DIRECTION_DOWN, KT_SIDE_LEFT}};
  for (const auto& r : routes)
    EXPECT_EQ(kSquare.sideForRouting(KtPoint(r.x, r.y), r.direction), r.side) << r.x << "," << r.y;
}

// Far out, where the random run at full range compares crossings of slanted lines only between
// the two representations, and where single cases at the limits are rare.
TEST(KtRectClip, ExtremeCoordinates) {
  // The nearer crossing comes first even where the squared distances leave 64 bits.
  const KtRect far(kMax - 10, -1, kMax - 1, 1);
  EXPECT_EQ(ray(far, kMin, 0, 0, 0), (Out{2, kMax - 10, 0, kMax - 1, 0}));
  // Found first: the exit (2^30, 2^30), 2 * (3 * 2^30)^2 = 2^64 + 2^61 away; then the entry
  // (0, 0), 2^63 away.
  const KtRect quarter(0, 0, 1 << 30, 1 << 30);
  EXPECT_EQ(ray(quarter, kMin, kMin, kMin + 1, kMin + 1), (Out{2, 0, 0, 1 << 30, 1 << 30}));

  KtPoint p(0, 0);
  KtRect(kMin, kMin, kMax, kMax).nearestPoint(p);
  EXPECT_EQ(p.y(), kMax);  // 2^31 - 1 < 2^31
  EXPECT_EQ(KtInternalRect(kSquare).closestSide(KtPoint(kMax, kMin)), KT_SIDE_BOTTOM);
  EXPECT_EQ(KtRect(kMin, kMin, kMin + 1, kMax).sideForRouting(KtRect(kMax - 1, 0, kMax, 1), 0),
            KT_SIDE_RIGHT);

  // The point past the far edge is exact up to the limits of the plane, and stopped there.
  const auto outside = [](const KtRect& r, std::int32_t px, std::int32_t py, std::int32_t qx,
                          std::int32_t qy) {
    KtPoint point(px, py);
    r.getPointOutsideRect(point, KtPoint(qx, qy));
    return std::make_pair(point.x(), point.y());
  };
  using P = std::pair<std::int32_t, std::int32_t>;
  EXPECT_EQ(outside(KtRect(kMin + 1, -1, kMax - 1, 1), 0, 0, -1, 0), (P{kMax, 0}));
  EXPECT_EQ(outside(KtRect(kMin + 1, -1, kMax - 1, 1), 0, 0, 1, 0), (P{kMin, 0}));
  EXPECT_EQ(outside(kSquare, kMax, 0, -2, 0), (P{kMax, 0}));  // one step would be 2^31 + 1
  EXPECT_EQ(outside(KtRect(0, -5, 0, 5), -3, 0, -4, kMax), (P{1, kMin}));  // 4 steps of 2^31 - 1
  EXPECT_EQ(outside(KtRect(-5, -5, kMax, 5), 0, 0, 0, 0), (P{kMax, 0}));   // no room: on the edge
}

// ---- An exact reference ------------------------------------------------------------------------
// Written from the algorithms' definitions with rationals in 128 bits, where the library works in
// double and 64 bits. Where both must agree exactly, coordinates stay within 2^20, so that the
// library's doubles are exact up to their final rounding.

using I128 = __int128;

struct Box {
  std::int64_t l, b, r, t;
};
template <class R>
Box boxOf(const R& r) {
  return Box{r.left(), r.bottom(), r.right(), r.top()};
}
bool inBox(const Box& b, I128 x, I128 y) { return b.l <= x && x <= b.r && b.b <= y && y <= b.t; }

I128 floorDiv(I128 a, I128 d) {  // d > 0
  const I128 q = a / d;
  return (a % d != 0 && a < 0) ? q - 1 : q;
}

// The coordinate c at which the line through (c1, o1), (c2, o2) reaches o = edge, as num / den.
struct Frac {
  I128 num, den;
  bool within(I128 lo, I128 hi) const { return lo * den <= num && num <= hi * den; }
  bool strictlyWithin(I128 lo, I128 hi) const { return lo * den < num && num < hi * den; }
  std::int64_t rounded() const {
    return static_cast<std::int64_t>(floorDiv(2 * num + den, 2 * den));
  }
};
Frac reach(I128 c1, I128 o1, I128 c2, I128 o2, I128 edge) {
  I128 den = o2 - o1, num = c1 * den + (edge - o1) * (c2 - c1);
  return den < 0 ? Frac{-num, -den} : Frac{num, den};
}

using Pt = std::pair<std::int64_t, std::int64_t>;

std::vector<Pt> refCrossings(const Box& b, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                             std::int64_t y2) {
  std::vector<Pt> hits;
  if (x1 == x2) {
    if (y1 != y2 && b.l <= x1 && x1 <= b.r) hits.push_back({x1, b.t});
    if (hits.size() == 1 && b.b != b.t) hits.push_back({x1, b.b});
    return hits;
  }
  if (y1 == y2) {
    if (b.b <= y1 && y1 <= b.t) hits.push_back({b.l, y1});
    if (hits.size() == 1 && b.l != b.r) hits.push_back({b.r, y1});
    return hits;
  }
  std::vector<std::int64_t> rows = {b.t}, columns = {b.l};
  if (b.b != b.t) rows.push_back(b.b);
  if (b.l != b.r) columns.push_back(b.r);
  for (const std::int64_t y : rows) {
    const Frac f = reach(x1, y1, x2, y2, y);
    if (f.within(b.l, b.r)) hits.push_back({f.rounded(), y});
  }
  for (const std::int64_t x : columns) {
    const Frac f = reach(y1, x1, y2, x2, x);
    if (hits.size() < 2 && f.strictlyWithin(b.b, b.t)) hits.push_back({x, f.rounded()});
  }
  return hits;
}

Out written(const std::vector<Pt>& hits, Out out) {
  out[0] = static_cast<std::int64_t>(hits.size());
  if (hits.size() >= 1) out[1] = hits[0].first, out[2] = hits[0].second;
  if (hits.size() == 2) out[3] = hits[1].first, out[4] = hits[1].second;
  return out;
}

Out refLine(const Box& b, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return written(refCrossings(b, x1, y1, x2, y2), Out{0, x1, y1, x2, y2});
}

Out refSegment(const Box& b, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  const Out unchanged{0, x1, y1, x2, y2};
  const Box span{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (span.r < b.l || span.l > b.r || span.t < b.b || span.b > b.t) return unchanged;
  if (x1 == x2 && (x1 == b.l || x1 == b.r)) {
    const std::int64_t lo = std::max(b.b, span.b), hi = std::min(b.t, span.t);
    return Out{lo == hi ? 1 : 2, x1, lo, x2, hi};
  }
  if (y1 == y2 && (y1 == b.b || y1 == b.t)) {
    const std::int64_t lo = std::max(b.l, span.l), hi = std::min(b.r, span.r);
    return Out{lo == hi ? 1 : 2, lo, y1, hi, y2};
  }
  std::vector<Pt> kept;
  for (const Pt& c : refCrossings(b, x1, y1, x2, y2))
    if (inBox(span, c.first, c.second)) kept.push_back(c);
  return written(kept, unchanged);
}

bool behind(const Pt& c, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  return (x1 < x2 && c.first < x1) || (x1 > x2 && c.first > x1) || (y1 < y2 && c.second < y1) ||
         (y1 > y2 && c.second > y1);
}

bool refRayRunsAway(const Box& b, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                    std::int64_t y2) {
  // Every point of the ray lies beyond one edge.
  const bool pastRight = x1 > b.r && x2 >= x1, pastLeft = x1 < b.l && x2 <= x1;
  const bool pastTop = y1 > b.t && y2 >= y1, pastBottom = y1 < b.b && y2 <= y1;
  return pastRight || pastLeft || pastTop || pastBottom;
}

Out refRay(const Box& b, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  const Out unchanged{0, x1, y1, x2, y2};
  if (refRayRunsAway(b, x1, y1, x2, y2) || (x1 == x2 && y1 == y2)) return unchanged;
  if (x1 == x2 && (x1 == b.l || x1 == b.r)) {
    const bool down = y2 < y1;
    const std::int64_t start = down ? std::min(b.t, y1) : std::max(b.b, y1);
    const std::int64_t end = down ? b.b : b.t;
    return start == end ? Out{1, x1, start, x2, y2} : Out{2, x1, start, x2, end};
  }
  if (y1 == y2 && (y1 == b.b || y1 == b.t)) {
    const bool leftwards = x2 < x1;
    const std::int64_t start = leftwards ? std::min(b.r, x1) : std::max(b.l, x1);
    const std::int64_t end = leftwards ? b.l : b.r;
    return start == end ? Out{1, start, y1, x2, y2} : Out{2, start, y1, end, y2};
  }
  const std::vector<Pt> hits = refCrossings(b, x1, y1, x2, y2);
  std::vector<Pt> ahead;
  for (const Pt& c : hits)
    if (!behind(c, x1, y1, x2, y2)) ahead.push_back(c);
  const auto distance = [&](const Pt& c) {
    const I128 dx = c.first - x1, dy = c.second - y1;
    return dx * dx + dy * dy;
  };
  if (ahead.size() == 2 && distance(ahead[1]) < distance(ahead[0])) std::swap(ahead[0], ahead[1]);
  return written(ahead, unchanged);
}

// The sides in the order that wins ties, and the point's distance to each.
Pt refNearest(const Box& b, std::int64_t x, std::int64_t y) {
  if (!(b.l < x && x < b.r && b.b < y && y < b.t))
    return {std::clamp(x, b.l, b.r), std::clamp(y, b.b, b.t)};
  const std::array<std::int64_t, 4> distance = {y - b.b, b.t - y, x - b.l, b.r - x};
  const std::array<Pt, 4> moved = {Pt{x, b.b}, Pt{x, b.t}, Pt{b.l, y}, Pt{b.r, y}};
  return moved[std::min_element(distance.begin(), distance.end()) - distance.begin()];
}

KtSideEnum refClosestWithin(const Box& b, std::int64_t x, std::int64_t y) {
  const std::array<std::int64_t, 4> distance = {std::abs(b.r - x), std::abs(b.t - y),
                                                std::abs(b.l - x), std::abs(b.b - y)};
  return static_cast<KtSideEnum>(std::min_element(distance.begin(), distance.end()) -
                                 distance.begin());
}

KtSideEnum refClosest(const Box& b, std::int64_t x, std::int64_t y) {
  if (inBox(b, x, y)) return refClosestWithin(b, x, y);
  const std::int64_t gapX = std::max<std::int64_t>({b.l - x, x - b.r, 0});
  const std::int64_t gapY = std::max<std::int64_t>({b.b - y, y - b.t, 0});
  if (gapX < gapY) return y > b.t ? KT_SIDE_TOP : KT_SIDE_BOTTOM;
  return x < b.l ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
}

std::int64_t floorCentre(std::int64_t low, std::int64_t high) {
  return static_cast<std::int64_t>(floorDiv(low + high, 2));
}

KtSideEnum refRoutingToRect(const Box& a, const Box& o, int horizontalFirst) {
  const bool meetX = o.r >= a.l && a.r >= o.l, meetY = o.t >= a.b && a.t >= o.b;
  if (!meetX && !meetY) {
    if (horizontalFirst) return a.l > o.r ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
    return a.b > o.t ? KT_SIDE_BOTTOM : KT_SIDE_TOP;
  }
  if (!meetY) return floorCentre(a.b, a.t) > floorCentre(o.b, o.t) ? KT_SIDE_BOTTOM : KT_SIDE_TOP;
  if (!meetX) return floorCentre(a.l, a.r) > floorCentre(o.l, o.r) ? KT_SIDE_LEFT : KT_SIDE_RIGHT;
  const bool nested = (a.l <= o.l && o.r <= a.r && a.b <= o.b && o.t <= a.t) ||
                      (o.l <= a.l && a.r <= o.r && o.b <= a.b && a.t <= o.t);
  if (nested) {
    const std::array<std::int64_t, 4> difference = {std::abs(a.b - o.b), std::abs(a.l - o.l),
                                                    std::abs(a.t - o.t), std::abs(a.r - o.r)};
    const KtSideEnum sides[] = {KT_SIDE_BOTTOM, KT_SIDE_LEFT, KT_SIDE_TOP, KT_SIDE_RIGHT};
    return sides[std::min_element(difference.begin(), difference.end()) - difference.begin()];
  }
  // How far the other sticks out past each side of this one, and this one past the other's.
  const std::int64_t outR = o.r - a.r, outT = o.t - a.t, outL = a.l - o.l, outB = a.b - o.b;
  struct Corner {
    std::int64_t out, across;
    KtSideEnum side;
  };
  const Corner corners[] = {{outT, -outL, KT_SIDE_TOP},   {outB, -outL, KT_SIDE_BOTTOM},
                            {outR, -outB, KT_SIDE_RIGHT}, {outL, -outB, KT_SIDE_LEFT},
                            {outT, -outR, KT_SIDE_TOP},   {outB, -outR, KT_SIDE_BOTTOM},
                            {outR, -outT, KT_SIDE_RIGHT}, {outL, -outT, KT_SIDE_LEFT}};
  std::int64_t best = 0;
  KtSideEnum side = KT_SIDE_LEFT;
  for (const Corner& c : corners)
    if (c.out > 0 && c.across > 0 && std::min(c.out, c.across) > best)
      best = std::min(c.out, c.across), side = c.side;
  if (best > 0) return side;
  // The one side it sticks out of.
  if (outR > 0) return KT_SIDE_RIGHT;
  if (outT > 0) return KT_SIDE_TOP;
  if (outB > 0) return KT_SIDE_BOTTOM;
  EXPECT_GT(outL, 0);
  return KT_SIDE_LEFT;
}

Out refOtherSide(const Box& b, std::int64_t px, std::int64_t py, std::int64_t qx, std::int64_t qy) {
  if (px != qx && py != qy) {
    const std::vector<Pt> hits = refCrossings(b, px, py, qx, qy);
    if (hits.size() == 2) {
      const Pt& p = hits[1] == Pt{qx, qy} ? hits[0] : hits[1];
      return Out{1, p.first, p.second, 0, 0};
    }
  } else if (px == qx && py != qy && b.l <= px && px <= b.r) {
    return Out{1, px, qy - b.b >= b.t - qy ? b.b : b.t, 0, 0};
  } else if (py == qy && px != qx && b.b <= py && py <= b.t) {
    return Out{1, qx - b.l >= b.r - qx ? b.l : b.r, py, 0, 0};
  }
  return Out{0, qx, qy, 0, 0};
}

std::int64_t clamp32(I128 v) { return static_cast<std::int64_t>(std::clamp<I128>(v, kMin, kMax)); }

// The exact point past the far edge, before it is stopped at the limits of 32 bits.
std::pair<I128, I128> refOutsideExact(const Box& b, I128 px, I128 py, I128 qx, I128 qy) {
  const I128 dx = qx - px, dy = qy - py;
  if (dx == 0 && dy == 0) return {b.r + 1, py};
  const I128 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool alongX = dy == 0 || (dx != 0 && b.t != b.b && (b.r - b.l) * ady <= adx * (b.t - b.b));
  // The fewest whole steps that take the point strictly past the far edge, counted from it.
  const I128 k = alongX ? ((dx < 0 ? b.r : b.l) - px) / dx : ((dy < 0 ? b.t : b.b) - py) / dy;
  const I128 n = (k < 0 ? -k : k) + 1;
  return {px - n * dx, py - n * dy};
}

// ---- Sampling ----------------------------------------------------------------------------------

struct Sampler {
  std::mt19937_64& engine;
  std::int64_t range;  // coordinates within +-range

  std::int64_t uniform(std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(engine);
  }
  // -2^31 is in range when range is 2^31 - 1.
  std::int64_t coordinate() { return uniform(-range - 1, range); }
  KtRect rect() {
    const std::int64_t maxExtent = std::min<std::int64_t>(range, kMax);
    const std::int64_t w = engine() % 4 == 0 ? 0 : uniform(0, engine() % 2 ? 40 : maxExtent);
    const std::int64_t h = engine() % 4 == 0 ? 0 : uniform(0, engine() % 2 ? 40 : maxExtent);
    const std::int64_t l = uniform(-range - 1, range - w), b = uniform(-range - 1, range - h);
    return KtRect(static_cast<std::int32_t>(l), static_cast<std::int32_t>(b),
                  static_cast<std::int32_t>(l + w), static_cast<std::int32_t>(b + h));
  }
  // Edges, corners, the centre and their neighbours as often as anywhere.
  std::int32_t near(std::int64_t low, std::int64_t high) {
    const std::int64_t picks[] = {low, high, (low + high) / 2, coordinate(), -range - 1, range};
    const std::int64_t v = picks[engine() % 6] + static_cast<std::int64_t>(engine() % 3) - 1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -range - 1, range));
  }
  KtPoint point(const Box& b) { return KtPoint(near(b.l, b.r), near(b.b, b.t)); }
  // A second point, often on an axis or a diagonal through the first.
  KtPoint partner(const KtPoint& p, const Box& b) {
    KtPoint q = point(b);
    const std::int64_t step = uniform(-3, 3), kind = engine() % 5;
    if (kind == 0) q.x(p.x());
    if (kind == 1) q.y(p.y());
    if (kind == 2)
      q.set(static_cast<std::int32_t>(std::clamp(p.x() + step, -range - 1, range)),
            static_cast<std::int32_t>(std::clamp(p.y() + step, -range - 1, range)));
    return q;
  }
};

// Every clip and side operation of either representation against the reference. The operations
// that go through double are compared where double is exact: small coordinates, or an axis-parallel
// line, which takes no double at all.
template <class R>
void checkAll(const R& r, const Box& b, const KtPoint& p, const KtPoint& q, bool small) {
  const std::int32_t x1 = p.x(), y1 = p.y(), x2 = q.x(), y2 = q.y();
  if (small || x1 == x2 || y1 == y2) {
    const Out onLine = refLine(b, x1, y1, x2, y2), onSegment = refSegment(b, x1, y1, x2, y2);
    const Out onRay = refRay(b, x1, y1, x2, y2);
    ASSERT_EQ(line(r, x1, y1, x2, y2), onLine);
    ASSERT_EQ(segment(r, x1, y1, x2, y2), onSegment);
    ASSERT_EQ(ray(r, x1, y1, x2, y2), onRay);
    // A line or ray meets the closed rectangle iff it meets its boundary; a segment also when
    // it lies inside.
    ASSERT_EQ(r.overlapsLine(x1, y1, x2, y2), int{onLine[0] > 0});
    ASSERT_EQ(r.overlapsSegment(x1, y1, x2, y2),
              int{onSegment[0] > 0 || (inBox(b, x1, y1) && inBox(b, x2, y2))});
    ASSERT_EQ(r.overlapsRay(x1, y1, x2, y2), int{onRay[0] > 0});
  }
  KtPoint moved(p);
  r.nearestPoint(moved);
  ASSERT_EQ(Pt(moved.x(), moved.y()), refNearest(b, x1, y1));
  if (inBox(b, x1, y1)) {
    ASSERT_EQ(r.closestSideWithin(p), refClosestWithin(b, x1, y1));
  }
  ASSERT_EQ(r.closestSide(p), refClosest(b, x1, y1));
}

// Past 2^20 a crossing computed in double may round differently from the exact value near a
// half: there both representations must still agree with each other.
void checkRepresentationsAgree(const KtRect& r, const KtInternalRect& i, const KtPoint& p,
                               const KtPoint& q) {
  const std::int32_t x1 = p.x(), y1 = p.y(), x2 = q.x(), y2 = q.y();
  ASSERT_EQ(line(r, x1, y1, x2, y2), line(i, x1, y1, x2, y2));
  ASSERT_EQ(segment(r, x1, y1, x2, y2), segment(i, x1, y1, x2, y2));
  ASSERT_EQ(ray(r, x1, y1, x2, y2), ray(i, x1, y1, x2, y2));
  ASSERT_EQ(r.overlapsLine(p, q), i.overlapsLine(p, q));
  ASSERT_EQ(r.overlapsSegment(p, q), i.overlapsSegment(p, q));
  ASSERT_EQ(r.overlapsRay(p, q), i.overlapsRay(p, q));
}

void checkRectOnly(const KtRect& r, const Box& b, const KtPoint& p, const KtPoint& q,
                   const KtRect& other, int dir, bool small) {
  const std::int32_t x1 = p.x(), y1 = p.y(), x2 = q.x(), y2 = q.y();
  ASSERT_EQ(r.sideForRouting(other, dir & 1), refRoutingToRect(b, boxOf(other), dir & 1));
  KtPoint moved(p);
  const int result = r.pointInOtherSide(moved, q);
  if (small || x1 == x2 || y1 == y2) {
    ASSERT_EQ((Out{result, moved.x(), moved.y(), 0, 0}), refOtherSide(b, x1, y1, x2, y2));
  }
  KtPoint outside(p);
  r.getPointOutsideRect(outside, q);
  const std::pair<I128, I128> exact = refOutsideExact(b, x1, y1, x2, y2);
  const Pt stopped(clamp32(exact.first), clamp32(exact.second));
  ASSERT_EQ(Pt(outside.x(), outside.y()), stopped);
  // Strictly outside, unless the rectangle reaches the limit the point was stopped at, and never
  // closer to q wherever the plane holds the exact point.
  const bool reachesLimit = b.l == kMin || b.r == kMax || b.b == kMin || b.t == kMax;
  if (!reachesLimit) {
    ASSERT_FALSE(inBox(b, stopped.first, stopped.second));
  }
  if (exact.first == stopped.first && exact.second == stopped.second) {
    ASSERT_FALSE(inBox(b, exact.first, exact.second));
    const I128 before = (I128{x2} - x1) * (x2 - x1) + (I128{y2} - y1) * (y2 - y1);
    const I128 after =
        (x2 - exact.first) * (x2 - exact.first) + (y2 - exact.second) * (y2 - exact.second);
    ASSERT_TRUE(after > before || (x1 == x2 && y1 == y2));
  }
}

void runDifferential(std::uint64_t seed, std::int64_t range, int cases) {
  const bool small = range <= (1 << 20);
  std::mt19937_64 engine(seed);
  Sampler sample{engine, range};
  for (int i = 0; i < cases; ++i) {
    const KtRect r = sample.rect();
    const KtInternalRect internal(r);
    const Box b = boxOf(r);
    const KtPoint p = sample.point(b);
    const KtPoint q = sample.partner(p, b);
    SCOPED_TRACE(::testing::Message()
                 << "case " << i << ": rect " << b.l << " " << b.b << " " << b.r << " " << b.t
                 << ", points " << p.x() << " " << p.y() << ", " << q.x() << " " << q.y());
    ASSERT_EQ(boxOf(internal).l, b.l);
    ASSERT_EQ(boxOf(internal).t, b.t);
    checkAll(r, b, p, q, small);
    checkAll(internal, b, p, q, small);
    if (!small) checkRepresentationsAgree(r, internal, p, q);
    const KtRect other(sample.point(b), sample.point(b));
    checkRectOnly(r, b, p, q, other, static_cast<int>(engine() % 6), small);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(KtRectClipDifferential, SmallCoordinatesMatchTheReferenceExactly) {
  runDifferential(1, 60, 40000);
  runDifferential(2, 1 << 20, 20000);
}

TEST(KtRectClipDifferential, ExtremeCoordinatesMatchTheReference) {
  runDifferential(3, kMax, 40000);
}

}  // namespace
