#include "ktbase/geometry/rotated_rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

using Corners = std::array<double, 8>;  // x1, y1 .. x4, y4
Corners corners(const KtRotatedRect& r) {
  return Corners{r.x1(), r.y1(), r.x2(), r.y2(), r.x3(), r.y3(), r.x4(), r.y4()};
}
using Box = std::array<double, 4>;  // min x, min y, max x, max y
Box box(const KtRotatedRect& r) { return Box{r.minX(), r.minY(), r.maxX(), r.maxY()}; }

KtRotatedRect around(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                     std::int32_t delta) {
  const KtPoint p1(x1, y1), p2(x2, y2);
  return KtRotatedRect(&p1, &p2, delta);
}

// The result of clipping and the two ends afterwards.
using Clip = std::array<std::int32_t, 5>;
Clip clip(const KtRotatedRect& r, std::int32_t ax, std::int32_t ay, std::int32_t bx,
          std::int32_t by) {
  KtPoint a(ax, ay), b(bx, by);
  const int result = r.clipping(&a, &b);
  return Clip{result, a.x(), a.y(), b.x(), b.y()};
}

// The corners in their order; the references below check the boxes and the clipping.
TEST(KtRotatedRect, CornersNullPointsAndCopies) {
  const KtRotatedRect flat = around(0, 0, 10, 0, 2);
  EXPECT_EQ(corners(flat), (Corners{-2, -2, 12, -2, 12, 2, -2, 2}));
  EXPECT_EQ(corners(around(0, 0, 0, 10, 2)), (Corners{2, -2, 2, 12, -2, 12, -2, -2}));
  EXPECT_EQ(corners(around(5, 5, 5, 5, 3)), (Corners{2, 2, 8, 2, 8, 8, 2, 8}));  // no length
  // 45 degrees: the corners lie delta * sqrt(2) beyond the ends on the axes.
  const KtRotatedRect diagonal = around(0, 0, 10, 10, 1);
  const double r2 = std::sqrt(2.0);
  const Corners expected{0, -r2, 10 + r2, 10, 10, 10 + r2, -r2, 0};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(corners(diagonal)[i], expected[i], 1e-12) << i;

  // A null point changes nothing; the default is all zeros; a clone has it all.
  KtRotatedRect kept = flat;
  kept.set(nullptr, nullptr, 9);
  EXPECT_EQ(corners(kept), corners(flat));
  EXPECT_EQ(kept.delta(), 2);
  EXPECT_EQ(corners(KtRotatedRect()), Corners{});
  EXPECT_EQ(box(KtRotatedRect()), Box{});
  KtRotatedRect* clone = diagonal.cloneObject();
  EXPECT_EQ(corners(*clone), corners(diagonal));
  EXPECT_EQ(box(*clone), box(diagonal));
  EXPECT_EQ(clone->delta(), 1);
  delete clone;
}

