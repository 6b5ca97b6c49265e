// Keys: handles, deletion, enumeration, key information, access rights.
#include "registry_handle_operations.h"

namespace registry_test {
namespace {

using RegistryKeys = RegistryTest;

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

// Handle values no key was ever given. (Closed handles are checked under the
// substitute only: Windows gives their values to later keys.)
TEST_F(RegistryKeys, UnknownHandlesGiveInvalidHandle) {
  int dummy = 0;
  for (HKEY handle : {HKEY(nullptr), reinterpret_cast<HKEY>(&dummy)}) {
    for (const HandleOperation &op : HandleOperations())
      EXPECT_EQ(op.call(handle), ERROR_INVALID_HANDLE) << op.name << " " << handle;
    EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE) << handle;
  }
}

TEST_F(RegistryKeys, PredefinedRootsCloseWithoutEffect) {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS) << root;
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS)
        << root;
  }
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
    EXPECT_EQ(Create(root, "TovinProbe"), ERROR_SUCCESS) << root;
    EXPECT_TRUE(Exists(root, "tovinprobe")) << root;
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
}

// Deleting a key's contents takes DELETE, KEY_ENUMERATE_SUB_KEYS and
// KEY_QUERY_VALUE on its handle.
TEST_F(RegistryKeys, DeleteTreeOfTheContentsTakesTheHandlesRights) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\T\\A"), ERROR_SUCCESS);
  Key readOnly;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\T", &readOnly, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(readOnly.get(), nullptr), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\T\\A"));
}

TEST_F(RegistryKeys, EnumerationIsSortedCaseInsensitivelyAndBounded) {
  Key parent;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Enum", &parent), ERROR_SUCCESS);
  for (const char *name : {"beta", "Alpha", "gamma", "DELTA"}) ASSERT_EQ(Create(parent.get(), name), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(parent.get()), (std::vector<std::string>{"Alpha", "beta", "DELTA", "gamma"}));

  WCHAR name[8];
  DWORD size = 5;
  EXPECT_EQ(RegEnumKeyExW(parent.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 6;
  FILETIME written{};
  ASSERT_EQ(RegEnumKeyExW(parent.get(), 0, name, &size, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  EXPECT_NE(written.dwHighDateTime, 0u);
  size = 8;
  EXPECT_EQ(RegEnumKeyExW(parent.get(), 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

// Enumeration by index answers as if counted from the first entry each time,
// whatever the handle asked before and whatever changed in between through
// another handle. `column` picks what is listed: 0 the subkeys of a key, 1
// its values (in the order first set), 2 the subkeys through the merged
// classes view, whose machine half adds "m".
void WalkWhileChanging(int column) {
  Key listed, other, classes;
  const std::string walk = "Walk" + std::to_string(column);
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Classes\\" + walk, &listed, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + walk + "\\m"), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Classes\\" + walk, &other, KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, walk, &classes, KEY_ALL_ACCESS), ERROR_SUCCESS);
  for (const char *name : {"a", "c", "e"}) {
    ASSERT_EQ(Create(listed.get(), name), ERROR_SUCCESS);
    ASSERT_EQ(SetString(listed.get(), name, name), ERROR_SUCCESS);
  }
  const auto entry = [&](DWORD index) {
    WCHAR name[16];
    DWORD size = 16;
    LSTATUS r = column == 1 ? RegEnumValueW(listed.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr)
                            : RegEnumKeyExW(column == 0 ? listed.get() : classes.get(), index, name, &size, nullptr,
                                            nullptr, nullptr, nullptr);
    return r == ERROR_SUCCESS ? U8(name) : "(" + std::to_string(r) + ")";
  };
  const std::string none = "(" + std::to_string(ERROR_NO_MORE_ITEMS) + ")";
  struct {
    const char *change;  // made through the other handle before the read
    DWORD index;
    std::string expected[3];
  } steps[] = {
      {nullptr, 0, {"a", "a", "a"}},       {nullptr, 1, {"c", "c", "c"}},    {nullptr, 1, {"c", "c", "c"}},
      {"+b", 2, {"c", "e", "c"}},          {nullptr, 3, {"e", "b", "e"}},    {"-a", 0, {"b", "c", "b"}},
      {nullptr, 3, {none, none, "m"}},     {nullptr, 2, {"e", "b", "e"}},
  };
  for (const auto &step : steps) {
    if (step.change && step.change[0] == '+') {
      ASSERT_EQ(Create(other.get(), step.change + 1), ERROR_SUCCESS);
      ASSERT_EQ(SetString(other.get(), step.change + 1, "x"), ERROR_SUCCESS);
    } else if (step.change) {
      ASSERT_EQ(RegDeleteKeyW(other.get(), U16(step.change + 1).c_str()), ERROR_SUCCESS);
      ASSERT_EQ(RegDeleteValueW(other.get(), U16(step.change + 1).c_str()), ERROR_SUCCESS);
    }
    EXPECT_EQ(entry(step.index), step.expected[column])
        << (step.change ? step.change : "") << " index " << step.index;
  }
}

TEST_F(RegistryKeys, EnumerationByIndexFollowsChangesBetweenCalls) { WalkWhileChanging(0); }

TEST_F(RegistryKeys, ValueAndClassesEnumerationByIndexFollowsChangesBetweenCalls) {
  WalkWhileChanging(1);
  WalkWhileChanging(2);
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
  WCHAR keyClass[16];
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), keyClass, &classLength, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_INSUFFICIENT_BUFFER);
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
}

}  // namespace
}  // namespace registry_test
