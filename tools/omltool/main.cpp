// omltool: checks, converts and formats OML files against a grammar, and writes a grammar's key
// header. Results go to standard output or to the named file, messages to standard error; the
// exit status is 0 on success, 1 when a file has errors or cannot be written, 2 for a usage
// error.
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
#include "tools/omltool/grammar_file.h"
#include "tools/omltool/tree_writer.h"

namespace {

const char kUsage[] =
    "usage: omltool COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "  omltool check GRAMMAR FILE...\n"
    "      Reads each file against the grammar and prints the reader's numbered messages on\n"
    "      standard error. Exit status 0 only when no file has an error.\n"
    "  omltool convert --to text|binary [--from text|binary] GRAMMAR IN OUT\n"
    "      Reads IN and writes every object, id, section, field and value to OUT in the other\n"
    "      encoding (or the same), through a temporary file renamed to OUT at the end.\n"
    "  omltool format [--from text|binary] GRAMMAR IN\n"
    "      Writes IN in the canonical text form on standard output.\n"
    "  omltool keys GRAMMAR OUT\n"
    "      Writes the grammar's key header (#define KT_XKEY_... lines) to OUT.\n"
    "  omltool --help\n"
    "\n"
    "The encoding of an input file is given with --from, or else taken from its name (.oml text,\n"
    ".omlb binary), or else from its first bytes (control bytes mean binary).\n"
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

// Reads a file for the tool: every message goes to standard error as it comes; no object is
// built and every field is taken, so only the file itself is checked. On a terminal, reading a
// large file shows how far it has come.
class ToolReader : public KtOMLFile {
 public:
  explicit ToolReader(std::int64_t size) : size_(size), showProgress_(isatty(2) != 0) {}
  ~ToolReader() override { clearProgress(); }

