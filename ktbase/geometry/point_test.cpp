#include "ktbase/geometry/point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const double kPi = 3.14159265358979323846;

TEST(KtPoint, DirectionsAnglesAndDistances) {
  const KtPoint origin;
  EXPECT_EQ(origin.direction(KtPoint(0, 0)), KT_DIRECTION_NONE);
  EXPECT_EQ(origin.direction(KtPoint(1, 1)), KT_DIRECTION_NONE);
  EXPECT_EQ(origin.direction(KtPoint(0, 5)), KT_DIRECTION_UP);
  EXPECT_EQ(origin.direction(KtPoint(0, -5)), KT_DIRECTION_DOWN);
  EXPECT_EQ(origin.direction(KtPoint(3, 0)), KT_DIRECTION_RIGHT);
  EXPECT_EQ(origin.direction(KtPoint(-3, 0)), KT_DIRECTION_LEFT);

  EXPECT_EQ(origin.roughDirection(KtPoint(2, -2)), KT_DIRECTION_RIGHT);  // a tie goes to x
  EXPECT_EQ(origin.roughDirection(KtPoint(-2, 2)), KT_DIRECTION_LEFT);
  EXPECT_EQ(origin.roughDirection(KtPoint(1, -3)), KT_DIRECTION_DOWN);
  EXPECT_EQ(origin.roughDirection(KtPoint(-1, 3)), KT_DIRECTION_UP);
  EXPECT_EQ(origin.roughDirection(origin), KT_DIRECTION_RIGHT);
  EXPECT_EQ(origin.roughDirection(KtPoint(kMin, kMax)), KT_DIRECTION_LEFT);  // |-2^31| > 2^31-1
  // Differences wrap: from the largest x one step right is the smallest.
  EXPECT_EQ(KtPoint(kMax, 0).roughDirection(KtPoint(kMin, 0)), KT_DIRECTION_RIGHT);

  EXPECT_DOUBLE_EQ(KtPoint::angle(origin, origin), 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(KtPoint::angle(origin, KtPoint(0, 3)), kPi / 2);
  EXPECT_DOUBLE_EQ(KtPoint::angle(origin, KtPoint(-1, 0)), kPi);
  EXPECT_DOUBLE_EQ(KtPoint::angle(origin, KtPoint(1, 0)), 0.0);
  EXPECT_DOUBLE_EQ(KtPoint::angle(origin, KtPoint(1, -1)), 7 * kPi / 4);
  EXPECT_DOUBLE_EQ(KtPoint::angle(KtPoint(5, 5), KtPoint(4, 4)), 5 * kPi / 4);
  EXPECT_DOUBLE_EQ(KtPoint::angle(KtPoint(5, 5), KtPoint(4, 6)), 3 * kPi / 4);

  EXPECT_EQ(KtPoint(-1, -2).distance(KtPoint(2, 2)), 5.0);
  EXPECT_EQ(KtPoint::distance(kMax, 0, kMin, 0), 1.0);  // the difference wraps to 1

  KtPoint p(4, -6);
  EXPECT_EQ(p.coordinate(KT_ORIENTATION_VERTICAL), -6);
  EXPECT_EQ(p.coordinate(static_cast<KtOrientationEnum>(7)), 4);  // any non-zero selects x
  p.coordinate(KT_ORIENTATION_VERTICAL, 9);
  p.move(KtSize(-4, 1));
  EXPECT_EQ(p.x(), 0);
  EXPECT_EQ(p.y(), 10);
}

// lineAtX and lineAtY compute every crossing of the rectangle clipping, which the exact reference
// in rect_clip_test.cpp checks; here are the refusals and the rays and segments. A refusal
// leaves the value alone.
TEST(KtPointLines, LineRayAndSegmentFunctions) {
  using AtX = int (*)(double, double, double, double, double, double&);
  const struct {
    AtX f;
    double x1, y1, x2, y2, x;
    int result;
    double y;
  } atX[] = {{KtPoint::lineAtX, 0.1, 0.3, 0.7, 0.9, 0.7, 1, 0.9},  // an end's value is exact
             {KtPoint::lineAtX, 3, 0, 3, 5, 3, 0, -99},            // vertical
             {KtPoint::rayAtX, 0, 0, 4, 2, -1, 0, -99},            // behind the start
             {KtPoint::rayAtX, 0, 0, 4, 2, 8, 1, 4},
             {KtPoint::rayAtX, 4, 2, 0, 0, -4, 1, -2},
             {KtPoint::rayAtX, 4, 2, 0, 0, 5, 0, -99},
             {KtPoint::rayAtX, 4, 2, 4, 9, 4, 0, -99},
             {KtPoint::segmentAtX, 0, 0, 4, 2, 5, 0, -99},
             {KtPoint::segmentAtX, 4, 2, 0, 0, 1, 1, 0.5},
             {KtPoint::segmentAtX, 2, 0, 2, 4, 2, 0, -99}};  // vertical: no single y
  for (const auto& c : atX) {
    double y = -99;
    EXPECT_EQ(c.f(c.x1, c.y1, c.x2, c.y2, c.x, y), c.result) << c.x1 << "," << c.y1 << " " << c.x;
    EXPECT_EQ(y, c.y) << c.x1 << "," << c.y1 << " " << c.x;
  }
  double v = -99;
  EXPECT_EQ(KtPoint::lineAtY(0, 1, 4, 1, v, 1), 0);  // horizontal
  EXPECT_EQ(KtPoint::rayAtY(0, 0, 4, -2, v, 0.5), 0);
  EXPECT_EQ(KtPoint::segmentAtY(-4, -2, 0, 0, v, 0.5), 0);
  EXPECT_EQ(v, -99);
  EXPECT_EQ(KtPoint::rayAtY(0, 0, 4, -2, v, -3), 1);
  EXPECT_EQ(v, 6.0);
  EXPECT_EQ(KtPoint::segmentAtY(-4, -2, 0, 0, v, -2), 1);
  EXPECT_EQ(v, -4.0);

  EXPECT_EQ(KtPoint::pointInSegment(1, 0, 0, 0, 2, 0), 1);
  EXPECT_EQ(KtPoint::pointInSegment(3, 3, 0, 0, 2, 2), 0);          // on the line, past the end
  EXPECT_EQ(KtPoint::pointInSegment(-1, -1, -1, -1, -1, -1), 0);    // zero length
  EXPECT_EQ(KtPoint::doublePointInSegment(1.5, 1, 0, 0, 2, 2), 1);  // squared distance 0.125
  EXPECT_EQ(KtPoint::doublePointInSegment(2, 1, 0, 0, 2, 2), 0);    // squared distance 0.5
  EXPECT_EQ(KtPoint::pointInSegment(1, 1, 0, 0, 2, 1), 0);          // squared distance exactly 0.2
}

// Runs the integer intersection and returns its result with the reported point.
struct Meeting {
  int found;
  std::int32_t x;
  std::int32_t y;
};
Meeting meet(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
             std::int32_t y3, std::int32_t x4, std::int32_t y4) {
  Meeting m{0, x1, y1};
  m.found = KtPoint::segmentsIntersect(m.x, m.y, x2, y2, x3, y3, x4, y4);
  return m;
}
::testing::AssertionResult meetsAt(const Meeting& m, std::int32_t x, std::int32_t y) {
  if (m.found == 1 && m.x == x && m.y == y) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "found " << m.found << " at (" << m.x << ", " << m.y
                                       << "), expected (" << x << ", " << y << ")";
}

TEST(KtPointSegments, TouchingAndCrossingSegmentsReportTheirMeetingPoint) {
  EXPECT_TRUE(meetsAt(meet(0, 0, 4, 4, 0, 4, 4, 0), 2, 2));
  // The crossing (1.5, 0.5) rounds half up; mirrored, (-1.5, -0.5) rounds to (-1, 0).
  EXPECT_TRUE(meetsAt(meet(0, 0, 3, 1, 0, 1, 3, 0), 2, 1));
  EXPECT_TRUE(meetsAt(meet(0, 0, -3, -1, 0, -1, -3, 0), -1, 0));
  double x = 0;
  double y = 0;
  EXPECT_EQ(KtPoint::segmentsIntersect(x, y, 3.0, 1.0, 0.0, 1.0, 3.0, 0.0), 1);
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(y, 0.5);

  // Touching and overlapping segments report an end: B's start, B's end, A's start, A's end.
  EXPECT_TRUE(meetsAt(meet(0, 0, 2, 2, 2, 2, 4, 0), 2, 2));
  EXPECT_TRUE(meetsAt(meet(0, 0, 4, 0, 1, 0, 3, 0), 1, 0));
  EXPECT_TRUE(meetsAt(meet(0, 0, 4, 0, 3, 0, 1, 0), 3, 0));
  EXPECT_TRUE(meetsAt(meet(1, 0, 3, 0, 0, 0, 4, 0), 1, 0));
  EXPECT_TRUE(meetsAt(meet(2, 5, 2, 0, 0, 0, 4, 0), 2, 0));
  // An end within the tolerance of the other segment counts as on it.
  EXPECT_TRUE(meetsAt(meet(0, 0, 10, 1, 1, 0, 1, -5), 1, 0));
  // A zero-length segment meets a segment through it, but not an equal zero-length one.
  EXPECT_TRUE(meetsAt(meet(1, 1, 1, 1, 0, 0, 2, 2), 1, 1));
  EXPECT_EQ(meet(1, 1, 1, 1, 1, 1, 1, 1).found, 0);

  // Misses leave the point untouched: parallel, collinear apart, crossing outside, boxes apart.
  for (const Meeting& m : {meet(0, 0, 4, 4, 1, 0, 5, 4), meet(0, 0, 1, 1, 2, 2, 3, 3),
                           meet(0, 0, 4, 4, 3, 0, 4, 1), meet(0, 0, 4, 0, 5, -1, 5, 1)})
    EXPECT_TRUE(m.found == 0 && m.x == 0 && m.y == 0) << m.found << " " << m.x << "," << m.y;
}

}  // namespace