// The exact reference below covers small rectangles at right angles with a margin of 0 or more;
// these are the cases it does not reach.
TEST(KtRotatedRect, ClipsOutsideTheReferencesReach) {
  // Nearly parallel to an edge (less than 0.01 radian off) the segment is still cut where it
  // leaves: (0, 9) to (1000, 18) leaves the margin 10 at x = 111.1.
  const KtRotatedRect lane = around(0, 0, 1000, 0, 10);
  EXPECT_EQ(clip(lane, 0, 9, 1000, 18), (Clip{1, 0, 9, 111, 10}));
  EXPECT_EQ(clip(lane, -100, -11, 2000, -9), (Clip{1, 950, -10, 1010, -10}));
  // At 7/10 of a run of 45 the cut lies on 1.5 exactly, where 0.7 * 45 in double falls short.
  EXPECT_EQ(clip(around(0, 0, 10, 0, 2), -30, -9, 15, 1), (Clip{1, 2, -2, 12, 0}));
  // A negative margin leaves nothing; neither does a null point.
  EXPECT_EQ(clip(around(0, 0, 10, 0, -2), 5, -10, 5, 10), (Clip{0, 5, -10, 5, 10}));
  EXPECT_EQ(clip(around(0, 0, 10, 0, -2), 5, 0, 5, 0), (Clip{0, 5, 0, 5, 0}));
  KtPoint a(5, -10);
  EXPECT_EQ(lane.clipping(&a, nullptr), 0);
  EXPECT_EQ(a.y(), -10);
  // The default rectangle is the point (0, 0).
  EXPECT_EQ(clip(KtRotatedRect(), -3, 0, 3, 0), (Clip{1, 0, 0, 0, 0}));
  EXPECT_EQ(clip(KtRotatedRect(), -3, 1, 3, 1), (Clip{0, -3, 1, 3, 1}));

  // Along (3, 4) the direction (0.6, 0.8) and the corners are inexact in double, yet the corner
  // c1 = (1, -7) and c2 = (10, 5) lie on integer points. Along the first edge, past both of its
  // corners: cut at the corners, not lost to rounding.
  const KtRotatedRect r = around(0, 0, 3, 4, 5);
  EXPECT_EQ(clip(r, -2, -11, 13, 9), (Clip{1, 1, -7, 10, 5}));
  EXPECT_EQ(clip(r, 13, 9, -2, -11), (Clip{1, 10, 5, 1, -7}));
  EXPECT_EQ(clip(r, 1, -7, 1, -7), (Clip{1, 1, -7, 1, -7}));
  // Without margin the rectangle is the segment (0, 0)-(3, 4): a segment through its end touches
  // it there, one across its middle crosses it at (1.2, 1.6).
  const KtRotatedRect bare = around(0, 0, 3, 4, 0);
  EXPECT_EQ(clip(bare, 3, 0, 3, 8), (Clip{1, 3, 4, 3, 4}));
  EXPECT_EQ(clip(bare, 0, 4, 2, 0), (Clip{1, 1, 2, 1, 2}));
  EXPECT_EQ(clip(bare, 1, 0, 4, 4), (Clip{0, 1, 0, 4, 4}));

  // Across the diagonal the margin is 1 on either side, 0.71 on each axis; along it, the cut
  // lies 0.71 past the ends on each axis. Integer points as near the corner (0, -1.414) as can
  // be: (0, -1) is in, (0, -2) is out.
  const KtRotatedRect d = around(0, 0, 10, 10, 1);
  EXPECT_EQ(clip(d, 0, 10, 10, 0), (Clip{1, 4, 6, 6, 4}));
  EXPECT_EQ(clip(d, -10, -10, 20, 20), (Clip{1, -1, -1, 11, 11}));
  EXPECT_EQ(clip(d, 0, 5, 2, 8), (Clip{0, 0, 5, 2, 8}));  // inside the box, beside the strip
  EXPECT_EQ(clip(d, 0, -1, 0, -1), (Clip{1, 0, -1, 0, -1}));
  EXPECT_EQ(clip(d, 0, -2, 0, -2), (Clip{0, 0, -2, 0, -2}));
}

// ---- References ------------------------------------------------------------------------------

// Exact for a rectangle at a right angle: its corners are integers, and the clip is done on
// rationals (t = num / den) with the ends rounded half up.
struct Fraction {
  std::int64_t num, den;  // den > 0
  bool operator<(const Fraction& o) const { return num * o.den < o.num * den; }
};
std::int64_t roundedAt(std::int64_t from, std::int64_t to, const Fraction& t) {
  // floor(from + t * (to - from) + 1/2), exactly.
  const std::int64_t n = 2 * (from * t.den + t.num * (to - from)) + t.den, d = 2 * t.den;
  return n >= 0 ? n / d : -((-n + d - 1) / d);
}
Clip exactAxisClip(std::int64_t minX, std::int64_t minY, std::int64_t maxX, std::int64_t maxY,
                   std::int32_t ax, std::int32_t ay, std::int32_t bx, std::int32_t by) {
  const Clip refused{0, ax, ay, bx, by};
  const std::int64_t dx = bx - ax, dy = by - ay;
  Fraction enter{0, 1}, leave{1, 1};
  // Each side as p * t <= q.
  const std::int64_t sides[4][2] = {
      {-dx, ax - minX}, {dx, maxX - ax}, {-dy, ay - minY}, {dy, maxY - ay}};
  for (const auto& side : sides) {
    const std::int64_t p = side[0], q = side[1];
    if (p == 0) {
      if (q < 0) return refused;
      continue;
    }
    const Fraction t = p > 0 ? Fraction{q, p} : Fraction{-q, -p};
    if (p < 0 && enter < t) enter = t;
    if (p > 0 && t < leave) leave = t;
  }
  if (leave < enter) return refused;
  return Clip{1, static_cast<std::int32_t>(roundedAt(ax, bx, enter)),
              static_cast<std::int32_t>(roundedAt(ay, by, enter)),
              static_cast<std::int32_t>(roundedAt(ax, bx, leave)),
              static_cast<std::int32_t>(roundedAt(ay, by, leave))};
}

