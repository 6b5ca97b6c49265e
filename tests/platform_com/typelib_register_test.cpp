// RegisterTypeLib(ForUser) and UnRegisterTypeLib(ForUser): the keys written
// and removed, for the machine and for one user.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform_registry/registry_fixture.h"
#include "platform_seams.h"
#include "typelib_support.h"

using namespace typelib_test;
using registry_test::Key;

namespace {

// Every key and value below root\path, one line each, sorted: "sub\key" and
// "sub\key name=value" ("@" names the default value), paths relative to `path`.
void List(HKEY root, const std::string &path, const std::string &relative, std::vector<std::string> *out) {
  Key key;
  if (registry_test::Open(root, path, &key) != ERROR_SUCCESS) return;
  if (!relative.empty()) out->push_back(relative);
  for (DWORD i = 0;; ++i) {
    char16_t name[256], data[1024] = {};
    DWORD nameSize = 256, dataSize = sizeof data - 2;
    if (RegEnumValueW(key.get(), i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &dataSize) !=
        ERROR_SUCCESS)
      break;
    out->push_back(relative + (relative.empty() ? "" : " ") + (nameSize ? U8(name) : "@") + "=" + U8(data));
  }
  for (const std::string &sub : registry_test::Subkeys(key.get()))
    List(root, path + "\\" + sub, relative.empty() ? sub : relative + "\\" + sub, out);
}

std::vector<std::string> Listing(HKEY root, const std::string &path) {
  std::vector<std::string> out;
  List(root, path, "", &out);
  std::sort(out.begin(), out.end());
  return out;
}

struct Scope {
  const char *name;
  HKEY root;
  std::string prefix;  // where the scope's classes are stored
  HRESULT (*reg)(ITypeLib *, const std::u16string &, const char16_t *);
  HRESULT (*unreg)(WORD, WORD, LCID);
};

const Scope kScopes[] = {
    {"machine", HKEY_LOCAL_MACHINE, "Software\\Classes\\",
     [](ITypeLib *lib, const std::u16string &path, const char16_t *help) {
       return RegisterTypeLib(lib, path.c_str(), help);
     },
     [](WORD major, WORD minor, LCID lcid) { return UnRegisterTypeLib(kLibrary, major, minor, lcid, SYS_WIN32); }},
    {"user", HKEY_CURRENT_USER, "Software\\Classes\\",
     [](ITypeLib *lib, const std::u16string &path, const char16_t *help) {
       std::u16string full = path, folder = help ? help : u"";
       return RegisterTypeLibForUser(lib, full.data(), help ? folder.data() : nullptr);
     },
     [](WORD major, WORD minor, LCID lcid) {
       return UnRegisterTypeLibForUser(kLibrary, major, minor, lcid, SYS_WIN32);
     }},
};

const std::string kTypeLibKey = std::string("TypeLib\\") + kLibraryText;
const std::string kInterfaceKey = std::string("Interface\\") + kInterfaceText;

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

TEST_F(TypeLibRegister, WritesTheLibraryKeysAndRemovesThemAgain) {
  for (const Scope &s : kScopes) {
    SCOPED_TRACE(s.name);
    ASSERT_EQ(registry_test::Create(s.root, s.prefix + "TypeLib\\{00000000-0000-0000-0000-000000000001}"),
              ERROR_SUCCESS);
    ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
    ASSERT_NE(lib, nullptr);
    ASSERT_EQ(s.reg(lib, u"C:\\Program Files\\Tovin\\tovincopyshl.dll", nullptr), S_OK);
    const std::vector<std::string> expected = {
        "1.0",
        "1.0 @=tovincopyshl 1.0 Type Library",
        "1.0\\0",
        "1.0\\0\\win32",
        "1.0\\0\\win32 @=C:\\Program Files\\Tovin\\tovincopyshl.dll",
        "1.0\\FLAGS",
        "1.0\\FLAGS @=0",
        "1.0\\HELPDIR",
        "1.0\\HELPDIR @=C:\\Program Files\\Tovin",
    };
    EXPECT_EQ(Listing(s.root, s.prefix + kTypeLibKey), expected);
    EXPECT_TRUE(Listing(s.root, s.prefix + kInterfaceKey).empty()) << "not an automation interface";

    ASSERT_EQ(s.unreg(1, 0, 0), S_OK);
    EXPECT_FALSE(registry_test::Exists(s.root, s.prefix + kTypeLibKey));
    EXPECT_TRUE(registry_test::Exists(s.root, s.prefix + "TypeLib\\{00000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ(s.unreg(1, 0, 0), TYPE_E_REGISTRYACCESS) << "no longer registered";
    lib->Release();
  }
}

TEST_F(TypeLibRegister, KeepsWhatOtherLocalesAndVersionsStillUse) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  ASSERT_EQ(RegisterTypeLib(lib, U16(TOVINCOPYSHL_TLB_PATH).c_str(), u"/help"), S_OK);
  EXPECT_EQ(registry_test::Read(HKEY_CLASSES_ROOT, kTypeLibKey + "\\1.0\\HELPDIR", ""), "/help");
  lib->Release();
  Key key;
  for (const char *other : {"\\1.0\\409\\win32", "\\2.0\\0\\win32"}) {
    ASSERT_EQ(registry_test::Create(HKEY_CLASSES_ROOT, kTypeLibKey + other, &key), ERROR_SUCCESS);
    ASSERT_EQ(registry_test::SetString(key.get(), "", TOVINCOPYSHL_TLB_PATH), ERROR_SUCCESS);
  }

  ASSERT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYS_WIN32), S_OK);
  EXPECT_EQ(registry_test::Subkeys(HKEY_CLASSES_ROOT, kTypeLibKey + "\\1.0"),
            (std::vector<std::string>{"409", "FLAGS", "HELPDIR"}));
  ASSERT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0x409, SYS_WIN32), S_OK);
  EXPECT_EQ(registry_test::Subkeys(HKEY_CLASSES_ROOT, kTypeLibKey), std::vector<std::string>{"2.0"});
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 2, 0, 0, SYS_WIN64), TYPE_E_REGISTRYACCESS) << "other platform";
}

