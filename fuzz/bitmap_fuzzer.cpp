// Fuzz target: LoadImageW on a bitmap file (every header kind, depth and
// compression the loader takes, including BI_RLE8 and BI_RLE4). Input: the
// file's bytes. Checks that a refused file fails with ERROR_BAD_FORMAT or
// ERROR_INVALID_DATA, that a loaded bitmap keeps within the loader's limits,
// gives all its rows through GetDIBits and is deleted whole, and that the
// transparent load agrees with the plain one.
#include <cstdlib>

#include "fuzz/fuzz_support.h"

namespace {

// The loader's limits on either side and on the pixel count.
constexpr long long kMaxSide = 65535;
constexpr long long kMaxPixels = 1LL << 24;

struct Outcome {
  DWORD error = ERROR_SUCCESS;
  LONG width = 0, height = 0;
};

Outcome Load(const fuzz::InputFile &file, UINT flags) {
  Outcome outcome;
  SetLastError(ERROR_SUCCESS);
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, file.wide(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | flags));
  if (!bitmap) {
    outcome.error = GetLastError();
    FUZZ_CHECK(outcome.error == ERROR_BAD_FORMAT || outcome.error == ERROR_INVALID_DATA);
    return outcome;
  }
  FUZZ_CHECK(GetObjectType(bitmap) == OBJ_BITMAP);
  BITMAP shape = {};
  FUZZ_CHECK(GetObjectW(bitmap, sizeof shape, &shape) == static_cast<int>(sizeof shape));
  FUZZ_CHECK(shape.bmWidth > 0 && shape.bmWidth <= kMaxSide);
  FUZZ_CHECK(shape.bmHeight > 0 && shape.bmHeight <= kMaxSide);
  FUZZ_CHECK(static_cast<long long>(shape.bmWidth) * shape.bmHeight <= kMaxPixels);
  outcome.width = shape.bmWidth;
  outcome.height = shape.bmHeight;

  // Every row, top-down at 32 bits, into a buffer of exactly the documented size.
  HDC screen = GetDC(nullptr);
  FUZZ_CHECK(screen != nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  FUZZ_CHECK(GetDIBits(screen, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS) != 0);
  FUZZ_CHECK(info.bmiHeader.biWidth == shape.bmWidth && info.bmiHeader.biHeight == shape.bmHeight);
  FUZZ_CHECK(info.bmiHeader.biSizeImage == static_cast<DWORD>(shape.bmWidth) * 4 * shape.bmHeight);
  info.bmiHeader.biHeight = -shape.bmHeight;
  info.bmiHeader.biBitCount = 32;
  void *rows = std::malloc(info.bmiHeader.biSizeImage);
  FUZZ_CHECK(rows != nullptr);
  FUZZ_CHECK(GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), rows, &info, DIB_RGB_COLORS) ==
             shape.bmHeight);
  std::free(rows);
  ReleaseDC(nullptr, screen);

  FUZZ_CHECK(DeleteObject(bitmap));
  FUZZ_CHECK(GetObjectType(bitmap) == 0);
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static fuzz::InputFile file("bitmap");
  file.Write(data, size);
  const Outcome plain = Load(file, 0);
  // A few bytes of run-length data can stand for 2^24 pixels; decoding such an
  // image twice under the fuzzer's instrumentation takes seconds, and the
  // transparent load differs from the plain one only in one colour.
  if (static_cast<long long>(plain.width) * plain.height > (1LL << 20)) return 0;
  const Outcome transparent = Load(file, LR_LOADTRANSPARENT);
  FUZZ_CHECK(plain.error == transparent.error);
  FUZZ_CHECK(plain.width == transparent.width && plain.height == transparent.height);
  return 0;
}
