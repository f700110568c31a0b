#include "ktbase/resources/shape_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
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

TEST(ShapeResourceTest, KeysEqualityAndTheDatabase) {
  // Keys: 0 for a rectangle, also a polygon kind without vertices, 1 for an ellipse, 2n and
  // 2n + 1 for n vertices, convex or not, -1 for an unknown kind.
  const struct {
    KtShape shape;
    std::int32_t key;
  } keys[] = {{KtShape(), 0},
              {KtShape(KT_SHAPE_CONVEX_POLYGON), 0},
              {KtShape(KT_SHAPE_ELLIPSE), 1},
              {polygon(kTriangle), 6},
              {polygon(kDiamond), 8},
              {polygon(kArrow), 9},
              {KtShape(static_cast<KtShapeTypeEnum>(7)), -1}};
  for (const auto& k : keys) EXPECT_EQ(KtShapeResource(nullptr, &k.shape).sortKey(), k.key);

  // Equal keys, yet other text borders or other vertices: not equal.
  KtShape framed;
  framed.setInnerRect(KtRect(-500, 500, 500, -500));
  const KtShapeResource rectangle, another, boxed(nullptr, &framed);
  EXPECT_EQ(rectangle.isEqual(&another), 1);
  EXPECT_EQ(rectangle.isEqual(nullptr), 0);
  EXPECT_EQ(boxed.isEqual(&rectangle), 0);
  Vertices moved = kDiamond;
  moved[0].second = 900;
  const KtShape diamond = polygon(kDiamond), otherDiamond = polygon(moved);
  const KtShapeResource source(nullptr, &diamond), otherSource(nullptr, &otherDiamond);
  EXPECT_EQ(source.isEqual(&otherSource), 0);
  // The deep copy owns a copy of the vertices; the attribute copy keeps its rectangle.
  const KtShapeResource deep(source), attributes(source, KT_ATTRIBUTE_COPY);
  EXPECT_NE(deep.pShape()->pPointList(), source.pShape()->pPointList());
  EXPECT_EQ(deep.isEqual(&source), 1);
  EXPECT_EQ(attributes.sortKey(), 0);

  // A plain rectangle listed already becomes the default, after a framed one with its key.
  KtShapeResourceDB db;
  db.insert(new KtShapeResource(&db, &framed));
  const KtShapeResource* r = db.insert(new KtShapeResource(&db));
  EXPECT_EQ(db.pDefaultResource(), r);
  EXPECT_EQ(r->refCount(), KT_RESOURCE_PERMANENT + 2);
  EXPECT_TRUE(db.checkInvariants());
  KtShapeResourceDB empty;
  const KtShapeResource* fresh = empty.pDefaultResource();
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

    // The first owner changes its shape: a private copy, turned into a triangle, inserted.
    KtShapeResource* mine = db.remove(first);
    ASSERT_NE(mine, first);
    EXPECT_EQ(mine->pShape()->pPointList(listOf(kTriangle)), 1);
    EXPECT_EQ(db.insert(mine), mine);
    EXPECT_EQ(mine->sortKey(), 6);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(second->pShape()->shapeType(), KT_SHAPE_ELLIPSE);

    // The second owner lets go last: it gets the listed instance back and deletes it.
    KtShapeResource* last = db.remove(second);
    EXPECT_EQ(last, second);
    delete last;
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(db.checkInvariants());
  }
  EXPECT_EQ(deaths, 3);  // the triangle, with the database
}

}  // namespace
