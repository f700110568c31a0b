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
  // Names as the grammar file spells them.
  EXPECT_EQ(formatted.rfind("Graph: 1\r\n{\r\n\tlabel: \"city lines\"\r\n\tdirected: true\r\n", 0),
            0u)
      << formatted;
  EXPECT_NE(formatted.find("\tNode: defaults\r\n"), std::string::npos) << formatted;
  EXPECT_NE(formatted.find("label: \"Old Town \\\"Altstadt\\\"\""), std::string::npos);
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
  for (const char* text : {"value NAME NUMBER", "--to text|binary|json", "--caret, --no-caret",
                           "{\"ref\": \"$,1,7\"}"})
    EXPECT_NE(out_.find(text), std::string::npos) << text;
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(err_, "omltool: no command given (try omltool --help)\n");
  EXPECT_EQ(run("translate graph.grammar city.oml"), 2);
  EXPECT_EQ(err_, "omltool: unknown command translate (try omltool --help)\n");
  EXPECT_EQ(run("check --fast graph.grammar city.oml"), 2);
  EXPECT_EQ(err_, "omltool: unknown option --fast (try omltool --help)\n");
  EXPECT_EQ(run("convert graph.grammar city.oml x.oml"), 2);
  EXPECT_EQ(run("convert --to yaml graph.grammar city.oml x.oml"), 2);
  EXPECT_EQ(err_, "omltool: --to takes text, binary or json, not yaml (try omltool --help)\n");
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

TEST_F(OmltoolTest, Json) {
  copyExample("graph.grammar");
  copyExample("city.oml");
  ASSERT_EQ(run("format graph.grammar city.oml"), 0) << err_;
  const std::string formatted = out_;
  ASSERT_EQ(run("convert --to json graph.grammar city.oml city.json"), 0) << err_;
  const std::string json = readRaw("city.json");
  EXPECT_EQ(
      json.rfind("{\n  \"objects\": [\n    {\n      \"type\": \"Graph\",\n      \"id\": \"1\",\n"
                 "      \"fields\": [\n        {\"label\": \"city lines\"},\n",
                 0),
      0u)
      << json;
  EXPECT_NE(json.find("{\"layout/spacing\": 1.5}"), std::string::npos);
  EXPECT_NE(json.find("{\"target\": {\"ref\": \"3\"}}"), std::string::npos);
  // A name ending in .json is read as JSON; elsewhere --from json says so.
  ASSERT_EQ(run("convert --to text graph.grammar city.json back.oml"), 0) << err_;
  EXPECT_EQ(readRaw("back.oml"), formatted);
  writeRaw("city.data", json);
  ASSERT_EQ(run("convert --from json --to binary graph.grammar city.data city.omlb"), 0) << err_;
  ASSERT_EQ(run("format graph.grammar city.omlb"), 0) << err_;
  EXPECT_EQ(out_, formatted);
  ASSERT_EQ(run("format graph.grammar city.json"), 0) << err_;
  EXPECT_EQ(out_, formatted);
  EXPECT_EQ(run("check graph.grammar city.json"), 0);
  EXPECT_EQ(err_, "");
  ASSERT_EQ(run("convert --to json graph.grammar city.omlb again.json"), 0) << err_;
  EXPECT_EQ(readRaw("again.json"), json);
  // JSON that does not fit: one line with its place, and nothing written.
  writeRaw("bad.json", "{\"objects\": [{\"type\": \"Graph\",\n  \"fields\": [{\"label\": 7}]}]}\n");
  writeRaw("kept.oml", "kept");
  EXPECT_EQ(run("convert --to text graph.grammar bad.json kept.oml"), 1);
  EXPECT_EQ(err_, "omltool: bad.json:2:24: string expected (#024)\n");
  EXPECT_EQ(readRaw("kept.oml"), "kept");
  EXPECT_EQ(run("check --caret graph.grammar bad.json city.oml"), 1);
  EXPECT_EQ(err_,
            "omltool: bad.json:2:24: string expected (#024)\n"
            "    2 |   \"fields\": [{\"label\": 7}]}]}\n"
            "      |                        ^\n");
  EXPECT_EQ(run("check graph.grammar missing.json"), 1);
  EXPECT_EQ(err_.rfind("omltool: missing.json: cannot read it: ", 0), 0u) << err_;
}

TEST_F(OmltoolTest, Carets) {
  copyExample("graph.grammar");
  copyExample("broken.oml");
  const std::string messages =
      "Error #024 (broken.oml:3:17) integer number expected !\n"
      "    3 |   Node 1 { x: 1.5 shape: square }\n"
      "      |               ~~^\n"
      "Error #025 (broken.oml:3:31) different value type expected !\n"
      "    3 |   Node 1 { x: 1.5 shape: square }\n"
      "      |                          ~~~~~^\n"
      "Error #016 (broken.oml:5:1) right bracket without left bracket !\n"
      "    5 | }\n"
      "      | ^\n"
      "Error #020 (broken.oml:5:1) unexpected token !\n"
      "    5 | }\n"
      "      | ^\n";
  EXPECT_EQ(run("check --caret graph.grammar broken.oml"), 1);
  EXPECT_EQ(err_, messages);
  EXPECT_EQ(run("format graph.grammar --caret broken.oml"), 1);
  EXPECT_EQ(err_, messages + "omltool: broken.oml has errors\n");
  // The last of --caret and --no-caret counts; without a terminal there is no excerpt.
  EXPECT_EQ(run("check --caret --no-caret graph.grammar broken.oml"), 1);
  EXPECT_EQ(err_.find(" | "), std::string::npos) << err_;
  // A binary file has no lines to show.
  writeRaw("b.omlb", std::string("O\x01", 2));
  EXPECT_EQ(run("check --caret graph.grammar b.omlb"), 1);
  EXPECT_EQ(err_.find(" | "), std::string::npos) << err_;
}

TEST_F(OmltoolTest, IncludesFromUntrustedFiles) {
  copyExample("graph.grammar");
  ASSERT_EQ(std::system(("mkdir '" + dir_ + "/sub'").c_str()), 0);
  writeRaw("sub/nodes.oml", "Node 2\n");
  writeRaw("secret.oml", "Node 3\n");
  writeRaw("sub/main.oml",
           "Graph 1 {\n  include \"sub/nodes.oml\"\n  include \"sub/../secret.oml\"\n}\n");
  ASSERT_EQ(run("format graph.grammar sub/main.oml"), 0) << err_;
  EXPECT_NE(out_.find("Node: 3"), std::string::npos) << out_;
  // Confined to sub: the file in it is read, the one beside it refused.
  EXPECT_EQ(run("check --include-root sub graph.grammar sub/main.oml"), 1);
  EXPECT_EQ(err_, "Fatal error #013 (sub/main.oml:3:29) cannot open `sub/../secret.oml' !\n");
  EXPECT_EQ(run("check --include-root . graph.grammar sub/main.oml"), 0) << err_;
  EXPECT_EQ(run("check --no-include graph.grammar sub/main.oml"), 1);
  EXPECT_EQ(err_, "Fatal error #013 (sub/main.oml:2:25) cannot open `sub/nodes.oml' !\n");
  writeRaw("kept.oml", "kept");
  EXPECT_EQ(run("convert --no-include --to text graph.grammar sub/main.oml kept.oml"), 1);
  EXPECT_EQ(readRaw("kept.oml"), "kept");
  EXPECT_EQ(run("check graph.grammar sub/main.oml --include-root"), 2);
  EXPECT_EQ(err_, "omltool: --include-root needs a folder (try omltool --help)\n");
}

}  // namespace
