// KtOMLIdMemo remembers what the reader has already worked out about object ids, so that ids
// met again (every reference names an object already read) cost one probe instead of building a
// text and hashing it into the id pool. It maps 64-bit keys to non-negative 32-bit values (id
// pool indexes) in one open-addressed table that doubles when half full. It is only a memo:
// when memory runs out it forgets nothing and learns nothing new, and callers work the answer
// out the long way. The reader's own; not part of the installed headers.
#ifndef KTBASE_OML_OML_ID_MEMO_H
#define KTBASE_OML_OML_ID_MEMO_H

#include <cstddef>
#include <cstdint>

class KtOMLIdMemo {
 public:
  KtOMLIdMemo() = default;
  KtOMLIdMemo(const KtOMLIdMemo&) = delete;
  KtOMLIdMemo& operator=(const KtOMLIdMemo&) = delete;
  ~KtOMLIdMemo();

  // The value remembered for key, or -1.
  std::int32_t find(std::uint64_t key) const {
    if (slots_ == nullptr) return -1;
    for (std::size_t i = slotOf(key);; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.value < 0) return -1;
      if (slot.key == key) return slot.value;
    }
  }
  // Remembers value (>= 0) for a key not yet remembered.
  void remember(std::uint64_t key, std::int32_t value);

  // Keys of two 32-bit halves.
  static std::uint64_t pair(std::int32_t high, std::int32_t low) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32 |
           static_cast<std::uint32_t>(low);
  }

 private:
  struct Slot {
    std::uint64_t key;
    std::int32_t value;  // -1: the slot is empty
  };
  std::size_t slotOf(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
  }
  bool grow();

  Slot* slots_ = nullptr;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
  unsigned shift_ = 0;
};

#endif  // KTBASE_OML_OML_ID_MEMO_H
