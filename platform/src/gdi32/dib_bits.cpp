// GetDIBits: a bitmap's pixels as 24- or 32-bit BI_RGB rows.
#include <windows.h>

#include <cstring>

#include "core/bitmap_table.h"
#include "core/screen_dc.h"

namespace {

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage) {
  try {
    if (hdc != gdi::ScreenDc()) return Fail(ERROR_INVALID_HANDLE);
    if (!lpbmi || lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
        (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS))
      return Fail(ERROR_INVALID_PARAMETER);
    gdi::Bitmap bitmap;
    if (!gdi::CopyBitmap(hbm, &bitmap)) return Fail(ERROR_INVALID_HANDLE);
    BITMAPINFOHEADER &header = lpbmi->bmiHeader;
    if (!lpvBits) {
      const WORD bits = header.biBitCount ? header.biBitCount : 32;
      if (bits != 24 && bits != 32) return Fail(ERROR_INVALID_PARAMETER);
      header.biWidth = bitmap.width;
      header.biHeight = bitmap.height;
      header.biPlanes = 1;
      header.biBitCount = bits;
      header.biCompression = BI_RGB;
      header.biSizeImage = static_cast<DWORD>(((bitmap.width * bits + 31) / 32) * 4 * bitmap.height);
      header.biClrUsed = 0;
      header.biClrImportant = 0;
      return 1;
    }
    if ((header.biBitCount != 24 && header.biBitCount != 32) || header.biCompression != BI_RGB ||
        header.biWidth != bitmap.width || header.biPlanes != 1)
      return Fail(ERROR_INVALID_PARAMETER);
    const bool topDown = header.biHeight < 0;
    const LONG rows = bitmap.height;
    // A start past the last row copies nothing and still succeeds.
    if (start >= static_cast<UINT>(rows)) return 1;
    const UINT copied = cLines < static_cast<UINT>(rows) - start ? cLines : static_cast<UINT>(rows) - start;
    const size_t pixelBytes = header.biBitCount / 8;
    const size_t stride = ((static_cast<size_t>(bitmap.width) * header.biBitCount + 31) / 32) * 4;
    BYTE *out = static_cast<BYTE *>(lpvBits);
    for (UINT line = 0; line < copied; ++line) {
      // Scan lines count from the bitmap's bottom row in either order: a
      // bottom-up DIB gets them lowest first, a top-down one highest first.
      // The kept pixels are top row first.
      const size_t scan = topDown ? start + copied - 1 - line : start + line;
      const size_t sourceRow = static_cast<size_t>(rows) - 1 - scan;
      BYTE *row = out + line * stride;
      std::memset(row, 0, stride);
      for (LONG x = 0; x < bitmap.width; ++x) {
        const uint32_t rgb = bitmap.pixels[sourceRow * static_cast<size_t>(bitmap.width) + static_cast<size_t>(x)];
        BYTE *pixel = row + static_cast<size_t>(x) * pixelBytes;
        pixel[0] = static_cast<BYTE>(rgb);
        pixel[1] = static_cast<BYTE>(rgb >> 8);
        pixel[2] = static_cast<BYTE>(rgb >> 16);
      }
    }
    return static_cast<int>(copied);
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
