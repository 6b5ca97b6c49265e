// LoadImageW of run-length compressed bitmap files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_files.h"
#include "support/temp_directory.h"

using namespace bitmap_files;

namespace {

constexpr int kSkipped = -1;  // a pixel no run writes: black

class RleBitmap : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  std::string Write(const std::vector<uint8_t> &bytes) {
    const std::string path = dir_.path() + "/image.bmp";
    Save(path, bytes);
    return path;
  }
  testing_files::TempDirectory dir_;
};

TEST_F(RleBitmap, DecodesRunsEscapesDeltasAndClipsAtTheEdges) {
  struct Case {
    const char *name;
    unsigned bpp;
    int width, height;
    std::vector<uint8_t> pixels;
    std::vector<int> expected;  // colour indexes, top row first
  };
  const Case cases[] = {
      {"8 bits: runs, odd absolute run, delta, end of line and of bitmap", 8, 6, 3,
       {3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  // bottom row; the absolute run is padded
        0, 2, 2, 0, 2, 7, 0, 0,        // middle row: skipped pixels stay black
        6, 9, 0, 1,                    //
        4, 4},                         // after the end of the bitmap: ignored
       {9, 9, 9, 9, 9, 9, /**/ -1, -1, 7, 7, -1, -1, /**/ 5, 5, 5, 1, 2, 3}},
      {"8 bits: even absolute run, delta across rows", 8, 4, 3,
       {0, 4, 10, 11, 12, 13, 0, 0, 0, 2, 1, 1, 2, 200, 0, 1},
       {-1, 200, 200, -1, /**/ -1, -1, -1, -1, /**/ 10, 11, 12, 13}},
      {"4 bits: alternating nibbles, odd absolute run in padded bytes", 4, 7, 2,
       {4, 0x12, 0, 3, 0x34, 0x50, 0, 0,  // bottom row
        0, 5, 0x67, 0x89, 0xA0, 0, 0, 1},
       {6, 7, 8, 9, 10, -1, -1, /**/ 1, 2, 1, 2, 3, 4, 5}},
      {"4 bits: odd encoded run, delta within the row", 4, 5, 1, {3, 0xF1, 0, 2, 1, 0, 1, 0x20, 0, 1},
       {15, 1, 15, -1, 2}},
      // Encoders that run over a row's padding write past the line's end: dropped.
      {"8 bits: encoded runs crossing the line's end", 8, 4, 2, {3, 1, 3, 2, 2, 3, 0, 0, 2, 4, 0, 1},
       {4, 4, -1, -1, /**/ 1, 1, 1, 2}},
      {"4 bits: a run over the padded stride", 4, 3, 1, {8, 0x5A, 0, 1}, {5, 10, 5}},
      {"8 bits: a delta past the last line drops what follows", 8, 4, 2, {1, 1, 0, 2, 0, 2, 2, 9, 0, 1},
       {-1, -1, -1, -1, /**/ 1, -1, -1, -1}},
      {"8 bits: data ending before the end of bitmap drops the open line", 8, 4, 2, {2, 5, 0, 0, 2, 6},
       {-1, -1, -1, -1, /**/ 5, 5, -1, -1}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(RleFile(c.bpp, c.width, c.height, c.pixels));
    for (bool transparent : {false, true}) {
      HBITMAP bitmap = Load(path, LR_LOADFROMFILE | (transparent ? LR_LOADTRANSPARENT : 0));
      ASSERT_NE(bitmap, nullptr) << GetLastError();
      BITMAP bm;
      ASSERT_EQ(GetObjectW(bitmap, sizeof bm, &bm), int(sizeof bm));
      EXPECT_EQ(bm.bmWidth, c.width);
      EXPECT_EQ(bm.bmHeight, c.height);
      std::vector<uint32_t> pixels;
      ASSERT_TRUE(Pixels(bitmap, &pixels));
      ASSERT_EQ(pixels.size(), c.expected.size());
      // The index LR_LOADTRANSPARENT whitens is the first stored byte's, read as
      // an uncompressed pixel.
      const int first = c.pixels[0] >> (8 - c.bpp);
      for (size_t i = 0; i < pixels.size(); ++i) {
        const int index = c.expected[i];
        const uint32_t colour = index == kSkipped ? 0 : RlePaletteColour(unsigned(index));
        EXPECT_EQ(pixels[i], transparent && index == first ? 0xFFFFFFu : colour) << "pixel " << i;
      }
      EXPECT_TRUE(DeleteObject(bitmap));
    }
  }
}

}  // namespace
