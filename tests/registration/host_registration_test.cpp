// Registration and removal through the library's exports, machine-wide and
// per user, against the substitute registry.
#include <gtest/gtest.h>

#include "host_registration.h"
#include "platform_seams.h"
#include "tests/support/registry_listing.h"

namespace {

using namespace registration;
using registry_listing::Seed;
using Lines = std::vector<std::string>;

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
const std::string kLibrary = TOVINCOPYSHL_PATH;
const std::basic_string<WCHAR> kClassKey = TEXT("CLSID\\{1955A1E8-C828-42AF-A571-081D65B07B83}");
const std::basic_string<WCHAR> kFolderHandler = TEXT("Folder\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt");

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_TRUE(library.loaded());
  }
  ServerLibrary library;
};

TEST_F(Registration, WritesExactlyTheServersKeysIntoTheMachineClasses) {
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(RegisteredListing(kLibrary), MachineClasses());
  EXPECT_TRUE(UserClasses().empty());
  EXPECT_EQ(RegisteredListing(kLibrary), Joined(registry_listing::Listing(HKEY_CLASSES_ROOT, TEXT(""))));
}

TEST_F(Registration, RegisteringAgainDropsWhatOthersAddedBelowForceRemoveKeys) {
  ASSERT_EQ(S_OK, library.Register());
  Seed(HKEY_CLASSES_ROOT, kClassKey + TEXT("\\Stale"), TEXT("v"), TEXT("x"));
  Seed(HKEY_CLASSES_ROOT, kFolderHandler + TEXT("\\Stale"));
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(RegisteredListing(kLibrary), MachineClasses());
}

TEST_F(Registration, RemovalKeepsNoRemoveKeysAndKeysHoldingForeignSubkeys) {
  ASSERT_EQ(S_OK, library.Register());
  ASSERT_EQ(S_OK, library.Unregister());
  EXPECT_EQ(UnregisteredListing(), MachineClasses());

  ASSERT_EQ(S_OK, library.Register());
  Seed(HKEY_CLASSES_ROOT, kClassKey + TEXT("\\InprocServer32\\Foreign"));
  ASSERT_EQ(S_OK, library.Unregister());
  Lines expected{"AppID", "CLSID", "TypeLib"};
  for (std::string root : {"*", "Folder", "Drive", "Directory"})
    expected.insert(expected.end(), {root, root + "\\ShellEx", root + "\\ShellEx\\ContextMenuHandlers"});
  // The kept keys keep their default values; the named value goes.
  const std::string classKey = "CLSID\\" + std::string(kClassId);
  expected.insert(expected.end(), {classKey, classKey + " : @ = sz \"TovinCopyShlExt Class\"",
                                   classKey + "\\InprocServer32", classKey + "\\InprocServer32\\Foreign",
                                   classKey + "\\InprocServer32 : @ = sz \"" + kLibrary + "\""});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Joined(expected), MachineClasses());
}

TEST_F(Registration, UnregisteringWhatWasNeverRegisteredFailsCleanly) {
  EXPECT_TRUE(FAILED(library.Unregister()));
  EXPECT_EQ("", MachineClasses());
}

// DllInstall's command line: "user" in any letter case selects per-user
// registration; anything else, null included, registers for the machine.
struct InstallCase {
  const WCHAR *commandLine;
  bool perUser;
};

class Install : public Registration, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(Install, CommandLineChoosesWhereRegistrationGoes) {
  ASSERT_EQ(S_OK, library.Install(TRUE, GetParam().commandLine));
  std::string registered = RegisteredListing(kLibrary);
  EXPECT_EQ(GetParam().perUser ? "" : registered, MachineClasses());
  EXPECT_EQ(GetParam().perUser ? registered : "", UserClasses());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, Install,
                         ::testing::Values(InstallCase{TEXT("user"), true}, InstallCase{TEXT("USER"), true},
                                           InstallCase{TEXT("uSeR"), true}, InstallCase{TEXT("users"), false},
                                           InstallCase{TEXT("user "), false}, InstallCase{TEXT("use"), false},
                                           InstallCase{TEXT(""), false}, InstallCase{nullptr, false}));

TEST_F(Registration, AfterUserInstallLaterCallsStayPerUser) {
  ASSERT_EQ(S_OK, library.Install(TRUE, TEXT("user")));
  ASSERT_EQ(S_OK, library.Unregister());
  EXPECT_EQ(UnregisteredListing(), UserClasses());
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(RegisteredListing(kLibrary), UserClasses());
  EXPECT_EQ("", MachineClasses());
}

