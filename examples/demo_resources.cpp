// Demo section: shared resources. Colours by name, as text and back, with their grey values;
// nodes that colour themselves through a colour database; a node shape shared by two owners and
// freed with the last.
#include <cstdio>

#include "examples/demo.h"
#include "ktbase/geometry/shape.h"
#include "ktbase/resources/color.h"
#include "ktbase/resources/shape_resource.h"

namespace {

struct Named {
  KtColorIdentifierEnum id;
  const char* name;
};

const Named kNamed[] = {{KT_COLOR_RED, "red"},
                        {KT_COLOR_LIGHT_YELLOW, "light yellow"},
                        {KT_COLOR_MEDIUM_CYAN, "medium cyan"},
                        {KT_COLOR_DARK_GREY, "dark grey"},
                        {KT_COLOR_WHITE, "white"}};

// A shape resource that says when it goes.
class AnnouncedShape : public KtShapeResource {
  KT_OBJECT(AnnouncedShape, KtShapeResource)

 public:
  AnnouncedShape(KtShapeResourceDB* db, const KtShape& shape, const char* name)
      : KtShapeResource(db, &shape), name_(name) {}
  ~AnnouncedShape() override { std::printf("    - deleted the %s resource\n", name_); }

 protected:
  void init() { name_ = ""; }

 private:
  const char* name_;
};

void AnnouncedShape::AnnouncedShapedeepCopy(const AnnouncedShape& source) {
  KtShapeResource::copyObject(&source);
  name_ = "private copy";
}

void AnnouncedShape::AnnouncedShapeattributeCopy(const AnnouncedShape& source) {
  KtShapeResource::copyAttributes(&source);
  name_ = "private copy";
}

}  // namespace

void resourcesDemo() {
  heading("Colours: palette names to text and back, and their grey values");
  for (const Named& named : kNamed) {
    KtColor colour;
    colour.rgb(named.id);
    char text[15];
    colour.setStringFromRGB(text);
    KtColor back;
    back.setRGBFromString(text);
    std::printf("  %-13s bytes %3d %3d %3d  text \"%s\"  read back equal: %d  grey %.3f\n",
                named.name, colour.ired(), colour.igreen(), colour.iblue(), text,
                back.compare(&colour), colour.gray());
  }
  KtColor odd;
  odd.rgb(127 / 255.0, 1 / 255.0, 0.0);
  char text[15];
  odd.setStringFromRGB(text);
  odd.setRGBFromString(text);
  std::printf("  bytes 127 1 0 are written \"%s\" and read back as %d %d %d\n", text, odd.ired(),
              odd.igreen(), odd.iblue());
  std::printf("  \"0.5 abc\" is no colour: %d; \"0.5 abc 1 more\" is one: %d\n",
              odd.setRGBFromString("0.5 abc"), odd.setRGBFromString("0.5 abc 1 more"));

  heading("A colour database: one shared instance per colour, counted");
  KtColorResourceDB colours;
  KtColor orange;
  orange.rgb(1.0, 0.5, 0.0);
  const KtColorResource* first = colours.insert(new KtColorResource(&colours, &orange));
  const KtColorResource* second = colours.insert(new KtColorResource(&colours, &orange));
  std::printf("  two nodes ask for orange and share one instance: %s, held %d times\n",
              first == second ? "yes" : "no", first->refCount());
  const KtColorResource* black = colours.pDefaultResource();
  std::printf("  the default black is permanent: %d, and sorts first: index %d, orange %d\n",
              black->permanent(), black->index(), first->index());
  KtColorResource* mine = colours.remove(second);  // one node repaints: a private copy
  mine->pColor()->rgb(KT_COLOR_DARK_RED);
  const KtColorResource* repainted = colours.insert(mine);
  std::printf("  a node repaints: orange is held %d time, dark red %d time\n", first->refCount(),
              repainted->refCount());

  heading("A shape shared by two owners and freed with the last");
  KtShapeResourceDB shapes;
  const KtShape ellipse(KT_SHAPE_ELLIPSE);
  const KtShapeResource* a = shapes.insert(new AnnouncedShape(&shapes, ellipse, "first ellipse"));
  std::printf("  node A takes an ellipse; node B asks for an equal one:\n");
  const KtShapeResource* b = shapes.insert(new AnnouncedShape(&shapes, ellipse, "second ellipse"));
  std::printf("  both hold the first one: %s, held %d times\n", a == b ? "yes" : "no",
              a->refCount());
  std::printf("  node A lets go and gets a private copy, which it deletes:\n");
  delete shapes.remove(a);
  std::printf("  node B lets go last and gets the shared instance itself:\n");
  KtShapeResource* last = shapes.remove(b);
  std::printf("  it is no longer listed (index %d); node B deletes it:\n", last->index());
  delete last;
}