TEST(KtRotatedRectDifferential, RightAnglesMatchAnExactReference) {
  std::mt19937 random(90);
  std::uniform_int_distribution<std::int32_t> coordinate(-60, 60);
  std::uniform_int_distribution<std::int32_t> margin(0, 8);
  for (int i = 0; i < 20000; ++i) {
    const std::int32_t x = coordinate(random), y = coordinate(random);
    const std::int32_t length = coordinate(random) / 2, delta = margin(random);
    const KtPoint p1(x, y);
    const KtPoint p2 = random() % 2 ? KtPoint(x + length, y) : KtPoint(x, y + length);
    const KtRotatedRect r(&p1, &p2, delta);
    const std::int64_t minX = std::min(p1.x(), p2.x()) - delta;
    const std::int64_t maxX = std::max(p1.x(), p2.x()) + delta;
    const std::int64_t minY = std::min(p1.y(), p2.y()) - delta;
    const std::int64_t maxY = std::max(p1.y(), p2.y()) + delta;
    ASSERT_EQ(box(r), (Box{double(minX), double(minY), double(maxX), double(maxY)})) << i;
    // Ends on and beside the edges and corners, as often as anywhere.
    const auto near = [&](std::int64_t low, std::int64_t high) {
      const std::int64_t picks[] = {low, high, low - 3, high + 3, coordinate(random)};
      return static_cast<std::int32_t>(picks[random() % 5] + std::int64_t(random() % 3) - 1);
    };
    const std::int32_t ax = near(minX, maxX), ay = near(minY, maxY);
    const std::int32_t bx = random() % 4 ? near(minX, maxX) : ax;
    const std::int32_t by = random() % 4 ? near(minY, maxY) : ay;
    ASSERT_EQ(clip(r, ax, ay, bx, by), exactAxisClip(minX, minY, maxX, maxY, ax, ay, bx, by))
        << "case " << i << ": " << p1.x() << "," << p1.y() << " to " << p2.x() << "," << p2.y()
        << " margin " << delta;
  }
}

// For any angle: the same rectangle in its own frame, where it is the box [0, length] x
// [0, width], grown by `grow` on every side, clipped in long double.
struct Reference {
  bool meets;
  std::array<long double, 4> ends;  // the clipped ends, a before b
  long double kept;                 // the length of the clipped part
};
Reference referenceClip(const KtPoint& p1, const KtPoint& p2, std::int32_t delta, const KtPoint& a,
                        const KtPoint& b, long double grow) {
  using LD = long double;
  const LD dx = LD(p2.x()) - p1.x(), dy = LD(p2.y()) - p1.y(), d = std::sqrt(dx * dx + dy * dy);
  const LD ux = d == 0 ? 1 : dx / d, uy = d == 0 ? 0 : dy / d;
  const LD cx = p1.x() - delta * ux + delta * uy, cy = p1.y() - delta * uy - delta * ux;
  const auto local = [&](LD x, LD y) {
    return std::array<LD, 2>{(x - cx) * ux + (y - cy) * uy, -(x - cx) * uy + (y - cy) * ux};
  };
  const std::array<LD, 2> la = local(a.x(), a.y()), lb = local(b.x(), b.y());
  const LD high[2] = {d + 2 * delta + grow, 2 * LD(delta) + grow};
  LD enter = 0, leave = 1;
  bool meets = true;
  for (int axis = 0; axis < 2; ++axis) {
    const LD from = la[axis], step = lb[axis] - la[axis];
    if (step == 0) {
      meets = meets && from >= -grow && from <= high[axis];
      continue;
    }
    LD t0 = (-grow - from) / step, t1 = (high[axis] - from) / step;
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
  }
  meets = meets && enter <= leave;
  const LD ex = b.x() - a.x(), ey = b.y() - a.y();
  return Reference{meets,
                   {a.x() + enter * ex, a.y() + enter * ey, a.x() + leave * ex, a.y() + leave * ey},
                   meets ? (leave - enter) * std::hypot(ex, ey) : 0};
}

