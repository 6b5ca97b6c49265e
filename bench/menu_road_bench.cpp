// What one right-click on a folder costs the file manager, beside the bare
// registry read of "CopyBmp" that the road cannot do without.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/data_object_base.h"

namespace {

const CLSID kExtensionClsid = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x83}};
const WCHAR kSettingsKey[] = TEXT("Software\\Tovin Copy");
typedef HRESULT(STDAPICALLTYPE *GetClassObjectFunction)(REFCLSID, REFIID, LPVOID *);

// A data object handing out a wide drop list of one name in a new global block.
class FolderDataObject : public DataObjectBase {
 public:
  explicit FolderDataObject(const std::u16string &name) {
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    block_.resize(sizeof header + (name.size() + 2) * sizeof(WCHAR), 0);
    std::memcpy(block_.data(), &header, sizeof header);
    std::memcpy(block_.data() + sizeof header, name.data(), name.size() * sizeof(WCHAR));
  }
  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    *out = (iid == IID_IUnknown || iid == IID_IDataObject) ? static_cast<IDataObject *>(this) : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 2; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetData)(FORMATETC *, STGMEDIUM *medium) override {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, block_.size());
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(block), block_.data(), block_.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }

 private:
  std::vector<unsigned char> block_;
};

// One right-click as the file manager makes it; false at the first failure.
bool RightClick(GetClassObjectFunction getClassObject, IDataObject *selection) {
  IClassFactory *factory = nullptr;
  if (FAILED(getClassObject(kExtensionClsid, IID_IClassFactory, reinterpret_cast<void **>(&factory)))) return false;
  IShellExtInit *init = nullptr;
  HRESULT hr = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void **>(&init));
  factory->Release();
  if (FAILED(hr)) return false;
  IContextMenu *menu = nullptr;
  bool ok = SUCCEEDED(init->Initialize(nullptr, selection, nullptr)) &&
            SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void **>(&menu)));
  if (ok) {
    HMENU popup = CreatePopupMenu();
    ok = popup && menu->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL) == 1;
    WCHAR help[256];
    ok = ok && menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR *>(help), 256) == S_OK;
    if (popup) DestroyMenu(popup);
    menu->Release();
  }
  init->Release();
  return ok;
}

// The user's settings as the file manager's user has them: the application
// set, no menu bitmap.
bool WriteSettings(benchmark::State &state) {
  return bench::Check(state, bench::SetString(kSettingsKey, TEXT("CopyApp"), u"/usr/bin/tovin-copy"), "settings");
}

void MenuRoad(benchmark::State &state, int) {
  auto getClassObject = bench::Export<GetClassObjectFunction>("DllGetClassObject");
  if (!bench::Check(state, getClassObject != nullptr, "DllGetClassObject") || !WriteSettings(state)) return;
  FolderDataObject selection(u"/home/user/Documents");
  for (auto _ : state)
    if (!bench::Check(state, RightClick(getClassObject, &selection), "right-click")) break;
}

// RegOpenKeyExW, RegQueryValueExW of the absent "CopyBmp", RegCloseKey: the
// read QueryContextMenu makes.
void SettingRead(benchmark::State &state, int) {
  if (!WriteSettings(state)) return;
  WCHAR path[MAX_PATH + 1];
  for (auto _ : state) {
    HKEY key = nullptr;
    LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key);
    if (!bench::Check(state, opened == ERROR_SUCCESS, "RegOpenKeyExW")) break;
    DWORD type = 0;
    DWORD size = MAX_PATH * sizeof(WCHAR);
    LSTATUS read = RegQueryValueExW(key, TEXT("CopyBmp"), nullptr, &type, reinterpret_cast<LPBYTE>(path), &size);
    RegCloseKey(key);
    if (!bench::Check(state, read == ERROR_FILE_NOT_FOUND, "RegQueryValueExW")) break;
  }
}

[[maybe_unused]] const bool registered = [] {
  bench::RegisterForEachStore("menu_road", MenuRoad);
  bench::RegisterForEachStore("setting_read", SettingRead);
  return true;
}();

}  // namespace
