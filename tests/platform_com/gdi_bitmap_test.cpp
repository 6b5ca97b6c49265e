// LoadImageW of bitmap files, GetObjectW, GetObjectType and DeleteObject.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform_seams.h"
#include "support/text.h"

using testing_text::U16;

namespace {

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

void Put16(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

uint32_t PaletteColour(unsigned i) { return ((i * 37) & 0xFF) << 16 | ((i * 91) & 0xFF) << 8 | ((i * 53 + 7) & 0xFF); }

// The pixel value stored at (x, y) of row-major image space (y = 0 is the top row).
uint32_t StoredValue(const Shape &s, int x, int y) {
  unsigned v = static_cast<unsigned>(x * 7 + y * 13 + 1);
  switch (s.bpp) {
    case 1: return v & 1;
    case 4: return v & 0xF;
    case 8: return v & 0xFF;
    case 16: return (v * 2654435761u) & 0xFFFF;
    default: return (v * 2654435761u) & 0xFFFFFF;
  }
}

// The colour LoadImageW should decode (x, y) to.
uint32_t ExpectedColour(const Shape &s, int x, int y) {
  uint32_t v = StoredValue(s, x, y);
  if (s.bpp <= 8) return PaletteColour(v);
  if (s.bpp == 24 || (s.bpp == 32 && s.compression == BI_RGB)) return v;
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (s.compression == BI_BITFIELDS) std::memcpy(masks, s.masks, sizeof masks);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    int shift = __builtin_ctz(masks[c]), bits = __builtin_popcount(masks[c]);
    uint32_t part = (v & masks[c]) >> shift;
    uint32_t byte = bits >= 8 ? part >> (bits - 8) : (part * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
    out |= byte << (16 - 8 * c);
  }
  return out;
}

std::vector<uint8_t> Generate(const Shape &s) {
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

class Bitmap : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    char pattern[] = "/tmp/gdi_bitmap_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    live_ = seams::LiveGdiObjects();
  }
  void TearDown() override {
    EXPECT_EQ(seams::LiveGdiObjects(), live_) << "every bitmap was deleted";
    std::string command = "rm -rf '" + dir_ + "'";
    (void)std::system(command.c_str());
  }
  std::string Write(const std::vector<uint8_t> &bytes, const std::string &name = "image.bmp") {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    return path;
  }
  HBITMAP Load(const std::string &path, UINT flags = LR_LOADFROMFILE | LR_LOADTRANSPARENT, int cx = 0, int cy = 0) {
    return static_cast<HBITMAP>(LoadImageW(nullptr, U16(path).c_str(), IMAGE_BITMAP, cx, cy, flags));
  }
  std::string dir_;
  unsigned live_ = 0;
};

TEST_F(Bitmap, DecodesEveryDepthHeaderAndRowOrder) {
  std::vector<Shape> shapes;
  for (unsigned header : {12u, 40u, 108u, 124u}) {
    for (unsigned bpp : {1u, 4u, 8u, 16u, 24u, 32u}) {
      if (header == 12 && (bpp == 16 || bpp == 32)) continue;
      for (int height : {3, -3}) {
        if (header == 12 && height < 0) continue;
        Shape s;
        s.header = header;
        s.bpp = bpp;
        s.height = height;
        shapes.push_back(s);
      }
    }
  }
  Shape fields565;
  fields565.bpp = 16;
  fields565.compression = BI_BITFIELDS;
  fields565.masks[0] = 0xF800;
  fields565.masks[1] = 0x07E0;
  fields565.masks[2] = 0x001F;
  shapes.push_back(fields565);
  fields565.header = 124;
  shapes.push_back(fields565);
  Shape fields32;
  fields32.bpp = 32;
  fields32.header = 108;
  fields32.compression = BI_BITFIELDS;
  fields32.masks[0] = 0x0000FF00;
  fields32.masks[1] = 0x00FF0000;
  fields32.masks[2] = 0xFF000000;
  shapes.push_back(fields32);
  Shape smallPalette;
  smallPalette.bpp = 8;
  smallPalette.colours = 200;
  shapes.push_back(smallPalette);
  Shape wide;
  wide.bpp = 1;
  wide.width = 33;
  wide.height = -2;
  shapes.push_back(wide);

  for (const Shape &s : shapes) {
    SCOPED_TRACE("header " + std::to_string(s.header) + ", " + std::to_string(s.bpp) + " bpp, height " +
                 std::to_string(s.height) + ", compression " + std::to_string(s.compression));
    HBITMAP bitmap = Load(Write(Generate(s)), LR_LOADFROMFILE);
    ASSERT_NE(bitmap, nullptr) << GetLastError();
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    BITMAP bm;
    ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmType, 0);
    EXPECT_EQ(bm.bmWidth, s.width);
    EXPECT_EQ(bm.bmHeight, std::abs(s.height));
    EXPECT_EQ(bm.bmWidthBytes, ((s.width * static_cast<int>(s.bpp) + 15) / 16) * 2);
    EXPECT_EQ(bm.bmPlanes, 1);
    EXPECT_EQ(bm.bmBitsPixel, s.bpp);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(seams::BitmapPixels(bitmap, &pixels));
    const int height = std::abs(s.height);
    ASSERT_EQ(pixels.size(), size_t(s.width * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < s.width; ++x)
        ASSERT_EQ(pixels[size_t(y * s.width + x)], ExpectedColour(s, x, y)) << "pixel " << x << "," << y;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
}

TEST_F(Bitmap, LoadTransparentTurnsTheFirstPixelsColourToTheWindowColour) {
  Shape s;
  s.bpp = 8;
  const std::vector<uint8_t> file = Generate(s);
  HBITMAP bitmap = Load(Write(file));
  ASSERT_NE(bitmap, nullptr);
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(seams::BitmapPixels(bitmap, &pixels));
  // The first stored pixel is the bottom-left one.
  const uint32_t first = StoredValue(s, 0, 2);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < s.width; ++x)
      EXPECT_EQ(pixels[size_t(y * s.width + x)],
                StoredValue(s, x, y) == first ? 0xFFFFFFu : ExpectedColour(s, x, y));
  DeleteObject(bitmap);
}

TEST_F(Bitmap, RequestedSizeDoesNotScale) {
  HBITMAP bitmap = Load(Write(Generate(Shape{})), LR_LOADFROMFILE, 16, 16);
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm;
  ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 3);
  DeleteObject(bitmap);
}

