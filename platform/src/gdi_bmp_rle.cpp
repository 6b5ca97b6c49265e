#include "gdi_bmp_rle.h"

#include <algorithm>

namespace gdi {
namespace {

enum Escape : uint8_t { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

}  // namespace

DWORD ExpandRle(const uint8_t *data, size_t size, unsigned bpp, int64_t width, int64_t height,
                std::vector<uint8_t> *indexes) {
  if (bpp != 4 && bpp != 8) return ERROR_INVALID_DATA;
  indexes->assign(size_t(width * height), 0);
  int64_t x = 0, y = 0;
  size_t at = 0;
  // A run is only written when it fits the current line of an existing row.
  auto fits = [&](int64_t count) { return y < height && count <= width - x; };
  while (size - at >= 2) {
    const uint8_t first = data[at], second = data[at + 1];
    at += 2;
    if (first != 0) {
      if (!fits(first)) return ERROR_INVALID_DATA;
      uint8_t *out = indexes->data() + y * width + x;
      for (unsigned i = 0; i < first; ++i)
        out[i] = bpp == 8 ? second : uint8_t((i & 1) ? second & 0xF : second >> 4);
      x += first;
      continue;
    }
    switch (second) {
      case kEndOfLine:
        x = 0;
        ++y;
        break;
      case kEndOfBitmap:
        return ERROR_SUCCESS;
      case kDelta: {
        if (size - at < 2) return ERROR_INVALID_DATA;
        const int64_t dx = data[at], dy = data[at + 1];
        at += 2;
        if (dx > width - x || y + dy >= height) return ERROR_INVALID_DATA;
        x += dx;
        y += dy;
        break;
      }
      default: {
        // Absolute run: `second` indexes, stored bytes padded to a 16-bit boundary.
        const size_t bytes = bpp == 8 ? second : (second + 1u) / 2;
        const size_t padded = (bytes + 1) & ~size_t(1);
        if (size - at < bytes || !fits(second)) return ERROR_INVALID_DATA;
        uint8_t *out = indexes->data() + y * width + x;
        const uint8_t *in = data + at;
        for (unsigned i = 0; i < second; ++i)
          out[i] = bpp == 8 ? in[i] : uint8_t((i & 1) ? in[i / 2] & 0xF : in[i / 2] >> 4);
        x += second;
        // The last run's padding byte may be missing at the very end of the data.
        at += std::min(padded, size - at);
        break;
      }
    }
  }
  // A lone byte left over cannot hold an instruction.
  return at == size ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

}  // namespace gdi
