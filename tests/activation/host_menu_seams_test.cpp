// QueryContextMenu as the seams see it: what is read, loaded and inserted,
// insertion refused, and the bitmaps alive.
#include <gtest/gtest.h>

#include <cstdio>

#include "menu_fixture.h"
#include "platform_seams.h"
#include "support/text.h"

namespace {

using testing_text::U16;

// The arguments of the last InsertMenuItemW the extension made, as recorded.
std::string LastInsertArguments() {
  std::vector<seams::Call> calls = seams::Calls("InsertMenuItemW");
  return calls.empty() ? "(none)" : calls.back().arguments;
}

using MenuSeamsTest = MenuTest;

TEST_F(MenuSeamsTest, DefaultOnlyReadsNothingAndLoadsNothing) {
  host::SetSettingText(TEXT("CopyBmp"), TEXT("unused.bmp"));
  for (UINT flags : {static_cast<UINT>(CMF_DEFAULTONLY), static_cast<UINT>(CMF_DEFAULTONLY | CMF_EXPLORE)}) {
    seams::Reset();
    EXPECT_EQ(0, menu_->QueryContextMenu(popup_, 0, 7, 100, flags)) << flags;
    EXPECT_EQ(0u, seams::CallCount("RegOpenKeyExW")) << flags;
    EXPECT_EQ(0u, seams::CallCount("LoadImageW")) << flags;
  }
}

TEST_F(MenuSeamsTest, AFailedInsertionStillReportsOneIdentifier) {
  seams::FailOperation("InsertMenuItemW", ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(3, GetMenuItemCount(popup_));
}

TEST_F(MenuSeamsTest, TheItemDescriptionWithoutABitmap) {
  seams::SetRecording(true);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ("by position, size=" + std::to_string(sizeof(MENUITEMINFOW)) + ", mask=18, id=10, cch=21, text=Paste with Tovin Copy",
            LastInsertArguments());
}

class MenuBitmapSeamsTest : public MenuBitmapTest {
 protected:
  void SetUp() override {
    MenuBitmapTest::SetUp();
    liveAtStart_ = seams::LiveGdiObjects();
  }
  unsigned liveAtStart_ = 0;
};

TEST_F(MenuBitmapSeamsTest, TheBitmapIsLoadedFromTheFileAndGivenAsCheckMarks) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  seams::SetRecording(true);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 1, 10, 20, CMF_NORMAL));
  EXPECT_EQ("by position, size=" + std::to_string(sizeof(MENUITEMINFOW)) + ", mask=26, id=10, cch=21, text=Paste with Tovin Copy",
            LastInsertArguments());
  std::vector<seams::Call> loads = seams::Calls("LoadImageW");
  ASSERT_EQ(1u, loads.size());
  EXPECT_EQ(bmpPath_, loads[0].subject);
  EXPECT_EQ("type=0, cx=0, cy=0, flags=48", loads[0].arguments);
  EXPECT_EQ(liveAtStart_ + 1, seams::LiveGdiObjects());
}

TEST_F(MenuBitmapSeamsTest, EveryBitmapLoadedGoesWithTheObject) {
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

TEST_F(MenuBitmapSeamsTest, ABitmapNoMenuTookIsDeletedAtOnce) {
  host::SetSettingText(TEXT("CopyBmp"), U16(bmpPath_));
  seams::FailOperation("InsertMenuItemW", ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  EXPECT_EQ(liveAtStart_, seams::LiveGdiObjects());
}

TEST_F(MenuBitmapSeamsTest, SettingsThatGiveNoBitmapLeaveNoObjectAlive) {
  const std::string notABitmap = directory_.path() + "/text.bmp";
  FILE *file = fopen(notABitmap.c_str(), "w");
  fputs("not a bitmap", file);
  fclose(file);
  for (const std::string &value : {directory_.path() + "/missing.bmp", notABitmap,
                                   bmpPath_ + "/" + std::string(300, 'x')}) {
    host::SetSettingText(TEXT("CopyBmp"), U16(value));
    EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL)) << value;
    EXPECT_EQ(liveAtStart_, seams::LiveGdiObjects()) << value;
  }
}

// A value filling all 520 bytes without a NUL ends inside the buffer and
// names the 260-character path it holds (which LoadImageW then refuses on
// Windows, as longer than MAX_PATH allows).
TEST_F(MenuBitmapSeamsTest, AValueOfAll520BytesWithoutANulNamesThePathItHolds) {
  std::string longPath = directory_.path() + "/";
  longPath += std::string(260 - longPath.size() - 4, 'p') + ".bmp";
  ASSERT_EQ(260u, longPath.size());
  host::SetSettingBytes(TEXT("CopyBmp"), U16(longPath).data(), 520);
  seams::SetRecording(true);
  EXPECT_EQ(1, menu_->QueryContextMenu(popup_, 0, 10, 20, CMF_NORMAL));
  std::vector<seams::Call> loads = seams::Calls("LoadImageW");
  ASSERT_EQ(1u, loads.size());
  EXPECT_EQ(longPath, loads[0].subject);
}

}  // namespace
