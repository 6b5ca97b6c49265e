// rightclick_bench: what one right-click on a folder costs the file manager,
// and one registration and removal of the class script.
// Usage: rightclick_bench [iterations]   (default 2000)
#include <windows.h>
#include "tests/support/data_object_base.h"
#include <shlobj.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

namespace {

const CLSID kExtensionClsid = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x83}};
typedef HRESULT(STDAPICALLTYPE *GetClassObjectFunction)(REFCLSID, REFIID, LPVOID *);

std::u16string Widen(const std::string &text) { return std::u16string(text.begin(), text.end()); }

// A data object handing out a wide drop list of one name in a new global block.
class FolderDataObject : public DataObjectBase {
 public:
  explicit FolderDataObject(const std::u16string &name) {
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    block_.resize(sizeof header + (name.size() + 2) * sizeof(char16_t), 0);
    std::memcpy(block_.data(), &header, sizeof header);
    std::memcpy(block_.data() + sizeof header, name.data(), name.size() * sizeof(char16_t));
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

void SetSetting(const char16_t *name, const std::u16string &text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tovin Copy", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

void RemoveSetting(const char16_t *name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tovin Copy", 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

// A 16x16 24-bit bottom-up BMP file; false when it can't be written.
bool WriteBitmap(const std::string &path) {
  const int side = 16;
  const uint32_t pixelBytes = side * side * 3;
  unsigned char header[54] = {'B', 'M'};
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(2, 54 + pixelBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, side);
  put32(22, side);
  header[26] = 1;
  header[28] = 24;
  put32(34, pixelBytes);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(header), sizeof header);
  const std::string pixels(pixelBytes, '\x80');
  out.write(pixels.data(), pixels.size());
  return static_cast<bool>(out);
}

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

// Runs `step` `iterations` times and prints the mean; false when a step failed.
template <class Step>
bool Time(const char *label, int iterations, Step step) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < iterations; ++i) {
    if (!step()) {
      std::fprintf(stderr, "%s: failed at iteration %d\n", label, i);
      return false;
    }
  }
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start);
  std::printf("%-40s %10.0f ns per run (%d runs)\n", label, static_cast<double>(ns.count()) / iterations, iterations);
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const int iterations = argc > 1 ? atoi(argv[1]) : 2000;
  if (iterations <= 0) {
    std::fprintf(stderr, "usage: %s [iterations]\n", argv[0]);
    return 2;
  }

  HMODULE library = LoadLibraryW(Widen(TOVINCOPYSHL_PATH).c_str());
  if (!library) {
    std::fprintf(stderr, "cannot load %s\n", TOVINCOPYSHL_PATH);
    return 1;
  }
  // Through void(*)(): an export's address carries no signature of its own.
  auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DllGetClassObject")));
  if (!getClassObject) return 1;

  char directory[] = "/tmp/rightclick_bench.XXXXXX";
  if (!mkdtemp(directory)) return 1;
  const std::string bitmap = std::string(directory) + "/copy.bmp";
  if (!WriteBitmap(bitmap)) return 1;

  FolderDataObject selection(u"/home/user/Documents");
  SetSetting(u"CopyApp", u"/usr/bin/tovin-copy");
  bool ok = Time("right-click, no CopyBmp", iterations, [&] { return RightClick(getClassObject, &selection); });
  SetSetting(u"CopyBmp", Widen(bitmap));
  ok = ok && Time("right-click, with CopyBmp", iterations, [&] { return RightClick(getClassObject, &selection); });
  RemoveSetting(u"CopyBmp");

  std::ifstream in(std::string(TOVINCOPYSHL_RESOURCES_DIR) + "/tovincopyshl_ext.rgs", std::ios::binary);
  const std::u16string script = Widen(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  CRegObject registrar;
  registrar.PutReplacement(u"MODULE", Widen(TOVINCOPYSHL_PATH).c_str());
  ok = ok && !script.empty() && Time("class script register + unregister", iterations / 10 + 1, [&] {
         CRegScriptParser parser(&registrar);
         if (parser.RunScript(script.c_str(), true) != S_OK) return false;
         CRegScriptParser remover(&registrar);
         return remover.RunScript(script.c_str(), false) == S_OK;
       });

  unlink(bitmap.c_str());
  rmdir(directory);
  FreeLibrary(library);
  return ok ? 0 : 1;
}
