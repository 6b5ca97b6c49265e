#include "advapi32/registry_text.h"

#include "core/utf.h"

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
  std::string out(name.size() * 2, '\0');
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t upper = Upcase(name[i]);
    out[2 * i] = char(upper >> 8);
    out[2 * i + 1] = char(upper & 0xFF);
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
  platform_utf::Utf16ToUtf8(text, out, false);
  return out;
}

std::u16string FromUtf8(const std::string &text) {
  std::u16string out;
  platform_utf::Utf8ToUtf16(text, out, false);
  return out;
}

}  // namespace registry