TEST_F(Registration, PerUserTypeLibraryFallsBackToTheMachineWithoutThePerUserPair) {
  seams::HideExport("OLEAUT32.DLL", "RegisterTypeLibForUser");
  seams::HideExport("OLEAUT32.DLL", "UnRegisterTypeLibForUser");
  ASSERT_EQ(S_OK, library.Install(TRUE, TEXT("user")));
  const std::string machine = MachineClasses(), user = UserClasses();
  EXPECT_EQ(0u, machine.find("TypeLib\n")) << machine;
  EXPECT_EQ(std::string::npos, machine.find("CLSID")) << machine;
  EXPECT_EQ(std::string::npos, user.find("TypeLib")) << user;
  ASSERT_EQ(S_OK, library.Install(FALSE, TEXT("user")));
  EXPECT_EQ("TypeLib\n", MachineClasses());
}

TEST_F(Registration, UninstallReturnsWhatUnregisterReturns) {
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(S_OK, library.Install(FALSE, nullptr));
  EXPECT_EQ(UnregisteredListing(), MachineClasses());
  EXPECT_EQ(library.Unregister(), library.Install(FALSE, nullptr));
}

TEST_F(Registration, ReadOnlyMachineRefusesMachineRegistrationButNotPerUser) {
  seams::SetMachineReadOnly(true);
  EXPECT_EQ(kAccessDenied, library.Register());

  // A failed installation runs the whole removal before it reports: after the
  // application-identifier script, the class script, the type library and the
  // application-identifier script again.
  unsigned scriptsBefore = seams::CallCount("FindResourceW");
  EXPECT_EQ(kAccessDenied, library.Install(TRUE, nullptr));
  EXPECT_EQ(scriptsBefore + 4, seams::CallCount("FindResourceW"));
  EXPECT_EQ("", MachineClasses());

  EXPECT_EQ(S_OK, library.Install(TRUE, TEXT("user")));
  EXPECT_EQ(RegisteredListing(kLibrary), UserClasses());
}

TEST_F(Registration, ThreadLocaleIsBackAfterSuccessAndFailure) {
  const LCID russian = 0x0419;
  ASSERT_TRUE(SetThreadLocale(russian));
  seams::SetRecording(true);
  EXPECT_EQ(S_OK, library.Register());
  EXPECT_EQ(russian, GetThreadLocale());
  seams::FailOperation("FindResourceW", ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_TRUE(FAILED(library.Unregister()));
  EXPECT_EQ(russian, GetThreadLocale());

  // The scripts are converted whole, under the system default locale.
  std::vector<std::string> locales, conversions;
  for (const seams::Call &call : seams::Calls()) {
    if (call.operation == "SetThreadLocale") locales.push_back(call.subject);
    if (call.operation == "MultiByteToWideChar") conversions.push_back(call.subject + " " + call.arguments);
  }
  EXPECT_EQ((std::vector<std::string>{"0x0800", "0x0419", "0x0800", "0x0419"}), locales);
  ASSERT_GE(conversions.size(), 2u);
  EXPECT_EQ("3 flags=0 in=129 out=129", conversions[0]);
  EXPECT_EQ("3 flags=0 in=934 out=934", conversions[1]);
}

// Faults injected below registration give the failure's HRESULT, and a step
// that failed without an error code never reads as success.
struct FaultCase {
  const char *operation;
  uint32_t code;
  HRESULT expected;
};

class Fault : public Registration, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Fault, RegistrationReportsTheFailingStep) {
  seams::FailOperation(GetParam().operation, GetParam().code);
  EXPECT_EQ(GetParam().expected, library.Register());
  EXPECT_EQ("", MachineClasses());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Fault,
    ::testing::Values(FaultCase{"FindResourceW", ERROR_RESOURCE_NAME_NOT_FOUND, static_cast<HRESULT>(0x80070716)},
                      FaultCase{"FindResourceW", 0, E_FAIL}, FaultCase{"LoadResource", 0, E_FAIL},
                      FaultCase{"LoadLibraryExW", ERROR_FILE_NOT_FOUND, static_cast<HRESULT>(0x80070002)},
                      FaultCase{"GetModuleFileNameW", 0, E_FAIL},
                      FaultCase{"MultiByteToWideChar", 0, E_FAIL}));

TEST_F(Registration, WriteRefusedInTheClassScriptKeepsTheApplicationIdentifier) {
  // The application-identifier script goes first and stays; the class
  // script's failed root entry is taken back.
  seams::FailOperation("RegSetValueExW", ERROR_ACCESS_DENIED, 0, "HKEY_CLASSES_ROOT\\" + std::string("CLSID\\") +
                                                                     kClassId + "\\InprocServer32");
  EXPECT_EQ(kAccessDenied, library.Register());
  std::string left = MachineClasses();
  EXPECT_NE(std::string::npos, left.find("AppID\\tovincopyshl.DLL\n"));
  EXPECT_EQ(std::string::npos, left.find("CLSID\\" + std::string(kClassId) + "\n"));
}

}  // namespace
