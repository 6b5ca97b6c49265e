#include "registry_text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace registry {
namespace {

locale_t CaseLocale() {
  // The C.UTF-8 locale knows the case pairs of all of Unicode; without it only ASCII folds.
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return locale;
}

char16_t Upcase(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? char16_t(unit - 0x20) : unit;
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  locale_t locale = CaseLocale();
  if (locale == locale_t(0)) return unit;
  wint_t upper = towupper_l(wint_t(unit), locale);
  // A mapping out of the basic plane would change the name's length; keep the unit.
  return upper <= 0xFFFF ? char16_t(upper) : unit;
}

}  // namespace

size_t TextLength(const char16_t *text) {
  size_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

std::string Fold(const std::u16string &name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (char16_t unit : name) {
    char16_t upper = Upcase(unit);
    out += char(upper >> 8);
    out += char(upper & 0xFF);
  }
  return out;
}

LSTATUS SplitPath(const char16_t *path, std::vector<std::u16string> *names) {
  names->clear();
  if (!path || !*path) return ERROR_SUCCESS;
  if (*path == u'\\') return ERROR_BAD_PATHNAME;
  std::u16string current;
  for (const char16_t *p = path;; ++p) {
    if (*p == u'\\' || *p == 0) {
      if (!current.empty()) names->push_back(current);
      current.clear();
      if (*p == 0) break;
      continue;
    }
    current += *p;
    if (current.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  }
  return ERROR_SUCCESS;
}

std::string JoinPath(const std::string &prefix, const std::vector<std::u16string> &names) {
  std::string out = prefix;
  for (const std::u16string &name : names) {
    if (!out.empty()) out += '\\';
    out += ToUtf8(name);
  }
  return out;
}

std::string ToUtf8(const std::u16string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
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
  return out;
}

std::u16string FromUtf8(const std::string &text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra >= text.size()) {
      out += char16_t(0xFFFD);
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
  }
  return out;
}

}  // namespace registry
