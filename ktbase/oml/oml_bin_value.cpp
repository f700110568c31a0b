#include "ktbase/oml/oml_bin_value.h"

#include <cstring>
#include <new>

KtOMLBinValue::KtOMLBinValue(std::int32_t length, const char* bytes) {
  init();
  fill(length, bytes);
}

KtOMLBinValue::~KtOMLBinValue() { release(); }

void KtOMLBinValue::KtOMLBinValuedeepCopy(const KtOMLBinValue& source) {
  fill(source.length_, source.pByteSequence_);
}

void KtOMLBinValue::KtOMLBinValueattributeCopy(const KtOMLBinValue& source) {
  KtOMLBinValuedeepCopy(source);
}

void KtOMLBinValue::release() {
  delete[] pByteSequence_;
  init();
}

// A new buffer is filled before the old one is released, so `bytes` may point into it.
void KtOMLBinValue::fill(std::int32_t n, const char* bytes) {
  if (n < 1) {
    release();
    return;
  }
  if (n > maxLength_) {
    char* buffer = new (std::nothrow) char[static_cast<std::size_t>(n)];
    if (buffer == nullptr) return;
    if (bytes != nullptr)
      std::memcpy(buffer, bytes, static_cast<std::size_t>(n));
    else if (length_ > 0)
      std::memcpy(buffer, pByteSequence_, static_cast<std::size_t>(length_));
    delete[] pByteSequence_;
    pByteSequence_ = buffer;
    maxLength_ = n;
  } else if (bytes != nullptr) {
    std::memmove(pByteSequence_, bytes, static_cast<std::size_t>(n));
  }
  length_ = n;
}

void KtOMLBinValue::concat(const KtOMLBinValue* other) {
  if (other == nullptr || other->length_ < 1) return;
  const std::int64_t total = static_cast<std::int64_t>(length_) + other->length_;
  if (total > INT32_MAX) return;
  const std::int32_t added = other->length_;
  const std::int32_t old = length_;
  if (total > maxLength_) {
    char* buffer = new (std::nothrow) char[static_cast<std::size_t>(total)];
    if (buffer == nullptr) return;
    if (old > 0) std::memcpy(buffer, pByteSequence_, static_cast<std::size_t>(old));
    std::memcpy(buffer + old, other->pByteSequence_, static_cast<std::size_t>(added));
    delete[] pByteSequence_;
    pByteSequence_ = buffer;
    maxLength_ = static_cast<std::int32_t>(total);
  } else {
    std::memmove(pByteSequence_ + old, other->pByteSequence_, static_cast<std::size_t>(added));
  }
  length_ = static_cast<std::int32_t>(total);
}

std::int32_t KtOMLBinValue::length(std::int32_t n) {
  fill(n, nullptr);
  return length_;
}

const char* KtOMLBinValue::pByteSequence(const char* bytes) {
  fill(length_, bytes);
  return pByteSequence_;
}
