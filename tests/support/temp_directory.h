// A private directory for a test, removed with everything in it on destruction.
// Standard C++ only, so that host sources written against the SDK can use it.
#pragma once
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace testing_files {

class TempDirectory {
 public:
  TempDirectory() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device random;
    // create_directory reports false for a name already taken: try another.
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = base / ("tovincopyshl-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
        path_ = candidate.string();
        return;
      }
      if (error) return;
    }
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
