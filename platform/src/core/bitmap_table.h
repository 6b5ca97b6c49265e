// The graphics object table: bitmaps created by LoadImageW and released by
// DeleteObject. Thread-safe.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/handle_table.h"

namespace gdi {

// A device-dependent bitmap as this substitute keeps it: the pixels decoded to
// 32-bit 0x00RRGGBB values, top row first, with the depth the image came in.
struct Bitmap {
  LONG width = 0;
  LONG height = 0;
  WORD bitsPixel = 0;
  // The size the caller asked for (0 = the image's own); the pixels are not scaled.
  int requestedWidth = 0;
  int requestedHeight = 0;
  std::vector<uint32_t> pixels;
};

using BitmapTable = core::LockedHandleTable<std::unique_ptr<Bitmap>>;
// The table of every live bitmap.
BitmapTable &Bitmaps();

// Takes ownership of the bitmap and returns its new handle, or null (last
// error ERROR_NOT_ENOUGH_MEMORY) when the table cannot grow.
HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap);

// Copies the live bitmap `handle` into *out; false for an unknown or deleted handle.
bool CopyBitmap(HBITMAP handle, Bitmap *out);

}  // namespace gdi
