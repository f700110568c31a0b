// Private to the library: the POSIX calls behind files. Handles are descriptors in a void*.
#ifndef KTBASE_FILES_POSIX_IO_H
#define KTBASE_FILES_POSIX_IO_H

#include <cstddef>
#include <cstdint>

#include "ktbase/files/platform.h"

enum class KtOpenHow : int {
  kReadExisting,       // read; the file must exist
  kReadRegular,        // read; the file must exist and be a regular file (never waits to open)
  kWriteTruncate,      // write; created or truncated
  kReadWriteCreate,    // read and write; opened or created, never truncated
  kReadWriteExisting,  // read and write; the file must exist
};

inline void* ktHandleOf(int descriptor) {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor));
}
inline int ktDescriptorOf(void* handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}
inline bool ktIsValidHandle(void* handle) {
  return handle != KT_INVALID_HANDLE && ktDescriptorOf(handle) >= 0;
}

// Opens and locks the file (exclusive, non-blocking); truncation, when asked for, happens only
// once the lock is held, so a refused open never damages a file held elsewhere.
void* ktOpenHandle(const char* name, KtOpenHow how);
// Closes the descriptor; false when the system reports a failure (the descriptor is released
// all the same).
bool ktCloseHandle(void* handle);
// One read of up to `count` bytes, repeated only when interrupted: the count delivered, 0 at the
// end of the data, -1 on failure.
std::ptrdiff_t ktReadOnce(void* handle, void* bytes, std::size_t count);
// Writes all `count` bytes, going on over short writes; true iff all were written.
bool ktWriteAll(void* handle, const void* bytes, std::size_t count, std::size_t* written);
// Moves to the end of the file; false on failure.
bool ktSeekEnd(void* handle);
// The device and inode of the open file: one file reached by two names has one identity. False
// when the system cannot tell.
bool ktFileIdentity(void* handle, std::uint64_t* device, std::uint64_t* inode);
// The same, with the file's size and whether it is a regular file, in one call.
bool ktFileStatus(void* handle, std::uint64_t* device, std::uint64_t* inode, std::uint64_t* size,
                  bool* regular);

#endif  // KTBASE_FILES_POSIX_IO_H
