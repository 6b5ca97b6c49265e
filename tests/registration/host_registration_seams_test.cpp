// Registration under conditions only the seams make: a read-only machine
// part, missing per-user type-library exports, injected faults; and the
// conversions and locale switches recorded.
#include <gtest/gtest.h>

#include "platform_seams.h"
#include "registration_fixture.h"

namespace {

using namespace registration;

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
const std::string kLibrary = TOVINCOPYSHL_PATH;

using RegistrationSeams = Registration;

TEST_F(RegistrationSeams, PerUserTypeLibraryFallsBackToTheMachineWithoutThePerUserPair) {
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

TEST_F(RegistrationSeams, ReadOnlyMachineRefusesMachineRegistrationButNotPerUser) {
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
  EXPECT_EQ(Expected(Classes::kUser, RegisteredListing(kLibrary)), UserClasses());
}

TEST_F(RegistrationSeams, ScriptsAreConvertedWholeUnderTheSystemLocale) {
  const LCID russian = 0x0419;
  ASSERT_TRUE(SetThreadLocale(russian));
  seams::SetRecording(true);
  EXPECT_EQ(S_OK, library.Register());
  seams::FailOperation("FindResourceW", ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_TRUE(FAILED(library.Unregister()));
  EXPECT_EQ(russian, GetThreadLocale());

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
  seams::Operation operation;
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

TEST_F(RegistrationSeams, WriteRefusedInTheClassScriptKeepsTheApplicationIdentifier) {
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
