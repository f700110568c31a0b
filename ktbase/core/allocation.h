// Class-specific allocation straight from malloc, for small objects that are made and freed in
// bulk on hot paths (list cells). KT_MALLOC_ALLOCATED declares a class's operator new and delete:
// the nothrow form yields null when memory runs out, the plain form (a caller's own `new C`)
// throws std::bad_alloc as every plain new-expression does. The library itself allocates only
// with the nothrow form. Objects of such a class, and of classes derived from it, must be freed
// with delete, as every library object is.
#ifndef KTBASE_CORE_ALLOCATION_H
#define KTBASE_CORE_ALLOCATION_H

#include <cstddef>
#include <cstdlib>
#include <new>

// malloc, or std::bad_alloc when it yields null; kept out of line so that callers compiled
// without exceptions can use the headers.
void* ktMallocOrThrow(std::size_t size);

// Declares the allocation functions; leaves the class in private access.
#define KT_MALLOC_ALLOCATED                                                                        \
 public:                                                                                           \
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {                    \
    return std::malloc(size);                                                                      \
  }                                                                                                \
  static void* operator new(std::size_t size) { return ktMallocOrThrow(size); }                    \
  static void operator delete(void* memory) noexcept { std::free(memory); }                        \
  static void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); } \
                                                                                                   \
 private:

#endif  // KTBASE_CORE_ALLOCATION_H
