// MultiByteToWideChar and WideCharToMultiByte: UTF-8 directly, every other code
// page through iconv.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/seams_internal.h"
#include "core/utf.h"
#include "kernel32/codepages.h"

namespace {

enum class Outcome { kOk, kInvalidChars };

// Decodes `in` from a non-UTF-8 code page into `out`. Bytes iconv rejects become
// '?' (or their C1 control), unless strict.
Outcome Decode(iconv_t cd, UINT codePage, std::string_view in, bool strict, std::u16string &out) {
  char *src = const_cast<char *>(in.data());
  size_t srcLeft = in.size();
  char16_t chunk[512];
  for (;;) {
    char *dst = reinterpret_cast<char *>(chunk);
    size_t dstLeft = sizeof chunk;
    size_t r = srcLeft ? iconv(cd, &src, &srcLeft, &dst, &dstLeft) : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    int error = errno;
    out.append(chunk, (sizeof chunk - dstLeft) / sizeof(char16_t));
    if (r != size_t(-1)) {
      if (srcLeft == 0) {
        // Flush the shift state of stateful encodings.
        dst = reinterpret_cast<char *>(chunk);
        dstLeft = sizeof chunk;
        iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(chunk, (sizeof chunk - dstLeft) / sizeof(char16_t));
        return Outcome::kOk;
      }
      continue;
    }
    if (error == E2BIG) continue;
    uint8_t b = uint8_t(*src);
    if (platform_codepages::MapsC1(codePage) && b >= 0x80 && b <= 0x9F) {
      out += char16_t(b);
    } else {
      if (strict) return Outcome::kInvalidChars;
      out += u'?';
    }
    ++src;
    --srcLeft;
  }
}

// Encodes `in` into a non-UTF-8 code page. Characters iconv cannot represent
// become `fallback`, and *usedDefault is set.
void Encode(iconv_t cd, std::u16string_view in, char fallback, std::string &out, bool *usedDefault) {
  char *src = reinterpret_cast<char *>(const_cast<char16_t *>(in.data()));
  size_t srcLeft = in.size() * sizeof(char16_t);
  char chunk[1024];
  for (;;) {
    char *dst = chunk;
    size_t dstLeft = sizeof chunk;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    int error = errno;
    out.append(chunk, sizeof chunk - dstLeft);
    if (r != size_t(-1)) {
      dst = chunk;
      dstLeft = sizeof chunk;
      iconv(cd, nullptr, nullptr, &dst, &dstLeft);
      out.append(chunk, sizeof chunk - dstLeft);
      return;
    }
    if (error == E2BIG) continue;
    // The character that failed: a valid surrogate pair counts as one.
    char16_t unit, next = 0;
    std::memcpy(&unit, src, sizeof unit);
    if (srcLeft >= 2 * sizeof(char16_t)) std::memcpy(&next, src + sizeof unit, sizeof next);
    size_t skip = (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) ? 2 : 1;
    // Return a stateful encoder to its initial shift state before the plain byte.
    dst = chunk;
    dstLeft = sizeof chunk;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(chunk, sizeof chunk - dstLeft);
    out += fallback;
    *usedDefault = true;
    src += skip * sizeof(char16_t);
    srcLeft -= skip * sizeof(char16_t);
    if (srcLeft == 0) return;
  }
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

std::string Describe(DWORD flags, int inLength, int outLength) {
  return "flags=" + std::to_string(flags) + " in=" + std::to_string(inLength) + " out=" + std::to_string(outLength);
}

bool IsUnicodePage(UINT codePage) { return codePage == CP_UTF8 || codePage == CP_UTF7; }

}  // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  uint32_t code = 0;
  if (seams::Enter("MultiByteToWideChar", std::to_string(CodePage), Describe(dwFlags, cbMultiByte, cchWideChar), &code))
    return Fail(code);
  // Any negative length means "up to and with the NUL".
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 ||
      (cchWideChar > 0 && !lpWideCharStr))
    return Fail(ERROR_INVALID_PARAMETER);
  UINT page = platform_codepages::Resolve(CodePage);
  iconv_t cd = iconv_t(-1);
  if (page != CP_UTF8) {
    cd = platform_codepages::Converter(page, true);
    if (cd == iconv_t(-1)) return Fail(ERROR_INVALID_PARAMETER);
  }
  if (page == CP_UTF8 || page == 54936) {
    if (dwFlags & ~DWORD(MB_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  } else if (page == CP_UTF7) {
    if (dwFlags) return Fail(ERROR_INVALID_FLAGS);
  } else if ((dwFlags & ~DWORD(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS)) ||
             ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  size_t length = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : size_t(cbMultiByte);
  std::string_view in(lpMultiByteStr, length);
  bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
  std::u16string out;
  bool ok = page == CP_UTF8 ? platform_utf::Utf8ToUtf16(in, out, strict)
                            : Decode(cd, page, in, strict, out) == Outcome::kOk;
  if (!ok) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (out.size() > size_t(INT32_MAX)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  int needed = static_cast<int>(out.size());
  if (cchWideChar == 0) return needed;
  if (needed > cchWideChar) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(lpWideCharStr, out.data(), out.size() * sizeof(char16_t));
  return needed;
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  uint32_t code = 0;
  if (seams::Enter("WideCharToMultiByte", std::to_string(CodePage), Describe(dwFlags, cchWideChar, cbMultiByte), &code))
    return Fail(code);
  if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !lpMultiByteStr))
    return Fail(ERROR_INVALID_PARAMETER);
  UINT page = platform_codepages::Resolve(CodePage);
  iconv_t cd = iconv_t(-1);
  if (page != CP_UTF8) {
    cd = platform_codepages::Converter(page, false);
    if (cd == iconv_t(-1)) return Fail(ERROR_INVALID_PARAMETER);
  }
  if (IsUnicodePage(page)) {
    // UTF-8 takes (and ignores) a default character and its flag, as Windows 10 does.
    if (page == CP_UTF7 && (lpDefaultChar || lpUsedDefaultChar)) return Fail(ERROR_INVALID_PARAMETER);
    DWORD allowed = page == CP_UTF8 ? DWORD(WC_ERR_INVALID_CHARS) : 0;
    if (dwFlags & ~allowed) return Fail(ERROR_INVALID_FLAGS);
  } else if (dwFlags & ~DWORD(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS |
                               (page == 54936 ? WC_ERR_INVALID_CHARS : 0))) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  size_t length = 0;
  if (cchWideChar < 0) {
    while (lpWideCharStr[length]) ++length;
    ++length;
  } else {
    length = size_t(cchWideChar);
  }
  std::u16string_view in(lpWideCharStr, length);
  std::string out;
  bool usedDefault = false;
  if (page == CP_UTF8) {
    if (!platform_utf::Utf16ToUtf8(in, out, (dwFlags & WC_ERR_INVALID_CHARS) != 0))
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
  } else {
    Encode(cd, in, lpDefaultChar ? lpDefaultChar[0] : '?', out, &usedDefault);
    if (usedDefault && page == 54936 && (dwFlags & WC_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  if (out.size() > size_t(INT32_MAX)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  int needed = static_cast<int>(out.size());
  if (cbMultiByte == 0) {
    if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault;
    return needed;
  }
  if (needed > cbMultiByte) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(lpMultiByteStr, out.data(), out.size());
  if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault;
  return needed;
}
