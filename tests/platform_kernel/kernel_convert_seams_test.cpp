// Code-page conversions under the substitute's seams: injected failures by
// code page and by call; and the substitute's answers where Windows's are not
// recorded: flag combinations, ill-formed input, characters without a mapping.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform_seams.h"
#include "support/text.h"

TEST(ConvertSeams, FailConversions) {
  seams::Reset();
  seams::FailOperation("WideCharToMultiByte", ERROR_INVALID_PARAMETER, 0, "3");
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, TEXT("a"), -1, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("a"), -1, narrow, 8, nullptr, nullptr), 2);  // other subject
  seams::FailOperation("MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION, 1);
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "a", 1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "a", 1, wide, 8), 1);
}

TEST(ConvertSeams, FlagCombinationsOutsideTheirCodePagesAreRefused) {
  WCHAR wide[8];
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, TEXT("a"), 1, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}

TEST(ConvertSeams, IllFormedAndUnmappableTextByUnit) {
  WCHAR wide[8];
  // An encoded surrogate gives one replacement per byte; a lead byte without its trail byte gives '?'.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xED\xA0\x80", 3, wide, 8), 3);
  EXPECT_EQ(testing_text::WideString(wide, 3), TEXT("\uFFFD\uFFFD\uFFFD"));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xED\xA0\x80", 3, wide, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x81", 2, wide, 8), 2);
  EXPECT_EQ(testing_text::WideString(wide, 2), TEXT("a?"));
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "a\x81", 2, wide, 8), 0);
  // A surrogate pair is one character; letters with marks take the default, not a near letter.
  struct Case {
    UINT cp;
    const WCHAR *text;
    const char *bytes;
  } cases[] = {{1252, TEXT("\xD83D\xDE00"), "*"}, {932, TEXT("\u00E9"), "*"}, {1251, TEXT("\u00E9"), "*"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.cp);
    char narrow[8] = {};
    BOOL used = FALSE;
    const int length = lstrlenW(c.text);
    EXPECT_EQ(WideCharToMultiByte(c.cp, 0, c.text, length, narrow, 8, "*", &used), int(std::strlen(c.bytes)));
    EXPECT_STREQ(narrow, c.bytes);
    EXPECT_TRUE(used);
  }
}
