// The file manager's part of the right-click road, against the library as
// registered: COM creates the extension from the class's registration, the
// selection arrives as a file drop, the item goes into a real popup menu, and
// picking it starts the stand-in application (standin.exe beside this
// program). One line per check ("ok NAME" or "FAIL NAME: detail"); exit 1
// when any failed.
//
//   road DLL    DLL: the path the class's InprocServer32 names
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "activation/host_support.h"
#include "support/text.h"

namespace {

using Text = std::basic_string<WCHAR>;
int failures = 0;

void Check(bool passed, const char *name, const std::string &detail = "") {
  if (passed) {
    std::printf("ok %s\n", name);
  } else {
    ++failures;
    std::printf("FAIL %s%s%s\n", name, detail.empty() ? "" : ": ", detail.c_str());
  }
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// The two settings the road sets, put back as they were at its end.
class SavedSettings {
 public:
  SavedSettings() {
    HKEY key = nullptr;
    existed_ = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    for (Saved &value : values_) {
      BYTE data[2048];
      DWORD bytes = sizeof data;
      value.present = existed_ && RegQueryValueExW(key, value.name, nullptr, &value.type, data, &bytes) == ERROR_SUCCESS;
      if (value.present) value.data.assign(data, data + bytes);
    }
    if (key) RegCloseKey(key);
  }
  ~SavedSettings() {
    if (!existed_) {
      RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
      RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
      return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    for (const Saved &value : values_) {
      if (value.present)
        RegSetValueExW(key, value.name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
      else
        RegDeleteValueW(key, value.name);
    }
    RegCloseKey(key);
  }

 private:
  static constexpr const WCHAR *kKey = TEXT("Software\\Tovin Copy");
  struct Saved {
    explicit Saved(const WCHAR *valueName) : name(valueName) {}
    const WCHAR *name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  bool existed_ = false;
  Saved values_[2] = {Saved(TEXT("CopyApp")), Saved(TEXT("CopyBmp"))};
};

Text ReadUtf16File(const Text &path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Text();
  WCHAR buffer[4096] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer - sizeof(WCHAR), &read, nullptr);
  CloseHandle(file);
  return Text(buffer, read / sizeof(WCHAR));
}

// The file's contents once it appears, waiting up to thirty seconds: a loaded machine starts Wine processes slowly.
Text WaitForFile(const Text &path) {
  for (int i = 0; i < 3000 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
  return ReadUtf16File(path);
}

Text Folder(const Text &path) { return path.substr(0, path.find_last_of(L'\\')); }

void Road(const Text &dll, const Text &folder) {
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const Text standin = Folder(self) + TEXT("\\standin.exe");
  const Text bitmap = folder + TEXT("\\paste.bmp");
  const Text recorded = folder + TEXT("\\standin.txt");
  host::WriteBmpFile(testing_text::U8(bitmap), 13, 11);
  host::SetSettingText(TEXT("CopyBmp"), bitmap);
  host::SetSettingText(TEXT("CopyApp"), standin);
  SetEnvironmentVariableW(TEXT("TOVIN_STANDIN_OUTPUT"), recorded.c_str());

  IShellExtInit *init = nullptr;
  HRESULT hr = CoCreateInstance(host::kExtensionClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                reinterpret_cast<void **>(&init));
  Check(hr == S_OK && init, "CoCreateInstance from the registration", Hex(hr));
  if (!init) return;
  Check(GetModuleHandleW(dll.c_str()) != nullptr, "the registered library is the one loaded");
  hr = host::InitializeWith(init, {folder});
  Check(hr == S_OK, "Initialize with a file drop of the folder", Hex(hr));

  IContextMenu *menu = nullptr;
  init->QueryInterface(IID_IContextMenu, reinterpret_cast<void **>(&menu));
  Check(menu != nullptr, "IContextMenu");
  if (menu) {
    HMENU popup = host::MenuWith({TEXT("Open"), TEXT("Cut"), TEXT("Copy")});
    hr = menu->QueryContextMenu(popup, 1, 200, 300, CMF_NORMAL);
    Check(hr == MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 1), "QueryContextMenu uses one identifier", Hex(hr));
    host::MenuItem item;
    Check(GetMenuItemCount(popup) == 4 && host::ReadMenuItem(popup, 1, &item), "the item at the offered position");
    Check(item.id == 200, "the item has the first identifier", std::to_string(item.id));
    Check(item.text == TEXT("Paste with Tovin Copy"), "the item text", testing_text::U8(item.text));
    BITMAP info = {};
    Check(item.checked && item.checked == item.unchecked && GetObjectW(item.checked, sizeof info, &info) &&
              info.bmWidth == 13 && info.bmHeight == 11,
          "CopyBmp as both check marks at its own size",
          std::to_string(info.bmWidth) + "x" + std::to_string(info.bmHeight));
    DestroyMenu(popup);

    // Verbs are answered with the help text in UTF-16 only (bit 2 of uType).
    const std::string help = "Paste files from clipboard using Tovin Copy";
    struct Case {
      const char *name;
      UINT type;
      HRESULT result;
    } cases[] = {{"GetCommandString GCS_HELPTEXTW", GCS_HELPTEXTW, S_OK},
                 {"GetCommandString GCS_HELPTEXTA", GCS_HELPTEXTA, S_OK},
                 {"GetCommandString GCS_VERBW", GCS_VERBW, S_OK},
                 {"GetCommandString GCS_VERBA", GCS_VERBA, E_INVALIDARG}};
    for (const Case &c : cases) {
      WCHAR buffer[64] = {};
      hr = menu->GetCommandString(0, c.type, nullptr, reinterpret_cast<char *>(buffer), 64);
      const std::string text = c.type & GCS_UNICODE ? testing_text::U8(buffer) : reinterpret_cast<char *>(buffer);
      Check(hr == c.result && text == (hr == S_OK ? help : ""), c.name, Hex(hr) + " \"" + text + "\"");
    }

    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof invoke;
    invoke.lpVerb = MAKEINTRESOURCEA(0);
    invoke.nShow = SW_SHOWNORMAL;
    hr = menu->InvokeCommand(&invoke);
    Check(hr == S_OK, "InvokeCommand offset 0", Hex(hr));
    const Text line = WaitForFile(recorded);
    Check(line.find(TEXT(" /o") + folder) != Text::npos, "CopyApp started with \" /o\" and the folder",
          testing_text::U8(line));
    menu->Release();
  }
  init->Release();

  typedef HRESULT(STDAPICALLTYPE * CanUnloadNow)();
  HMODULE module = GetModuleHandleW(dll.c_str());
  auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void (*)()>(module ? GetProcAddress(module, "DllCanUnloadNow") : nullptr));
  hr = canUnloadNow ? canUnloadNow() : E_FAIL;
  Check(hr == S_OK, "DllCanUnloadNow after the last Release", Hex(hr));
  CoFreeUnusedLibraries();
  Check(GetModuleHandleW(dll.c_str()) == nullptr, "CoFreeUnusedLibraries unloads the library");
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc != 2) {
    std::fputs("usage: road DLL\n", stderr);
    return 2;
  }
  WCHAR temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const Text folder = Text(temp) + TEXT("tovin-road-") + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  CoInitialize(nullptr);
  {
    SavedSettings saved;
    Road(argv[1], folder);
  }
  CoUninitialize();
  for (const WCHAR *name : {TEXT("\\paste.bmp"), TEXT("\\standin.txt")}) DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
  std::fflush(stdout);
  return failures ? 1 : 0;
}
