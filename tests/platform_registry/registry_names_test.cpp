// Key and value names: case, length, depth, path syntax, the empty subkey.
#include "registry_fixture.h"

namespace registry_test {
namespace {

using RegistryNames = RegistryTest;

TEST_F(RegistryNames, KeysMatchCaseInsensitivelyAndKeepTheirFirstSpelling) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Tovin Copy\\MixedCase"), ERROR_SUCCESS);
  for (const char *spelling : {"software\\tovin copy\\mixedcase", "SOFTWARE\\TOVIN COPY\\MIXEDCASE",
                               "Software\\Tovin Copy\\mixedCASE"})
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, spelling)) << spelling;

  DWORD disposition = 0;
  Key again;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("SOFTWARE\\TOVIN COPY\\MIXEDCASE"), 0, nullptr, 0, KEY_READ,
                            nullptr, again.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(Subkeys(HKEY_CURRENT_USER, "software\\tovin copy"), std::vector<std::string>{"MixedCase"});
}

TEST_F(RegistryNames, ValueNamesMatchCaseInsensitivelyAndKeepTheirFirstSpelling) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Values", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "CopyApp", "first"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "COPYAPP", "second"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(key.get(), "copyapp"), "second");

  WCHAR name[32];
  DWORD size = 32;
  ASSERT_EQ(RegEnumValueW(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(U8(name), "CopyApp");
  size = 32;
  EXPECT_EQ(RegEnumValueW(key.get(), 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryNames, NonAsciiNamesFoldToo) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Ärger Überall"), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "software\\ärger überall"));
  EXPECT_TRUE(Holds(Subkeys(HKEY_CURRENT_USER, "Software"), "Ärger Überall")) << "listed in its first spelling";
}

struct PathCase {
  const char *path;
  LSTATUS create;
  const char *opensAs;  // an equivalent spelling that must then open, or null
};

class RegistryPathSyntax : public RegistryTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(RegistryPathSyntax, CreateAcceptsOrRefuses) {
  const PathCase &c = GetParam();
  const std::vector<std::string> before = Subkeys(HKEY_CURRENT_USER, "Software");
  EXPECT_EQ(Create(HKEY_CURRENT_USER, c.path), c.create) << c.path;
  if (c.opensAs) {
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, c.opensAs)) << c.path;
  }
  if (c.create != ERROR_SUCCESS) {
    EXPECT_EQ(Subkeys(HKEY_CURRENT_USER, "Software"), before) << "a refused path creates nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RegistryPathSyntax,
    ::testing::Values(PathCase{"Software\\A\\B\\C", ERROR_SUCCESS, "Software\\A\\B\\C"},
                      PathCase{"Software\\A\\\\B", ERROR_SUCCESS, "Software\\A\\B"},
                      PathCase{"Software\\A\\", ERROR_SUCCESS, "Software\\A"},
                      PathCase{"\\Software\\A", ERROR_BAD_PATHNAME, nullptr},
                      PathCase{"Software\\With Space.And-Dots {x}", ERROR_SUCCESS, "software\\WITH SPACE.AND-DOTS {X}"}));

TEST_F(RegistryNames, NamesOf255UnitsAreKeptAnd256AreRefused) {
  const std::string longest(255, 'k');
  const std::string tooLong(256, 'k');
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\" + longest), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\" + longest));
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\" + tooLong), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "Software\\" + tooLong), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\Fine\\" + tooLong), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Fine")) << "a refused path creates nothing";

  // The longest name fits the 256-unit buffer that enumeration callers use.
  Key names;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Names\\" + longest), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Names", &names), ERROR_SUCCESS);
  WCHAR name[256];
  DWORD size = 256;
  ASSERT_EQ(RegEnumKeyExW(names.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(size, 255u);
  EXPECT_EQ(U8(name), longest);
}

std::string Levels(size_t count) {
  std::string path;
  for (size_t i = 0; i < count; ++i) path += (i ? "\\" : "") + std::string("L");
  return path;
}

TEST_F(RegistryNames, TreesAre512LevelsDeep) {
  EXPECT_EQ(Create(HKEY_CURRENT_USER, Levels(512)), ERROR_SUCCESS);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, Levels(512)));
  EXPECT_EQ(Create(HKEY_CURRENT_USER, Levels(513)), ERROR_INVALID_PARAMETER);

  // The limit holds wherever the creation starts, and through the classes view,
  // whose keys lie two levels down in the machine's tree.
  Key deep;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, Levels(500), &deep), ERROR_SUCCESS);
  EXPECT_EQ(Create(deep.get(), Levels(13)), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Create(deep.get(), Levels(12)), ERROR_SUCCESS);
  EXPECT_EQ(Create(HKEY_CLASSES_ROOT, Levels(510)), ERROR_SUCCESS);
  EXPECT_EQ(Create(HKEY_CLASSES_ROOT, Levels(511)), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryNames, NullOrEmptySubkeyOpensTheKeyItself) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Self", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "v", "x"), ERROR_SUCCESS);
  for (const WCHAR *subkey : {static_cast<const WCHAR *>(nullptr), TEXT("")}) {
    Key self;
    ASSERT_EQ(RegOpenKeyExW(key.get(), subkey, 0, KEY_READ, self.out()), ERROR_SUCCESS);
    EXPECT_NE(self.get(), key.get());
    EXPECT_EQ(GetString(self.get(), "v"), "x");
    Key created;
    ASSERT_EQ(RegCreateKeyExW(key.get(), subkey, 0, nullptr, 0, KEY_READ, nullptr, created.out(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(GetString(created.get(), "v"), "x");
    // A predefined root gives itself.
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &root), ERROR_SUCCESS);
    EXPECT_EQ(root, HKEY_CURRENT_USER);
  }
}

