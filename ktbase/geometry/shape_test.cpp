#include "ktbase/geometry/shape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

struct KtShapeProbe {
  static void addPoint(KtShape& shape, std::int32_t x, std::int32_t y) { shape.addPoint(x, y); }
  static void borders(KtShape& shape, std::int16_t left, std::int16_t right) {
    shape.textRectLeftBorder(left);
    shape.textRectRightBorder(right);
  }
};

namespace {

using Grid = std::set<std::pair<int, int>>;
using Vertices = std::vector<std::pair<int, int>>;
using Edges = std::vector<int>;  // left, top, right, bottom

const double kPi = 3.14159265358979323846;
const Vertices kTriangle = {{0, 1000}, {1000, -1000}, {-1000, -1000}};  // clockwise
const Vertices kArrow = {{-1000, 1000}, {1000, 0}, {-1000, -1000}, {0, 0}};
const Vertices kBox = {{-1000, 1000}, {1000, 1000}, {1000, -1000}, {-1000, -1000}};

// Counts the deaths of the points a shape owns.
struct CountedPoint : KtPoint {
  CountedPoint(int* deaths, int x, int y) : KtPoint(x, y), deaths_(deaths) {}
  ~CountedPoint() override { ++*deaths_; }
  int* deaths_;
};

KtPointDList* listOf(const Vertices& vertices, int* deaths = nullptr) {
  auto* list = new KtPointDList;
  for (const auto& v : vertices)
    list->appendPoint(deaths != nullptr ? new CountedPoint(deaths, v.first, v.second)
                                        : new KtPoint(v.first, v.second));
  return list;
}

Vertices verticesOf(const KtShape& shape) {
  Vertices vertices;
  for (KtPointDListIter it(shape.pPointList()); it; ++it)
    vertices.emplace_back(it.pPoint()->x(), it.pPoint()->y());
  return vertices;
}

Edges edgesOf(const KtRect& r) { return Edges{r.left(), r.top(), r.right(), r.bottom()}; }

// The points within 8 of the origin where `holds` answers 1 for a node at the origin.
template <class Holds>
Grid gridWhere(Holds holds) {
  Grid points;
  for (int x = -8; x <= 8; ++x)
    for (int y = -8; y <= 8; ++y)
      if (holds(x, y)) points.emplace(x, y);
  return points;
}
// A picture of the points, 'X' for each, with its top-left character at (left, top).
Grid picture(int left, int top, std::initializer_list<const char*> rows) {
  Grid points;
  for (const char* row : rows) {
    for (int x = 0; row[x] != 0; ++x)
      if (row[x] == 'X') points.emplace(left + x, top);
    --top;
  }
  return points;
}
Grid outlineOf(const KtShape& s, int w, int h) {
  return gridWhere([&](int x, int y) { return s.onBoundary(x, y, 0, 0, w, h); });
}
Grid withinOf(const KtShape& s, int w, int h) {
  return gridWhere([&](int x, int y) { return s.within(x, y, 0, 0, w, h); });
}

TEST(KtShape, OwnsItsVerticesAndClassifiesThem) {
  int deaths = 0;
  {
    KtShape triangle(listOf(kTriangle, &deaths));
    EXPECT_EQ(triangle.shapeType(), KT_SHAPE_CONVEX_POLYGON);
    EXPECT_EQ(KtShape(listOf({kTriangle.rbegin(), kTriangle.rend()})).shapeType(),
              KT_SHAPE_CONVEX_POLYGON);
    EXPECT_EQ(KtShape(listOf(kArrow)).shapeType(), KT_SHAPE_NONCONVEX_POLYGON);
    // Collinear vertices turn neither way.
    EXPECT_EQ(KtShape(listOf({{-1000, 1000}, {0, 1000}, {1000, 1000}, {0, -1000}})).shapeType(),
              KT_SHAPE_CONVEX_POLYGON);

    // Copies own new points; assignment deletes the points the target held.
    KtShape copy(triangle);
    KtShape* clone = triangle.cloneObject();
    EXPECT_EQ(verticesOf(*clone), kTriangle);
    EXPECT_NE(copy.pPointList()->pFirstCell()->pObject(),
              triangle.pPointList()->pFirstCell()->pObject());
    EXPECT_EQ(copy.compare(clone), 1);
    delete clone;
    EXPECT_EQ(copy.pPointList(listOf(kArrow, &deaths)), 1);
    EXPECT_EQ(copy.pPointList(const_cast<KtPointDList*>(copy.pPointList())), 1);  // kept
    EXPECT_EQ(deaths, 0);
    copy = triangle;
    EXPECT_EQ(deaths, 4);
    // Fewer than 3 points, and null, leave a rectangle without a list.
    EXPECT_EQ(copy.pPointList(listOf({{0, 0}, {1, 1}}, &deaths)), 0);
    EXPECT_EQ(deaths, 4 + 2);
    EXPECT_EQ(copy.pPointList(), nullptr);
    EXPECT_EQ(copy.shapeType(), KT_SHAPE_RECTANGLE);
    KtShape ellipse(KT_SHAPE_ELLIPSE);
    EXPECT_EQ(ellipse.pPointList(nullptr), 0);
    EXPECT_EQ(ellipse.shapeType(), KT_SHAPE_RECTANGLE);

    // Added one by one: non-convex until three points make a triangle, then no longer.
    KtShape built;
    KtShapeProbe::addPoint(built, 0, 1000);
    KtShapeProbe::addPoint(built, 1000, -1000);
    EXPECT_EQ(built.shapeType(), KT_SHAPE_NONCONVEX_POLYGON);
    KtShapeProbe::addPoint(built, -1000, -1000);
    EXPECT_EQ(built.compare(&triangle), 1);
    KtShapeProbe::addPoint(built, 0, 0);
    EXPECT_EQ(built.shapeType(), KT_SHAPE_NONCONVEX_POLYGON);
  }
  EXPECT_EQ(deaths, 9);  // the triangle's own points

  // setShapeType drops the vertices: a polygon kind without them is an empty outline.
  KtShape empty(listOf(kTriangle, &deaths));
  empty.setShapeType(KT_SHAPE_CONVEX_POLYGON);
  EXPECT_EQ(deaths, 12);
  std::int32_t x = 50, y = 0;
  EXPECT_EQ(empty.within(0, 0, 0, 0, 10, 10), 0);
  EXPECT_EQ(empty.intersectsSegment(x, y, 0, 0, 0, 0, 10, 10), 0);
  EXPECT_EQ(empty.maxAvailableDiagonalLengthAtShape(0, 0, 1, 0, 10, 10), 0);
  KtPoint p(3, 1);
  EXPECT_EQ(empty.nearestPoint(p, KtPoint(0, 0), KtSize(10, 10)), 0);
  EXPECT_EQ(p.x(), 5);  // the box's nearest point
  const KtShape alsoEmpty(KT_SHAPE_CONVEX_POLYGON);
  EXPECT_EQ(empty.compare(&alsoEmpty), 1);
  EXPECT_EQ(empty.compare(nullptr), 0);
}

// Odd sizes split the box unevenly; the random containment test below keeps to even ones.
TEST(KtShape, OutlinesAtOddAndEvenSizes) {
  const KtShape rect, ellipse(KT_SHAPE_ELLIPSE), triangle(listOf(kTriangle));
  // A 4 x 3 box spans x -2 .. 2 and y -1 .. 2.
  EXPECT_EQ(outlineOf(rect, 4, 3), picture(-2, 2, {"XXXXX", "X...X", "X...X", "XXXXX"}));
  EXPECT_EQ(withinOf(rect, 4, 3), picture(-2, 2, {"XXXXX", "XXXXX", "XXXXX", "XXXXX"}));
  // Ellipses: each row's outline lies at the rounded half-chord, within the shape even where
  // rounding puts it beyond the exact ellipse (rows +-1 of 6 x 4: 2.6 rounds to 3). Odd sizes
  // keep the ellipse centred on the centre: 2.5 either side across 5, 1.5 across 3.
  EXPECT_EQ(outlineOf(ellipse, 6, 4),
            picture(-3, 2, {"...X...", "X.....X", "X.....X", "X.....X", "...X..."}));
  EXPECT_EQ(withinOf(ellipse, 6, 4),
            picture(-3, 2, {"...X...", "XXXXXXX", "XXXXXXX", "XXXXXXX", "...X..."}));
  EXPECT_EQ(outlineOf(ellipse, 5, 3), picture(-3, 1, {".X...X.", "X.....X", ".X...X."}));
  EXPECT_EQ(withinOf(ellipse, 5, 3), picture(-3, 1, {".XXXXX.", "XXXXXXX", ".XXXXX."}));
  EXPECT_EQ(withinOf(ellipse, 4, 0), picture(-2, 0, {"XXXXX"}));
  EXPECT_EQ(ellipse.withinInterior(30, 15, 0, 0, 100, 50), 1);
  EXPECT_EQ(ellipse.within(40, 20, 0, 0, 100, 50), 0);
  // The triangle maps to (0, 2), (2, -2), (-2, -2) at 4 x 4; across 5 the upper half is the
  // larger one: (0, 3), (3, -2), (-2, -2).
  EXPECT_EQ(outlineOf(triangle, 4, 4),
            picture(-2, 2, {"..X..", ".....", ".X.X.", ".....", "XXXXX"}));
  EXPECT_EQ(outlineOf(triangle, 5, 5),
            picture(-2, 3, {"..X...", "..XX..", ".X.X..", ".X..X.", "X...X.", "XXXXXX"}));
  // +-500 across 11 x 7: trunc(-2.5) = -2 and trunc(3) = 3; trunc(-1.5) = -1 and 2.
  const KtShape square(listOf({{-500, -500}, {-500, 500}, {500, 500}, {500, -500}}));
  EXPECT_EQ(withinOf(square, 11, 7),
            gridWhere([](int x, int y) { return -2 <= x && x <= 3 && -1 <= y && y <= 2; }));
}

// The exact figure on integers: on an edge when in its box at a squared distance below 0.2 from
// its line; inside by the even-odd rule.
struct PolygonModel {
  std::vector<std::pair<std::int64_t, std::int64_t>> v;
  template <class Visit>
  void edges(Visit visit) const {
    for (std::size_t i = 0; i < v.size(); ++i) visit(v[i], v[(i + 1) % v.size()]);
  }
  bool onEdge(std::int64_t x, std::int64_t y) const {
    bool on = false;
    edges([&](auto a, auto b) {
      const std::int64_t dx = b.first - a.first, dy = b.second - a.second;
      const std::int64_t cross = (y - a.second) * dx - (x - a.first) * dy;
      on = on || (std::min(a.first, b.first) <= x && x <= std::max(a.first, b.first) &&
                  std::min(a.second, b.second) <= y && y <= std::max(a.second, b.second) &&
                  5 * cross * cross < dx * dx + dy * dy);
    });
    return on;
  }
  bool inside(std::int64_t x, std::int64_t y) const {
    bool odd = false;
    edges([&](auto a, auto b) {
      const std::int64_t dy = b.second - a.second;
      const std::int64_t lhs = (x - a.first) * dy, rhs = (y - a.second) * (b.first - a.first);
      if ((a.second > y) != (b.second > y) && (dy > 0 ? lhs < rhs : lhs > rhs)) odd = !odd;
    });
    return odd;
  }
};

// Convex and non-convex shapes, turned and listed either way round. Vertices are multiples of
// 100 and sizes of 20, so that placing a shape on its node is an exact scaling.
Vertices randomPolygon(std::mt19937& random) {
  static const std::vector<Vertices> shapes = {
      kTriangle,
      kArrow,
      {{0, 1000}, {1000, 0}, {0, -1000}, {-1000, 0}},
      {{-300, 1000}, {300, 1000}, {1000, -1000}, {-1000, -1000}},
      {{-1000, 300}, {-300, 1000}, {700, 600}, {1000, -200}, {0, -1000}, {-900, -600}},
      {{-1000, -1000}, {-1000, 1000}, {-300, 1000}, {-300, -300}, {1000, -300}, {1000, -1000}},
      {{0, 1000},
       {300, 300},
       {1000, 200},
       {400, -200},
       {600, -1000},
       {0, -500},
       {-600, -1000},
       {-400, -200},
       {-1000, 200},
       {-300, 300}}};
  Vertices vertices = shapes[random() % shapes.size()];
  for (unsigned turns = random() % 4; turns > 0; --turns)
    for (auto& v : vertices) v = {-v.second, v.first};
  if (random() % 2) std::reverse(vertices.begin(), vertices.end());
  return vertices;
}

PolygonModel modelOf(const Vertices& vertices, int cx, int cy, int w, int h) {
  PolygonModel model;
  for (const auto& v : vertices)
    model.v.emplace_back(cx + v.first * w / 2000, cy + v.second * h / 2000);
  return model;
}

TEST(KtShapeDifferential, PolygonContainmentMatchesTheExactFigureOnAGrid) {
  std::mt19937 random(18);
  for (int round = 0; round < 200; ++round) {
    const Vertices vertices = randomPolygon(random);
    const KtShape shape(listOf(vertices));
    const int w = 20 * static_cast<int>(1 + random() % 4);
    const int h = 20 * static_cast<int>(1 + random() % 4);
    const int cx = static_cast<int>(random() % 101) - 50;
    const int cy = static_cast<int>(random() % 101) - 50;
    const PolygonModel model = modelOf(vertices, cx, cy, w, h);
    for (int x = cx - w / 2 - 2; x <= cx + w / 2 + 2; ++x)
      for (int y = cy - h / 2 - 2; y <= cy + h / 2 + 2; ++y) {
        const bool on = model.onEdge(x, y), in = on || model.inside(x, y);
        ASSERT_EQ(shape.onBoundary(x, y, cx, cy, w, h), on) << round << ": " << x << "," << y;
        ASSERT_EQ(shape.within(x, y, cx, cy, w, h), in) << round << ": " << x << "," << y;
        ASSERT_EQ(shape.withinInterior(x, y, cx, cy, w, h), in && !on);
      }
  }
}

TEST(KtShape, RotatesByQuarterTurnsAndBack) {
  KtShape shape(listOf(kArrow));
  const KtShape original(shape);
  shape.rotate(90);
  EXPECT_EQ(verticesOf(shape), (Vertices{{-1000, -1000}, {0, 1000}, {1000, -1000}, {0, 0}}));
  for (int x = -30; x <= 30; x += 3)
    for (int y = -30; y <= 30; y += 3)
      ASSERT_EQ(shape.within(-y, x, 0, 0, 60, 60), original.within(x, y, 0, 0, 60, 60));
  shape.rotate(180);
  EXPECT_EQ(verticesOf(shape), (Vertices{{1000, 1000}, {0, -1000}, {-1000, 1000}, {0, 0}}));
  shape.rotate(45);
  shape.rotate(-90);
  shape.rotate(90);
  EXPECT_EQ(verticesOf(shape), kArrow);
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  KtShape extreme(listOf({{kMin, 0}, {0, 5}, {5, 0}}));
  extreme.rotate(180);
  EXPECT_EQ(verticesOf(extreme).front(), std::make_pair(kMin, 0));  // -kMin wraps to itself
}

// The last point where the segment meets the outline, exactly (long double for the ellipse),
// or none. `clear` is false when a vertex lies within a unit of the segment or an end within a
// unit of the outline, where the outline's tolerance may decide either way.
struct Crossing {
  bool found = false;
  bool clear = true;
  long double x = 0, y = 0;
};

long double distanceSquare(long double px, long double py, long double ax, long double ay,
                           long double bx, long double by) {
  const long double ex = bx - ax, ey = by - ay;
  const long double t =
      std::clamp(((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey), 0.0L, 1.0L);
  return (ax + t * ex - px) * (ax + t * ex - px) + (ay + t * ey - py) * (ay + t * ey - py);
}

Crossing lastCrossing(const PolygonModel& m, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                      std::int64_t y2) {
  Crossing c;
  long double best = -1;
  m.edges([&](auto a, auto b) {
    c.clear = c.clear && distanceSquare(a.first, a.second, x1, y1, x2, y2) >= 1 &&
              distanceSquare(x1, y1, a.first, a.second, b.first, b.second) >= 1 &&
              distanceSquare(x2, y2, a.first, a.second, b.first, b.second) >= 1;
    const std::int64_t ex = b.first - a.first, ey = b.second - a.second;
    const std::int64_t d = (x2 - x1) * ey - (y2 - y1) * ex;
    if (d == 0) return;
    const long double t = static_cast<long double>((a.first - x1) * ey - (a.second - y1) * ex) / d;
    const long double u =
        static_cast<long double>((a.first - x1) * (y2 - y1) - (a.second - y1) * (x2 - x1)) / d;
    if (t < 0 || t > 1 || u < 0 || u > 1 || t <= best) return;
    best = t;
    c = Crossing{true, c.clear, x1 + t * (x2 - x1), y1 + t * (y2 - y1)};
  });
  return c;
}

Crossing lastEllipseCrossing(int x1, int y1, int x2, int y2, int cx, int cy, int w, int h) {
  // (x - cx)^2 / rx^2 + (y - cy)^2 / ry^2 = 1 at (x1, y1) + t * (dx, dy).
  const long double rx = w / 2.0L, ry = h / 2.0L, dx = x2 - x1, dy = y2 - y1;
  const auto value = [&](long double x, long double y) {
    return (x - cx) * (x - cx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry) - 1;
  };
  const long double qa = dx * dx / (rx * rx) + dy * dy / (ry * ry);
  const long double qb = 2 * ((x1 - cx) * dx / (rx * rx) + (y1 - cy) * dy / (ry * ry));
  const long double disc = qb * qb - 4 * qa * value(x1, y1);
  Crossing c;
  c.clear = qa > 0 && std::fabs(value(x1, y1)) > 0.05L && std::fabs(value(x2, y2)) > 0.05L &&
            std::fabs(disc) > 0.05L * qa;
  for (const long double sign : {-1.0L, 1.0L}) {
    const long double t = (-qb + sign * std::sqrt(std::max(0.0L, disc))) / (2 * qa);
    if (disc >= 0 && t >= 0 && t <= 1) c = Crossing{true, c.clear, x1 + t * dx, y1 + t * dy};
  }
  return c;
}

TEST(KtShape, SegmentsEndAtTheOutline) {
  // In through the left side at y = -9.3, out through the bottom at x = -7.67; the entry is not
  // rounded on the way (to (-10, -9), which would tilt the exit to x = -6.7).
  KtPoint a(-41, 0);
  EXPECT_EQ(KtShape().intersectsSegment(a, KtPoint(59, -30), KtPoint(0, 0), KtSize(20, 20)), 1);
  EXPECT_EQ(std::make_pair(a.x(), a.y()), std::make_pair(-8, -10));
  // A zero-length segment changes nothing; a flat ellipse is crossed on its line.
  const KtShape ellipse(KT_SHAPE_ELLIPSE);
  a.set(-100, 80);
  EXPECT_EQ(ellipse.intersectsSegment(a, a, KtPoint(-100, 80), KtSize(10, 10)), 0);
  EXPECT_EQ(a.x(), -100);
  a.set(0, 10);
  EXPECT_EQ(ellipse.intersectsSegment(a, KtPoint(0, -10), KtPoint(), KtSize(20, 0)), 1);
  EXPECT_EQ(a.y(), 0);

  // Random segments across random shapes: the exact last crossing, rounded half up.
  std::mt19937 random(1804);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    const int kind = static_cast<int>(random() % 3);
    const Vertices vertices = kind == 2 ? randomPolygon(random) : kBox;  // the box's own outline
    const KtShape shape = kind == 1   ? KtShape(KT_SHAPE_ELLIPSE)
                          : kind == 2 ? KtShape(listOf(vertices))
                                      : KtShape();
    const int w = 20 * static_cast<int>(1 + random() % 6),
              h = 20 * static_cast<int>(1 + random() % 6);
    const int cx = static_cast<int>(random() % 41) - 20, cy = static_cast<int>(random() % 41) - 20;
    int ends[4];
    for (int& end : ends) end = static_cast<int>(random() % 301) - 150;
    const Crossing c =
        kind == 1
            ? lastEllipseCrossing(ends[0], ends[1], ends[2], ends[3], cx, cy, w, h)
            : lastCrossing(modelOf(vertices, cx, cy, w, h), ends[0], ends[1], ends[2], ends[3]);
    if (!c.clear) continue;
    ++compared;
    std::int32_t x = ends[0], y = ends[1];
    ASSERT_EQ(shape.intersectsSegment(x, y, ends[2], ends[3], cx, cy, w, h), c.found) << round;
    if (!c.found) {
      ASSERT_EQ(std::make_pair(x, y), std::make_pair(ends[0], ends[1]));
    } else {
      ASSERT_LE(std::fabs(x - c.x), 0.5 + 1e-9) << round << " kind " << kind;
      ASSERT_LE(std::fabs(y - c.y), 0.5 + 1e-9) << round << " kind " << kind;
    }
  }
  EXPECT_GT(compared, 2000);
}

TEST(KtShape, NearestPointsLieOnTheOutline) {
  const KtShape rect, ellipse(KT_SHAPE_ELLIPSE), triangle(listOf(kTriangle));
  const KtPoint origin;
  const KtSize size(100, 50);
  const auto nearest = [&](const KtShape& shape, int x, int y) {
    KtPoint p(x, y);
    EXPECT_EQ(shape.nearestPoint(p, origin, size), 1);
    return std::make_pair(p.x(), p.y());
  };
  EXPECT_EQ(nearest(ellipse, 0, 0), std::make_pair(0, -25));  // towards the bottom first
  EXPECT_EQ(nearest(ellipse, 200, 0), std::make_pair(50, 0));
  EXPECT_EQ(nearest(rect, 30, 200), std::make_pair(30, 25));
  KtPoint p;
  // From anywhere, a success ends within a unit of the outline: the point's neighbourhood has
  // points inside and outside.
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) {
    const int x = static_cast<int>(random() % 201) - 100;
    p.set(x, static_cast<int>(random() % 201) - 100);
    const KtShape& shape = i % 2 ? ellipse : triangle;
    if (!shape.nearestPoint(p, origin, size)) continue;
    int inside = 0;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        inside += shape.within(p.x() + dx, p.y() + dy, 0, 0, 100, 50);
    ASSERT_TRUE(inside > 0 && inside < 9) << p.x() << "," << p.y();
  }
}