// Clear cases must agree: a segment that keeps a part of positive length is clipped to ends
// within rounding of the reference's, one that misses the rectangle grown by the grazing
// distance is refused. Grazing cases may go either way.
void checkAnyAngle(std::mt19937& random, std::int32_t spread, long double grazing) {
  std::uniform_int_distribution<std::int32_t> coordinate(-spread, spread);
  std::uniform_int_distribution<std::int32_t> margin(0, 40);
  int kept = 0, refused = 0;
  for (int i = 0; i < 20000; ++i) {
    const KtPoint p1(coordinate(random), coordinate(random));
    const KtPoint p2 = random() % 8 ? KtPoint(coordinate(random), coordinate(random)) : KtPoint(p1);
    const std::int32_t delta = margin(random);
    const KtRotatedRect r(&p1, &p2, delta);
    // Ends around the rectangle's box; some segments run parallel to it.
    const auto within = [&](double low, double high) {
      return static_cast<std::int32_t>(
          std::uniform_real_distribution<double>(low - 10, high + 10)(random));
    };
    const KtPoint a(within(r.minX(), r.maxX()), within(r.minY(), r.maxY()));
    KtPoint b(within(r.minX(), r.maxX()), within(r.minY(), r.maxY()));
    if (random() % 4 == 0) b.set(a.x() + (p2.x() - p1.x()), a.y() + (p2.y() - p1.y()));
    if (random() % 16 == 0) b = a;
    const Reference ref = referenceClip(p1, p2, delta, a, b, 0);
    KtPoint ca(a), cb(b);
    const int result = r.clipping(&ca, &cb);
    const auto trace = [&] {
      return ::testing::Message() << "case " << i << ": " << p1.x() << "," << p1.y() << " to "
                                  << p2.x() << "," << p2.y() << " margin " << delta << ", segment "
                                  << a.x() << "," << a.y() << " to " << b.x() << "," << b.y();
    };
    const bool point = a.x() == b.x() && a.y() == b.y();
    if (ref.meets && (ref.kept > grazing || point)) {
      ++kept;
      ASSERT_EQ(result, 1) << trace();
      const std::array<long double, 4> ends = {1.0L * ca.x(), 1.0L * ca.y(), 1.0L * cb.x(),
                                               1.0L * cb.y()};
      for (std::size_t k = 0; k < 4; ++k)
        ASSERT_LE(std::fabs(ends[k] - ref.ends[k]), 0.5 + 1e-6) << trace();
    } else if (!referenceClip(p1, p2, delta, a, b, grazing).meets) {
      ++refused;
      ASSERT_EQ(result, 0) << trace();
      ASSERT_EQ(ca.x(), a.x());
      ASSERT_EQ(cb.y(), b.y());
    }
  }
  // Both kinds were exercised in earnest.
  EXPECT_GT(kept, 5000);
  EXPECT_GT(refused, 2000);
}

TEST(KtRotatedRectDifferential, AnyAngleAgreesWithAReferenceInItsOwnFrame) {
  std::mt19937 random(45);
  checkAnyAngle(random, 100, 1e-6);
  checkAnyAngle(random, 1 << 20, 1e-4);
}

}  // namespace
