#include "ktbase/geometry/rect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// (left, top, right, bottom) of either representation.
using Edges = std::array<std::int32_t, 4>;
template <class R>
Edges edges(const R& rect) {
  return Edges{rect.left(), rect.top(), rect.right(), rect.bottom()};
}

TEST(KtRect, ConstructorsPlaceTheEdges) {
  const KtRect square;
  EXPECT_EQ(edges(square), (Edges{-20, 20, 20, -20}));
  EXPECT_EQ(edges(KtInternalRect()), edges(square));
  EXPECT_EQ(edges(KtRect(KtInternalRect(square))), edges(square));
  // An odd extent leaves the centre on the low side; a negative one is not taken: that axis is
  // 0 wide at the centre.
  EXPECT_EQ(edges(KtRect(5, 3)), (Edges{-2, 2, 3, -1}));
  EXPECT_EQ(edges(KtRect(-4, 3)), (Edges{0, 2, 0, -1}));
  EXPECT_EQ(edges(KtInternalRect(-4, 5)), (Edges{0, 3, 0, -2}));
  EXPECT_EQ(edges(KtRect(KtPoint(-3, 7), KtSize(5, 4))), (Edges{-5, 9, 0, 5}));
  EXPECT_EQ(edges(KtRect(KtPoint(1, 1), KtPoint(-2, 5))), (Edges{-2, 5, 1, 1}));
  EXPECT_EQ(edges(KtInternalRect(4, -1, -3, 6)), (Edges{-3, 6, 4, -1}));

  // From the platform's record, normalised; the record is then a view of the rectangle's fields.
  const tagRECT reversed{5, -5, -5, 5};
  KtRect fromRecord(&reversed);
  EXPECT_EQ(edges(fromRecord), (Edges{-5, 5, 5, -5}));
  EXPECT_TRUE(KtRect(static_cast<const tagRECT*>(nullptr)).isZero());
  const tagRECT* view = fromRecord;
  fromRecord.move(1, -1);
  EXPECT_EQ(view->left, -4);
  EXPECT_EQ(view->bottom, -6);
  KtRect* clone = fromRecord.cloneAttributes();
  EXPECT_EQ(edges(*clone), edges(fromRecord));
  delete clone;
}

