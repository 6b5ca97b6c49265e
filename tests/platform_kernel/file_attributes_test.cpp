// GetFileAttributesW.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/text.h"

namespace {

TEST(FileAttributes, KindsAndFailures) {
  char pattern[] = "/tmp/file_attributes_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string file = dir + "/file", locked = dir + "/locked";
  for (const std::string &path : {file, locked}) std::fclose(std::fopen(path.c_str(), "w"));
  chmod(locked.c_str(), 0400);
  const struct {
    std::string path;
    DWORD attributes;
    DWORD error;
  } cases[] = {
      {dir, FILE_ATTRIBUTE_DIRECTORY, 0},
      {file, FILE_ATTRIBUTE_NORMAL, 0},
      {locked, FILE_ATTRIBUTE_READONLY, 0},
      {dir + "/missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {dir + "/missing/below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {file + "/below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"", INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
  };
  for (const auto &c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.attributes, GetFileAttributesW(testing_text::U16(c.path).c_str())) << c.path;
    if (c.error) {
      EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
  }
  const char16_t unpaired[] = {u'/', 0xD800, 0};
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(unpaired));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nullptr));
  for (const std::string &path : {file, locked}) unlink(path.c_str());
  rmdir(dir.c_str());
}

}  // namespace
