// The braced text form of GUIDs, written and parsed.
#include "core/guid_text.h"

#include <objbase.h>

namespace com {
namespace {

constexpr int kGuidChars = 38;

void Hex(uint64_t value, int digits, char16_t *out) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<char16_t>(kDigits[value & 0xF]);
    value >>= 4;
  }
}

int Digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool ReadHex(const char16_t *p, int digits, uint64_t *out) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int d = Digit(p[i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint64_t>(d);
  }
  *out = v;
  return true;
}

}  // namespace

std::u16string GuidText(REFGUID g) {
  std::u16string s(kGuidChars, u'-');
  s[0] = u'{';
  Hex(g.Data1, 8, &s[1]);
  Hex(g.Data2, 4, &s[10]);
  Hex(g.Data3, 4, &s[15]);
  Hex(g.Data4[0], 2, &s[20]);
  Hex(g.Data4[1], 2, &s[22]);
  for (int i = 0; i < 6; ++i) Hex(g.Data4[2 + i], 2, &s[25 + 2 * i]);
  s[37] = u'}';
  return s;
}

std::string GuidText8(REFGUID g) {
  std::u16string wide = GuidText(g);
  return std::string(wide.begin(), wide.end());
}

bool ParseGuid(const char16_t *text, GUID *out) {
  if (!text) return false;
  for (int i = 0; i < kGuidChars; ++i)
    if (text[i] == 0) return false;
  if (text[kGuidChars] != 0 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' || text[14] != u'-' ||
      text[19] != u'-' || text[24] != u'-')
    return false;
  uint64_t v = 0;
  GUID g;
  if (!ReadHex(text + 1, 8, &v)) return false;
  g.Data1 = static_cast<uint32_t>(v);
  if (!ReadHex(text + 10, 4, &v)) return false;
  g.Data2 = static_cast<uint16_t>(v);
  if (!ReadHex(text + 15, 4, &v)) return false;
  g.Data3 = static_cast<uint16_t>(v);
  const int at[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text + at[i], 2, &v)) return false;
    g.Data4[i] = static_cast<uint8_t>(v);
  }
  *out = g;
  return true;
}

}  // namespace com