TEST_F(TypeLibRegister, AutomationInterfacesGetInterfaceKeys) {
  struct Case {
    const char *name;
    uint8_t kind;
    uint16_t flags;
    const char *proxy;
  } cases[] = {
      {"oleautomation", TKIND_INTERFACE, TYPEFLAG_FOLEAUTOMATION, "{00020424-0000-0000-C000-000000000046}"},
      {"dual", TKIND_INTERFACE, TYPEFLAG_FDUAL, "{00020424-0000-0000-C000-000000000046}"},
      {"dual dispinterface", TKIND_DISPATCH, TYPEFLAG_FDUAL, "{00020424-0000-0000-C000-000000000046}"},
      {"dispinterface", TKIND_DISPATCH, 0, "{00020420-0000-0000-C000-000000000046}"},
  };
  for (const Scope &s : kScopes)
    for (const Case &c : cases) {
      SCOPED_TRACE(std::string(s.name) + " " + c.name);
      std::string path;
      ITypeLib *lib = LoadCopy(
          [&](std::vector<uint8_t> &b) {
            const size_t at = TypeInfoAt(b, 1);
            b.at(at) = uint8_t((b.at(at) & 0xF0) | c.kind);
            Put16(b, at + 0x30, c.flags);
          },
          &path);
      ASSERT_NE(lib, nullptr);
      ASSERT_EQ(s.reg(lib, U16(path), nullptr), S_OK);
      lib->Release();
      const std::vector<std::string> expected = {
          std::string("@=ITovinCopyShlExt"),
          "ProxyStubClsid",
          std::string("ProxyStubClsid @=") + c.proxy,
          "ProxyStubClsid32",
          std::string("ProxyStubClsid32 @=") + c.proxy,
          "TypeLib",
          std::string("TypeLib @=") + kLibraryText,
          "TypeLib Version=1.0",
      };
      EXPECT_EQ(Listing(s.root, s.prefix + kInterfaceKey), expected);
      ASSERT_EQ(s.unreg(1, 0, 0), S_OK);
      EXPECT_FALSE(registry_test::Exists(s.root, s.prefix + kInterfaceKey));
    }

  // An interface key another library owns stays.
  std::string path;
  ITypeLib *lib = LoadCopy([](std::vector<uint8_t> &b) { Put16(b, TypeInfoAt(b, 1) + 0x30, TYPEFLAG_FDUAL); }, &path);
  ASSERT_EQ(RegisterTypeLib(lib, U16(path).c_str(), nullptr), S_OK);
  lib->Release();
  Key key;
  ASSERT_EQ(registry_test::Create(HKEY_CLASSES_ROOT, kInterfaceKey + "\\TypeLib", &key), ERROR_SUCCESS);
  ASSERT_EQ(registry_test::SetString(key.get(), "", "{00000000-0000-0000-0000-000000000001}"), ERROR_SUCCESS);
  ASSERT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYS_WIN32), S_OK);
  EXPECT_TRUE(registry_test::Exists(HKEY_CLASSES_ROOT, kInterfaceKey));
}

