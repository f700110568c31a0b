// Files and strings: a bundled text file read line by line, its names interned in a string
// pool, a report formatted and written with CR LF line ends, then read back.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "examples/demo.h"
#include "ktbase/ktbase.h"

namespace {

struct Stop {
  std::int32_t name;  // index in the pool
  int minutes;
  int depot;
};

// Reads the stops: a name line, a minutes line, a TRUE/FALSE line each; "//" lines are notes.
int readStops(const std::string& fileName, KtStringPool& names, Stop* stops, int capacity) {
  KtTextFile in;
  if (in.open(fileName.c_str(), KT_FILE_READ) != KT_FILE_OK) {
    std::printf("  cannot open %s\n", fileName.c_str());
    return 0;
  }
  int count = 0;
  KtStringHandle line;
  while (count < capacity && in.readLine(line) == KT_FILE_OK) {
    if (KtTextFile::isDoubleSlashString(line.pString())) continue;
    Stop& stop = stops[count];
    stop.name = names.update(line.pString());
    if (in.readLine(stop.minutes) != KT_FILE_OK || in.readLineTrueOrFalse(stop.depot) != KT_FILE_OK)
      break;
    ++count;
  }
  char file[KT_FILE_NAME_SIZE] = "";
  char folder[KT_FILE_NAME_SIZE] = "";
  KtFile::separatePathFromFile(in.pFileName(), file, folder);
  std::printf("  read %d stops from %s\n", count, file);
  return count;
}

}  // namespace

void filesDemo(const char* dataDir) {
  heading("Files: a bundled text file, its names interned in a pool");
  KtStringPool names(31, 3, 0, 0);  // not case-sensitive: "brook lane" is "Brook Lane"
  Stop stops[16];
  int count = readStops(std::string(dataDir) + "/network.txt", names, stops, 16);
  for (int i = 0; i < count; ++i)
    std::printf("  stop %d: name #%d %-12s %2d min%s\n", i, stops[i].name,
                names.decode(stops[i].name), stops[i].minutes, stops[i].depot ? ", depot" : "");
  std::printf("  %d distinct names among %d stops\n", names.decodeTableMax(), count);

  heading("Writing a report with the library's formatter, reading it back");
  char dir[] = "/tmp/ktbase-demo-XXXXXX";
  if (mkdtemp(dir) == nullptr) return;
  char report[300];
  kt_vs8_ktprintf(report, "%s/%s.%s", dir, "report", "txt");
  {
    KtTextFile out;
    out.open(report, KT_FILE_WRITE);
    int total = 0;
    for (int i = 0; i < count; ++i) {
      char text[256];
      total += stops[i].minutes;
      kt_vs8_ktprintf(text, "%-12s at %3ld min", names.decode(stops[i].name), total);
      out.writeLine(text);
    }
    out.write("average leg ");
    out.writeLine(count > 0 ? static_cast<double>(total) / count : 0.0, "%.2f");
  }
  KtFile in;
  in.open(report, KT_FILE_READ);
  KtStringHandle line;
  while (in.readString(line) == KT_FILE_OK)  // CR LF arrives as one line feed
    std::printf("  | %s", line.pString());
  std::printf("  end of file: %d, bytes in the file object: %d\n", in.endOfFile(), in.sizeOf());
  in.close();

  char second[300];
  kt_vs8_ktprintf(second, "%s", report);
  KtFile::renameUnique(second);
  std::printf("  an unused name beside it: %s\n", second + std::string(dir).size() + 1);
  std::remove(report);
  rmdir(dir);
}
