#include "shellext/menu_bitmaps.h"

#include <algorithm>

CMenuBitmaps::CMenuBitmaps(CMenuBitmaps &&other) noexcept : bitmaps_(std::move(other.bitmaps_)) {
  other.bitmaps_.clear();
}

CMenuBitmaps &CMenuBitmaps::operator=(CMenuBitmaps &&other) noexcept {
  if (this != &other) {
    DeleteAll();
    bitmaps_ = std::move(other.bitmaps_);
    other.bitmaps_.clear();
  }
  return *this;
}

bool CMenuBitmaps::Keep(HBITMAP bitmap) {
  if (!bitmap) return true;
  try {
    bitmaps_.push_back(bitmap);
  } catch (...) {
    return false;
  }
  return true;
}

void CMenuBitmaps::Discard(HBITMAP bitmap) {
  auto it = std::find(bitmaps_.begin(), bitmaps_.end(), bitmap);
  if (it == bitmaps_.end()) return;
  DeleteObject(*it);
  bitmaps_.erase(it);
}

void CMenuBitmaps::DeleteAll() {
  for (HBITMAP bitmap : bitmaps_) DeleteObject(bitmap);
  bitmaps_.clear();
}
