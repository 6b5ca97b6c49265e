// Length, comparison and bounded copy of NUL-terminated texts.
#include <windows.h>

#include "kernel32/case_fold.h"

namespace {

template <typename Char>
int Length(const Char *s) {
  if (!s) return 0;
  const Char *p = s;
  while (*p) ++p;
  return static_cast<int>(p - s);
}

// Windows orders a null text before every other text; results are -1, 0 or 1.
template <typename Fold>
int Compare(LPCWSTR a, LPCWSTR b, Fold fold) {
  if (!a || !b) return (a == b) ? 0 : (a ? 1 : -1);
  for (;; ++a, ++b) {
    char16_t x = fold(*a), y = fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

template <typename Char>
Char *CopyBounded(Char *dst, const Char *src, int max) {
  if (!dst || max <= 0) return dst;
  int i = 0;
  if (src)
    for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

}  // namespace

int WINAPI lstrlenW(LPCWSTR lpString) { return Length(lpString); }

int WINAPI lstrlenA(LPCSTR lpString) { return Length(lpString); }

int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
  return Compare(lpString1, lpString2, [](char16_t c) { return c; });
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
  return Compare(lpString1, lpString2, platform_case::Lower);
}

LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
  return CopyBounded(lpString1, lpString2, iMaxLength);
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  return CopyBounded(lpString1, lpString2, iMaxLength);
}
