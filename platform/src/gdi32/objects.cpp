// Graphics objects: the handle table, GetObjectW, GetObjectType, DeleteObject.
// Handles are never-reused numbers, so an unknown or deleted handle is
// recognised instead of being followed.
#include "gdi_objects.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform_seams.h"

namespace gdi {
namespace {

struct ObjectTable {
  std::mutex mutex;
  uintptr_t next = 0x20000004;
  std::unordered_map<uintptr_t, std::unique_ptr<Bitmap>> bitmaps;
};

ObjectTable &table() {
  static ObjectTable *t = new ObjectTable;  // never destroyed: objects may be deleted during static destruction
  return *t;
}

}  // namespace

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap) {
  ObjectTable &t = table();
  try {
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t handle = t.next;
    t.next += 4;
    t.bitmaps.emplace(handle, std::move(bitmap));
    return reinterpret_cast<HBITMAP>(handle);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

bool CopyBitmap(HBITMAP handle, Bitmap *out) {
  ObjectTable &t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.bitmaps.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.bitmaps.end()) return false;
  *out = *it->second;
  return true;
}

}  // namespace gdi

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  gdi::ObjectTable &t = gdi::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.bitmaps.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.bitmaps.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!pv) return sizeof(BITMAP);
  if (c < static_cast<int>(sizeof(BITMAP))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const gdi::Bitmap &b = *it->second;
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
  gdi::ObjectTable &t = gdi::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.bitmaps.count(reinterpret_cast<uintptr_t>(h))) return OBJ_BITMAP;
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  std::unique_ptr<gdi::Bitmap> doomed;
  {
    gdi::ObjectTable &t = gdi::table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.bitmaps.find(reinterpret_cast<uintptr_t>(ho));
    if (it == t.bitmaps.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    doomed = std::move(it->second);
    t.bitmaps.erase(it);
  }
  return TRUE;
}

namespace seams {

unsigned LiveGdiObjects() {
  gdi::ObjectTable &t = gdi::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return static_cast<unsigned>(t.bitmaps.size());
}

bool BitmapPixels(void *bitmap, std::vector<uint32_t> *pixels) {
  gdi::ObjectTable &t = gdi::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.bitmaps.find(reinterpret_cast<uintptr_t>(bitmap));
  if (it == t.bitmaps.end()) return false;
  if (pixels) *pixels = it->second->pixels;
  return true;
}

}  // namespace seams