 protected:
  int vReadField(KtOMLSyntaxField*, KtOMLSyntaxObject*, KtObject*) override { return 1; }
  void vErrorMessage(const char* file, std::int32_t line, int position, int code, const char* text,
                     int fatal) override {
    print(
        messageLine(fatal != 0 ? "Fatal error" : "Error", code, false, file, line, position, text));
    KtOMLFile::vErrorMessage(file, line, position, code, text, fatal);
  }
  void vWarningMessage(const char* file, std::int32_t line, int position, int code,
                       const char* text) override {
    print(messageLine("Warning", code, true, file, line, position, text));
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
  void print(char* line) {
    clearProgress();
    if (line != nullptr) std::fputs(line, stderr);
    std::free(line);
  }
  void clearProgress() {
    if (shown_ < 0) return;
    std::fprintf(stderr, "\r%24s\r", "");
    shown_ = -1;
  }

  std::int64_t size_;
  bool showProgress_;
  int shown_ = -1;
};

std::int64_t fileSize(const std::string& name) {
  struct stat status;
  return stat(name.c_str(), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

// The encoding of an input file: --from, else the name, else the first bytes.
bool isBinary(const std::string& name, const std::string& from) {
  if (!from.empty()) return from == "binary";
  auto endsWith = [&](const char* ending) {
    const std::size_t n = std::strlen(ending);
    return name.size() >= n && name.compare(name.size() - n, n, ending) == 0;
  };
  if (endsWith(".omlb")) return true;
  if (endsWith(".oml")) return false;
  std::FILE* in = std::fopen(name.c_str(), "rb");
  if (in == nullptr) return false;
  unsigned char head[256];
  const std::size_t n = std::fread(head, 1, sizeof head, in);
  std::fclose(in);
  for (std::size_t i = 0; i < n; ++i)
    if (head[i] < 32 && head[i] != '\t' && head[i] != '\n' && head[i] != '\r') return true;
  return false;
}

// Reads one input; the reader keeps its syntax tree. False when the file has errors.
bool readInput(ToolReader& reader, KtOMLStatic& grammar, const std::string& name, bool binary) {
  return reader.readOMLFile(name.c_str(), &grammar, nullptr, -1, binary ? 1 : 0, 0, 0) ==
         KT_FILE_OK;
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

// Writes the tree of `reader` to `target` through a temporary file renamed at the end.
int writeTree(const ToolReader& reader, KtOMLStatic& grammar, const std::string& target,
              bool binary) {
  const std::string temporary = temporaryBeside(target);
  if (temporary.empty()) return failure("cannot write " + target + ": " + std::strerror(errno));
  TreeWriter writer(reader.pSyntaxTree());
  if (writer.writeOMLFile(temporary.c_str(), &grammar, nullptr, binary ? 1 : 0, 0, 0) !=
      KT_FILE_OK) {
    std::remove(temporary.c_str());
    return failure("cannot write " + target);
  }
  if (writer.unnamedFields() > 0) {
    std::remove(temporary.c_str());
    return failure("cannot write " + target + ": " + std::to_string(writer.unnamedFields()) +
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

struct Arguments {
  std::string command;
  std::string to, from;
  std::vector<std::string> rest;
};

// Options may stand anywhere after the command; "--" ends them.
int parseArguments(int argc, char** argv, Arguments& out) {
  if (argc < 2) return usageError("no command given");
  out.command = argv[1];
  bool options = true;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (options && a == "--") {
      options = false;
    } else if (options && (a == "--to" || a == "--from")) {
      if (i + 1 >= argc) return usageError(a + " needs text or binary");
      const std::string v = argv[++i];
      if (v != "text" && v != "binary") return usageError(a + " takes text or binary, not " + v);
      (a == "--to" ? out.to : out.from) = v;
    } else if (options && a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      out.rest.push_back(a);
    }
  }
  return 0;
}

int check(KtOMLStatic& grammar, const std::vector<std::string>& files, const std::string& from) {
  int status = 0;
  for (const std::string& file : files) {
    ToolReader reader(fileSize(file));
    if (!readInput(reader, grammar, file, isBinary(file, from))) status = 1;
  }
  return status;
}

int convert(KtOMLStatic& grammar, const Arguments& a) {
  ToolReader reader(fileSize(a.rest[1]));
  if (!readInput(reader, grammar, a.rest[1], isBinary(a.rest[1], a.from)))
    return failure(a.rest[1] + " has errors; nothing written");
  return writeTree(reader, grammar, a.rest[2], a.to == "binary");
}

int format(KtOMLStatic& grammar, const Arguments& a) {
  ToolReader reader(fileSize(a.rest[1]));
  if (!readInput(reader, grammar, a.rest[1], isBinary(a.rest[1], a.from)))
    return failure(a.rest[1] + " has errors");
  const char* folder = std::getenv("TMPDIR");
  const std::string temporary =
      temporaryBeside(std::string(folder != nullptr ? folder : "/tmp") + "/omltool-format");
  if (temporary.empty()) return failure("cannot make a temporary file");
  TreeWriter writer(reader.pSyntaxTree());
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
  Arguments a;
  if (const int status = parseArguments(argc, argv, a)) return status;
  std::size_t wanted = 0;
  if (a.command == "check") {
    if (a.rest.size() < 2) return usageError("check needs a grammar and at least one file");
  } else if (a.command == "convert") {
    if (a.to.empty()) return usageError("convert needs --to text or --to binary");
    wanted = 3;
  } else if (a.command == "format") {
    wanted = 2;
  } else if (a.command == "keys") {
    wanted = 2;
  } else {
    return usageError("unknown command " + a.command);
  }
  if (wanted != 0 && a.rest.size() != wanted)
    return usageError(a.command + " takes " + std::to_string(wanted) + " file names, not " +
                      std::to_string(a.rest.size()));
  std::string error;
  std::unique_ptr<KtOMLStatic> grammar = loadGrammar(a.rest[0], error);
  if (grammar == nullptr) return failure(error);
  if (a.command == "check")
    return check(*grammar, std::vector<std::string>(a.rest.begin() + 1, a.rest.end()), a.from);
  if (a.command == "convert") return convert(*grammar, a);
  if (a.command == "format") return format(*grammar, a);
  return keys(*grammar, a.rest[1]);
}
