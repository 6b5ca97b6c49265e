#include "bitmap_pixels.h"

namespace tools {

namespace {

// Larger images are not menu bitmaps; their pixels are not read.
constexpr LONG kMaxSide = 4096;

}  // namespace

bool ReadBitmap(HBITMAP bitmap, BitmapImage *out) {
  *out = BitmapImage();
  BITMAP info = {};
  if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info) return false;
  out->width = info.bmWidth;
  out->height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  if (out->width <= 0 || out->height <= 0 || out->width > kMaxSide || out->height > kMaxSide) return true;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = out->width;
  format.bmiHeader.biHeight = -out->height;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<RGBQUAD> rows(static_cast<size_t>(out->width) * static_cast<size_t>(out->height));
  HDC screen = GetDC(nullptr);
  if (!screen) return true;
  const int copied = GetDIBits(screen, bitmap, 0, static_cast<UINT>(out->height), rows.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (copied != out->height) return true;
  out->pixels.reserve(rows.size());
  for (const RGBQUAD &quad : rows)
    out->pixels.push_back(static_cast<uint32_t>(quad.rgbRed) << 16 | static_cast<uint32_t>(quad.rgbGreen) << 8 |
                          quad.rgbBlue);
  return true;
}

}  // namespace tools
