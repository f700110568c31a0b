// Coordinate values, from which all geometry is built: the integer pair KtTuple and its face
// KtSize (an extent; KtPoint, the position, is in point.h), the double pair KtDTuple, the per-mil
// pair KtPerMil and the two-part gap KtSpacing.
//
// Coordinates are signed 32-bit integers and the y axis points up. Integer results wrap modulo
// 2^32 and never trap or saturate; a size may be negative. Where only an intermediate step would
// leave 32 bits but the result fits (a mean, a half, a ratio), the exact result is returned. A
// double becomes a coordinate by rounding half up, floor(v + 0.5), then truncation to 32 bits
// (ktRoundHalfUp below).
//
// The KtObject-derived values follow the object protocol with one twist: both copy flags copy the
// coordinates, and copyObject runs the virtual copyAttributes, so a derived value that copies
// more overrides copyAttributes alone. A clone is a plain copy.
#ifndef KTBASE_GEOMETRY_TUPLE_H
#define KTBASE_GEOMETRY_TUPLE_H

#include <cmath>
#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/geometry/platform.h"

// Which coordinate an accessor reads: 0 the y coordinate (heights), any other value the x
// coordinate (widths). Only zero versus non-zero is tested.
enum KtOrientationEnum : int { KT_ORIENTATION_VERTICAL = 0, KT_ORIENTATION_HORIZONTAL = 1 };

// An axis direction, y up. Rectangle sides (KtSideEnum) share the numbers: a side is the
// direction in which one leaves the rectangle through it.
enum KtDirectionEnum : int {
  KT_DIRECTION_RIGHT = 0,  // towards +x
  KT_DIRECTION_UP = 1,     // towards +y
  KT_DIRECTION_LEFT = 2,   // towards -x
  KT_DIRECTION_DOWN = 3,   // towards -y
  KT_DIRECTION_NONE = 4    // the same point, or not axis-parallel
};

// ---- Coordinate arithmetic --------------------------------------------------------------------
// Signed overflow is undefined in C++, so wrapping results are computed in unsigned or 64-bit
// arithmetic and brought back to 32 bits.

