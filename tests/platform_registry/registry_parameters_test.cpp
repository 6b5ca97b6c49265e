// Reserved arguments, options, flags and view bits the registry refuses or
// ignores, and the rights creating a subkey does not ask for.
#include <functional>

#include "registry_fixture.h"

namespace registry_test {
namespace {

using RegistryParameters = RegistryTest;

// RRF_SUBKEY_WOW6464KEY | RRF_SUBKEY_WOW6432KEY, which older SDK headers lack.
constexpr DWORD kBothSubkeyViews = 0x00030000;

TEST_F(RegistryParameters, RefusedCombinationsChangeNothing) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\Leaf", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "v", "x"), ERROR_SUCCESS);
  struct {
    const char *label;
    std::function<LSTATUS()> call;
  } cases[] = {
      {"create: reserved not zero",
       [] {
         Key k;
         return RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\New"), 1, nullptr, 0, KEY_READ, nullptr, k.out(),
                                nullptr);
       }},
      {"get: both subkey views",
       [&] { return RegGetValueW(key.get(), nullptr, TEXT("v"), RRF_RT_ANY | kBothSubkeyViews, nullptr, nullptr, nullptr); }},
  };
  for (const auto &c : cases) EXPECT_EQ(c.call(), ERROR_INVALID_PARAMETER) << c.label;
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\New"));
  EXPECT_EQ(GetString(key.get(), "v"), "x");
}

// Options, view bits and reserved arguments that are not checked: the call
// does what it would do without them.
TEST_F(RegistryParameters, UncheckedArgumentsAreIgnored) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P", &key), ERROR_SUCCESS);
  const REGSAM both = KEY_WOW64_32KEY | KEY_WOW64_64KEY;
  const BYTE data[4] = {1, 2, 3, 4};
  struct {
    const char *label;
    std::function<LSTATUS()> call;
  } cases[] = {
      {"open: REG_OPTION_OPEN_LINK",
       [] { Key k; return RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P"), REG_OPTION_OPEN_LINK, KEY_READ, k.out()); }},
      {"open: REG_OPTION_VOLATILE",
       [] { Key k; return RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P"), REG_OPTION_VOLATILE, KEY_READ, k.out()); }},
      {"open: both registry views",
       [&] { Key k; return RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\P"), 0, KEY_READ | both, k.out()); }},
      {"create: both registry views",
       [&] {
         Key k;
         return RegCreateKeyExW(key.get(), TEXT("A"), 0, nullptr, 0, KEY_READ | both, nullptr, k.out(), nullptr);
       }},
      {"create: unknown option",
       [&] { Key k; return RegCreateKeyExW(key.get(), TEXT("B"), 0, nullptr, 0x100, KEY_READ, nullptr, k.out(), nullptr); }},
      {"set: reserved not zero", [&] { return RegSetValueExW(key.get(), TEXT("v"), 1, REG_BINARY, data, 4); }},
      {"delete: reserved not zero", [&] { return RegDeleteKeyExW(key.get(), TEXT("A"), 0, 1); }},
      {"delete: both registry views", [&] { return RegDeleteKeyExW(key.get(), TEXT("B"), both, 0); }},
      {"get: unknown flag",
       [&] { return RegGetValueW(key.get(), nullptr, TEXT("v"), RRF_RT_ANY | 0x00040000, nullptr, nullptr, nullptr); }},
  };
  for (const auto &c : cases) EXPECT_EQ(c.call(), ERROR_SUCCESS) << c.label;
  EXPECT_TRUE(Subkeys(key.get()).empty());
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key.get(), TEXT("v"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
}

// Creating a key below a handle asks nothing of the handle's rights: every
// Windows version ignores them there.
TEST_F(RegistryParameters, CreatingASubkeyIgnoresTheParentHandlesRights) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\Existing"), ERROR_SUCCESS);
  ASSERT_EQ(Create(HKEY_CLASSES_ROOT, "TovinProgid"), ERROR_SUCCESS);
  struct {
    HKEY root;
    const char *path;
    REGSAM rights;
  } parents[] = {
      {HKEY_CURRENT_USER, "Software\\P", KEY_NOTIFY},
      {HKEY_CURRENT_USER, "Software\\P", KEY_READ | KEY_SET_VALUE},
      {HKEY_CLASSES_ROOT, "TovinProgid", KEY_READ},
  };
  for (const auto &p : parents) {
    Key parent, child;
    ASSERT_EQ(Open(p.root, p.path, &parent, p.rights), ERROR_SUCCESS) << p.path;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExW(parent.get(), TEXT("New\\Deeper"), 0, nullptr, 0, KEY_SET_VALUE, nullptr, child.out(),
                              &disposition),
              ERROR_SUCCESS)
        << p.path << " " << p.rights;
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY)) << p.path;
    EXPECT_TRUE(Exists(p.root, std::string(p.path) + "\\New\\Deeper")) << p.path;
    EXPECT_EQ(Create(parent.get(), "New", nullptr, KEY_READ), ERROR_SUCCESS) << "an existing one opens";
    child.Close();
    ASSERT_EQ(RegDeleteTreeW(p.root, U16(std::string(p.path) + "\\New").c_str()), ERROR_SUCCESS);
  }
}

}  // namespace
}  // namespace registry_test
