// ShellExecuteW starting a real program and reading back its arguments.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform_seams.h"
#include "support/temp_directory.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;

namespace {

class ProgramLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    output_ = dir_ + "/args.txt";
    setenv("ECHO_ARGS_OUTPUT", output_.c_str(), 1);
  }
  void TearDown() override { unsetenv("ECHO_ARGS_OUTPUT"); }

  // Lines the helper wrote, waiting up to five seconds for it.
  std::vector<std::string> Output() {
    for (int i = 0; i < 500; ++i) {
      std::ifstream in(output_);
      if (in) {
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }

  INT_PTR Run(const char *verb, const std::string &file, const char *params, const char *dir = nullptr) {
    WideString v = verb ? U16(verb) : TEXT(""), f = U16(file), p = params ? U16(params) : TEXT(""),
                   d = dir ? U16(dir) : TEXT("");
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb ? v.c_str() : nullptr, f.c_str(),
                                                   params ? p.c_str() : nullptr, dir ? d.c_str() : nullptr, SW_SHOW));
  }

  testing_files::TempDirectory scratch_;
  std::string dir_;
  std::string output_;
};

TEST_F(ProgramLaunch, SplitsParametersByTheWindowsRules) {
  struct Case {
    const char *params;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {" /o/home/user/Backup 2011", {"/o/home/user/Backup", "2011"}},
      {"\"a b\" c", {"a b", "c"}},
      {"a\\\\b c\\", {"a\\\\b", "c\\"}},
      {"\"a\\\"b\"", {"a\"b"}},
      {"\"a\\\\\" b", {"a\\", "b"}},
      {"a\\\\\\\"b", {"a\\\"b"}},
      {"\"\" x", {"", "x"}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"x\"y z\"w", {"xy zw"}},
      {"\t  spaced\t\tout  ", {"spaced", "out"}},
      {"$(echo hi) `id` ; | &", {"$(echo", "hi)", "`id`", ";", "|", "&"}},
      {"", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.params);
    unlink(output_.c_str());
    ASSERT_GT(Run("Open", ECHO_ARGS_PATH, c.params), 32);
    std::vector<std::string> expected{ECHO_ARGS_PATH};
    expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
    std::vector<std::string> lines = Output();
    ASSERT_FALSE(lines.empty());
    lines.pop_back();  // the working directory
    EXPECT_EQ(lines, expected);
  }
}

TEST_F(ProgramLaunch, VerbsAndWorkingDirectory) {
  for (const char *verb : {"open", "OPEN", static_cast<const char *>(nullptr)}) {
    SCOPED_TRACE(verb ? verb : "(null)");
    unlink(output_.c_str());
    ASSERT_GT(Run(verb, ECHO_ARGS_PATH, "x", dir_.c_str()), 32);
    std::vector<std::string> lines = Output();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "cwd=" + dir_);
  }
}

TEST_F(ProgramLaunch, FailuresGiveSeCodesAndLastError) {
  const std::string plain = dir_ + "/plain.txt";
  std::ofstream(plain) << "not a program";
  struct Case {
    const char *name;
    const char *verb;
    std::string file;
    const char *dir;
    INT_PTR result;
    DWORD error;
  };
  const Case cases[] = {
      {"missing program", "open", dir_ + "/missing", nullptr, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
      {"missing directory of the program", "open", dir_ + "/nodir/missing", nullptr, SE_ERR_PNF,
       ERROR_PATH_NOT_FOUND},
      {"missing working directory", "open", ECHO_ARGS_PATH, "/nonexistent/dir", SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
      {"not executable", "open", plain, nullptr, SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED},
      {"unknown verb", "print", ECHO_ARGS_PATH, nullptr, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
      {"a directory", "open", dir_, nullptr, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
      {"empty file name", "open", "", nullptr, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(Run(c.verb, c.file, "", c.dir), c.result);
    EXPECT_EQ(GetLastError(), c.error);
  }
  struct stat st;
  EXPECT_NE(stat(output_.c_str(), &st), 0) << "nothing was started";
}

TEST_F(ProgramLaunch, SeamFaultReturnsTheCodeWithoutStartingAndRecordsArguments) {
  seams::SetRecording(true);
  seams::FailOperation("ShellExecuteW", SE_ERR_OOM);
  EXPECT_EQ(Run("Open", ECHO_ARGS_PATH, " /o/x"), SE_ERR_OOM);
  const auto calls = seams::Calls("ShellExecuteW");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].subject, ECHO_ARGS_PATH);
  EXPECT_EQ(calls[0].arguments, "verb=Open, params= /o/x, dir=(null), show=5");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  struct stat st;
  EXPECT_NE(stat(output_.c_str(), &st), 0);
}

// Children of this process that have exited but were not collected.
int Zombies() {
  int count = 0;
  const std::string self = std::to_string(getpid());
  DIR *proc = opendir("/proc");
  while (dirent *entry = readdir(proc)) {
    std::ifstream in(std::string("/proc/") + entry->d_name + "/stat");
    std::string stat;
    if (!in || !std::getline(in, stat)) continue;
    // Fields after the parenthesised command: state, parent.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string state, parent;
    fields >> state >> parent;
    if (state == "Z" && parent == self) ++count;
  }
  closedir(proc);
  return count;
}

TEST_F(ProgramLaunch, StartedChildrenAreReaped) {
  for (int i = 0; i < 5; ++i) {
    unlink(output_.c_str());
    ASSERT_GT(Run("Open", ECHO_ARGS_PATH, "x"), 32);
    ASSERT_FALSE(Output().empty());
  }
  // Each child has written its file and is exiting; an uncollected one would stay a zombie.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int zombies = -1;
  for (int i = 0; i < 200 && zombies != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    zombies = Zombies();
  }
  EXPECT_EQ(zombies, 0);
}

}  // namespace
