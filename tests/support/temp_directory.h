// A private directory for a test, removed with everything in it on destruction.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testing_files {

class TempDirectory {
 public:
  TempDirectory() {
    char pattern[] = "/tmp/tovincopyshl-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~TempDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory &) = delete;
  TempDirectory &operator=(const TempDirectory &) = delete;
  // Empty when the directory could not be made.
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace testing_files
