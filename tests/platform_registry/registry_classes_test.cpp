// The merged classes view of the user's and the machine's classes.
#include <cctype>

#include "registry_classes_fixture.h"

namespace registry_test {
namespace {

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
  const std::vector<std::string> all = Subkeys(HKEY_CLASSES_ROOT);
  std::vector<std::string> ours;  // the keys of this test, among those the registry already has
  for (const std::string &name : all) {
    std::string folded = name;
    for (char &c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (folded == "machineonly" || folded == "shared" || folded == "useronly") ours.push_back(name);
  }
  EXPECT_EQ(ours, (std::vector<std::string>{"MachineOnly", "shared", "UserOnly"}));
  EXPECT_EQ(Subkeys(HKEY_CLASSES_ROOT, "Shared"), (std::vector<std::string>{"FromMachine", "FromUser"}));
  DWORD subkeys = 0;
  ASSERT_EQ(RegQueryInfoKeyW(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, all.size());
  Key nested;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &nested), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(nested.get(), "FromMachine")) << "opening below a merged key looks in both halves";
}

// Which half a write through the view lands in: a new key goes to the
// machine's unless its deepest existing ancestor is the user's alone, a key
// right below the root to the machine's; a value goes to the user's key when
// there is one.
TEST_F(RegistryClasses, WritesLandInTheHalfThatHoldsTheKey) {
  struct {
    const char *created;  // below HKEY_CLASSES_ROOT
    const char *half;     // where it must then exist
  } keys[] = {
      {"CLSID\\{11111111-2222-3333-4444-555555555555}", kMachine},
      {"Shared\\NewChild", kMachine},
      {"Shared\\FromMachine\\Deeper", kMachine},
      {"MachineOnly\\New", kMachine},
      {"UserOnly\\New\\Deeper", kUser},
  };
  for (const auto &k : keys) {
    DWORD disposition = 0;
    Key key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, U16(k.created).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.out(), &disposition),
              ERROR_SUCCESS)
        << k.created;
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY)) << k.created;
    const char *other = k.half == kUser ? kMachine : kUser;
    HKEY root = k.half == kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY otherRoot = k.half == kUser ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    EXPECT_TRUE(Exists(root, std::string(k.half) + k.created)) << k.created;
    EXPECT_FALSE(Exists(otherRoot, std::string(other) + k.created)) << k.created;
  }
  Key shared;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &shared, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(Create(shared.get(), "ViaHandle"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared\\ViaHandle"));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, std::string(kUser) + "Shared\\ViaHandle"));

  struct {
    const char *key;
    HKEY root;
    const char *half;
  } values[] = {{"Shared", HKEY_CURRENT_USER, kUser},
                {"MachineOnly", HKEY_LOCAL_MACHINE, kMachine},
                {"UserOnly", HKEY_CURRENT_USER, kUser}};
  for (const auto &v : values) {
    Key key;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, v.key, &key, KEY_ALL_ACCESS), ERROR_SUCCESS) << v.key;
    ASSERT_EQ(SetString(key.get(), "written", v.key), ERROR_SUCCESS) << v.key;
    EXPECT_EQ(Read(v.root, std::string(v.half) + v.key, "written"), v.key);
  }
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", ""), "machine") << "the machine key is untouched";
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", "written"), "");

  // An existing key is opened, not copied into the other half.
  DWORD disposition = 0;
  Key userOnly;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, TEXT("UserOnly"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            userOnly.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, std::string(kMachine) + "UserOnly"));
}

// A key in both halves shows the values of both: the user's first, a name in
// both once with the user's data; reading and counting agree with enumeration.
TEST_F(RegistryClasses, ValuesOfBothHalvesAreMerged) {
  Key machine, user, merged;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", &machine, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CURRENT_USER, std::string(kUser) + "Shared", &user, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(machine.get(), "OnlyMachine", "m"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(user.get(), "OnlyUser", "u"), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &merged, KEY_ALL_ACCESS), ERROR_SUCCESS);

  std::vector<std::string> listed;
  for (DWORD i = 0;; ++i) {
    WCHAR name[32], data[32];
    DWORD size = 32, bytes = sizeof data;
    if (RegEnumValueW(merged.get(), i, name, &size, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &bytes))
      break;
    listed.push_back(U8(name) + "=" + U8(data));
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"=user", "OnlyUser=u", "OnlyMachine=m"}));
  EXPECT_EQ(GetString(merged.get(), "OnlyMachine"), "m");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", "onlymachine"), "m");
  DWORD values = 0, longestName = 0;
  ASSERT_EQ(RegQueryInfoKeyW(merged.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             &longestName, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 3u);
  EXPECT_EQ(longestName, 11u);

  // Deleting removes the value that reading finds, so the machine's shows again.
  ASSERT_EQ(RegDeleteValueW(merged.get(), nullptr), ERROR_SUCCESS);
  EXPECT_EQ(GetString(merged.get(), ""), "machine");
  EXPECT_EQ(RegDeleteValueW(merged.get(), TEXT("OnlyMachine")), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", "OnlyMachine"), "");
  EXPECT_EQ(RegDeleteValueW(merged.get(), TEXT("OnlyMachine")), ERROR_FILE_NOT_FOUND);
}

// A handle keeps to the key it was opened on: once that key is deleted the
// handle fails with ERROR_KEY_DELETED rather than reading the other half.
TEST_F(RegistryClasses, HandleOfADeletedHalfGivesKeyDeleted) {
  Key shared, machineOnly;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Shared", &shared, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "MachineOnly", &machineOnly, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, TEXT("Software\\Classes\\Shared")), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\Classes\\MachineOnly")), ERROR_SUCCESS);
  for (HKEY handle : {shared.get(), machineOnly.get()}) {
    LSTATUS status = 0;
    GetString(handle, "", &status);
    EXPECT_EQ(status, ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(handle, "v", "x"), ERROR_KEY_DELETED);
    WCHAR name[16];
    DWORD size = 16;
    EXPECT_EQ(RegEnumKeyExW(handle, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumValueW(handle, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(Open(handle, "FromMachine"), ERROR_KEY_DELETED);
    EXPECT_EQ(Create(handle, "New"), ERROR_KEY_DELETED);
  }
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Shared", ""), "machine") << "a new handle finds the machine's key";
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, std::string(kUser) + "Shared\\New"));
}

// Lookups through the view follow keys made after a handle was opened.
TEST_F(RegistryClasses, LookupsFollowLaterChangesOfTheUserHalf) {
  Key machineOnly;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "MachineOnly", &machineOnly), ERROR_SUCCESS);
  Key late;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "MachineOnly\\Late", &late), ERROR_SUCCESS);
  ASSERT_EQ(SetString(late.get(), "", "user"), ERROR_SUCCESS);
  EXPECT_EQ(Read(machineOnly.get(), "Late", ""), "user") << "below a machine-only handle";
  Key machine, user;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, std::string(kMachine) + "MachineOnly", &machine, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(machine.get(), "v", "machine"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(machineOnly.get(), "v"), "machine");
  ASSERT_EQ(Open(HKEY_CURRENT_USER, std::string(kUser) + "MachineOnly", &user, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(user.get(), "v", "user"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(machineOnly.get(), "v"), "user") << "the handle turns to the user's key once there is one";
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

}  // namespace
}  // namespace registry_test