// The low 32 bits of v as a signed value.
inline std::int32_t ktWrap32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}
inline std::int32_t ktAdd32(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t ktSub32(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t ktMul32(std::int32_t a, std::int32_t b) {
  return ktWrap32(static_cast<std::int64_t>(a) * b);
}

// Truncation toward zero to 32 bits, wrapping like the integer arithmetic. A value that no 64-bit
// integer holds (NaN, an infinity, a magnitude of 2^63 or more) becomes -2^31.
inline std::int32_t ktTruncate(double v) {
  if (!(v >= -0x1p63 && v < 0x1p63)) return static_cast<std::int32_t>(0x80000000u);
  return ktWrap32(static_cast<std::int64_t>(v));
}

// The library's double-to-coordinate rule: floor(v + 0.5), then ktTruncate. So 2.5 gives 3,
// -2.5 gives -2 and -0.5 gives 0.
inline std::int32_t ktRoundHalfUp(double v) { return ktTruncate(std::floor(v + 0.5)); }

// ---- The tuple family's protocol -------------------------------------------------------------
// As KT_OBJECT, except that copyObject runs the virtual copyAttributes (see above). The class
// defines the private pair CdeepCopy/CattributeCopy; the deep member calls the attribute one.
#define KT_TUPLE_COPY(C)                                                             \
 public:                                                                             \
  void copyObject(const KtObject* source) override { copyAttributes(source); }       \
  void copyAttributes(const KtObject* source) override {                             \
    if (source != nullptr && source != this) C##attributeCopy(*C::castDown(source)); \
  }                                                                                  \
                                                                                     \
 private:                                                                            \
  void C##deepCopy(const C& source);                                                 \
  void C##attributeCopy(const C& source);

#define KT_TUPLE_OBJECT(C, Base)      \
  KT_OBJECT_CAST(C)                   \
  KT_TUPLE_COPY(C)                    \
  KT_OBJECT_COPY_CONSTRUCTOR(C, Base) \
  KT_OBJECT_ASSIGN(C)                 \
  KT_OBJECT_CLONE(C)

class KtDTuple;
class KtSize;

// An integer pair (x, y), (0, 0) by default.
class KtTuple : public KtObject {
  KT_TUPLE_OBJECT(KtTuple, KtObject)

 public:
  KtTuple() { init(); }
  KtTuple(std::int32_t x, std::int32_t y) { set(x, y); }
  // Rounds each component half up.
  KtTuple(const KtDTuple& source);
  ~KtTuple() override;

  // Rounds each component half up.
  const KtTuple& operator=(const KtDTuple& source);

  // x() and y() read a component; x(v) and y(v) store v and return it.
  std::int32_t x() const { return point_.x; }
  std::int32_t y() const { return point_.y; }
  std::int32_t x(std::int32_t value) { return point_.x = value; }
  std::int32_t y(std::int32_t value) { return point_.y = value; }
  void set(std::int32_t x, std::int32_t y) {
    point_.x = x;
    point_.y = y;
  }
  void setZero() { init(); }
  int isZero() const { return point_.x == 0 && point_.y == 0; }

  void add(std::int32_t dx, std::int32_t dy) { set(ktAdd32(point_.x, dx), ktAdd32(point_.y, dy)); }
  KtTuple& operator+=(const KtTuple& other) {
    add(other.point_.x, other.point_.y);
    return *this;
  }
  KtTuple& operator-=(const KtTuple& other) {
    set(ktSub32(point_.x, other.point_.x), ktSub32(point_.y, other.point_.y));
    return *this;
  }
  void scale(std::int32_t k) { set(ktMul32(point_.x, k), ktMul32(point_.y, k)); }
  // Each component becomes floor(c * f + 0.5).
  void scale(double f);
  KtTuple& operator*=(double f) {
    scale(f);
    return *this;
  }

  // x*x + y*y, wrapping.
  std::int32_t normSquare() const;
  // The length sqrt(x*x + y*y), computed in double and truncated toward zero.
  std::int32_t norm() const;
  // x*y, wrapping.
  std::int32_t product() const;
  // x*x' + y*y', wrapping.
  std::int32_t innerProduct(const KtTuple& other) const;

  // Runs internalDebugOutput with the class name ("Tuple", "Point", "Size").
  void debugOutput(int level) override;
  // Slot 9: a hook for derived classes; prints nothing here.
  virtual void internalDebugOutput(int level, char* name);

 protected:
  void init() { set(0, 0); }

  // One pair of coordinates with two names, so that KtPoint can lend it out as a tagPOINT and
  // KtSize as a tagSIZE. The two records are layout-compatible; members use point_.
  union {
    tagPOINT point_;
    tagSIZE size_;
  };
};

// A pair of doubles, (0.0, 0.0) by default. Nothing rounds.
class KtDTuple : public KtObject {
  KT_TUPLE_OBJECT(KtDTuple, KtObject)

 public:
  KtDTuple() { init(); }
  KtDTuple(double x, double y) : x_(x), y_(y) {}
  KtDTuple(const KtTuple& source) : x_(source.x()), y_(source.y()) {}
  ~KtDTuple() override;

  const KtDTuple& operator=(const KtTuple& source) {
    set(source.x(), source.y());
    return *this;
  }

  // x() and y() read a component; x(v) and y(v) store v and return it.
  double x() const { return x_; }
  double y() const { return y_; }
  double x(double value) { return x_ = value; }
  double y(double value) { return y_ = value; }
  void set(double x, double y) {
    x_ = x;
    y_ = y;
  }
  void setZero() { init(); }
  // Returns 1 iff both components compare equal to 0.0.
  int isZero() const { return x_ == 0.0 && y_ == 0.0; }

  void add(double dx, double dy) { set(x_ + dx, y_ + dy); }
  KtDTuple& operator+=(const KtDTuple& other) {
    add(other.x_, other.y_);
    return *this;
  }
  KtDTuple& operator-=(const KtDTuple& other) {
    set(x_ - other.x_, y_ - other.y_);
    return *this;
  }
  void scale(double f) { set(x_ * f, y_ * f); }
  KtDTuple& operator*=(double f) {
    scale(f);
    return *this;
  }

  double normSquare() const { return x_ * x_ + y_ * y_; }
  double norm() const { return std::sqrt(normSquare()); }
  double product() const { return x_ * y_; }
  double innerProduct(const KtDTuple& other) const { return x_ * other.x_ + y_ * other.y_; }

  // Runs internalDebugOutput with "DTuple".
  void debugOutput(int level) override;
  // Slot 9: a hook for derived classes; prints nothing here.
  virtual void internalDebugOutput(int level, char* name);

 protected:
  void init() { set(0.0, 0.0); }

 private:
  double x_;
  double y_;
};

// An extent: width is x, height is y. Nothing keeps it non-negative.
class KtSize : public KtTuple {
  KT_TUPLE_OBJECT(KtSize, KtTuple)

 public:
  KtSize() {}
  KtSize(std::int32_t width, std::int32_t height) : KtTuple(width, height) {}
  KtSize(const tagSIZE& size) : KtTuple(size.cx, size.cy) {}
  ~KtSize() override;

  using KtTuple::operator=;

  // The two fields in place, as the platform's size record.
  operator tagSIZE&() { return size_; }
  operator const tagSIZE&() const { return size_; }

  // width() and height() read an extent; width(v) and height(v) store v, unchecked, and return
  // it.
  std::int32_t width() const { return x(); }
  std::int32_t height() const { return y(); }
  std::int32_t width(std::int32_t value) { return x(value); }
  std::int32_t height(std::int32_t value) { return y(value); }
  void resize(std::int32_t width, std::int32_t height) { set(width, height); }
  void resize(const KtSize& size) { set(size.x(), size.y()); }

  // width * height, wrapping.
  std::int32_t area() const { return product(); }
  // norm(): the length of the diagonal, truncated.
  std::int32_t diagonal() const { return norm(); }
  std::int32_t magnitude() const { return norm(); }

  // Runs internalDebugOutput with "Size".
  void debugOutput(int level) override;
  // Slot 10: sizeof(KtSize).
  virtual std::int32_t sizeOf() const;
};

// A position relative to the centre of a rectangle, in thousandths of the half-extent on the side
// it lies towards: -1000 is the left (bottom) edge, 0 the centre, 1000 the right (top) edge.
// Components are 16 bits; (0, 0) by default. KtRect converts between offsets and per-mils.
class KtPerMil : public KtObject {
  KT_TUPLE_OBJECT(KtPerMil, KtObject)

 public:
  KtPerMil() { init(); }
  KtPerMil(std::int16_t width, std::int16_t height) : x_(width), y_(height) {}
  ~KtPerMil() override;

  // x() (also width()) and y() (also height()) read a component; the one-argument forms store
  // the value and return it.
  std::int16_t x() const { return x_; }
  std::int16_t y() const { return y_; }
  std::int16_t width() const { return x_; }
  std::int16_t height() const { return y_; }
  std::int16_t x(std::int16_t value) { return x_ = value; }
  std::int16_t y(std::int16_t value) { return y_ = value; }
  std::int16_t width(std::int16_t value) { return x_ = value; }
  std::int16_t height(std::int16_t value) { return y_ = value; }
  void resize(std::int16_t width, std::int16_t height) {
    x_ = width;
    y_ = height;
  }
  // Keeps the low 16 bits of each component.
  void resize(const KtSize& size) {
    resize(static_cast<std::int16_t>(size.width()), static_cast<std::int16_t>(size.height()));
  }

  // Slot 9: sizeof(KtPerMil).
  virtual std::int32_t sizeOf() const;

 protected:
  void init() { resize(0, 0); }

 private:
  std::int16_t x_;
  std::int16_t y_;
};

// A gap made of a fixed length and a proportion (in thousandths) of a reference length. A plain
// value, not a KtObject; zero by default.
class KtSpacing {
 public:
  KtSpacing() : constant_(0), proportional_(0) {}
  KtSpacing(std::int32_t constant, std::int16_t proportional)
      : constant_(constant), proportional_(proportional) {}

  // constant() and proportional() read a part; the one-argument forms store the value and
  // return it.
  std::int32_t constant() const { return constant_; }
  std::int32_t constant(std::int32_t value) { return constant_ = value; }
  std::int16_t proportional() const { return proportional_; }
  std::int16_t proportional(std::int16_t value) { return proportional_ = value; }
  void copyObject(const KtSpacing& source) { *this = source; }

  // The gap for a reference length: proportional / 1000 * length + constant. The integer form
  // computes the same in double and truncates toward zero.
  double combined(double length) const { return proportional_ / 1000.0 * length + constant_; }
  std::int32_t combined(std::int32_t length) const {
    return ktTruncate(combined(static_cast<double>(length)));
  }

  // An outer length S that leaves exactly `inner` once a and b are taken off, each side's
  // proportional part being measured on S (integer parts truncated toward zero). Where several
  // lengths qualify, a bisection picks one, not always the smallest. Returns 0 when
  // a.constant + b.constant + inner < 1, and also when the proportional parts add up to 1000 or
  // more (no length then leaves a positive inner part). When truncation makes the inner part
  // step over `inner`, returns the first length at or above the end of the search whose inner
  // part exceeds it. Computed in 64 bits; only the returned length wraps to 32.
  static std::int32_t calculateOuterSize(const KtSpacing& a, const KtSpacing& b,
                                         std::int32_t inner);

 private:
  std::int32_t constant_;
  std::int16_t proportional_;
};

#endif  // KTBASE_GEOMETRY_TUPLE_H
