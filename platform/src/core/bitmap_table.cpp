// The graphics object table. Handles are never-reused numbers, so an unknown
// or deleted handle is recognised instead of being followed.
#include "core/bitmap_table.h"

namespace gdi {

BitmapTable &Bitmaps() {
  // Never destroyed: objects may be deleted during static destruction.
  static BitmapTable *t = new BitmapTable(0x20000004, 4);
  return *t;
}

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap) {
  BitmapTable &t = Bitmaps();
  try {
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.objects.Add<HBITMAP>(std::move(bitmap));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

bool CopyBitmap(HBITMAP handle, Bitmap *out) {
  BitmapTable &t = Bitmaps();
  std::lock_guard<std::mutex> lock(t.mutex);
  std::unique_ptr<Bitmap> *bitmap = t.objects.Find(handle);
  if (!bitmap) return false;
  *out = **bitmap;
  return true;
}

}  // namespace gdi