// Exact values for KtRect; the random run below holds KtInternalRect to the same answers.
TEST(KtRect, AccessorsAndResizingKeepTheFloorCentre) {
  KtRect r(-3, -5, 0, 0);
  EXPECT_EQ(r.x(), -2);  // floor(-1.5)
  EXPECT_EQ(r.y(), -3);  // floor(-2.5)
  EXPECT_EQ((Edges{r.leftHalfWidth(), r.topHalfHeight(), r.rightHalfWidth(), r.bottomHalfHeight()}),
            (Edges{1, 3, 2, 2}));
  // Centres and halves are exact where the sums leave 32 bits.
  EXPECT_EQ(KtRect(2000000000 - 10, 0, 2000000000, 1).x(), 2000000000 - 5);
  EXPECT_EQ(KtRect(kMin, 0, -1, 0).rightHalfWidth(), 1 << 30);
  EXPECT_EQ(KtRect(KtPoint(), 3, 4).diagonal(), 5);
  EXPECT_EQ(KtRect(KtPoint(), 65536, 65537).area(), 65536);  // wraps

  r = KtRect(KtPoint(0, 0), 5, 5);
  EXPECT_EQ(r.x(10), 10);
  EXPECT_EQ(edges(r), (Edges{8, 3, 13, -2}));
  EXPECT_EQ(r.width(-1), 5);  // ignored
  EXPECT_EQ(r.width(8), 8);
  EXPECT_EQ(edges(r), (Edges{6, 3, 14, -2}));
  EXPECT_EQ(r.dimension(static_cast<KtOrientationEnum>(3), 2), 2);  // non-zero: width
  EXPECT_EQ(r.dimension(KT_ORIENTATION_VERTICAL, -7), 5);           // ignored
  EXPECT_EQ(edges(r), (Edges{9, 3, 11, -2}));
  const std::int32_t sides[] = {r.sideCoordinate(KT_SIDE_RIGHT), r.sideCoordinate(KT_SIDE_TOP),
                                r.sideCoordinate(KT_SIDE_LEFT), r.sideCoordinate(KT_SIDE_BOTTOM),
                                r.sideCoordinate(static_cast<KtSideEnum>(4))};
  EXPECT_EQ(std::vector<std::int32_t>(std::begin(sides), std::end(sides)),
            (std::vector<std::int32_t>{11, 3, 9, -2, 0}));
  r.setLeftRight(5, 1);  // refused
  r.setBottomTop(3, -3);
  EXPECT_EQ(edges(r), (Edges{9, 3, 11, -2}));

  r = KtRect();
  EXPECT_EQ(&r.inflate(-30, 0), &r);
  EXPECT_EQ(edges(r), (Edges{-20, 20, 20, -20}));  // width -20 refused, height untouched too
  r.inflate(-20, 5);
  EXPECT_EQ(edges(r), (Edges{0, 25, 0, -25}));
  EXPECT_EQ(edges(r.inflatedBy(KtSize(2, -25))), (Edges{-2, 0, 2, 0}));
  EXPECT_EQ(r.width(), 0);
  // scale(double): KtRect truncates 7.5 to 7, KtInternalRect rounds it to 8.
  r = KtRect(KtPoint(-1, 0), 5, 2);  // -3 .. 2
  r.scale(1.5);
  EXPECT_EQ(edges(r), (Edges{-4, 2, 3, -1}));
  KtInternalRect internal(KtPoint(-1, 0), 5, 2);
  internal.scale(1.5);
  EXPECT_EQ(edges(internal), (Edges{-5, 2, 3, -1}));
  r.scale(-1);  // negative extents are not taken
  EXPECT_EQ(edges(r), (Edges{-4, 2, 3, -1}));
  r.resize(-1, 10);
  EXPECT_EQ(edges(r), (Edges{-4, 5, 3, -5}));
  r = KtRect(kMax - 1, 0, kMax, 0);
  r.move(1, 0);
  EXPECT_EQ(edges(r), (Edges{kMax, 0, kMin, 0}));  // wraps, as all coordinates do
}

TEST(KtRect, IntersectionUnionAndBounds) {
  KtRect a(0, 0, 10, 10);
  EXPECT_EQ(edges(a.calculateIntersection(KtRect(10, 10, 20, 20))), (Edges{10, 10, 10, 10}));
  EXPECT_EQ(edges(a.calculateIntersection(KtRect(3, -5, 7, 4))), (Edges{3, 4, 7, 0}));
  EXPECT_TRUE(a.calculateIntersection(KtRect(11, 0, 20, 20)).isZero());
  EXPECT_EQ(edges(a), (Edges{0, 10, 10, 0}));

  // KtRect treats an all-zero rectangle as empty; KtInternalRect as the point (0, 0).
  const KtRect b(5, 6, 8, 9);
  KtRect zero(0, 0, 0, 0);
  EXPECT_EQ(edges(zero |= b), edges(b));
  EXPECT_EQ(edges(b.calculateUnion(KtRect(0, 0, 0, 0))), edges(b));
  EXPECT_EQ(edges(KtInternalRect(0, 0, 0, 0) |= KtInternalRect(b)), (Edges{0, 9, 8, 0}));
  EXPECT_EQ(edges(b.calculateUnion(KtRect(-1, -1, 0, 0))), (Edges{-1, 9, 8, -1}));

  KtRect grown(0, 0, 2, 2);
  EXPECT_EQ(grown.updateBounds(&b), 1);
  EXPECT_EQ(edges(grown), (Edges{0, 9, 8, 0}));
  EXPECT_EQ(grown.updateBounds(&b), 0);
  const KtPoint p(-3, 4);
  EXPECT_EQ(grown.updateBounds(&p), 1);
  EXPECT_EQ(edges(grown), (Edges{-3, 9, 8, 0}));
  EXPECT_EQ(grown.updateBounds(static_cast<const KtPoint*>(nullptr)), 0);
}

