// Global memory, COM task memory and length-prefixed strings.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(Memory, GlobalBlocksFixedAndMoveable) {
  struct Case {
    UINT flags;
    SIZE_T size;
    bool handleIsPointer;
  } cases[] = {
      {GMEM_FIXED, 16, true},
      {GPTR, 16, true},
      {GMEM_MOVEABLE, 16, false},
      {GHND, 16, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.flags);
    HGLOBAL block = GlobalAlloc(c.flags, c.size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), c.size);
    void *data = GlobalLock(block);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data == block, c.handleIsPointer);
    if (c.flags & GMEM_ZEROINIT) {
      for (SIZE_T i = 0; i < c.size; ++i) EXPECT_EQ(static_cast<char *>(data)[i], 0);
    }
    std::memset(data, 'x', c.size);
    EXPECT_EQ(GlobalLock(block), data);  // the block does not move while locked
    EXPECT_EQ(GlobalHandle(data), block);
    if (!c.handleIsPointer) {
      EXPECT_TRUE(GlobalUnlock(block));  // still locked once
      SetLastError(ERROR_ACCESS_DENIED);
      EXPECT_FALSE(GlobalUnlock(block));
      EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
      EXPECT_FALSE(GlobalUnlock(block));
      EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
    }
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalHandle(data), nullptr);
  }
  // A moveable block of size 0 is born discarded: a handle without memory.
  HGLOBAL empty = GlobalAlloc(GHND, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  EXPECT_EQ(GlobalLock(empty), nullptr);
  EXPECT_EQ(GlobalFree(empty), nullptr);
}

TEST(Memory, BadGlobalHandlesAreRefused) {
  HGLOBAL freed = GlobalAlloc(GHND, 8);
  ASSERT_EQ(GlobalFree(freed), nullptr);
  SetLastError(0);
  EXPECT_EQ(GlobalLock(freed), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalSize(freed), 0u);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  SetLastError(0);
  EXPECT_EQ(GlobalFree(freed), freed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(Memory, UnlockingAFreedHandleSucceedsWithInvalidHandle) {
  HGLOBAL freed = GlobalAlloc(GHND, 8);
  ASSERT_EQ(GlobalFree(freed), nullptr);
  SetLastError(0);
  EXPECT_TRUE(GlobalUnlock(freed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(Memory, PointerOutsideEveryBlockIsRefused) {
  int local = 0;
  HGLOBAL pointer = static_cast<HGLOBAL>(&local);
  SetLastError(0);
  EXPECT_EQ(GlobalLock(pointer), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalSize(pointer), 0u);
  EXPECT_EQ(GlobalFree(pointer), pointer);
}

TEST(Memory, TaskMemoryKeepsItsContents) {
  char *p = static_cast<char *>(CoTaskMemAlloc(4));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "abc", 4);
  p = static_cast<char *>(CoTaskMemRealloc(p, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "abc");
  CoTaskMemFree(p);
  CoTaskMemFree(nullptr);
}

TEST(Memory, StringsAreLengthPrefixed) {
  BSTR s = SysAllocString(TEXT("hello"));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 5u);
  EXPECT_EQ(SysStringByteLen(s), 10u);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char *>(s) - 4, 4);
  EXPECT_EQ(prefix, 10u);
  EXPECT_EQ(s[5], TEXT('\0'));
  SysFreeString(s);

  BSTR embedded = SysAllocStringLen(TEXT("a\0b"), 3);
  ASSERT_NE(embedded, nullptr);
  EXPECT_EQ(SysStringLen(embedded), 3u);
  EXPECT_EQ(embedded[2], TEXT('b'));
  EXPECT_EQ(embedded[3], TEXT('\0'));
  SysFreeString(embedded);

  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_EQ(blank[4], TEXT('\0'));
  SysFreeString(blank);

  BSTR empty = SysAllocString(TEXT(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocStringLen(TEXT("x"), 0x7FFFFFFF), nullptr);  // byte count beyond 32 bits
  SysFreeString(nullptr);
}
