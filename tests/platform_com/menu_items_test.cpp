// Menus: insertion by position and by command, item queries, bad arguments.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;
using testing_text::U8;

namespace {

constexpr UINT kOldSize = offsetof(MENUITEMINFOW, hbmpItem);

MENUITEMINFOW Item(UINT id, const WCHAR *text) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_TYPE;
  mii.fType = MFT_STRING;
  mii.wID = id;
  mii.dwTypeData = const_cast<LPWSTR>(text);
  return mii;
}

// The identifiers of the menu's items, in order.
std::vector<UINT> Ids(HMENU menu) {
  std::vector<UINT> ids;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii));
    ids.push_back(mii.wID);
  }
  return ids;
}

class Menu : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = CreatePopupMenu();
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override {
    if (menu_) DestroyMenu(menu_);
  }
  HMENU menu_ = nullptr;
};

TEST_F(Menu, InsertsByPositionAndByCommand) {
  EXPECT_EQ(GetMenuItemCount(menu_), 0);
  struct Step {
    UINT item;
    BOOL byPosition;
    UINT id;
    std::vector<UINT> after;
  };
  const Step steps[] = {
      {0, TRUE, 10, {10}},
      {0, TRUE, 20, {20, 10}},
      {99, TRUE, 30, {20, 10, 30}},      // past the end appends
      {1, TRUE, 40, {20, 40, 10, 30}},
      {30, FALSE, 50, {20, 40, 10, 50, 30}},  // before the item with id 30
      {777, FALSE, 60, {20, 40, 10, 50, 30, 60}},  // unknown id appends
  };
  for (const Step &s : steps) {
    MENUITEMINFOW mii = Item(s.id, TEXT("x"));
    ASSERT_TRUE(InsertMenuItemW(menu_, s.item, s.byPosition, &mii));
    EXPECT_EQ(Ids(menu_), s.after);
  }
}

TEST_F(Menu, GetMenuItemInfoReportsAndCopiesTextBySdkRules) {
  MENUITEMINFOW mii = Item(7, TEXT("Paste with Tovin Copy"));
  mii.cch = 21;
  ASSERT_TRUE(InsertMenuItemW(menu_, 0, TRUE, &mii));

  struct Case {
    UINT mask;
    bool buffer;
    UINT cch;
    UINT cchAfter;
    const char *text;
  };
  const Case cases[] = {
      {MIIM_STRING, false, 0, 21, ""},
      {MIIM_TYPE, false, 0, 21, ""},
      {MIIM_STRING, true, 64, 21, "Paste with Tovin Copy"},
      {MIIM_STRING, true, 22, 21, "Paste with Tovin Copy"},
      {MIIM_STRING, true, 21, 20, "Paste with Tovin Cop"},
      {MIIM_TYPE, true, 6, 5, "Paste"},
      {MIIM_STRING, true, 1, 0, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.cch);
    WCHAR buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), TEXT('#'));
    MENUITEMINFOW out{};
    out.cbSize = sizeof out;
    out.fMask = c.mask | MIIM_ID;
    out.dwTypeData = c.buffer ? buffer : nullptr;
    out.cch = c.cch;
    ASSERT_TRUE(GetMenuItemInfoW(menu_, 7, FALSE, &out));
    EXPECT_EQ(out.wID, 7u);
    EXPECT_EQ(out.cch, c.cchAfter);
    if (c.buffer) {
      EXPECT_EQ(U8(buffer), c.text);
    }
  }
}

TEST_F(Menu, KeepsEveryFieldItWasGiven) {
  HMENU sub = CreatePopupMenu();
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_DATA |
              MIIM_BITMAP;
  mii.fType = MFT_RADIOCHECK;
  mii.fState = MFS_CHECKED | MFS_DEFAULT;
  mii.wID = 5;
  mii.hSubMenu = sub;
  mii.hbmpChecked = reinterpret_cast<HBITMAP>(0x100);
  mii.hbmpUnchecked = reinterpret_cast<HBITMAP>(0x200);
  mii.dwItemData = 0xABCDEF;
  mii.dwTypeData = const_cast<LPWSTR>(TEXT("Sub"));
  mii.hbmpItem = reinterpret_cast<HBITMAP>(0x300);
  ASSERT_TRUE(InsertMenuItemW(menu_, 0, TRUE, &mii));

  MENUITEMINFOW out{};
  out.cbSize = sizeof out;
  out.fMask = mii.fMask;
  WCHAR text[8];
  out.dwTypeData = text;
  out.cch = 8;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 0, TRUE, &out));
  EXPECT_EQ(out.fType, mii.fType);
  EXPECT_EQ(out.fState, mii.fState);
  EXPECT_EQ(out.wID, 5u);
  EXPECT_EQ(out.hSubMenu, sub);
  EXPECT_EQ(out.hbmpChecked, mii.hbmpChecked);
  EXPECT_EQ(out.hbmpUnchecked, mii.hbmpUnchecked);
  EXPECT_EQ(out.dwItemData, mii.dwItemData);
  EXPECT_EQ(out.hbmpItem, mii.hbmpItem);
  EXPECT_EQ(U8(text), "Sub");

  ASSERT_TRUE(DestroyMenu(menu_));
  menu_ = nullptr;
  EXPECT_EQ(GetMenuItemCount(sub), -1) << "submenus are destroyed with their menu";
}

