// Bitmap files made by the tests, and the colours a loaded bitmap holds,
// written against the SDK alone.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/text.h"

namespace bitmap_files {

// Describes a bitmap file to generate.
struct Shape {
  unsigned header = 40;  // 12, 40, 108 or 124
  unsigned bpp = 24;
  int width = 5;
  int height = 3;  // negative: top-down
  uint32_t compression = BI_RGB;
  uint32_t masks[3] = {0, 0, 0};
  uint32_t colours = 0;  // palette entries written; 0 = full for <= 8 bpp
};

inline void Put16(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

inline uint32_t PaletteColour(unsigned i) {
  return ((i * 37) & 0xFF) << 16 | ((i * 91) & 0xFF) << 8 | ((i * 53 + 7) & 0xFF);
}

// The pixel value stored at (x, y) of row-major image space (y = 0 is the top row).
inline uint32_t StoredValue(const Shape &s, int x, int y) {
  unsigned v = static_cast<unsigned>(x * 7 + y * 13 + 1);
  switch (s.bpp) {
    case 1: return v & 1;
    case 4: return v & 0xF;
    case 8: return v & 0xFF;
    case 16: return (v * 2654435761u) & 0xFFFF;
    default: return (v * 2654435761u) & 0xFFFFFF;
  }
}

// The colour (0xRRGGBB) LoadImageW should decode (x, y) to. A channel
// narrower than 8 bits is repeated down the byte (abcde -> abcdeabc).
inline uint32_t ExpectedColour(const Shape &s, int x, int y) {
  uint32_t v = StoredValue(s, x, y);
  if (s.bpp <= 8) return PaletteColour(v);
  if (s.bpp == 24 || (s.bpp == 32 && s.compression == BI_RGB)) return v;
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (s.compression == BI_BITFIELDS) std::memcpy(masks, s.masks, sizeof masks);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    int shift = __builtin_ctz(masks[c]), bits = __builtin_popcount(masks[c]);
    uint32_t part = (v & masks[c]) >> shift;
    uint32_t byte = bits >= 8 ? part >> (bits - 8) : 0;
    for (int at = 8 - bits; bits < 8 && at > -bits; at -= bits) byte |= at >= 0 ? part << at : part >> -at;
    out |= (byte & 0xFF) << (16 - 8 * c);
  }
  return out;
}

inline std::vector<uint8_t> Generate(const Shape &s) {
  const unsigned paletteCount = s.bpp <= 8 ? (s.colours ? s.colours : 1u << s.bpp) : s.colours;
  const unsigned entry = s.header == 12 ? 3 : 4;
  const bool separateMasks = s.header == 40 && s.compression == BI_BITFIELDS;
  const size_t paletteAt = 14 + s.header + (separateMasks ? 12 : 0);
  const size_t bitsAt = paletteAt + paletteCount * entry;
  const int height = std::abs(s.height);
  const size_t stride = ((size_t(s.width) * s.bpp + 31) / 32) * 4;
  std::vector<uint8_t> b(bitsAt + stride * height);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, static_cast<uint32_t>(bitsAt));
  Put32(b, 14, s.header);
  if (s.header == 12) {
    Put16(b, 18, s.width);
    Put16(b, 20, height);
    Put16(b, 22, 1);
    Put16(b, 24, s.bpp);
  } else {
    Put32(b, 18, static_cast<uint32_t>(s.width));
    Put32(b, 22, static_cast<uint32_t>(s.height));
    Put16(b, 26, 1);
    Put16(b, 28, s.bpp);
    Put32(b, 30, s.compression);
    Put32(b, 46, s.colours);
    if (s.compression == BI_BITFIELDS)
      for (int i = 0; i < 3; ++i) Put32(b, 54 + 4 * i, s.masks[i]);
  }
  for (unsigned i = 0; i < paletteCount; ++i) {
    uint32_t c = PaletteColour(i);
    b[paletteAt + i * entry] = uint8_t(c);
    b[paletteAt + i * entry + 1] = uint8_t(c >> 8);
    b[paletteAt + i * entry + 2] = uint8_t(c >> 16);
  }
  for (int y = 0; y < height; ++y) {
    // Bottom-up files store the bottom row first.
    const int fileRow = s.height < 0 ? y : height - 1 - y;
    uint8_t *row = b.data() + bitsAt + stride * fileRow;
    for (int x = 0; x < s.width; ++x) {
      uint32_t v = StoredValue(s, x, y);
      switch (s.bpp) {
        case 1: row[x / 8] |= uint8_t(v << (7 - x % 8)); break;
        case 4: row[x / 2] |= uint8_t(x % 2 ? v : v << 4); break;
        case 8: row[x] = uint8_t(v); break;
        case 16: row[2 * x] = uint8_t(v); row[2 * x + 1] = uint8_t(v >> 8); break;
        case 24: for (int k = 0; k < 3; ++k) row[3 * x + k] = uint8_t(v >> (8 * k)); break;
        case 32: for (int k = 0; k < 4; ++k) row[4 * x + k] = uint8_t(v >> (8 * k)); break;
      }
    }
  }
  return b;
}

inline uint32_t RlePaletteColour(unsigned i) { return (i * 0x010203u + 0x102030u) & 0xFFFFFF; }

// A bottom-up BITMAPINFOHEADER file of `bpp` bits holding `pixels` as compressed.
inline std::vector<uint8_t> RleFile(unsigned bpp, int width, int height, const std::vector<uint8_t> &pixels) {
  const unsigned colours = 1u << bpp;
  std::vector<uint8_t> b(14 + 40 + colours * 4);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, uint32_t(b.size() + pixels.size()), 4);
  put(10, uint32_t(b.size()), 4);
  put(14, 40, 4);
  put(18, uint32_t(width), 4);
  put(22, uint32_t(height), 4);
  put(26, 1, 2);
  put(28, bpp, 2);
  put(30, bpp == 8 ? BI_RLE8 : BI_RLE4, 4);
  put(34, uint32_t(pixels.size()), 4);
  for (unsigned i = 0; i < colours; ++i) put(54 + 4 * i, RlePaletteColour(i), 4);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

inline void Save(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

inline HBITMAP Load(const std::string &path, UINT flags = LR_LOADFROMFILE, int cx = 0, int cy = 0) {
  return static_cast<HBITMAP>(LoadImageW(nullptr, testing_text::U16(path).c_str(), IMAGE_BITMAP, cx, cy, flags));
}

// The colours (0xRRGGBB) of `bitmap`, top row first, through GetDIBits; false
// when it gives fewer rows than the bitmap has.
inline bool Pixels(HBITMAP bitmap, std::vector<uint32_t> *pixels) {
  BITMAP bm = {};
  if (GetObjectW(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels->assign(size_t(bm.bmWidth) * size_t(bm.bmHeight), 0);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight), pixels->data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t &p : *pixels) p &= 0xFFFFFF;
  return rows == bm.bmHeight;
}

}  // namespace bitmap_files
