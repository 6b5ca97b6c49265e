// IContextMenu::QueryContextMenu: the item, its position, flags and bitmap.
#include <gtest/gtest.h>

#include "menu_fixture.h"
#include "support/text.h"

namespace {

using testing_text::U16;

TEST_F(MenuTest, FlagsDecideWhetherTheItemIsAdded) {
  struct Case {
    const char *name;
    UINT flags;
    HRESULT result;
  } cases[] = {
      {"CMF_NORMAL", CMF_NORMAL, 1},
      {"CMF_VERBSONLY", CMF_VERBSONLY, 1},
      {"CMF_EXPLORE", CMF_EXPLORE, 1},
      {"CMF_NOVERBS", CMF_NOVERBS, 1},
      {"CMF_CANRENAME | CMF_EXTENDEDVERBS", CMF_CANRENAME | CMF_EXTENDEDVERBS, 1},
      {"reserved bits", CMF_RESERVED, 1},  // only CMF_DEFAULTONLY is looked at
      {"CMF_DEFAULTONLY", CMF_DEFAULTONLY, 0},
      {"CMF_DEFAULTONLY | CMF_EXPLORE", CMF_DEFAULTONLY | CMF_EXPLORE, 0},
  };
  for (const Case &c : cases) {
    HMENU popup = host::MenuWith({TEXT("Open")});
    EXPECT_EQ(c.result, menu_->QueryContextMenu(popup, 0, 7, 100, c.flags)) << c.name;
    EXPECT_EQ(1 + c.result, GetMenuItemCount(popup)) << c.name;
    DestroyMenu(popup);
  }
}

TEST_F(MenuTest, TheItemTakesTheOfferedPositionAndFirstIdentifier) {
  struct Case {
    UINT indexMenu;
    UINT idCmdFirst;
    UINT idCmdLast;
  } cases[] = {{0, 100, 200}, {1, 5, 5}, {3, 40000, 40001},
               {2, 300, 10}};  // idCmdFirst > idCmdLast accepted: idCmdLast is never read
  for (const Case &c : cases) {
    HMENU popup = host::MenuWith({TEXT("Open"), TEXT("Cut"), TEXT("Copy")});
    EXPECT_EQ(1, menu_->QueryContextMenu(popup, c.indexMenu, c.idCmdFirst, c.idCmdLast, CMF_NORMAL));
    ASSERT_EQ(4, GetMenuItemCount(popup));
    host::MenuItem item;
    ASSERT_TRUE(host::ReadMenuItem(popup, c.indexMenu, &item)) << c.indexMenu;
    EXPECT_EQ(c.idCmdFirst, item.id);
    EXPECT_EQ(static_cast<UINT>(MFT_STRING), item.type);
    EXPECT_EQ(TEXT("Paste with Tovin Copy"), item.text);
    EXPECT_EQ(nullptr, item.checked);
    // The others keep their order around it.
    std::vector<std::basic_string<WCHAR>> texts;
    for (UINT i = 0; i < 4; ++i) {
      host::MenuItem other;
      ASSERT_TRUE(host::ReadMenuItem(popup, i, &other));
      if (i != c.indexMenu) texts.push_back(other.text);
    }
    EXPECT_EQ((std::vector<std::basic_string<WCHAR>>{TEXT("Open"), TEXT("Cut"), TEXT("Copy")}), texts);
    DestroyMenu(popup);
  }
}

// The extension keeps no note of an item it added, so a second call adds a second.
TEST_F(MenuTest, EveryCallInsertsAnotherItem) {
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 11, 20, CMF_NORMAL));
  ASSERT_EQ(5, GetMenuItemCount(popup_));
  host::MenuItem first;
  host::MenuItem second;
  ASSERT_TRUE(host::ReadMenuItem(popup_, 0, &first));
  ASSERT_TRUE(host::ReadMenuItem(popup_, 1, &second));
  EXPECT_EQ(11u, first.id);
  EXPECT_EQ(10u, second.id);
}

