#include "registry_read.h"

#include "key_handle.h"

namespace tools {

namespace {

// Registry values are bounded far below this; anything larger is refused.
constexpr DWORD kMaxValueBytes = 1u << 20;

}  // namespace

LSTATUS ReadString(HKEY root, const std::u16string &path, const WCHAR *name, std::u16string *out) {
  out->clear();
  KeyHandle key;
  LSTATUS status = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.out());
  if (status != ERROR_SUCCESS) return status;
  DWORD type = 0;
  DWORD bytes = 0;
  status = RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes);
  if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) status = ERROR_DATATYPE_MISMATCH;
  if (status == ERROR_SUCCESS && bytes > kMaxValueBytes) status = ERROR_MORE_DATA;
  if (status == ERROR_SUCCESS) {
    std::vector<WCHAR> buffer(bytes / sizeof(WCHAR) + 1, 0);
    status = RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &bytes);
    // Stored with or without its NUL, the text ends at the first one.
    if (status == ERROR_SUCCESS) *out = buffer.data();
  }
  return status;
}

LSTATUS ProbeRegistry() {
  KeyHandle key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, TEXT(""), 0, KEY_READ, key.out());
}

bool KeyExists(HKEY root, const std::u16string &path) {
  KeyHandle key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

std::vector<std::u16string> SubkeyNames(HKEY root, const std::u16string &path) {
  std::vector<std::u16string> names;
  KeyHandle key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.out()) != ERROR_SUCCESS) return names;
  // Key names are at most 255 characters.
  WCHAR name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace tools
