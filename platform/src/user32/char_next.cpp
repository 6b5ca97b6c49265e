// Stepping through UTF-16 text one user-perceived character at a time.
#include <windows.h>

namespace {

bool IsCombining(char16_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05BD) ||
         (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F);
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

LPWSTR WINAPI CharNextW(LPCWSTR lpsz) {
  LPWSTR p = const_cast<LPWSTR>(lpsz);
  if (!p || !*p) return p;
  if (IsHigh(p[0]) && IsLow(p[1])) ++p;
  ++p;
  while (IsCombining(*p)) ++p;
  return p;
}

LPWSTR WINAPI CharPrevW(LPCWSTR lpszStart, LPCWSTR lpszCurrent) {
  if (!lpszStart || !lpszCurrent || lpszCurrent <= lpszStart) return const_cast<LPWSTR>(lpszStart);
  LPCWSTR p = lpszCurrent - 1;
  while (p > lpszStart && IsCombining(*p)) --p;
  if (p > lpszStart && IsLow(*p) && IsHigh(p[-1])) --p;
  return const_cast<LPWSTR>(p);
}
