// Menus under the substitute's seams: an injected fault and the call record;
// and the substitute's answer where Windows's is not recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform_seams.h"

namespace {

TEST(MenuSeams, FaultFailsTheInsertion) {
  seams::Reset();
  HMENU menu = CreatePopupMenu();
  ASSERT_NE(menu, nullptr);
  seams::SetRecording(true);
  seams::FailOperation("InsertMenuItemW", ERROR_NOT_ENOUGH_MEMORY);
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_TYPE;
  mii.fType = MFT_STRING;
  mii.wID = 3;
  mii.dwTypeData = const_cast<LPWSTR>(TEXT("Paste"));
  EXPECT_FALSE(InsertMenuItemW(menu, 2, TRUE, &mii));
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  ASSERT_EQ(seams::Calls("InsertMenuItemW").size(), 1u);
  EXPECT_EQ(seams::Calls("InsertMenuItemW")[0].subject, "2");
  seams::Reset();
  DestroyMenu(menu);
}

TEST(MenuSeams, UnknownMaskBitsAreRefused) {
  seams::Reset();
  HMENU menu = CreatePopupMenu();
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = 0x8000;
  SetLastError(0);
  EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, &mii));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetMenuItemInfoW(menu, 0, TRUE, &mii));
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  DestroyMenu(menu);
}

TEST(MenuSeams, BadMenusSetInvalidMenuHandle) {
  seams::Reset();
  HMENU destroyed = CreatePopupMenu();
  DestroyMenu(destroyed);
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID;
  for (HMENU menu : {static_cast<HMENU>(nullptr), destroyed, reinterpret_cast<HMENU>(&mii)}) {
    SetLastError(0);
    EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, &mii));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
  }
}

}  // namespace
