// Global and task memory under the substitute's seams: injected failures; and
// the substitute's answer where Windows's is not recorded.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform_seams.h"

TEST(MemorySeams, LockFaultFailsOneCall) {
  seams::Reset();
  HGLOBAL block = GlobalAlloc(GHND, 8);
  seams::FailOperation("GlobalLock", ERROR_INVALID_HANDLE, 1);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalFree(block);
  seams::Reset();
}

TEST(MemorySeams, TaskMemoryFaultsKeepTheBlockAndCountCalls) {
  seams::Reset();
  char *p = static_cast<char *>(CoTaskMemAlloc(4));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "abc", 4);
  seams::FailOperation("CoTaskMemRealloc", 0, 1);
  EXPECT_EQ(CoTaskMemRealloc(p, 8192), nullptr);  // the block itself is kept
  EXPECT_STREQ(p, "abc");
  CoTaskMemFree(p);

  unsigned before = seams::CallCount("CoTaskMemAlloc");
  seams::FailOperation("CoTaskMemAlloc", 0, 2);
  void *first = CoTaskMemAlloc(8);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(CoTaskMemAlloc(8), nullptr);
  void *third = CoTaskMemAlloc(8);
  EXPECT_NE(third, nullptr);
  CoTaskMemFree(first);
  CoTaskMemFree(third);
  EXPECT_EQ(seams::CallCount("CoTaskMemAlloc"), before + 3);
  seams::Reset();
}

TEST(MemorySeams, NullHandleIsAnInvalidHandle) {
  SetLastError(0);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}
