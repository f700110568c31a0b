#include "ktbase/resources/shape_resource.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Vertices = std::vector<std::pair<int, int>>;

const Vertices kTriangle = {{0, 1000}, {1000, -1000}, {-1000, -1000}};
const Vertices kDiamond = {{0, 1000}, {1000, 0}, {0, -1000}, {-1000, 0}};
const Vertices kArrow = {{-1000, 1000}, {1000, 0}, {-1000, -1000}, {0, 0}};

KtPointDList* listOf(const Vertices& vertices) {
  auto* list = new KtPointDList;
  for (const auto& v : vertices) list->appendPoint(new KtPoint(v.first, v.second));
  return list;
}

KtShape polygon(const Vertices& vertices) { return KtShape(listOf(vertices)); }

// A shape resource that counts its deaths, its clones' included.
class CountedShape : public KtShapeResource {
  KT_OBJECT(CountedShape, KtShapeResource)

 public:
  CountedShape(KtShapeResourceDB* db, const KtShape& shape, int* deaths)
      : KtShapeResource(db, &shape), deaths_(deaths) {}
  ~CountedShape() override { ++*deaths_; }

 protected:
  void init() { deaths_ = nullptr; }

 private:
  int* deaths_;
};

void CountedShape::CountedShapedeepCopy(const CountedShape& source) {
  KtShapeResource::copyObject(&source);
  deaths_ = source.deaths_;
}

void CountedShape::CountedShapeattributeCopy(const CountedShape& source) {
  KtShapeResource::copyAttributes(&source);
  deaths_ = source.deaths_;
}

TEST(ShapeResourceTest, KeysAndEquality) {
  KtShapeResource rectangle;
  EXPECT_EQ(rectangle.sortKey(), 0);
  EXPECT_EQ(rectangle.pShape()->shapeType(), KT_SHAPE_RECTANGLE);
  KtShape ellipse(KT_SHAPE_ELLIPSE);
  EXPECT_EQ(KtShapeResource(nullptr, &ellipse).sortKey(), 1);
  KtShape triangle = polygon(kTriangle);
  KtShape diamond = polygon(kDiamond);
  KtShape arrow = polygon(kArrow);
  EXPECT_EQ(KtShapeResource(nullptr, &triangle).sortKey(), 6);
  EXPECT_EQ(KtShapeResource(nullptr, &diamond).sortKey(), 8);
  EXPECT_EQ(arrow.shapeType(), KT_SHAPE_NONCONVEX_POLYGON);
  EXPECT_EQ(KtShapeResource(nullptr, &arrow).sortKey(), 9);
  KtShape bare(KT_SHAPE_CONVEX_POLYGON);  // a polygon kind without vertices
  EXPECT_EQ(KtShapeResource(nullptr, &bare).sortKey(), 0);
  KtShape odd(static_cast<KtShapeTypeEnum>(7));
  EXPECT_EQ(KtShapeResource(nullptr, &odd).sortKey(), -1);

  // Same key, different text borders: not equal.
  KtShape framed;
  framed.setInnerRect(KtRect(-500, 500, 500, -500));
  KtShapeResource boxed(nullptr, &framed);
  EXPECT_EQ(boxed.sortKey(), 0);
  EXPECT_EQ(boxed.isEqual(&rectangle), 0);
  KtShapeResource another;
  EXPECT_EQ(rectangle.isEqual(&another), 1);
  EXPECT_EQ(rectangle.isEqual(nullptr), 0);
  // Same kind and count, other vertices: not equal.
  Vertices moved = kDiamond;
  moved[0].second = 900;
  KtShape otherDiamond = polygon(moved);
  KtShapeResource diamondResource(nullptr, &diamond);
  KtShapeResource otherDiamondResource(nullptr, &otherDiamond);
  EXPECT_EQ(diamondResource.isEqual(&otherDiamondResource), 0);

  // The deep copy owns a copy of the vertices; the attribute copy keeps its rectangle.
  KtShapeResource source(nullptr, &diamond);
  KtShapeResource deep(source);
  EXPECT_NE(deep.pShape(), source.pShape());
  EXPECT_NE(deep.pShape()->pPointList(), source.pShape()->pPointList());
  EXPECT_EQ(deep.isEqual(&source), 1);
  KtShapeResource attributes(source, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.sortKey(), 0);
}

TEST(ShapeResourceTest, DatabaseOrderAndDefault) {
  KtShapeResourceDB db;
  KtShape framed;
  framed.setInnerRect(KtRect(-500, 500, 500, -500));
  KtShape quad = polygon(kDiamond);
  KtShape triangle = polygon(kTriangle);
  const KtShapeResource* q = db.insert(new KtShapeResource(&db, &quad));
  const KtShapeResource* t = db.insert(new KtShapeResource(&db, &triangle));
  const KtShapeResource* f = db.insert(new KtShapeResource(&db, &framed));
  const KtShapeResource* r = db.insert(new KtShapeResource(&db));
  EXPECT_EQ(f->index(), 1);  // both rectangles, in insertion order
  EXPECT_EQ(r->index(), 2);
  EXPECT_EQ(t->index(), 3);  // the triangle before the quadrilateral
  EXPECT_EQ(q->index(), 4);
  const KtShapeResource* d = db.pDefaultResource();
  EXPECT_EQ(d, r);  // the plain rectangle was listed already: it becomes the default
  EXPECT_EQ(r->refCount(), KT_RESOURCE_PERMANENT + 2);
  EXPECT_EQ(d->pResourceDB(), &db);
  EXPECT_TRUE(db.checkInvariants());

  KtShapeResourceDB empty;
  const KtShapeResource* fresh = empty.pDefaultResource();
  EXPECT_EQ(fresh->sortKey(), 0);
  EXPECT_EQ(fresh->pShape()->compare(r->pShape()), 1);
  EXPECT_EQ(empty.copyPermanent(&db), 1);
  EXPECT_EQ(fresh->refCount(), KT_RESOURCE_PERMANENT + 1);
}

// Two owners share one shape; the shape goes with its last holder, and a change by one owner
// leaves the other's shape alone.
TEST(ShapeResourceTest, SharedByTwoOwners) {
  int deaths = 0;
  {
    KtShapeResourceDB db;
    KtShape ellipse(KT_SHAPE_ELLIPSE);
    const KtShapeResource* first = db.insert(new CountedShape(&db, ellipse, &deaths));
    const KtShapeResource* second = db.insert(new CountedShape(&db, ellipse, &deaths));
    EXPECT_EQ(first, second);
    EXPECT_EQ(deaths, 1);  // the second fresh resource
    EXPECT_EQ(first->refCount(), 2);

    // The first owner changes its shape: a private copy, turned into a triangle, inserted.
    KtShapeResource* mine = db.remove(first);
    ASSERT_NE(mine, first);
    EXPECT_EQ(mine->pShape()->pPointList(listOf(kTriangle)), 1);
    const KtShapeResource* changed = db.insert(mine);
    EXPECT_EQ(changed, mine);
    EXPECT_EQ(changed->sortKey(), 6);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(second->refCount(), 1);
    EXPECT_EQ(second->pShape()->shapeType(), KT_SHAPE_ELLIPSE);

    // The second owner lets go last: it gets the listed instance back and deletes it.
    KtShapeResource* last = db.remove(second);
    EXPECT_EQ(last, second);
    EXPECT_EQ(last->index(), -1);
    delete last;
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(changed->index(), 1);
    EXPECT_TRUE(db.checkInvariants());
  }
  EXPECT_EQ(deaths, 3);  // the triangle, with the database
}

}  // namespace
