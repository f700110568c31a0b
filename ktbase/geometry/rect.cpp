#include "ktbase/geometry/rect.h"

#include <algorithm>
#include <cmath>

// Both representations answer the edge-based operations through the same code, so that they
// cannot drift apart.
namespace {

struct Edges {
  std::int32_t left;
  std::int32_t bottom;
  std::int32_t right;
  std::int32_t top;
};

template <class R>
Edges edgesOf(const R& rect) {
  return Edges{rect.left(), rect.bottom(), rect.right(), rect.top()};
}

Edges edgesOf(const KtPoint& point) { return Edges{point.x(), point.y(), point.x(), point.y()}; }

bool inXRange(const Edges& e, std::int32_t x) { return e.left <= x && x <= e.right; }
bool inYRange(const Edges& e, std::int32_t y) { return e.bottom <= y && y <= e.top; }
bool inInteriorXRange(const Edges& e, std::int32_t x) { return e.left < x && x < e.right; }
bool inInteriorYRange(const Edges& e, std::int32_t y) { return e.bottom < y && y < e.top; }

bool onBoundary(const Edges& e, const KtPoint& p) {
  return (inXRange(e, p.x()) && (p.y() == e.top || p.y() == e.bottom)) ||
         (inYRange(e, p.y()) && (p.x() == e.left || p.x() == e.right));
}

bool enclosesXRange(const Edges& e, const Edges& r) {
  return e.left <= r.left && r.right <= e.right;
}
bool enclosesYRange(const Edges& e, const Edges& r) {
  return e.bottom <= r.bottom && r.top <= e.top;
}
bool intersectsXRange(const Edges& e, const Edges& r) {
  return r.right >= e.left && e.right >= r.left;
}
bool intersectsYRange(const Edges& e, const Edges& r) {
  return r.top >= e.bottom && e.top >= r.bottom;
}
bool intersects(const Edges& e, const Edges& r) {
  return intersectsXRange(e, r) && intersectsYRange(e, r);
}

bool containsBoth(const Edges& e, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                  std::int32_t y2) {
  return inXRange(e, x1) && inYRange(e, y1) && inXRange(e, x2) && inYRange(e, y2);
}

std::int32_t sideCoordinate(const Edges& e, KtSideEnum side) {
  switch (side) {
    case KT_SIDE_RIGHT:
      return e.right;
    case KT_SIDE_TOP:
      return e.top;
    case KT_SIDE_LEFT:
      return e.left;
    case KT_SIDE_BOTTOM:
      return e.bottom;
  }
  return 0;
}

std::int32_t diagonal(std::int32_t width, std::int32_t height) {
  const double w = width;
  const double h = height;
  return ktTruncate(std::sqrt(w * w + h * h));
}

template <class R>
void intersectWith(R& rect, const Edges& other) {
  const Edges e = edgesOf(rect);
  if (intersects(e, other))
    rect.setCorners(std::max(e.left, other.left), std::max(e.bottom, other.bottom),
                    std::min(e.right, other.right), std::min(e.top, other.top));
  else
    rect.setZero();
}

template <class R>
void stretchOver(R& rect, const Edges& other) {
  const Edges e = edgesOf(rect);
  rect.setCorners(std::min(e.left, other.left), std::min(e.bottom, other.bottom),
                  std::max(e.right, other.right), std::max(e.top, other.top));
}

template <class R>
int growToTake(R& rect, const Edges& other) {
  const Edges before = edgesOf(rect);
  if (other.left < rect.left()) rect.setLeftRight(other.left, rect.right());
  if (other.right > rect.right()) rect.setLeftRight(rect.left(), other.right);
  if (other.bottom < rect.bottom()) rect.setBottomTop(other.bottom, rect.top());
  if (other.top > rect.top()) rect.setBottomTop(rect.bottom(), other.top);
  const Edges after = edgesOf(rect);
  return before.left != after.left || before.right != after.right ||
         before.bottom != after.bottom || before.top != after.top;
}

// The part of `extent` on the side of the centre that `value` points to: above (or at) the centre
// for value >= 0, below it otherwise.
std::int64_t halfTowards(std::int32_t value, std::int32_t extent) {
  return value >= 0 ? (static_cast<std::int64_t>(extent) + 1) / 2 : extent / 2;
}

std::int16_t perMilOf(std::int32_t offset, std::int32_t extent) {
  const std::int64_t half = halfTowards(offset, extent);
  if (half == 0) return 500;
  return static_cast<std::int16_t>(static_cast<std::int64_t>(offset) * 1000 / half);
}

std::int32_t offsetOf(std::int32_t perMil, std::int32_t extent) {
  return ktWrap32(perMil * halfTowards(perMil, extent) / 1000);
}

// The centre-and-extent form of the span low .. high.
void setSpan(std::int32_t low, std::int32_t high, std::int32_t& center, std::int32_t& extent) {
  extent = ktSub32(high, low);
  center = ktAdd32(low, extent / 2);
}

}  // namespace

