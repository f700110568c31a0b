// Demo section: integer geometry with the y axis up: points and segments, rectangles, clipping
// lines and segments against them, rotated rectangles, transforms between world and device, node
// shapes, and a sweep over horizontal segments.
#include <cstdio>

#include "examples/demo.h"
#include "ktbase/containers/dlist.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/rotated_rect.h"
#include "ktbase/geometry/shape.h"
#include "ktbase/geometry/sweep.h"
#include "ktbase/geometry/transform.h"

namespace {

void show(const char* label, const KtRect& rect) {
  std::printf("  %-10s left %d, top %d, right %d, bottom %d (%d x %d, centre %d,%d)\n", label,
              rect.left(), rect.top(), rect.right(), rect.bottom(), rect.width(), rect.height(),
              rect.x(), rect.y());
}

// A named horizontal segment from x `from` to x `to`.
struct Span : KtHorSegment {
  Span(const char* name, std::int32_t from, std::int32_t to, std::int32_t height)
      : name(name), from(from), to(to) {
    y(height);
  }
  const char* name;
  std::int32_t from, to;
};

const char* nameOf(const KtObject* span) {
  return span == nullptr ? "-" : static_cast<const Span*>(span)->name;
}

// Sweeps from left to right and says, as each span starts, which open spans lie just below and
// just above it.
class NeighbourSweep : public KtSweep {
 public:
  explicit NeighbourSweep(const KtDList* spans) : KtSweep(spans, KT_SWEEP_HORIZONTAL) {}

 protected:
  std::int32_t startCoordinateOfSegment(const KtObject* s) override {
    return static_cast<const Span*>(s)->from;
  }
  std::int32_t endCoordinateOfSegment(const KtObject* s) override {
    return static_cast<const Span*>(s)->to;
  }
  std::int32_t otherStartCoordinateOfSegment(const KtObject* s) override {
    return static_cast<const Span*>(s)->y();
  }
  void actOnStartOfSegment(KtObject* s) override {
    const Span* span = static_cast<const Span*>(s);
    std::printf("  x %3d: %s starts at height %d; below it %s, above it %s\n", span->from,
                span->name, span->y(), nameOf(pSweepLine()->pPreceedingSegment(s)),
                nameOf(pSweepLine()->pSucceedingSegment(s)));
  }
  void actOnEndOfSegment(KtObject* s) override {
    std::printf("  x %3d: %s ends\n", static_cast<const Span*>(s)->to, nameOf(s));
  }
};

}  // namespace

