// KtPoint, an integer position (y up), and the library's static line, ray and segment functions
// on which rectangles, shapes and the segment sweep rely.
//
// Contract of the static functions: the predicates and the line functions return 1 iff they
// succeed and write their results only then; on 0 the output arguments are unchanged. They work
// in double; the integer segment intersection rounds its result half up. Coordinate differences
// (distance, direction, angle) are taken in 32-bit integers and wrap like all coordinate
// arithmetic before they become doubles.
#ifndef KTBASE_GEOMETRY_POINT_H
#define KTBASE_GEOMETRY_POINT_H

#include <cstdint>

#include "ktbase/geometry/platform.h"
#include "ktbase/geometry/tuple.h"

class KtPoint : public KtTuple {
  KT_TUPLE_OBJECT(KtPoint, KtTuple)

 public:
  KtPoint() {}
  KtPoint(std::int32_t x, std::int32_t y) : KtTuple(x, y) {}
  KtPoint(const tagPOINT& point) : KtTuple(point.x, point.y) {}
  ~KtPoint() override;

  using KtTuple::operator=;

  // The two fields in place, as the platform's point record.
  operator tagPOINT&() { return point_; }
  operator const tagPOINT&() const { return point_; }

  void move(std::int32_t dx, std::int32_t dy) { add(dx, dy); }
  void move(const KtSize& offset) { add(offset.x(), offset.y()); }
  void moveTo(std::int32_t x, std::int32_t y) { set(x, y); }
  void moveTo(const KtPoint& point) { set(point.x(), point.y()); }

  // coordinate(o) reads y for o == 0 and x otherwise; coordinate(o, v) stores v there and
  // returns it.
  std::int32_t coordinate(KtOrientationEnum orientation) const {
    return orientation == 0 ? y() : x();
  }
  std::int32_t coordinate(KtOrientationEnum orientation, std::int32_t value) {
    return orientation == 0 ? y(value) : x(value);
  }

  double distance(const KtPoint& other) const { return distance(x(), y(), other.x(), other.y()); }
  double distanceSquare(const KtPoint& other) const {
    return distanceSquare(x(), y(), other.x(), other.y());
  }
  static double distance(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  static double distanceSquare(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

  // The axis direction from this point to `other`; KT_DIRECTION_NONE when they are equal or not
  // on a common horizontal or vertical line.
  KtDirectionEnum direction(const KtPoint& other) const;
  // The axis direction closest to the way from this point to `other`; a diagonal goes to the x
  // axis, and the same point gives KT_DIRECTION_RIGHT.
  KtDirectionEnum roughDirection(const KtPoint& other) const;

  // The angle of the way from `from` to `to` in radians, in [0, 2*pi], counter-clockwise from +x.
  // A vertical way gives pi/2 upwards and 3*pi/2 otherwise, the same point included.
  static double angle(const KtPoint& from, const KtPoint& to);

  // The line through (x1, y1) and (x2, y2): lineAtX finds the y at abscissa x and fails on a
  // vertical line; lineAtY finds the x at ordinate y and fails on a horizontal line. An
  // argument equal to an end's coordinate yields that end's other coordinate exactly.
  static int lineAtX(double x1, double y1, double x2, double y2, double x, double& y);
  static int lineAtY(double x1, double y1, double x2, double y2, double& x, double y);
  // As the line functions, on the ray that starts at (x1, y1) and runs through (x2, y2); they
  // fail for an argument behind the start, or when the ray does not advance along that axis.
  static int rayAtX(double x1, double y1, double x2, double y2, double x, double& y);
  static int rayAtY(double x1, double y1, double x2, double y2, double& x, double y);
  // As the line functions, for an argument within the segment's closed range on that axis.
  static int segmentAtX(double x1, double y1, double x2, double y2, double x, double& y);
  static int segmentAtY(double x1, double y1, double x2, double y2, double& x, double y);

  // Returns 1 iff (px, py) lies in the closed bounding box of the segment and its squared
  // distance from the segment's line is below 0.2. A zero-length segment contains no point, not
  // even its own end.
  static int pointInSegment(std::int32_t px, std::int32_t py, std::int32_t x1, std::int32_t y1,
                            std::int32_t x2, std::int32_t y2);
  static int doublePointInSegment(double px, double py, double x1, double y1, double x2, double y2);

  // Segment A runs from (x, y) to (x2, y2), segment B from (x3, y3) to (x4, y4). Returns 1 iff
  // they meet, and then (x, y) holds a common point. Where an end of one lies on the other
  // (pointInSegment), the first of these is reported: B's start, B's end, A's start, A's end;
  // so segments that touch or overlap report an end. Otherwise the ends of each must lie
  // strictly on both sides of the other's line, and the crossing is reported (rounded half up in
  // the integer form).
  static int segmentsIntersect(std::int32_t& x, std::int32_t& y, std::int32_t x2, std::int32_t y2,
                               std::int32_t x3, std::int32_t y3, std::int32_t x4, std::int32_t y4);
  static int segmentsIntersect(double& x, double& y, double x2, double y2, double x3, double y3,
                               double x4, double y4);

  // Runs internalDebugOutput with "Point".
  void debugOutput(int level) override;
};

#endif  // KTBASE_GEOMETRY_POINT_H
