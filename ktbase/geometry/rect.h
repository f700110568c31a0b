// Axis-parallel integer rectangles in two representations with one interface: KtRect, a KtObject
// stored as its four edges (laid out as the platform's tagRECT), and KtInternalRect, a plain value
// stored as centre and size, to embed in other objects without the virtual protocol.
//
// Contract shared by both:
// - The y axis points up: top >= bottom and right >= left. Every setter keeps or restores that
//   order; setLeftRight and setBottomTop refuse (change nothing) a reversed pair, and a negative
//   width or height handed to a constructor, a setter, resize or scale leaves that axis as it was
//   (a constructor then makes it 0 wide, respectively high).
// - Edges belong to the rectangle: containment and intersection are inclusive, so rectangles that
//   touch at an edge or a corner intersect; the withinInterior tests exclude the edges.
// - The centre is the floor of the mean of two edges; placing a rectangle of extent e at centre c
//   puts its low edge at c - trunc(e / 2) and its high edge e above that, so an odd extent leaves
//   the centre on the low side (width 5 at centre 0 spans -2 .. 3). Keeping the centre while
//   changing an extent ("set-extent") does the same. A KtRect converted to a KtInternalRect and
//   back is unchanged, and both answer every query alike (except the documented differences of
//   scale(double) and operator|=).
// - Coordinates wrap in 32 bits like all coordinate arithmetic; a rectangle more than 2^31 - 1
//   wide or high is out of range. Centres, halves and per-mils are computed exactly.
//
// Clipping and sides (rect_clip.cpp), the same in both representations:
// - A line, ray or segment is given by two points. The forms on two KtPoint& copy the coordinates
//   in and the results back, so one point may be passed twice.
// - intersectsLine, intersectsSegment and intersectsRay return how many boundary points they
//   found (0, 1 or 2) and write the first to (x1, y1), the second to (x2, y2); what they do not
//   write keeps its value, so on 0 nothing changes. A crossing is computed in double by
//   KtPoint::lineAtX and lineAtY and rounded half up; an end on an edge counts as a crossing.
//   Double is exact for coordinates within 2^20; further out, a crossing within about 2^-20 of a
//   half may round the other way, and a line that passes as close by a corner may touch it.
// - Differences and distances are exact at every coordinate: nothing wraps before it is compared.
#ifndef KTBASE_GEOMETRY_RECT_H
#define KTBASE_GEOMETRY_RECT_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/geometry/platform.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/tuple.h"

// A side of a rectangle; the numbers are those of the KtDirectionEnum that leaves through it.
enum KtSideEnum : int { KT_SIDE_RIGHT = 0, KT_SIDE_TOP = 1, KT_SIDE_LEFT = 2, KT_SIDE_BOTTOM = 3 };

class KtInternalRect;

class KtRect : public KtObject {
  KT_OBJECT(KtRect, KtObject)

