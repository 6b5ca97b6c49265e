// Shared pieces of the fuzz targets: the input's script text, the check that
// aborts on a broken invariant, and a snapshot of the substitute registry.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

// Aborts with the failed condition, so the fuzzer and the replay test see it.
#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

namespace fuzz {

// A script input: byte 0 holds the flags, the rest is the text, each byte
// widened to one unit, or with kUtf16 read as little-endian unit pairs (an odd
// last byte dropped). The text ends at its first NUL unit.
struct ScriptInput {
  static constexpr uint8_t kPerUser = 1;
  static constexpr uint8_t kUtf16 = 2;

  ScriptInput(const uint8_t *data, size_t size) {
    if (size == 0) return;
    perUser = (data[0] & kPerUser) != 0;
    const bool utf16 = (data[0] & kUtf16) != 0;
    for (size_t i = 1; i < size; i += utf16 ? 2 : 1) {
      char16_t unit = data[i];
      if (utf16) {
        if (i + 1 >= size) break;
        unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      }
      if (unit == 0) break;
      text += unit;
    }
  }

  bool perUser = false;
  std::u16string text;
};

// Every key and value of the stores behind the predefined roots, one line
// each: key paths, and "path : name = type bytes" for values.
inline void SnapshotKey(HKEY key, const std::u16string &path, std::set<std::u16string> *lines) {
  std::vector<char16_t> name(16384);
  std::vector<BYTE> data;
  for (DWORD i = 0;; ++i) {
    DWORD nameUnits = static_cast<DWORD>(name.size());
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, i, name.data(), &nameUnits, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    data.assign(size, 0);
    nameUnits = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, i, name.data(), &nameUnits, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    std::u16string line = path + u" : " + std::u16string(name.data(), nameUnits) + u" = ";
    line += static_cast<char16_t>(u'0' + type);
    for (DWORD b = 0; b < size; ++b) line += static_cast<char16_t>(data[b]);
    lines->insert(line);
  }
  std::vector<std::u16string> children;
  for (DWORD i = 0;; ++i) {
    DWORD nameUnits = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &nameUnits, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name.data(), nameUnits);
  }
  for (const std::u16string &child : children) {
    const std::u16string childPath = path + u"\\" + child;
    lines->insert(childPath);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
    SnapshotKey(opened, childPath, lines);
    RegCloseKey(opened);
  }
}

inline std::set<std::u16string> SnapshotRegistry() {
  const struct {
    HKEY root;
    const char16_t *name;
  } roots[] = {{HKEY_CURRENT_USER, u"HKCU"},
               {HKEY_LOCAL_MACHINE, u"HKLM"},
               {HKEY_USERS, u"HKU"},
               {HKEY_CURRENT_CONFIG, u"HKCC"}};
  std::set<std::u16string> lines;
  for (const auto &r : roots) SnapshotKey(r.root, r.name, &lines);
  return lines;
}

}  // namespace fuzz
