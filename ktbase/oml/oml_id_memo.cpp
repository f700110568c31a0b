#include "ktbase/oml/oml_id_memo.h"

#include <cstdlib>

KtOMLIdMemo::~KtOMLIdMemo() { std::free(slots_); }

void KtOMLIdMemo::remember(std::uint64_t key, std::int32_t value) {
  if (value < 0 || ((count_ + 1) * 2 > mask_ + 1 && !grow())) return;
  std::size_t i = slotOf(key);
  while (slots_[i].value >= 0) {
    if (slots_[i].key == key) return;
    i = (i + 1) & mask_;
  }
  slots_[i] = Slot{key, value};
  ++count_;
}

bool KtOMLIdMemo::grow() {
  const std::size_t size = slots_ != nullptr ? (mask_ + 1) * 2 : 1024;
  Slot* slots = static_cast<Slot*>(std::malloc(size * sizeof(Slot)));
  if (slots == nullptr) return false;
  for (std::size_t i = 0; i < size; ++i) slots[i].value = -1;
  Slot* old = slots_;
  const std::size_t oldSize = old != nullptr ? mask_ + 1 : 0;
  slots_ = slots;
  mask_ = size - 1;
  shift_ = 64;
  for (std::size_t s = size; s > 1; s >>= 1) --shift_;
  count_ = 0;
  for (std::size_t i = 0; i < oldSize; ++i)
    if (old[i].value >= 0) remember(old[i].key, old[i].value);
  std::free(old);
  return true;
}
