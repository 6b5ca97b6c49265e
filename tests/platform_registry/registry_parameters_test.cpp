// Reserved arguments, options, flags and view bits the registry refuses, and
// the right that creating a subkey takes.
#include <functional>

#include "registry_fixture.h"

namespace registry_test {
namespace {

using RegistryParameters = RegistryTest;

TEST_F(RegistryParameters, RefusedCombinationsChangeNothing) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\Leaf", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "v", "x"), ERROR_SUCCESS);
  const REGSAM both = KEY_WOW64_32KEY | KEY_WOW64_64KEY;
  const BYTE data[4] = {};
  struct {
    const char *label;
    std::function<LSTATUS()> call;
  } cases[] = {
      {"open: options other than REG_OPTION_OPEN_LINK",
       [] { Key k; return RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software"), REG_OPTION_VOLATILE, KEY_READ, k.out()); }},
      {"open: both registry views",
       [&] { Key k; return RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software"), 0, KEY_READ | both, k.out()); }},
      {"create: reserved not zero",
       [] {
         Key k;
         return RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\New"), 1, nullptr, 0, KEY_READ, nullptr, k.out(),
                                nullptr);
       }},
      {"create: both registry views",
       [&] {
         Key k;
         return RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\New"), 0, nullptr, 0, KEY_READ | both, nullptr,
                                k.out(), nullptr);
       }},
      {"set: reserved not zero", [&] { return RegSetValueExW(key.get(), TEXT("v"), 1, REG_BINARY, data, 4); }},
      {"delete: reserved not zero", [] { return RegDeleteKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P\\Leaf"), 0, 1); }},
      {"delete: both registry views",
       [&] { return RegDeleteKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P\\Leaf"), both, 0); }},
      {"get: unknown flag",
       [&] { return RegGetValueW(key.get(), nullptr, TEXT("v"), RRF_RT_ANY | 0x00040000, nullptr, nullptr, nullptr); }},
      {"get: both subkey views",
       [&] { return RegGetValueW(key.get(), nullptr, TEXT("v"), RRF_RT_ANY | RRF_WOW64_MASK, nullptr, nullptr, nullptr); }},
  };
  for (const auto &c : cases) EXPECT_EQ(c.call(), ERROR_INVALID_PARAMETER) << c.label;
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\New"));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\P\\Leaf"));
  EXPECT_EQ(GetString(key.get(), "v"), "x");

  Key link;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P"), REG_OPTION_OPEN_LINK, KEY_READ, link.out()),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P\\Leaf"), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
}

// Creating a subkey directly below a handle takes KEY_CREATE_SUB_KEY on it;
// opening an existing one through RegCreateKeyExW does not.
TEST_F(RegistryParameters, CreatingASubkeyTakesTheCreateRight) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\Existing"), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_CLASSES_ROOT, "Progid"), ERROR_SUCCESS);
  Key parent, classes;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\P", &parent, KEY_READ | KEY_SET_VALUE), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Progid", &classes, KEY_READ), ERROR_SUCCESS);
  for (HKEY handle : {parent.get(), classes.get()}) {
    EXPECT_EQ(Create(handle, "New"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Exists(handle, "New"));
  }
  EXPECT_EQ(Create(parent.get(), "Existing", nullptr, KEY_READ), ERROR_SUCCESS);
  Key writable;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\P", &writable, KEY_CREATE_SUB_KEY), ERROR_SUCCESS);
  EXPECT_EQ(Create(writable.get(), "New\\Deeper"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace registry_test
