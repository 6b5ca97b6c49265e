#include "module/object_map_registration.h"

#include <comcat.h>

#include "module/failure.h"
#include "module/type_library_registration.h"
#include "registrar/registry_key.h"

namespace {

constexpr int kKeyPathUnits = 128;
constexpr int kClassTextUnits = 64;

// Deletes HKCR\CLSID\<class>\<kind> when it has no subkey left; values alone
// don't keep it. Failures are ignored: removal is best effort.
void RemoveEmptyCategoryKey(LPCWSTR classText, LPCWSTR kind) {
  WCHAR path[kKeyPathUnits];
  CheckedStringCopy(path, kKeyPathUnits, TEXT("CLSID\\"));
  CheckedStringAppend(path, kKeyPathUnits, classText);
  CheckedStringAppend(path, kKeyPathUnits, kind);
  CRegistryKey key;
  if (key.Open(HKEY_CLASSES_ROOT, path, KEY_READ) != ERROR_SUCCESS) return;
  DWORD subkeys = 0;
  LONG code = RegQueryInfoKeyW(key.handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr);
  key.Close();
  if (code != ERROR_SUCCESS || subkeys != 0) return;
  CRegistryKeyView(HKEY_CLASSES_ROOT).key().RemoveSubkey(path);
}

const CategoryMapEntry *CategoriesOf(const ObjectMapEntry *entry) {
  return entry->getCategoryMap ? entry->getCategoryMap() : nullptr;
}

}  // namespace

HRESULT UpdateClassCategories(REFCLSID clsid, const CategoryMapEntry *categories, BOOL registering) {
  if (!categories) return S_OK;
  const GUID noClass = {};
  if (IsEqualGUID(clsid, noClass)) return S_OK;
  ICatRegister *manager = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                reinterpret_cast<LPVOID *>(&manager));
  // Registering without the manager would report categories that were never
  // written; removing without it has nothing to undo.
  if (FAILED(hr) || !manager) return registering ? (FAILED(hr) ? hr : E_UNEXPECTED) : S_OK;

  for (const CategoryMapEntry *row = categories; row->kind != 0; ++row) {
    CATID category = *row->catid;
    if (registering) {
      hr = row->kind == 1 ? manager->RegisterClassImplCategories(clsid, 1, &category)
                          : manager->RegisterClassReqCategories(clsid, 1, &category);
      if (FAILED(hr)) {
        manager->Release();
        return hr;
      }
    } else if (row->kind == 1) {
      manager->UnRegisterClassImplCategories(clsid, 1, &category);
    } else {
      manager->UnRegisterClassReqCategories(clsid, 1, &category);
    }
  }
  if (!registering) {
    WCHAR classText[kClassTextUnits];
    if (StringFromGUID2(clsid, classText, kClassTextUnits) != 0) {
      RemoveEmptyCategoryKey(classText, TEXT("\\Required Categories"));
      RemoveEmptyCategoryKey(classText, TEXT("\\Implemented Categories"));
    }
  }
  manager->Release();
  return S_OK;
}

HRESULT RegisterObjectMap(CObjectMap &map, BOOL withTypeLibrary) {
  for (ObjectMapEntry **slot = map.entryFirst; slot < map.entryLast; ++slot) {
    ObjectMapEntry *entry = *slot;
    if (!entry) continue;
    HRESULT hr = entry->updateRegistry(TRUE);
    if (FAILED(hr)) return hr;
    hr = UpdateClassCategories(*entry->clsid, CategoriesOf(entry), TRUE);
    if (FAILED(hr)) return hr;
  }
  return withTypeLibrary ? RegisterModuleTypeLib(map.typeLibraryModule) : S_OK;
}

// Every part is removed even after one failed, so that a partial
// registration (one interrupted, or one whose type library is gone) can still
// be cleaned up.
HRESULT UnregisterObjectMap(CObjectMap &map, BOOL withTypeLibrary) {
  HRESULT result = S_OK;
  auto keepFirst = [&result](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  };
  for (ObjectMapEntry **slot = map.entryFirst; slot < map.entryLast; ++slot) {
    ObjectMapEntry *entry = *slot;
    if (!entry) continue;
    keepFirst(UpdateClassCategories(*entry->clsid, CategoriesOf(entry), FALSE));
    keepFirst(entry->updateRegistry(FALSE));
  }
  if (withTypeLibrary) keepFirst(UnregisterModuleTypeLib(map.typeLibraryModule));
  return result;
}
