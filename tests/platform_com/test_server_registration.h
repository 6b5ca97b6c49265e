// The test server's class registration (HKCR\CLSID\{...}\InprocServer32) and
// whether its library is loaded, for the object-creation tests.
#pragma once
#include <windows.h>

#include <string>

#include "support/key_handle.h"
#include "support/text.h"
#include "test_server.h"

namespace test_server {

inline const WCHAR *ClassKey() { return TEXT("CLSID\\{6A0F1B2C-3D4E-4F50-8A61-72B3C4D5E6F7}"); }

// Registers the class with `path` (UTF-8) as its in-process server.
inline bool Register(const std::string &path) {
  testing_registry::KeyHandle key;
  const testing_text::WideString name = testing_text::WideString(ClassKey()) + TEXT("\\InprocServer32");
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  const testing_text::WideString value = testing_text::U16(path);
  const LONG result = RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
  return result == ERROR_SUCCESS;
}

inline void Unregister() { RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey()); }

inline bool ServerLoaded() { return GetModuleHandleW(testing_text::U16(COM_TEST_SERVER_PATH).c_str()) != nullptr; }

}  // namespace test_server
