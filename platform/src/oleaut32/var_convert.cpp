// VarUI4FromStr: text to an unsigned 32-bit number, as Automation converts.
// Accepted forms, each with optional surrounding blanks (space, tab, CR, LF):
//   decimal: [+|-]digits[.digits][e|E[+|-]digits], or [+|-].digits...; a
//            fraction rounds to the nearest integer, halves to the even one
//            ("2.5" -> 2, "3.5" -> 4); the decimal separator is '.' and no
//            thousands separators are taken, whatever the locale;
//   "&H" hexadecimal and "&O" octal digits (letters in either case), at most
//            32 bits.
// Results: S_OK; DISP_E_TYPEMISMATCH for anything else (empty or blank text
// included); DISP_E_OVERFLOW for a value above 0xFFFFFFFF or a negative one
// (one that rounds to zero, such as "-0" or "-0.4", gives 0);
// DISP_E_TYPEMISMATCH for a null text too, E_POINTER for a null result pointer.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

HRESULT Radix(const char16_t *p, const char16_t *end, unsigned shift, ULONG *out) {
  if (p == end) return DISP_E_TYPEMISMATCH;
  const unsigned radix = 1u << shift;
  uint64_t value = 0;
  bool overflow = false;
  for (; p < end; ++p) {
    char16_t c = *p;
    unsigned d;
    if (IsDigit(c)) d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return DISP_E_TYPEMISMATCH;
    if (d >= radix) return DISP_E_TYPEMISMATCH;
    value = (value << shift) | d;
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value &= 0xFFFFFFFFu;  // keep scanning so a later bad character still counts as a mismatch
    }
  }
  if (overflow) return DISP_E_OVERFLOW;
  *out = static_cast<ULONG>(value);
  return S_OK;
}

HRESULT Decimal(const char16_t *p, const char16_t *end, ULONG *out) {
  bool negative = false;
  if (p < end && (*p == u'+' || *p == u'-')) negative = *p++ == u'-';
  // Significant digits (leading zeros dropped) and the power of ten they are scaled by.
  std::string digits;
  int64_t exponent = 0;
  bool anyDigit = false;
  for (; p < end && IsDigit(*p); ++p) {
    anyDigit = true;
    if (!digits.empty() || *p != u'0') digits += static_cast<char>(*p);
    if (digits.size() > 40) return DISP_E_OVERFLOW;
  }
  if (p < end && *p == u'.') {
    for (++p; p < end && IsDigit(*p); ++p) {
      anyDigit = true;
      // Digits far below the units only matter as "something after a half".
      if (digits.size() < 64) {
        if (!digits.empty() || *p != u'0') digits += static_cast<char>(*p);
        --exponent;
      } else if (*p != u'0') {
        digits.back() = digits.back() == '0' ? '1' : digits.back();
      }
    }
  }
  if (!anyDigit) return DISP_E_TYPEMISMATCH;
  if (p < end && (*p == u'e' || *p == u'E')) {
    ++p;
    bool minus = false;
    if (p < end && (*p == u'+' || *p == u'-')) minus = *p++ == u'-';
    if (p == end || !IsDigit(*p)) return DISP_E_TYPEMISMATCH;
    int64_t e = 0;
    for (; p < end && IsDigit(*p); ++p) e = e < 100000 ? e * 10 + (*p - u'0') : e;
    exponent += minus ? -e : e;
  }
  if (p != end) return DISP_E_TYPEMISMATCH;
  if (digits.empty()) {
    *out = 0;
    return S_OK;
  }

  // Split into the integer part and the fraction.
  const int64_t integerDigits = static_cast<int64_t>(digits.size()) + exponent;
  if (integerDigits > 10) return DISP_E_OVERFLOW;
  uint64_t value = 0;
  for (int64_t i = 0; i < integerDigits; ++i)
    value = value * 10 + (i < static_cast<int64_t>(digits.size()) ? digits[size_t(i)] - '0' : 0);
  std::string fraction;
  if (integerDigits < 0) fraction.assign(size_t(-integerDigits), '0');
  if (integerDigits < static_cast<int64_t>(digits.size()))
    fraction += digits.substr(size_t(integerDigits > 0 ? integerDigits : 0));
  if (!fraction.empty()) {
    const char first = fraction[0];
    const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string::npos;
    if (first > '5' || (first == '5' && (restNonZero || (value & 1)))) ++value;
  }
  if (value > 0xFFFFFFFFu) return DISP_E_OVERFLOW;
  if (negative && value != 0) return DISP_E_OVERFLOW;
  *out = static_cast<ULONG>(value);
  return S_OK;
}

}  // namespace

HRESULT STDAPICALLTYPE VarUI4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG *pulOut) {
  (void)lcid;
  (void)dwFlags;
  if (!strIn) return DISP_E_TYPEMISMATCH;
  if (!pulOut) return E_POINTER;
  const char16_t *p = strIn;
  while (IsBlank(*p)) ++p;
  const char16_t *end = p;
  while (*end) ++end;
  while (end > p && IsBlank(end[-1])) --end;
  if (p == end) return DISP_E_TYPEMISMATCH;
  ULONG value = 0;
  HRESULT hr;
  if (*p == u'&' && end - p >= 2 && (p[1] == u'H' || p[1] == u'h')) {
    hr = Radix(p + 2, end, 4, &value);
  } else if (*p == u'&' && end - p >= 2 && (p[1] == u'O' || p[1] == u'o')) {
    hr = Radix(p + 2, end, 3, &value);
  } else {
    hr = Decimal(p, end, &value);
  }
  if (SUCCEEDED(hr)) *pulOut = value;
  return hr;
}
