// KtOMLBinValue is an owned byte sequence: the value of a binary field in an OML file. It owns a
// buffer of maxLength bytes of which the first `length` are the value; the buffer never shrinks
// except when the value is emptied, which releases it. Bytes handed in may lie inside the
// value's own buffer. When memory runs out an operation that needs a larger buffer changes
// nothing.
#ifndef KTBASE_OML_OML_BIN_VALUE_H
#define KTBASE_OML_OML_BIN_VALUE_H

#include <cstdint>

#include "ktbase/core/object.h"

class KtOMLBinValue : public KtObject {
  KT_OBJECT(KtOMLBinValue, KtObject)

 public:
  // Empty, then fill(length, bytes).
  explicit KtOMLBinValue(std::int32_t length = 0, const char* bytes = nullptr);
  ~KtOMLBinValue() override;

  // n < 1 empties the value and releases the buffer. Otherwise the length becomes n (the buffer
  // grows to exactly n bytes when it is smaller) and, with `bytes`, n bytes are copied from it;
  // without, the first bytes keep their content and new ones are undefined.
  void fill(std::int32_t n, const char* bytes);
  // Appends the other's bytes (which may be this value's own).
  void concat(const KtOMLBinValue* other);

  std::int32_t length() const { return length_; }
  // fill(n, null); returns the new length.
  std::int32_t length(std::int32_t n);
  // The bytes; null when the buffer is released.
  const char* pByteSequence() const { return pByteSequence_; }
  // fill(length(), bytes); returns the buffer.
  const char* pByteSequence(const char* bytes);

 protected:
  void init() {
    length_ = 0;
    maxLength_ = 0;
    pByteSequence_ = nullptr;
  }

 private:
  std::int32_t maxLength() const { return maxLength_; }
  std::int32_t maxLength(std::int32_t n) { return maxLength_ = n; }
  void release();

  std::int32_t length_;
  std::int32_t maxLength_;
  char* pByteSequence_;
};

#endif  // KTBASE_OML_OML_BIN_VALUE_H
