// Registry reader and tidier for the Wine stages, one process for many keys:
//
//   keys dump KEY...    each KEY that exists and every key below it, as lines
//                       "K <path>" and "V <path>|<name>|<data>" (UTF-8; REG_SZ
//                       as text, REG_DWORD as #n, other types as "(type n)")
//   keys exist KEY...   "K <path>" for each KEY that exists, nothing below it
//   keys prune KEY...   deletes each KEY, in the order given, that has neither
//                       values nor subkeys
//   keys add KEY...     creates each KEY with the default value "other"
//   keys delete KEY...  deletes each KEY with everything below it
//
// KEY starts with HKLM, HKCU or HKCR. Exit status 0, or 2 for a bad command line.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

bool Split(const std::wstring &path, HKEY *root, std::wstring *sub) {
  const size_t slash = path.find(L'\\');
  const std::wstring head = path.substr(0, slash);
  *sub = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
  if (head == TEXT("HKLM")) *root = HKEY_LOCAL_MACHINE;
  else if (head == TEXT("HKCU")) *root = HKEY_CURRENT_USER;
  else if (head == TEXT("HKCR")) *root = HKEY_CLASSES_ROOT;
  else return false;
  return true;
}

void Print(const std::wstring &text) {
  char out[8192];
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out, sizeof out, nullptr,
                                    nullptr);
  fwrite(out, 1, n, stdout);
  fputc('\n', stdout);
}

void Dump(HKEY key, const std::wstring &path) {
  Print(TEXT("K ") + path);
  for (DWORD i = 0;; ++i) {
    WCHAR name[16384];
    DWORD nameUnits = 16384, type = 0, bytes = 0;
    BYTE data[8192];
    bytes = sizeof data - sizeof(WCHAR);
    if (RegEnumValueW(key, i, name, &nameUnits, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
    std::wstring text;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      data[bytes] = data[bytes + 1] = 0;
      text = reinterpret_cast<const WCHAR *>(data);
    } else if (type == REG_DWORD) {
      DWORD value = 0;
      memcpy(&value, data, sizeof value);
      text = TEXT("#") + std::to_wstring(value);
    } else {
      text = TEXT("(type ") + std::to_wstring(type) + TEXT(")");
    }
    Print(TEXT("V ") + path + TEXT("|") + name + TEXT("|") + text);
  }
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD units = 256;
    if (RegEnumKeyExW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    Dump(child, path + TEXT("\\") + name);
    RegCloseKey(child);
  }
}

// Deletes the key when it is empty.
void Prune(HKEY root, const std::wstring &sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  if (subkeys == 0 && values == 0) RegDeleteKeyW(root, sub.c_str());
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring command = argc > 1 ? argv[1] : TEXT("");
  if (command != TEXT("dump") && command != TEXT("exist") && command != TEXT("prune") && command != TEXT("add") &&
      command != TEXT("delete")) {
    fputs("usage: keys dump|exist|prune|add|delete KEY...\n", stderr);
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    HKEY root = nullptr;
    std::wstring sub;
    if (!Split(argv[i], &root, &sub)) {
      fputs("keys: a key starts with HKLM, HKCU or HKCR\n", stderr);
      return 2;
    }
    if (command == TEXT("prune")) {
      Prune(root, sub);
      continue;
    }
    if (command == TEXT("delete")) {
      RegDeleteTreeW(root, sub.c_str());
      RegDeleteKeyW(root, sub.c_str());
      continue;
    }
    if (command == TEXT("add")) {
      static const WCHAR other[] = TEXT("other");
      RegSetKeyValueW(root, sub.c_str(), nullptr, REG_SZ, other, sizeof other);
      continue;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    if (command == TEXT("exist"))
      Print(TEXT("K ") + std::wstring(argv[i]));
    else
      Dump(key, argv[i]);
    RegCloseKey(key);
  }
  return 0;
}