// ---- KtRect -----------------------------------------------------------------------------------

KtRect::KtRect(const KtPoint& center, std::int32_t width, std::int32_t height) {
  placeX(center.x(), width >= 0 ? width : 0);
  placeY(center.y(), height >= 0 ? height : 0);
}

KtRect::KtRect(const tagRECT* rect) {
  init();
  if (rect != nullptr) set(rect->left, rect->top, rect->right, rect->bottom);
}

KtRect::KtRect(const KtInternalRect& rect) { *this = rect; }

KtRect::~KtRect() {}

void KtRect::KtRectdeepCopy(const KtRect& source) { KtRectattributeCopy(source); }

void KtRect::KtRectattributeCopy(const KtRect& source) {
  KtObjectattributeCopy(source);
  rect_ = source.rect_;
}

const KtRect& KtRect::operator=(const KtInternalRect& rect) {
  rect_ = tagRECT{rect.left(), rect.top(), rect.right(), rect.bottom()};
  return *this;
}

void KtRect::setCorners(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  rect_ = tagRECT{std::min(x1, x2), std::max(y1, y2), std::max(x1, x2), std::min(y1, y2)};
}

void KtRect::setLeftRight(std::int32_t left, std::int32_t right) {
  if (left > right) return;
  rect_.left = left;
  rect_.right = right;
}

void KtRect::setBottomTop(std::int32_t bottom, std::int32_t top) {
  if (bottom > top) return;
  rect_.bottom = bottom;
  rect_.top = top;
}

std::int32_t KtRect::width(std::int32_t value) {
  if (value >= 0) placeX(x(), value);
  return width();
}

std::int32_t KtRect::height(std::int32_t value) {
  if (value >= 0) placeY(y(), value);
  return height();
}

KtPoint KtRect::center(const KtPoint& point) {
  placeX(point.x(), width());
  placeY(point.y(), height());
  return point;
}

KtSize KtRect::size(const KtSize& size) {
  resize(size.x(), size.y());
  return size;
}

std::int32_t KtRect::sideCoordinate(KtSideEnum side) const {
  return ::sideCoordinate(edgesOf(*this), side);
}

std::int32_t KtRect::area() const { return ktMul32(width(), height()); }

std::int32_t KtRect::diagonal() const { return ::diagonal(width(), height()); }

void KtRect::move(std::int32_t dx, std::int32_t dy) {
  rect_ = tagRECT{ktAdd32(rect_.left, dx), ktAdd32(rect_.top, dy), ktAdd32(rect_.right, dx),
                  ktAdd32(rect_.bottom, dy)};
}

void KtRect::resize(std::int32_t width, std::int32_t height) {
  if (width >= 0) placeX(x(), width);
  if (height >= 0) placeY(y(), height);
}

void KtRect::scale(std::int32_t k) { resize(ktMul32(width(), k), ktMul32(height(), k)); }

void KtRect::scale(double f) { resize(ktTruncate(width() * f), ktTruncate(height() * f)); }

KtRect& KtRect::inflate(std::int32_t dx, std::int32_t dy) {
  const std::int32_t newWidth = ktAdd32(width(), ktMul32(2, dx));
  const std::int32_t newHeight = ktAdd32(height(), ktMul32(2, dy));
  if (newWidth >= 0 && newHeight >= 0) resize(newWidth, newHeight);
  return *this;
}

