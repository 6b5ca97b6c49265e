// InvokeCommand's launch as the seams record it: what is read and passed to
// ShellExecuteW, and a launch answered without starting a program.
#include <gtest/gtest.h>

#include "command_fixture.h"
#include "platform_seams.h"
#include "support/text.h"

namespace {

using testing_text::U16;
using testing_text::U8;
using CommandSeamsTest = CommandTest;

TEST_F(CommandSeamsTest, RefusedVerbsReadNothingAndLaunchNothing) {
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\target")}));
  for (LPCSTR verb : {static_cast<LPCSTR>("paste"), Offset(1), Offset(0xFFFF)}) {
    seams::Reset();
    EXPECT_EQ(E_INVALIDARG, Invoke(verb));
    EXPECT_EQ(0u, seams::CallCount("RegOpenKeyExW"));
    EXPECT_EQ(0u, seams::CallCount("ShellExecuteW"));
  }
}

// The substitute's answers for a program below a missing folder (SE_ERR_PNF)
// and for a folder, which it has no association to open (SE_ERR_NOASSOC).
TEST_F(CommandSeamsTest, LaunchRefusalsOfTheSubstituteReachTheCaller) {
  host::TempDirectory directory;
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\target")}));
  struct Case {
    std::string program;
    HRESULT result;
  } cases[] = {
      {directory.path() + "/none/missing", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
      {directory.path(), HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION)},
  };
  for (const Case &c : cases) {
    host::SetSettingText(TEXT("CopyApp"), U16(c.program));
    EXPECT_EQ(c.result, Invoke(Offset(0))) << c.program;
  }
}

TEST_F(CommandSeamsTest, WithoutAKeptPathShellExecuteIsNotCalled) {
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  EXPECT_EQ(E_UNEXPECTED, Invoke(Offset(0)));
  EXPECT_EQ(0u, seams::CallCount("ShellExecuteW"));
}

TEST_F(CommandSeamsTest, TheLaunchOpensTheProgramWithThePrefixedPath) {
  host::TempDirectory directory;
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  struct Case {
    std::basic_string<WCHAR> path;
    std::string parameters;
  } cases[] = {
      {TEXT("D:\\Backup 2011"), " /oD:\\Backup 2011"},
      {TEXT("C:\\"), " /oC:\\"},
      {TEXT("E:\\Stra\u00dfe"), " /oE:\\Stra\xc3\x9f" "e"},
  };
  host::SetEchoOutput(directory.path() + "/echo");
  for (const Case &c : cases) {
    ASSERT_EQ(S_OK, host::InitializeWith(init_, {c.path}));
    seams::Reset();
    seams::FailOperation("ShellExecuteW", 42);  // answers as a started program, starts none
    seams::SetRecording(true);
    EXPECT_EQ(S_OK, Invoke(Offset(0))) << c.parameters;
    ASSERT_EQ(1u, seams::Calls("ShellExecuteW").size());
    const seams::Call launch = seams::Calls("ShellExecuteW")[0];
    EXPECT_EQ(ACTIVATION_ECHO_PATH, launch.subject);
    EXPECT_EQ("verb=Open, params=" + c.parameters + ", dir=(null), show=5", launch.arguments);
  }
}

// "CopyApp" filling all 1000 bytes without a NUL ends inside the buffer.
TEST_F(CommandSeamsTest, AnUnterminatedApplicationPathOfMaximalSize) {
  const std::basic_string<WCHAR> application(500, TEXT('q'));
  host::SetSettingBytes(TEXT("CopyApp"), application.data(), 1000);
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\t")}));
  seams::FailOperation("ShellExecuteW", 42);  // answers as a started program, starts none
  seams::SetRecording(true);
  EXPECT_EQ(S_OK, Invoke(Offset(0)));
  ASSERT_EQ(1u, seams::Calls("ShellExecuteW").size());
  EXPECT_EQ(U8(application), seams::Calls("ShellExecuteW")[0].subject);
}

}  // namespace
