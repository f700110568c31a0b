// KtShape is the outline of a node, independent of its size and position: the node's bounding box
// itself, the ellipse inscribed in it, or a polygon whose vertices are per-mils of that box. Every
// question is asked with the node's centre and size: does a point lie inside or on the outline,
// where does a segment towards the node cross it (to end an edge there), which outline point is
// nearest. The shape also places a text rectangle, in per-mils of the box, and finds the box in
// which a given text rectangle fits exactly.
//
// Contract:
// - A node with centre (cx, cy) and size (w, h) has the box of a KtInternalRect:
//   left = cx - trunc(w / 2), right = left + w, bottom = cy - trunc(h / 2), top = bottom + h, y
//   up, edges inclusive. Sizes are meant to be non-negative, and a box that leaves the 32-bit
//   plane is out of range.
// - A per-mil coordinate v maps into an extent e about the centre c as c + trunc(v * lowHalf /
//   1000) for v <= 0 and c + trunc(v * highHalf / 1000) for v > 0, with lowHalf = trunc(e / 2)
//   and highHalf = e - lowHalf: -1000 and 1000 land on the box's edges. Vertices may lie outside
//   [-1000, 1000]. The polygon's edges run from each vertex to the next, and from the last to the
//   first; every polygon operation visits that closing edge first.
// - Kinds (KtShapeTypeEnum): 0 rectangle, also for any value not listed; 1 ellipse; 2 convex
//   polygon; 3 non-convex polygon. Handing a shape 3 or more vertices makes it type 3, then type
//   2 when isConvexPolygon holds; fewer vertices leave a rectangle. setShapeType drops the
//   vertices, so a polygon kind without vertices is an empty outline: it contains no point,
//   crosses no segment and has no width, and nearestPoint falls back to the box.
// - Points on the outline are within the shape. A convex polygon may list its vertices in either
//   order. Polygon edges hold the points whose squared distance from them is below 0.2
//   (KtPoint::pointInSegment). The ellipse has the centre (cx, cy) and the half-axes w / 2 and
//   h / 2, so across an odd extent it sits half a unit below the box's middle; its outline is the
//   pair of points of each row at the rounded half-chord from the centre.
// - Owns its vertex list and the points in it: the destructor, setShapeType and a replacing
//   pPointList delete them. A copy (either flag) copies the kind, the text borders and the
//   vertices, into a new list of new points.
// - Crossings are computed in double and rounded half up.
#ifndef KTBASE_GEOMETRY_SHAPE_H
#define KTBASE_GEOMETRY_SHAPE_H

#include <cstdint>

#include "ktbase/containers/typed_list.h"
#include "ktbase/core/object.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/tuple.h"

enum KtShapeTypeEnum : int {
  KT_SHAPE_RECTANGLE = 0,
  KT_SHAPE_ELLIPSE = 1,
  KT_SHAPE_CONVEX_POLYGON = 2,
  KT_SHAPE_NONCONVEX_POLYGON = 3
};

class KtShape : public KtObject {
  KT_OBJECT(KtShape, KtObject)

 public:
  // A shape of that kind, without vertices; the default is the rectangle.
  explicit KtShape(KtShapeTypeEnum type = KT_SHAPE_RECTANGLE);
  // Owns `vertices` (see pPointList).
  explicit KtShape(KtPointDList* vertices);
  // Deletes the vertex list with its points.
  ~KtShape() override;

  // pPointList() reads the vertex list (null for rectangles, ellipses and polygon kinds without
  // vertices). pPointList(list) owns `list` and deletes a list the shape held before; returns 1
  // iff the shape became a polygon, which takes 3 or more points. A shorter list is deleted
  // with its points at once, and null as well leaves a rectangle without vertices.
  const KtPointDList* pPointList() const { return pointList_; }
  int pPointList(KtPointDList* vertices);
  // Stores the kind (kept to 8 bits) and deletes the vertex list.
  void setShapeType(KtShapeTypeEnum type);
  KtShapeTypeEnum shapeType() const { return static_cast<KtShapeTypeEnum>(shapeType_); }

  // ---- Queries; each point form forwards to the form on six integers.
  // Returns 1 iff (px, py) lies inside the outline or on it.
  int within(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy, std::int32_t w,
             std::int32_t h) const;
  int within(const KtPoint& point, const KtPoint& center, const KtSize& size) const;
  // Returns 1 iff (px, py) lies on the outline.
  int onBoundary(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy, std::int32_t w,
                 std::int32_t h) const;
  int onBoundary(const KtPoint& point, const KtPoint& center, const KtSize& size) const;
  // within and not onBoundary.
  int withinInterior(std::int32_t px, std::int32_t py, std::int32_t cx, std::int32_t cy,
                     std::int32_t w, std::int32_t h) const;
  int withinInterior(const KtPoint& point, const KtPoint& center, const KtSize& size) const;
  // The crossing of the segment (x, y)-(x2, y2) with the outline that lies nearest to (x2, y2),
  // written into (x, y); returns 1 when there is one, else 0 with (x, y) unchanged. A
  // zero-length segment crosses nothing of an ellipse.
  int intersectsSegment(std::int32_t& x, std::int32_t& y, std::int32_t x2, std::int32_t y2,
                        std::int32_t cx, std::int32_t cy, std::int32_t w, std::int32_t h) const;
  int intersectsSegment(KtPoint& a, const KtPoint& b, const KtPoint& center,
                        const KtSize& size) const;
  // Moves `point` onto the outline: returns 1 on success, 0 when no crossing was found and the
  // point went to the nearest point of the node's box instead. A rectangle always succeeds; a
  // point on the outline stays. Otherwise the crossing is sought between the point and the box:
  // from the box's nearest point, then from the other end of their line across the box.
  int nearestPoint(KtPoint& point, const KtPoint& center, const KtSize& size) const;

