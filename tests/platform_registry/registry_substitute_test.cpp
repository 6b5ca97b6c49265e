// What the substitute keeps beyond the contract the tables share with Windows:
// handle values never given again, no symbolic links, the hives kept whole,
// the read-only machine store. Several would change a shared Windows registry
// for good, so they run under the substitute only.
#include "platform_seams.h"
#include "registry_classes_fixture.h"
#include "registry_handle_operations.h"

namespace registry_test {
namespace {

using RegistrySubstitute = RegistryTest;

// HKEY_LOCAL_MACHINE\SOFTWARE stands for a hive: it stays, and a deletion that
// would take it fails whole.
TEST_F(RegistrySubstitute, TheSoftwareHiveCannotBeDeleted) {
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tovin"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tovin"));
  Key software;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE", &software, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTreeW(software.get(), nullptr), ERROR_SUCCESS) << "its contents can go";
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE")), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE"));
}

TEST_F(RegistrySubstitute, UnknownAndClosedHandlesGiveInvalidHandle) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Closed", &key), ERROR_SUCCESS);
  HKEY closed = key.release();
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  int dummy = 0;
  const HKEY bad[] = {nullptr, closed, reinterpret_cast<HKEY>(&dummy), HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA};
  for (HKEY handle : bad) {
    for (const HandleOperation &op : HandleOperations())
      EXPECT_EQ(op.call(handle), ERROR_INVALID_HANDLE) << op.name << " " << handle;
    if (handle != HKEY_PERFORMANCE_DATA && handle != HKEY_DYN_DATA) {
      EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE) << handle;
    }
  }
}

TEST_F(RegistrySubstitute, PredefinedRootsCloseWithoutEffectAndHandlesAreNeverReused) {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    EXPECT_EQ(Create(root, "TovinProbe"), ERROR_SUCCESS) << root;
    EXPECT_TRUE(Exists(root, "tovinprobe")) << root;
  }
  std::vector<HKEY> seen;
  for (int i = 0; i < 50; ++i) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software"), 0, KEY_READ, &key), ERROR_SUCCESS);
    for (HKEY earlier : seen) ASSERT_NE(key, earlier);
    seen.push_back(key);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
}

TEST_F(RegistrySubstitute, ArgumentsOfFeaturesItLacks) {
  Key key, child;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Links", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExW(key.get(), TEXT("Link"), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_READ, nullptr,
                            child.out(), nullptr),
            ERROR_INVALID_PARAMETER);
  DWORD size = 8;
  EXPECT_EQ(RegEnumKeyExW(key.get(), 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
  // The key itself, created with an empty subkey, is an existing key.
  for (const WCHAR *subkey : {static_cast<const WCHAR *>(nullptr), TEXT("")}) {
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(key.get(), subkey, 0, nullptr, 0, KEY_READ, nullptr, child.out(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  }
}

// The classes view follows the user's classes removed and made anew.
TEST_F(RegistryClasses, UserClassesRemovedAndMadeAnew) {
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, TEXT("Software\\Classes")), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "UserOnly"));
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "machine");
  ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "Again"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, "Again")) << "the user's classes made anew";
}

TEST_F(RegistryClasses, ReadOnlyMachineRefusesMachineWritesAndKeepsReads) {
  Key machineKey;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, std::string(kMachine) + "MachineOnly", &machineKey, KEY_READ), ERROR_SUCCESS);
  seams::SetMachineReadOnly(true);
  struct {
    const char *label;
    LSTATUS status;
  } cases[] = {
      {"create under HKLM", Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\New")},
      {"open HKLM for writing", Open(HKEY_LOCAL_MACHINE, "SOFTWARE", nullptr, KEY_WRITE)},
      {"open HKLM with MAXIMUM_ALLOWED, then write",
       [] {
         Key k;
         if (LSTATUS r = Open(HKEY_LOCAL_MACHINE, "SOFTWARE", &k, MAXIMUM_ALLOWED)) return r;
         return SetString(k.get(), "v", "x");
       }()},
      {"set through the predefined root", SetString(HKEY_LOCAL_MACHINE, "v", "x")},
      {"delete under HKLM", RegDeleteKeyW(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\Classes\\MachineOnly"))},
      {"delete tree under HKLM", RegDeleteTreeW(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\Classes\\Shared"))},
      {"create through HKCR", Create(HKEY_CLASSES_ROOT, "CLSID\\{x}")},
      {"open HKCR machine key for writing", Open(HKEY_CLASSES_ROOT, "MachineOnly", nullptr, KEY_SET_VALUE)},
      {"delete HKCR machine key", RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("MachineOnly"))},
      {"create under HKCC", Create(HKEY_CURRENT_CONFIG, "Profile")},
  };
  for (const auto &c : cases) EXPECT_EQ(c.status, ERROR_ACCESS_DENIED) << c.label;
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "MachineOnly"));
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared\\FromMachine"));
  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID"));

  // Reading, creating an existing machine key for reading, and the per-user half stay open.
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "user");
  Key existing;
  EXPECT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes", &existing, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(machineKey.get()).size(), 0u);
  EXPECT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "CLSID\\{x}"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("UserOnly")), ERROR_SUCCESS);
  Key shared;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &shared, KEY_ALL_ACCESS), ERROR_SUCCESS) << "its user half is writable";
  EXPECT_EQ(SetString(shared.get(), "v", "x"), ERROR_SUCCESS);
  EXPECT_EQ(Create(shared.get(), "Child"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, std::string(kUser) + "Shared\\Child")) << "the user's half takes it";
  seams::SetMachineReadOnly(false);
  EXPECT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\New"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace registry_test