TEST(KtRect, PerMilsAndOffsets) {
  const auto perMil = [](const KtRect& r, const KtPoint& p) {
    KtPerMil pm;
    EXPECT_EQ(r.setPerMil(p, pm), &pm);
    return std::pair<std::int32_t, std::int32_t>(pm.x(), pm.y());
  };
  using P = std::pair<std::int32_t, std::int32_t>;
  const KtRect r(-5, -5, 5, 5);
  EXPECT_EQ(perMil(r, KtPoint(5, -5)), (P{1000, -1000}));
  EXPECT_EQ(perMil(r, KtPoint(0, 2)), (P{0, 400}));
  // Width 3: halves 1 below, 2 above; zero height: no half to divide by.
  EXPECT_EQ(perMil(KtRect(-3, 0, 0, 0), KtPoint(-3, 7)), (P{-1000, 500}));
  KtPerMil pm;
  KtRect(-3, 0, 0, 0).setPerMil(KtSize(3, 0), pm);  // beyond the right edge
  EXPECT_EQ(pm.x(), 1500);
  // Exact where offset * 1000 leaves 32 bits, then kept to 16 bits (40000).
  EXPECT_EQ(perMil(KtRect(-5000000, 0, 5000000, 2), KtPoint(4000000, 41)), (P{800, -25536}));

  KtSize offset;
  EXPECT_EQ(r.setOffset(KtPoint(-7, 3), offset), &offset);
  EXPECT_EQ((P{offset.width(), offset.height()}), (P{-7, 3}));
  r.setOffset(KtPerMil(500, -1000), offset);
  EXPECT_EQ((P{offset.width(), offset.height()}), (P{2, -5}));  // trunc(2.5)
  KtRect(-3, 0, 0, 0).setOffset(KtPerMil(-999, 1000), offset);
  EXPECT_EQ((P{offset.width(), offset.height()}), (P{0, 0}));
}

// Random coordinates and extents, and points and rectangles near a rectangle's edges as often as
// anywhere.
struct Sampler {
  std::int32_t coordinate() { return static_cast<std::int32_t>(engine() % 2001) - 1000; }
  std::int32_t extent() { return static_cast<std::int32_t>(engine() % 600) - 20; }
  KtPoint pointNear(const KtRect& rect) {
    const std::int32_t xs[] = {rect.left(), rect.right(), rect.x(), coordinate()};
    const std::int32_t ys[] = {rect.bottom(), rect.top(), rect.y(), coordinate()};
    const std::int32_t nudge = static_cast<std::int32_t>(engine() % 3) - 1;
    return KtPoint(ktAdd32(xs[engine() % 4], nudge), ys[engine() % 4]);
  }
  KtRect otherNear(const KtRect& rect) {
    if (engine() % 8 == 0) return KtRect(0, 0, 0, 0);
    return KtRect(pointNear(rect), pointNear(rect));
  }

  std::mt19937& engine;
};

// Every shared query of either representation, about a point and another rectangle.
template <class R>
std::vector<std::int32_t> answers(const R& r, const KtPoint& p, const R& o) {
  const R overlap = r.calculateIntersection(o);
  std::vector<std::int32_t> v = {r.left(), r.top(), r.right(), r.bottom(), r.x(), r.y()};
  v.insert(v.end(), {r.width(), r.height(), r.leftHalfWidth(), r.rightHalfWidth()});
  v.insert(v.end(), {r.bottomHalfHeight(), r.topHalfHeight(), r.center().x(), r.size().y()});
  v.insert(v.end(), {r.topLeft().x(), r.bottomRight().y(), r.area(), r.diagonal(), r.isZero()});
  v.insert(v.end(), {r.dimension(KT_ORIENTATION_VERTICAL), r.sideCoordinate(KT_SIDE_BOTTOM)});
  v.insert(v.end(), {r.within(p), r.withinXRange(p), r.withinYRange(p), r.onBoundary(p)});
  v.insert(v.end(), {r.withinInterior(p), r.withinInteriorXRange(p), r.withinInteriorYRange(p)});
  v.insert(v.end(), {r.encloses(o), r.enclosesXRange(o), r.enclosesYRange(o)});
  v.insert(v.end(), {r.encloses(p.x(), p.y(), o.left(), o.top()), r.intersectsRect(o)});
  v.insert(v.end(), {r.intersectsRectXRange(o), r.intersectsRectYRange(o)});
  v.insert(v.end(), {overlap.left(), overlap.top(), overlap.right(), overlap.bottom()});
  return v;
}

