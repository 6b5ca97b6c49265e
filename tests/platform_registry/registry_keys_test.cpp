// Keys: handles, deletion, enumeration, key information, access rights.
#include <functional>

#include "registry_fixture.h"

namespace registry_test {
namespace {

using RegistryKeys = RegistryTest;

struct HandleOperation {
  const char *name;
  std::function<LSTATUS(HKEY)> call;
};

// Every operation on a handle other than closing it.
std::vector<HandleOperation> HandleOperations() {
  return {
      {"RegOpenKeyExW", [](HKEY k) { Key c; return RegOpenKeyExW(k, nullptr, 0, KEY_READ, c.out()); }},
      {"RegOpenKeyExW sub", [](HKEY k) { Key c; return RegOpenKeyExW(k, TEXT("x"), 0, KEY_READ, c.out()); }},
      {"RegCreateKeyExW", [](HKEY k) { return Create(k, "x"); }},
      {"RegQueryValueExW",
       [](HKEY k) { DWORD n = 0; return RegQueryValueExW(k, TEXT("v"), nullptr, nullptr, nullptr, &n); }},
      {"RegSetValueExW", [](HKEY k) { return SetString(k, "v", "x"); }},
      {"RegDeleteValueW", [](HKEY k) { return RegDeleteValueW(k, TEXT("v")); }},
      {"RegEnumKeyExW",
       [](HKEY k) { char16_t n[8]; DWORD s = 8; return RegEnumKeyExW(k, 0, n, &s, nullptr, nullptr, nullptr, nullptr); }},
      {"RegEnumValueW",
       [](HKEY k) { char16_t n[8]; DWORD s = 8; return RegEnumValueW(k, 0, n, &s, nullptr, nullptr, nullptr, nullptr); }},
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

TEST_F(RegistryKeys, HandlesOfDeletedKeysGiveKeyDeleted) {
  for (const HandleOperation &op : HandleOperations()) {
    Key key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Doomed", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\Doomed")), ERROR_SUCCESS);
    EXPECT_EQ(op.call(key.get()), ERROR_KEY_DELETED) << op.name;
    // A new key of the same name is another key; the old handle stays stale.
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);
    EXPECT_EQ(op.call(key.get()), ERROR_KEY_DELETED) << op.name;
    EXPECT_EQ(RegCloseKey(key.release()), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, TEXT("Software\\Doomed")), ERROR_SUCCESS);
  }
}

TEST_F(RegistryKeys, UnknownAndClosedHandlesGiveInvalidHandle) {
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

TEST_F(RegistryKeys, PredefinedRootsCloseWithoutEffectAndHandlesAreNeverReused) {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    EXPECT_EQ(Create(root, "Probe"), ERROR_SUCCESS) << root;
    EXPECT_TRUE(Exists(root, "probe")) << root;
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

TEST_F(RegistryKeys, OpenAndDeleteOfMissingKeys) {
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "Software\\Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\Nothing")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, TEXT("Software\\Nothing")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software"), 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeys, DeleteKeyRefusesKeysWithSubkeysButNotWithValues) {
  Key parent;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\Child", nullptr), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\P", &parent, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(parent.get(), "v", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\P")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P"), KEY_WOW64_32KEY, 0), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\P\\Child"));
  EXPECT_EQ(RegDeleteKeyExW(parent.get(), TEXT("CHILD"), KEY_WOW64_64KEY, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(parent.get(), TEXT("")), ERROR_SUCCESS) << "the empty name deletes the key itself";
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\P"));
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("")), ERROR_ACCESS_DENIED) << "roots stay";
}

// HKEY_LOCAL_MACHINE\SOFTWARE stands for a hive: it stays, and a deletion that
// would take it fails whole.
TEST_F(RegistryKeys, TheSoftwareHiveCannotBeDeleted) {
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

TEST_F(RegistryKeys, DeleteTreeRemovesTheSubtreeOrOnlyTheContents) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\T\\A\\B\\C"), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\T\\D"), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\TT"), ERROR_SUCCESS);
  Key t;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\T", &t, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(SetString(t.get(), "v", "x"), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteTreeW(t.get(), TEXT("A")), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(t.get()), std::vector<std::string>{"D"});
  EXPECT_EQ(RegDeleteTreeW(t.get(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(Subkeys(t.get()).empty());
  LSTATUS status = 0;
  GetString(t.get(), "v", &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\T"));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\TT")) << "siblings stay";
  Key readOnly;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\T", &readOnly, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(readOnly.get(), nullptr), ERROR_ACCESS_DENIED) << "needs DELETE on the handle";
}

TEST_F(RegistryKeys, EnumerationIsSortedCaseInsensitivelyAndBounded) {
  for (const char *name : {"beta", "Alpha", "gamma", "DELTA"}) ASSERT_EQ(Create(HKEY_USERS, name), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(HKEY_USERS), (std::vector<std::string>{"Alpha", "beta", "DELTA", "gamma"}));

  char16_t name[8];
  DWORD size = 5;
  EXPECT_EQ(RegEnumKeyExW(HKEY_USERS, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 6;
  FILETIME written{};
  ASSERT_EQ(RegEnumKeyExW(HKEY_USERS, 0, name, &size, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  EXPECT_NE(written.dwHighDateTime, 0u);
  size = 8;
  EXPECT_EQ(RegEnumKeyExW(HKEY_USERS, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyExW(HKEY_USERS, 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeys, QueryInfoCountsSubkeysValuesAndLongestNames) {
  Key key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\Info"), 0, const_cast<LPWSTR>(TEXT("KeyClass")), 0,
                            KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(Create(key.get(), "abc"), ERROR_SUCCESS);
  ASSERT_EQ(Create(key.get(), "abcdefg"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key.get(), "value", REG_BINARY, "0123456789"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key.get(), "v", REG_BINARY, "x"), ERROR_SUCCESS);
  DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxValue = 0, classLength = 3;
  char16_t keyClass[16];
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), keyClass, &classLength, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  EXPECT_EQ(classLength, 8u);
  classLength = 16;
  ASSERT_EQ(RegQueryInfoKeyW(key.get(), keyClass, &classLength, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                             &maxValueName, &maxValue, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(U8(keyClass), "KeyClass");
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(maxSubkey, 7u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxValueName, 5u);
  EXPECT_EQ(maxValue, 10u);
}

TEST_F(RegistryKeys, HandlesAllowOnlyTheRightsTheyWereOpenedWith) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Rights\\Sub"), ERROR_SUCCESS);
  Key query, write, generic;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Rights", &query, KEY_QUERY_VALUE | KEY_WOW64_32KEY), ERROR_SUCCESS);
  EXPECT_EQ(SetString(query.get(), "v", "x"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Subkeys(query.get()).empty()) << "KEY_QUERY_VALUE does not enumerate";
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Rights", &write, KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(SetString(write.get(), "v", "x"), ERROR_SUCCESS);
  LSTATUS status = 0;
  GetString(write.get(), "v", &status);
  EXPECT_EQ(status, ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetString(query.get(), "v"), "x");
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Rights", &generic, GENERIC_READ), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(generic.get()), std::vector<std::string>{"Sub"});
}

TEST_F(RegistryKeys, VolatileKeysTakeOnlyVolatileChildren) {
  Key key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\Vol"), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(Create(key.get(), "Stable"), ERROR_CHILD_MUST_BE_VOLATILE);
  Key child;
  EXPECT_EQ(RegCreateKeyExW(key.get(), TEXT("Also"), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr, child.out(),
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExW(key.get(), TEXT("Link"), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_READ, nullptr,
                            child.out(), nullptr),
            ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace registry_test