 public:
  // The 40 x 40 square centred on the origin: (-20, 20, 20, -20).
  KtRect() : rect_{-20, 20, 20, -20} {}
  // Centred on the origin: left = -trunc(width / 2), right = left + width; likewise in y.
  KtRect(std::int32_t width, std::int32_t height) : KtRect(KtPoint(), width, height) {}
  // The rectangle with opposite corners (x1, y1) and (x2, y2), in any order.
  KtRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    setCorners(x1, y1, x2, y2);
  }
  KtRect(const KtPoint& center, std::int32_t width, std::int32_t height);
  KtRect(const KtPoint& center, const KtSize& size) : KtRect(center, size.x(), size.y()) {}
  KtRect(const KtPoint& corner1, const KtPoint& corner2)
      : KtRect(corner1.x(), corner1.y(), corner2.x(), corner2.y()) {}
  // From the platform's record (normalised); null gives the all-zero rectangle.
  explicit KtRect(const tagRECT* rect);
  KtRect(const KtInternalRect& rect);
  ~KtRect() override;

  const KtRect& operator=(const KtInternalRect& rect);
  // The tagRECT conversion would make == compare addresses; there is no equality operator.
  bool operator==(const KtRect&) const = delete;
  bool operator!=(const KtRect&) const = delete;

  // The four fields in place, as the platform's rectangle record.
  operator const tagRECT*() const { return &rect_; }

  // ---- Setters
  void setCorners(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  void set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    setCorners(left, bottom, right, top);
  }
  // Refuse (change nothing) when left > right, respectively bottom > top.
  void setLeftRight(std::int32_t left, std::int32_t right);
  void setBottomTop(std::int32_t bottom, std::int32_t top);
  void setZero() { setCorners(0, 0, 0, 0); }
  // Returns 1 iff all four edges are 0.
  int isZero() const {
    return rect_.left == 0 && rect_.top == 0 && rect_.right == 0 && rect_.bottom == 0;
  }

  // ---- Accessors. The one-argument forms set and return the value passed (width and height
  // return the unchanged extent for a negative value). x(v) and y(v) move the rectangle to that
  // centre; width(v) and height(v) set the extent about the centre; dimension(o, ...) is height
  // for o == 0 and width otherwise.
  std::int32_t left() const { return rect_.left; }
  std::int32_t top() const { return rect_.top; }
  std::int32_t right() const { return rect_.right; }
  std::int32_t bottom() const { return rect_.bottom; }
  std::int32_t x() const { return floorMean(rect_.left, rect_.right); }
  std::int32_t y() const { return floorMean(rect_.bottom, rect_.top); }
  std::int32_t x(std::int32_t value) {
    placeX(value, width());
    return value;
  }
  std::int32_t y(std::int32_t value) {
    placeY(value, height());
    return value;
  }
  std::int32_t width() const { return ktSub32(rect_.right, rect_.left); }
  std::int32_t height() const { return ktSub32(rect_.top, rect_.bottom); }
  std::int32_t width(std::int32_t value);
  std::int32_t height(std::int32_t value);
  std::int32_t dimension(KtOrientationEnum orientation) const {
    return orientation == 0 ? height() : width();
  }
  std::int32_t dimension(KtOrientationEnum orientation, std::int32_t value) {
    return orientation == 0 ? height(value) : width(value);
  }
  // The parts of the extent below and above the centre: trunc(e / 2) and trunc((e + 1) / 2).
  std::int32_t leftHalfWidth() const { return width() / 2; }
  std::int32_t rightHalfWidth() const { return upperHalf(width()); }
  std::int32_t bottomHalfHeight() const { return height() / 2; }
  std::int32_t topHalfHeight() const { return upperHalf(height()); }
  KtPoint center() const { return KtPoint(x(), y()); }
  // Places the rectangle, keeping its size, with centre `point`; returns `point`.
  KtPoint center(const KtPoint& point);
  KtSize size() const { return KtSize(width(), height()); }
  // Set-extent on each axis whose component is >= 0; returns `size`.
  KtSize size(const KtSize& size);
  KtPoint topLeft() const { return KtPoint(rect_.left, rect_.top); }
  KtPoint topRight() const { return KtPoint(rect_.right, rect_.top); }
  KtPoint bottomLeft() const { return KtPoint(rect_.left, rect_.bottom); }
  KtPoint bottomRight() const { return KtPoint(rect_.right, rect_.bottom); }
  // The edge coordinate of that side; 0 for a value that names no side.
  std::int32_t sideCoordinate(KtSideEnum side) const;
  // width * height, wrapping.
  std::int32_t area() const;
  // The length of the diagonal, truncated.
  std::int32_t diagonal() const;

  // ---- Moving and resizing
  void move(std::int32_t dx, std::int32_t dy);
  void move(const KtSize& offset) { move(offset.x(), offset.y()); }
  void moveTo(std::int32_t x, std::int32_t y) { center(KtPoint(x, y)); }
  void moveTo(const KtPoint& point) { center(point); }
  // Set-extent on each axis whose new extent is >= 0.
  void resize(std::int32_t width, std::int32_t height);
  void resize(const KtSize& size) { resize(size.x(), size.y()); }
  // resize(width * k, height * k), wrapping.
  void scale(std::int32_t k);
  // resize(trunc(width * f), trunc(height * f)): truncates, where KtInternalRect rounds.
  void scale(double f);
  // Widens by dx on the left and on the right and heightens by dy at the bottom and the top,
  // about the centre. Refuses (changes nothing) when either new extent would be negative.
  // Returns this rectangle.
  KtRect& inflate(std::int32_t dx, std::int32_t dy);
  KtRect& inflate(const KtSize& delta) { return inflate(delta.x(), delta.y()); }
  // An inflated copy; this rectangle is unchanged.
  KtRect inflatedBy(std::int32_t dx, std::int32_t dy) const;
  KtRect inflatedBy(const KtSize& delta) const { return inflatedBy(delta.x(), delta.y()); }

  // ---- Containment and overlap: Returns 1 iff ... (see the header comment for edges).
  int withinXRange(const KtPoint& point) const;
  int withinYRange(const KtPoint& point) const;
  int within(const KtPoint& point) const;
  int withinInteriorXRange(const KtPoint& point) const;
  int withinInteriorYRange(const KtPoint& point) const;
  int withinInterior(const KtPoint& point) const;
  int onBoundary(const KtPoint& point) const;
  // `rect` lies inside this one: encloses(rect).
  int within(const KtRect& rect) const { return encloses(rect); }
  int enclosesXRange(const KtRect& rect) const;
  int enclosesYRange(const KtRect& rect) const;
  int encloses(const KtRect& rect) const;
  // Both points (x1, y1) and (x2, y2) lie in the rectangle.
  int encloses(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int intersectsRectXRange(const KtRect& rect) const;
  int intersectsRectYRange(const KtRect& rect) const;
  int intersectsRect(const KtRect& rect) const;

  // ---- Set operations
  // The overlap of the two when they intersect, else the all-zero rectangle.
  KtRect& operator&=(const KtRect& rect);
  KtRect calculateIntersection(const KtRect& rect) const;
  // The bounding box of both; an all-zero rectangle on either side counts as empty, so the
  // result is the other one.
  KtRect& operator|=(const KtRect& rect);
  KtRect calculateUnion(const KtRect& rect) const;
  // Grows edge by edge to take in the rectangle or point. Returns 1 iff an edge moved; null
  // returns 0.
  int updateBounds(const KtRect* rect);
  int updateBounds(const KtInternalRect* rect);
  int updateBounds(const KtPoint* point);

  // ---- Offsets and per-mils, relative to the centre. Each returns &out.
  // out = point - centre.
  KtSize* setOffset(const KtPoint& point, KtSize& out) const;
  // For each axis: trunc(offset * 1000 / half), kept to 16 bits, where half is the extent above
  // the centre for an offset >= 0 and the one below it otherwise; 500 when that half is 0.
  KtPerMil* setPerMil(const KtSize& offset, KtPerMil& out) const;
  KtPerMil* setPerMil(const KtPoint& point, KtPerMil& out) const;
  // The inverse: trunc(perMil * half / 1000) for each axis, with half chosen as above.
  KtSize* setOffset(const KtPerMil& perMil, KtSize& out) const;

  // ---- Clipping and sides (see the header comment for the contract of the intersects forms).
  // Where the infinite line crosses the boundary. A vertical line gives (x, top) then
  // (x, bottom), a horizontal one (left, y) then (right, y); any other line tries the top, bottom,
  // left and right edges in this order, and finds a corner on the top or bottom edge only.
  int intersectsLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2) const;
  int intersectsLine(KtPoint& p1, KtPoint& p2) const;
  // The boundary points of the closed segment, in the line's order. A segment lying along an edge
  // gives the ends of the shared part, the lower (left) one first; a segment wholly in the
  // interior gives 0.
  int intersectsSegment(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                        std::int32_t& y2) const;
  int intersectsSegment(KtPoint& p1, KtPoint& p2) const;
  // The boundary points of the ray that starts at (x1, y1) and runs through (x2, y2), the nearer
  // to the start first: a ray from outside gives its entry and exit, one from inside its exit. A
  // ray along an edge gives the ends of the shared part, the one at the start's side first. Two
  // equal points give 0.
  int intersectsRay(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2) const;
  int intersectsRay(KtPoint& p1, KtPoint& p2) const;
  // Return 1 iff the line, segment or ray has a point in the closed rectangle. A line or a ray
  // through two equal points has none; a zero-length segment is its one point.
  int overlapsLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsLine(const KtPoint& p1, const KtPoint& p2) const;
  int overlapsSegment(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsSegment(const KtPoint& p1, const KtPoint& p2) const;
  int overlapsRay(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsRay(const KtPoint& p1, const KtPoint& p2) const;
  // Moves a point of the interior to the nearest point of the boundary (on equal distances to the
  // bottom, then the top, the left, the right edge) and clamps any other point onto the
  // rectangle, so a point on the boundary stays. Returns 1.
  int nearestPoint(KtPoint& point) const;
  // The side nearest to a point of the rectangle; on equal distances right, then top, left,
  // bottom.
  KtSideEnum closestSideWithin(const KtPoint& point) const;
  // The side facing a point anywhere: closestSideWithin inside, the side the point lies beyond
  // when it is beside the rectangle, and in a diagonal region the side across the larger gap
  // (left or right on equal gaps).
  KtSideEnum closestSide(const KtPoint& point) const;
  // The side through which a connection leaves towards `point` when it would rather set out in
  // direction `dir`: for a point in the rectangle the side numbered like dir (a dir that names no
  // side is returned as it is); for a point beside it the side it lies beyond; for a point in a
  // diagonal region the top or bottom for an even dir (right, left, none), else the left or
  // right.
  KtSideEnum sideForRouting(const KtPoint& point, KtDirectionEnum dir) const;
  // The side through which a connection leaves towards `other`:
  // - nested (either way): the side where their edges are closest; bottom, left, top, right on
  //   equal differences;
  // - overlapping or touching: each corner where `other` sticks out on one side and this one on
  //   the adjacent side proposes the side that `other` sticks out of, weighed by the smaller of
  //   the two overhangs; the heaviest wins, the first of a fixed order on ties. When no corner
  //   qualifies, `other` sticks out on one side only, and that side is the result;
  // - apart on both axes: left or right for a non-zero horizontalFirst, else bottom or top;
  // - apart on one axis only: the side on that axis towards the other's centre.
  KtSideEnum sideForRouting(const KtRect& other, int horizontalFirst) const;
  // Replaces `point` by the boundary crossing of the line through `point` and q that is not q (q
  // is meant to be the other crossing); when q is neither, by the crossing found second. Refuses
  // when the line does not cross the boundary at two points (it misses the rectangle or touches
  // it once, or point == q): point becomes q and the result is 0. An axis-parallel line that
  // meets the rectangle puts point on the edge across from q (the top or bottom for a vertical
  // line, the left or right for a horizontal one: whichever is further from q) and returns 1.
  int pointInOtherSide(KtPoint& point, const KtPoint& q) const;
  // Moves `point` away from q, by whole multiples of q - point along their line, until it lies
  // strictly outside, beyond the edge that the line leaves through (the left or right edge when
  // the line is at least as flat as the diagonal, else the bottom or top). A point equal to q
  // goes one past the right edge. Where the point would leave the 32-bit plane, each coordinate
  // stops at its limit: the point is then still outside, unless the rectangle reaches that limit.
  void getPointOutsideRect(KtPoint& point, const KtPoint& q) const;

 protected:
  void init() { rect_ = tagRECT{0, 0, 0, 0}; }

 private:
  // floor((a + b) / 2), exact: the mean of two 32-bit values always fits.
  static std::int32_t floorMean(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<std::int32_t>(sum / 2 - (sum < 0 && sum % 2 != 0));
  }
  // trunc((e + 1) / 2) without overflow at the largest e.
  static std::int32_t upperHalf(std::int32_t e) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(e) + 1) / 2);
  }
  // Places the extent e about centre c: low = c - trunc(e / 2), high = low + e.
  void placeX(std::int32_t c, std::int32_t e);
  void placeY(std::int32_t c, std::int32_t e);

  tagRECT rect_;
};

