#include "ktbase/files/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ktbase/files/file_test_util.h"

namespace {

using FileTest = TempDirTest;

// Every line of a file through readString, with the result of each call.
struct Lines {
  std::vector<std::string> texts;
  int calls = 0;
};

Lines readAll(KtFile& file) {
  Lines lines;
  KtStringHandle line;
  while (file.readString(line) == KT_FILE_OK) {
    lines.texts.push_back(line.pString());
    if (++lines.calls > 1000000) break;
  }
  EXPECT_STREQ(line.pString(), "");  // the refused call leaves the line empty
  EXPECT_TRUE(file.endOfFile());
  EXPECT_TRUE(file.error());
  return lines;
}

// What the buffered reader must make of `bytes`: each LF, CR, CR LF or LF CR ends a line and
// becomes one line feed; a zero byte ends the data.
std::vector<std::string> expectedLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string current;
  std::size_t i = 0;
  for (; i < bytes.size() && bytes[i] != 0; ++i) {
    char c = bytes[i];
    if (c != '\n' && c != '\r') {
      current += c;
      continue;
    }
    char partner = c == '\n' ? '\r' : '\n';
    if (i + 1 < bytes.size() && bytes[i + 1] == partner) ++i;
    lines.push_back(current + "\n");
    current.clear();
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

TEST_F(FileTest, EveryModeAcceptsExactlyItsOperations) {
  enum Op { kWriteString, kWriteBinary, kReadString, kReadBinary };
  const int accepted[4][8] = {
      {0, 1, 1, 1, 0, 0, 0, 1},  // writeString
      {0, 0, 0, 0, 0, 1, 0, 0},  // writeBinary
      {1, 0, 1, 0, 0, 0, 1, 0},  // readString
      {0, 0, 0, 0, 1, 0, 0, 0},  // readBinary
  };
  for (int op = kWriteString; op <= kReadBinary; ++op) {
    for (int mode = 0; mode < 8; ++mode) {
      writeRaw("m", "ab\r\n");
      KtFile file;
      ASSERT_EQ(file.open(path("m").c_str(), static_cast<KtFileModeEnum>(mode)), KT_FILE_OK);
      ASSERT_FALSE(file.error());
      KtFileCodeEnum result;
      KtStringHandle line;
      char bytes[8];
      int count = 2;
      switch (op) {
        case kWriteString:
          result = file.writeString("x");
          break;
        case kWriteBinary:
          result = file.writeBinary("xy", 2);
          break;
        case kReadString:
          result = file.readString(line);
          break;
        default:
          result = file.readBinary(bytes, count);
          break;
      }
      KtFileCodeEnum refusal = op <= kWriteBinary ? KT_FILE_WRITE_ERROR : KT_FILE_READ_ERROR;
      SCOPED_TRACE("operation " + std::to_string(op) + ", mode " + std::to_string(mode));
      EXPECT_EQ(result, accepted[op][mode] ? KT_FILE_OK : refusal);
      EXPECT_EQ(file.error(), accepted[op][mode] ? 0 : 1);
      EXPECT_EQ(file.close(), KT_FILE_OK);
    }
  }
  // A refused write changed nothing on disk; accepted ones wrote where their mode says.
  writeRaw("m", "ab\r\n");
  KtFile file;
  file.open(path("m").c_str(), KT_FILE_READ);
  file.writeString("zz");
  file.close();
  EXPECT_EQ(readRaw("m"), "ab\r\n");
  file.open(path("m").c_str(), KT_FILE_READ_WRITE);  // at the start, never truncated
  file.writeString("x");
  file.close();
  EXPECT_EQ(readRaw("m"), "xb\r\n");
  file.open(path("m").c_str(), KT_FILE_APPEND);
  file.writeString("y");
  file.close();
  EXPECT_EQ(readRaw("m"), "xb\r\ny");
  file.open(path("new").c_str(), KT_FILE_APPEND);  // creates a missing file
  EXPECT_TRUE(file.isOpen());
  file.writeString("z");
  file.close();
  EXPECT_EQ(readRaw("new"), "z");
  file.open(path("m").c_str(), KT_FILE_WRITE);  // truncates
  file.close();
  EXPECT_EQ(readRaw("m"), "");
}

TEST_F(FileTest, LineEndingsBecomeOneLineFeed) {
  writeRaw("e", std::string("a\r\nb\rc\n\rd"));
  KtFile file;
  ASSERT_EQ(file.open(path("e").c_str(), KT_FILE_READ), KT_FILE_OK);
  KtStringHandle line;
  const char* expected[] = {"a\n", "b\n", "c\n"};
  for (const char* text : expected) {
    ASSERT_EQ(file.readString(line), KT_FILE_OK);
    EXPECT_STREQ(line.pString(), text);
    EXPECT_FALSE(file.endOfFile());
  }
  EXPECT_EQ(file.readString(line), KT_FILE_OK);  // the last line has no ending
  EXPECT_STREQ(line.pString(), "d");
  EXPECT_TRUE(file.endOfFile());
  EXPECT_FALSE(file.error());
  EXPECT_EQ(file.readString(line), KT_FILE_READ_ERROR);
  EXPECT_STREQ(line.pString(), "");
  EXPECT_TRUE(file.error());

  writeRaw("e", std::string("\n\n\r\r\nx\0y\nz", 10));
  ASSERT_EQ(file.open(path("e").c_str(), KT_FILE_READ_ASCII), KT_FILE_OK);
  EXPECT_FALSE(file.endOfFile());  // a new open clears the end
  Lines lines = readAll(file);
  EXPECT_EQ(lines.texts, (std::vector<std::string>{"\n", "\n", "\n", "x"}));  // a zero ends it

  writeRaw("e", "");
  file.open(path("e").c_str(), KT_FILE_READ);
  EXPECT_TRUE(readAll(file).texts.empty());
}

// Random files of lines with every ending, long lines, and endings astride the buffer's edge.
TEST_F(FileTest, LinesAcrossBufferRefillsMatchTheReference) {
  std::mt19937 random(99);
  const char* endings[] = {"\n", "\r", "\r\n", "\n\r", ""};
  for (int round = 0; round < 40; ++round) {
    std::string bytes;
    std::size_t target = 1 + random() % 60000;
    while (bytes.size() < target) {
      std::size_t length = random() % 8 == 0 ? random() % 25000 : random() % 300;
      for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(' ' + random() % 95);
      bytes += endings[random() % 5];
    }
    // Put a two-byte ending exactly astride the first refill points now and then.
    if (round % 4 == 0 && bytes.size() > 10242) bytes.replace(10239, 2, "\r\n");
    writeRaw("r", bytes);
    KtFile file;
    ASSERT_EQ(file.open(path("r").c_str(), KT_FILE_READ), KT_FILE_OK);
    ASSERT_EQ(readAll(file).texts, expectedLines(bytes)) << "round " << round;
  }
}

TEST_F(FileTest, BinaryReadsInAnyChunks) {
  std::mt19937 random(5);
  std::string bytes;
  for (int i = 0; i < 50000; ++i) bytes += static_cast<char>(random());
  writeRaw("b", bytes);
  for (int round = 0; round < 10; ++round) {
    KtFile file;
    ASSERT_EQ(file.open(path("b").c_str(), KT_FILE_READ_BINARY), KT_FILE_OK);
    std::string back;
    std::vector<char> chunk(20000);
    int count;
    for (;;) {
      int asked = 1 + static_cast<int>(random() % (round < 5 ? 300 : 20000));
      count = asked;
      if (file.readBinary(chunk.data(), count) != KT_FILE_OK) break;
      back.append(chunk.data(), static_cast<std::size_t>(count));
      ASSERT_EQ(file.endOfFile(), count < asked);
    }
    EXPECT_EQ(back, bytes);
    EXPECT_TRUE(file.endOfFile());
  }

  writeRaw("four", "abcd");
  KtFile file;
  file.open(path("four").c_str(), KT_FILE_READ_BINARY);
  char buffer[10];
  int count = 10;
  EXPECT_EQ(file.readBinary(buffer, count), KT_FILE_OK);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_TRUE(file.endOfFile());
  EXPECT_FALSE(file.error());
  count = 10;
  EXPECT_EQ(file.readBinary(buffer, count), KT_FILE_READ_ERROR);
  EXPECT_TRUE(file.error());
  file.open(path("four").c_str(), KT_FILE_READ_BINARY);
  count = 0;
  EXPECT_EQ(file.readBinary(buffer, count), KT_FILE_READ_ERROR);  // a count below 1
  count = 4;
  EXPECT_EQ(file.readBinary(nullptr, count), KT_FILE_READ_ERROR);
}

TEST_F(FileTest, OpenRefusals) {
  KtFile file;
  EXPECT_EQ(file.open(nullptr, KT_FILE_READ), KT_FILE_OPEN_ERROR);
  EXPECT_TRUE(file.error());
  EXPECT_EQ(file.open(path("x").c_str(), static_cast<KtFileModeEnum>(9)), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(file.mode(), 9);
  EXPECT_EQ(file.fileHandle(), KT_INVALID_HANDLE);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.open(path("missing").c_str(), KT_FILE_READ), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(file.close(), KT_FILE_CLOSE_ERROR);
  EXPECT_EQ(file.open(dir_.c_str(), KT_FILE_READ), KT_FILE_OPEN_ERROR);  // a directory
  EXPECT_EQ(KtFile::fileExist(dir_.c_str()), 0);

  // A name longer than the name buffers is refused rather than cut to another file's name.
  std::string longName = path(std::string(300 - dir_.size(), 'n'));
  std::string cut = longName.substr(0, 259);
  writeRaw(cut.substr(dir_.size() + 1), "keep");
  EXPECT_EQ(file.open(longName.c_str(), KT_FILE_WRITE), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(file.fileExist(longName.c_str()), 0);
  EXPECT_EQ(readRaw(cut.substr(dir_.size() + 1)), "keep");
  std::string longest = path(std::string(259 - dir_.size() - 1, 'k'));
  ASSERT_EQ(longest.size(), 259u);
  EXPECT_EQ(file.open(longest.c_str(), KT_FILE_WRITE), KT_FILE_OK);
  EXPECT_EQ(std::string(file.pFileName()), longest);
}

TEST_F(FileTest, NoSharing) {
  writeRaw("held", "data");
  KtFile first, second;
  ASSERT_EQ(first.open(path("held").c_str(), KT_FILE_READ), KT_FILE_OK);
  EXPECT_EQ(second.open(path("held").c_str(), KT_FILE_READ), KT_FILE_OPEN_ERROR);
  // A refused open for writing must not have truncated the held file.
  EXPECT_EQ(second.open(path("held").c_str(), KT_FILE_WRITE), KT_FILE_OPEN_ERROR);
  EXPECT_EQ(readRaw("held"), "data");
  EXPECT_EQ(KtFile::fileExist(path("held").c_str()), 0);  // held elsewhere counts as missing
  EXPECT_EQ(first.close(), KT_FILE_OK);
  EXPECT_EQ(KtFile::fileExist(path("held").c_str()), 1);
  EXPECT_EQ(second.open(path("held").c_str(), KT_FILE_READ), KT_FILE_OK);
  EXPECT_EQ(KtFile::fileExist(nullptr), 0);
  EXPECT_EQ(KtFile::fileExist(path("missing").c_str()), 0);
}

TEST_F(FileTest, WriteFailuresAreReported) {
  KtFile full;
  ASSERT_EQ(full.open("/dev/full", KT_FILE_WRITE), KT_FILE_OK);
  EXPECT_EQ(full.writeString("lost"), KT_FILE_WRITE_ERROR);
  EXPECT_TRUE(full.error());
  full.open("/dev/full", KT_FILE_WRITE_BINARY);
  EXPECT_EQ(full.writeBinary("lost", 4), KT_FILE_WRITE_ERROR);
  full.open(path("w").c_str(), KT_FILE_WRITE);
  EXPECT_EQ(full.writeString(nullptr), KT_FILE_WRITE_ERROR);
  EXPECT_EQ(full.writeString("kept"), KT_FILE_OK);
  EXPECT_TRUE(full.error());  // success leaves the sticky flag as it was
  full.close();
  EXPECT_EQ(readRaw("w"), "kept");
}

TEST_F(FileTest, UnbufferedLinesInReadWriteMode) {
  writeRaw("u", std::string("ab\r\n\rcd\rlast"));
  KtFile file;
  ASSERT_EQ(file.open(path("u").c_str(), KT_FILE_READ_WRITE), KT_FILE_OK);
  KtStringHandle line;
  const char* expected[] = {"ab\r", "\n\r", "cd\r"};  // endings stay in the text
  for (const char* text : expected) {
    ASSERT_EQ(file.readString(line), KT_FILE_OK);
    EXPECT_STREQ(line.pString(), text);
  }
  EXPECT_EQ(file.readString(line), KT_FILE_OK);  // a last line without ending is kept
  EXPECT_STREQ(line.pString(), "last");
  EXPECT_TRUE(file.endOfFile());
  EXPECT_EQ(file.readString(line), KT_FILE_READ_ERROR);

  writeRaw("u", "a\nb\r");  // a line feed followed by anything but a carriage return
  file.open(path("u").c_str(), KT_FILE_READ_WRITE);
  EXPECT_EQ(file.readString(line), KT_FILE_READ_ERROR);
  EXPECT_STREQ(line.pString(), "a\nb");
  EXPECT_TRUE(file.error());
  EXPECT_FALSE(file.endOfFile());

  writeRaw("u", "");
  file.open(path("u").c_str(), KT_FILE_READ_WRITE);
  EXPECT_EQ(file.readString(line), KT_FILE_READ_ERROR);
  EXPECT_TRUE(file.endOfFile());
}

TEST_F(FileTest, AttachedHandlesStayTheCallers) {
  writeRaw("h", "one\ntwo\n");
  int descriptor = ::open(path("h").c_str(), O_RDONLY);
  ASSERT_GE(descriptor, 0);
  void* handle = reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor));
  KtFile file;
  ASSERT_EQ(file.attach(handle, KT_FILE_READ), KT_FILE_OK);
  EXPECT_TRUE(file.isAttached());
  EXPECT_EQ(file.close(), KT_FILE_CLOSE_ERROR);  // attached is not open
  EXPECT_TRUE(file.isAttached());
  EXPECT_EQ(readAll(file).texts, (std::vector<std::string>{"one\n", "two\n"}));
  EXPECT_EQ(file.detach(1), KT_FILE_OK);
  EXPECT_FALSE(file.error());
  EXPECT_EQ(file.fileHandle(), KT_INVALID_HANDLE);
  EXPECT_NE(fcntl(descriptor, F_GETFD), -1);  // still open
  EXPECT_EQ(file.detach(1), KT_FILE_CLOSE_ERROR);
  EXPECT_TRUE(file.error());

  int out = ::open(path("o").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(out, 0);
  {
    KtFile writer;
    writer.attach(reinterpret_cast<void*>(static_cast<std::intptr_t>(out)), KT_FILE_WRITE);
    EXPECT_EQ(writer.writeString("via handle"), KT_FILE_OK);
  }  // destroyed while attached: the handle stays open
  EXPECT_NE(fcntl(out, F_GETFD), -1);
  ::close(out);
  ::close(descriptor);
  EXPECT_EQ(readRaw("o"), "via handle");
}

// Records what reaches writeString, to observe the archive's end marker.
class RecordingFile : public KtFile {
 public:
  ~RecordingFile() override { empty(); }
  KtFileCodeEnum writeString(const char* text) override {
    written += text;
    written += '|';
    return KtFile::writeString(text);
  }
  std::string written;
};

TEST_F(FileTest, ArchivesGetTheEndMarker) {
  int host = 0;
  KtArchiveClass* archive = reinterpret_cast<KtArchiveClass*>(&host);
  RecordingFile file;
  ASSERT_EQ(file.attach(archive), KT_FILE_OK);
  EXPECT_EQ(file.mode(), KT_FILE_WRITE);
  EXPECT_EQ(file.pArchive(), archive);
  EXPECT_EQ(file.fileHandle(), KT_INVALID_HANDLE);
  EXPECT_EQ(file.writeString("text"), KT_FILE_OK);  // goes nowhere, successfully
  KtStringHandle line;
  EXPECT_EQ(file.readString(line), KT_FILE_READ_ERROR);  // mode 1 does not read
  EXPECT_EQ(file.detach(1), KT_FILE_OK);
  EXPECT_EQ(file.written, "text|__KT_END_OF_FILE__|\n\r|");
  EXPECT_EQ(file.pArchive(), nullptr);

  file.written.clear();
  file.attach(archive);
  file.detach(0);
  EXPECT_EQ(file.written, "");
  file.attach(archive);
  file.empty();  // empty ends the attachment with the marker
  EXPECT_EQ(file.written, "__KT_END_OF_FILE__|\n\r|");
  EXPECT_EQ(file.writeEndOfFile(), KT_FILE_OK);  // nothing attached: nothing written
  EXPECT_EQ(file.written, "__KT_END_OF_FILE__|\n\r|");
}

TEST_F(FileTest, NamesAndTheirParts) {
  char file[260] = "unchanged";
  char dir[260] = "unchanged";
  KtFile::separatePathFromFile("C:\\dir/name.txt", file, dir);
  EXPECT_STREQ(file, "name.txt");
  EXPECT_STREQ(dir, "C:\\dir/");
  std::strcpy(dir, "unchanged");
  KtFile::separatePathFromFile("name", file, dir);
  EXPECT_STREQ(file, "name");
  EXPECT_STREQ(dir, "unchanged");
  std::strcpy(file, "unchanged");
  KtFile::separatePathFromFile("dir/", file, dir);
  EXPECT_STREQ(file, "unchanged");
  EXPECT_STREQ(dir, "dir/");

  EXPECT_EQ(KtFile::searchForToken("a.b.c", ".", '+'), 1);
  EXPECT_EQ(KtFile::searchForToken("a.b.c", ".", '-'), 3);
  EXPECT_EQ(KtFile::searchForToken("a.b.c", ".", '*'), -1);
  EXPECT_EQ(KtFile::searchForToken("", ".", '+'), -1);
  EXPECT_EQ(KtFile::searchForToken(nullptr, ".", '+'), -1);
  EXPECT_EQ(KtFile::searchForToken("abc", ".", '+'), -1);

  KtFile opened;
  EXPECT_EQ(opened.pQueryFileName(), nullptr);
  EXPECT_STREQ(opened.pFileName(), "");  // created on first use
  EXPECT_NE(opened.pQueryFileName(), nullptr);
  std::int32_t idle = opened.sizeOf();
  ASSERT_EQ(opened.open(path("named.txt").c_str(), KT_FILE_WRITE), KT_FILE_OK);
  EXPECT_EQ(std::string(opened.pFileName()), path("named.txt"));
  EXPECT_EQ(std::string(opened.pPathName()), dir_ + "/");
  EXPECT_EQ(opened.sizeOf(),
            idle + static_cast<std::int32_t>(path("named.txt").size() + dir_.size() + 1));
  opened.close();
  EXPECT_STREQ(opened.pFileName(), "");
  EXPECT_STREQ(opened.pPathName(), "");
  writeRaw("named.txt", "x");
  opened.open(path("named.txt").c_str(), KT_FILE_READ);
  EXPECT_EQ(opened.sizeOf(),
            idle + KT_FILE_BUFFER_SIZE +
                static_cast<std::int32_t>(path("named.txt").size() + dir_.size() + 1));
}

TEST_F(FileTest, RenameUnique) {
  writeRaw("out.dat", "");
  writeRaw("out1.dat", "");
  writeRaw("out2.dat", "");
  char name[300];
  std::strcpy(name, path("out.dat").c_str());
  EXPECT_EQ(KtFile::renameUnique(name), 1);
  EXPECT_EQ(std::string(name), path("out3.dat"));
  std::strcpy(name, path("report").c_str());
  EXPECT_EQ(KtFile::renameUnique(name), 1);
  EXPECT_EQ(std::string(name), path("report1."));
  for (int n = 1; n <= 998; ++n) writeRaw("full" + std::to_string(n) + ".x", "");
  std::strcpy(name, path("full.x").c_str());
  EXPECT_EQ(KtFile::renameUnique(name), 0);
  EXPECT_EQ(std::string(name), path("full999.x"));
}

TEST_F(FileTest, CopiesNeverShareAHandle) {
  writeRaw("c", "line\n");
  KtFile open;
  open.open(path("c").c_str(), KT_FILE_READ);
  KtFile copy(open);
  EXPECT_FALSE(copy.isOpen());
  EXPECT_EQ(copy.fileHandle(), KT_INVALID_HANDLE);
  EXPECT_EQ(copy.pQueryFileName(), nullptr);
  KtFile* clone = open.cloneObject();
  EXPECT_FALSE(clone->isOpen());
  delete clone;
  KtStringHandle line;
  EXPECT_EQ(open.readString(line), KT_FILE_OK);  // the source is untouched

  KtFile idle;
  idle.open(nullptr, KT_FILE_WRITE);
  idle.open(path("nowhere/x").c_str(), KT_FILE_APPEND);
  KtFile idleCopy;
  idleCopy = idle;
  EXPECT_EQ(idleCopy.mode(), KT_FILE_APPEND);
  EXPECT_TRUE(idleCopy.error());
  KtFile attributes(open, KT_ATTRIBUTE_COPY);
  EXPECT_FALSE(attributes.isOpen());
}

TEST(Platform, ModulesDirectoryAndMessages) {
  void* libm = getModuleHandle("libm.so.6");
  ASSERT_NE(libm, nullptr);
  auto cosine = reinterpret_cast<double (*)(double)>(getFunctionHandle(libm, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(getFunctionHandle(libm, "no_such_function"), nullptr);
  EXPECT_EQ(getFunctionHandle(libm, nullptr), nullptr);
  EXPECT_EQ(getFunctionHandle(nullptr, "cos"), nullptr);
  char name[254];
  int length = getModuleFileName(libm, name);
  EXPECT_GT(length, 0);
  EXPECT_EQ(length, static_cast<int>(std::strlen(name)));
  EXPECT_NE(std::strstr(name, "libm"), nullptr);
  EXPECT_EQ(freeModuleHandle(libm), nullptr);
  EXPECT_EQ(freeModuleHandle(nullptr), nullptr);
  EXPECT_EQ(getModuleHandle(nullptr), nullptr);
  EXPECT_EQ(getModuleHandle("libkt-no-such-library.so"), nullptr);
  EXPECT_GT(getModuleFileName(nullptr, name), 0);  // the running program
  EXPECT_NE(std::strstr(name, "ktbase_files_test"), nullptr);

  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  char buffer[4096];
  EXPECT_EQ(ktGetCurrentWorkingDir(buffer, sizeof buffer, 1), buffer);
  EXPECT_EQ(std::string(buffer), std::string(here) + "/");
  ktGetCurrentWorkingDir(buffer, sizeof buffer, 0);
  EXPECT_STREQ(buffer, here);
  ktGetCurrentWorkingDir(buffer, 2, 1);  // does not fit: the separator alone
  EXPECT_STREQ(buffer, "/");

  EXPECT_STREQ(getStringResource(0), "Error");
  EXPECT_STREQ(getStringResource(12), "memory exhausted");
  EXPECT_STREQ(getStringResource(9), "`true' or `false'");
  EXPECT_STREQ(getStringResource(51), "right bracket different than left bracket");
  EXPECT_STREQ(getStringResource(52), "");
  EXPECT_STREQ(getStringResource(-1), "");

  KtByteOrderEnum order = KT_BYTE_ORDER_DEFAULT;
  std::uint32_t written = 7;
  EXPECT_EQ(ktInternalWrite(KT_INVALID_HANDLE, &order, "x", &written), 0);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(ktInternalWriteAscii(), 1);
}

// Large blocks come on large-page boundaries; any size is writable end to end and freed whole.
TEST(Platform, BulkMemory) {
  for (std::size_t bytes : {std::size_t{1}, std::size_t{64} << 10, (std::size_t{2} << 20) + 24}) {
    char* memory = static_cast<char*>(ktAllocateBulk(bytes));
    ASSERT_NE(memory, nullptr);
    if (bytes >= std::size_t{2} << 20) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % (std::size_t{2} << 20), 0u);
    }
    std::memset(memory, 0x5A, bytes);
    EXPECT_EQ(memory[bytes - 1], 0x5A);
    std::free(memory);
  }
  EXPECT_EQ(ktAllocateBulk(~std::size_t{0}), nullptr);
}

}  // namespace
