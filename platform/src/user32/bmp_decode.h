// Decoding of bitmap files (the 'BM' format) held in memory.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/bitmap_table.h"

namespace gdi {

// Limits beyond which a file is refused as malformed rather than decoded.
constexpr int64_t kMaxBitmapSide = 65535;
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 24;

// Decodes a whole bitmap file: BITMAPFILEHEADER followed by a core (12),
// info (40), V2 (52), V3 (56), V4 (108) or V5 (124) header; 1, 4, 8, 16, 24
// or 32 bits per pixel, BI_RGB or BI_BITFIELDS, bottom-up or top-down, and
// bottom-up BI_RLE8 (8 bits) and BI_RLE4 (4 bits), read to the end of the file.
// Every size, offset, count and run is checked against the data. Returns
// ERROR_SUCCESS and fills *out, or ERROR_BAD_FORMAT (not a bitmap file, or a
// kind it does not decode, such as BI_JPEG) or ERROR_INVALID_DATA (a bitmap
// file whose fields contradict the data, including a run-length scheme on
// another depth or a top-down image). Runs and deltas leaving the image are
// clipped; pixels no run writes are black. `transparent` replaces the
// colour-table entry that the first stored byte indexes (for compressed data,
// the first byte of the first instruction) with the window colour (white), as
// LR_LOADTRANSPARENT does.
DWORD DecodeBmp(const uint8_t *data, size_t size, bool transparent, Bitmap *out);

}  // namespace gdi
