#include "ktbase/files/file.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ktbase/files/format.h"
#include "ktbase/files/posix_io.h"

namespace {

constexpr int kLongestName = KT_FILE_NAME_SIZE - 1;

bool isBufferedMode(KtFileModeEnum mode) {
  return mode == KT_FILE_READ || mode == KT_FILE_READ_BINARY || mode == KT_FILE_READ_ASCII;
}
bool isTextWriteMode(KtFileModeEnum mode) {
  return mode == KT_FILE_WRITE || mode == KT_FILE_READ_WRITE || mode == KT_FILE_APPEND ||
         mode == KT_FILE_WRITE_ASCII;
}
bool isTextReadMode(KtFileModeEnum mode) {
  return mode == KT_FILE_READ || mode == KT_FILE_READ_WRITE || mode == KT_FILE_READ_ASCII;
}
bool isRefillMode(KtFileModeEnum mode) {
  return mode == KT_FILE_READ || mode == KT_FILE_READ_WRITE || mode == KT_FILE_READ_BINARY ||
         mode == KT_FILE_READ_ASCII;
}
bool isEndMarkerMode(KtFileModeEnum mode) {
  return mode == KT_FILE_WRITE || mode == KT_FILE_WRITE_ASCII;
}
bool fits(const char* name) { return std::strlen(name) <= static_cast<std::size_t>(kLongestName); }

void* openByMode(const char* name, KtFileModeEnum mode, KtByteOrderEnum* order) {
  switch (mode) {
    case KT_FILE_READ:
    case KT_FILE_READ_BINARY:
    case KT_FILE_READ_ASCII:
      return ktOpenHandle(name, KtOpenHow::kReadExisting);
    case KT_FILE_WRITE:
    case KT_FILE_WRITE_BINARY:
    case KT_FILE_WRITE_ASCII:
      return ktOpenHandle(name, KtOpenHow::kWriteTruncate);
    case KT_FILE_READ_WRITE:
      return ktOpenHandle(name, KtOpenHow::kReadWriteCreate);
    case KT_FILE_APPEND:
      return ktInternalOpenAppend(name, order);
  }
  return KT_INVALID_HANDLE;
}

// Bytes that are no line stop (zero, line feed, carriage return) from `p` on, at most `n`.
// Sixteen bytes at a time where SSE2 is there (every x86-64), else eight: a word holds a stop
// when one of its bytes, xor the stop, is zero. Never reads past p + n.
std::size_t ordinaryRun(const char* p, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i lineFeed = _mm_set1_epi8('\n');
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i stops = _mm_or_si128(
        _mm_cmpeq_epi8(bytes, zero),
        _mm_or_si128(_mm_cmpeq_epi8(bytes, lineFeed), _mm_cmpeq_epi8(bytes, carriageReturn)));
    int mask = _mm_movemask_epi8(stops);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  auto hasZeroByte = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (hasZeroByte(word) || hasZeroByte(word ^ (kOnes * '\n')) ||
        hasZeroByte(word ^ (kOnes * '\r')))
      break;
  }
  while (i < n && p[i] != 0 && p[i] != '\n' && p[i] != '\r') ++i;
  return i;
}

}  // namespace

KtFile::KtFile() { init(); }

KtFile::~KtFile() { empty(); }

void KtFile::init() {
  mode_ = KT_FILE_READ;
  bits_ = 0;
  fileHandle_ = KT_INVALID_HANDLE;
  pArchive_ = nullptr;
  pFileBuffer_ = nullptr;
  pTopBuffer_ = nullptr;
  numberOfBufferedBytes_ = 0;
  byteOrder_ = KT_BYTE_ORDER_DEFAULT;
  fileName_ = nullptr;
  pathName_ = nullptr;
  noName_[0] = 0;
}

// A file that is open, or holds a handle, cannot be shared by two objects: its copy starts idle.
void KtFile::KtFiledeepCopy(const KtFile& source) {
  KtObjectdeepCopy(source);
  empty();
  if (source.isOpen() || ktIsValidHandle(source.fileHandle_)) return;
  mode_ = source.mode_;
  bits_ = source.bits_;
  fileHandle_ = source.fileHandle_;
  pArchive_ = source.pArchive_;
  byteOrder_ = source.byteOrder_;
}

