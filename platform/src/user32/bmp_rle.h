// Expansion of run-length compressed bitmap pixels (BI_RLE8, BI_RLE4).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gdi {

// Expands the compressed pixels `data` (`size` bytes) of a bottom-up image of
// `width` x `height` at `bpp` 8 (BI_RLE8) or 4 (BI_RLE4) bits per index.
// Fills *indexes with width * height colour indexes, the bottom row first;
// pixels no run writes are kUnwritten. What a run or delta puts beyond the
// line's end or past the last line is dropped. A line counts once an end of
// line, a delta to a later line or the end of the bitmap closes it: data that
// ends first, or cuts an instruction short, leaves the open line unwritten.
constexpr int16_t kUnwritten = -1;
DWORD ExpandRle(const uint8_t *data, size_t size, unsigned bpp, int64_t width, int64_t height,
                std::vector<int16_t> *indexes);

}  // namespace gdi
