// Code-page conversions: texts per code page in both directions, and the size
// and error contracts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform_seams.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::U8;

namespace {

class Convert : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
};

std::u16string ToWide(UINT cp, const std::string &bytes, DWORD flags = 0) {
  int n = MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), nullptr, 0);
  if (n <= 0) return u"<failed>";
  std::u16string out(size_t(n), u'\0');
  EXPECT_EQ(MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), out.data(), n), n);
  return out;
}

std::string ToBytes(UINT cp, const std::u16string &text, BOOL *usedDefault = nullptr, const char *fallback = nullptr) {
  int n = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), nullptr, 0, fallback, usedDefault);
  if (n <= 0) return "<failed>";
  std::string out(size_t(n), '\0');
  EXPECT_EQ(WideCharToMultiByte(cp, 0, text.data(), int(text.size()), out.data(), n, fallback, usedDefault), n);
  return out;
}

}  // namespace

TEST_F(Convert, TextsRoundTripThroughTheirCodePages) {
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

TEST_F(Convert, CountsIncludeTheNulAndShortBuffersFail) {
  WCHAR wide[8];
  char narrow[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "ab\0c", 4, wide, 8), 4);  // embedded NUL converted as any other
  EXPECT_EQ(wide[2], u'\0');
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"h\u00E9", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"h\u00E9", -1, narrow, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(narrow, "h\xE9");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"h\u00E9", 2, narrow, 8, nullptr, nullptr), 3);  // no NUL added

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", -1, narrow, 3, nullptr, nullptr), 0);  // 3 bytes + NUL
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(Convert, BadArgumentsAreRejected) {
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
      {"length below -1", [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", -2, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"null output with a size", [&] { return MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 8); },
       ERROR_INVALID_PARAMETER},
      {"unknown code page", [&] { return MultiByteToWideChar(12345, 0, "abc", 3, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"UTF-16 is not a code page here", [&] { return MultiByteToWideChar(1200, 0, "abc", 3, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with other flags", [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 8); },
       ERROR_INVALID_FLAGS},
      {"precomposed and composite",
       [&] { return MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, wide, 8); },
       ERROR_INVALID_FLAGS},
      {"wide empty input", [&] { return WideCharToMultiByte(1252, 0, u"abc", 0, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wide null output with a size",
       [&] { return WideCharToMultiByte(1252, 0, u"abc", 3, nullptr, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wide unknown code page", [&] { return WideCharToMultiByte(12345, 0, u"abc", 3, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with a default char", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 8, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"UTF-8 with used-default", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 8, nullptr, &used); },
       ERROR_INVALID_PARAMETER},
      {"strict flag outside UTF-8",
       [&] { return WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"a", 1, narrow, 8, nullptr, nullptr); },
       ERROR_INVALID_FLAGS},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(Convert, IllFormedInputIsReplacedOrRefused) {
  struct Case {
    UINT cp;
    std::string bytes;
    std::u16string lenient;  // without MB_ERR_INVALID_CHARS
    bool strictFails;
  } cases[] = {
      {CP_UTF8, "a\xC3(", u"a\uFFFD(", true},
      {CP_UTF8, "\xE2\x82", u"\uFFFD", true},                   // truncated sequence: one replacement
      {CP_UTF8, "\xC0\xAF", u"\uFFFD\uFFFD", true},             // overlong
      {CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", true},   // encoded surrogate
      {1252, "\x81\x8D", u"\u0081\u008D", false},               // unassigned bytes stand for C1 controls
      {932, "a\x81", u"a?", true},                              // lead byte without its trail byte
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
      EXPECT_EQ(std::u16string(out, size_t(n)), c.lenient);
    }
  }

  char narrow[16];
  EXPECT_EQ(ToBytes(CP_UTF8, u"a\xD800z"), "a\xEF\xBF\xBDz");
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD800z", 3, narrow, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(Convert, UnmappableCharactersBecomeTheDefaultChar) {
  struct Case {
    UINT cp;
    std::u16string text;
    const char *fallback;
    std::string bytes;
    BOOL used;
  } cases[] = {
      {1252, u"a\u0416b", nullptr, "a?b", TRUE},
      {1252, u"a\u0416b", "*", "a*b", TRUE},
      {1252, u"\xD83D\xDE00", "*", "*", TRUE},  // a surrogate pair is one character
      {1252, u"abc", "*", "abc", FALSE},
      {932, u"\u65E5\u0416\u00E9", "_", "\x93\xFA\x84\x47_", TRUE},
      {1251, u"\u00E9", nullptr, "?", TRUE},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.cp) + ": " + U8(c.text));
    BOOL used = 2;
    EXPECT_EQ(ToBytes(c.cp, c.text, &used, c.fallback), c.bytes);
    EXPECT_EQ(used, c.used);
  }
}

TEST_F(Convert, SeamsFailConversions) {
  seams::FailOperation("WideCharToMultiByte", ERROR_INVALID_PARAMETER, 0, "3");
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"a", -1, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", -1, narrow, 8, nullptr, nullptr), 2);  // other subject
  seams::FailOperation("MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION, 1);
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "a", 1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "a", 1, wide, 8), 1);
}
