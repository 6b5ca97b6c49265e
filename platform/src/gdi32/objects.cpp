// GetObjectW, GetObjectType and DeleteObject over the graphics object table.
#include <cstring>

#include "core/bitmap_table.h"
#include "platform_seams.h"

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  gdi::BitmapTable &t = gdi::Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  std::unique_ptr<gdi::Bitmap> *found = t.objects.Find(h);
  if (!found) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!pv) return sizeof(BITMAP);
  if (c < static_cast<int>(sizeof(BITMAP))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const gdi::Bitmap &b = **found;
  BITMAP bm;
  std::memset(&bm, 0, sizeof bm);
  bm.bmType = 0;
  bm.bmWidth = b.width;
  bm.bmHeight = b.height;
  // Rows of a device-dependent bitmap are padded to 16 bits.
  bm.bmWidthBytes = static_cast<LONG>(((static_cast<int64_t>(b.width) * b.bitsPixel + 15) / 16) * 2);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = b.bitsPixel;
  bm.bmBits = nullptr;
  std::memcpy(pv, &bm, sizeof bm);
  return sizeof(BITMAP);
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  gdi::BitmapTable &t = gdi::Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.objects.Find(h)) return OBJ_BITMAP;
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  // The bitmap is freed after the lock is released.
  std::unique_ptr<gdi::Bitmap> doomed;
  gdi::BitmapTable &t = gdi::Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (!t.objects.Remove(ho, &doomed)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

namespace seams {

unsigned LiveGdiObjects() {
  gdi::BitmapTable &t = gdi::Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  return static_cast<unsigned>(t.objects.Size());
}

bool BitmapPixels(void *bitmap, std::vector<uint32_t> *pixels) {
  gdi::BitmapTable &t = gdi::Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  std::unique_ptr<gdi::Bitmap> *found = t.objects.Find(bitmap);
  if (!found) return false;
  if (pixels) *pixels = (*found)->pixels;
  return true;
}

}  // namespace seams
