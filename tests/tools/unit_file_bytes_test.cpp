// Whole-file reads and writes: what a read refuses, and writes that replace a
// file whole or not at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_bytes.h"
#include "support/temp_directory.h"

namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(FileBytes, ReadsOnlyRegularFilesAndPipesWithinTheLimit) {
  testing_files::TempDirectory scratch;
  const std::string big = scratch.path() + "/big";
  fs::resize_file((std::ofstream(big), big), tools::kMaxReadBytes + 1);  // sparse: nothing to read
  const struct {
    std::string path;
    const char *error;
  } cases[] = {
      {"/dev/zero", "not a regular file or a pipe"},
      {scratch.path(), "Is a directory"},
      {big, "larger than 64 MiB, the most a file read whole may hold"},
      {scratch.path() + "/missing", "No such file or directory"},
  };
  for (const auto &c : cases) {
    std::string bytes = "kept?", error;
    EXPECT_FALSE(tools::ReadFileBytes(c.path, &bytes, &error)) << c.path;
    EXPECT_EQ(error, c.error);
  }
}

// A full disk, as a file-size limit in a child process: the write fails part way.
TEST(FileBytes, AWriteThatFailsLeavesTheOldFileAndNothingElse) {
  testing_files::TempDirectory scratch;
  for (bool existed : {false, true}) {
    const std::string path = scratch.path() + "/out.reg";
    if (existed) std::ofstream(path) << "old contents";
    pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4096, 4096};
      std::string error;
      _exit(setrlimit(RLIMIT_FSIZE, &limit) == 0 && !tools::WriteFileBytes(path, std::string(20000, 'x'), &error) &&
                    error == "File too large"
                ? 0
                : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "existed " << existed;
    EXPECT_EQ(Contents(path), existed ? "old contents" : "");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), {}), existed ? 1 : 0);
  }
}

TEST(FileBytes, WritesReplaceTheFileANameLeadsTo) {
  testing_files::TempDirectory scratch;
  const std::string file = scratch.path() + "/file", link = scratch.path() + "/link";
  std::ofstream(file) << "old";
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  fs::create_symlink("file", link);
  std::string error;
  ASSERT_TRUE(tools::WriteFileBytes(link, "new", &error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Contents(file), "new");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));

  // A pipe has nothing to keep: it is written, not replaced.
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_TRUE(tools::WriteFileBytes(pipe, "through", &error)) << error;
  char buffer[16] = {};
  EXPECT_EQ(read(reader, buffer, sizeof buffer), 7);
  close(reader);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), {}), 3);
}

}  // namespace
