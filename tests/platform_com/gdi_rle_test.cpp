// LoadImageW of run-length compressed bitmap files, and of paths that are not
// regular files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform_seams.h"
#include "support/temp_directory.h"
#include "support/text.h"

using testing_text::U16;

namespace {

uint32_t PaletteColour(unsigned i) { return (i * 0x010203u + 0x102030u) & 0xFFFFFF; }

// A bottom-up BITMAPINFOHEADER file of `bpp` bits holding `pixels` as compressed.
std::vector<uint8_t> RleFile(unsigned bpp, int width, int height, const std::vector<uint8_t> &pixels) {
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
  for (unsigned i = 0; i < colours; ++i) put(54 + 4 * i, PaletteColour(i), 4);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

class RleBitmap : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(dir_.path().empty());
  }
  std::string Write(const std::vector<uint8_t> &bytes) {
    const std::string path = dir_.path() + "/image.bmp";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  static HBITMAP Load(const std::string &path, UINT flags = LR_LOADFROMFILE) {
    return static_cast<HBITMAP>(LoadImageW(nullptr, U16(path).c_str(), IMAGE_BITMAP, 0, 0, flags));
  }
  testing_files::TempDirectory dir_;
};

TEST_F(RleBitmap, DecodesRunsEscapesAndDeltasPixelExact) {
  struct Case {
    const char *name;
    unsigned bpp;
    int width, height;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> expected;  // colour indexes, top row first
  };
  const Case cases[] = {
      {"8 bits: runs, odd absolute run, delta, end of line and of bitmap", 8, 6, 3,
       {3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  // bottom row; the absolute run is padded
        0, 2, 2, 0, 2, 7, 0, 0,        // middle row: two skipped pixels stay 0
        6, 9, 0, 1,                    //
        4, 4},                         // after the end of the bitmap: ignored
       {9, 9, 9, 9, 9, 9, /**/ 0, 0, 7, 7, 0, 0, /**/ 5, 5, 5, 1, 2, 3}},
      {"8 bits: even absolute run, delta across rows, data ends without an end mark", 8, 4, 3,
       {0, 4, 10, 11, 12, 13, 0, 0, 0, 2, 1, 1, 2, 200}, {0, 200, 200, 0, /**/ 0, 0, 0, 0, /**/ 10, 11, 12, 13}},
      {"4 bits: alternating nibbles, odd absolute run in padded bytes", 4, 7, 2,
       {4, 0x12, 0, 3, 0x34, 0x50, 0, 0,  // bottom row
        0, 5, 0x67, 0x89, 0xA0, 0, 0, 1},
       {6, 7, 8, 9, 10, 0, 0, /**/ 1, 2, 1, 2, 3, 4, 5}},
      {"4 bits: odd encoded run, delta within the row", 4, 5, 1, {3, 0xF1, 0, 2, 1, 0, 1, 0x20, 0, 1},
       {15, 1, 15, 0, 2}},
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
      EXPECT_EQ(bm.bmBitsPixel, c.bpp);
      std::vector<uint32_t> pixels;
      ASSERT_TRUE(seams::BitmapPixels(bitmap, &pixels));
      ASSERT_EQ(pixels.size(), c.expected.size());
      // The first pixel is the bottom-left one.
      const uint8_t first = c.expected[size_t(c.width) * (c.height - 1)];
      for (size_t i = 0; i < pixels.size(); ++i) {
        const bool white = transparent && c.expected[i] == first;
        EXPECT_EQ(pixels[i], white ? 0xFFFFFFu : PaletteColour(c.expected[i])) << "pixel " << i;
      }
      EXPECT_TRUE(DeleteObject(bitmap));
    }
  }
}

TEST_F(RleBitmap, RunsAndDeltasLeavingTheImageAreRefused) {
  struct Case {
    const char *name;
    unsigned bpp;
    std::vector<uint8_t> pixels;
  };
  // Every image here is 4 x 2.
  const Case cases[] = {
      {"encoded run longer than the line", 8, {5, 1}},
      {"encoded run crossing the line's end", 8, {2, 1, 3, 1}},
      {"absolute run crossing the line's end", 8, {1, 1, 0, 4, 1, 2, 3, 4}},
      {"delta beyond the line's end", 8, {0, 2, 5, 0}},
      {"delta past the last line", 8, {0, 2, 0, 2}},
      {"run past the last line", 8, {0, 0, 0, 0, 1, 1}},
      {"delta cut short", 8, {0, 2, 1}},
      {"absolute run cut short", 8, {0, 4, 1, 2}},
      {"lone byte after the last instruction", 8, {1, 1, 7}},
      {"4-bit encoded run longer than the line", 4, {5, 0x11}},
      {"4-bit absolute run crossing the line's end", 4, {0, 3, 0x12, 0x30, 0, 3, 0x12, 0x30}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(Load(Write(RleFile(c.bpp, 4, 2, c.pixels))), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  }
  // Headers the run-length schemes do not allow: another depth, top-down rows.
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

// Opening a pipe for reading waits for a writer: the loader must refuse such
// paths at once. A regression fails here after a few seconds instead of hanging.
TEST_F(RleBitmap, PathsThatAreNotRegularFilesAreRefusedWithoutBlocking) {
  const std::string fifo = dir_.path() + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir_.path() + "/socket.bmp";
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  const struct {
    std::string path;
    DWORD error;
  } cases[] = {{fifo, ERROR_BAD_FORMAT},
               {socketPath, ERROR_BAD_FORMAT},
               {"/dev/null", ERROR_BAD_FORMAT},
               {dir_.path(), ERROR_ACCESS_DENIED}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    auto result = std::async(std::launch::async, [&] {
      SetLastError(0);
      HBITMAP bitmap = Load(c.path);
      return std::make_pair(bitmap, GetLastError());
    });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << "LoadImageW blocked";
      // Give a blocked reader a writer that closes at once, so the test can end.
      const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) close(writer);
    }
    const auto [bitmap, error] = result.get();
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(error, c.error);
  }
  close(sock);
}

}  // namespace