TEST_F(Menu, CopiesTheTextAtInsertion) {
  WideString text = TEXT("Original");
  MENUITEMINFOW mii = Item(1, text.c_str());
  ASSERT_TRUE(InsertMenuItemW(menu_, 0, TRUE, &mii));
  text.assign(TEXT("Changed!"));
  WCHAR out[16];
  MENUITEMINFOW query{};
  query.cbSize = sizeof query;
  query.fMask = MIIM_STRING;
  query.dwTypeData = out;
  query.cch = 16;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 1, FALSE, &query));
  EXPECT_EQ(U8(out), "Original");
}

TEST_F(Menu, BadSizesHandlesAndItemsFail) {
  MENUITEMINFOW mii = Item(1, TEXT("x"));
  struct Case {
    const char *name;
    HMENU menu;
    UINT cbSize;
    UINT mask;
    DWORD error;  // 0: not checked
  };
  HMENU destroyed = CreatePopupMenu();
  DestroyMenu(destroyed);
  const Case cases[] = {
      {"zero size", menu_, 0, MIIM_ID, ERROR_INVALID_PARAMETER},
      {"size too large", menu_, sizeof(MENUITEMINFOW) + 4, MIIM_ID, ERROR_INVALID_PARAMETER},
      {"size between the forms", menu_, kOldSize + 4, MIIM_ID, ERROR_INVALID_PARAMETER},
      {"the older type mask mixed with a newer one", menu_, sizeof(MENUITEMINFOW), MIIM_TYPE | MIIM_STRING, 0},
      {"the older type mask mixed with a bitmap", menu_, sizeof(MENUITEMINFOW), MIIM_TYPE | MIIM_BITMAP, 0},
      // The last error of a bad menu is the substitute's own (menu_items_seams_test.cpp).
      {"null menu", nullptr, sizeof(MENUITEMINFOW), MIIM_ID, 0},
      {"destroyed menu", destroyed, sizeof(MENUITEMINFOW), MIIM_ID, 0},
      {"not a menu", reinterpret_cast<HMENU>(&mii), sizeof(MENUITEMINFOW), MIIM_ID, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    mii.cbSize = c.cbSize;
    mii.fMask = c.mask;
    SetLastError(0);
    EXPECT_FALSE(InsertMenuItemW(c.menu, 0, TRUE, &mii));
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    SetLastError(0);
    EXPECT_FALSE(GetMenuItemInfoW(c.menu, 0, TRUE, &mii));
  }
  EXPECT_EQ(GetMenuItemCount(menu_), 0);
  EXPECT_FALSE(InsertMenuItemW(menu_, 0, TRUE, nullptr));

  mii = Item(1, TEXT("x"));
  mii.cbSize = kOldSize;
  mii.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
  mii.hbmpItem = reinterpret_cast<HBITMAP>(0x300);
  EXPECT_TRUE(InsertMenuItemW(menu_, 0, TRUE, &mii)) << "the older structure size is accepted, with MIIM_BITMAP";
  MENUITEMINFOW out{};
  out.cbSize = sizeof out;
  out.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 0, TRUE, &out));
  EXPECT_EQ(out.hbmpItem, nullptr) << "hbmpItem lies beyond the older structure and is not read";
  EXPECT_FALSE(GetMenuItemInfoW(menu_, 5, TRUE, &mii)) << "no item at that position";
  EXPECT_FALSE(GetMenuItemInfoW(menu_, 99, FALSE, &mii)) << "no item with that command";
  EXPECT_EQ(GetMenuItemCount(destroyed), -1);
  EXPECT_FALSE(DestroyMenu(destroyed));
}

TEST_F(Menu, ConcurrentInsertionsAreAllKept) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (UINT i = 0; i < 250; ++i) {
        MENUITEMINFOW mii = Item(static_cast<UINT>(t) * 1000 + i, TEXT("item"));
        InsertMenuItemW(menu_, 0xFFFFFFFF, TRUE, &mii);
      }
    });
  }
  for (std::thread &t : threads) t.join();
  EXPECT_EQ(GetMenuItemCount(menu_), 1000);
}

}  // namespace
