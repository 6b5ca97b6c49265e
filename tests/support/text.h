// Text helpers shared by the tests: UTF-16 from and to UTF-8.
#pragma once
#include <string>

namespace testing_text {

// The unit of the system's wide strings (WCHAR): wchar_t on Windows, char16_t
// under the substitute; both hold UTF-16.
#ifdef _WIN32
using WideUnit = wchar_t;
#else
using WideUnit = char16_t;
#endif
using WideString = std::basic_string<WideUnit>;

// UTF-8 to UTF-16 (no validation: tests pass well-formed text).
inline WideString U16(const std::string &s) {
  WideString out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int n;
    if (c < 0x80) { cp = c; n = 1; }
    else if (c < 0xE0) { cp = c & 0x1F; n = 2; }
    else if (c < 0xF0) { cp = c & 0x0F; n = 3; }
    else { cp = c & 0x07; n = 4; }
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<WideUnit>(0xD800 + (cp >> 10));
      out += static_cast<WideUnit>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<WideUnit>(cp);
    }
  }
  return out;
}

// UTF-16 to UTF-8, for messages and comparisons.
inline std::string U8(const WideString &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) out += char(c);
    else if (c < 0x800) { out += char(0xC0 | (c >> 6)); out += char(0x80 | (c & 0x3F)); }
    else if (c < 0x10000) { out += char(0xE0 | (c >> 12)); out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F)); }
    else { out += char(0xF0 | (c >> 18)); out += char(0x80 | ((c >> 12) & 0x3F)); out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F)); }
  }
  return out;
}

inline std::string U8(const WideUnit *s) { return s ? U8(WideString(s)) : std::string("(null)"); }

}  // namespace testing_text
