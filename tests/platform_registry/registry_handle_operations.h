// Every registry operation on a key handle, for tables of handle checks.
#pragma once
#include <functional>
#include <vector>

#include "registry_fixture.h"

namespace registry_test {

struct HandleOperation {
  const char *name;
  std::function<LSTATUS(HKEY)> call;
};

// Every operation on a handle other than closing it.
inline std::vector<HandleOperation> HandleOperations() {
  return {
      {"RegOpenKeyExW", [](HKEY k) { Key c; return RegOpenKeyExW(k, nullptr, 0, KEY_READ, c.out()); }},
      {"RegOpenKeyExW sub", [](HKEY k) { Key c; return RegOpenKeyExW(k, TEXT("x"), 0, KEY_READ, c.out()); }},
      {"RegCreateKeyExW", [](HKEY k) { return Create(k, "x"); }},
      {"RegQueryValueExW",
       [](HKEY k) { DWORD n = 0; return RegQueryValueExW(k, TEXT("v"), nullptr, nullptr, nullptr, &n); }},
      {"RegSetValueExW", [](HKEY k) { return SetString(k, "v", "x"); }},
      {"RegDeleteValueW", [](HKEY k) { return RegDeleteValueW(k, TEXT("v")); }},
      {"RegEnumKeyExW",
       [](HKEY k) { WCHAR n[8]; DWORD s = 8; return RegEnumKeyExW(k, 0, n, &s, nullptr, nullptr, nullptr, nullptr); }},
      {"RegEnumValueW",
       [](HKEY k) { WCHAR n[8]; DWORD s = 8; return RegEnumValueW(k, 0, n, &s, nullptr, nullptr, nullptr, nullptr); }},
      {"RegQueryInfoKeyW",
       [](HKEY k) {
         DWORD n = 0;
         return RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
       }},
      {"RegGetValueW", [](HKEY k) { return RegGetValueW(k, nullptr, TEXT("v"), RRF_RT_ANY, nullptr, nullptr, nullptr); }},
      {"RegDeleteKeyW", [](HKEY k) { return RegDeleteKeyW(k, TEXT("x")); }},
      {"RegDeleteKeyExW", [](HKEY k) { return RegDeleteKeyExW(k, TEXT("x"), KEY_WOW64_64KEY, 0); }},
      {"RegDeleteTreeW", [](HKEY k) { return RegDeleteTreeW(k, nullptr); }},
  };
}

}  // namespace registry_test
