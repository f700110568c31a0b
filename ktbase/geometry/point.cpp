#include "ktbase/geometry/point.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const double kPi = 3.14159265358979323846;

// Closed ranges [a1, a2] and [b1, b2], each given in either order, share a value.
bool rangesOverlap(double a1, double a2, double b1, double b2) {
  return std::max(a1, a2) >= std::min(b1, b2) && std::max(b1, b2) >= std::min(a1, a2);
}

bool withinClosedRange(double v, double end1, double end2) {
  return std::min(end1, end2) <= v && v <= std::max(end1, end2);
}

}  // namespace

KtPoint::~KtPoint() {}

void KtPoint::KtPointdeepCopy(const KtPoint& source) { KtPointattributeCopy(source); }

void KtPoint::KtPointattributeCopy(const KtPoint& source) { KtTuple::copyAttributes(&source); }

void KtPoint::debugOutput(int level) {
  char name[] = "Point";
  internalDebugOutput(level, name);
}

double KtPoint::distance(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  return std::sqrt(distanceSquare(x1, y1, x2, y2));
}

double KtPoint::distanceSquare(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const double dx = ktSub32(x2, x1);
  const double dy = ktSub32(y2, y1);
  return dx * dx + dy * dy;
}

KtDirectionEnum KtPoint::direction(const KtPoint& other) const {
  if (x() == other.x()) {
    if (y() < other.y()) return KT_DIRECTION_UP;
    if (y() > other.y()) return KT_DIRECTION_DOWN;
    return KT_DIRECTION_NONE;
  }
  if (y() == other.y()) return x() < other.x() ? KT_DIRECTION_RIGHT : KT_DIRECTION_LEFT;
  return KT_DIRECTION_NONE;
}

KtDirectionEnum KtPoint::roughDirection(const KtPoint& other) const {
  const std::int64_t dx = ktSub32(other.x(), x());
  const std::int64_t dy = ktSub32(other.y(), y());
  // In 64 bits, so that the magnitude of -2^31 exists.
  if (std::abs(dx) < std::abs(dy)) return dy < 0 ? KT_DIRECTION_DOWN : KT_DIRECTION_UP;
  return dx < 0 ? KT_DIRECTION_LEFT : KT_DIRECTION_RIGHT;
}

double KtPoint::angle(const KtPoint& from, const KtPoint& to) {
  const double dx = ktSub32(to.x(), from.x());
  const double dy = ktSub32(to.y(), from.y());
  if (dx == 0) return dy > 0 ? kPi / 2 : 3 * kPi / 2;
  double a = std::atan(dy / dx);
  if (dx < 0) a += kPi;
  while (a < 0) a += 2 * kPi;
  while (a > 2 * kPi) a -= 2 * kPi;
  return a;
}

// ---- Lines, rays and segments -------------------------------------------------------------

int KtPoint::lineAtX(double x1, double y1, double x2, double y2, double x, double& y) {
  if (x1 == x2) return 0;
  if (x == x1)
    y = y1;
  else if (x == x2)
    y = y2;
  else
    y = (x - x1) * (y2 - y1) / (x2 - x1) + y1;
  return 1;
}

int KtPoint::lineAtY(double x1, double y1, double x2, double y2, double& x, double y) {
  if (y1 == y2) return 0;
  if (y == y1)
    x = x1;
  else if (y == y2)
    x = x2;
  else
    x = (y - y1) * (x2 - x1) / (y2 - y1) + x1;
  return 1;
}

int KtPoint::rayAtX(double x1, double y1, double x2, double y2, double x, double& y) {
  if (!((x2 > x1 && x >= x1) || (x1 > x2 && x <= x1))) return 0;
  return lineAtX(x1, y1, x2, y2, x, y);
}

int KtPoint::rayAtY(double x1, double y1, double x2, double y2, double& x, double y) {
  if (!((y2 > y1 && y >= y1) || (y1 > y2 && y <= y1))) return 0;
  return lineAtY(x1, y1, x2, y2, x, y);
}

int KtPoint::segmentAtX(double x1, double y1, double x2, double y2, double x, double& y) {
  if (!withinClosedRange(x, x1, x2)) return 0;
  return lineAtX(x1, y1, x2, y2, x, y);
}

int KtPoint::segmentAtY(double x1, double y1, double x2, double y2, double& x, double y) {
  if (!withinClosedRange(y, y1, y2)) return 0;
  return lineAtY(x1, y1, x2, y2, x, y);
}

int KtPoint::pointInSegment(std::int32_t px, std::int32_t py, std::int32_t x1, std::int32_t y1,
                            std::int32_t x2, std::int32_t y2) {
  return doublePointInSegment(px, py, x1, y1, x2, y2);
}

int KtPoint::doublePointInSegment(double px, double py, double x1, double y1, double x2,
                                  double y2) {
  if (!withinClosedRange(px, x1, x2) || !withinClosedRange(py, y1, y2)) return 0;
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double lengthSquare = dx * dx + dy * dy;
  // A zero-length segment has no direction to measure a distance from.
  if (lengthSquare == 0) return 0;
  const double cross = (py - y1) * dx - (px - x1) * dy;
  return cross * cross / lengthSquare < 0.2;
}

int KtPoint::segmentsIntersect(double& x, double& y, double x2, double y2, double x3, double y3,
                               double x4, double y4) {
  if (!rangesOverlap(x, x2, x3, x4) || !rangesOverlap(y, y2, y3, y4)) return 0;

  // The order of these tests decides which point touching or overlapping segments report.
  if (doublePointInSegment(x3, y3, x, y, x2, y2)) {
    x = x3;
    y = y3;
    return 1;
  }
  if (doublePointInSegment(x4, y4, x, y, x2, y2)) {
    x = x4;
    y = y4;
    return 1;
  }
  if (doublePointInSegment(x, y, x3, y3, x4, y4)) return 1;
  if (doublePointInSegment(x2, y2, x3, y3, x4, y4)) {
    x = x2;
    y = y2;
    return 1;
  }

  // Each line as dy*X - dx*Y + c = 0; the ends of the other segment must give values of
  // opposite signs.
  const double dxA = x2 - x;
  const double dyA = y2 - y;
  const double cA = y * x2 - x * y2;
  const double dxB = x4 - x3;
  const double dyB = y4 - y3;
  const double cB = y3 * x4 - x3 * y4;
  if (!((dyA * x3 - dxA * y3 + cA) * (dyA * x4 - dxA * y4 + cA) < 0)) return 0;
  if (!((dyB * x - dxB * y + cB) * (dyB * x2 - dxB * y2 + cB) < 0)) return 0;
  const double d = dxB * dyA - dyB * dxA;
  if (d == 0) return 0;
  x = (cB * dxA - dxB * cA) / d;
  y = (cB * dyA - dyB * cA) / d;
  return 1;
}

int KtPoint::segmentsIntersect(std::int32_t& x, std::int32_t& y, std::int32_t x2, std::int32_t y2,
                               std::int32_t x3, std::int32_t y3, std::int32_t x4, std::int32_t y4) {
  double dx = x;
  double dy = y;
  if (!segmentsIntersect(dx, dy, x2, y2, x3, y3, x4, y4)) return 0;
  x = ktRoundHalfUp(dx);
  y = ktRoundHalfUp(dy);
  return 1;
}
