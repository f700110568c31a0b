// A tour of what ktbase does so far: lists of objects, built, walked, spliced and copied, with
// every birth, clone and death of an object printed so that the ownership rules show; sorting,
// the hash table, trees, heaps, sorted and typed lists; then integer geometry with the y axis up:
// points, segments and rectangles; then files and strings on the bundled data in examples/data.
#include <cstdio>
#include <string>

#include "examples/demo.h"
#include "ktbase/ktbase.h"

namespace {

// A named object that announces its life.
class Station : public KtObject {
  KT_OBJECT(Station, KtObject)

 public:
  explicit Station(const char* name) : name_(name) {
    std::printf("    + made %s\n", name_.c_str());
  }
  ~Station() override { std::printf("    - deleted %s\n", name_.c_str()); }
  const std::string& name() const { return name_; }

 protected:
  void init() { name_.clear(); }

 private:
  std::string name_;
};

void Station::StationdeepCopy(const Station& source) {
  KtObjectdeepCopy(source);
  name_ = source.name_ + "'";
  std::printf("    + cloned %s as %s\n", source.name_.c_str(), name_.c_str());
}

void Station::StationattributeCopy(const Station& source) { StationdeepCopy(source); }

const char* nameOf(KtObject* object) {
  return object == nullptr ? "(null)" : Station::castDown(object)->name().c_str();
}

void show(const char* label, const KtDList& list) {
  std::printf("  %-10s (%d):", label, list.length());
  for (KtDListIter it(&list); it; ++it) std::printf(" %s", nameOf(it.pObject()));
  std::printf("\n");
}

void show(const char* label, const KtSList& list) {
  std::printf("  %-10s (%d):", label, list.length());
  for (KtSListIter it(&list); it; ++it) std::printf(" %s", nameOf(it.pObject()));
  std::printf("\n");
}

void show(const char* label, const KtRect& rect) {
  std::printf("  %-10s left %d, top %d, right %d, bottom %d (%d x %d, centre %d,%d)\n", label,
              rect.left(), rect.top(), rect.right(), rect.bottom(), rect.width(), rect.height(),
              rect.x(), rect.y());
}

void geometry() {
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
}

}  // namespace

void heading(const char* text) { std::printf("\n== %s\n", text); }

// The bundled data is read from the folder given as the first argument, or from the source
// tree's examples/data.
int main(int argc, char** argv) {
  heading("Building: the objects belong to main, the lists only borrow them");
  Station a("A"), b("B"), c("C"), d("D"), e("E");
  KtDList line;
  KtDListCell* cellB = line.appendObject(&b);
  line.prependObject(&a);
  line.addObject(cellB, &c);
  KtDList branch;
  branch.appendObject(&d);
  branch.appendObject(&e);
  show("line", line);
  show("branch", branch);

  heading("Walking both ways with an iterator");
  std::printf("  backward:");
  for (KtDListIter it(&line, KT_BACKWARD); it; --it) std::printf(" %s", nameOf(it.pObject()));
  std::printf("\n  position of C: %d, object in position 2: %s\n", line.positionOfObject(&c),
              nameOf(line.pObjectInPosition(2)));

  heading("Splicing: cells move between lists, nothing is allocated or freed");
  line.transferList(cellB, &branch);
  show("line", line);
  show("branch", branch);
  int refused = line.transferList(nullptr, &line);
  std::printf("  transferring a list into itself is refused: %d\n", refused);
  line.swapPosition(line.pFirstCell(), line.pLastCell());
  show("swapped", line);
  line.reverse();
  show("reversed", line);

  heading("IfNotInList: an object is added once");
  KtDList unique;
  for (KtObject* object : {static_cast<KtObject*>(&a), static_cast<KtObject*>(&b),
                           static_cast<KtObject*>(&a), static_cast<KtObject*>(&c)})
    unique.appendObjectIfNotInList(object);
  show("unique", unique);

  heading("Copying: copyAllCells shares the objects, the deep copy clones them");
  KtDList shared;
  shared.copyAllCells(&line);
  show("shared", shared);
  KtDList* cloned = line.cloneObject();
  show("cloned", *cloned);
  std::printf("  the clones belong to the owner of the copy, who deletes them:\n");
  cloned->deleteAllCellsAndObjects();
  delete cloned;

  heading("Singly linked lists: the constructor shares, the conversion clones");
  KtSList sharing(line);
  show("sharing", sharing);
  KtSList clones = line;
  show("clones", clones);
  KtSListCell* previous = clones.searchPreviousObject(clones.pObjectInPosition(3));
  KtSListCell* removed = clones.removeNextCell(previous);
  std::printf("  a removed cell is the caller's, and so is the clone it holds:\n");
  delete removed->pObject();
  delete removed;
  show("clones", clones);
  clones.deleteAllCellsAndObjects();

  sortingDemo();
  containersDemo();
  geometry();
  filesDemo(argc > 1 ? argv[1] : KTBASE_DEMO_DATA);

  heading("Leaving main: the lists delete their cells, the stations die with main's stack");
  return 0;
}