// Both representations, driven by the same random operations, must stay equal and answer every
// shared query alike.
TEST(KtRectDifferential, BothRepresentationsAgree) {
  std::mt19937 random(77031);
  Sampler gen{random};
  KtRect r;
  KtInternalRect i;
  KtRect other;
  KtInternalRect otherInternal;
  KtPoint p;
  std::int32_t u = 0, v = 0, w = 0, h = 0;
  const std::function<void()> operations[] = {
      [&] { r.set(u, v, w, h), i.set(u, v, w, h); },
      [&] { r.setLeftRight(u, v), i.setLeftRight(u, v); },
      [&] { r.setBottomTop(u, v), i.setBottomTop(u, v); },
      [&] { EXPECT_EQ(r.x(u), i.x(u)); },
      [&] { EXPECT_EQ(r.y(u), i.y(u)); },
      [&] { EXPECT_EQ(r.width(w), i.width(w)); },
      [&] { EXPECT_EQ(r.height(h), i.height(h)); },
      [&] {
        EXPECT_EQ(r.dimension(KtOrientationEnum(u & 1), w),
                  i.dimension(KtOrientationEnum(u & 1), w));
      },
      [&] { r.center(p), i.center(p); },
      [&] { r.size(KtSize(w, h)), i.size(KtSize(w, h)); },
      [&] { r.move(w, -h), i.move(w, -h); },
      [&] { r.moveTo(u, v), i.moveTo(u, v); },
      [&] { r.resize(w, h), i.resize(w, h); },
      [&] { r.scale(w % 4), i.scale(w % 4); },
      [&] { r &= other, i &= otherInternal; },
      // The representations differ on purpose for all-zero operands.
      [&] {
        if (!r.isZero() && !other.isZero()) r |= other, i |= otherInternal;
      },
      [&] { EXPECT_EQ(r.updateBounds(&other), i.updateBounds(&otherInternal)); },
      [&] { EXPECT_EQ(r.updateBounds(&p), i.updateBounds(&p)); },
      [&] { r.setZero(), i.setZero(); },
  };
  for (int step = 0; step < 20000; ++step) {
    // Keep extents well inside 32 bits so that no arithmetic wraps.
    if (r.width() > 100000 || r.height() > 100000 || random() % 50 == 0) {
      r.setCorners(gen.coordinate(), gen.coordinate(), gen.coordinate(), gen.coordinate());
      i = r;
    }
    other = gen.otherNear(r);
    otherInternal = other;
    p = gen.pointNear(r);
    u = gen.coordinate(), v = gen.coordinate(), w = gen.extent(), h = gen.extent();
    const std::size_t op = random() % std::size(operations);
    operations[op]();
    ASSERT_EQ(edges(r), edges(i)) << "step " << step << " operation " << op;
    const KtPoint q = gen.pointNear(r);
    const KtRect o = gen.otherNear(r);
    ASSERT_EQ(answers(r, q, o), answers(i, q, KtInternalRect(o))) << "step " << step;
    // Containment and intersection include the edges; the interior does not.
    const auto in = [](std::int32_t v, std::int32_t low, std::int32_t high) {
      return low <= v && v <= high;
    };
    const bool inX = in(q.x(), r.left(), r.right()), inY = in(q.y(), r.bottom(), r.top());
    const bool interior =
        r.left() < q.x() && q.x() < r.right() && r.bottom() < q.y() && q.y() < r.top();
    const bool encloses = in(o.left(), r.left(), r.right()) && in(o.right(), r.left(), r.right()) &&
                          in(o.bottom(), r.bottom(), r.top()) && in(o.top(), r.bottom(), r.top());
    const bool meets = o.left() <= r.right() && r.left() <= o.right() && o.bottom() <= r.top() &&
                       r.bottom() <= o.top();
    ASSERT_EQ((std::vector<int>{r.within(q), r.withinInterior(q), r.onBoundary(q), r.encloses(o),
                                r.intersectsRect(o), r.intersectsRectYRange(o)}),
              (std::vector<int>{inX && inY, interior, inX && inY && !interior, encloses, meets,
                                o.bottom() <= r.top() && r.bottom() <= o.top()}))
        << "step " << step;
  }
}

}  // namespace
