// GetFileAttributesW where Windows's answer is not recorded: the empty name.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform_seams.h"

TEST(FileAttributesSeams, EmptyNameIsInvalid) {
  seams::Reset();
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesW(TEXT("")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
}
