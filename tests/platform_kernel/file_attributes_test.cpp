// GetFileAttributesW.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_directory.h"
#include "support/text.h"

namespace {

TEST(FileAttributes, KindsAndFailures) {
  testing_files::TempDirectory temp;
  const std::string dir = temp.path();
  ASSERT_FALSE(dir.empty());
  const std::string file = dir + "/file", locked = dir + "/locked";
  for (const std::string &path : {file, locked}) std::ofstream(path).put('x');
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
  const struct {
    std::string path;
    DWORD attributes;
    DWORD error;
  } cases[] = {
      {dir, FILE_ATTRIBUTE_DIRECTORY, 0},
      {file, FILE_ATTRIBUTE_ARCHIVE, 0},
      {locked, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, 0},
      {dir + "/missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {dir + "/missing/below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {file + "/below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
  };
  for (const auto &c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.attributes, GetFileAttributesW(testing_text::U16(c.path).c_str())) << c.path;
    if (c.error) {
      EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
  }
  const WCHAR unpaired[] = {TEXT('/'), 0xD800, 0};
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(unpaired));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nullptr));
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

}  // namespace
