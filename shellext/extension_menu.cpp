// IContextMenu::QueryContextMenu and GetCommandString of the extension.
#include <limits.h>
#include <stddef.h>

#include "shellext/menu_texts.h"
#include "shellext/settings.h"
#include "shellext/tovincopyshl_ext.h"

namespace {

// The "CopyBmp" bitmap at its own size, or null when there is none to load.
HBITMAP LoadMenuBitmap() {
  // One unit beyond the 520 bytes read keeps room for the terminator.
  WCHAR path[MAX_PATH + 1];
  if (ReadSetting(copyBmpValueName, path, MAX_PATH + 1, kCopyBmpReadBytes) != ERROR_SUCCESS) return nullptr;
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_LOADTRANSPARENT));
}

// cbSize names the full form of the structure, the one that ends with hbmpItem.
static_assert(offsetof(MENUITEMINFOW, hbmpItem) + sizeof(HBITMAP) == sizeof(MENUITEMINFOW));

int BoundedCount(UINT cchMax) { return cchMax > INT_MAX ? INT_MAX : static_cast<int>(cchMax); }

}  // namespace

HRESULT STDMETHODCALLTYPE CTovinCopyShlExt::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                                             UINT /*idCmdLast*/, UINT uFlags) {
  if (uFlags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);

  HBITMAP bitmap = LoadMenuBitmap();
  if (bitmap && !menuBitmaps_.Keep(bitmap)) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  MENUITEMINFOW item = {};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_ID | MIIM_TYPE;
  item.fType = MFT_STRING;
  item.wID = idCmdFirst;
  item.dwTypeData = const_cast<LPWSTR>(menuItemText);
  item.cch = kMenuItemTextLength;
  if (bitmap) {
    item.fMask |= MIIM_CHECKMARKS;
    item.hbmpChecked = bitmap;
    item.hbmpUnchecked = bitmap;
  }
  // The result stays 1 either way; a bitmap no menu shows needn't wait for
  // the object's end.
  if (!InsertMenuItemW(menu, indexMenu, TRUE, &item) && bitmap) menuBitmaps_.Discard(bitmap);
  return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 1);
}

HRESULT STDMETHODCALLTYPE CTovinCopyShlExt::GetCommandString(UINT_PTR idCmd, UINT uType, UINT * /*reserved*/,
                                                             CHAR *name, UINT cchMax) {
  if (idCmd != 0) return E_INVALIDARG;
  if ((uType & (GCS_HELPTEXTA | GCS_UNICODE)) == 0) return E_INVALIDARG;
  if (uType & GCS_UNICODE) {
    lstrcpynW(reinterpret_cast<LPWSTR>(name), helpText, BoundedCount(cchMax));
    return S_OK;
  }
  CHAR ansi[(kHelpTextLength + 1) * 2];
  if (WideCharToMultiByte(CP_THREAD_ACP, 0, helpText, -1, ansi, sizeof(ansi), nullptr, nullptr) == 0) return S_OK;
  lstrcpynA(name, ansi, BoundedCount(cchMax));
  return S_OK;
}
