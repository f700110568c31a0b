// The OML corpus, read against the corpus grammar. Every file of testdata/invalid (text .oml,
// binary .omlb) gives the messages of NAME.messages; every file of testdata/valid gives no
// message and the syntax tree of NAME.tree.
//
// Every file of testdata/invalid (text .oml, binary .omlb) is read against the
// corpus grammar; the messages it gives (errors, or warnings only), in order, must be those of
// NAME.messages beside it. Files are read from inside their folder, so messages name them as
// written there. With KTBASE_UPDATE_CORPUS set, missing .messages files are written instead (for
// review).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ktbase/oml/oml_test_util.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> casesIn(const fs::path& folder) {
  std::vector<fs::path> cases;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".oml" || extension == ".omlb") cases.push_back(entry.path());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// Runs in the folder of the files, and goes back where it was.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

TEST(OMLCorpusTest, InvalidFilesGiveTheirMessages) {
  const fs::path folder = fs::path(KTBASE_OML_TESTDATA) / "invalid";
  std::unique_ptr<KtOMLStatic> grammar(newCorpusGrammar());
  const std::vector<fs::path> cases = casesIn(folder);
  ASSERT_FALSE(cases.empty());
  InFolder inside(folder);
  for (const fs::path& file : cases) {
    const bool binary = file.extension() == ".omlb";
    LoggingOMLFile reader;
    reader.pErrorStringBuffer(1 << 16);
    const KtFileCodeEnum result =
        reader.readOMLFile(file.filename().c_str(), grammar.get(), nullptr, -1, binary, 0, 0);
    fs::path expected = file;
    expected.replace_extension(".messages");
    if (!fs::exists(expected) && std::getenv("KTBASE_UPDATE_CORPUS") != nullptr)
      std::ofstream(expected, std::ios::binary) << reader.log;
    EXPECT_EQ(reader.log, readAll(expected)) << file.filename();
    // Every case gives messages; only errors make the reading fail.
    EXPECT_FALSE(reader.log.empty()) << file.filename();
    EXPECT_EQ(result != KT_FILE_OK, reader.numberOfErrors() > 0) << file.filename();
  }
}

// Every file of testdata/valid reads without a message, and its syntax tree is NAME.tree.
TEST(OMLCorpusTest, ValidFilesGiveTheirTrees) {
  const fs::path folder = fs::path(KTBASE_OML_TESTDATA) / "valid";
  std::unique_ptr<KtOMLStatic> grammar(newCorpusGrammar());
  const std::vector<fs::path> cases = casesIn(folder);
  ASSERT_FALSE(cases.empty());
  InFolder inside(folder);
  for (const fs::path& file : cases) {
    LoggingOMLFile reader;
    const KtFileCodeEnum result = reader.readOMLFile(
        file.filename().c_str(), grammar.get(), nullptr, -1, file.extension() == ".omlb", 0, 0);
    EXPECT_EQ(reader.log, "") << file.filename();
    EXPECT_EQ(result, KT_FILE_OK) << file.filename();
    fs::path expected = file;
    expected.replace_extension(".tree");
    if (!fs::exists(expected) && std::getenv("KTBASE_UPDATE_CORPUS") != nullptr)
      std::ofstream(expected, std::ios::binary) << dumpTree(reader);
    EXPECT_EQ(dumpTree(reader), readAll(expected)) << file.filename();
  }
}

}  // namespace
