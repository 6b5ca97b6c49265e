// A bitmap's size and colours, read through GDI.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace tools {

struct BitmapImage {
  LONG width = 0;
  LONG height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first; empty when unreadable
};

// Reads `bitmap`'s size (GetObjectW) and pixels (GetDIBits, 32-bit top-down).
// Returns false when it is no bitmap; a bitmap whose pixels cannot be read
// still gives its size.
bool ReadBitmap(HBITMAP bitmap, BitmapImage *out);

}  // namespace tools