TEST_F(TypeLibRegister, FailuresGiveTheirCodes) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  const std::u16string path = U16(TOVINCOPYSHL_TLB_PATH);
  EXPECT_EQ(RegisterTypeLib(nullptr, path.c_str(), nullptr), E_INVALIDARG);
  EXPECT_EQ(RegisterTypeLib(lib, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYSKIND(9)), E_INVALIDARG);

  seams::SetMachineReadOnly(true);
  EXPECT_EQ(RegisterTypeLib(lib, path.c_str(), nullptr), TYPE_E_REGISTRYACCESS);
  std::u16string full = path;
  EXPECT_EQ(RegisterTypeLibForUser(lib, full.data(), nullptr), S_OK) << "the user's part stays writable";
  seams::SetMachineReadOnly(false);

  ASSERT_EQ(RegisterTypeLib(lib, path.c_str(), nullptr), S_OK);
  seams::FailOperation("RegDeleteKeyW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYS_WIN32), TYPE_E_REGISTRYACCESS);
  seams::ClearFaults();

  // Each of the four is a seam operation that fails before touching the registry.
  seams::SetRecording(true);
  for (const char *operation :
       {"RegisterTypeLib", "RegisterTypeLibForUser", "UnRegisterTypeLib", "UnRegisterTypeLibForUser"})
    seams::FailOperation(operation, uint32_t(E_ACCESSDENIED));
  EXPECT_EQ(RegisterTypeLib(lib, path.c_str(), u"C:\\help"), E_ACCESSDENIED);
  EXPECT_EQ(RegisterTypeLibForUser(lib, full.data(), nullptr), E_ACCESSDENIED);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0x409, SYS_WIN32), E_ACCESSDENIED);
  EXPECT_EQ(UnRegisterTypeLibForUser(kLibrary, 1, 0, 0, SYS_WIN32), E_ACCESSDENIED);
  EXPECT_TRUE(seams::Calls("RegCreateKeyExW").empty());
  EXPECT_TRUE(seams::Calls("RegDeleteKeyW").empty());
  const auto reg = seams::Calls("RegisterTypeLib");
  const auto unreg = seams::Calls("UnRegisterTypeLib");
  ASSERT_EQ(reg.size(), 1u);
  ASSERT_EQ(unreg.size(), 1u);
  EXPECT_EQ(reg[0].subject, TOVINCOPYSHL_TLB_PATH);
  EXPECT_EQ(reg[0].arguments, "helpdir=\"C:\\help\"");
  EXPECT_EQ(unreg[0].subject, kLibraryText);
  EXPECT_EQ(unreg[0].arguments, "version=1.0 lcid=0x00000409 syskind=1");
  lib->Release();
}

}  // namespace
