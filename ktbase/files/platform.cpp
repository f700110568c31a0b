#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <link.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "ktbase/files/posix_io.h"
#include "ktbase/files/string_pool.h"

// ---------------------------------------------------------------------------------------------
// Descriptors

namespace {
bool isDirectory(int descriptor) {
  struct stat status;
  return ::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode);
}

bool isRegularFile(int descriptor) {
  struct stat status;
  return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

// Empties a regular file; devices and pipes have nothing to truncate.
bool emptyRegularFile(int descriptor) {
  struct stat status;
  if (::fstat(descriptor, &status) != 0) return false;
  return !S_ISREG(status.st_mode) || ::ftruncate(descriptor, 0) == 0;
}
}  // namespace

void* ktOpenHandle(const char* name, KtOpenHow how) {
  if (name == nullptr) return KT_INVALID_HANDLE;
  int flags = O_CLOEXEC;
  switch (how) {
    case KtOpenHow::kReadExisting:
      flags |= O_RDONLY;
      break;
    case KtOpenHow::kReadRegular:
      // Without O_NONBLOCK, opening a FIFO waits for a writer; a regular file reads the same.
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case KtOpenHow::kWriteTruncate:
      flags |= O_WRONLY | O_CREAT;
      break;
    case KtOpenHow::kReadWriteCreate:
      flags |= O_RDWR | O_CREAT;
      break;
    case KtOpenHow::kReadWriteExisting:
      flags |= O_RDWR;
      break;
  }
  int descriptor;
  do descriptor = ::open(name, flags, 0666);
  while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return KT_INVALID_HANDLE;
  int locked;
  do locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  // A directory opens for reading on POSIX, but it is no file to read.
  if (locked != 0 || isDirectory(descriptor) ||
      (how == KtOpenHow::kReadRegular && !isRegularFile(descriptor)) ||
      (how == KtOpenHow::kWriteTruncate && !emptyRegularFile(descriptor))) {
    ::close(descriptor);
    return KT_INVALID_HANDLE;
  }
  return ktHandleOf(descriptor);
}

bool ktCloseHandle(void* handle) {
  if (!ktIsValidHandle(handle)) return false;
  // On Linux the descriptor is released even when close reports an error (EINTR included), so
  // it is never closed twice.
  return ::close(ktDescriptorOf(handle)) == 0;
}

std::ptrdiff_t ktReadOnce(void* handle, void* bytes, std::size_t count) {
  if (!ktIsValidHandle(handle)) return -1;
  ssize_t delivered;
  do delivered = ::read(ktDescriptorOf(handle), bytes, count);
  while (delivered < 0 && errno == EINTR);
  return delivered;
}