// How roots are named: a predefined root by the low 32 bits of its value; the
// classes root also takes one leading backslash.
TEST_F(RegistryNames, RootsAreRecognisedByTheirLow32BitsAndClassesTakesALeadingBackslash) {
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Leading"), ERROR_SUCCESS);
  struct {
    HKEY root;
    const WCHAR *subkey;
    LSTATUS expected;
  } cases[] = {
      {HKEY_CLASSES_ROOT, TEXT("\\leading"), ERROR_SUCCESS},
      {HKEY_CLASSES_ROOT, TEXT("\\"), ERROR_SUCCESS},
      {HKEY_CURRENT_USER, TEXT("\\Software"), ERROR_BAD_PATHNAME},
      {reinterpret_cast<HKEY>(uintptr_t(uint32_t(uintptr_t(HKEY_CURRENT_USER)))), TEXT("Software"), ERROR_SUCCESS},
  };
  for (const auto &c : cases) {
    Key key;
    ASSERT_EQ(RegOpenKeyExW(c.root, c.subkey, 0, KEY_READ, key.out()), c.expected) << U8(c.subkey);
    if (!c.expected) {
      EXPECT_NE(key.get(), c.root) << U8(c.subkey);
    }
  }
}

// Handles opened through the classes view end in binary 10, which callers use
// to tell them from handles of the trees themselves.
TEST_F(RegistryNames, ClassesHandlesEndInBinary10) {
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Tagged"), ERROR_SUCCESS);
  const auto tag = [](const Key &key) { return reinterpret_cast<uintptr_t>(key.get()) & 3; };
  Key classes, root, machine;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "Tagged", &classes), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, TEXT("\\"), 0, KEY_READ, root.out()), ERROR_SUCCESS);
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Tagged", &machine), ERROR_SUCCESS);
  EXPECT_EQ(tag(classes), 2u);
  EXPECT_EQ(tag(root), 2u);
  EXPECT_EQ(tag(machine), 0u);
}

TEST_F(RegistryNames, ValueNamesUpTo16383Units) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Long", &key), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key.get(), std::string(16383, 'v'), "ok"), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key.get(), std::string(16384, 'v'), "no"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetString(key.get(), std::string(16383, 'V')), "ok");
}

}  // namespace
}  // namespace registry_test
