// DragQueryFileW over file-drop lists in global memory.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell_drop_list.h"

namespace {

using namespace drop_list;

TEST(DropList, ReadsWideAndAnsiListsByHandleAndByLockedPointer) {
  for (bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide" : "ANSI");
    // The ANSI list holds only ASCII names: their conversion does not depend on the code page.
    std::vector<std::string> names = kNames;
    if (!wide) names.back() = "/srv/plain";
    GlobalBlock block(DropList(names, wide));
    void *locked = GlobalLock(block.handle());
    for (HDROP drop : {block.drop(), static_cast<HDROP>(locked)}) {
      EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), names.size());
      for (UINT i = 0; i < names.size(); ++i) {
        UINT result = 0;
        EXPECT_EQ(Query(drop, i, &result), names[i]);
        EXPECT_EQ(result, U16(names[i]).size());
        EXPECT_EQ(DragQueryFileW(drop, i, nullptr, 0), U16(names[i]).size()) << "no buffer: the length";
      }
      UINT result = 7;
      Query(drop, static_cast<UINT>(names.size()), &result);
      EXPECT_EQ(result, 0u) << "past the last name";
    }
    GlobalUnlock(block.handle());
  }
}

TEST(DropList, ShortBufferTruncatesAndReportsTheUnitsCopied) {
  GlobalBlock block(DropList(kNames, true));
  struct Case {
    UINT capacity;
    UINT result;
    const char *text;
  };
  for (const Case c : {Case{1, 0, ""}, Case{2, 1, "/"}, Case{6, 5, "/home"}, Case{23, 22, "/home/user/Backup 2011"},
                       Case{22, 21, "/home/user/Backup 201"}}) {
    SCOPED_TRACE(c.capacity);
    WCHAR buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), TEXT('#'));
    EXPECT_EQ(DragQueryFileW(block.drop(), 0, buffer, c.capacity), c.result);
    EXPECT_EQ(U8(buffer), c.text);
    EXPECT_EQ(buffer[c.capacity], TEXT('#')) << "nothing beyond the capacity";
  }
}

TEST(DropList, LeavesTheBlockUnlocked) {
  GlobalBlock block(DropList(kNames, true));
  EXPECT_EQ(DragQueryFileW(block.drop(), 0xFFFFFFFF, nullptr, 0), 3u);
  EXPECT_FALSE(GlobalUnlock(block.handle())) << "the lock it took is released";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
}

}  // namespace
