// omltool: checks, converts and formats OML files against a grammar (in text, binary or JSON),
// and writes a grammar's key header. Results go to standard output or to the named file,
// messages to standard error; the exit status is 0 on success, 1 when a file has errors or
// cannot be written, 2 for a usage error.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_static.h"
#include "tools/omltool/caret.h"
#include "tools/omltool/grammar_file.h"
#include "tools/omltool/json_reader.h"
#include "tools/omltool/json_writer.h"
#include "tools/omltool/tree_writer.h"

namespace {

const char kUsage[] =
    "usage: omltool COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "  omltool check GRAMMAR FILE...\n"
    "      Reads each file against the grammar and prints the reader's numbered messages on\n"
    "      standard error. Exit status 0 only when no file has an error.\n"
    "  omltool convert --to text|binary|json GRAMMAR IN OUT\n"
    "      Reads IN and writes every object, id, section, field and value to OUT in the given\n"
    "      form, through a temporary file renamed to OUT at the end.\n"
    "  omltool format GRAMMAR IN\n"
    "      Writes IN in the canonical text form on standard output.\n"
    "  omltool keys GRAMMAR OUT\n"
    "      Writes the grammar's key header (#define KT_XKEY_... lines) to OUT.\n"
    "  omltool --help\n"
    "\n"
    "Options (anywhere after the command; -- ends them):\n"
    "  --from text|binary|json  the form of the input files; else taken from the name (.oml\n"
    "                           text, .omlb binary, .json JSON), else from the first bytes\n"
    "                           (control bytes mean binary)\n"
    "  --to text|binary|json    the form convert writes\n"
    "  --caret, --no-caret      after each message with a place in a text file, show the line\n"
    "                           and a caret under the place (by default on a terminal)\n"
    "  --include-root DIR       included files must resolve to DIR or below it\n"
    "  --no-include             every include is refused\n"
    "For files from untrusted sources, use --no-include or --include-root: else a file can make\n"
    "omltool read (and show parts of) any file it may open. A refused include is fatal error 13.\n"
    "\n"
    "Names are written as the grammar file spells them, and matched in any case.\n"
    "\n"
    "JSON: the document is the root record; a record has \"type\", \"id\" (a string; none\n"
    "for an object without id), \"defaults\": true, \"section\" (\"layout/grid\"), then\n"
    "\"fields\", \"unchecked\" and \"objects\" (lists). A field is {\"name\": value}, the\n"
    "name behind its section path (\"layout/spacing\"); a value is an integer, a real (with a\n"
    "fraction or an exponent), a string, true, false, or {\"enum\": \"box\"}, {\"ip\":\n"
    "\"10.0.0.1\"}, {\"bytes\": \"0a1b\"}, {\"ref\": \"$,1,7\"}, {\"real\": \"inf\"}. A JSON\n"
    "file that does not fit is refused with one line naming its place. README.md has it all.\n"
    "\n"
    "A grammar file holds the OML definition language, one table line per line (O, F, E, R, T\n"
    "and S lines, closed by } or ]), preceded by lines\n"
    "    value NAME NUMBER\n"
    "that install the enumeration values the definitions name. Blank lines and lines beginning\n"
    "with # are comments. For example:\n"
    "    value box 1\n"
    "    value circle 2\n"
    "    O $toplevel$\n"
    "      T Graph\n"
    "    }\n"
    "    O Graph\n"
    "      F label S\n"
    "      T Node\n"
    "    }\n"
    "    O Node\n"
    "      F x I\n"
    "      E shape [box, circle] R\n"
    "    }\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "omltool: %s (try omltool --help)\n", message.c_str());
  return 2;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "omltool: %s\n", message.c_str());
  return 1;
}

enum class Form { kText, kBinary, kJson };

struct Options {
  std::string command;
  std::string to, from;
  bool caret = false;
  std::string includeRoot;  // "" : includes are not confined
  bool noInclude = false;
  std::vector<std::string> rest;
};

