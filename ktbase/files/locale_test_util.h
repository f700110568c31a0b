// Test helper: a locale with a decimal comma ("0,5") and '.' between groups of thousands, the
// kind a graph application in much of Europe runs under after setlocale(LC_ALL, ""). It is made
// with localedef (from Debian's locales package, which scripts/deps.sh installs) into a fresh
// temporary folder that LOCPATH names; when that fails an installed one is looked for. The
// process stays in "C" until enter(); the destructor returns it to "C", restores LOCPATH and
// removes the folder, also when a test ends early.
#ifndef KTBASE_FILES_LOCALE_TEST_UTIL_H
#define KTBASE_FILES_LOCALE_TEST_UTIL_H

#include <stdlib.h>
#include <sys/wait.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

class DecimalCommaLocale {
 public:
  DecimalCommaLocale() {
    const char* locpath = std::getenv("LOCPATH");
    hadLocpath_ = locpath != nullptr;
    if (hadLocpath_) savedLocpath_ = locpath;
    int status = -1;
    char pattern[] = "/tmp/ktbase-locale-XXXXXX";
    if (mkdtemp(pattern) != nullptr) {
      dir_ = pattern;
      std::ofstream(dir_ + "/comma.def") << "LC_NUMERIC\n"
                                            "decimal_point \"<U002C>\"\n"
                                            "thousands_sep \"<U002E>\"\n"
                                            "grouping 3;3\n"
                                            "END LC_NUMERIC\n";
      // The categories left out take their "C" values; localedef warns about them and exits
      // with 1, so only the locale itself tells whether it worked.
      const std::string command = "localedef -c -f ANSI_X3.4-1968 -i '" + dir_ + "/comma.def' '" +
                                  dir_ + "/kt_comma' >/dev/null 2>&1";
      status = std::system(command.c_str());
      setenv("LOCPATH", dir_.c_str(), 1);
      if (hasDecimalComma("kt_comma")) return;
      restoreLocpath();
    }
    // With LOCPATH set the C library looks nowhere else, so installed locales are tried after.
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8"})
      if (hasDecimalComma(name)) return;
    why_ = "no locale with a decimal comma: localedef could not make one (exit status " +
           std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
           "; is Debian's locales package installed?) and none is installed";
  }

  ~DecimalCommaLocale() {
    leave();
    restoreLocpath();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  // Empty when the locale can be entered; otherwise why not, for GTEST_SKIP.
  const std::string& unavailable() const { return why_; }
  // Switches the whole process, as setlocale(LC_ALL, "") in an application does; true iff it did.
  bool enter() const { return std::setlocale(LC_ALL, name_.c_str()) != nullptr; }
  static void leave() { std::setlocale(LC_ALL, "C"); }

 private:
  // Enters `name`, checks that the C library writes a decimal comma under it, and leaves it.
  bool hasDecimalComma(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.5);
    leave();
    if (std::strcmp(text, "0,5") != 0) return false;
    name_ = name;
    return true;
  }

  void restoreLocpath() const {
    if (hadLocpath_)
      setenv("LOCPATH", savedLocpath_.c_str(), 1);
    else
      unsetenv("LOCPATH");
  }

  std::string dir_;
  std::string name_;
  std::string why_;
  std::string savedLocpath_;
  bool hadLocpath_ = false;
};

#endif  // KTBASE_FILES_LOCALE_TEST_UTIL_H
