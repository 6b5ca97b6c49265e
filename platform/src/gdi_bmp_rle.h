// Expansion of run-length compressed bitmap pixels (BI_RLE8, BI_RLE4).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gdi {

// Expands the compressed pixels `data` (`size` bytes) of a bottom-up image of
// `width` x `height` at `bpp` 8 (BI_RLE8) or 4 (BI_RLE4) bits per index.
// Returns ERROR_SUCCESS and fills *indexes with width * height colour indexes,
// the bottom row first; pixels no run writes stay 0. Returns ERROR_INVALID_DATA,
// leaving *indexes unspecified, for a run that crosses the end of its line or
// lies past the last line, a delta that moves beyond the line's end or past
// the last line, or an instruction cut short by the end of the data. Data
// that ends between instructions ends the image as the end-of-bitmap escape does.
DWORD ExpandRle(const uint8_t *data, size_t size, unsigned bpp, int64_t width, int64_t height,
                std::vector<uint8_t> *indexes);

}  // namespace gdi
