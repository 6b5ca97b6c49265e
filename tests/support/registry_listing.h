// Test helpers over the public registry functions: a subtree as a sorted
// text listing, raw value reads, seeding keys.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/key_handle.h"
#include "tests/support/text.h"

namespace registry_listing {

using testing_text::U16;
using testing_text::U8;
using testing_registry::KeyHandle;

struct RawValue {
  LONG code = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

// Reads `name` (null: the default value) of root\path.
inline RawValue ReadValue(HKEY root, const std::basic_string<WCHAR> &path, const WCHAR *name) {
  RawValue value;
  KeyHandle key;
  value.code = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.out());
  if (value.code != ERROR_SUCCESS) return value;
  DWORD size = 0;
  value.code = RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size);
  if (value.code == ERROR_SUCCESS) {
    value.bytes.resize(size);
    value.code = RegQueryValueExW(key.get(), name, nullptr, &value.type, value.bytes.data(), &size);
    value.bytes.resize(size);
  }
  return value;
}

inline bool KeyExists(HKEY root, const std::basic_string<WCHAR> &path) {
  KeyHandle key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

inline std::vector<BYTE> Utf16Bytes(const std::basic_string<WCHAR> &text) {
  std::vector<BYTE> bytes;
  for (WCHAR unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

// A value as listed: REG_SZ as its text in quotes, REG_DWORD in decimal,
// REG_MULTI_SZ as its strings joined with "|", anything else as hex bytes.
inline std::string RenderValue(DWORD type, const std::vector<BYTE> &bytes) {
  std::basic_string<WCHAR> units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) units += static_cast<WCHAR>(bytes[i] | (bytes[i + 1] << 8));
  if (type == REG_SZ) {
    if (!units.empty() && units.back() == 0) units.pop_back();
    return "sz \"" + U8(units) + "\"";
  }
  if (type == REG_DWORD && bytes.size() == 4) {
    DWORD n = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
    return "dword " + std::to_string(n);
  }
  if (type == REG_MULTI_SZ) {
    std::string out = "multi";
    std::basic_string<WCHAR> current;
    for (WCHAR unit : units) {
      if (unit == 0) {
        out += " |" + U8(current);
        current.clear();
      } else {
        current += unit;
      }
    }
    return out;
  }
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "type" + std::to_string(type) + " ";
  for (BYTE b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// The names of the key's subkeys, in the registry's order.
inline std::vector<std::basic_string<WCHAR>> SubkeyNames(HKEY key) {
  std::vector<std::basic_string<WCHAR>> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[512];
    DWORD units = 512;
    if (RegEnumKeyExW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, units);
  }
  return names;
}

inline void ListKey(HKEY key, const std::string &prefix, std::vector<std::string> *lines) {
  for (DWORD i = 0;; ++i) {
    WCHAR name[16384];
    DWORD nameUnits = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, i, name, &nameUnits, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> bytes(size);
    nameUnits = 16384;
    if (RegEnumValueW(key, i, name, &nameUnits, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) break;
    bytes.resize(size);
    std::string shown = nameUnits == 0 ? "@" : U8(std::basic_string<WCHAR>(name, nameUnits));
    lines->push_back(prefix + " : " + shown + " = " + RenderValue(type, bytes));
  }
  for (const std::basic_string<WCHAR> &child : SubkeyNames(key)) {
    std::string childPath = prefix.empty() ? U8(child) : prefix + "\\" + U8(child);
    lines->push_back(childPath);
    KeyHandle opened;
    if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, opened.out()) == ERROR_SUCCESS)
      ListKey(opened.get(), childPath, lines);
  }
}

// Every key and value below root\path (path itself not listed, its values
// are, with an empty prefix), sorted; empty when root\path does not exist.
// Keys are listed as "A\B", values as "A\B : name = sz \"text\"", "@" for
// the default value.
inline std::vector<std::string> Listing(HKEY root, const std::basic_string<WCHAR> &path) {
  std::vector<std::string> lines;
  KeyHandle key;
  if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
    return lines;
  // Opened without a path, a predefined root may come back as itself, which is not ours to close.
  if (key.get() == root) key.release();
  ListKey(key ? key.get() : root, "", &lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Creates root\path (with ancestors) and, when `name` is given, sets a REG_SZ value.
inline void Seed(HKEY root, const std::basic_string<WCHAR> &path, const WCHAR *name = nullptr,
                 const std::basic_string<WCHAR> &text = TEXT("")) {
  KeyHandle key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS)
    return;
  if (name) {
    RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * 2));
  }
}

}  // namespace registry_listing
