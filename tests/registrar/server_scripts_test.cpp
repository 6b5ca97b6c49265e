// The server's two scripts registered and unregistered, machine-wide and
// per user, against the substitute registry.
#include <gtest/gtest.h>

#include "module/module_flags.h"
#include "platform_seams.h"
#include "tests/registrar/registry_listing.h"
#include "tests/registrar/server_scripts.h"

namespace {

using namespace registrar_test;
using Lines = std::vector<std::string>;

const std::u16string kMachineClasses = u"Software\\Classes";
const std::u16string kUserClasses = u"Software\\Classes";
// A module path as the module prepares it for a quoted reference: apostrophes doubled.
const char16_t kModuleValue[] = u"C:\\Tovin's Tools\\tovincopyshl.dll";
const char16_t kModuleReplacement[] = u"C:\\Tovin''s Tools\\tovincopyshl.dll";

// The scripts are ASCII, so every byte is one UTF-16 unit.
std::u16string Widen(const std::string &text) {
  std::u16string out;
  for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

const std::string kClass = kClassId;
const std::string kHandler = "\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt";

// Everything both scripts write, relative to the classes root.
Lines Registered() {
  Lines lines{
      "AppID",
      "AppID\\" + std::string(kAppId),
      "AppID\\" + std::string(kAppId) + " : @ = sz \"tovincopyshl\"",
      "AppID\\tovincopyshl.DLL",
      "AppID\\tovincopyshl.DLL : AppID = sz \"" + std::string(kAppId) + "\"",
      "CLSID",
      "CLSID\\" + kClass,
      "CLSID\\" + kClass + " : @ = sz \"TovinCopyShlExt Class\"",
      "CLSID\\" + kClass + "\\InprocServer32",
      "CLSID\\" + kClass + "\\InprocServer32 : @ = sz \"C:\\Tovin's Tools\\tovincopyshl.dll\"",
      "CLSID\\" + kClass + "\\InprocServer32 : ThreadingModel = sz \"Apartment\"",
  };
  for (const char *root : {"*", "Folder", "Drive", "Directory"}) {
    std::string r = root;
    lines.push_back(r);
    lines.push_back(r + "\\ShellEx");
    lines.push_back(r + "\\ShellEx\\ContextMenuHandlers");
    lines.push_back(r + kHandler);
    lines.push_back(r + kHandler + " : @ = sz \"" + kClass + "\"");
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// What unregistration leaves: the keys marked NoRemove.
Lines Unregistered() {
  Lines lines{"AppID", "CLSID"};
  for (const char *root : {"*", "Folder", "Drive", "Directory"}) {
    std::string r = root;
    lines.push_back(r);
    lines.push_back(r + "\\ShellEx");
    lines.push_back(r + "\\ShellEx\\ContextMenuHandlers");
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class ServerScriptsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    perUserRegistration = false;
  }
  void TearDown() override { perUserRegistration = false; }

  // Both scripts in the order registration runs them, or the reverse for removal.
  HRESULT RunBoth(bool registering) {
    CRegObject registrar;
    // The module adds "APPID" twice for the application-identifier script.
    EXPECT_EQ(registrar.PutReplacement(u"APPID", U16(kAppId).c_str()), S_OK);
    EXPECT_EQ(registrar.PutReplacement(u"Module", kModuleReplacement), S_OK);
    EXPECT_EQ(registrar.PutReplacement(u"APPID", U16(kAppId).c_str()), S_OK);
    const std::u16string appId = Widen(AppIdScript()), classScript = Widen(ClassScript());
    if (registering) {
      HRESULT hr = RunText(appId, true, &registrar);
      return FAILED(hr) ? hr : RunText(classScript, true, &registrar);
    }
    HRESULT hr = RunText(classScript, false, &registrar);
    return FAILED(hr) ? hr : RunText(appId, false, &registrar);
  }
};

TEST_F(ServerScriptsTest, ScriptsAreTheResourceTexts) {
  const std::string appId = AppIdScript(), classScript = ClassScript();
  EXPECT_EQ(appId.size(), 129u);
  EXPECT_EQ(classScript.size(), 934u);
  // Tab-indented, CR LF after every line, the last one included.
  EXPECT_EQ(appId.substr(0, 9), "HKCR\r\n{\r\n");
  EXPECT_EQ(appId.substr(appId.size() - 3), "}\r\n");
  EXPECT_EQ(classScript.substr(0, 12), "HKCR\r\n{\r\n\t\r\n");
  EXPECT_NE(classScript.find("\t}\r\n\t\tNoRemove *\r\n\t{\r\n"), std::string::npos);
  EXPECT_EQ(classScript.substr(classScript.size() - 5), "\r\n}\r\n");
}

TEST_F(ServerScriptsTest, MachineWide) {
  ASSERT_EQ(RunBoth(true), S_OK);
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE, kMachineClasses), Registered());
  EXPECT_EQ(Listing(HKEY_CLASSES_ROOT, u""), Registered());
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kUserClasses), Lines{});
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, U16("CLSID\\" + kClass + "\\InprocServer32"), nullptr).bytes,
            Utf16Bytes(kModuleValue));

  ASSERT_EQ(RunBoth(false), S_OK);
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE, kMachineClasses), Unregistered());
}

