#include "kernel32/case_fold.h"

namespace platform_case {

char16_t Lower(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 0x20);
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130) return u'i';
    if (c == 0x178) return 0xFF;
    // 0x139..0x148 and 0x179..0x17E pair odd upper with even lower; the rest even/odd.
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? char16_t(c + 1) : c;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? c : char16_t(c + 1);
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return char16_t(c + 0x20);
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return char16_t(c + 0x25);
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return char16_t(c + 0x3F);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 0x50);
  if (c >= 0x410 && c <= 0x42F) return char16_t(c + 0x20);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return (c & 1) ? c : char16_t(c + 1);
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? char16_t(c + 1) : c;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x531 && c <= 0x556) return char16_t(c + 0x30);
  if (c >= 0x1E00 && c <= 0x1EFF && !(c >= 0x1E96 && c <= 0x1E9F)) return (c & 1) ? c : char16_t(c + 1);
  if (c >= 0xFF21 && c <= 0xFF3A) return char16_t(c + 0x20);
  return c;
}

}  // namespace platform_case
