// The library's free functions for the operating system: files by handle, the current
// directory, dynamic libraries, and the texts of the library's messages.
//
// A handle is the file descriptor carried in a void*; KT_INVALID_HANDLE (all bits set) is no
// handle. Files are opened without sharing: an exclusive, non-blocking lock is taken on every
// file the library opens, so a second open of an open file fails, in this process too, until
// the first is closed. Reads and writes go on over short counts and interrupted calls.
// Names are split at '/', and also at '\' and ':' where a stored name may carry them.
#ifndef KTBASE_FILES_PLATFORM_H
#define KTBASE_FILES_PLATFORM_H

#include <cstddef>
#include <cstdint>

class KtStringHandle;

// Handed through the file operations by address; only KT_BYTE_ORDER_DEFAULT is ever set, and no
// operation interprets it.
enum KtByteOrderEnum : int { KT_BYTE_ORDER_DEFAULT = 2 };

#define KT_INVALID_HANDLE (reinterpret_cast<void*>(~static_cast<std::uintptr_t>(0)))

// Opens an existing file for reading and writing at its end, or creates it; KT_INVALID_HANDLE
// when neither works. `order` is not used.
void* ktInternalOpenAppend(const char* name, KtByteOrderEnum* order);
// Reads one line byte by byte into `line` (emptied first). A line ends with a carriage return,
// optionally preceded by one line feed; both stay in the line. A line feed followed by anything
// else is a failed read (that byte stays in the line). Returns 1 on success, 0 on failure; sets
// *atEnd to 1 when the data ended or the read failed, else 0; *total receives the number of
// bytes read. Null `total` or `atEnd` are allowed.
int ktInternalRead(void* handle, KtByteOrderEnum* order, KtStringHandle& line, std::uint32_t* total,
                   int* atEnd);
// Writes the bytes of `text` without its terminator. Returns 1 iff all of them were written;
// *written (when not null) receives the count written.
int ktInternalWrite(void* handle, KtByteOrderEnum* order, const char* text, std::uint32_t* written);
// Writes nothing; returns 1.
int ktInternalWriteAscii();

// Fills `buffer` (of `size` bytes) with the current directory, followed by one '/' when
// withSeparator is non-zero; when the directory cannot be determined or does not fit, the buffer
// holds the empty text (a lone '/' with the separator). Returns `buffer`.
char* ktGetCurrentWorkingDir(char* buffer, int size, int withSeparator);

// Memory for a large block that is filled front to back and freed whole (with std::free): from
// 2 MiB on it is aligned to, and offered to the system as, large pages, which spares a page
// fault for every 4 KiB touched. Null when memory runs out.
void* ktAllocateBulk(std::size_t bytes);

// Loads the named dynamic library; null for a null name or when loading fails.
void* getModuleHandle(const char* name);
// Stores the full file name of the module (of the running program for null) in `buffer`, which
// holds 254 bytes; returns its length, or 0 with the empty text when it is unknown or longer
// than 253 characters.
int getModuleFileName(void* module, char* buffer);
// Unloads the module unless it is null; returns null, for the caller to store over its handle.
void* freeModuleHandle(void* module);
// The address of the exported function `name`; null when either argument is null or the name is
// not found.
void* getFunctionHandle(void* module, const char* name);

// The text of message n of the library's table (0 to 51); the empty text for any other n. The
// text is shared, read-only data.
const char* getStringResource(int n);

#endif  // KTBASE_FILES_PLATFORM_H
