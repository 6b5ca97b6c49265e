// Type libraries under the substitute's seams: failed and recorded loads and
// registrations, a read-only machine part, hidden exports; and the
// substitute's answers where Windows's are not recorded: what it leaves
// unimplemented, negative indexes, null results, the registered path, and the
// interface keys of altered copies of the library, a library whose file is gone.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "platform_registry/registry_fixture.h"
#include "platform_seams.h"
#include "typelib_register_support.h"
#include "typelib_support.h"

using namespace typelib_test;
using namespace typelib_register;

namespace {

class TypeLibSeams : public registry_test::RegistryTest {};

TEST_F(TypeLibSeams, FailedRegistrationFailsARegisteringLoadOnly) {
  const std::string full = TOVINCOPYSHL_TLB_PATH;
  ITypeLib *registered = nullptr;
  ASSERT_EQ(LoadTypeLibEx(U16(full).c_str(), REGKIND_REGISTER, &registered), S_OK);
  registered->Release();
  EXPECT_EQ(registry_test::Read(HKEY_CLASSES_ROOT, std::string("TypeLib\\") + kLibraryText + "\\1.0\\0\\win32", ""), full)
      << "the full path as it was given";

  seams::FailOperation("RegisterTypeLib", uint32_t(TYPE_E_REGISTRYACCESS));
  ITypeLib *lib = reinterpret_cast<ITypeLib *>(1);
  EXPECT_EQ(LoadTypeLibEx(U16(full).c_str(), REGKIND_REGISTER, &lib), TYPE_E_REGISTRYACCESS);
  EXPECT_EQ(lib, nullptr);
  EXPECT_EQ(LoadTypeLib(U16(full).c_str(), &lib), S_OK) << "LoadTypeLib ignores a failed registration";
  lib->Release();
}

TEST_F(TypeLibSeams, LoadingIsASeamOperation) {
  seams::SetRecording(true);
  seams::FailOperation("LoadTypeLib", uint32_t(TYPE_E_IOERROR));
  ITypeLib *lib = reinterpret_cast<ITypeLib *>(1);
  EXPECT_EQ(LoadTypeLib(U16(TOVINCOPYSHL_TLB_PATH).c_str(), &lib), TYPE_E_IOERROR);
  EXPECT_EQ(lib, nullptr);
  ASSERT_EQ(LoadTypeLibEx(U16(TOVINCOPYSHL_TLB_PATH).c_str(), REGKIND_NONE, &lib), S_OK);
  lib->Release();
  auto calls = seams::Calls("LoadTypeLibEx");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].subject, TOVINCOPYSHL_TLB_PATH);
  EXPECT_EQ(calls[0].arguments, "regkind=2");
}

TEST_F(TypeLibSeams, HiddenRegistrationExportsAreNotFound) {
  HMODULE automation = GetModuleHandleW(TEXT("OLEAUT32.DLL"));
  ASSERT_NE(automation, nullptr);
  for (const char *name : {"RegisterTypeLib", "UnRegisterTypeLib", "RegisterTypeLibForUser", "UnRegisterTypeLibForUser",
                           "LoadTypeLibEx"}) {
    seams::HideExport("OLEAUT32.DLL", name);
    EXPECT_EQ(GetProcAddress(automation, name), nullptr) << name;
  }
}

