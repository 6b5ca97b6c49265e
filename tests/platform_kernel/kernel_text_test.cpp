// Text services: bounded copies, lengths, comparisons and character steps.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/text.h"

using testing_text::U16;

TEST(KernelText, BoundedCopiesWriteAtMostMaxMinusOneAndANul) {
  struct Case {
    const char *source;  // null: no source text
    int max;
    bool nullBuffer;
    const char *expected;  // null: the buffer is untouched
  } cases[] = {
      {"hello", 10, false, "hello"}, {"hello", 6, false, "hello"}, {"hello", 5, false, "hell"},
      {"hello", 1, false, ""},       {"hello", 0, false, nullptr}, {"hello", -3, false, nullptr},
      {"hello", 10, true, nullptr},  {"", 4, false, ""},           {nullptr, 4, false, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.source ? c.source : "(null)") + " max=" + std::to_string(c.max));
    char narrow[16];
    std::memset(narrow, '#', sizeof narrow);
    WCHAR wide[16];
    for (WCHAR &w : wide) w = u'#';
    std::u16string source16 = c.source ? U16(c.source) : u"";
    LPSTR narrowResult = lstrcpynA(c.nullBuffer ? nullptr : narrow, c.source, c.max);
    LPWSTR wideResult = lstrcpynW(c.nullBuffer ? nullptr : wide, c.source ? source16.c_str() : nullptr, c.max);
    EXPECT_EQ(narrowResult, c.nullBuffer ? nullptr : narrow);
    EXPECT_EQ(wideResult, c.nullBuffer ? nullptr : wide);
    if (c.expected) {
      size_t n = std::strlen(c.expected);
      EXPECT_EQ(std::string(narrow), c.expected);
      EXPECT_EQ(std::u16string(wide), U16(c.expected));
      EXPECT_EQ(narrow[n + 1], '#');
      EXPECT_EQ(wide[n + 1], u'#');
    } else {
      EXPECT_EQ(narrow[0], '#');
      EXPECT_EQ(wide[0], u'#');
    }
  }
}

TEST(KernelText, LengthsAndComparisons) {
  EXPECT_EQ(lstrlenW(nullptr), 0);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrlenW(u"a\xD83D\xDE00z"), 4);  // units, not characters
  struct Case {
    std::u16string a, b;
    int expected;
  } cases[] = {
      {u"abc", u"abc", 0},
      {u"ABC", u"abc", 0},
      {u"Software\\Classes", u"SOFTWARE\\classes", 0},
      {u"abc", u"abd", -1},
      {u"abcd", u"abc", 1},
      {u"", u"a", -1},
      {u"\u00C4RGER", u"\u00E4rger", 0},      // Latin-1
      {u"\u0416\u0401", u"\u0436\u0451", 0},  // Cyrillic
      {u"\u03A3\u0386", u"\u03C3\u03AC", 0},  // Greek
      {u"\u0141\u0179", u"\u0142\u017A", 0},  // Latin Extended-A
      {u"\uFF21", u"\uFF41", 0},              // full width
      {u"[", u"a", -1},                       // punctuation below letters
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing_text::U8(c.a) + " / " + testing_text::U8(c.b));
    EXPECT_EQ(lstrcmpiW(c.a.c_str(), c.b.c_str()), c.expected);
    EXPECT_EQ(lstrcmpiW(c.b.c_str(), c.a.c_str()), -c.expected);
  }
  EXPECT_EQ(lstrcmpW(u"abc", u"abc"), 0);
  EXPECT_EQ(lstrcmpW(u"abc", u"abd"), -1);
  EXPECT_NE(lstrcmpW(u"abc", u"ABC"), 0);
  EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpiW(nullptr, u""), 0);
  EXPECT_GT(lstrcmpiW(u"", nullptr), 0);
}

TEST(KernelText, CharacterStepsCoverCombiningMarksAndSurrogatePairs) {
  struct Case {
    std::u16string text;
    std::vector<size_t> stops;  // offsets CharNextW visits from the start, ending at the NUL
  } cases[] = {
      {u"abc", {1, 2, 3}},
      {u"e\u0301x", {2, 3}},                       // e + combining acute
      {u"a\u0308\u0304b", {3, 4}},                 // two marks on one base
      {u"\xD83D\xDE00!", {2, 3}},                  // surrogate pair
      {u"\xD83D\xDE00\u20DD", {3}},                // pair + enclosing mark
      {u"\xD800x", {1, 2}},                        // lone high surrogate: one unit
      {u"\xDC00\u0301", {2}},                      // lone low surrogate with a mark
      {u"\u0301a", {1, 2}},                        // leading mark is its own character
      {u"", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing_text::U8(c.text));
    const WCHAR *start = c.text.c_str();
    const WCHAR *p = start;
    std::vector<size_t> stops;
    while (*p && stops.size() < 10) {
      p = CharNextW(p);
      stops.push_back(size_t(p - start));
    }
    EXPECT_EQ(stops, c.stops);
    EXPECT_EQ(CharNextW(p), p);  // at the NUL the position stays

    // Stepping back visits the same stops in reverse, down to the start.
    std::vector<size_t> back;
    const WCHAR *q = start + c.text.size();
    while (q > start) {
      q = CharPrevW(start, q);
      back.insert(back.begin(), size_t(q - start));
    }
    std::vector<size_t> expectedBack;
    if (!c.stops.empty()) {
      expectedBack.push_back(0);
      expectedBack.insert(expectedBack.end(), c.stops.begin(), c.stops.end() - 1);
    }
    EXPECT_EQ(back, expectedBack);
    EXPECT_EQ(CharPrevW(start, start), start);
  }
  EXPECT_EQ(CharNextW(nullptr), nullptr);
}
