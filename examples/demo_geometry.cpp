// Demo section: integer geometry with the y axis up: points and segments, rectangles, clipping
// lines and segments against them, rotated rectangles, and transforms between world and device.
#include <cstdio>

#include "examples/demo.h"
#include "ktbase/containers/dlist.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/rotated_rect.h"
#include "ktbase/geometry/transform.h"

namespace {

void show(const char* label, const KtRect& rect) {
  std::printf("  %-10s left %d, top %d, right %d, bottom %d (%d x %d, centre %d,%d)\n", label,
              rect.left(), rect.top(), rect.right(), rect.bottom(), rect.width(), rect.height(),
              rect.x(), rect.y());
}

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
}
