// The merged classes view and the read-only machine store.
#include "registry_fixture.h"

namespace registry_test {
namespace {

constexpr const char *kMachine = "SOFTWARE\\Classes\\";
constexpr const char *kUser = "Software\\Classes\\";

class RegistryClasses : public RegistryTest {
 protected:
  // HKCR\Shared exists in both halves; HKCR\MachineOnly and HKCR\UserOnly in one each.
  void SetUp() override {
    RegistryTest::SetUp();
    Key key;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared\\FromMachine", &key), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.get(), "", "machine"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "shared\\FromUser", &key), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "SHARED", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.get(), "", "user"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "MachineOnly"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "UserOnly"), ERROR_SUCCESS);
  }
};

TEST_F(RegistryClasses, PerUserKeyHidesTheMachineKeyForReading) {
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "user");
  EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, "MachineOnly"));
  EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, "useronly"));
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, "Neither"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\Classes\\shared\\FromUser")), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\Classes\\shared")), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "machine") << "the machine key shows once the user key is gone";
}

TEST_F(RegistryClasses, EnumerationListsTheUnionOnce) {
  EXPECT_EQ(Subkeys(HKEY_CLASSES_ROOT), (std::vector<std::string>{"MachineOnly", "shared", "UserOnly"}));
  EXPECT_EQ(Subkeys(HKEY_CLASSES_ROOT, "Shared"), (std::vector<std::string>{"FromMachine", "FromUser"}));
  DWORD subkeys = 0;
  ASSERT_EQ(RegQueryInfoKeyW(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 3u);
  Key nested;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &nested), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(nested.get(), "FromMachine")) << "opening below a merged key looks in both halves";
}

TEST_F(RegistryClasses, CreatesAndValueWritesLandInTheMachineClasses) {
  Key clsid;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, TEXT("CLSID\\{11111111-2222-3333-4444-555555555555}"), 0, nullptr, 0,
                            KEY_READ | KEY_WRITE, nullptr, clsid.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  ASSERT_EQ(SetString(clsid.get(), "", "Tovin"), ERROR_SUCCESS);
  ASSERT_EQ(Create(clsid.get(), "InprocServer32"), ERROR_SUCCESS);
  std::string path = std::string(kMachine) + "CLSID\\{11111111-2222-3333-4444-555555555555}";
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, path, ""), "Tovin");
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, path + "\\InprocServer32"));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, std::string(kUser) + "CLSID"));

  // A key that exists in both halves takes value writes in the machine half.
  Key shared;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &shared, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(shared.get(), "written", "here"), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", "written"), "here");
  ASSERT_EQ(Create(shared.get(), "NewChild"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared\\NewChild"));
  // One that exists only per user keeps its values there, and creating an
  // existing key through the view opens it rather than copying it.
  Key userOnly;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, TEXT("UserOnly"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            userOnly.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  ASSERT_EQ(SetString(userOnly.get(), "v", "u"), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kUser) + "UserOnly", "v"), "u");
  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "UserOnly"));
}

TEST_F(RegistryClasses, DeletesRemoveTheKeyThatReadingFinds) {
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("Shared")), ERROR_ACCESS_DENIED) << "the user key has a subkey";
  ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("Shared\\FromUser")), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("Shared")), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, std::string(kUser) + "Shared"));
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "machine");
  ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, TEXT("Shared")), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "Shared"));
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("Shared")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, TEXT("")), ERROR_ACCESS_DENIED);
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
  seams::SetMachineReadOnly(false);
  EXPECT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\New"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace registry_test
