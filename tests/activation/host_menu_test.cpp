// IContextMenu::QueryContextMenu: the item, its position, flags and bitmap.
#include <gtest/gtest.h>

#include <unistd.h>

#include "host_fixture.h"
#include "platform_seams.h"
#include "support/text.h"

namespace {

using testing_text::U16;

class MenuTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    menu_ = Create<IContextMenu>(IID_IContextMenu);
    ASSERT_NE(nullptr, menu_);
    popup_ = host::MenuWith({TEXT("Open"), TEXT("Cut"), TEXT("Copy")});
  }
  void TearDown() override {
    if (menu_) menu_->Release();
    DestroyMenu(popup_);
    HostTest::TearDown();
  }
  // The mask of the last InsertMenuItemW the extension made, as recorded.
  std::string LastInsertArguments() {
    std::vector<seams::Call> calls = seams::Calls("InsertMenuItemW");
    return calls.empty() ? "(none)" : calls.back().arguments;
  }

  IContextMenu *menu_ = nullptr;
  HMENU popup_ = nullptr;
};

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
      {"reserved bits", CMF_RESERVED, 1},
      {"CMF_DEFAULTONLY", CMF_DEFAULTONLY, 0},
      {"CMF_DEFAULTONLY | CMF_EXPLORE", CMF_DEFAULTONLY | CMF_EXPLORE, 0},
  };
  for (const Case &c : cases) {
    HMENU popup = host::MenuWith({TEXT("Open")});
    seams::Reset();
    EXPECT_EQ(c.result, menu_->QueryContextMenu(popup, 0, 7, 100, c.flags)) << c.name;
    EXPECT_EQ(1 + c.result, GetMenuItemCount(popup)) << c.name;
    if (c.result == 0) {
      // Nothing read, nothing loaded.
      EXPECT_EQ(0u, seams::CallCount("RegOpenKeyExW")) << c.name;
      EXPECT_EQ(0u, seams::CallCount("LoadImageW")) << c.name;
    }
    DestroyMenu(popup);
  }
}

TEST_F(MenuTest, TheItemTakesTheOfferedPositionAndFirstIdentifier) {
  struct Case {
    UINT indexMenu;
    UINT idCmdFirst;
    UINT idCmdLast;
  } cases[] = {{0, 100, 200}, {1, 5, 5}, {3, 40000, 40001}, {2, 300, 10}};
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

TEST_F(MenuTest, AFailedInsertionStillReportsOneIdentifier) {
  seams::FailOperation("InsertMenuItemW", ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(3, GetMenuItemCount(popup_));
}

TEST_F(MenuTest, TheItemDescriptionWithoutABitmap) {
  seams::SetRecording(true);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ("by position, size=" + std::to_string(sizeof(MENUITEMINFOW)) + ", mask=18, id=10, cch=21, text=Paste with Tovin Copy",
            LastInsertArguments());
}

class MenuBitmapTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    bmpPath_ = directory_.path() + "/paste.bmp";
    host::WriteBmpFile(bmpPath_, 13, 11);
    liveAtStart_ = seams::LiveGdiObjects();
  }
  host::TempDirectory directory_;
  std::string bmpPath_;
  unsigned liveAtStart_ = 0;
};

TEST_F(MenuBitmapTest, ALoadableBitmapBecomesBothCheckMarks) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  seams::SetRecording(true);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 1, 10, 20, CMF_NORMAL));
  EXPECT_EQ("by position, size=" + std::to_string(sizeof(MENUITEMINFOW)) + ", mask=26, id=10, cch=21, text=Paste with Tovin Copy",
            LastInsertArguments());
  std::vector<seams::Call> loads = seams::Calls("LoadImageW");
  ASSERT_EQ(1u, loads.size());
  EXPECT_EQ(bmpPath_, loads[0].subject);
  EXPECT_EQ("type=0, cx=0, cy=0, flags=48", loads[0].arguments);

  host::MenuItem item;
  ASSERT_TRUE(host::ReadMenuItem(popup_, 1, &item));
  ASSERT_NE(nullptr, item.checked);
  EXPECT_EQ(item.checked, item.unchecked);
  EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(item.checked));
  BITMAP info = {};
  ASSERT_NE(0, GetObjectW(item.checked, sizeof(info), &info));
  EXPECT_EQ(13, info.bmWidth);
  EXPECT_EQ(11, info.bmHeight);
  EXPECT_EQ(liveAtStart_ + 1, seams::LiveGdiObjects());
}

TEST_F(MenuBitmapTest, EveryBitmapLoadedGoesWithTheObject) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  HMENU second = host::MenuWith({TEXT("Open")});
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(1, menu_->QueryContextMenu(second, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(liveAtStart_ + 2, seams::LiveGdiObjects());
  menu_->Release();
  menu_ = nullptr;
  EXPECT_EQ(liveAtStart_, seams::LiveGdiObjects());
  DestroyMenu(second);
}

TEST_F(MenuBitmapTest, ABitmapNoMenuTookIsDeletedAtOnce) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  seams::FailOperation("InsertMenuItemW", ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(liveAtStart_, seams::LiveGdiObjects());
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
    EXPECT_EQ(liveAtStart_, seams::LiveGdiObjects()) << c.name;
    DestroyMenu(popup);
  }
}

// A value that fills all 520 bytes without a NUL, or ends in an odd byte,
// still names the file it holds.
TEST_F(MenuBitmapTest, UnterminatedAndOddSizedValuesStillEndInsideTheBuffer) {
  std::string longPath = directory_.path() + "/";
  longPath += std::string(260 - longPath.size() - 4, 'p') + ".bmp";
  ASSERT_EQ(260u, longPath.size());
  host::WriteBmpFile(longPath, 2, 2);
  const std::basic_string<WCHAR> full = U16(longPath);
  const std::basic_string<WCHAR> shortPath = U16(bmpPath_);
  struct Case {
    const char *name;
    std::string bytes;
  } cases[] = {
      {"520 bytes, no NUL", std::string(reinterpret_cast<const char *>(full.data()), 520)},
      {"odd byte count, no NUL",
       std::string(reinterpret_cast<const char *>(shortPath.data()), shortPath.size() * 2) + "\x01"},
      {"NUL inside the data",
       std::string(reinterpret_cast<const char *>(shortPath.data()), shortPath.size() * 2) + std::string(2, '\0') +
           "junk"},
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