KtRect KtRect::inflatedBy(std::int32_t dx, std::int32_t dy) const {
  KtRect inflated(*this);
  inflated.inflate(dx, dy);
  return inflated;
}

int KtRect::withinXRange(const KtPoint& point) const { return inXRange(edgesOf(*this), point.x()); }
int KtRect::withinYRange(const KtPoint& point) const { return inYRange(edgesOf(*this), point.y()); }
int KtRect::within(const KtPoint& point) const {
  return withinXRange(point) && withinYRange(point);
}
int KtRect::withinInteriorXRange(const KtPoint& point) const {
  return inInteriorXRange(edgesOf(*this), point.x());
}
int KtRect::withinInteriorYRange(const KtPoint& point) const {
  return inInteriorYRange(edgesOf(*this), point.y());
}
int KtRect::withinInterior(const KtPoint& point) const {
  return withinInteriorXRange(point) && withinInteriorYRange(point);
}
int KtRect::onBoundary(const KtPoint& point) const { return ::onBoundary(edgesOf(*this), point); }
int KtRect::enclosesXRange(const KtRect& rect) const {
  return ::enclosesXRange(edgesOf(*this), edgesOf(rect));
}
int KtRect::enclosesYRange(const KtRect& rect) const {
  return ::enclosesYRange(edgesOf(*this), edgesOf(rect));
}
int KtRect::encloses(const KtRect& rect) const {
  return enclosesXRange(rect) && enclosesYRange(rect);
}
int KtRect::encloses(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
  return containsBoth(edgesOf(*this), x1, y1, x2, y2);
}
int KtRect::intersectsRectXRange(const KtRect& rect) const {
  return intersectsXRange(edgesOf(*this), edgesOf(rect));
}
int KtRect::intersectsRectYRange(const KtRect& rect) const {
  return intersectsYRange(edgesOf(*this), edgesOf(rect));
}
int KtRect::intersectsRect(const KtRect& rect) const {
  return intersects(edgesOf(*this), edgesOf(rect));
}

KtRect& KtRect::operator&=(const KtRect& rect) {
  intersectWith(*this, edgesOf(rect));
  return *this;
}

KtRect KtRect::calculateIntersection(const KtRect& rect) const {
  KtRect result(*this);
  result &= rect;
  return result;
}

KtRect& KtRect::operator|=(const KtRect& rect) {
  if (isZero())
    *this = rect;
  else if (!rect.isZero())
    stretchOver(*this, edgesOf(rect));
  return *this;
}

KtRect KtRect::calculateUnion(const KtRect& rect) const {
  KtRect result(*this);
  result |= rect;
  return result;
}

int KtRect::updateBounds(const KtRect* rect) {
  return rect != nullptr ? growToTake(*this, edgesOf(*rect)) : 0;
}
int KtRect::updateBounds(const KtInternalRect* rect) {
  return rect != nullptr ? growToTake(*this, edgesOf(*rect)) : 0;
}
int KtRect::updateBounds(const KtPoint* point) {
  return point != nullptr ? growToTake(*this, edgesOf(*point)) : 0;
}

KtSize* KtRect::setOffset(const KtPoint& point, KtSize& out) const {
  out.set(ktSub32(point.x(), x()), ktSub32(point.y(), y()));
  return &out;
}

KtPerMil* KtRect::setPerMil(const KtSize& offset, KtPerMil& out) const {
  out.resize(perMilOf(offset.x(), width()), perMilOf(offset.y(), height()));
  return &out;
}

KtPerMil* KtRect::setPerMil(const KtPoint& point, KtPerMil& out) const {
  KtSize offset;
  return setPerMil(*setOffset(point, offset), out);
}

KtSize* KtRect::setOffset(const KtPerMil& perMil, KtSize& out) const {
  out.set(offsetOf(perMil.x(), width()), offsetOf(perMil.y(), height()));
  return &out;
}

void KtRect::placeX(std::int32_t c, std::int32_t e) {
  rect_.left = ktSub32(c, e / 2);
  rect_.right = ktAdd32(rect_.left, e);
}

