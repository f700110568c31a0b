// Test helpers for the file classes: a fresh temporary directory per test, and raw access to
// the files in it.
#ifndef KTBASE_FILES_FILE_TEST_UTIL_H
#define KTBASE_FILES_FILE_TEST_UTIL_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ktbase-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  void writeRaw(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path(name), std::ios::binary);
    out << bytes;
  }

  std::string readRaw(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool exists(const std::string& name) const { return access(path(name).c_str(), F_OK) == 0; }

  std::string dir_;
};

#endif  // KTBASE_FILES_FILE_TEST_UTIL_H
