// Global memory, COM task memory and length-prefixed strings.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform_seams.h"

namespace {

class Memory : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
};

}  // namespace

TEST_F(Memory, GlobalBlocksFixedAndMoveable) {
  struct Case {
    UINT flags;
    SIZE_T size;
    bool handleIsPointer;
  } cases[] = {
      {GMEM_FIXED, 16, true},
      {GPTR, 16, true},
      {GMEM_MOVEABLE, 16, false},
      {GHND, 16, false},
      {GHND, 0, false},
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
}

TEST_F(Memory, BadGlobalHandlesAreRefused) {
  HGLOBAL freed = GlobalAlloc(GHND, 8);
  ASSERT_EQ(GlobalFree(freed), nullptr);
  int local = 0;
  for (HGLOBAL bad : {freed, static_cast<HGLOBAL>(&local), static_cast<HGLOBAL>(nullptr)}) {
    SetLastError(0);
    EXPECT_EQ(GlobalLock(bad), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalSize(bad), 0u);
    EXPECT_FALSE(GlobalUnlock(bad));
  }
  EXPECT_EQ(GlobalFree(static_cast<HGLOBAL>(&local)), static_cast<HGLOBAL>(&local));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(nullptr), nullptr);

  HGLOBAL block = GlobalAlloc(GHND, 8);
  seams::FailOperation("GlobalLock", ERROR_INVALID_HANDLE, 1);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_NE(GlobalLock(block), nullptr);
  GlobalFree(block);
}

TEST_F(Memory, TaskMemoryAndItsFaults) {
  char *p = static_cast<char *>(CoTaskMemAlloc(4));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "abc", 4);
  p = static_cast<char *>(CoTaskMemRealloc(p, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "abc");

  seams::FailOperation("CoTaskMemRealloc", 0, 1);
  EXPECT_EQ(CoTaskMemRealloc(p, 8192), nullptr);  // the block itself is kept
  EXPECT_STREQ(p, "abc");
  CoTaskMemFree(p);
  CoTaskMemFree(nullptr);

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
}

TEST_F(Memory, StringsAreLengthPrefixed) {
  BSTR s = SysAllocString(u"hello");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 5u);
  EXPECT_EQ(SysStringByteLen(s), 10u);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char *>(s) - 4, 4);
  EXPECT_EQ(prefix, 10u);
  EXPECT_EQ(s[5], u'\0');
  SysFreeString(s);

  BSTR embedded = SysAllocStringLen(u"a\0b", 3);
  ASSERT_NE(embedded, nullptr);
  EXPECT_EQ(SysStringLen(embedded), 3u);
  EXPECT_EQ(embedded[2], u'b');
  EXPECT_EQ(embedded[3], u'\0');
  SysFreeString(embedded);

  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_EQ(blank[4], u'\0');
  SysFreeString(blank);

  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocStringLen(u"x", 0x7FFFFFFF), nullptr);  // byte count beyond 32 bits
  SysFreeString(nullptr);
}
