// The standard component categories manager's ICatRegister. It writes under
// HKEY_CLASSES_ROOT:
//   Component Categories\{catid}            value "<lcid in hex>" = description
//   CLSID\{clsid}\Implemented Categories\{catid}
//   CLSID\{clsid}\Required Categories\{catid}
// Removing a class's category deletes only the {catid} key and leaves the
// "Implemented Categories" or "Required Categories" key, as Windows does.
#include <windows.h>
#include <comcat.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "core/guid_text.h"
#include "core/single_interface.h"
#include "ole32/builtin_classes.h"

namespace com {
namespace {

HRESULT FromWin32(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<unsigned long>(status)); }

LSTATUS CreateKey(const std::u16string &path, HKEY *key) {
  return RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                         key, nullptr);
}

HRESULT CreateAndClose(const std::u16string &path) {
  HKEY key = nullptr;
  LSTATUS status = CreateKey(path, &key);
  if (status != ERROR_SUCCESS) return FromWin32(status);
  RegCloseKey(key);
  return S_OK;
}

// A key that is already gone counts as removed.
HRESULT DeleteKey(const std::u16string &path, bool tree) {
  LSTATUS status = tree ? RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str())
                        : RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
  return FromWin32(status);
}

std::u16string ClassCategoryPath(REFCLSID clsid, const char16_t *kind, REFGUID catid) {
  return u"CLSID\\" + GuidText(clsid) + u"\\" + kind + u"\\" + GuidText(catid);
}

class CategoriesManager final : public ICatRegister {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    return com::QuerySingleInterface<ICatRegister>(this, IID_ICatRegister, riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE RegisterCategories(ULONG cCategories, CATEGORYINFO rgCategoryInfo[]) override {
    if (cCategories && !rgCategoryInfo) return E_INVALIDARG;
    try {
      for (ULONG i = 0; i < cCategories; ++i) {
        const CATEGORYINFO &info = rgCategoryInfo[i];
        HKEY key = nullptr;
        LSTATUS status = CreateKey(u"Component Categories\\" + GuidText(info.catid), &key);
        if (status != ERROR_SUCCESS) return FromWin32(status);
        char name[16];
        std::snprintf(name, sizeof name, "%x", static_cast<unsigned>(info.lcid));
        const std::u16string valueName(name, name + std::char_traits<char>::length(name));
        // The description is a fixed array; it may lack its NUL.
        size_t length = 0;
        while (length < 128 && info.szDescription[length]) ++length;
        const std::u16string description(info.szDescription, length);
        status = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(description.c_str()),
                                static_cast<DWORD>((description.size() + 1) * sizeof(WCHAR)));
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) return FromWin32(status);
      }
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE UnRegisterCategories(ULONG cCategories, CATID rgcatid[]) override {
    if (cCategories && !rgcatid) return E_INVALIDARG;
    try {
      for (ULONG i = 0; i < cCategories; ++i)
        if (HRESULT hr = DeleteKey(u"Component Categories\\" + GuidText(rgcatid[i]), true); FAILED(hr)) return hr;
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE RegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories,
                                                        CATID rgcatid[]) override {
    return Register(rclsid, u"Implemented Categories", cCategories, rgcatid);
  }
  HRESULT STDMETHODCALLTYPE UnRegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories,
                                                          CATID rgcatid[]) override {
    return Unregister(rclsid, u"Implemented Categories", cCategories, rgcatid);
  }
  HRESULT STDMETHODCALLTYPE RegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories,
                                                       CATID rgcatid[]) override {
    return Register(rclsid, u"Required Categories", cCategories, rgcatid);
  }
  HRESULT STDMETHODCALLTYPE UnRegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories,
                                                         CATID rgcatid[]) override {
    return Unregister(rclsid, u"Required Categories", cCategories, rgcatid);
  }

 private:
  ~CategoriesManager() = default;

  static HRESULT Register(REFCLSID clsid, const char16_t *kind, ULONG count, CATID ids[]) {
    if (count && !ids) return E_INVALIDARG;
    try {
      for (ULONG i = 0; i < count; ++i)
        if (HRESULT hr = CreateAndClose(ClassCategoryPath(clsid, kind, ids[i])); FAILED(hr)) return hr;
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  static HRESULT Unregister(REFCLSID clsid, const char16_t *kind, ULONG count, CATID ids[]) {
    if (count && !ids) return E_INVALIDARG;
    try {
      for (ULONG i = 0; i < count; ++i)
        if (HRESULT hr = DeleteKey(ClassCategoryPath(clsid, kind, ids[i]), false); FAILED(hr)) return hr;
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  std::atomic<ULONG> references_{1};
};

}  // namespace

IUnknown *NewCategoriesManager() {
  try {
    return new CategoriesManager;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace com
