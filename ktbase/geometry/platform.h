// The platform's point, size and rectangle records, which KtPoint, KtSize and KtRect convert to
// and from and expose in place. They are plain data with 32-bit fields in the platform's field
// order, so a pointer to one can be handed to code written against that layout.
#ifndef KTBASE_GEOMETRY_PLATFORM_H
#define KTBASE_GEOMETRY_PLATFORM_H

#include <cstdint>
#include <type_traits>

struct tagPOINT {
  std::int32_t x;
  std::int32_t y;
};

struct tagSIZE {
  std::int32_t cx;
  std::int32_t cy;
};

// The y axis points up: top >= bottom in a well-formed rectangle.
struct tagRECT {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// KtTuple keeps one pair of coordinates that KtPoint shows as a tagPOINT and KtSize as a tagSIZE;
// that relies on the two records sharing their layout.
static_assert(std::is_standard_layout<tagPOINT>::value && std::is_standard_layout<tagSIZE>::value,
              "tagPOINT and tagSIZE are plain records");
static_assert(sizeof(tagPOINT) == 8 && sizeof(tagSIZE) == 8 && sizeof(tagRECT) == 16,
              "platform records have 32-bit fields and no padding");

#endif  // KTBASE_GEOMETRY_PLATFORM_H