TEST(KtShape, TextRectangleFitsItsBox) {
  KtShape shape;
  KtRect r;
  shape.getCurrentInnerRect(r, KtPoint(3, 4), KtSize(11, 7));
  EXPECT_EQ(edgesOf(r), (Edges{-2, 8, 9, 1}));  // the box itself
  shape.setInnerRect(KtRect(-2000, 500, 3000, -500));
  shape.setInnerRect(KtRect(-5, 100, -5, -100));  // zero width: refused
  shape.getInnerRect(r);
  EXPECT_EQ(edgesOf(r), (Edges{-1000, 500, 1000, -500}));

  // The box found for a text rectangle gives that text rectangle back.
  std::mt19937 random(31);
  for (int i = 0; i < 5000; ++i) {
    int v[8];
    for (int& one : v) one = static_cast<int>(random() % 2001) - 1000;
    if (v[0] == v[1] || v[2] == v[3]) continue;
    shape.setInnerRect(KtRect(v[0], v[2], v[1], v[3]));
    const KtRect inner(v[4] / 5, v[5] / 5, v[6] / 5, v[7] / 5);
    KtRect box, back;
    shape.fitBoundingRectToInnerRect(box, inner);
    shape.getCurrentInnerRect(back, box.center(), box.size());
    ASSERT_EQ(edgesOf(back), edgesOf(inner)) << v[0] << " " << v[1] << " " << v[2] << " " << v[3];
  }
  // Equal borders leave no extent to scale: the box takes the text rectangle's own.
  KtShapeProbe::borders(shape, 200, 200);
  shape.setInnerRect(KtRect(0, 1000, 0, 0));  // refused, borders stay
  shape.fitBoundingRectToInnerRect(r, KtRect(10, 30, 40, 20));
  EXPECT_EQ(r.left(), 10);
  EXPECT_EQ(r.right(), 40);
}

