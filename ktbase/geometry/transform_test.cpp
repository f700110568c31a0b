#include "ktbase/geometry/transform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

namespace {

using Edges = std::array<std::int32_t, 4>;  // left, top, right, bottom
Edges edges(const KtRect& r) { return Edges{r.left(), r.top(), r.right(), r.bottom()}; }

// World (10, 10) .. (110, 110) onto a 50 x 50 device at the origin.
KtTransform halving() {
  KtTransform t;
  t.sourceOriginX(10);
  t.sourceOriginY(10);
  t.sourceExtentX(100);
  t.sourceExtentY(100);
  t.targetExtentX(50);
  t.targetExtentY(50);
  return t;
}

TEST(KtTransform, MapsBothWays) {
  const KtTransform identity;
  EXPECT_EQ(identity.transformX(-7.25), -7.25);
  EXPECT_EQ(identity.inverseTransformY(3), 3);
  EXPECT_EQ(identity.hasNormalizedExt(), 1);

  const KtTransform t = halving();
  EXPECT_EQ(t.transformX(30.0), 10.0);
  EXPECT_EQ(t.inverseTransformX(10.0), 30.0);
  EXPECT_EQ(t.transformY(11), 1);  // 0.5 rounds up
  EXPECT_EQ(t.transformY(9), 0);   // -0.5 rounds up to 0
  EXPECT_EQ(t.transformY(8), -1);  // -1
  EXPECT_EQ(t.inverseTransformY(-3), 4);
  KtDTuple d;
  t.transformSize(KtDTuple(40, 40), d);
  EXPECT_EQ(d.x(), 20.0);
  EXPECT_EQ(d.y(), 20.0);
  t.inverseTransformPoint(KtDTuple(0.5, -1), d);
  EXPECT_EQ(d.x(), 11.0);
  EXPECT_EQ(d.y(), 8.0);
  t.inverseTransformSize(KtDTuple(2, -3), d);
  EXPECT_EQ(d.x(), 4.0);
  EXPECT_EQ(d.y(), -6.0);

  // Integer sizes round the mapped end and the mapped 0 before subtracting: 13 -> 1.5 - (-5)
  // gives 2 - (-5).
  KtSize s;
  t.transformSize(KtSize(13, -1), s);
  EXPECT_EQ(s.width(), 7);
  EXPECT_EQ(s.height(), 0);  // -5.5 rounds to -5, the same as the mapped 0
  t.inverseTransformSize(KtSize(3, -3), s);
  EXPECT_EQ(s.width(), 6);
  EXPECT_EQ(s.height(), -6);
  KtPoint p(30, 31);
  t.transformPoint(p, p);  // in place
  EXPECT_EQ(p.x(), 10);
  EXPECT_EQ(p.y(), 11);  // 10.5
  t.inverseTransformPoint(p, p);
  EXPECT_EQ(p.x(), 30);
  EXPECT_EQ(p.y(), 32);

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
}

TEST(KtTransform, MirroredAxesYieldNormalisedRectangles) {
  // A device whose y runs down: world y 0 .. 100 onto device rows 100 .. 0.
  KtTransform t;
  t.targetOriginY(100);
  t.targetExtentY(-1);
  KtRect r;
  t.transformRect(KtRect(0, 10, 30, 40), r);
  EXPECT_EQ(edges(r), (Edges{0, 90, 30, 60}));
  t.inverseTransformRect(r, r);
  EXPECT_EQ(edges(r), (Edges{0, 40, 30, 10}));
  KtSize s;
  t.transformSize(KtSize(5, 5), s);
  EXPECT_EQ(s.height(), -5);
  t.sourceExtentX(-2);  // mirrored in x as well, halving
  t.transformRect(KtRect(-4, 0, 6, 2), r);
  EXPECT_EQ(edges(r), (Edges{-3, 100, 2, 98}));
}

TEST(KtTransform, ExtentsNormaliseAndKeepTheAspectRatio) {
  KtTransform t;
  t.sourceExtentX(200);
  t.targetExtentX(50);
  t.sourceExtentY(0);
  t.targetExtentY(0);
  EXPECT_EQ(t.hasNormalizedExt(), 0);
  t.normalizeExt();
  EXPECT_EQ(t.sourceExtentX(), 4.0);
  EXPECT_EQ(t.targetExtentX(), 1.0);
  EXPECT_EQ(t.sourceExtentY(), 1.0);
  EXPECT_EQ(t.targetExtentY(), 1.0);
  EXPECT_EQ(t.hasNormalizedExt(), 1);
  t.sourceExtentX(-3);  // the ratio and its sign survive
  t.targetExtentX(12);
  t.normalizeExt();
  EXPECT_EQ(t.sourceExtentX(), 1.0);
  EXPECT_EQ(t.targetExtentX(), -4.0);

  const auto adjusted = [](double sx, double sy, double tx, double ty) {
    KtTransform a;
    a.sourceExtentX(sx);
    a.sourceExtentY(sy);
    a.targetExtentX(tx);
    a.targetExtentY(ty);
    a.adjustExtentToPreserveAspectRatio();
    return std::array<double, 2>{a.sourceExtentX(), a.sourceExtentY()};
  };
  using Pair = std::array<double, 2>;
  EXPECT_EQ(adjusted(100, 50, 200, 200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(50, 100, 200, 200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(100, 50, 400, 100), (Pair{200, 50}));
  EXPECT_EQ(adjusted(100, 50, 0, 100), (Pair{100, 50}));  // no target extent: unchanged
  // A device with y down keeps its mirroring and gets the same scale on both axes.
  EXPECT_EQ(adjusted(100, 50, 200, -200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(50, 100, 200, -200), (Pair{100, 100}));
  EXPECT_EQ(adjusted(-100, 50, 200, 200), (Pair{-100, 100}));
  EXPECT_EQ(adjusted(0, 10, 5, 5), (Pair{10, 10}));
}

TEST(KtTransform, CopiesAllEightFields) {
  KtTransform t = halving();
  t.targetOriginX(-3);
  t.targetOriginY(4);
  KtTransform* clone = t.cloneObject();
  KtTransform copy;
  copy.copyAttributes(&t);
  for (const KtTransform* c : {clone, &copy}) {
    EXPECT_EQ(c->sourceOriginX(), 10);
    EXPECT_EQ(c->sourceOriginY(), 10);
    EXPECT_EQ(c->targetOriginX(), -3);
    EXPECT_EQ(c->targetOriginY(), 4);
    EXPECT_EQ(c->sourceExtentX(), 100);
    EXPECT_EQ(c->sourceExtentY(), 100);
    EXPECT_EQ(c->targetExtentX(), 50);
    EXPECT_EQ(c->targetExtentY(), 50);
  }
  delete clone;
}

// World to device and back gives every world coordinate back when the device is finer than the
// world (a scale of magnitude above 1), mirrored or not, wherever the origins lie.
TEST(KtTransform, WorldToDeviceToWorldRoundTrips) {
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> origin(-1e5, 1e5);
  std::uniform_real_distribution<double> extent(1, 1000);
  std::uniform_int_distribution<std::int32_t> coordinate(-1000000, 1000000);
  for (int i = 0; i < 2000; ++i) {
    KtTransform t;
    t.sourceOriginX(origin(random));
    t.sourceOriginY(origin(random));
    t.targetOriginX(origin(random));
    t.targetOriginY(origin(random));
    const double sx = extent(random), sy = extent(random);
    t.sourceExtentX(random() % 2 ? sx : -sx);
    t.sourceExtentY(random() % 2 ? sy : -sy);
    t.targetExtentX(sx * (1.01 + random() % 50) * (random() % 2 ? 1 : -1));
    t.targetExtentY(sy * (1.01 + random() % 50) * (random() % 2 ? 1 : -1));
    for (int j = 0; j < 20; ++j) {
      const KtPoint world(coordinate(random), coordinate(random));
      KtPoint device, back;
      t.transformPoint(world, device);
      t.inverseTransformPoint(device, back);
      ASSERT_EQ(back.x(), world.x()) << "transform " << i;
      ASSERT_EQ(back.y(), world.y()) << "transform " << i;
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
