// The bounded-copy table of lstrcpynA and lstrcpynW, shared by the contract
// rows and the substitute's own.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/text.h"

struct BoundedCopyCase {
  const char *source;  // null: no source text
  int max;
  bool nullBuffer;
  const char *expected;  // null: the buffer is untouched
};

inline void CheckBoundedCopies(const std::vector<BoundedCopyCase> &cases) {
  using testing_text::U16;
  using testing_text::WideString;
  for (const BoundedCopyCase &c : cases) {
    SCOPED_TRACE(std::string(c.source ? c.source : "(null)") + " max=" + std::to_string(c.max));
    char narrow[16];
    std::memset(narrow, '#', sizeof narrow);
    WCHAR wide[16];
    for (WCHAR &w : wide) w = TEXT('#');
    WideString source16 = c.source ? U16(c.source) : TEXT("");
    LPSTR narrowResult = lstrcpynA(c.nullBuffer ? nullptr : narrow, c.source, c.max);
    LPWSTR wideResult = lstrcpynW(c.nullBuffer ? nullptr : wide, c.source ? source16.c_str() : nullptr, c.max);
    EXPECT_EQ(narrowResult, c.nullBuffer ? nullptr : narrow);
    EXPECT_EQ(wideResult, c.nullBuffer ? nullptr : wide);
    if (c.expected) {
      size_t n = std::strlen(c.expected);
      EXPECT_EQ(std::string(narrow), c.expected);
      EXPECT_EQ(WideString(wide), U16(c.expected));
      EXPECT_EQ(narrow[n + 1], '#');
      EXPECT_EQ(wide[n + 1], TEXT('#'));
    } else {
      EXPECT_EQ(narrow[0], '#');
      EXPECT_EQ(wide[0], TEXT('#'));
    }
  }
}