TEST(KtShape, WidthsAndAnglesAreNumbers) {
  const KtShape rect, ellipse(KT_SHAPE_ELLIPSE);
  const KtShape diamond(listOf({{0, 1000}, {1000, 0}, {0, -1000}, {-1000, 0}}));
  EXPECT_DOUBLE_EQ(rect.maxAvailableDiagonalLengthAtShape(0, 0, 5, 0, 100, 50), 50);
  EXPECT_DOUBLE_EQ(rect.maxAvailableDiagonalLengthAtShape(0, 0, 1, 1, 100, 50), 150 / std::sqrt(2));
  EXPECT_DOUBLE_EQ(ellipse.maxAvailableDiagonalLengthAtShape(0, 0, 0, -1, 100, 50), 100);
  EXPECT_DOUBLE_EQ(
      diamond.maxAvailableDiagonalLengthAtShape(KtPoint(0, 0), KtPoint(1, 1), KtSize(100, 100)),
      50 * std::sqrt(2));
  EXPECT_EQ(rect.maxAvailableDiagonalLengthAtShape(7, 7, 7, 7, 100, 50), 0);  // no direction

  EXPECT_DOUBLE_EQ(KtShape::angleBetweenTwoLines(0, 0, 3, 1), kPi / 2);  // a zero vector
  EXPECT_DOUBLE_EQ(KtShape::angleBetweenTwoLines(1, 0, 1, 1), kPi / 4);
  // Squares beyond 32 bits, and cosines that round past 1, give angles.
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_NEAR(KtShape::angleBetweenTwoLines(kMin, kMin, kMin, kMin), 0, 1e-7);
  EXPECT_NEAR(KtShape::angleBetweenTwoLines(46341, 46341, -1, 1), kPi / 2, 1e-12);
  std::mt19937 random(5);
  for (int i = 0; i < 10000; ++i) {
    const std::int32_t x = static_cast<std::int32_t>(random()) / 7;
    const std::int32_t y = static_cast<std::int32_t>(random()) / 7;
    const int k = static_cast<int>(random() % 7) + 1;
    ASSERT_LT(KtShape::angleBetweenTwoLines(x * k, y * k, x, y), 1e-7);
    ASSERT_GT(KtShape::angleBetweenTwoLines(x * k, y * k, -x, -y), kPi - 1e-7);
  }
}

}  // namespace
