// Runs the reg executable as a process against a scratch registry file in a
// temporary directory, and captures what it writes.
#pragma once
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_directory.h"

namespace reg_test {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string &text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class RegProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    registry_ = dir_ + "/registry.db";
  }
  std::string Path(const std::string &name) const { return dir_ + "/" + name; }

  std::string ReadFile(const std::string &name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteFile(const std::string &name, const std::string &bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  // The shell command that runs reg with `args` in the scratch directory
  // against `registry_`, with `environment` (NAME=value ...) added.
  std::string Command(const std::vector<std::string> &args, const std::string &environment = "") const {
    std::string command = "cd " + Quote(dir_) + " && env -u TOVIN_REGISTRY_MACHINE_READONLY TOVIN_REGISTRY_FILE=" +
                          Quote(registry_) + " " + environment + " " + Quote(REG_PATH);
    for (const std::string &arg : args) command += " " + Quote(arg);
    return command;
  }

  // Runs reg with `input` on standard input (none: an empty input).
  Result Reg(const std::vector<std::string> &args, const std::string &input = "",
             const std::string &environment = "") const {
    WriteFile(".stdin", input);
    return Shell("(" + Command(args, environment) + ") <.stdin");
  }

  // Runs the shell command `line` in the scratch directory.
  Result Shell(const std::string &line) const {
    int status = std::system(("cd " + Quote(dir_) + " && (" + line + ") >.stdout 2>.stderr").c_str());
    Result result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(".stdout");
    result.err = ReadFile(".stderr");
    return result;
  }

  // Runs reg and expects it to succeed; returns its standard output.
  std::string Ok(const std::vector<std::string> &args) const {
    Result result = Reg(args);
    EXPECT_EQ(result.status, 0) << args[0] << ": " << result.err;
    return result.out;
  }

  testing_files::TempDirectory scratch_;
  std::string dir_;
  std::string registry_;
};

}  // namespace reg_test
