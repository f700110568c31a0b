#include "tools/omltool/caret.h"

namespace {

bool isTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$' || c == ',' || c == '|' || c == '+' || c == '-';
}

// The first byte of the token that ends at byte `last` of `text`.
std::size_t tokenStart(const std::string& text, std::size_t last) {
  std::size_t start = last;
  if (text[last] == '"') {
    for (std::size_t i = last; i-- > 0;) {
      std::size_t backslashes = 0;
      while (backslashes < i && text[i - 1 - backslashes] == '\\') ++backslashes;
      if (text[i] == '"' && backslashes % 2 == 0) return i;
    }
    return last;
  }
  while (start > 0 && isTokenChar(text[last]) && isTokenChar(text[start - 1])) --start;
  return start;
}

}  // namespace

SourceLines::~SourceLines() {
  if (file_ != nullptr) std::fclose(file_);
}

bool SourceLines::readLine(std::string& text) {
  text.clear();
  int c = std::fgetc(file_);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n' && c != '\r'; c = std::fgetc(file_))
    text.push_back(static_cast<char>(c));
  if (c != EOF) {
    const int next = std::fgetc(file_);
    if (next != EOF && !((c == '\n' && next == '\r') || (c == '\r' && next == '\n')))
      std::ungetc(next, file_);
  }
  ++next_;
  return true;
}

bool SourceLines::line(const std::string& fileName, std::int64_t number, std::string& text) {
  if (number < 1) return false;
  if (file_ == nullptr || fileName != name_ || number < next_) {
    if (file_ != nullptr) std::fclose(file_);
    name_ = fileName;
    file_ = std::fopen(fileName.c_str(), "rb");
    next_ = 1;
    if (file_ == nullptr) return false;
  }
  while (next_ < number)
    if (!readLine(text)) return false;
  return readLine(text);
}

// The cells a byte takes on screen from cell `cell`: a tab reaches the next multiple of eight, a
// UTF-8 continuation byte takes none (it joins the cell of its lead byte), any other byte one.
std::size_t cellsOf(unsigned char c, std::size_t cell) {
  if (c == '\t') return 8 - cell % 8;
  return c >= 0x80 && c < 0xC0 ? 0 : 1;
}

std::string caretExcerpt(const std::string& text, std::int64_t number, std::int64_t position,
                         int width) {
  const std::size_t last = position < 1 ? 0
                           : static_cast<std::size_t>(position) > text.size()
                               ? text.size()
                               : static_cast<std::size_t>(position - 1);
  const std::size_t first = last < text.size() ? tokenStart(text, last) : last;
  // The first cell of the token, of the caret, and the cells of the whole line. A continuation
  // byte at the place stands in the cell of its character.
  std::size_t cell = 0, from = 0, caret = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const std::size_t n = i < text.size() ? cellsOf(static_cast<unsigned char>(text[i]), cell) : 0;
    const std::size_t at = n == 0 && i < text.size() && cell > 0 ? cell - 1 : cell;
    if (i == first) from = at;
    if (i == last) caret = at;
    cell += n;
  }
  const std::size_t cells = cell;
  // The window: the whole line when it fits, else `width` cells around the caret.
  const std::size_t w = width < 8 ? 8 : static_cast<std::size_t>(width);
  std::size_t begin = 0, end = cells;
  if (cells + 1 > w) {
    begin = caret > w / 2 ? caret - w / 2 : 0;
    end = begin + w < cells ? begin + w : cells;
    if (end - begin < w && end == cells) begin = end + 1 > w ? end + 1 - w : 0;
  }
  char gutter[32];
  std::snprintf(gutter, sizeof gutter, "%5lld | ", static_cast<long long>(number));
  std::string out = gutter;
  std::string marks = "      | ";
  if (begin > 0) {
    out += "...";
    marks += "   ";
  }
  // The bytes whose cells lie in the window; a tab cut by its edge shows its part of blanks.
  cell = 0;
  for (std::size_t i = 0; i < text.size() && cell <= end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t n = cellsOf(c, cell);
    if (c == '\t') {
      for (std::size_t k = cell; k < cell + n; ++k)
        if (k >= begin && k < end) out += ' ';
    } else if (n == 0) {  // goes with its lead byte, in the cell before
      if (cell > begin && cell <= end) out += static_cast<char>(c);
    } else if (cell >= begin && cell < end) {
      out += c < 32 || c == 127 ? ' ' : static_cast<char>(c);
    }
    cell += n;
  }
  if (end < cells) out += "...";
  out += '\n';
  for (std::size_t k = begin; k < caret; ++k) marks += k >= from ? '~' : ' ';
  return out + marks + "^\n";
}
