// LoadImageW of bitmap files, GetObjectW, GetObjectType, GetDIBits and DeleteObject.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bitmap_files.h"
#include "support/temp_directory.h"

using namespace bitmap_files;

namespace {

class Bitmap : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  std::string Write(const std::vector<uint8_t> &bytes, const std::string &name = "image.bmp") {
    const std::string path = dir_.path() + "/" + name;
    Save(path, bytes);
    return path;
  }
  testing_files::TempDirectory dir_;
};

// Every depth under every header, bottom-up or (`topDown`) top-down.
std::vector<Shape> Shapes(bool topDown) {
  std::vector<Shape> shapes;
  for (unsigned header : {12u, 40u, 108u, 124u}) {
    for (unsigned bpp : {1u, 4u, 8u, 16u, 24u, 32u}) {
      if (header == 12 && (bpp == 16 || bpp == 32)) continue;
      if (header == 12 && topDown) continue;
      Shape s;
      s.header = header;
      s.bpp = bpp;
      s.height = topDown ? -3 : 3;
      shapes.push_back(s);
    }
  }
  if (topDown) {
    Shape wide;
    wide.bpp = 1;
    wide.width = 33;
    wide.height = -2;
    shapes.push_back(wide);
    return shapes;
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
  return shapes;
}

void ExpectDecoded(const std::vector<Shape> &shapes, const std::function<std::string(const Shape &)> &write) {
  for (const Shape &s : shapes) {
    SCOPED_TRACE("header " + std::to_string(s.header) + ", " + std::to_string(s.bpp) + " bpp, height " +
                 std::to_string(s.height) + ", compression " + std::to_string(s.compression));
    HBITMAP bitmap = Load(write(s));
    ASSERT_NE(bitmap, nullptr) << GetLastError();
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    BITMAP bm;
    ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmType, 0);
    EXPECT_EQ(bm.bmWidth, s.width);
    EXPECT_EQ(bm.bmHeight, std::abs(s.height));
    EXPECT_EQ(bm.bmPlanes, 1);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(Pixels(bitmap, &pixels));
    for (int y = 0; y < std::abs(s.height); ++y)
      for (int x = 0; x < s.width; ++x)
        ASSERT_EQ(pixels[size_t(y * s.width + x)], ExpectedColour(s, x, y)) << "pixel " << x << "," << y;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
}

TEST_F(Bitmap, DecodesEveryDepthAndHeader) {
  ExpectDecoded(Shapes(false), [&](const Shape &s) { return Write(Generate(s)); });
}

// Wine 8 loads top-down files as black images.
TEST_F(Bitmap, DecodesTopDownRows) {
  ExpectDecoded(Shapes(true), [&](const Shape &s) { return Write(Generate(s)); });
}

TEST_F(Bitmap, LoadTransparentTurnsTheFirstPixelsColourToTheWindowColour) {
  Shape s;
  s.bpp = 8;
  HBITMAP bitmap = Load(Write(Generate(s)), LR_LOADFROMFILE | LR_LOADTRANSPARENT);
  ASSERT_NE(bitmap, nullptr);
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(Pixels(bitmap, &pixels));
  // The first stored pixel is the bottom-left one.
  const uint32_t first = StoredValue(s, 0, 2);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < s.width; ++x)
      EXPECT_EQ(pixels[size_t(y * s.width + x)],
                StoredValue(s, x, y) == first ? 0xFFFFFFu : ExpectedColour(s, x, y));
  DeleteObject(bitmap);
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

TEST_F(Bitmap, FilesWithoutABitmapHeaderAreRefused) {
  std::vector<uint8_t> empty, onlyFileHeader = Generate(Shape{}), badMagic = Generate(Shape{}),
                              oddHeader = Generate(Shape{}), tooWide = Generate(Shape{}), tooHigh = Generate(Shape{});
  onlyFileHeader.resize(14);
  badMagic[0] = 'A';
  Put32(oddHeader, 14, 41);
  Put32(tooWide, 18, 65536);
  Put32(tooHigh, 22, 65536);
  for (const auto &file : {empty, onlyFileHeader, badMagic, oddHeader, tooWide, tooHigh})
    EXPECT_EQ(Load(Write(file)), nullptr);
}

TEST_F(Bitmap, MissingFilesFailWithTheReason) {
  const struct {
    const char *name;
    std::string path;
    DWORD error;
  } cases[] = {
      {"missing file", dir_.path() + "/missing.bmp", ERROR_FILE_NOT_FOUND},
      {"missing directory", dir_.path() + "/no/missing.bmp", ERROR_PATH_NOT_FOUND},
      {"a directory", dir_.path(), ERROR_ACCESS_DENIED},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(Load(c.path), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

// The loader holds a name in MAX_PATH units, its NUL included.
TEST_F(Bitmap, NamesOfMaxPathUnitsNameNoFile) {
  const std::vector<uint8_t> file = Generate(Shape{});
  const std::string fits = Write(file, std::string(258 - dir_.path().size(), 'a'));
  const std::string tooLong = Write(file, std::string(259 - dir_.path().size(), 'b'));
  ASSERT_EQ(fits.size(), 259u);
  HBITMAP bitmap = Load(fits);
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
  SetLastError(0);
  EXPECT_EQ(Load(tooLong), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Bitmap, DibBitsInBothRowOrders) {
  const Shape shape{40, 24, 5, 3};
  HBITMAP bitmap = Load(Write(Generate(shape)));
  ASSERT_NE(bitmap, nullptr);
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  // Room for the three masks a query may add after the header.
  struct {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[3];
  } header = {};
  BITMAPINFO *info = reinterpret_cast<BITMAPINFO *>(&header);
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(screen, bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(info->bmiHeader.biWidth, 5);
  EXPECT_EQ(info->bmiHeader.biHeight, 3);
  const struct {
    LONG height;
    WORD bits;
    UINT start;
    UINT lines;
    int copied;
    int returned;  // a start past the last row copies nothing and gives 1
  } cases[] = {{-3, 32, 0, 3, 3, 3}, {3, 32, 0, 3, 3, 3}, {3, 24, 1, 9, 2, 2}, {-3, 24, 2, 1, 1, 1}, {3, 32, 3, 1, 0, 1}};
  for (const auto &c : cases) {
    info->bmiHeader.biHeight = c.height;
    info->bmiHeader.biBitCount = c.bits;
    info->bmiHeader.biCompression = BI_RGB;
    const size_t stride = ((5 * c.bits + 31) / 32) * 4;
    std::vector<uint8_t> rows(stride * 3, 0xEE);
    ASSERT_EQ(GetDIBits(screen, bitmap, c.start, c.lines, rows.data(), info, DIB_RGB_COLORS), c.returned);
    for (int line = 0; line < c.copied; ++line) {
      // Scan lines count from the bottom row; a top-down buffer holds them highest first.
      const int scan = static_cast<int>(c.start) + (c.height < 0 ? c.copied - 1 - line : line);
      const int y = 2 - scan;
      for (int x = 0; x < 5; ++x) {
        const uint8_t *p = rows.data() + line * stride + x * (c.bits / 8);
        EXPECT_EQ(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], ExpectedColour(shape, x, y))
            << "height " << c.height << " bits " << c.bits << " at " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_TRUE(DeleteObject(bitmap));
}

}  // namespace
