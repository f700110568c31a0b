#include "ktbase/core/allocation.h"

void* ktMallocOrThrow(std::size_t size) {
  if (void* memory = std::malloc(size)) return memory;
  throw std::bad_alloc();
}