// Shows the line and a caret under the place of a message in a text file.
class Excerpts {
 public:
  explicit Excerpts(bool on) : on_(on) {}
  void show(const std::string& file, std::int64_t line, std::int64_t position) {
    std::string text;
    if (on_ && line >= 1 && lines_.line(file, line, text))
      std::fputs(caretExcerpt(text, line, position).c_str(), stderr);
  }

 private:
  bool on_;
  SourceLines lines_;
};

// Reads a file for the tool: every message goes to standard error as it comes (with an excerpt
// of a text file when asked); no object is built and every field is taken, so only the file
// itself is checked. On a terminal, reading a large file shows how far it has come.
class ToolReader : public KtOMLFile {
 public:
  ToolReader(std::int64_t size, Excerpts& excerpts, bool text)
      : size_(size), showProgress_(isatty(2) != 0), excerpts_(excerpts), text_(text) {}
  ~ToolReader() override { clearProgress(); }

 protected:
  int vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) override { return 1; }
  void vErrorMessage(const char* file, std::int32_t line, int position, int code, const char* text,
                     int fatal) override {
    print(
        messageLine(fatal != 0 ? "Fatal error" : "Error", code, false, file, line, position, text),
        file, line, position);
    KtOMLFile::vErrorMessage(file, line, position, code, text, fatal);
  }
  void vWarningMessage(const char* file, std::int32_t line, int position, int code,
                       const char* text) override {
    print(messageLine("Warning", code, true, file, line, position, text), file, line, position);
    KtOMLFile::vWarningMessage(file, line, position, code, text);
  }
  void vReadProgress(std::int64_t bytes) override {
    if (!showProgress_ || size_ <= 0) return;
    const int percent = static_cast<int>(bytes >= size_ ? 100 : bytes * 100 / size_);
    if (percent == shown_) return;
    shown_ = percent;
    std::fprintf(stderr, "\romltool: reading %3d%%", percent);
    std::fflush(stderr);
  }

 private:
  void print(char* line, const char* file, std::int32_t number, int position) {
    clearProgress();
    if (line != nullptr) std::fputs(line, stderr);
    std::free(line);
    if (text_ && file != nullptr) excerpts_.show(file, number, position);
  }
  void clearProgress() {
    if (shown_ < 0) return;
    std::fprintf(stderr, "\r%24s\r", "");
    shown_ = -1;
  }

  std::int64_t size_;
  bool showProgress_;
  Excerpts& excerpts_;
  bool text_;
  int shown_ = -1;
};

