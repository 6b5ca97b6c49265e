// Text services: bounded copies, lengths and comparisons.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel_text_copies.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;

TEST(KernelText, BoundedCopiesWriteAtMostMaxMinusOneAndANul) {
  CheckBoundedCopies({
      {"hello", 10, false, "hello"}, {"hello", 6, false, "hello"}, {"hello", 5, false, "hell"},
      {"hello", 1, false, ""},       {"hello", 0, false, nullptr}, {"hello", 10, true, nullptr},
      {"", 4, false, ""},
  });
}

TEST(KernelText, LengthsAndComparisons) {
  EXPECT_EQ(lstrlenW(nullptr), 0);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrlenW(TEXT("a\xD83D\xDE00z")), 4);  // units, not characters
  struct Case {
    WideString a, b;
    int expected;
  } cases[] = {
      {TEXT("abc"), TEXT("abc"), 0},
      {TEXT("ABC"), TEXT("abc"), 0},
      {TEXT("Software\\Classes"), TEXT("SOFTWARE\\classes"), 0},
      {TEXT("abc"), TEXT("abd"), -1},
      {TEXT("abcd"), TEXT("abc"), 1},
      {TEXT(""), TEXT("a"), -1},
      {TEXT("\u00C4RGER"), TEXT("\u00E4rger"), 0},      // Latin-1
      {TEXT("\u0416\u0401"), TEXT("\u0436\u0451"), 0},  // Cyrillic
      {TEXT("\u03A3\u0386"), TEXT("\u03C3\u03AC"), 0},  // Greek
      {TEXT("\u0141\u0179"), TEXT("\u0142\u017A"), 0},  // Latin Extended-A
      {TEXT("\uFF21"), TEXT("\uFF41"), 0},              // full width
      {TEXT("["), TEXT("a"), -1},                       // punctuation below letters
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing_text::U8(c.a) + " / " + testing_text::U8(c.b));
    EXPECT_EQ(lstrcmpiW(c.a.c_str(), c.b.c_str()), c.expected);
    EXPECT_EQ(lstrcmpiW(c.b.c_str(), c.a.c_str()), -c.expected);
  }
  EXPECT_EQ(lstrcmpW(TEXT("abc"), TEXT("abc")), 0);
  EXPECT_EQ(lstrcmpW(TEXT("abc"), TEXT("abd")), -1);
  EXPECT_NE(lstrcmpW(TEXT("abc"), TEXT("ABC")), 0);
  EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpiW(nullptr, TEXT("")), 0);
  EXPECT_GT(lstrcmpiW(TEXT(""), nullptr), 0);
}
