// omltool end to end: the commands on the bundled examples, and every kind of user error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "ktbase/files/file_test_util.h"

namespace {

class OmltoolTest : public TempDirTest {
 protected:
  // Runs omltool with `arguments` in the temporary folder; its exit status, with standard output
  // and standard error in out_ and err_.
  int run(const std::string& arguments) {
    const std::string command =
        "cd '" + dir_ + "' && '" + OMLTOOL_PATH + "' " + arguments + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    out_ = readRaw("out.txt");
    err_ = readRaw("err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void copyExample(const std::string& name) {
    std::ifstream in(std::string(KTBASE_EXAMPLES_DATA) + "/" + name, std::ios::binary);
    writeRaw(name, std::string(std::istreambuf_iterator<char>(in), {}));
  }

  std::string out_, err_;
};

TEST_F(OmltoolTest, CheckConvertFormatKeys) {
  copyExample("graph.grammar");
  copyExample("city.oml");
  copyExample("broken.oml");
  EXPECT_EQ(run("check graph.grammar city.oml"), 0) << err_;
  EXPECT_EQ(err_, "");
  EXPECT_EQ(run("check graph.grammar city.oml broken.oml"), 1);
  EXPECT_EQ(err_,
            "Error #024 (broken.oml:3:17) integer number expected !\n"
            "Error #025 (broken.oml:3:31) different value type expected !\n"
            "Error #016 (broken.oml:5:1) right bracket without left bracket !\n"
            "Error #020 (broken.oml:5:1) unexpected token !\n");
  // Text to binary and back gives the canonical text that format gives.
  ASSERT_EQ(run("convert --to binary graph.grammar city.oml city.omlb"), 0) << err_;
  ASSERT_EQ(run("convert --to text graph.grammar city.omlb back.oml"), 0) << err_;
  ASSERT_EQ(run("format graph.grammar city.oml"), 0) << err_;
  const std::string formatted = out_;
  EXPECT_EQ(readRaw("back.oml"), formatted);
  EXPECT_NE(formatted.find("\tNODE: defaults\r\n"), std::string::npos) << formatted;
  EXPECT_NE(formatted.find("LABEL: \"Old Town \\\"Altstadt\\\"\""), std::string::npos);
  // The encoding comes from --from, the name, or the first bytes.
  ASSERT_EQ(run("convert --to text graph.grammar city.omlb --from binary plain.txt"), 0) << err_;
  EXPECT_EQ(readRaw("plain.txt"), formatted);
  writeRaw("noname", readRaw("city.omlb"));
  ASSERT_EQ(run("format graph.grammar noname"), 0) << err_;
  EXPECT_EQ(out_, formatted);
  ASSERT_EQ(run("keys graph.grammar keys.h"), 0) << err_;
  EXPECT_NE(readRaw("keys.h").find("#define KT_XKEY_FI_COLOUR 16\r\n"), std::string::npos);
  EXPECT_NE(readRaw("keys.h").find("#define KT_XKEY_OI_EDGE 3\r\n"), std::string::npos);
  // Never a progress display when standard error is no terminal.
  EXPECT_EQ(run("check graph.grammar city.omlb"), 0);
  EXPECT_EQ(err_.find('\r'), std::string::npos);
}

TEST_F(OmltoolTest, UserErrors) {
  copyExample("graph.grammar");
  copyExample("city.oml");
  copyExample("broken.oml");
  EXPECT_EQ(run("--help"), 0);
  EXPECT_NE(out_.find("value NAME NUMBER"), std::string::npos);
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(err_, "omltool: no command given (try omltool --help)\n");
  EXPECT_EQ(run("translate graph.grammar city.oml"), 2);
  EXPECT_EQ(err_, "omltool: unknown command translate (try omltool --help)\n");
  EXPECT_EQ(run("check --fast graph.grammar city.oml"), 2);
  EXPECT_EQ(err_, "omltool: unknown option --fast (try omltool --help)\n");
  EXPECT_EQ(run("convert graph.grammar city.oml x.oml"), 2);
  EXPECT_EQ(run("convert --to json graph.grammar city.oml x.oml"), 2);
  EXPECT_EQ(run("format graph.grammar"), 2);
  EXPECT_EQ(err_, "omltool: format takes 2 file names, not 1 (try omltool --help)\n");
  EXPECT_EQ(run("check missing.grammar city.oml"), 1);
  EXPECT_EQ(err_.rfind("omltool: cannot read grammar missing.grammar", 0), 0u) << err_;
  writeRaw("bad.grammar", "value box\nO Graph\n}\n");
  EXPECT_EQ(run("check bad.grammar city.oml"), 1);
  EXPECT_EQ(err_, "omltool: bad.grammar:1: malformed value line (expected: value NAME NUMBER)\n");
  writeRaw("late.grammar", "O Graph\n}\nvalue box 1\n");
  EXPECT_EQ(run("check late.grammar city.oml"), 1);
  EXPECT_EQ(err_, "omltool: late.grammar:3: value lines come before the definitions\n");
  EXPECT_EQ(run("check graph.grammar missing.oml"), 1);
  EXPECT_EQ(err_, "Fatal error #013 cannot open `missing.oml' !\n");
  // Nothing is half-written over an existing output file.
  writeRaw("kept.oml", "kept");
  EXPECT_EQ(run("convert --to text graph.grammar broken.oml kept.oml"), 1);
  EXPECT_EQ(readRaw("kept.oml"), "kept");
  EXPECT_EQ(run("convert --to text graph.grammar city.oml no/such/folder.oml"), 1);
  EXPECT_EQ(err_.rfind("omltool: cannot write no/such/folder.oml", 0), 0u) << err_;
  EXPECT_EQ(run("keys graph.grammar no/such/keys.h"), 1);
}

}  // namespace
