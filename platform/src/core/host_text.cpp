#include "core/host_text.h"

#include <cstdint>

namespace platform_text {
namespace {

bool Encode(const char16_t *p, size_t n, std::string *out) {
  out->clear();
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = p[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= n || p[i + 1] < 0xDC00 || p[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      *out += char(c);
    } else if (c < 0x800) {
      *out += char(0xC0 | (c >> 6));
      *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *out += char(0xE0 | (c >> 12));
      *out += char(0x80 | ((c >> 6) & 0x3F));
      *out += char(0x80 | (c & 0x3F));
    } else {
      *out += char(0xF0 | (c >> 18));
      *out += char(0x80 | ((c >> 12) & 0x3F));
      *out += char(0x80 | ((c >> 6) & 0x3F));
      *out += char(0x80 | (c & 0x3F));
    }
  }
  return true;
}

}  // namespace

bool Utf16ToUtf8(const char16_t *text, std::string *out) {
  if (!text) {
    out->clear();
    return true;
  }
  return Encode(text, std::char_traits<char16_t>::length(text), out);
}

bool Utf16ToUtf8(const std::u16string &text, std::string *out) { return Encode(text.data(), text.size(), out); }

bool Utf8ToUtf16(const std::string &text, std::u16string *out) {
  out->clear();
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t cp;
    size_t n;
    if (c < 0x80) { cp = c; n = 1; }
    else if (c >= 0xC2 && c < 0xE0) { cp = c & 0x1F; n = 2; }
    else if (c >= 0xE0 && c < 0xF0) { cp = c & 0x0F; n = 3; }
    else if (c >= 0xF0 && c < 0xF5) { cp = c & 0x07; n = 4; }
    else return false;
    if (i + n > text.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *out += static_cast<char16_t>(0xD800 + (cp >> 10));
      *out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *out += static_cast<char16_t>(cp);
    }
  }
  return true;
}

}  // namespace platform_text
