// CRegistryKey against the substitute registry.
#include "registrar/registry_key.h"

#include <gtest/gtest.h>

#include "platform_seams.h"
#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;

const std::u16string kBase = u"Software\\KeyTest";

class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_EQ(key_.Create(HKEY_CURRENT_USER, kBase.c_str()), ERROR_SUCCESS);
  }
  CRegistryKey key_;
};

struct WriteCase {
  const char *label;
  LONG (*write)(CRegistryKey &key);
  DWORD type;
  std::vector<BYTE> bytes;
};

TEST_F(RegistryKeyTest, WritersStoreExactBytesAndType) {
  const WriteCase cases[] = {
      {"empty string keeps its terminator", [](CRegistryKey &k) { return k.WriteString(u"v", u"", REG_SZ); },
       REG_SZ, {0, 0}},
      {"string", [](CRegistryKey &k) { return k.WriteString(u"v", u"ab", REG_SZ); }, REG_SZ,
       {'a', 0, 'b', 0, 0, 0}},
      {"two one-character strings", [](CRegistryKey &k) { return k.WriteMultiString(u"v", u"a\0b\0"); },
       REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
      {"empty multi-string", [](CRegistryKey &k) { return k.WriteMultiString(u"v", u""); }, REG_MULTI_SZ, {0, 0}},
      {"dword zero", [](CRegistryKey &k) { return k.WriteDword(u"v", 0); }, REG_DWORD, {0, 0, 0, 0}},
      {"dword little-endian", [](CRegistryKey &k) { return k.WriteDword(u"v", 0x12345678); }, REG_DWORD,
       {0x78, 0x56, 0x34, 0x12}},
      {"binary", [](CRegistryKey &k) {
         const BYTE b[] = {1, 0, 0xFF};
         return k.WriteBinary(u"v", b, 3);
       }, REG_BINARY, {1, 0, 0xFF}},
      {"empty binary", [](CRegistryKey &k) { return k.WriteBinary(u"v", nullptr, 0); }, REG_BINARY, {}},
  };
  for (const WriteCase &c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(c.write(key_), ERROR_SUCCESS);
    RawValue value = ReadValue(HKEY_CURRENT_USER, kBase, u"v");
    ASSERT_EQ(value.code, ERROR_SUCCESS);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.bytes, c.bytes);
  }
}

TEST_F(RegistryKeyTest, AbsentTextIsInvalidDataAndWritesNothing) {
  EXPECT_EQ(key_.WriteString(u"v", nullptr, REG_SZ), ERROR_INVALID_DATA);
  EXPECT_EQ(key_.WriteMultiString(u"w", nullptr), ERROR_INVALID_DATA);
  EXPECT_EQ(seams::CallCount("RegSetValueExW"), 0u);
  EXPECT_TRUE(Listing(HKEY_CURRENT_USER, kBase).empty());
}

TEST_F(RegistryKeyTest, FailedOpenKeepsTheHeldKeyOpen) {
  HKEY held = key_.handle;
  EXPECT_EQ(key_.Open(HKEY_CURRENT_USER, u"Software\\NoSuchKey", KEY_READ), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key_.handle, held);
  EXPECT_EQ(key_.WriteDword(u"still", 1), ERROR_SUCCESS);
  EXPECT_EQ(seams::CallCount("RegCloseKey"), 0u);
}

TEST_F(RegistryKeyTest, SuccessfulOpenClosesThePreviousKeyAndKeepsViewBits) {
  EXPECT_EQ(key_.viewBits, 0u);
  EXPECT_EQ(key_.Open(HKEY_CURRENT_USER, kBase.c_str(), KEY_READ | KEY_WOW64_32KEY), ERROR_SUCCESS);
  EXPECT_EQ(seams::CallCount("RegCloseKey"), 1u);
  EXPECT_EQ(key_.viewBits, static_cast<REGSAM>(KEY_WOW64_32KEY));
  EXPECT_EQ(key_.Close(), ERROR_SUCCESS);
  EXPECT_EQ(key_.handle, nullptr);
  EXPECT_EQ(key_.viewBits, 0u);
  EXPECT_EQ(key_.Close(), ERROR_SUCCESS);  // holds nothing
  EXPECT_EQ(seams::CallCount("RegCloseKey"), 2u);
}

