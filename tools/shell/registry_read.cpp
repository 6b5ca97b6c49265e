#include "registry_read.h"

namespace {

// Registry values are bounded far below this; anything larger is refused.
constexpr DWORD kMaxValueBytes = 1u << 20;

}  // namespace

LSTATUS ReadString(HKEY root, const WideString &path, const WCHAR *name, WideString *out) {
  out->clear();
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD type = 0;
  DWORD bytes = 0;
  status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
  if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) status = ERROR_DATATYPE_MISMATCH;
  if (status == ERROR_SUCCESS && bytes > kMaxValueBytes) status = ERROR_MORE_DATA;
  if (status == ERROR_SUCCESS) {
    std::vector<WCHAR> buffer(bytes / sizeof(WCHAR) + 1, 0);
    status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &bytes);
    // Stored with or without its NUL, the text ends at the first one.
    if (status == ERROR_SUCCESS) *out = buffer.data();
  }
  RegCloseKey(key);
  return status;
}

LSTATUS ProbeRegistry() {
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, TEXT(""), 0, KEY_READ, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

bool KeyExists(HKEY root, const WideString &path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<WideString> SubkeyNames(HKEY root, const WideString &path) {
  std::vector<WideString> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) return names;
  // Key names are at most 255 characters.
  WCHAR name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}
