// Where the substitute's bitmap loader stops short of Windows, and the
// reasons it gives for what it refuses: Windows scales a bitmap to a requested
// size, leaves the last error alone for a file it refuses and loads some
// malformed files as black images; a bitmap here keeps the file's depth;
// GetDIBits here gives only 24- and 32-bit rows of the bitmap's own width.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bitmap_files.h"
#include "platform_seams.h"
#include "support/temp_directory.h"

using namespace bitmap_files;

namespace {

class BitmapLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(dir_.path().empty());
  }
  std::string Write(const std::vector<uint8_t> &bytes) {
    const std::string path = dir_.path() + "/image.bmp";
    Save(path, bytes);
    return path;
  }
  testing_files::TempDirectory dir_;
};

TEST_F(BitmapLimits, MalformedFilesGiveNullAndTheReason) {
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

TEST_F(BitmapLimits, RunLengthSchemesOnAnotherDepthOrTopDownAreRefused) {
  std::vector<uint8_t> wrongDepth = RleFile(8, 4, 2, {0, 1});
  wrongDepth[30] = BI_RLE4;
  std::vector<uint8_t> topDown = RleFile(4, 4, 2, {0, 1});
  std::memset(topDown.data() + 22, 0xFF, 4);
  for (const auto &file : {wrongDepth, topDown}) {
    SetLastError(0);
    EXPECT_EQ(Load(Write(file)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  }
}

TEST_F(BitmapLimits, RequestedSizeDoesNotScale) {
  HBITMAP bitmap = Load(Write(Generate(Shape{})), LR_LOADFROMFILE, 16, 16);
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm;
  ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 3);
  DeleteObject(bitmap);
}

// A bitmap here keeps the file's depth, where Windows makes one of the screen's.
TEST_F(BitmapLimits, ObjectsReportTheFilesDepth) {
  for (unsigned bpp : {1u, 4u, 8u, 16u, 24u, 32u}) {
    Shape s;
    s.bpp = bpp;
    HBITMAP bitmap = Load(Write(Generate(s)));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, bpp);
    EXPECT_EQ(bm.bmWidthBytes, ((s.width * static_cast<int>(bpp) + 15) / 16) * 2);
    DeleteObject(bitmap);
  }
}

TEST_F(BitmapLimits, IconsAndResourcesAreNotSupported) {
  const std::string good = Write(Generate(Shape{}));
  for (UINT flags : {UINT(LR_LOADFROMFILE), 0u}) {
    SetLastError(0);
    const UINT type = flags ? IMAGE_ICON : IMAGE_BITMAP;
    EXPECT_EQ(LoadImageW(nullptr, testing_text::U16(good).c_str(), type, 0, 0, flags), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  }
}

TEST_F(BitmapLimits, DibBitsRefusesOtherDepthsWidthsAndContexts) {
  HBITMAP bitmap = Load(Write(Generate(Shape{})));
  ASSERT_NE(bitmap, nullptr);
  HDC screen = GetDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 3, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint8_t> rows(64 * 3);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biWidth = 4;
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  info.bmiHeader.biWidth = 5;
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(1)), nullptr);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 3, rows.data(), &info, DIB_RGB_COLORS), 0);
}

}  // namespace
