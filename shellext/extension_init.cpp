// IShellExtInit::Initialize of the extension: keeping the first selected path.
#include <string.h>

#include "shellext/storage_medium.h"
#include "shellext/tovincopyshl_ext.h"

namespace {

// Reads the name at `index` into name[MAX_PATH] and its length into *length.
// False when it can't be read or has MAX_PATH characters or more: a truncated
// path must never be kept.
bool ReadDroppedName(HDROP drop, UINT index, WCHAR *name, UINT *length) {
  *length = DragQueryFileW(drop, index, nullptr, 0);
  if (*length == 0 || *length >= MAX_PATH) return false;
  return DragQueryFileW(drop, index, name, MAX_PATH) == *length;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CTovinCopyShlExt::Initialize(PCIDLIST_ABSOLUTE /*folder*/, IDataObject *dataObject,
                                                       HKEY /*programKey*/) {
  if (!dataObject) return E_INVALIDARG;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  StorageMedium medium;
  if (FAILED(medium.Get(dataObject, &format))) return E_INVALIDARG;
  // A medium of another kind holds no global block to lock.
  if (medium.medium().tymed != TYMED_HGLOBAL) return E_INVALIDARG;
  HDROP drop = static_cast<HDROP>(GlobalLock(medium.medium().hGlobal));
  if (!drop) return E_INVALIDARG;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  HRESULT hr = count == 0 ? E_INVALIDARG : S_OK;
  for (UINT index = 0; index < count; ++index) {
    WCHAR name[MAX_PATH];
    UINT length = 0;
    if (!ReadDroppedName(drop, index, name, &length)) {
      hr = E_INVALIDARG;
      continue;
    }
    if (index == 0) memcpy(targetPath, name, (length + 1) * sizeof(WCHAR));
  }
  GlobalUnlock(medium.medium().hGlobal);
  return hr;
}
