#include "tools/omltool/caret.h"

#include <vector>

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

std::string caretExcerpt(const std::string& text, std::int64_t number, std::int64_t position,
                         int width) {
  // The cells of the line as shown, and the first cell of every byte (one more for the end).
  std::vector<std::string> cells;
  std::vector<std::size_t> cellOf(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    cellOf[i] = cells.size();
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\t') {
      do cells.emplace_back(" ");
      while (cells.size() % 8 != 0);
    } else if (c < 32 || c == 127) {
      cells.emplace_back(" ");
    } else if (c >= 0x80 && c < 0xC0 && !cells.empty() &&
               static_cast<unsigned char>(cells.back()[0]) >= 0x80) {
      cells.back().push_back(static_cast<char>(c));  // a continuation byte: the same cell
      cellOf[i] = cells.size() - 1;
    } else {
      cells.emplace_back(1, static_cast<char>(c));
    }
  }
  cellOf[text.size()] = cells.size();
  const std::size_t last = position < 1 ? 0
                           : static_cast<std::size_t>(position) > text.size()
                               ? text.size()
                               : static_cast<std::size_t>(position - 1);
  const std::size_t caret = cellOf[last];
  const std::size_t from = last < text.size() ? cellOf[tokenStart(text, last)] : caret;
  // The window: the whole line when it fits, else `width` cells around the caret.
  const std::size_t w = width < 8 ? 8 : static_cast<std::size_t>(width);
  std::size_t begin = 0, end = cells.size();
  if (cells.size() + 1 > w) {
    begin = caret > w / 2 ? caret - w / 2 : 0;
    end = begin + w < cells.size() ? begin + w : cells.size();
    if (end - begin < w && end == cells.size()) begin = end + 1 > w ? end + 1 - w : 0;
  }
  char gutter[32];
  std::snprintf(gutter, sizeof gutter, "%5lld | ", static_cast<long long>(number));
  std::string out = gutter;
  std::string marks = "      | ";
  if (begin > 0) {
    out += "...";
    marks += "   ";
  }
  for (std::size_t cell = begin; cell < end; ++cell) out += cells[cell];
  if (end < cells.size()) out += "...";
  out += '\n';
  for (std::size_t cell = begin; cell < caret; ++cell) marks += cell >= from ? '~' : ' ';
  return out + marks + "^\n";
}