std::int64_t fileSize(const std::string& name) {
  struct stat status;
  return stat(name.c_str(), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

bool endsWith(const std::string& name, const char* ending) {
  const std::size_t n = std::strlen(ending);
  return name.size() >= n && name.compare(name.size() - n, n, ending) == 0;
}

// The form of an input file: --from, else the name, else the first bytes.
Form formOf(const std::string& name, const std::string& from) {
  if (!from.empty())
    return from == "binary" ? Form::kBinary : from == "json" ? Form::kJson : Form::kText;
  if (endsWith(name, ".omlb")) return Form::kBinary;
  if (endsWith(name, ".oml")) return Form::kText;
  if (endsWith(name, ".json")) return Form::kJson;
  std::FILE* in = std::fopen(name.c_str(), "rb");
  if (in == nullptr) return Form::kText;
  unsigned char head[256];
  const std::size_t n = std::fread(head, 1, sizeof head, in);
  std::fclose(in);
  for (std::size_t i = 0; i < n; ++i)
    if (head[i] < 32 && head[i] != '\t' && head[i] != '\n' && head[i] != '\r') return Form::kBinary;
  return Form::kText;
}

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != 0 ? folder : "/tmp";
}

// Reads one input into a reader that keeps its syntax tree; null when the file has errors,
// which are on standard error then (a JSON file's as one line).
std::unique_ptr<KtOMLFile> readInput(const Options& o, KtOMLStatic& grammar,
                                     const std::string& name, Excerpts& excerpts) {
  const Form form = formOf(name, o.from);
  if (form == Form::kJson) {
    auto reader = std::make_unique<JsonReader>();
    std::string error;
    TextPlace place;
    if (reader->read(name, &grammar, temporaryFolder(), error, place)) return reader;
    std::fprintf(stderr, "omltool: %s\n", error.c_str());
    excerpts.show(name, place.line, place.column);
    return nullptr;
  }
  auto reader = std::make_unique<ToolReader>(fileSize(name), excerpts, form == Form::kText);
  if (o.noInclude) {
    reader->includeMode(KT_OML_INCLUDE_NONE);
  } else if (!o.includeRoot.empty()) {
    reader->includeMode(KT_OML_INCLUDE_BELOW_ROOT);
    if (reader->includeRoot(o.includeRoot.c_str()) == nullptr) {
      std::fprintf(stderr, "omltool: out of memory\n");
      return nullptr;
    }
  }
  if (reader->readOMLFile(name.c_str(), &grammar, nullptr, -1, form == Form::kBinary ? 1 : 0, 0,
                          0) != KT_FILE_OK)
    return nullptr;
  return reader;
}

// A temporary file beside `target`, made now so that its name is taken.
std::string temporaryBeside(const std::string& target) {
  std::string pattern = target + ".omltool-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  const int fd = mkstemp(name.data());
  if (fd < 0) return std::string();
  close(fd);
  return std::string(name.data());
}

// Writes `tree` to `target` in the given form through a temporary file renamed at the end.
int writeTree(const KtOMLSyntaxObject* tree, KtOMLStatic& grammar, const DeclaredNames& names,
              const std::string& target, Form form) {
  const std::string temporary = temporaryBeside(target);
  if (temporary.empty()) return failure("cannot write " + target + ": " + std::strerror(errno));
  int unnamed = 0;
  KtFileCodeEnum written;
  if (form == Form::kJson) {
    JsonWriter writer(tree, &names);
    written = writer.writeOMLFile(temporary.c_str(), &grammar, nullptr, 0, 0, 0);
  } else {
    TreeWriter writer(tree, &names);
    written = writer.writeOMLFile(temporary.c_str(), &grammar, nullptr,
                                  form == Form::kBinary ? 1 : 0, 0, 0);
    unnamed = writer.unnamedFields();
  }
  if (written != KT_FILE_OK) {
    std::remove(temporary.c_str());
    return failure("cannot write " + target);
  }
  if (unnamed > 0) {
    std::remove(temporary.c_str());
    return failure("cannot write " + target + ": " + std::to_string(unnamed) +
                   " unchecked field(s) have names the grammar does not know, which the binary "
                   "encoding cannot name");
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary.c_str());
    return failure("cannot write " + target + ": " + reason);
  }
  return 0;
}

// Options may stand anywhere after the command; "--" ends them.
int parseArguments(int argc, char** argv, Options& out) {
  if (argc < 2) return usageError("no command given");
  out.command = argv[1];
  out.caret = isatty(2) != 0;
  bool options = true;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (options && a == "--") {
      options = false;
    } else if (options && (a == "--to" || a == "--from")) {
      if (i + 1 >= argc) return usageError(a + " needs text, binary or json");
      const std::string v = argv[++i];
      if (v != "text" && v != "binary" && v != "json")
        return usageError(a + " takes text, binary or json, not " + v);
      (a == "--to" ? out.to : out.from) = v;
    } else if (options && (a == "--caret" || a == "--no-caret")) {
      out.caret = a == "--caret";
    } else if (options && a == "--include-root") {
      if (i + 1 >= argc || argv[i + 1][0] == 0) return usageError(a + " needs a folder");
      out.includeRoot = argv[++i];
    } else if (options && a == "--no-include") {
      out.noInclude = true;
    } else if (options && a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      out.rest.push_back(a);
    }
  }
  return 0;
}