TEST_F(Bitmap, MalformedFilesGiveNullAndTheReason) {
  using Edit = std::function<void(std::vector<uint8_t> &)>;
  struct Case {
    const char *name;
    Shape shape;
    Edit edit;
    DWORD error;
  };
  Shape eightBit;
  eightBit.bpp = 8;
  Shape fields;
  fields.bpp = 16;
  fields.compression = BI_BITFIELDS;
  fields.masks[0] = 0xF800;
  fields.masks[1] = 0x07E0;
  fields.masks[2] = 0x001F;
  auto set32 = [](size_t at, uint32_t v) { return Edit([=](std::vector<uint8_t> &b) { Put32(b, at, v); }); };
  auto set16 = [](size_t at, uint32_t v) { return Edit([=](std::vector<uint8_t> &b) { Put16(b, at, v); }); };
  auto cut = [](size_t keep) { return Edit([=](std::vector<uint8_t> &b) { b.resize(std::min(keep, b.size())); }); };
  auto cutBy = [](size_t n) { return Edit([=](std::vector<uint8_t> &b) { b.resize(b.size() - n); }); };
  const Case cases[] = {
      {"empty file", Shape{}, cut(0), ERROR_BAD_FORMAT},
      {"only the file header", Shape{}, cut(14), ERROR_BAD_FORMAT},
      {"truncated info header", Shape{}, cut(30), ERROR_INVALID_DATA},
      {"truncated palette", eightBit, cut(14 + 40 + 100), ERROR_INVALID_DATA},
      {"pixels one byte short", Shape{}, cutBy(1), ERROR_INVALID_DATA},
      {"bad magic", Shape{}, set16(0, 0x4142), ERROR_BAD_FORMAT},
      {"unknown header size", Shape{}, set32(14, 41), ERROR_BAD_FORMAT},
      {"zero width", Shape{}, set32(18, 0), ERROR_INVALID_DATA},
      {"negative width", Shape{}, set32(18, 0xFFFFFFFB), ERROR_INVALID_DATA},
      {"zero height", Shape{}, set32(22, 0), ERROR_INVALID_DATA},
      {"most negative height", Shape{}, set32(22, 0x80000000), ERROR_INVALID_DATA},
      {"absurd width", Shape{}, set32(18, 0x7FFFFFFF), ERROR_INVALID_DATA},
      {"absurd area", Shape{}, [](std::vector<uint8_t> &b) { Put32(b, 18, 60000); Put32(b, 22, 60000); },
       ERROR_INVALID_DATA},
      {"two planes", Shape{}, set16(26, 2), ERROR_INVALID_DATA},
      {"seven bits per pixel", Shape{}, set16(28, 7), ERROR_INVALID_DATA},
      {"palette larger than the depth allows", eightBit, set32(46, 257), ERROR_INVALID_DATA},
      {"offset beyond the file", Shape{}, set32(10, 0x7FFFFFFF), ERROR_INVALID_DATA},
      {"offset inside the headers", Shape{}, set32(10, 20), ERROR_INVALID_DATA},
      {"run-length compression on 24 bits", Shape{}, set32(30, BI_RLE8), ERROR_INVALID_DATA},
      {"JPEG compression", eightBit, set32(30, BI_JPEG), ERROR_BAD_FORMAT},
      {"bit fields on 24 bits", Shape{}, set32(30, BI_BITFIELDS), ERROR_INVALID_DATA},
      {"zero mask", fields, set32(58, 0), ERROR_INVALID_DATA},
      {"overlapping masks", fields, set32(58, 0x0FE0), ERROR_INVALID_DATA},
      {"split mask", fields, set32(58, 0x0520), ERROR_INVALID_DATA},
      {"mask beyond 16 bits", fields, set32(54, 0x1F800), ERROR_INVALID_DATA},
      {"core header with zero width", [] { Shape s; s.header = 12; return s; }(), set16(18, 0), ERROR_INVALID_DATA},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> file = Generate(c.shape);
    c.edit(file);
    SetLastError(0);
    EXPECT_EQ(Load(Write(file)), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // A colour count the file has no room for.
  std::vector<uint8_t> file = Generate(eightBit);
  Put32(file, 46, 256);
  file.resize(14 + 40 + 256 * 4 - 4);
  SetLastError(0);
  EXPECT_EQ(Load(Write(file)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(Bitmap, MissingFilesAndUnsupportedRequestsFail) {
  struct Case {
    const char *name;
    std::string path;
    UINT type;
    UINT flags;
    DWORD error;
  };
  const std::string good = Write(Generate(Shape{}));
  const Case cases[] = {
      {"missing file", dir_ + "/missing.bmp", IMAGE_BITMAP, LR_LOADFROMFILE, ERROR_FILE_NOT_FOUND},
      {"missing directory", dir_ + "/no/missing.bmp", IMAGE_BITMAP, LR_LOADFROMFILE, ERROR_PATH_NOT_FOUND},
      {"a directory", dir_, IMAGE_BITMAP, LR_LOADFROMFILE, ERROR_ACCESS_DENIED},
      {"an icon", good, IMAGE_ICON, LR_LOADFROMFILE, ERROR_NOT_SUPPORTED},
      {"from resources", good, IMAGE_BITMAP, 0, ERROR_NOT_SUPPORTED},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(LoadImageW(nullptr, U16(c.path).c_str(), c.type, 0, 0, c.flags), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(Bitmap, SeamFaultGivesNull) {
  const std::string path = Write(Generate(Shape{}));
  seams::SetRecording(true);
  seams::FailOperation("LoadImageW", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Load(path), nullptr);
  ASSERT_EQ(seams::Calls("LoadImageW").size(), 1u);
  EXPECT_EQ(seams::Calls("LoadImageW")[0].subject, path);
  seams::Reset();
}

TEST_F(Bitmap, ObjectCallsOnUnknownOrDeletedHandles) {
  HBITMAP bitmap = Load(Write(Generate(Shape{})));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(GetObjectW(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP))) << "no buffer: the size";
  BITMAP bm;
  EXPECT_EQ(GetObjectW(bitmap, sizeof bm - 1, &bm), 0);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_EQ(GetObjectW(bitmap, sizeof bm, &bm), 0);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(Bitmap, DibBitsInBothRowOrdersAndRefusals) {
  const Shape shape{40, 24, 5, 3};
  HBITMAP bitmap = Load(Write(Generate(shape)), LR_LOADFROMFILE);
  ASSERT_NE(bitmap, nullptr);
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(screen, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(info.bmiHeader.biWidth, 5);
  EXPECT_EQ(info.bmiHeader.biHeight, 3);
  EXPECT_EQ(info.bmiHeader.biBitCount, 32);
  EXPECT_EQ(info.bmiHeader.biSizeImage, 5u * 4 * 3);
  const struct {
    LONG height;
    WORD bits;
    UINT start;
    UINT lines;
    int copied;
  } cases[] = {{-3, 32, 0, 3, 3}, {3, 32, 0, 3, 3}, {3, 24, 1, 9, 2}, {-3, 24, 2, 1, 1}, {3, 32, 3, 1, 0}};
  for (const auto &c : cases) {
    info.bmiHeader.biHeight = c.height;
    info.bmiHeader.biBitCount = c.bits;
    const size_t stride = ((5 * c.bits + 31) / 32) * 4;
    std::vector<uint8_t> rows(stride * 3, 0xEE);
    ASSERT_EQ(GetDIBits(screen, bitmap, c.start, c.lines, rows.data(), &info, DIB_RGB_COLORS), c.copied);
    for (int line = 0; line < c.copied; ++line) {
      const int dibRow = static_cast<int>(c.start) + line;
      const int y = c.height < 0 ? dibRow : 2 - dibRow;
      for (int x = 0; x < 5; ++x) {
        const uint8_t *p = rows.data() + line * stride + x * (c.bits / 8);
        EXPECT_EQ(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], ExpectedColour(shape, x, y))
            << "height " << c.height << " bits " << c.bits << " at " << x << "," << y;
      }
    }
  }
  std::vector<uint8_t> rows(64 * 3);
  info.bmiHeader.biBitCount = 16;
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biWidth = 4;
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  info.bmiHeader.biWidth = 5;
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(1)), nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
}

}  // namespace
