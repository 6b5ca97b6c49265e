// Code-page conversions: texts per code page in both directions, and the size
// and error contracts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;
using testing_text::U8;

namespace {

WideString ToWide(UINT cp, const std::string &bytes, DWORD flags = 0) {
  int n = MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), nullptr, 0);
  if (n <= 0) return TEXT("<failed>");
  WideString out(size_t(n), TEXT('\0'));
  EXPECT_EQ(MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), out.data(), n), n);
  return out;
}

std::string ToBytes(UINT cp, const WideString &text, BOOL *usedDefault = nullptr, const char *fallback = nullptr) {
  int n = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), nullptr, 0, fallback, usedDefault);
  if (n <= 0) return "<failed>";
  std::string out(size_t(n), '\0');
  EXPECT_EQ(WideCharToMultiByte(cp, 0, text.data(), int(text.size()), out.data(), n, fallback, usedDefault), n);
  return out;
}

}  // namespace

TEST(Convert, TextsRoundTripThroughTheirCodePages) {
  struct Case {
    UINT cp;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {1252, "\x80 caf\xE9", "€ café"},
      {1250, "\xC8\x9A", "Čš"},
      {1251, "\xC6\xE6", "Жж"},
      {1253, "\xD9\xE1", "Ωα"},
      {1254, "\xFE\xD0", "şĞ"},
      {1255, "\xE0\xF9", "אש"},
      {1256, "\xDA", "ع"},
      {1257, "\xC0", "Ą"},
      {874, "\xA1\x80", "ก€"},
      {932, "\x93\xFA\x96\x7B\x8C\xEA\xB1", "日本語ｱ"},
      {936, "\xD6\xD0\xCE\xC4", "中文"},
      {949, "\xC7\xD1\xB1\xB9", "한국"},
      {950, "\xA4\xA4\xA4\xE5", "中文"},
      {437, "\x82\xB0", "é░"},
      {850, "\x82\xA5", "éÑ"},
      {866, "\x86\xA6", "Жж"},
      {CP_UTF8, "\xE2\x82\xAC\xF0\x9D\x84\x9E", "€𝄞"},
      {28591, "\xE9", "é"},
      {20866, "\xF6", "Ж"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("code page " + std::to_string(c.cp) + ": " + c.utf8);
    EXPECT_EQ(U8(ToWide(c.cp, c.bytes)), c.utf8);
    EXPECT_EQ(ToBytes(c.cp, U16(c.utf8)), c.bytes);
  }
}

TEST(Convert, CountsIncludeTheNulAndShortBuffersFail) {
  WCHAR wide[8];
  char narrow[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(WideString(wide), TEXT("abc"));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "ab\0c", 4, wide, 8), 4);  // embedded NUL converted as any other
  EXPECT_EQ(wide[2], TEXT('\0'));
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, TEXT("h\u00E9"), -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, TEXT("h\u00E9"), -1, narrow, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(narrow, "h\xE9");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("h\u00E9"), 2, narrow, 8, nullptr, nullptr), 3);  // no NUL added
  // Any negative length means "up to and with the NUL".
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -2002, wide, 8), 4);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, TEXT("abc"), -2002, narrow, 8, nullptr, nullptr), 4);
  // UTF-8 takes a default character and its flag, and has no use for them.
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("abc"), 3, narrow, 8, "?", nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("abc"), 3, narrow, 8, nullptr, &used), 3);

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("\u20AC"), -1, narrow, 3, nullptr, nullptr), 0);  // 3 bytes + NUL
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Convert, BadArgumentsAreRejected) {
  WCHAR wide[8];
  char narrow[8];
  BOOL used = FALSE;
  struct Case {
    const char *what;
    std::function<int()> call;
    DWORD error;
  } cases[] = {
      {"empty input", [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 8); }, ERROR_INVALID_PARAMETER},
      {"null input", [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 8); }, ERROR_INVALID_PARAMETER},
      {"null output with a size", [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 8); },
       ERROR_INVALID_PARAMETER},
      {"unknown code page", [&] { return MultiByteToWideChar(12345, 0, "abc", 3, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"UTF-16 is not a code page here", [&] { return MultiByteToWideChar(1200, 0, "abc", 3, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"wide empty input", [&] { return WideCharToMultiByte(1252, 0, TEXT("abc"), 0, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wide null output with a size",
       [&] { return WideCharToMultiByte(1252, 0, TEXT("abc"), 3, nullptr, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wide unknown code page", [&] { return WideCharToMultiByte(12345, 0, TEXT("abc"), 3, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-7 with a default char", [&] { return WideCharToMultiByte(CP_UTF7, 0, TEXT("abc"), 3, narrow, 8, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-7 with used-default", [&] { return WideCharToMultiByte(CP_UTF7, 0, TEXT("abc"), 3, narrow, 8, nullptr, &used); },
       ERROR_INVALID_PARAMETER},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(Convert, IllFormedInputIsReplacedOrRefused) {
  struct Case {
    UINT cp;
    std::string bytes;
    WideString lenient;  // without MB_ERR_INVALID_CHARS
    bool strictFails;
  } cases[] = {
      {CP_UTF8, "a\xC3(", TEXT("a\uFFFD("), true},
      {CP_UTF8, "\xE2\x82", TEXT("\uFFFD"), true},                   // truncated sequence: one replacement
      {CP_UTF8, "\xC0\xAF", TEXT("\uFFFD\uFFFD"), true},             // overlong
      {1252, "\x81\x8D", TEXT("\u0081\u008D"), false},               // unassigned bytes stand for C1 controls
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.cp) + ": " + U8(c.lenient));
    EXPECT_EQ(ToWide(c.cp, c.bytes), c.lenient);
    WCHAR out[16];
    SetLastError(0);
    int n = MultiByteToWideChar(c.cp, MB_ERR_INVALID_CHARS, c.bytes.data(), int(c.bytes.size()), out, 16);
    if (c.strictFails) {
      EXPECT_EQ(n, 0);
      EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    } else {
      EXPECT_EQ(WideString(out, size_t(n)), c.lenient);
    }
  }

  char narrow[16];
  EXPECT_EQ(ToBytes(CP_UTF8, TEXT("a\xD800z")), "a\xEF\xBF\xBDz");
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, TEXT("a\xD800z"), 3, narrow, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(Convert, UnmappableCharactersBecomeTheDefaultChar) {
  struct Case {
    UINT cp;
    WideString text;
    const char *fallback;
    std::string bytes;
    BOOL used;
  } cases[] = {
      {1252, TEXT("a\u0416b"), nullptr, "a?b", TRUE},
      {1252, TEXT("a\u0416b"), "*", "a*b", TRUE},
      {1252, TEXT("abc"), "*", "abc", FALSE},
      {932, TEXT("\u65E5\u0416\u0E01"), "_", "\x93\xFA\x84\x47_", TRUE},
      {1251, TEXT("\u0E01"), nullptr, "?", TRUE},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.cp) + ": " + U8(c.text));
    BOOL used = 2;
    EXPECT_EQ(ToBytes(c.cp, c.text, &used, c.fallback), c.bytes);
    EXPECT_EQ(used, c.used);
  }
}