int check(KtOMLStatic& grammar, const Options& o) {
  int status = 0;
  Excerpts excerpts(o.caret);
  for (std::size_t i = 1; i < o.rest.size(); ++i)
    if (readInput(o, grammar, o.rest[i], excerpts) == nullptr) status = 1;
  return status;
}

int convert(KtOMLStatic& grammar, const DeclaredNames& names, const Options& o) {
  Excerpts excerpts(o.caret);
  const std::unique_ptr<KtOMLFile> reader = readInput(o, grammar, o.rest[1], excerpts);
  if (reader == nullptr)
    return formOf(o.rest[1], o.from) == Form::kJson
               ? 1
               : failure(o.rest[1] + " has errors; nothing written");
  const Form to = o.to == "binary" ? Form::kBinary : o.to == "json" ? Form::kJson : Form::kText;
  return writeTree(reader->pSyntaxTree(), grammar, names, o.rest[2], to);
}

int format(KtOMLStatic& grammar, const DeclaredNames& names, const Options& o) {
  Excerpts excerpts(o.caret);
  const std::unique_ptr<KtOMLFile> reader = readInput(o, grammar, o.rest[1], excerpts);
  if (reader == nullptr)
    return formOf(o.rest[1], o.from) == Form::kJson ? 1 : failure(o.rest[1] + " has errors");
  const std::string temporary = temporaryBeside(temporaryFolder() + "/omltool-format");
  if (temporary.empty()) return failure("cannot make a temporary file");
  TreeWriter writer(reader->pSyntaxTree(), &names);
  const bool written =
      writer.writeOMLFile(temporary.c_str(), &grammar, nullptr, 0, 0, 0) == KT_FILE_OK;
  std::FILE* in = written ? std::fopen(temporary.c_str(), "rb") : nullptr;
  bool copied = in != nullptr;
  char buffer[1 << 16];
  for (std::size_t n; in != nullptr && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
    copied = copied && std::fwrite(buffer, 1, n, stdout) == n;
  if (in != nullptr) std::fclose(in);
  std::remove(temporary.c_str());
  copied = copied && std::fflush(stdout) == 0;
  return copied ? 0 : failure("cannot write the formatted text");
}

int keys(KtOMLStatic& grammar, const std::string& target) {
  const std::string temporary = temporaryBeside(target);
  if (temporary.empty()) return failure("cannot write " + target + ": " + std::strerror(errno));
  if (grammar.writeIndexDefinitions(temporary.c_str()) != KT_FILE_OK ||
      std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    return failure("cannot write " + target);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options o;
  if (const int status = parseArguments(argc, argv, o)) return status;
  std::size_t wanted = 0;
  if (o.command == "check") {
    if (o.rest.size() < 2) return usageError("check needs a grammar and at least one file");
  } else if (o.command == "convert") {
    if (o.to.empty()) return usageError("convert needs --to text, --to binary or --to json");
    wanted = 3;
  } else if (o.command == "format") {
    wanted = 2;
  } else if (o.command == "keys") {
    wanted = 2;
  } else {
    return usageError("unknown command " + o.command);
  }
  if (wanted != 0 && o.rest.size() != wanted)
    return usageError(o.command + " takes " + std::to_string(wanted) + " file names, not " +
                      std::to_string(o.rest.size()));
  std::string error;
  DeclaredNames names;
  std::unique_ptr<KtOMLStatic> grammar = loadGrammar(o.rest[0], error, &names);
  if (grammar == nullptr) return failure(error);
  if (o.command == "check") return check(*grammar, o);
  if (o.command == "convert") return convert(*grammar, names, o);
  if (o.command == "format") return format(*grammar, names, o);
  return keys(*grammar, o.rest[1]);
}
