// Locale information: the default ANSI and OEM code pages of a locale.
#include <winnls.h>

#include <string>

#include "kernel32/locale_internal.h"

int WINAPI GetLocaleInfoW(LCID Locale, DWORD LCType, LPWSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT ansi = 0, oem = 0;
  if (!platform_locale::CodePagesOf(platform_locale::Resolve(Locale), &ansi, &oem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool number = (LCType & LOCALE_RETURN_NUMBER) != 0;
  DWORD type = LCType & ~(LOCALE_RETURN_NUMBER | LOCALE_NOUSEROVERRIDE);
  UINT value;
  if (type == LOCALE_IDEFAULTANSICODEPAGE) value = ansi;
  else if (type == LOCALE_IDEFAULTCODEPAGE) value = oem;
  else {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  std::u16string text;
  if (number) {
    text.assign(reinterpret_cast<const char16_t *>(&value), sizeof(DWORD) / sizeof(WCHAR));
  } else {
    for (char c : std::to_string(value)) text += char16_t(c);
    text += u'\0';
  }
  int needed = static_cast<int>(text.size());
  if (cchData == 0) return needed;
  if (cchData < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  text.copy(lpLCData, text.size());
  return needed;
}
