#include "ktbase/geometry/tuple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

#include "ktbase/geometry/point.h"

namespace {

const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

using XY = std::pair<std::int32_t, std::int32_t>;
template <class T>
XY xy(const T& t) {
  return XY(t.x(), t.y());
}

TEST(KtTuple, DoublesRoundHalfUpAndWrapOutOfRange) {
  EXPECT_EQ(xy(KtTuple(KtDTuple(2.5, -2.5))), (XY{3, -2}));
  EXPECT_EQ(xy(KtTuple(KtDTuple(-0.5, -1.5))), (XY{0, -1}));
  // 1e10 mod 2^32; -(2^32 + 1) wraps to -1; not-a-number and far out of range give -2^31.
  EXPECT_EQ(xy(KtTuple(KtDTuple(1e10, -4294967297.0))), (XY{1410065408, -1}));
  EXPECT_EQ(xy(KtTuple(KtDTuple(std::nan(""), 1e300))), (XY{kMin, kMin}));
  KtTuple s(3, -3);
  s *= 1.5;  // 4.5 -> 5, -4.5 -> -4
  EXPECT_EQ(xy(s), (XY{5, -4}));
  // A point takes a double pair by rounding.
  KtPoint point;
  point = KtDTuple(-2.5, 0.5);
  EXPECT_EQ(xy(point), (XY{-2, 1}));

  KtDTuple d(KtTuple(-3, 5));
  d *= 0.5;
  EXPECT_EQ(d.innerProduct(KtDTuple(2.0, 4.0)), 7.0);
  EXPECT_EQ(KtDTuple(-0.0, 0.0).isZero(), 1);
}

TEST(KtTuple, IntegerArithmeticWrapsIn32Bits) {
  KtTuple t(kMax, kMin);
  t.add(1, -1);
  EXPECT_EQ(xy(t), (XY{kMin, kMax}));
  t -= KtTuple(1, -1);
  EXPECT_EQ(xy(t), (XY{kMax, kMin}));
  t += KtTuple(2, 0);
  EXPECT_EQ(t.x(), kMin + 1);
  KtTuple s(65536, -3);
  s.scale(65536);
  EXPECT_EQ(xy(s), (XY{0, -196608}));

  EXPECT_EQ(KtTuple(46341, 0).normSquare(), -2147479015);  // 2147488281 - 2^32
  EXPECT_EQ(KtTuple(65536, 65537).product(), 65536);
  EXPECT_EQ(KtTuple(3, -4).innerProduct(KtTuple(-2, 5)), -26);
  EXPECT_EQ(KtTuple(3, 4).norm(), 5);
  EXPECT_EQ(KtTuple(1, 1).norm(), 1);
  // sqrt(2) * 2^31 = 3037000499.97..., truncated and wrapped.
  EXPECT_EQ(KtTuple(kMin, kMin).norm(), static_cast<std::int32_t>(3037000499LL - 4294967296LL));
}

// copyObject runs the virtual copyAttributes, so a derived value overriding only copyAttributes
// is copied completely through either entry.
class LabelledPoint : public KtPoint {
 public:
  int label = 0;
  void copyAttributes(const KtObject* source) override {
    KtPoint::copyAttributes(source);
    if (source != nullptr && source != this)
      label = static_cast<const LabelledPoint*>(source)->label;
  }
};

TEST(KtTupleProtocol, CopiesAndPlatformViews) {
  LabelledPoint source;
  source.set(-7, 9);
  source.label = 42;
  LabelledPoint target;
  KtObject* asObject = &target;
  asObject->copyObject(&source);
  EXPECT_EQ(xy(target), (XY{-7, 9}));
  EXPECT_EQ(target.label, 42);
  asObject->copyObject(nullptr);
  asObject->copyAttributes(asObject);
  EXPECT_EQ(xy(target), (XY{-7, 9}));

  KtPoint point(3, -4);
  KtPoint* attributeClone = point.cloneAttributes();  // both flags copy the coordinates
  EXPECT_EQ(attributeClone->y(), -4);
  delete attributeClone;

  // The platform records are views of the object's own fields.
  static_cast<tagPOINT&>(point).x = 11;
  EXPECT_EQ(point.x(), 11);
  KtSize size(5, 6);
  static_cast<tagSIZE&>(size).cy = -8;
  EXPECT_EQ(size.height(), -8);
  EXPECT_EQ(KtPoint(tagPOINT{1, 2}).y(), 2);
  EXPECT_EQ(KtSize(tagSIZE{-3, 4}).area(), -12);

  // A per-mil keeps the low 16 bits of a size.
  KtPerMil perMil;
  perMil.resize(KtSize(70000, -70000));
  EXPECT_EQ(xy(KtPerMil(perMil)), (XY{4464, -4464}));
}

TEST(KtSpacing, CombinesProportionalAndConstantParts) {
  EXPECT_EQ(KtSpacing(10, 250).combined(100.0), 35.0);
  EXPECT_EQ(KtSpacing(10, 250).combined(7), 11);   // 11.75
  EXPECT_EQ(KtSpacing(-10, 250).combined(7), -8);  // -8.25 truncates toward zero
  EXPECT_EQ(KtSpacing(0, -500).combined(-3), 1);   // 1.5
}

TEST(KtSpacing, CalculateOuterSizeFollowsTheBisection) {
  const KtSpacing none;
  EXPECT_EQ(KtSpacing::calculateOuterSize(none, none, 37), 37);
  EXPECT_EQ(KtSpacing::calculateOuterSize(none, none, 1), 1);
  EXPECT_EQ(KtSpacing::calculateOuterSize(none, none, 0), 0);
  EXPECT_EQ(KtSpacing::calculateOuterSize(KtSpacing(-5, 0), none, 5), 0);
  // Lengths this large overflow (T - 1) * 1000 in 32 bits.
  EXPECT_EQ(KtSpacing::calculateOuterSize(none, none, 3000000), 3000000);
  EXPECT_EQ(KtSpacing::calculateOuterSize(KtSpacing(3, 0), KtSpacing(2, 0), 10), 15);
  // Both 4 and 5 leave an inner part of 4; the bisection's path reaches 5 first.
  EXPECT_EQ(KtSpacing::calculateOuterSize(KtSpacing(0, 50), KtSpacing(0, 200), 4), 5);
  // No length leaves 4 (3 leaves 3, 4 leaves 6): the first length above is returned.
  EXPECT_EQ(KtSpacing::calculateOuterSize(KtSpacing(0, -300), KtSpacing(0, -300), 4), 4);
  // Proportions of 1000 or more leave nothing inside.
  EXPECT_EQ(KtSpacing::calculateOuterSize(KtSpacing(0, 600), KtSpacing(0, 400), 10), 0);

  // Whatever the spacings, the result leaves at least the inner length, and exactly it for
  // proportions without truncation effects.
  std::mt19937 random(20240611);
  for (int i = 0; i < 3000; ++i) {
    const KtSpacing a(static_cast<std::int32_t>(random() % 200) - 50,
                      static_cast<std::int16_t>(random() % 900) - 400);
    const KtSpacing b(static_cast<std::int32_t>(random() % 200) - 50,
                      static_cast<std::int16_t>(random() % 900) - 400);
    const std::int32_t inner = static_cast<std::int32_t>(random() % 100000);
    const std::int64_t target = static_cast<std::int64_t>(a.constant()) + b.constant() + inner;
    const std::int64_t pa = a.proportional();
    const std::int64_t pb = b.proportional();
    const std::int64_t m = KtSpacing::calculateOuterSize(a, b, inner);
    const std::int64_t innerPart = m - m * pa / 1000 - m * pb / 1000;
    if (target < 1 || pa + pb >= 1000) {
      EXPECT_EQ(m, 0);
    } else {
      EXPECT_GE(innerPart, target) << pa << " " << pb << " " << target;
      if (pa >= 0 && pb >= 0) {
        EXPECT_EQ(innerPart, target) << pa << " " << pb << " " << target;
      }
    }
  }
}

}  // namespace