TEST_F(ServerScriptsTest, RegisteringAgainLeavesNoStaleSubkeys) {
  ASSERT_EQ(RunBoth(true), S_OK);
  Seed(HKEY_CLASSES_ROOT, U16("CLSID\\" + kClass + "\\Stale\\Deeper"));
  Seed(HKEY_CLASSES_ROOT, U16("Folder" + kHandler + "\\Stale"));
  Seed(HKEY_CLASSES_ROOT, U16("CLSID\\" + kClass), u"StaleValue", u"x");
  ASSERT_EQ(RunBoth(true), S_OK);
  EXPECT_EQ(Listing(HKEY_CLASSES_ROOT, u""), Registered());
}

TEST_F(ServerScriptsTest, UnregisteringKeepsKeysOthersStillUse) {
  Seed(HKEY_CLASSES_ROOT, u"CLSID\\{Other}");
  Seed(HKEY_CLASSES_ROOT, u"Drive\\ShellEx\\ContextMenuHandlers\\Other");
  ASSERT_EQ(RunBoth(true), S_OK);
  // A foreign subkey keeps the handler key (with its default value); a
  // foreign value keeps nothing.
  Seed(HKEY_CLASSES_ROOT, U16("Directory" + kHandler + "\\Foreign"));
  Seed(HKEY_CLASSES_ROOT, U16("CLSID\\" + kClass + "\\InprocServer32"), u"Foreign", u"x");
  ASSERT_EQ(RunBoth(false), S_OK);
  Lines expected = Unregistered();
  expected.push_back("CLSID\\{Other}");
  expected.push_back("Drive\\ShellEx\\ContextMenuHandlers\\Other");
  expected.push_back("Directory" + kHandler);
  expected.push_back("Directory" + kHandler + " : @ = sz \"" + kClass + "\"");
  expected.push_back("Directory" + kHandler + "\\Foreign");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listing(HKEY_CLASSES_ROOT, u""), expected);
}

TEST_F(ServerScriptsTest, PerUser) {
  perUserRegistration = true;
  ASSERT_EQ(RunBoth(true), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kUserClasses), Registered());
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE, kMachineClasses), Lines{});

  ASSERT_EQ(RunBoth(false), S_OK);
  // Classes keeps the NoRemove keys, so it and Software stay.
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kUserClasses), Unregistered());
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE, kMachineClasses), Lines{});
}

TEST_F(ServerScriptsTest, PerUserRewriteOfSeveralRoots) {
  perUserRegistration = true;
  const std::u16string script =
      u"HKCR { A = s 'it''s {x}' }\r\nHKLM { NoRemove Software { M } }\r\nHKCR { B }\r\n"
      u"HKEY_CLASSES_ROOT { C }";
  ASSERT_EQ(RunText(script, true), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, kUserClasses), (Lines{"A", "A : @ = sz \"it's {x}\"", "B"}));
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE, kMachineClasses), (Lines{"C"}));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\M"));

  // Nothing is left below Classes, so the rewrite's own keys go as well.
  ASSERT_EQ(RunText(u"HKCR { A B }", false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\Classes"));
}

TEST_F(ServerScriptsTest, UnbalancedBareBraceBreaksOnlyThePerUserRewrite) {
  const std::u16string script = u"HKCR { {abc }";
  EXPECT_EQ(RunText(script, true), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"{abc"));
  perUserRegistration = true;
  EXPECT_EQ(RunText(script, true), DISP_E_EXCEPTION);
}

}  // namespace
