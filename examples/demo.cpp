// A tour of what ktbase does so far: lists of objects, built, walked, spliced and copied, with
// every birth, clone and death of an object printed so that the ownership rules show; sorting,
// the hash table, trees, heaps, sorted and typed lists; then integer geometry with the y axis up:
// points, segments, rectangles, clipping and transforms; then shared colours and shapes; then
// files and strings on the bundled data in examples/data.
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
  geometryDemo();
  resourcesDemo();
  filesDemo(argc > 1 ? argv[1] : KTBASE_DEMO_DATA);

  heading("Leaving main: the lists delete their cells, the stations die with main's stack");
  return 0;
}
