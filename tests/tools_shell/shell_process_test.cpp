// The `shell` program run as a process against a scratch registry file that
// this test process writes first (the substitute shares one SQLite file
// between processes).
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform_seams.h"
#include "shell_test_support.h"
#include "support/text.h"

using shell_test::RunResult;
using shell_test::RunShell;
using testing_text::U16;

namespace {

const char kItemLine[] = "1\tPaste with Tovin Copy\tPaste files from clipboard using Tovin Copy\t-\n";

class ShellProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    registry_ = scratch_.path() + "/registry.db";
    folder_ = scratch_.path() + "/folder";
    ASSERT_EQ(0, mkdir(folder_.c_str(), 0700));
    seams::Reset();
    seams::SetRegistryFile(registry_);
  }
  void TearDown() override { seams::ResetRegistry(); }

  RunResult Run(std::vector<std::string> args, const std::vector<std::string> &environment = {}) {
    args.push_back("--registry");
    args.push_back(registry_);
    return RunShell(args, scratch_.path(), environment);
  }

  shell_test::TempDirectory scratch_;
  std::string registry_;
  std::string folder_;
};

TEST_F(ShellProcess, MenuListsTheExtensionsItemWithItsHelpText) {
  shell_test::RegisterExtension(HKEY_LOCAL_MACHINE, TOVINCOPYSHL_PATH);
  const RunResult result = Run({"menu", folder_});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ(kItemLine, result.out);
  EXPECT_EQ("", result.err);

  // The registry named by the environment serves as well as --registry.
  const RunResult fromEnvironment =
      RunShell({"menu", folder_, "--plain"}, scratch_.path(), {"TOVIN_REGISTRY_FILE=" + registry_});
  EXPECT_EQ(kItemLine, fromEnvironment.out);

  // Asked for the default item only, the extension adds nothing.
  EXPECT_EQ("", Run({"menu", folder_, "--flags", "CMF_DEFAULTONLY"}).out);
}

TEST_F(ShellProcess, InvokeStartsTheApplicationWithTheFolder) {
  shell_test::RegisterExtension(HKEY_CURRENT_USER, TOVINCOPYSHL_PATH);
  shell_test::SetText(HKEY_CURRENT_USER, u"Software\\Tovin Copy", u"CopyApp", U16(ACTIVATION_ECHO_PATH));
  const std::string echo = scratch_.path() + "/echo.txt";
  const RunResult result =
      Run({"invoke", folder_, "--item", "Paste with Tovin Copy"}, {"ACTIVATION_ECHO_OUTPUT=" + echo});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_NE(std::string::npos, result.out.find("InvokeCommand 0x00000000 The operation completed successfully."))
      << result.out;
  std::vector<std::string> lines;
  ASSERT_TRUE(shell_test::WaitForFile(echo, &lines));
  // The parameters are " /o" and the path, joined as they are.
  EXPECT_EQ((std::vector<std::string>{"/o" + folder_}), lines);
}

TEST_F(ShellProcess, InvokeFailuresExitOne) {
  shell_test::RegisterExtension(HKEY_LOCAL_MACHINE, TOVINCOPYSHL_PATH);
  // No CopyApp setting: the handler's own failure is reported with its text.
  const RunResult unset = Run({"invoke", folder_, "--id", "1"});
  EXPECT_EQ(1, unset.status);
  EXPECT_NE(std::string::npos, unset.out.find("0x80070002 The system cannot find the file specified.")) << unset.out;

  const RunResult missing = Run({"invoke", folder_, "--item", "Paste elsewhere"});
  EXPECT_EQ(1, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("no item \"Paste elsewhere\"")) << missing.err;
}

TEST_F(ShellProcess, WhyFollowsARegisteredHandlerToItsItem) {
  shell_test::RegisterExtension(HKEY_LOCAL_MACHINE, TOVINCOPYSHL_PATH);
  const RunResult result = Run({"why", folder_});
  EXPECT_EQ(0, result.status) << result.err;
  for (const char *expected : {"handler keys: Directory, Folder", "TovinCopyShlExt under Directory",
                               "ThreadingModel Apartment", "file: exists", "DllGetClassObject: exported",
                               "Initialize: 0x00000000", "1  Paste with Tovin Copy", "=> shows 1 item(s)"})
    EXPECT_NE(std::string::npos, result.out.find(expected)) << expected << "\n" << result.out;
}

TEST_F(ShellProcess, ABrokenRegistrationIsSkippedAndExplained) {
  const std::string gone = scratch_.path() + "/gone.so";
  shell_test::RegisterExtension(HKEY_LOCAL_MACHINE, gone);
  const RunResult menu = Run({"menu", folder_});
  EXPECT_EQ(0, menu.status);
  EXPECT_EQ("", menu.out);
  EXPECT_NE(std::string::npos, menu.err.find("skipped handler TovinCopyShlExt")) << menu.err;

  const RunResult why = Run({"why", folder_});
  for (const char *expected : {"file: missing: The system cannot find the file specified.",
                               "LoadLibraryW: failed: error 126", "=> does not show: its library does not load"})
    EXPECT_NE(std::string::npos, why.out.find(expected)) << expected << "\n" << why.out;
}

TEST_F(ShellProcess, WhyShowsAPerUserRegistrationHidingTheMachines) {
  shell_test::RegisterExtension(HKEY_LOCAL_MACHINE, scratch_.path() + "/old.so");
  shell_test::RegisterExtension(HKEY_CURRENT_USER, TOVINCOPYSHL_PATH);
  const RunResult why = Run({"why", folder_});
  for (const char *expected : {"HKEY_LOCAL_MACHINE\\Software\\Classes: \"/", "old.so\", ThreadingModel Apartment\n",
                               "HKEY_CURRENT_USER\\Software\\Classes: \"{1955A1E8-C828-42AF-A571-081D65B07B83}\" "
                               "(per-user; hides the machine's)",
                               "ThreadingModel Apartment (per-user; hides the machine's)", "=> shows 1 item(s)"})
    EXPECT_NE(std::string::npos, why.out.find(expected)) << expected << "\n" << why.out;
  EXPECT_EQ(kItemLine, Run({"menu", folder_}).out);
}

TEST_F(ShellProcess, BadCommandLinesExitTwoMissingInputsOne) {
  for (const std::vector<std::string> &line : std::vector<std::vector<std::string>>{
           {}, {"frob"}, {"invoke", "/"}, {"menu", "/", "--id", "1"}, {"menu", "/", "--flags", "CMF_BOGUS"}}) {
    const RunResult result = RunShell(line, scratch_.path());
    EXPECT_EQ(2, result.status) << ::testing::PrintToString(line);
    EXPECT_NE(std::string::npos, result.err.find("usage: shell menu")) << result.err;
  }
  EXPECT_EQ(1, Run({"menu", scratch_.path() + "/missing"}).status);
  const RunResult unreadable =
      RunShell({"menu", folder_, "--registry", folder_ + "/none/registry.db"}, scratch_.path());
  EXPECT_EQ(1, unreadable.status);
  EXPECT_NE(std::string::npos, unreadable.err.find("the registry cannot be read")) << unreadable.err;
}

}  // namespace