void geometryDemo() {
  heading("Points and segments: integer coordinates, y up");
  KtPoint from(0, 0), to(3, 4);
  std::printf("  distance (0,0)-(3,4): %.1f, angle to (-1,0): %.4f rad\n", from.distance(to),
              KtPoint::angle(from, KtPoint(-1, 0)));
  std::int32_t x = 0, y = 0;
  int crossing = KtPoint::segmentsIntersect(x, y, 10, 10, 0, 10, 10, 0);
  std::printf("  (0,0)-(10,10) crosses (0,10)-(10,0): %d, at %d,%d\n", crossing, x, y);
  double atX = 0;
  std::printf("  the vertical line x = 5 has no y on it: lineAtX gives %d\n",
              KtPoint::lineAtX(5, 0, 5, 9, 5.0, atX));

  heading("Rectangles: edges are inclusive, the centre lies on the low side of an odd extent");
  KtRect box;  // the 40 x 40 square on the origin
  KtRect odd(5, 3);
  show("default", box);
  show("5 x 3", odd);
  KtRect right(KtPoint(30, 0), 20, 20);
  show("right", right);
  std::printf("  the default and right touch at an edge, so they intersect: %d\n",
              box.intersectsRect(right));
  show("overlap", box.calculateIntersection(right));
  show("union", box.calculateUnion(right));
  KtPerMil perMil;
  box.setPerMil(KtPoint(20, -10), perMil);
  std::printf("  (20,-10) in per-mils of the default: %d, %d\n", perMil.x(), perMil.y());
  KtInternalRect internal(box);
  std::printf("  as centre and size: %d,%d %d x %d\n", internal.x(), internal.y(), internal.width(),
              internal.height());

  heading("Rectangles are objects too: a list's deep copy clones them");
  KtDList rects;
  rects.appendObject(new KtRect(box));
  rects.appendObject(new KtRect(right));
  KtDList copy(rects);
  KtRect::castDown(copy.pFirstCell()->pObject())->inflate(5, 5);
  show("original", *KtRect::castDown(rects.pFirstCell()->pObject()));
  show("inflated", *KtRect::castDown(copy.pFirstCell()->pObject()));
  copy.deleteAllCellsAndObjects();
  rects.deleteAllCellsAndObjects();

  heading("Clipping: where lines, rays and segments meet a rectangle's boundary");
  std::int32_t x1 = -50, y1 = 5, x2 = 50, y2 = 25;
  int found = box.intersectsSegment(x1, y1, x2, y2);
  std::printf("  (-50,5)-(50,25) crosses the default square %d times: at %d,%d and %d,%d\n", found,
              x1, y1, x2, y2);
  KtPoint start(0, 0), through(3, 1);
  found = box.intersectsRay(start, through);
  std::printf("  a ray from its centre through (3,1) leaves it %d time: at %d,%d\n", found,
              start.x(), start.y());
  KtPoint near(5, 12);
  box.nearestPoint(near);
  std::printf("  its boundary point nearest to (5,12): %d,%d\n", near.x(), near.y());
  std::printf("  a connection from it to \"right\" leaves through side %d (0 right, 1 top, ...)\n",
              box.sideForRouting(right, 0));
  const KtPoint p1(0, 0), p2(40, 30);
  const KtRotatedRect band(&p1, &p2, 5);
  KtPoint a(0, 30), b(40, 0);
  found = band.clipping(&a, &b);
  std::printf("  the band 5 on either side of (0,0)-(40,30) keeps %d,%d-%d,%d of (0,30)-(40,0)\n",
              a.x(), a.y(), b.x(), b.y());

  heading("Transforms: a 200 x 100 world onto an 800 x 600 device whose y runs down");
  KtTransform toDevice;
  toDevice.sourceOriginY(100);  // the world's top maps to the device's row 0
  toDevice.sourceExtentX(200);
  toDevice.sourceExtentY(100);
  toDevice.targetExtentX(800);
  toDevice.targetExtentY(-600);
  toDevice.adjustExtentToPreserveAspectRatio();
  std::printf("  kept square: the world shown is %.0f x %.0f\n", toDevice.sourceExtentX(),
              toDevice.sourceExtentY());
  const KtRect world(10, 20, 60, 45);
  KtRect device, back;
  toDevice.transformRect(world, device);
  toDevice.inverseTransformRect(device, back);
  show("world", world);
  show("device", device);
  show("and back", back);

  heading("Shapes: outlines in per-mils of a node's box, here 100 x 60 at the origin");
  KtPointDList* corners = new KtPointDList;  // clockwise, y up; the shape takes the list
  corners->appendPoint(new KtPoint(0, 1000));
  corners->appendPoint(new KtPoint(1000, -1000));
  corners->appendPoint(new KtPoint(-1000, -1000));
  const KtShape triangle(corners), ellipse(KT_SHAPE_ELLIPSE);
  const KtPoint center(0, 0);
  const KtSize size(100, 60);
  std::printf("  the triangle is convex (kind %d); it holds (0,0): %d, (40,20): %d\n",
              triangle.shapeType(), triangle.within(KtPoint(0, 0), center, size),
              triangle.within(KtPoint(40, 20), center, size));
  KtPoint end(200, 0);
  triangle.intersectsSegment(end, center, center, size);
  std::printf("  an edge from (200,0) to the centre ends on the triangle at %d,%d", end.x(),
              end.y());
  end.set(200, 0);
  ellipse.intersectsSegment(end, center, center, size);
  std::printf(", on the ellipse at %d,%d\n", end.x(), end.y());
  KtShape labelled;
  labelled.setInnerRect(KtRect(-800, 500, 800, -500));  // the text keeps 10% and 25% margins
  KtRect fitted;
  labelled.fitBoundingRectToInnerRect(fitted, KtRect(0, 0, 80, 20));
  show("fits 80x20", fitted);

  heading("Sweep: spans visited left to right, the open ones ordered by height");
  Span spanList[] = {{"a", 0, 50, 10}, {"b", 10, 30, 30}, {"c", 20, 60, 20}, {"d", 30, 40, 40}};
  KtDList spans;
  for (Span& span : spanList) spans.appendObject(&span);
  NeighbourSweep sweep(&spans);
  sweep.run();
}
