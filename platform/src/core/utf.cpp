#include "core/utf.h"

#include <cstdint>

namespace platform_utf {
namespace {

void Append(std::u16string &out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += char16_t(0xD800 + (c >> 10));
    out += char16_t(0xDC00 + (c & 0x3FF));
  } else {
    out += char16_t(c);
  }
}

void Append(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

bool Utf8ToUtf16(std::string_view in, std::u16string &out, bool strict) {
  size_t i = 0;
  while (i < in.size()) {
    uint8_t b = uint8_t(in[i]);
    if (b < 0x80) {
      out += char16_t(b);
      ++i;
      continue;
    }
    int need;
    char32_t c;
    uint8_t lo = 0x80, hi = 0xBF;  // the range of the second byte, which excludes overlongs and surrogates
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      c = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      c = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      if (strict) return false;
      out += char16_t(0xFFFD);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < need; ++k, ++j) {
      uint8_t t = j < in.size() ? uint8_t(in[j]) : 0;
      if (j >= in.size() || t < lo || t > hi) {
        ok = false;
        break;
      }
      c = (c << 6) | (t & 0x3F);
      lo = 0x80;
      hi = 0xBF;
    }
    if (!ok) {
      if (strict) return false;
      out += char16_t(0xFFFD);
      i = j;  // the maximal subpart consumed so far counts as one error
      continue;
    }
    Append(out, c);
    i = j;
  }
  return true;
}

bool Utf16ToUtf8(std::u16string_view in, std::string &out, bool strict) {
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (strict) return false;
      c = 0xFFFD;
    }
    Append(out, c);
  }
  return true;
}

bool ToUtf8(const char16_t *text, std::string *out) {
  return ToUtf8(text ? std::u16string_view(text) : std::u16string_view(), out);
}

bool ToUtf8(std::u16string_view text, std::string *out) {
  out->clear();
  return Utf16ToUtf8(text, *out, true);
}

bool ToUtf16(std::string_view text, std::u16string *out) {
  out->clear();
  return Utf8ToUtf16(text, *out, true);
}

}  // namespace platform_utf