  // Returns 1 iff the vertices make a convex polygon: type 2, or exactly 3 vertices, or 4 and
  // more that turn the same way at every vertex where they turn at all (either way round).
  // 0 without a list or with fewer than 3 vertices.
  int isConvexPolygon() const;
  // Turns a polygon's vertices by 90, 180 or 270 degrees counter-clockwise; any other angle, and
  // any other kind, changes nothing. The text borders stay.
  void rotate(int degrees);
  // Returns 1 iff `other` has the same kind and text borders and, for a polygon kind, the same
  // vertices in the same order (or no vertices on both sides). 0 for null.
  int compare(const KtShape* other) const;

  // ---- The text rectangle, in per-mils of the box.
  // `rect` gets the four borders as its edges (normalised).
  void getInnerRect(KtRect& rect) const;
  // Each border takes `rect`'s edge, clamped into [-1000, 1000]. Refuses (changes nothing) a
  // rectangle of zero width or height.
  void setInnerRect(const KtRect& rect);
  // The text rectangle of a node with that centre and size: the box's low edge plus
  // floor((border / 2000 + 0.5) * extent + 0.5) for each border.
  void getCurrentInnerRect(KtRect& out, const KtPoint& center, const KtSize& size) const;
  // The box whose getCurrentInnerRect is `inner`, found in double and corrected by one unit
  // where rounding needs it. On an axis whose two borders are equal no box can give the text
  // rectangle an extent; the box then takes `inner`'s own extent on that axis.
  void fitBoundingRectToInnerRect(KtRect& out, const KtRect& inner) const;

  // The width of the node of size (w, h) across the direction (x1, y1) -> (x2, y2): for a polygon
  // twice the smaller of the distances of its farthest vertices on either side of the line
  // through the centre along that direction. 0 for a zero-length direction and for a polygon
  // kind without vertices.
  double maxAvailableDiagonalLengthAtShape(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                           std::int32_t y2, std::int32_t w, std::int32_t h) const;
  double maxAvailableDiagonalLengthAtShape(const KtPoint& from, const KtPoint& to,
                                           const KtSize& size) const;
  // The angle between the vectors (x1, y1) and (x2, y2), in [0, pi]; pi / 2 when either is zero.
  static double angleBetweenTwoLines(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                     std::int32_t y2);

 protected:
  void init();

 private:
  friend struct KtShapeProbe;  // lets the tests set borders and add vertices one by one
  struct Polygon;              // the vertex list placed on a node (shape.cpp)

  // Sets type 3, appends a new point (x, y), creating the list when there is none, and sets type
  // 2 once the list holds 3 or more points and is convex. Returns the new point, or null when
  // memory runs out (then nothing changes but the type).
  KtPoint* addPoint(std::int32_t x, std::int32_t y);
  // Stores the kind only.
  void shapeType(KtShapeTypeEnum type) { shapeType_ = static_cast<std::uint8_t>(type); }
  // The borders of the text rectangle in per-mils; each setter stores and returns the value.
  std::int16_t textRectLeftBorder() const { return leftBorder_; }
  std::int16_t textRectLeftBorder(std::int16_t v) { return leftBorder_ = v; }
  std::int16_t textRectRightBorder() const { return rightBorder_; }
  std::int16_t textRectRightBorder(std::int16_t v) { return rightBorder_ = v; }
  std::int16_t textRectTopBorder() const { return topBorder_; }
  std::int16_t textRectTopBorder(std::int16_t v) { return topBorder_ = v; }
  std::int16_t textRectBottomBorder() const { return bottomBorder_; }
  std::int16_t textRectBottomBorder(std::int16_t v) { return bottomBorder_ = v; }

  // The coordinate of per-mil v in an extent about `center`, `scale` being the per-mils across
  // the whole extent (2000).
  static std::int32_t getCoordinate(std::int32_t center, std::int32_t v, std::int32_t extent,
                                    std::int32_t scale);
  // The turn from a through b to c: 1 to the left, -1 to the right, 0 for collinear points.
  static int pointInWhichHalfplane(const KtPoint& a, const KtPoint& b, const KtPoint& c);
  // The offset of a border from the low edge of an extent: floor((border / scale + 0.5) *
  // extent + 0.5).
  static std::int32_t getInnerValue(std::int32_t extent, std::int32_t border, double scale);

  // Deletes the vertex list with its points.
  void deletePointList();
  // Takes `vertices` as a polygon when it holds 3 or more points; returns 1 iff it did.
  int takeVertices(KtPointDList* vertices);
  // A polygon kind with vertices.
  bool isPolygon() const;

  std::uint8_t shapeType_;
  KtPointDList* pointList_;
  std::int16_t leftBorder_;
  std::int16_t rightBorder_;
  std::int16_t topBorder_;
  std::int16_t bottomBorder_;
};

#endif  // KTBASE_GEOMETRY_SHAPE_H
