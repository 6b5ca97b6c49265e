// Text services where Windows's answers are not recorded: the substitute's
// bounded copies with a negative maximum or no source, and its character steps
// over combining marks and surrogate pairs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel_text_copies.h"
#include "platform_seams.h"
#include "support/text.h"

using testing_text::WideString;

TEST(KernelTextSeams, BoundedCopiesWithoutRoomOrSource) {
  seams::Reset();
  CheckBoundedCopies({{"hello", -3, false, nullptr}, {nullptr, 4, false, ""}});
}

TEST(KernelTextSeams, CharacterStepsCoverCombiningMarksAndSurrogatePairs) {
  struct Case {
    WideString text;
    std::vector<size_t> stops;  // offsets CharNextW visits from the start, ending at the NUL
  } cases[] = {
      {TEXT("abc"), {1, 2, 3}},
      {TEXT("e\u0301x"), {2, 3}},                       // e + combining acute
      {TEXT("a\u0308\u0304b"), {3, 4}},                 // two marks on one base
      {TEXT("\xD83D\xDE00!"), {2, 3}},                  // surrogate pair
      {TEXT("\xD83D\xDE00\u20DD"), {3}},                // pair + enclosing mark
      {TEXT("\xD800x"), {1, 2}},                        // lone high surrogate: one unit
      {TEXT("\xDC00\u0301"), {2}},                      // lone low surrogate with a mark
      {TEXT("\u0301a"), {1, 2}},                        // leading mark is its own character
      {TEXT(""), {}},
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