void KtFile::KtFileattributeCopy(const KtFile& source) {
  KtObjectattributeCopy(source);
  empty();
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool KtFile::startBuffer() {
  char* buffer = static_cast<char*>(std::malloc(KT_FILE_BUFFER_SIZE));
  if (buffer == nullptr) return false;
  std::memset(buffer, 0, 4);
  pFileBuffer(buffer);
  pTopBuffer_ = buffer;
  numberOfBufferedBytes_ = 0;
  return true;
}

KtFileCodeEnum KtFile::open(const char* name, KtFileModeEnum mode) {
  empty();
  buffered(0);
  endOfFile(0);
  error(1);
  if (name == nullptr) return KT_FILE_OPEN_ERROR;
  if (isBufferedMode(mode)) buffered(1);
  void* handle = fits(name) ? openByMode(name, mode, &byteOrder_) : KT_INVALID_HANDLE;
  byteOrder_ = KT_BYTE_ORDER_DEFAULT;
  if (handle != KT_INVALID_HANDLE && buffered() && !startBuffer()) {
    ktCloseHandle(handle);
    handle = KT_INVALID_HANDLE;
  }
  mode_ = mode;
  fileHandle_ = handle;
  if (handle == KT_INVALID_HANDLE) return KT_FILE_OPEN_ERROR;
  isOpen(1);
  error(0);
  pFileName(name);
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::close() {
  error(1);
  if (!isOpen()) return KT_FILE_CLOSE_ERROR;
  flush();
  // The descriptor is released even when the system reports a failure, so the file is idle
  // either way; only the result tells them apart.
  bool closed = ktCloseHandle(fileHandle_);
  fileHandle_ = KT_INVALID_HANDLE;
  isOpen(0);
  if (fileName_ != nullptr) fileName_[0] = 0;
  if (pathName_ != nullptr) pathName_[0] = 0;
  if (!closed) return KT_FILE_CLOSE_ERROR;
  error(0);
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::attach(void* handle, KtFileModeEnum mode) {
  empty();
  buffered(0);
  endOfFile(0);
  isAttached(1);
  fileHandle_ = handle;
  mode_ = mode;
  error(0);
  if (isBufferedMode(mode)) {
    buffered(1);
    if (!startBuffer()) {  // out of memory: nothing is attached
      bits_ = static_cast<unsigned short>(bits_ & ~(kAttached | kBuffered));
      fileHandle_ = KT_INVALID_HANDLE;
      error(1);
      return KT_FILE_OPEN_ERROR;
    }
  }
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::attach(KtArchiveClass* archive) {
  empty();
  buffered(0);
  endOfFile(0);
  isAttached(1);
  pArchive_ = archive;
  error(0);
  mode_ = KT_FILE_WRITE;
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::detach(int writeEnd) {
  if (!isAttached()) {
    error(1);
    return KT_FILE_CLOSE_ERROR;
  }
  KtFileCodeEnum result = KT_FILE_OK;
  if (writeEnd != 0 && isEndMarkerMode(mode_)) result = writeEndOfFile();
  flush();
  isAttached(0);
  pArchive_ = nullptr;
  fileHandle_ = KT_INVALID_HANDLE;
  error(result != KT_FILE_OK);
  return result;
}

KtFileCodeEnum KtFile::flush() { return KT_FILE_OK; }

void KtFile::empty() {
  if (isAttached())
    detach(1);
  else if (isOpen())
    close();
  pFileBuffer(nullptr);
  pTopBuffer_ = nullptr;
  numberOfBufferedBytes_ = 0;
  std::free(fileName_);
  std::free(pathName_);
  fileName_ = pathName_ = nullptr;
  buffered(0);
  storedOnDisk(0);
}

char* KtFile::pFileBuffer(char* buffer) {
  if (buffer != pFileBuffer_) std::free(pFileBuffer_);
  return pFileBuffer_ = buffer;
}

// ---------------------------------------------------------------------------------------------
// Writing

KtFileCodeEnum KtFile::refuseWrite() {
  error(1);
  return KT_FILE_WRITE_ERROR;
}

KtFileCodeEnum KtFile::writeString(const char* text) {
  if (text == nullptr || !isTextWriteMode(mode_)) return refuseWrite();
  if (isAttached() && pArchive_ != nullptr) return KT_FILE_OK;
  if (!ktIsValidHandle(fileHandle_) || !(isOpen() || isAttached())) return refuseWrite();
  if (ktInternalWrite(fileHandle_, &byteOrder_, text, nullptr) == 0) return refuseWrite();
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::writeBinary(const char* bytes, int count) {
  if (bytes == nullptr || count < 1 || mode_ != KT_FILE_WRITE_BINARY) return refuseWrite();
  if (!ktIsValidHandle(fileHandle_) || !(isOpen() || isAttached())) return refuseWrite();
  if (!ktWriteAll(fileHandle_, bytes, static_cast<std::size_t>(count), nullptr))
    return refuseWrite();
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::writeEndOfFile() {
  if (!isEndMarkerMode(mode_) || !isAttached() || pArchive_ == nullptr) return KT_FILE_OK;
  KtFileCodeEnum result = writeString("__KT_END_OF_FILE__");
  if (result == KT_FILE_OK) result = writeString("\n\r");
  if (result != KT_FILE_OK) error(1);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Reading

void KtFile::refill() {
  if (pFileBuffer_ == nullptr || !ktIsValidHandle(fileHandle_) || !(isOpen() || isAttached()))
    return;
  if (numberOfBufferedBytes_ > 0 && pTopBuffer_ != pFileBuffer_)
    std::memmove(pFileBuffer_, pTopBuffer_, static_cast<std::size_t>(numberOfBufferedBytes_));
  pTopBuffer_ = pFileBuffer_;
  if (!isRefillMode(mode_) || endOfFile()) return;
  std::ptrdiff_t delivered =
      ktReadOnce(fileHandle_, pFileBuffer_ + numberOfBufferedBytes_,
                 static_cast<std::size_t>(KT_FILE_BUFFER_SIZE - numberOfBufferedBytes_));
  if (delivered < 0) {
    error(1);  // reported as the end of the data, with the error flag
    return;
  }
  numberOfBufferedBytes_ += static_cast<int>(delivered);
}

int KtFile::bytesBeforeRefill() const {
  int n = numberOfBufferedBytes_;
  if (n > 256) return n - 256;
  if (n > 3 && n < 256) return n - 3;
  return 0;
}

KtFileCodeEnum KtFile::refuseRead() {
  error(1);
  return KT_FILE_READ_ERROR;
}

KtFileCodeEnum KtFile::readString(KtStringHandle& line) {
  line.empty();
  if (endOfFile() || !isTextReadMode(mode_)) return refuseRead();
  return buffered() ? readBufferedLine(line) : readUnbufferedLine(line);
}

KtFileCodeEnum KtFile::readBufferedLine(KtStringHandle& line) {
  char c = nextBufferedChar();
  KtFileCodeEnum result = c != 0 ? KT_FILE_OK : KT_FILE_READ_ERROR;
  while (c != 0 && c != '\r' && c != '\n') {
    // c was just taken; take the ordinary characters behind it in one run, up to the point
    // where the one-by-one reader would refill.
    const char* start = pTopBuffer_ - 1;
    std::size_t run = ordinaryRun(pTopBuffer_, static_cast<std::size_t>(bytesBeforeRefill()));
    pTopBuffer_ += run;
    numberOfBufferedBytes_ -= static_cast<int>(run);
    line.appendBytes(start, static_cast<std::int32_t>(run) + 1);
    c = nextBufferedChar();
  }
  if (c == '\n' || c == '\r') {
    if (lookAheadBufferedChar() == (c == '\n' ? '\r' : '\n')) nextBufferedChar();
    line.appendChar('\n');
  } else {
    endOfFile(1);  // the end of the data, or a zero byte
  }
  if (result != KT_FILE_OK) error(1);
  return result;
}

KtFileCodeEnum KtFile::readUnbufferedLine(KtStringHandle& line) {
  if (isAttached() && pArchive_ != nullptr) return KT_FILE_OK;  // an archive gives empty lines
  if (!ktIsValidHandle(fileHandle_) || !(isOpen() || isAttached())) return refuseRead();
  std::uint32_t total = 0;
  int atEnd = 0;
  int read = ktInternalRead(fileHandle_, &byteOrder_, line, &total, &atEnd);
  if (atEnd != 0) endOfFile(1);
  if (read == 0) return refuseRead();
  // The end of the data: a last line without ending is still a line.
  if (atEnd != 0 && total == 0) return refuseRead();
  return KT_FILE_OK;
}

KtFileCodeEnum KtFile::readBinary(char* bytes, int& count) {
  if (bytes == nullptr || count < 1 || endOfFile() || mode_ != KT_FILE_READ_BINARY)
    return refuseRead();
  int asked = count;
  if (!buffered()) {
    if (!ktIsValidHandle(fileHandle_) || !(isOpen() || isAttached())) return refuseRead();
    std::ptrdiff_t delivered = ktReadOnce(fileHandle_, bytes, static_cast<std::size_t>(asked));
    if (delivered < 0) return refuseRead();
    count = static_cast<int>(delivered);
    if (count < asked) endOfFile(1);
    return KT_FILE_OK;
  }
  count = 0;
  while (count < asked) {
    int run = bytesBeforeRefill();
    if (run > asked - count) run = asked - count;
    if (run > 0) {
      std::memcpy(bytes + count, pTopBuffer_, static_cast<std::size_t>(run));
      pTopBuffer_ += run;
      numberOfBufferedBytes_ -= run;
      count += run;
      continue;
    }
    char byte = nextBufferedChar();
    if (endOfFile()) {
      bytes[count] = byte;  // the end's zero is stored but not counted
      break;
    }
    bytes[count++] = byte;
  }
  return KT_FILE_OK;
}

// ---------------------------------------------------------------------------------------------
// Names

char* KtFile::nameBuffer(char*& buffer) const {
  if (buffer == nullptr) {
    buffer = static_cast<char*>(std::calloc(KT_FILE_NAME_SIZE, 1));
    if (buffer == nullptr) {
      noName_[0] = 0;
      return noName_;
    }
  }
  return buffer;
}

char* KtFile::pFileName() const { return nameBuffer(fileName_); }
char* KtFile::pPathName() const { return nameBuffer(pathName_); }

namespace {
// Copies at most KT_FILE_NAME_SIZE - 1 characters of `name` (empty for null) into `buffer`.
void storeName(char* buffer, const char* name) {
  std::size_t length = name == nullptr ? 0 : std::strlen(name);
  if (length > static_cast<std::size_t>(kLongestName)) length = kLongestName;
  if (length > 0) std::memcpy(buffer, name, length);
  buffer[length] = 0;
}
}  // namespace

void KtFile::pFileName(const char* name) {
  char* file = pFileName();
  char* path = pPathName();
  if (file == noName_ || path == noName_) return;
  storeName(file, name);
  path[0] = 0;
  char part[KT_FILE_NAME_SIZE];
  separatePathFromFile(file, part, path);
}

void KtFile::pPathName(const char* name) {
  char* path = pPathName();
  if (path != noName_) storeName(path, name);
}

int KtFile::searchForToken(const char* s, const char* tokens, int direction) {
  if (s == nullptr || tokens == nullptr || *s == 0) return -1;
  if (direction != '+' && direction != '-') return -1;
  int found = -1;
  for (int i = 0; s[i] != 0; ++i) {
    if (std::strchr(tokens, s[i]) == nullptr) continue;
    found = i;
    if (direction == '+') break;
  }
  return found;
}

void KtFile::separatePathFromFile(const char* full, char* file, char* path) {
  if (full == nullptr || file == nullptr || path == nullptr) return;
  int last = searchForToken(full, "/\\:", '-');
  if (last < 0) {
    std::memmove(file, full, std::strlen(full) + 1);
    return;
  }
  std::size_t split = static_cast<std::size_t>(last) + 1;
  // `file` first: the caller may pass the same buffer for `full` and `path`.
  if (full[split] != 0) std::memmove(file, full + split, std::strlen(full + split) + 1);
  std::memmove(path, full, split);
  path[split] = 0;
}

int KtFile::fileExist(const char* name) {
  if (name == nullptr || !fits(name)) return 0;
  void* handle = ktOpenHandle(name, KtOpenHow::kReadExisting);
  if (handle == KT_INVALID_HANDLE) return 0;
  ktCloseHandle(handle);
  return 1;
}

int KtFile::renameUnique(char* name) {
  if (name == nullptr) return 0;
  std::size_t length = std::strlen(name);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return 0;
  std::memcpy(copy, name, length + 1);
  // base.extension, split at the last '.'; without one the extension is empty.
  const char* extension = "";
  if (char* dot = std::strrchr(copy, '.')) {
    *dot = 0;
    extension = dot + 1;
  }
  int found = 0;
  for (int n = 1; n <= 999; ++n) {
    kt_vs8_ktprintf(name, "%s%d.%s", copy, n, extension);
    if (n == 999) break;
    if (!fileExist(name)) {
      found = 1;
      break;
    }
  }
  std::free(copy);
  return found;
}

std::int32_t KtFile::sizeOf() const {
  std::size_t size = sizeof(KtFile);
  if (pFileBuffer_ != nullptr) size += KT_FILE_BUFFER_SIZE;
  if (fileName_ != nullptr) size += std::strlen(fileName_);
  if (pathName_ != nullptr) size += std::strlen(pathName_);
  return static_cast<std::int32_t>(size);
}
