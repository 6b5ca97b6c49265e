// Locales under the substitute's seams: another system default locale, and an
// injected failure.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform_seams.h"

namespace {

class LocaleSeams : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
  void TearDown() override { seams::Reset(); }
};

}  // namespace

TEST_F(LocaleSeams, SystemDefaultResolvesAndSetsTheAnsiCodePage) {
  seams::SetSystemDefaultLocale(0x0411);
  EXPECT_EQ(GetACP(), 932u);
  ASSERT_TRUE(SetThreadLocale(0x0407));
  ASSERT_TRUE(SetThreadLocale(LOCALE_SYSTEM_DEFAULT));
  EXPECT_EQ(GetThreadLocale(), 0x0411u);  // the resolved identifier, not 0x0800
  WCHAR wide[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "\x93\xFA", 2, wide, 4), 1);
  EXPECT_EQ(wide[0], TEXT('\u65E5'));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x93\xFA", 2, wide, 4), 1);
  EXPECT_EQ(wide[0], TEXT('\u65E5'));

  ASSERT_TRUE(SetThreadLocale(LOCALE_USER_DEFAULT));
  EXPECT_EQ(GetThreadLocale(), 0x0411u);

  LCID fresh = 0;
  std::thread([&] { fresh = GetThreadLocale(); }).join();
  EXPECT_EQ(fresh, 0x0411u);

  seams::Reset();
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetThreadLocale(), 0x0409u);
}

TEST_F(LocaleSeams, FailSetThreadLocale) {
  seams::SetRecording(true);
  seams::FailOperation("SetThreadLocale", ERROR_INVALID_PARAMETER, 0, "0x0800");
  EXPECT_FALSE(SetThreadLocale(LOCALE_SYSTEM_DEFAULT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(SetThreadLocale(0x0419));
  EXPECT_EQ(seams::Calls("SetThreadLocale").size(), 2u);
}
