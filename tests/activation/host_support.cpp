#include "host_support.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/key_handle.h"
#include "support/text.h"

namespace host {

const CLSID kExtensionClsid = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x83}};
const IID kTypeLibraryInterface = {0xA2FA2CBA, 0xFA7A, 0x42EA, {0x8F, 0x96, 0x08, 0x0B, 0xAC, 0xFF, 0x03, 0x17}};

std::basic_string<WCHAR> LibraryPath() { return testing_text::U16(TOVINCOPYSHL_PATH); }

Library::Library() {
  module_ = LoadLibraryW(LibraryPath().c_str());
  if (!module_) return;
  // Through void(*)(): an export's address carries no signature of its own.
  getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllGetClassObject")));
  canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllCanUnloadNow")));
}

Library::~Library() {
  if (module_) FreeLibrary(module_);
}

IClassFactory *Library::Factory() const {
  void *factory = nullptr;
  if (!loaded() || FAILED(GetClassObject(kExtensionClsid, IID_IClassFactory, &factory))) return nullptr;
  return static_cast<IClassFactory *>(factory);
}

FileDropObject::FileDropObject(std::vector<std::basic_string<WCHAR>> names, bool wide) : names_(std::move(names)), wide_(wide) {}

HRESULT STDMETHODCALLTYPE FileDropObject::QueryInterface(REFIID iid, void **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
  *out = static_cast<IDataObject *>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE FileDropObject::Release() {
  ULONG count = --references_;
  if (count == 0) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE FileDropObject::GetData(FORMATETC *format, STGMEDIUM *medium) {
  ++getDataCalls_;
  if (!format || !medium) return E_INVALIDARG;
  if (FAILED(getDataResult_)) return getDataResult_;
  if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT)
    return DV_E_FORMATETC;
  std::string bytes(sizeof(DROPFILES), '\0');
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = wide_ ? TRUE : FALSE;
  std::memcpy(bytes.data(), &header, sizeof header);
  for (const std::basic_string<WCHAR> &name : names_) {
    if (wide_) {
      bytes.append(reinterpret_cast<const char *>(name.c_str()), (name.size() + 1) * sizeof(WCHAR));
    } else {
      bytes.append(testing_text::U8(name));
      bytes.push_back('\0');
    }
  }
  bytes.append(wide_ ? 2 : 1, '\0');
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return E_OUTOFMEMORY;
  void *data = GlobalLock(block);
  std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(block);
  medium->tymed = tymed_;
  medium->hGlobal = block;
  medium->pUnkForRelease = nullptr;
  if (tymed_ != TYMED_HGLOBAL) {
    // The medium claims another kind; the block would be lost with it.
    GlobalFree(block);
    medium->hGlobal = nullptr;
  }
  return S_OK;
}

HRESULT InitializeWith(IShellExtInit *init, const std::vector<std::basic_string<WCHAR>> &names, bool wide) {
  FileDropObject *data = new FileDropObject(names, wide);
  HRESULT hr = init->Initialize(nullptr, data, nullptr);
  data->Release();
  return hr;
}

namespace {

const WCHAR kSettingsKey[] = TEXT("Software\\Tovin Copy");

}  // namespace

void ClearSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

void SetSettingBytes(const WCHAR *name, const void *data, DWORD bytes) {
  testing_registry::KeyHandle key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS)
    return;
  // A NUL right after the data would be stored too: the copy goes on with another unit.
  std::string copy(static_cast<const char *>(data), bytes);
  copy += "~~";
  RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(copy.data()), bytes);
}

void SetSettingText(const WCHAR *name, const std::basic_string<WCHAR> &text) {
  SetSettingBytes(name, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

bool ReadMenuItem(HMENU menu, UINT position, MenuItem *item) {
  WCHAR text[256] = {};
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_TYPE | MIIM_CHECKMARKS;
  info.dwTypeData = text;
  info.cch = 256;
  if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return false;
  item->id = info.wID;
  item->type = info.fType;
  item->text = text;
  item->checked = info.hbmpChecked;
  item->unchecked = info.hbmpUnchecked;
  return true;
}

HMENU MenuWith(const std::vector<std::basic_string<WCHAR>> &texts) {
  HMENU menu = CreatePopupMenu();
  UINT position = 0;
  for (const std::basic_string<WCHAR> &text : texts) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.wID = 1000 + position;
    info.dwTypeData = const_cast<WCHAR *>(text.c_str());
    info.cch = static_cast<UINT>(text.size());
    InsertMenuItemW(menu, position++, TRUE, &info);
  }
  return menu;
}

void WriteBmpFile(const std::string &path, int width, int height) {
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + rowBytes * height;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = rowBytes * height;
  std::string pixels(static_cast<size_t>(rowBytes) * height, '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * rowBytes + x * 3 + 2] = static_cast<char>(0xFF);  // red
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(&file), sizeof(file));
  out.write(reinterpret_cast<const char *>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

bool WaitForEcho(const std::string &path, std::vector<std::string> *lines, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::error_code error;
  // On Windows the file can be seen before the renaming program has let go of
  // it, and cannot be opened until it has.
  std::ifstream in;
  while (!std::filesystem::exists(path, error) || (in.open(path), !in.is_open())) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::string line;
  lines->clear();
  while (std::getline(in, line)) lines->push_back(line);
  return true;
}

}  // namespace host
