#include "ktbase/geometry/transform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

namespace {

using Edges = std::array<std::int32_t, 4>;  // left, top, right, bottom
Edges edges(const KtRect& r) { return Edges{r.left(), r.top(), r.right(), r.bottom()}; }
using Pair = std::array<double, 2>;
template <class T>
Pair xy(const T& t) {
  return Pair{static_cast<double>(t.x()), static_cast<double>(t.y())};
}

// The eight fields: source origin, target origin, source extent, target extent, x before y.
using Fields = std::array<double, 8>;
KtTransform transform(const Fields& f) {
  KtTransform t;
  t.sourceOriginX(f[0]);
  t.sourceOriginY(f[1]);
  t.targetOriginX(f[2]);
  t.targetOriginY(f[3]);
  t.sourceExtentX(f[4]);
  t.sourceExtentY(f[5]);
  t.targetExtentX(f[6]);
  t.targetExtentY(f[7]);
  return t;
}
Fields fields(const KtTransform& t) {
  return Fields{t.sourceOriginX(), t.sourceOriginY(), t.targetOriginX(), t.targetOriginY(),
                t.sourceExtentX(), t.sourceExtentY(), t.targetExtentX(), t.targetExtentY()};
}

TEST(KtTransform, MapsBothWays) {
  const KtTransform identity;
  EXPECT_EQ(identity.transformX(-7.25), -7.25);
  EXPECT_EQ(identity.inverseTransformY(3), 3);
  EXPECT_EQ(identity.hasNormalizedExt(), 1);

  // World (10, 10) .. (110, 110) onto a 50 x 50 device at the origin.
  const KtTransform t = transform({10, 10, 0, 0, 100, 100, 50, 50});
  EXPECT_EQ(t.transformX(30.0), 10.0);
  EXPECT_EQ(t.inverseTransformX(10.0), 30.0);
  EXPECT_EQ(t.transformY(11), 1);  // 0.5 rounds up
  EXPECT_EQ(t.transformY(9), 0);   // -0.5 rounds up to 0
  EXPECT_EQ(t.transformY(8), -1);
  EXPECT_EQ(t.inverseTransformY(-3), 4);
  KtDTuple d;
  t.transformSize(KtDTuple(40, 40), d);
  EXPECT_EQ(xy(d), (Pair{20, 20}));
  t.inverseTransformPoint(KtDTuple(0.5, -1), d);
  EXPECT_EQ(xy(d), (Pair{11, 8}));
  t.inverseTransformSize(KtDTuple(2, -3), d);
  EXPECT_EQ(xy(d), (Pair{4, -6}));

  // Integer sizes round the mapped end and the mapped 0 before subtracting: 13 -> 1.5 - (-5)
  // gives 2 - (-5), and -1 -> -5.5 rounds to -5, the same as the mapped 0.
  KtSize s;
  t.transformSize(KtSize(13, -1), s);
  EXPECT_EQ(xy(s), (Pair{7, 0}));
  t.inverseTransformSize(KtSize(3, -3), s);
  EXPECT_EQ(xy(s), (Pair{6, -6}));
  KtPoint p(30, 31);
  t.transformPoint(p, p);  // in place; 10.5 rounds up
  EXPECT_EQ(xy(p), (Pair{10, 11}));
  t.inverseTransformPoint(p, p);
  EXPECT_EQ(xy(p), (Pair{30, 32}));

  // A zero extent maps that axis to 0 in the direction that divides by it.
  KtTransform flat = t;
  flat.sourceExtentX(0);
  EXPECT_EQ(flat.transformX(123.0), 0.0);
  EXPECT_EQ(flat.inverseTransformX(7.0), 10.0);  // multiplies by the zero extent
  KtRect r;
  flat.transformRect(KtRect(0, 0, 40, 40), r);
  EXPECT_EQ(edges(r), (Edges{0, 15, 0, -5}));
  flat.targetExtentY(0);
  EXPECT_EQ(flat.inverseTransformY(7.0), 0.0);
  EXPECT_EQ(flat.transformY(30), 0);

  // A device whose y runs down: world y 0 .. 100 onto device rows 100 .. 0. Rectangles come out
  // normalised.
  KtTransform down = transform({0, 0, 0, 100, 1, 1, 1, -1});
  down.transformRect(KtRect(0, 10, 30, 40), r);
  EXPECT_EQ(edges(r), (Edges{0, 90, 30, 60}));
  down.inverseTransformRect(r, r);
  EXPECT_EQ(edges(r), (Edges{0, 40, 30, 10}));
  down.transformSize(KtSize(5, 5), s);
  EXPECT_EQ(s.height(), -5);
  down.sourceExtentX(-2);  // mirrored in x as well, halving
  down.transformRect(KtRect(-4, 0, 6, 2), r);
  EXPECT_EQ(edges(r), (Edges{-3, 100, 2, 98}));
}

TEST(KtTransform, ExtentsNormaliseKeepTheAspectRatioAndCopy) {
  KtTransform t = transform({0, 0, 0, 0, 200, 0, 50, 0});
  EXPECT_EQ(t.hasNormalizedExt(), 0);
  t.normalizeExt();
  EXPECT_EQ(fields(t), (Fields{0, 0, 0, 0, 4, 1, 1, 1}));
  EXPECT_EQ(t.hasNormalizedExt(), 1);
  t.sourceExtentX(-3);  // the ratio and its sign survive
  t.targetExtentX(12);
  t.normalizeExt();
  EXPECT_EQ(fields(t), (Fields{0, 0, 0, 0, 1, 1, -4, 1}));

  const auto adjusted = [](double sx, double sy, double tx, double ty) {
    KtTransform a = transform({0, 0, 0, 0, sx, sy, tx, ty});
    a.adjustExtentToPreserveAspectRatio();
    return Pair{a.sourceExtentX(), a.sourceExtentY()};
  };
  EXPECT_EQ(adjusted(100, 50, 200, 200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(50, 100, 200, 200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(100, 50, 400, 100), (Pair{200, 50}));
  EXPECT_EQ(adjusted(100, 50, 0, 100), (Pair{100, 50}));  // no target extent: unchanged
  // A device with y down keeps its mirroring and gets the same scale on both axes.
  EXPECT_EQ(adjusted(100, 50, 200, -200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(50, 100, 200, -200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(-100, 50, 200, 200), (Pair{-100, 100}));
  EXPECT_EQ(adjusted(0, 10, 5, 5), (Pair{10, 10}));

  // Both copies take all eight fields, each to its place.
  const Fields distinct = {10, 11, -3, 4, 100, 101, 50, 51};
  KtTransform* clone = transform(distinct).cloneObject();
  KtTransform copy;
  copy.copyAttributes(clone);
  EXPECT_EQ(fields(*clone), distinct);
  EXPECT_EQ(fields(copy), distinct);
  delete clone;
}

// World to device and back gives every world coordinate back when the device is finer than the
// world (a scale of magnitude above 1), mirrored or not, wherever the origins lie.
TEST(KtTransform, WorldToDeviceToWorldRoundTrips) {
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> origin(-1e5, 1e5);
  std::uniform_real_distribution<double> extent(1, 1000);
  std::uniform_int_distribution<std::int32_t> coordinate(-1000000, 1000000);
  const auto sign = [&] { return random() % 2 ? 1.0 : -1.0; };
  for (int i = 0; i < 2000; ++i) {
    const double sx = extent(random), sy = extent(random);
    const KtTransform t = transform({origin(random), origin(random), origin(random), origin(random),
                                     sign() * sx, sign() * sy, sign() * sx * (1.01 + random() % 50),
                                     sign() * sy * (1.01 + random() % 50)});
    for (int j = 0; j < 20; ++j) {
      const KtPoint world(coordinate(random), coordinate(random));
      KtPoint device, back;
      t.transformPoint(world, device);
      t.inverseTransformPoint(device, back);
      ASSERT_EQ(xy(back), xy(world)) << "transform " << i;
      const KtRect box(world, KtPoint(coordinate(random), coordinate(random)));
      KtRect onDevice, boxBack;
      t.transformRect(box, onDevice);
      ASSERT_GE(onDevice.top(), onDevice.bottom());
      t.inverseTransformRect(onDevice, boxBack);
      ASSERT_EQ(edges(boxBack), edges(box)) << "transform " << i;
    }
  }
}

}  // namespace
