#include "user32/bmp_rle.h"

#include <algorithm>

namespace gdi {
namespace {

enum Escape : uint8_t { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

}  // namespace

DWORD ExpandRle(const uint8_t *data, size_t size, unsigned bpp, int64_t width, int64_t height,
                std::vector<int16_t> *indexes) {
  if (bpp != 4 && bpp != 8) return ERROR_INVALID_DATA;
  indexes->assign(size_t(width * height), kUnwritten);
  int64_t x = 0, y = 0;
  size_t at = 0;
  // Writes index `value` at the current position and moves right; what falls
  // beyond the line's end or past the last line is dropped.
  auto put = [&](uint8_t value) {
    if (y < height && x < width) (*indexes)[size_t(y * width + x)] = value;
    ++x;
  };
  // The pixels of a line count once an end of line, a delta to a later line
  // or the end of the bitmap closes it: data that ends first (or cuts an
  // instruction short) drops the line it left open.
  auto dropOpenLine = [&] {
    if (y < height) std::fill_n(indexes->begin() + y * width, width, kUnwritten);
    return ERROR_SUCCESS;
  };
  while (size - at >= 2) {
    const uint8_t first = data[at], second = data[at + 1];
    at += 2;
    if (first != 0) {
      for (unsigned i = 0; i < first; ++i) put(bpp == 8 ? second : uint8_t((i & 1) ? second & 0xF : second >> 4));
      continue;
    }
    switch (second) {
      case kEndOfLine:
        x = 0;
        ++y;
        break;
      case kEndOfBitmap:
        return ERROR_SUCCESS;
      case kDelta:
        if (size - at < 2) return dropOpenLine();
        x += data[at];
        y += data[at + 1];
        at += 2;
        break;
      default: {
        // Absolute run: `second` indexes, stored bytes padded to a 16-bit boundary.
        const size_t bytes = bpp == 8 ? second : (second + 1u) / 2;
        if (size - at < bytes) return dropOpenLine();
        const uint8_t *in = data + at;
        for (unsigned i = 0; i < second; ++i) put(bpp == 8 ? in[i] : uint8_t((i & 1) ? in[i / 2] & 0xF : in[i / 2] >> 4));
        at += std::min((bytes + 1) & ~size_t(1), size - at);
        break;
      }
    }
  }
  return dropOpenLine();
}

}  // namespace gdi
