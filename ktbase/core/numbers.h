// Boxed numbers: a 32-bit int, a 32-bit long and a double wrapped as KtObjects so that they can
// be held in the containers. Each holds one value, zero by default; both copy flags copy it.
// They offer no comparison, arithmetic or text form.
#ifndef KTBASE_CORE_NUMBERS_H
#define KTBASE_CORE_NUMBERS_H

#include <cstdint>

#include "ktbase/core/object.h"

class KtInt : public KtObject {
  KT_OBJECT(KtInt, KtObject)

 public:
  KtInt(int value = 0) : value_(value) {}
  ~KtInt() override;

  // value() reads the number; value(v) stores v and returns it.
  int value() const { return value_; }
  int value(int newValue) { return value_ = newValue; }

 protected:
  void init() { value_ = 0; }

 private:
  int value_;
};

class KtLong : public KtObject {
  KT_OBJECT(KtLong, KtObject)

 public:
  KtLong(std::int32_t value = 0) : value_(value) {}
  ~KtLong() override;

  // value() reads the number; value(v) stores v and returns it.
  std::int32_t value() const { return value_; }
  std::int32_t value(std::int32_t newValue) { return value_ = newValue; }

 protected:
  void init() { value_ = 0; }

 private:
  std::int32_t value_;
};

class KtDouble : public KtObject {
  KT_OBJECT(KtDouble, KtObject)

 public:
  KtDouble(double value = 0.0) : value_(value) {}
  ~KtDouble() override;

  // value() reads the number; value(v) stores v and returns it.
  double value() const { return value_; }
  double value(double newValue) { return value_ = newValue; }

 protected:
  void init() { value_ = 0.0; }

 private:
  double value_;
};

#endif  // KTBASE_CORE_NUMBERS_H
