// Shows where a message points, as compilers do: the line of the text file it names, and under
// it a caret at the place, with tildes under the rest of the token that ends there (the reader
// names the last character of a token).
//
//       3 |   Node 1 { x: 1.5 shape: square }
//         |               ~~^
//
// Tabs are expanded to the next multiple of eight columns, other control characters shown as
// blanks, and a UTF-8 character takes one column. A line wider than the window is shown around
// the place, with "..." where it is cut.
#ifndef KTBASE_TOOLS_OMLTOOL_CARET_H
#define KTBASE_TOOLS_OMLTOOL_CARET_H

#include <cstdint>
#include <cstdio>
#include <string>

// The lines of one text file at a time, read forward as messages come in order of place, and
// again from the start for an earlier line. Lines end in LF, CR, CR LF or LF CR, as the text
// files of the library read them.
class SourceLines {
 public:
  SourceLines() = default;
  SourceLines(const SourceLines&) = delete;
  SourceLines& operator=(const SourceLines&) = delete;
  ~SourceLines();

  // Line `number` (from 1) of `fileName`, without its line end, into `text`; false when the
  // file cannot be read or has no such line.
  bool line(const std::string& fileName, std::int64_t number, std::string& text);

 private:
  bool readLine(std::string& text);

  std::string name_;
  std::FILE* file_ = nullptr;
  std::int64_t next_ = 1;  // the number of the line readLine reads next
};

// The two lines of the excerpt, each ending in a line feed: line `number`, `text`, with the
// caret under byte `position` (from 1; a position beyond the end stands just behind the text),
// in a window of `width` columns.
std::string caretExcerpt(const std::string& text, std::int64_t number, std::int64_t position,
                         int width = 72);

#endif  // KTBASE_TOOLS_OMLTOOL_CARET_H
