// RegisterTypeLib(ForUser) and UnRegisterTypeLib(ForUser): the keys written
// and removed, for the machine and for one user.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "typelib_register_support.h"

using namespace typelib_test;
using namespace typelib_register;
using registry_test::Key;

namespace {

// For the machine; the user's scope and a second removal are the substitute's
// own (typelib_seams_test.cpp).
TEST_F(TypeLibRegister, WritesTheLibraryKeysAndRemovesThemAgain) {
  for (const Scope &s : {kScopes[0]}) {
    SCOPED_TRACE(s.name);
    ASSERT_EQ(registry_test::Create(s.root, s.prefix + "TypeLib\\{00000000-0000-0000-0000-000000000001}"),
              ERROR_SUCCESS);
    ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
    ASSERT_NE(lib, nullptr);
    const std::string file = TOVINCOPYSHL_TLB_PATH;
    ASSERT_EQ(s.reg(lib, U16(file), nullptr), S_OK);
    const std::vector<std::string> expected = {
        "1.0",
        "1.0 @=tovincopyshl 1.0 Type Library",
        "1.0\\0",
        "1.0\\0\\win32",
        "1.0\\0\\win32 @=" + file,
        "1.0\\FLAGS",
        "1.0\\HELPDIR",
        "1.0\\HELPDIR @=" + file.substr(0, file.find_last_of("/\\")),
    };
    // FLAGS is checked on its own (FlagsAreTheLibrarysOwn).
    std::vector<std::string> listing = Listing(s.root, s.prefix + kTypeLibKey);
    listing.erase(std::remove_if(listing.begin(), listing.end(),
                                 [](const std::string &line) { return line.starts_with("1.0\\FLAGS @="); }),
                  listing.end());
    EXPECT_EQ(listing, expected);
    EXPECT_TRUE(Listing(s.root, s.prefix + kInterfaceKey).empty()) << "not an automation interface";

    ASSERT_EQ(s.unreg(1, 0, 0), S_OK);
    EXPECT_FALSE(registry_test::Exists(s.root, s.prefix + kTypeLibKey));
    EXPECT_TRUE(registry_test::Exists(s.root, s.prefix + "TypeLib\\{00000000-0000-0000-0000-000000000001}"));
    lib->Release();
  }
}

// FLAGS records the library's own flags, not that it was read from a file.
TEST_F(TypeLibRegister, FlagsAreTheLibrarysOwn) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  ASSERT_EQ(Register(lib, U16(TOVINCOPYSHL_TLB_PATH).c_str(), nullptr), S_OK);
  EXPECT_EQ(registry_test::Read(HKEY_CLASSES_ROOT, kTypeLibKey + "\\1.0\\FLAGS", ""), "0");
  lib->Release();
}

TEST_F(TypeLibRegister, KeepsWhatOtherLocalesAndVersionsStillUse) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  ASSERT_EQ(Register(lib, U16(TOVINCOPYSHL_TLB_PATH).c_str(), TEXT("/help")), S_OK);
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
}

TEST_F(TypeLibRegister, BadArgumentsAreRefused) {
  ITypeLib *lib = Load(TOVINCOPYSHL_TLB_PATH);
  ASSERT_NE(lib, nullptr);
  const WideString path = U16(TOVINCOPYSHL_TLB_PATH);
  EXPECT_EQ(Register(nullptr, path.c_str(), nullptr), E_INVALIDARG);
  EXPECT_EQ(Register(lib, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(UnRegisterTypeLib(kLibrary, 1, 0, 0, SYSKIND(9)), E_INVALIDARG);
  lib->Release();
}

}  // namespace