void KtRect::placeY(std::int32_t c, std::int32_t e) {
  rect_.bottom = ktSub32(c, e / 2);
  rect_.top = ktAdd32(rect_.bottom, e);
}

// ---- KtInternalRect ---------------------------------------------------------------------------

void KtInternalRect::setCorners(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) {
  setSpan(std::min(x1, x2), std::max(x1, x2), x_, width_);
  setSpan(std::min(y1, y2), std::max(y1, y2), y_, height_);
}

void KtInternalRect::setLeftRight(std::int32_t left, std::int32_t right) {
  if (left <= right) setSpan(left, right, x_, width_);
}

void KtInternalRect::setBottomTop(std::int32_t bottom, std::int32_t top) {
  if (bottom <= top) setSpan(bottom, top, y_, height_);
}

std::int32_t KtInternalRect::sideCoordinate(KtSideEnum side) const {
  return ::sideCoordinate(edgesOf(*this), side);
}

std::int32_t KtInternalRect::diagonal() const { return ::diagonal(width_, height_); }

int KtInternalRect::withinXRange(const KtPoint& point) const {
  return inXRange(edgesOf(*this), point.x());
}
int KtInternalRect::withinYRange(const KtPoint& point) const {
  return inYRange(edgesOf(*this), point.y());
}
int KtInternalRect::within(const KtPoint& point) const {
  return withinXRange(point) && withinYRange(point);
}
int KtInternalRect::withinInteriorXRange(const KtPoint& point) const {
  return inInteriorXRange(edgesOf(*this), point.x());
}
int KtInternalRect::withinInteriorYRange(const KtPoint& point) const {
  return inInteriorYRange(edgesOf(*this), point.y());
}
int KtInternalRect::withinInterior(const KtPoint& point) const {
  return withinInteriorXRange(point) && withinInteriorYRange(point);
}
int KtInternalRect::onBoundary(const KtPoint& point) const {
  return ::onBoundary(edgesOf(*this), point);
}
int KtInternalRect::enclosesXRange(const KtInternalRect& rect) const {
  return ::enclosesXRange(edgesOf(*this), edgesOf(rect));
}
int KtInternalRect::enclosesYRange(const KtInternalRect& rect) const {
  return ::enclosesYRange(edgesOf(*this), edgesOf(rect));
}
int KtInternalRect::encloses(const KtInternalRect& rect) const {
  return enclosesXRange(rect) && enclosesYRange(rect);
}
int KtInternalRect::encloses(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                             std::int32_t y2) const {
  return containsBoth(edgesOf(*this), x1, y1, x2, y2);
}
int KtInternalRect::intersectsRectXRange(const KtInternalRect& rect) const {
  return intersectsXRange(edgesOf(*this), edgesOf(rect));
}
int KtInternalRect::intersectsRectYRange(const KtInternalRect& rect) const {
  return intersectsYRange(edgesOf(*this), edgesOf(rect));
}
int KtInternalRect::intersectsRect(const KtInternalRect& rect) const {
  return intersects(edgesOf(*this), edgesOf(rect));
}

KtInternalRect& KtInternalRect::operator&=(const KtInternalRect& rect) {
  intersectWith(*this, edgesOf(rect));
  return *this;
}

KtInternalRect KtInternalRect::calculateIntersection(const KtInternalRect& rect) const {
  KtInternalRect result(*this);
  result &= rect;
  return result;
}

KtInternalRect& KtInternalRect::operator|=(const KtInternalRect& rect) {
  stretchOver(*this, edgesOf(rect));
  return *this;
}

KtInternalRect KtInternalRect::calculateUnion(const KtInternalRect& rect) const {
  KtInternalRect result(*this);
  result |= rect;
  return result;
}

int KtInternalRect::updateBounds(const KtRect* rect) {
  return rect != nullptr ? growToTake(*this, edgesOf(*rect)) : 0;
}
int KtInternalRect::updateBounds(const KtInternalRect* rect) {
  return rect != nullptr ? growToTake(*this, edgesOf(*rect)) : 0;
}
int KtInternalRect::updateBounds(const KtPoint* point) {
  return point != nullptr ? growToTake(*this, edgesOf(*point)) : 0;
}