TEST_F(TypeLibSeams, RegistrationFailuresGiveTheirCodes) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  const WideString path = U16(TOVINCOPYSHL_TLB_PATH);
  seams::SetMachineReadOnly(true);
  EXPECT_EQ(RegisterTypeLib(lib, path.c_str(), nullptr), TYPE_E_REGISTRYACCESS);
  WideString full = path;
  EXPECT_EQ(RegisterTypeLibForUser(lib, full.data(), nullptr), S_OK) << "the user's part stays writable";
  seams::SetMachineReadOnly(false);

  ASSERT_EQ(RegisterTypeLib(lib, path.c_str(), nullptr), S_OK);
  seams::FailOperation("RegDeleteKeyW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYS_WIN32), TYPE_E_REGISTRYACCESS);
  seams::ClearFaults();

  // Each of the four is a seam operation that fails before touching the registry.
  seams::SetRecording(true);
  const seams::Operation failing[] = {"RegisterTypeLib", "RegisterTypeLibForUser", "UnRegisterTypeLib",
                                     "UnRegisterTypeLibForUser"};
  for (seams::Operation operation : failing) seams::FailOperation(operation, uint32_t(E_ACCESSDENIED));
  EXPECT_EQ(RegisterTypeLib(lib, path.c_str(), TEXT("C:\\help")), E_ACCESSDENIED);
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

TEST_F(TypeLibSeams, UnimplementedPartsNegativeIndexesAndNullResults) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  BSTR name = nullptr;
  EXPECT_EQ(lib->GetDocumentation(-2, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->FindName(nullptr, 0, nullptr, nullptr, nullptr), E_NOTIMPL);
  ITypeInfo *missing = reinterpret_cast<ITypeInfo *>(1);
  EXPECT_EQ(lib->GetTypeInfoOfGuid(kLibrary, &missing), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(missing, nullptr);

  ITypeInfo *type = nullptr, *referred = nullptr, *imported = nullptr;
  HREFTYPE ref = 0;
  ASSERT_EQ(lib->GetTypeInfo(0, &type), S_OK);
  ASSERT_EQ(type->GetRefTypeOfImplType(0, &ref), S_OK);
  ASSERT_EQ(type->GetRefTypeInfo(ref, &referred), S_OK);
  ASSERT_EQ(referred->GetRefTypeOfImplType(0, &ref), S_OK);
  EXPECT_EQ(referred->GetRefTypeInfo(ref, &imported), E_NOTIMPL) << "imported types are not followed";
  EXPECT_EQ(referred->QueryInterface(IID_ITypeInfo, nullptr), E_POINTER);
  referred->Release();
  type->Release();
  ITypeLib *none = nullptr;
  EXPECT_EQ(LoadTypeLibEx(U16(TOVINCOPYSHL_TLB_PATH).c_str(), REGKIND(3), &none), E_INVALIDARG);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 2, 0, 0, SYS_WIN64), TYPE_E_REGISTRYACCESS) << "nothing for that platform";
  lib->Release();

  ITypeLib *sample = Load(TYPELIB_SAMPLE_PATH);
  ASSERT_NE(sample, nullptr);
  DWORD context = 0;
  ASSERT_EQ(sample->GetDocumentation(-1, nullptr, nullptr, &context, nullptr), S_OK);
  EXPECT_EQ(context, 7u) << "the library's help context";
  ASSERT_EQ(sample->GetTypeInfoOfGuid(kSampleInterface, &type), S_OK);
  EXPECT_EQ(type->GetDocumentation(0x60000000, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL) << "members' documentation";
  type->Release();
  sample->Release();
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
  ASSERT_EQ(Register(lib, U16(path).c_str(), nullptr), S_OK);
  lib->Release();
  Key key;
  ASSERT_EQ(registry_test::Create(HKEY_CLASSES_ROOT, kInterfaceKey + "\\TypeLib", &key), ERROR_SUCCESS);
  ASSERT_EQ(registry_test::SetString(key.get(), "", "{00000000-0000-0000-0000-000000000001}"), ERROR_SUCCESS);
  ASSERT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYS_WIN32), S_OK);
  EXPECT_TRUE(registry_test::Exists(HKEY_CLASSES_ROOT, kInterfaceKey));
}

TEST_F(TypeLibRegister, LibraryWhoseFileIsGoneIsWrittenAndRemoved) {
  for (const Scope &s : kScopes) {
    SCOPED_TRACE(s.name);
    ASSERT_EQ(registry_test::Create(s.root, s.prefix + "TypeLib\\{00000000-0000-0000-0000-000000000001}"),
              ERROR_SUCCESS);
    ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
    ASSERT_NE(lib, nullptr);
    ASSERT_EQ(s.reg(lib, TEXT("C:\\Program Files\\Tovin\\tovincopyshl.dll"), nullptr), S_OK);
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

}  // namespace
