#include "ktbase/geometry/tuple.h"

// ---- KtTuple ----------------------------------------------------------------------------------

KtTuple::KtTuple(const KtDTuple& source) : KtObject() { *this = source; }

KtTuple::~KtTuple() {}

void KtTuple::KtTupledeepCopy(const KtTuple& source) { KtTupleattributeCopy(source); }

void KtTuple::KtTupleattributeCopy(const KtTuple& source) {
  KtObjectattributeCopy(source);
  point_ = source.point_;
}

const KtTuple& KtTuple::operator=(const KtDTuple& source) {
  set(ktRoundHalfUp(source.x()), ktRoundHalfUp(source.y()));
  return *this;
}

void KtTuple::scale(double f) { set(ktRoundHalfUp(x() * f), ktRoundHalfUp(y() * f)); }

std::int32_t KtTuple::normSquare() const { return innerProduct(*this); }

std::int32_t KtTuple::norm() const {
  const double dx = x();
  const double dy = y();
  return ktTruncate(std::sqrt(dx * dx + dy * dy));
}

std::int32_t KtTuple::product() const { return ktMul32(x(), y()); }

std::int32_t KtTuple::innerProduct(const KtTuple& other) const {
  return ktAdd32(ktMul32(x(), other.x()), ktMul32(y(), other.y()));
}

void KtTuple::debugOutput(int level) {
  char name[] = "Tuple";
  internalDebugOutput(level, name);
}

void KtTuple::internalDebugOutput(int, char*) {}

// ---- KtDTuple ---------------------------------------------------------------------------------

KtDTuple::~KtDTuple() {}

void KtDTuple::KtDTupledeepCopy(const KtDTuple& source) { KtDTupleattributeCopy(source); }

void KtDTuple::KtDTupleattributeCopy(const KtDTuple& source) {
  KtObjectattributeCopy(source);
  set(source.x_, source.y_);
}

void KtDTuple::debugOutput(int level) {
  char name[] = "DTuple";
  internalDebugOutput(level, name);
}

void KtDTuple::internalDebugOutput(int, char*) {}

// ---- KtSize -----------------------------------------------------------------------------------

KtSize::~KtSize() {}

void KtSize::KtSizedeepCopy(const KtSize& source) { KtSizeattributeCopy(source); }

void KtSize::KtSizeattributeCopy(const KtSize& source) { KtTuple::copyAttributes(&source); }

void KtSize::debugOutput(int level) {
  char name[] = "Size";
  internalDebugOutput(level, name);
}

std::int32_t KtSize::sizeOf() const { return sizeof(KtSize); }

// ---- KtPerMil ---------------------------------------------------------------------------------

KtPerMil::~KtPerMil() {}

void KtPerMil::KtPerMildeepCopy(const KtPerMil& source) { KtPerMilattributeCopy(source); }

void KtPerMil::KtPerMilattributeCopy(const KtPerMil& source) {
  KtObjectattributeCopy(source);
  resize(source.x_, source.y_);
}

std::int32_t KtPerMil::sizeOf() const { return sizeof(KtPerMil); }

// ---- KtSpacing --------------------------------------------------------------------------------

std::int32_t KtSpacing::calculateOuterSize(const KtSpacing& a, const KtSpacing& b,
                                           std::int32_t inner) {
  // 64 bits throughout: (T - 1) * 1000 alone leaves 32 bits once T passes two million.
  const std::int64_t target = static_cast<std::int64_t>(a.constant_) + b.constant_ + inner;
  if (target < 1) return 0;
  const std::int64_t pa = a.proportional_;
  const std::int64_t pb = b.proportional_;
  const std::int64_t divisor = 1000 - pa - pb;
  if (divisor <= 0) return 0;
  auto innerOf = [pa, pb](std::int64_t m) { return m - m * pa / 1000 - m * pb / 1000; };

  const std::int64_t q1 = (target - 2) * 1000 / divisor;
  const std::int64_t q2 = (target - 1) * 1000 / divisor;
  std::int64_t upper = 2 * q2 - q1 + 1;
  std::int64_t lower = 3 * q1 - 2 * q2 + 1;
  // Every step either narrows [lower, upper] or stops, so the loop ends even when the inner part
  // skips over the target between two neighbouring lengths.
  for (;;) {
    const std::int64_t m = (lower + upper) / 2;
    const std::int64_t innerPart = innerOf(m);
    if (innerPart == target) return ktWrap32(m);
    if (innerPart > target) {
      if (upper == m) break;
      upper = m;
    } else {
      if (lower == m) break;
      lower = m;
    }
  }
  // No length in the bracket gives the target exactly. The inner part grows without bound (by
  // divisor / 1000 a step on average), so this walk is short and ends.
  while (innerOf(upper) < target) ++upper;
  return ktWrap32(upper);
}