TEST_F(RegistryKeyTest, AViewGivesUpWithoutClosing) {
  {
    CRegistryKeyView borrowed(key_.handle);
    EXPECT_EQ(borrowed.key().viewBits, 0u);
    EXPECT_EQ(borrowed.key().handle, key_.handle);
  }
  EXPECT_EQ(seams::CallCount("RegCloseKey"), 0u);
  EXPECT_EQ(key_.WriteDword(u"v", 1), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, MoveHandsOverTheKey) {
  HKEY held = key_.handle;
  CRegistryKey moved(std::move(key_));
  EXPECT_EQ(moved.handle, held);
  EXPECT_EQ(key_.handle, nullptr);
  CRegistryKey target;
  target = std::move(moved);
  EXPECT_EQ(target.handle, held);
  EXPECT_EQ(moved.handle, nullptr);
  EXPECT_EQ(seams::CallCount("RegCloseKey"), 0u);
}

TEST_F(RegistryKeyTest, RemoveValue) {
  ASSERT_EQ(key_.WriteDword(u"v", 1), ERROR_SUCCESS);
  EXPECT_EQ(key_.RemoveValue(u"v"), ERROR_SUCCESS);
  EXPECT_EQ(key_.RemoveValue(u"v"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeyTest, RemoveSubtreeDeletesDeepestFirst) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\A\\A1\\A11", u"x", u"1");
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\A\\A2");
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\B");
  Seed(HKEY_CURRENT_USER, kBase + u"\\Keep");
  seams::SetRecording(true);
  EXPECT_EQ(key_.RemoveSubtree(u"T"), ERROR_SUCCESS);
  std::vector<std::string> order;
  for (const seams::Call &call : seams::Calls()) {
    if (call.operation == "RegDeleteKeyExW" || call.operation == "RegDeleteKeyW") order.push_back(call.subject);
  }
  const std::string base = "HKEY_CURRENT_USER\\Software\\KeyTest\\";
  EXPECT_EQ(order, (std::vector<std::string>{base + "T\\A\\A1\\A11", base + "T\\A\\A1", base + "T\\A\\A2",
                                             base + "T\\A", base + "T\\B", base + "T"}));
  // Always the first subkey, into the full 256-unit buffer: a size left over
  // from a shorter name would refuse a longer sibling.
  for (const seams::Call &call : seams::Calls("RegEnumKeyExW")) {
    EXPECT_NE(call.arguments.find("index=0 size=256"), std::string::npos) << call.subject << " " << call.arguments;
  }
  // Each of the 5 keys below T found once, and each of the 6 keys found empty once.
  EXPECT_EQ(seams::CallCount("RegEnumKeyExW"), 11u);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kBase), (std::vector<std::string>{"Keep"}));
}

TEST_F(RegistryKeyTest, RemoveSubtreeOfMissingKeyChangesNothing) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\Keep");
  EXPECT_EQ(key_.RemoveSubtree(u"Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kBase), (std::vector<std::string>{"Keep"}));
}

TEST_F(RegistryKeyTest, RemoveSubtreeStopsAtTheFirstFailedDelete) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\A\\A1");
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\B");
  seams::FailOperation("RegDeleteKeyExW", ERROR_ACCESS_DENIED, 0,
                       "HKEY_CURRENT_USER\\Software\\KeyTest\\T\\A");
  EXPECT_EQ(key_.RemoveSubtree(u"T"), ERROR_ACCESS_DENIED);
  // A1 went first; A, and everything after it, stays.
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kBase), (std::vector<std::string>{"T", "T\\A", "T\\B"}));
}