TEST_F(MenuBitmapTest, ALoadableBitmapBecomesBothCheckMarks) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 1, 10, 20, CMF_NORMAL));

  host::MenuItem item;
  ASSERT_TRUE(host::ReadMenuItem(popup_, 1, &item));
  ASSERT_NE(nullptr, item.checked);
  EXPECT_EQ(item.checked, item.unchecked);
  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(item.checked));
  BITMAP info = {};
  ASSERT_NE(0, GetObjectW(item.checked, sizeof(info), &info));
  EXPECT_EQ(13, info.bmWidth);
  EXPECT_EQ(11, info.bmHeight);
}

TEST_F(MenuBitmapTest, EveryBitmapLoadedGoesWithTheObject) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  HMENU second = host::MenuWith({TEXT("Open")});
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(1, menu_->QueryContextMenu(second, 0, 10, 20, CMF_NORMAL));
  host::MenuItem first, other;
  ASSERT_TRUE(host::ReadMenuItem(popup_, 0, &first));
  ASSERT_TRUE(host::ReadMenuItem(second, 0, &other));
  ASSERT_NE(first.checked, other.checked);
  for (HBITMAP bitmap : {first.checked, other.checked}) EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
  menu_->Release();
  menu_ = nullptr;
  for (HBITMAP bitmap : {first.checked, other.checked}) EXPECT_EQ(0u, GetObjectType(bitmap));  // deleted
  DestroyMenu(second);
}

TEST_F(MenuBitmapTest, SettingsThatGiveNoBitmap) {
  const std::string notABitmap = directory_.path() + "/text.bmp";
  FILE *file = fopen(notABitmap.c_str(), "w");
  fputs("not a bitmap", file);
  fclose(file);
  struct Case {
    const char *name;
    std::basic_string<WCHAR> value;  // empty: no value at all
    bool keyExists;
  } cases[] = {
      {"no settings key", TEXT(""), false},
      {"no CopyBmp value", TEXT(""), true},
      {"a missing file", U16(directory_.path() + "/missing.bmp"), true},
      {"a file that is no bitmap", U16(notABitmap), true},
      {"a value over 520 bytes", U16(bmpPath_ + "/" + std::string(300, 'x')), true},
  };
  for (const Case &c : cases) {
    host::ClearSettings();
    if (c.keyExists) host::SetSettingText(TEXT("CopyApp"), TEXT("unused"));
    if (!c.value.empty()) host::SetSettingText(TEXT("CopyBmp"), c.value);
    HMENU popup = host::MenuWith({});
    EXPECT_EQ(1, menu_->QueryContextMenu(popup, 0, 10, 20, CMF_NORMAL)) << c.name;
    host::MenuItem item;
    ASSERT_TRUE(host::ReadMenuItem(popup, 0, &item)) << c.name;
    EXPECT_EQ(nullptr, item.checked) << c.name;
    EXPECT_EQ(TEXT("Paste with Tovin Copy"), item.text) << c.name;
    DestroyMenu(popup);
  }
}

// A value that ends in an odd byte, or holds a NUL before its end, still
// names the file it holds.
TEST_F(MenuBitmapTest, OddSizedValuesAndInnerNulsStillNameTheFile) {
  const std::basic_string<WCHAR> path = U16(bmpPath_);
  const std::string bytes(reinterpret_cast<const char *>(path.data()), path.size() * 2);
  struct Case {
    const char *name;
    std::string bytes;
  } cases[] = {
      {"odd byte count, no NUL", bytes + "\x01"},
      {"NUL inside the data", bytes + std::string(2, '\0') + "junk"},
  };
  for (const Case &c : cases) {
    host::SetSettingBytes(TEXT("CopyBmp"), c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    HMENU popup = host::MenuWith({});
    EXPECT_EQ(1, menu_->QueryContextMenu(popup, 0, 10, 20, CMF_NORMAL)) << c.name;
    host::MenuItem item;
    ASSERT_TRUE(host::ReadMenuItem(popup, 0, &item)) << c.name;
    EXPECT_NE(nullptr, item.checked) << c.name;
    DestroyMenu(popup);
  }
}

}  // namespace
