// Thread locales, the system default locale and the code pages that follow them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/text.h"

using testing_text::WideString;

namespace {

// The byte the calling thread's ANSI code page gives CYRILLIC CAPITAL LETTER ZHE, or 0.
char ThreadZhe() {
  char out[4] = {};
  BOOL used = FALSE;
  WideCharToMultiByte(CP_THREAD_ACP, 0, TEXT("\u0416"), 1, out, 4, nullptr, &used);
  return used ? 0 : out[0];
}

}  // namespace

TEST(Locale, DefaultsAreEnglishUnitedStates) {
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetThreadLocale(), 0x0409u);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
}

TEST(Locale, ThreadLocaleIsPerThreadAndDrivesTheThreadCodePage) {
  ASSERT_TRUE(SetThreadLocale(0x0419));
  EXPECT_EQ(GetThreadLocale(), 0x0419u);
  EXPECT_EQ(ThreadZhe(), '\xC6');  // code page 1251
  char acp[4] = {};
  BOOL used = FALSE;
  WideCharToMultiByte(CP_ACP, 0, TEXT("\u0416"), 1, acp, 4, nullptr, &used);
  EXPECT_TRUE(used);  // CP_ACP stays with the system's 1252

  LCID otherLocale = 0;
  char otherZhe = 1;
  std::thread([&] {
    otherLocale = GetThreadLocale();
    otherZhe = ThreadZhe();
  }).join();
  EXPECT_EQ(otherLocale, 0x0409u);
  EXPECT_EQ(otherZhe, 0);

  SetLastError(0);
  EXPECT_FALSE(SetThreadLocale(0x7777));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetThreadLocale(), 0x0419u);
}

TEST(Locale, LocaleInfoGivesTheCodePages) {
  struct Case {
    LCID lcid;
    UINT ansi, oem;
  } cases[] = {
      {0x0409, 1252, 437}, {0x0407, 1252, 850}, {0x0419, 1251, 866}, {0x0411, 932, 932}, {0x0804, 936, 936},
      {0x0412, 949, 949},  {0x0404, 950, 950},  {0x0405, 1250, 852}, {0x0408, 1253, 737}, {0x041F, 1254, 857},
      {0x040D, 1255, 862}, {0x0401, 1256, 720}, {0x0425, 1257, 775}, {0x042A, 1258, 1258}, {0x041E, 874, 874},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.lcid);
    WCHAR text[8];
    const std::string ansi = std::to_string(c.ansi);
    ASSERT_EQ(GetLocaleInfoW(c.lcid, LOCALE_IDEFAULTANSICODEPAGE, text, 8), int(ansi.size() + 1));
    EXPECT_EQ(WideString(text), WideString(ansi.begin(), ansi.end()));
    DWORD number = 0;
    ASSERT_EQ(GetLocaleInfoW(c.lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                             reinterpret_cast<LPWSTR>(&number), 2),
              2);
    EXPECT_EQ(number, c.ansi);
    ASSERT_EQ(GetLocaleInfoW(c.lcid, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                             reinterpret_cast<LPWSTR>(&number), 2),
              2);
    EXPECT_EQ(number, c.oem);
  }

  WCHAR text[8];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0), 5);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_IDEFAULTANSICODEPAGE, text, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfoW(0x7777, LOCALE_IDEFAULTANSICODEPAGE, text, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetLocaleInfoW(0x0409, 0x10000000, text, 8), 0);  // LOCALE_RETURN_GENITIVE_NAMES alone
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}