TEST_F(RegistryKeyTest, RemoveSubtreeInThe32BitViewAddressesThatViewThroughout) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\A\\A1");
  CRegistryKey view32;
  ASSERT_EQ(view32.Open(HKEY_CURRENT_USER, kBase.c_str(), KEY_READ | KEY_WRITE | KEY_WOW64_32KEY), ERROR_SUCCESS);
  seams::SetRecording(true);
  EXPECT_EQ(view32.RemoveSubtree(u"T"), ERROR_SUCCESS);
  unsigned opens = 0, deletes = 0;
  for (const seams::Call &call : seams::Calls("RegOpenKeyExW")) {
    ++opens;
    EXPECT_NE(call.arguments.find("0x0002021F"), std::string::npos) << call.subject << " " << call.arguments;
  }
  for (const seams::Call &call : seams::Calls("RegDeleteKeyExW")) {
    ++deletes;
    EXPECT_NE(call.arguments.find("0x00000200"), std::string::npos) << call.subject << " " << call.arguments;
  }
  EXPECT_EQ(opens, 3u);
  EXPECT_EQ(deletes, 3u);
  EXPECT_TRUE(Listing(HKEY_CURRENT_USER, kBase).empty());
}

TEST_F(RegistryKeyTest, RemoveSubkeyRefusesAKeyWithSubkeys) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\T\\A");
  EXPECT_NE(key_.RemoveSubkey(u"T"), ERROR_SUCCESS);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kBase), (std::vector<std::string>{"T", "T\\A"}));
}

TEST_F(RegistryKeyTest, ViewAwareDeleteIsLookedUpOncePerProcess) {
  Seed(HKEY_CURRENT_USER, kBase + u"\\A");
  Seed(HKEY_CURRENT_USER, kBase + u"\\B");
  EXPECT_EQ(key_.RemoveSubkey(u"A"), ERROR_SUCCESS);
  EXPECT_EQ(key_.RemoveSubkey(u"B"), ERROR_SUCCESS);
  EXPECT_EQ(seams::CallCount("GetProcAddress"), 1u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyExW"), 2u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyW"), 0u);
}

// Runs in its own process: the export is hidden before the first lookup.
TEST_F(RegistryKeyTest, MissingViewAwareDeleteFallsBackOnceForAll) {
  seams::HideExport("Advapi32.dll", "RegDeleteKeyExW");
  Seed(HKEY_CURRENT_USER, kBase + u"\\A");
  Seed(HKEY_CURRENT_USER, kBase + u"\\B\\C");
  EXPECT_EQ(key_.RemoveSubkey(u"A"), ERROR_SUCCESS);
  EXPECT_EQ(key_.RemoveSubtree(u"B"), ERROR_SUCCESS);
  EXPECT_EQ(seams::CallCount("GetProcAddress"), 1u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyExW"), 0u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyW"), 3u);
  EXPECT_TRUE(Listing(HKEY_CURRENT_USER, kBase).empty());
}

// Runs in its own process: the module is missing at the first lookup. Only
// an already loaded module is asked, and a failed lookup is not repeated.
TEST_F(RegistryKeyTest, UnloadedModuleFallsBackWithoutLoadingIt) {
  seams::FailOperation("GetModuleHandleW", ERROR_MOD_NOT_FOUND, 0, "Advapi32.dll");
  Seed(HKEY_CURRENT_USER, kBase + u"\\A");
  Seed(HKEY_CURRENT_USER, kBase + u"\\B");
  EXPECT_EQ(key_.RemoveSubkey(u"A"), ERROR_SUCCESS);
  seams::ClearFaults();
  EXPECT_EQ(key_.RemoveSubkey(u"B"), ERROR_SUCCESS);
  EXPECT_EQ(seams::CallCount("GetModuleHandleW"), 1u);
  EXPECT_EQ(seams::CallCount("GetProcAddress"), 0u);
  EXPECT_EQ(seams::CallCount("LoadLibraryExW") + seams::CallCount("LoadLibraryW"), 0u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyExW"), 0u);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyW"), 2u);
  EXPECT_TRUE(Listing(HKEY_CURRENT_USER, kBase).empty());
}

}  // namespace
