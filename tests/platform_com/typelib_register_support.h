// What the registration tests share: a listing of the keys below a key, the
// machine and user scopes with their register and unregister calls, and a
// fixture that loads altered copies of the built library.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform_registry/registry_fixture.h"
#include "typelib_support.h"

namespace typelib_register {

using namespace typelib_test;
using registry_test::Key;

// Every key and value below root\path, one line each, sorted: "sub\key" and
// "sub\key name=value" ("@" names the default value), paths relative to `path`.
inline void List(HKEY root, const std::string &path, const std::string &relative, std::vector<std::string> *out) {
  Key key;
  if (registry_test::Open(root, path, &key) != ERROR_SUCCESS) return;
  if (!relative.empty()) out->push_back(relative);
  for (DWORD i = 0;; ++i) {
    WCHAR name[256], data[1024] = {};
    DWORD nameSize = 256, dataSize = sizeof data - 2;
    if (RegEnumValueW(key.get(), i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &dataSize) !=
        ERROR_SUCCESS)
      break;
    out->push_back(relative + (relative.empty() ? "" : " ") + (nameSize ? U8(name) : "@") + "=" + U8(data));
  }
  for (const std::string &sub : registry_test::Subkeys(key.get()))
    List(root, path + "\\" + sub, relative.empty() ? sub : relative + "\\" + sub, out);
}

inline std::vector<std::string> Listing(HKEY root, const std::string &path) {
  std::vector<std::string> out;
  List(root, path, "", &out);
  std::sort(out.begin(), out.end());
  return out;
}

struct Scope {
  const char *name;
  HKEY root;
  std::string prefix;  // where the scope's classes are stored
  HRESULT (*reg)(ITypeLib *, const WideString &, const WCHAR *);
  HRESULT (*unreg)(WORD, WORD, LCID);
};

inline const Scope kScopes[] = {
    {"machine", HKEY_LOCAL_MACHINE, "Software\\Classes\\",
     [](ITypeLib *lib, const WideString &path, const WCHAR *help) {
       return Register(lib, path.c_str(), help);
     },
     [](WORD major, WORD minor, LCID lcid) { return UnRegisterTypeLib(kLibrary, major, minor, lcid, SYS_WIN32); }},
    {"user", HKEY_CURRENT_USER, "Software\\Classes\\",
     [](ITypeLib *lib, const WideString &path, const WCHAR *help) {
       return RegisterForUser(lib, path.c_str(), help);
     },
     [](WORD major, WORD minor, LCID lcid) {
       return UnregisterForUser(kLibrary, major, minor, lcid, SYS_WIN32);
     }},
};

inline const std::string kTypeLibKey = std::string("TypeLib\\") + kLibraryText;
inline const std::string kInterfaceKey = std::string("Interface\\") + kInterfaceText;

class TypeLibRegister : public registry_test::RegistryTest {
 protected:
  // The built library, or an altered copy of it, loaded from `path`.
  ITypeLib *LoadCopy(const std::function<void(std::vector<uint8_t> &)> &alter, std::string *path) {
    std::vector<uint8_t> bytes = ReadBytes(TOVINCOPYSHL_TLB_PATH);
    alter(bytes);
    *path = scratch_.Write("lib.tlb", bytes);
    return Load(*path);
  }
  Scratch scratch_;
};

}  // namespace typelib_register
