// Shared helpers of the registry tests: a fresh registry state per test, an
// owning key handle (support/key_handle.h), and short forms of the common
// calls. Written against the SDK's names only, so the tables run under the
// substitute and on Windows.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "support/fresh_state.h"
#include "support/key_handle.h"
#include "support/text.h"

namespace registry_test {

using testing_text::U16;
using testing_text::U8;
using testing_text::WideString;

using Key = testing_registry::KeyHandle;

// Each test starts from the fresh state (support/fresh_state.h) and leaves no
// keys behind. A Windows registry is never empty: tests look at their own keys.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { fresh_state::Begin(); }
  void TearDown() override { fresh_state::End(); }
};

inline LSTATUS Create(HKEY parent, const std::string &path, Key *out = nullptr, REGSAM sam = KEY_ALL_ACCESS) {
  Key local;
  Key &key = out ? *out : local;
  return RegCreateKeyExW(parent, U16(path).c_str(), 0, nullptr, 0, sam, nullptr, key.out(), nullptr);
}

inline LSTATUS Open(HKEY parent, const std::string &path, Key *out = nullptr, REGSAM sam = KEY_READ) {
  Key local;
  Key &key = out ? *out : local;
  return RegOpenKeyExW(parent, path.empty() ? nullptr : U16(path).c_str(), 0, sam, key.out());
}

inline bool Exists(HKEY parent, const std::string &path) { return Open(parent, path) == ERROR_SUCCESS; }

inline LSTATUS SetBytes(HKEY key, const std::string &name, DWORD type, const std::string &bytes) {
  return RegSetValueExW(key, U16(name).c_str(), 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

inline LSTATUS SetString(HKEY key, const std::string &name, const std::string &text) {
  WideString wide = U16(text);
  return RegSetValueExW(key, U16(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * 2));
}

// The value's text up to its first NUL; "" with *status set on failure.
inline std::string GetString(HKEY key, const std::string &name, LSTATUS *status = nullptr) {
  WCHAR buffer[512] = {};
  DWORD size = sizeof buffer - 2;
  LSTATUS r = RegQueryValueExW(key, U16(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size);
  if (status) *status = r;
  return r == ERROR_SUCCESS ? U8(buffer) : std::string();
}

// The value at parent\path, or "" when absent.
inline std::string Read(HKEY parent, const std::string &path, const std::string &name) {
  Key key;
  if (Open(parent, path, &key) != ERROR_SUCCESS) return std::string();
  return GetString(key.get(), name);
}

// Subkey names in enumeration order.
inline std::vector<std::string> Subkeys(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD size = 256;
    if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(U8(name));
  }
  return names;
}

inline std::vector<std::string> Subkeys(HKEY parent, const std::string &path) {
  Key key;
  if (Open(parent, path, &key) != ERROR_SUCCESS) return {};
  return Subkeys(key.get());
}

// Sets a variable of the process's environment, which expansion reads.
inline void SetEnvironment(const char *name, const char *value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

// Whether `names` holds `name`.
inline bool Holds(const std::vector<std::string> &names, const std::string &name) {
  for (const std::string &n : names)
    if (n == name) return true;
  return false;
}

}  // namespace registry_test
