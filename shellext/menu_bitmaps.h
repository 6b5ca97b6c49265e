// The bitmaps an extension object loaded for its menu items.
#pragma once
#include <windows.h>

#include <vector>

// Owns bitmap handles and deletes them all together. Copy deleted, move allowed.
class CMenuBitmaps {
 public:
  CMenuBitmaps() = default;
  ~CMenuBitmaps() { DeleteAll(); }
  CMenuBitmaps(const CMenuBitmaps &) = delete;
  CMenuBitmaps &operator=(const CMenuBitmaps &) = delete;
  CMenuBitmaps(CMenuBitmaps &&other) noexcept;
  CMenuBitmaps &operator=(CMenuBitmaps &&other) noexcept;

  // Takes ownership of `bitmap`. Returns false, owning nothing new, when there
  // is no memory to keep it; the caller then still owns it.
  bool Keep(HBITMAP bitmap);
  // Deletes `bitmap` if it is owned here, and forgets it.
  void Discard(HBITMAP bitmap);
  // Deletes every owned bitmap.
  void DeleteAll();

 private:
  std::vector<HBITMAP> bitmaps_;
};
