// Section codes and section paths, worked on level by level. A code names one section of an
// object type: eight 4-bit levels, level 1 in the lowest nibble, each holding the section's
// ordinal (1 to 14) among its parent's sub-sections; 0 marks an unused level, and every level
// above an unused one is unused too. A path is what the reader makes of the section names in a
// file: a code whose levels may also hold 15, the wildcard (any section at that level). Internal
// to the library: not installed (the public mask and agreement tests are in oml_static.h).
#ifndef KTBASE_OML_OML_SECTION_PATH_H
#define KTBASE_OML_OML_SECTION_PATH_H

#include <cstdint>

#include "ktbase/oml/oml_static.h"

// The ordinal at `level` (1 to 8).
constexpr std::uint32_t ktOMLPathLevel(std::uint32_t path, int level) {
  return (path >> (4 * (level - 1))) & 15u;
}

// `ordinal` put at `level` of a path whose level is unused.
constexpr std::uint32_t ktOMLPathWith(std::uint32_t path, int level, std::uint32_t ordinal) {
  return path | ordinal << (4 * (level - 1));
}

// The number of levels in use.
inline int ktOMLPathDepth(std::uint32_t path) {
  int depth = 0;
  while (depth < KT_OML_MAX_SECTION_LEVELS && ktOMLPathLevel(path, depth + 1) != 0) ++depth;
  return depth;
}

// The levels 1 to `level` of a path (0 for level 0).
constexpr std::uint32_t ktOMLPathPrefix(std::uint32_t path, int level) {
  return level <= 0                           ? 0u
         : level >= KT_OML_MAX_SECTION_LEVELS ? path
                                              : path & ((1u << (4 * level)) - 1);
}

// The mask of every level from `level` upward (0 beyond the last level).
constexpr std::uint32_t ktOMLPathLevelsFrom(int level) {
  return level > KT_OML_MAX_SECTION_LEVELS ? 0u : 0xFFFFFFFFu << (4 * (level - 1));
}

#endif  // KTBASE_OML_OML_SECTION_PATH_H