// The same rectangle as centre (x, y) and size; edges are derived: left = x - trunc(width / 2),
// right = left + width, and likewise in y. A plain value with no base class; copy by assignment.
class KtInternalRect {
 public:
  // Centre (0, 0), 40 x 40: the same square as a default KtRect.
  KtInternalRect() : x_(0), y_(0), width_(40), height_(40) {}
  KtInternalRect(std::int32_t width, std::int32_t height)
      : KtInternalRect(KtPoint(), width, height) {}
  KtInternalRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    setCorners(x1, y1, x2, y2);
  }
  KtInternalRect(const KtPoint& center, std::int32_t width, std::int32_t height)
      : x_(center.x()),
        y_(center.y()),
        width_(width >= 0 ? width : 0),
        height_(height >= 0 ? height : 0) {}
  KtInternalRect(const KtPoint& center, const KtSize& size)
      : KtInternalRect(center, size.x(), size.y()) {}
  KtInternalRect(const KtPoint& corner1, const KtPoint& corner2)
      : KtInternalRect(corner1.x(), corner1.y(), corner2.x(), corner2.y()) {}
  KtInternalRect(const KtRect& rect) { *this = rect; }

  KtInternalRect& operator=(const KtRect& rect) {
    setCorners(rect.left(), rect.bottom(), rect.right(), rect.top());
    return *this;
  }

  // ---- Setters, as KtRect's.
  void setCorners(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  void set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    setCorners(left, bottom, right, top);
  }
  void setLeftRight(std::int32_t left, std::int32_t right);
  void setBottomTop(std::int32_t bottom, std::int32_t top);
  void setZero() { setCorners(0, 0, 0, 0); }
  int isZero() const { return x_ == 0 && y_ == 0 && width_ == 0 && height_ == 0; }

  // ---- Accessors, as KtRect's; x(v) and y(v) store the centre.
  std::int32_t left() const { return ktSub32(x_, width_ / 2); }
  std::int32_t right() const { return ktAdd32(x_, width_ - width_ / 2); }
  std::int32_t bottom() const { return ktSub32(y_, height_ / 2); }
  std::int32_t top() const { return ktAdd32(y_, height_ - height_ / 2); }
  std::int32_t x() const { return x_; }
  std::int32_t y() const { return y_; }
  std::int32_t x(std::int32_t value) { return x_ = value; }
  std::int32_t y(std::int32_t value) { return y_ = value; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t width(std::int32_t value) {
    if (value >= 0) width_ = value;
    return width_;
  }
  std::int32_t height(std::int32_t value) {
    if (value >= 0) height_ = value;
    return height_;
  }
  std::int32_t dimension(KtOrientationEnum orientation) const {
    return orientation == 0 ? height_ : width_;
  }
  std::int32_t dimension(KtOrientationEnum orientation, std::int32_t value) {
    return orientation == 0 ? height(value) : width(value);
  }
  std::int32_t leftHalfWidth() const { return width_ / 2; }
  std::int32_t rightHalfWidth() const { return width_ - width_ / 2; }
  std::int32_t bottomHalfHeight() const { return height_ / 2; }
  std::int32_t topHalfHeight() const { return height_ - height_ / 2; }
  KtPoint center() const { return KtPoint(x_, y_); }
  KtPoint center(const KtPoint& point) {
    x_ = point.x();
    y_ = point.y();
    return point;
  }
  KtSize size() const { return KtSize(width_, height_); }
  KtSize size(const KtSize& size) {
    resize(size.x(), size.y());
    return size;
  }
  KtPoint topLeft() const { return KtPoint(left(), top()); }
  KtPoint topRight() const { return KtPoint(right(), top()); }
  KtPoint bottomLeft() const { return KtPoint(left(), bottom()); }
  KtPoint bottomRight() const { return KtPoint(right(), bottom()); }
  std::int32_t sideCoordinate(KtSideEnum side) const;
  std::int32_t area() const { return ktMul32(width_, height_); }
  std::int32_t diagonal() const;

  // ---- Moving and resizing, as KtRect's.
  void move(std::int32_t dx, std::int32_t dy) {
    x_ = ktAdd32(x_, dx);
    y_ = ktAdd32(y_, dy);
  }
  void move(const KtSize& offset) { move(offset.x(), offset.y()); }
  void moveTo(std::int32_t x, std::int32_t y) {
    x_ = x;
    y_ = y;
  }
  void moveTo(const KtPoint& point) { center(point); }
  void resize(std::int32_t width, std::int32_t height) {
    this->width(width);
    this->height(height);
  }
  void resize(const KtSize& size) { resize(size.x(), size.y()); }
  void scale(std::int32_t k) { resize(ktMul32(width_, k), ktMul32(height_, k)); }
  // Each extent becomes floor(extent * f + 0.5): rounds, where KtRect truncates.
  void scale(double f) { resize(ktRoundHalfUp(width_ * f), ktRoundHalfUp(height_ * f)); }

  // ---- Containment and overlap, as KtRect's.
  int withinXRange(const KtPoint& point) const;
  int withinYRange(const KtPoint& point) const;
  int within(const KtPoint& point) const;
  int withinInteriorXRange(const KtPoint& point) const;
  int withinInteriorYRange(const KtPoint& point) const;
  int withinInterior(const KtPoint& point) const;
  int onBoundary(const KtPoint& point) const;
  int enclosesXRange(const KtInternalRect& rect) const;
  int enclosesYRange(const KtInternalRect& rect) const;
  int encloses(const KtInternalRect& rect) const;
  int encloses(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int intersectsRectXRange(const KtInternalRect& rect) const;
  int intersectsRectYRange(const KtInternalRect& rect) const;
  int intersectsRect(const KtInternalRect& rect) const;

  // ---- Set operations, as KtRect's, except that operator|= always takes the bounding box: an
  // all-zero rectangle counts as the point (0, 0).
  KtInternalRect& operator&=(const KtInternalRect& rect);
  KtInternalRect calculateIntersection(const KtInternalRect& rect) const;
  KtInternalRect& operator|=(const KtInternalRect& rect);
  KtInternalRect calculateUnion(const KtInternalRect& rect) const;
  int updateBounds(const KtRect* rect);
  int updateBounds(const KtInternalRect* rect);
  int updateBounds(const KtPoint* point);

  // ---- Clipping and sides, as KtRect's.
  int intersectsLine(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2) const;
  int intersectsLine(KtPoint& p1, KtPoint& p2) const;
  int intersectsSegment(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2,
                        std::int32_t& y2) const;
  int intersectsSegment(KtPoint& p1, KtPoint& p2) const;
  int intersectsRay(std::int32_t& x1, std::int32_t& y1, std::int32_t& x2, std::int32_t& y2) const;
  int intersectsRay(KtPoint& p1, KtPoint& p2) const;
  int overlapsLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsLine(const KtPoint& p1, const KtPoint& p2) const;
  int overlapsSegment(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsSegment(const KtPoint& p1, const KtPoint& p2) const;
  int overlapsRay(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
  int overlapsRay(const KtPoint& p1, const KtPoint& p2) const;
  int nearestPoint(KtPoint& point) const;
  KtSideEnum closestSideWithin(const KtPoint& point) const;
  KtSideEnum closestSide(const KtPoint& point) const;

 private:
  std::int32_t x_;
  std::int32_t y_;
  std::int32_t width_;
  std::int32_t height_;
};

#endif  // KTBASE_GEOMETRY_RECT_H
