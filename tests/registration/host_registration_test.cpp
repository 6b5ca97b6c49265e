// Registration and removal through the library's exports, machine-wide and
// per user.
#include <gtest/gtest.h>

#include <algorithm>

#include "registration_fixture.h"
#include "tests/support/registry_listing.h"

namespace {

using namespace registration;
using registry_listing::Seed;
using Lines = std::vector<std::string>;

const std::string kLibrary = TOVINCOPYSHL_PATH;
const std::basic_string<WCHAR> kClassKey = TEXT("CLSID\\{1955A1E8-C828-42AF-A571-081D65B07B83}");
const std::basic_string<WCHAR> kFolderHandler = TEXT("Folder\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt");

std::string InMachine(const std::string &listing) { return Expected(Classes::kMachine, listing); }
std::string InUser(const std::string &listing) { return Expected(Classes::kUser, listing); }

TEST_F(Registration, WritesExactlyTheServersKeysIntoTheMachineClasses) {
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(InMachine(RegisteredListing(kLibrary)), MachineClasses());
  EXPECT_EQ("", UserClasses());
  EXPECT_EQ(Expected(Classes::kMerged, RegisteredListing(kLibrary)), Changes(Classes::kMerged));
}

TEST_F(Registration, RegisteringAgainDropsWhatOthersAddedBelowForceRemoveKeys) {
  ASSERT_EQ(S_OK, library.Register());
  Seed(HKEY_CLASSES_ROOT, kClassKey + TEXT("\\Stale"), TEXT("v"), TEXT("x"));
  Seed(HKEY_CLASSES_ROOT, kFolderHandler + TEXT("\\Stale"));
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(InMachine(RegisteredListing(kLibrary)), MachineClasses());
}

TEST_F(Registration, RemovalKeepsNoRemoveKeysAndKeysHoldingForeignSubkeys) {
  ASSERT_EQ(S_OK, library.Register());
  ASSERT_EQ(S_OK, library.Unregister());
  EXPECT_EQ(InMachine(UnregisteredListing()), MachineClasses());

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
  EXPECT_EQ(InMachine(Joined(expected)), MachineClasses());
}

TEST_F(Registration, TypeLibraryFlagsAreZero) {
  ASSERT_EQ(S_OK, library.Register());
  const registry_listing::RawValue flags =
      registry_listing::ReadValue(HKEY_CLASSES_ROOT, TEXT("TypeLib\\{308D0CF8-2449-4115-9E32-FD0217BE1B79}\\1.0\\FLAGS"), nullptr);
  ASSERT_EQ(ERROR_SUCCESS, flags.code);
  EXPECT_EQ("sz \"0\"", registry_listing::RenderValue(flags.type, flags.bytes));
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
  const std::string registered = RegisteredListing(kLibrary);
  EXPECT_EQ(GetParam().perUser ? "" : InMachine(registered), MachineClasses());
  EXPECT_EQ(GetParam().perUser ? InUser(registered) : "", UserClasses());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, Install,
                         ::testing::Values(InstallCase{TEXT("user"), true}, InstallCase{TEXT("USER"), true},
                                           InstallCase{TEXT("uSeR"), true}, InstallCase{TEXT("users"), false},
                                           InstallCase{TEXT("user "), false}, InstallCase{TEXT("use"), false},
                                           InstallCase{TEXT(""), false}, InstallCase{nullptr, false}));

TEST_F(Registration, AfterUserInstallLaterCallsStayPerUser) {
  ASSERT_EQ(S_OK, library.Install(TRUE, TEXT("user")));
  ASSERT_EQ(S_OK, library.Unregister());
  EXPECT_EQ(InUser(UnregisteredListing()), UserClasses());
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(InUser(RegisteredListing(kLibrary)), UserClasses());
  EXPECT_EQ("", MachineClasses());
}

TEST_F(Registration, UninstallReturnsWhatUnregisterReturns) {
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(S_OK, library.Install(FALSE, nullptr));
  EXPECT_EQ(InMachine(UnregisteredListing()), MachineClasses());
  EXPECT_EQ(library.Unregister(), library.Install(FALSE, nullptr));
}

TEST_F(Registration, ThreadLocaleIsBackAfterSuccessAndFailure) {
  const LCID russian = 0x0419;
  ASSERT_TRUE(SetThreadLocale(russian));
  EXPECT_EQ(S_OK, library.Register());
  EXPECT_EQ(russian, GetThreadLocale());
  EXPECT_EQ(S_OK, library.Unregister());
  EXPECT_TRUE(FAILED(library.Unregister()));  // nothing left to remove
  EXPECT_EQ(russian, GetThreadLocale());
}

}  // namespace