bool ktWriteAll(void* handle, const void* bytes, std::size_t count, std::size_t* written) {
  std::size_t done = 0;
  bool ok = ktIsValidHandle(handle);
  const char* next = static_cast<const char*>(bytes);
  while (ok && done < count) {
    ssize_t n = ::write(ktDescriptorOf(handle), next + done, count - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else if (n < 0 && errno == EINTR)
      continue;
    else
      ok = false;  // an error, or a device that takes nothing
  }
  if (written != nullptr) *written = done;
  return ok;
}

bool ktSeekEnd(void* handle) {
  return ktIsValidHandle(handle) && ::lseek(ktDescriptorOf(handle), 0, SEEK_END) >= 0;
}

bool ktFileStatus(void* handle, std::uint64_t* device, std::uint64_t* inode, std::uint64_t* size,
                  bool* regular) {
  struct stat status;
  if (!ktIsValidHandle(handle) || ::fstat(ktDescriptorOf(handle), &status) != 0) return false;
  *device = static_cast<std::uint64_t>(status.st_dev);
  *inode = static_cast<std::uint64_t>(status.st_ino);
  *size = status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
  *regular = S_ISREG(status.st_mode);
  return true;
}

bool ktFileIdentity(void* handle, std::uint64_t* device, std::uint64_t* inode) {
  struct stat status;
  if (!ktIsValidHandle(handle) || ::fstat(ktDescriptorOf(handle), &status) != 0) return false;
  *device = static_cast<std::uint64_t>(status.st_dev);
  *inode = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

// ---------------------------------------------------------------------------------------------
// The library's free functions

void* ktInternalOpenAppend(const char* name, KtByteOrderEnum* /*order*/) {
  void* handle = ktOpenHandle(name, KtOpenHow::kReadWriteExisting);
  if (handle == KT_INVALID_HANDLE) return ktOpenHandle(name, KtOpenHow::kReadWriteCreate);
  if (!ktSeekEnd(handle)) {
    ktCloseHandle(handle);
    return KT_INVALID_HANDLE;
  }
  return handle;
}

int ktInternalRead(void* handle, KtByteOrderEnum* /*order*/, KtStringHandle& line,
                   std::uint32_t* total, int* atEnd) {
  line.empty();
  std::uint32_t count = 0;
  int ended = 0;
  int success = 0;
  bool afterLineFeed = false;
  for (;;) {
    char byte;
    std::ptrdiff_t delivered = ktReadOnce(handle, &byte, 1);
    if (delivered <= 0) {
      ended = 1;
      success = delivered == 0;
      break;
    }
    ++count;
    line.appendChar(byte);
    if (byte == '\r') {
      success = 1;
      break;
    }
    if (afterLineFeed) break;  // a line feed not followed by a carriage return
    afterLineFeed = byte == '\n';
  }
  if (total != nullptr) *total = count;
  if (atEnd != nullptr) *atEnd = ended;
  return success;
}

int ktInternalWrite(void* handle, KtByteOrderEnum* /*order*/, const char* text,
                    std::uint32_t* written) {
  std::size_t done = 0;
  bool ok = text != nullptr && ktWriteAll(handle, text, std::strlen(text), &done);
  if (written != nullptr) *written = static_cast<std::uint32_t>(done);
  return ok ? 1 : 0;
}

int ktInternalWriteAscii() { return 1; }

char* ktGetCurrentWorkingDir(char* buffer, int size, int withSeparator) {
  if (buffer == nullptr || size < 1) return buffer;
  buffer[0] = 0;
  int room = withSeparator != 0 ? size - 1 : size;
  if (room < 1 || ::getcwd(buffer, static_cast<std::size_t>(room)) == nullptr) buffer[0] = 0;
  if (withSeparator != 0 && size >= 2) {
    std::size_t length = std::strlen(buffer);
    buffer[length] = '/';
    buffer[length + 1] = 0;
  }
  return buffer;
}

void* ktAllocateBulk(std::size_t bytes) {
  constexpr std::size_t kLargePage = 2 * 1024 * 1024;
  if (bytes < kLargePage) return std::malloc(bytes);
  const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  if (rounded < bytes) return nullptr;
  void* memory = std::aligned_alloc(kLargePage, rounded);
#ifdef MADV_HUGEPAGE
  if (memory != nullptr) madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: failure is fine
#endif
  return memory;
}

// ---------------------------------------------------------------------------------------------
// Dynamic libraries

void* getModuleHandle(const char* name) {
  return name == nullptr ? nullptr : ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

int getModuleFileName(void* module, char* buffer) {
  constexpr std::size_t kBufferSize = 254;
  if (buffer == nullptr) return 0;
  buffer[0] = 0;
  if (module == nullptr) {
    ssize_t length = ::readlink("/proc/self/exe", buffer, kBufferSize);
    if (length <= 0 || static_cast<std::size_t>(length) >= kBufferSize) {
      buffer[0] = 0;
      return 0;
    }
    buffer[length] = 0;
    return static_cast<int>(length);
  }
  struct link_map* map = nullptr;
  if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
    return 0;
  std::size_t length = std::strlen(map->l_name);
  if (length == 0 || length >= kBufferSize) return 0;
  std::memcpy(buffer, map->l_name, length + 1);
  return static_cast<int>(length);
}

void* freeModuleHandle(void* module) {
  if (module != nullptr) ::dlclose(module);
  return nullptr;
}

void* getFunctionHandle(void* module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return ::dlsym(module, name);
}
