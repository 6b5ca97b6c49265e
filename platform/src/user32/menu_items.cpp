// Menus of the window manager: creation, destruction, item insertion and query.
// Menus live in a process-wide table guarded by one mutex; a handle is a
// never-reused number, so a stale or foreign handle is detected, not followed.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/handle_table.h"
#include "core/seams_internal.h"

namespace {

struct MenuItem {
  UINT type = MFT_STRING;
  UINT state = 0;
  UINT id = 0;
  HMENU subMenu = nullptr;
  HBITMAP checked = nullptr;
  HBITMAP unchecked = nullptr;
  ULONG_PTR data = 0;
  std::u16string text;
  HBITMAP bitmap = nullptr;
};

struct Menu {
  bool popup = false;
  std::vector<MenuItem> items;
};

using MenuTable = core::LockedHandleTable<Menu>;

MenuTable &table() {
  static MenuTable *t = new MenuTable(0x10004, 4);  // never destroyed: hosts may use menus during static destruction
  return *t;
}

constexpr UINT kKnownMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA |
                            MIIM_STRING | MIIM_BITMAP | MIIM_FTYPE;
// The structure as it was before hbmpItem was added: MIIM_BITMAP is accepted
// with it and hbmpItem, which lies beyond it, neither read nor written.
constexpr UINT kOldSize = offsetof(MENUITEMINFOW, hbmpItem);

HMENU Create(bool popup) {
  MenuTable &t = table();
  try {
    std::lock_guard<std::mutex> lock(t.mutex);
    Menu menu;
    menu.popup = popup;
    return t.objects.Add<HMENU>(std::move(menu));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

// Checks the structure's size and mask; on failure sets the last error.
bool ValidInfo(const MENUITEMINFOW *mii) {
  // MIIM_TYPE is the older form of MIIM_FTYPE, MIIM_STRING and MIIM_BITMAP: never mixed with them.
  if (!mii || (mii->cbSize != sizeof(MENUITEMINFOW) && mii->cbSize != kOldSize) || (mii->fMask & ~kKnownMask) ||
      ((mii->fMask & MIIM_TYPE) && (mii->fMask & (MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP)))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Index of the item named by position or by command identifier, or -1. By
// command the search descends into submenus, as the window manager's does.
struct Located {
  Menu *menu = nullptr;
  size_t index = 0;
};
bool Locate(core::HandleTable<Menu> &menus, Menu *menu, UINT item, BOOL byPosition, Located *out, std::set<Menu *> &seen) {
  if (byPosition) {
    if (item >= menu->items.size()) return false;
    *out = Located{menu, item};
    return true;
  }
  if (!seen.insert(menu).second) return false;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (!menu->items[i].subMenu && menu->items[i].id == item) {
      *out = Located{menu, i};
      return true;
    }
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i].subMenu && menu->items[i].id == item) {
      *out = Located{menu, i};
      return true;
    }
    if (Menu *sub = menus.Find(menu->items[i].subMenu); sub && Locate(menus, sub, item, FALSE, out, seen)) return true;
  }
  return false;
}

void Apply(const MENUITEMINFOW &mii, MenuItem &item) {
  UINT mask = mii.fMask;
  if (mask & MIIM_TYPE) {
    // MIIM_TYPE carries the text only for string items; for bitmap items dwTypeData is the bitmap.
    item.type = mii.fType;
    if ((mii.fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0) {
      item.text = mii.dwTypeData ? std::u16string(mii.dwTypeData) : std::u16string();
    } else {
      item.text.clear();
    }
    if (mii.fType & MFT_BITMAP) item.bitmap = reinterpret_cast<HBITMAP>(mii.dwTypeData);
  }
  if (mask & MIIM_FTYPE) item.type = mii.fType;
  if (mask & MIIM_STRING) {
    item.text = mii.dwTypeData ? std::u16string(mii.dwTypeData) : std::u16string();
  }
  if ((mask & MIIM_BITMAP) && mii.cbSize > kOldSize) item.bitmap = mii.hbmpItem;
  if (mask & MIIM_STATE) item.state = mii.fState;
  if (mask & MIIM_ID) item.id = mii.wID;
  if (mask & MIIM_SUBMENU) item.subMenu = mii.hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    item.checked = mii.hbmpChecked;
    item.unchecked = mii.hbmpUnchecked;
  }
  if (mask & MIIM_DATA) item.data = mii.dwItemData;
}

// Copies the item's text into the caller's buffer by the SDK's rule: with no
// buffer (or cch 0) only the length is reported; otherwise up to cch-1 units and a NUL.
void CopyText(const MenuItem &item, MENUITEMINFOW *mii) {
  const UINT length = static_cast<UINT>(item.text.size());
  if (!mii->dwTypeData || mii->cch == 0) {
    mii->cch = length;
    return;
  }
  UINT n = std::min(length, mii->cch - 1);
  std::copy_n(item.text.data(), n, mii->dwTypeData);
  mii->dwTypeData[n] = 0;
  mii->cch = n;
}

void DestroyLocked(core::HandleTable<Menu> &menus, HMENU handle) {
  Menu menu;
  if (!menus.Remove(handle, &menu)) return;
  for (const MenuItem &item : menu.items)
    if (item.subMenu) DestroyLocked(menus, item.subMenu);
}

}  // namespace

HMENU WINAPI CreatePopupMenu(void) { return Create(true); }

HMENU WINAPI CreateMenu(void) { return Create(false); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  MenuTable &t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (!t.objects.Find(hMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  // Submenus go with their menu, as on Windows; the table lookup makes a cycle harmless.
  DestroyLocked(t.objects, hMenu);
  return TRUE;
}

BOOL WINAPI InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi) {
  uint32_t code = 0;
  auto describe = [&](std::string *subject, std::string *args) {
    *subject = std::to_string(item);
    *args = fByPosition ? "by position" : "by command";
    if (!lpmi) {
      *args += ", (null)";
      return;
    }
    const bool text = (lpmi->fMask & (MIIM_STRING | MIIM_TYPE)) && lpmi->dwTypeData &&
                      !(lpmi->fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW));
    *args += ", size=" + std::to_string(lpmi->cbSize) + ", mask=" + std::to_string(lpmi->fMask) +
             ", id=" + std::to_string(lpmi->wID) + ", cch=" + std::to_string(lpmi->cch) +
             ", text=" + (text ? seams::Utf8(lpmi->dwTypeData) : std::string("(none)"));
  };
  if (seams::Enter("InsertMenuItemW", describe, &code)) {
    SetLastError(code ? code : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  if (!ValidInfo(lpmi)) return FALSE;
  MenuTable &t = table();
  try {
    std::lock_guard<std::mutex> lock(t.mutex);
    Menu *menu = t.objects.Find(hmenu);
    if (!menu) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
    MenuItem fresh;
    Apply(*lpmi, fresh);
    if (fByPosition) {
      size_t at = std::min<size_t>(item, menu->items.size());
      menu->items.insert(menu->items.begin() + static_cast<ptrdiff_t>(at), std::move(fresh));
      return TRUE;
    }
    // By command: insert before the item with that identifier, or append when there is none.
    Located where;
    std::set<Menu *> seen;
    if (Locate(t.objects, menu, item, FALSE, &where, seen)) {
      where.menu->items.insert(where.menu->items.begin() + static_cast<ptrdiff_t>(where.index), std::move(fresh));
    } else {
      menu->items.push_back(std::move(fresh));
    }
    return TRUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

BOOL WINAPI GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii) {
  if (!ValidInfo(lpmii)) return FALSE;
  MenuTable &t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Menu *menu = t.objects.Find(hmenu);
  if (!menu) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  Located where;
  std::set<Menu *> seen;
  if (!Locate(t.objects, menu, item, fByPosition, &where, seen)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const MenuItem &found = where.menu->items[where.index];
  const UINT mask = lpmii->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) lpmii->fType = found.type;
  if (mask & MIIM_TYPE) {
    if (found.type & MFT_BITMAP) {
      lpmii->dwTypeData = reinterpret_cast<LPWSTR>(found.bitmap);
    } else if (!(found.type & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
      CopyText(found, lpmii);
    } else {
      lpmii->cch = 0;
    }
  } else if (mask & MIIM_STRING) {
    CopyText(found, lpmii);
  }
  if ((mask & MIIM_BITMAP) && lpmii->cbSize > kOldSize) lpmii->hbmpItem = found.bitmap;
  if (mask & MIIM_STATE) lpmii->fState = found.state;
  if (mask & MIIM_ID) lpmii->wID = found.id;
  if (mask & MIIM_SUBMENU) lpmii->hSubMenu = found.subMenu;
  if (mask & MIIM_CHECKMARKS) {
    lpmii->hbmpChecked = found.checked;
    lpmii->hbmpUnchecked = found.unchecked;
  }
  if (mask & MIIM_DATA) lpmii->dwItemData = found.data;
  return TRUE;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  MenuTable &t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Menu *menu = t.objects.Find(hMenu);
  if (!menu) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return static_cast<int>(menu->items.size());
}
