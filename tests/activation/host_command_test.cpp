// IContextMenu::GetCommandString and InvokeCommand: the help text and the launch.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "command_fixture.h"
#include "support/text.h"

namespace {

using testing_text::U16;

const char kHelp[] = "Paste files from clipboard using Tovin Copy";

TEST_F(CommandTest, GetCommandStringRequestTypes) {
  struct Case {
    const char *name;
    UINT_PTR idCmd;
    UINT uType;
    UINT cchMax;
    HRESULT result;
    enum { kUntouched, kAnsi, kWide } written;
    std::string text;
  } cases[] = {
      // The type is judged by two bits alone: GCS_UNICODE answers in UTF-16 and
      // GCS_HELPTEXTA in ANSI, each with the help text, as the extension always has.
      {"GCS_VERBA", 0, GCS_VERBA, 64, E_INVALIDARG, Case::kUntouched, ""},
      {"GCS_HELPTEXTA", 0, GCS_HELPTEXTA, 64, S_OK, Case::kAnsi, kHelp},
      {"GCS_VALIDATEA", 0, GCS_VALIDATEA, 64, E_INVALIDARG, Case::kUntouched, ""},
      {"GCS_VERBW", 0, GCS_VERBW, 64, S_OK, Case::kWide, kHelp},  // the help text: it has no verb of its own
      {"GCS_HELPTEXTW", 0, GCS_HELPTEXTW, 64, S_OK, Case::kWide, kHelp},
      {"GCS_VALIDATEW", 0, GCS_VALIDATEW, 64, S_OK, Case::kWide, kHelp},  // unlike GCS_VALIDATEA: the Unicode bit
      {"GCS_VERBICONW, judged by bit 2", 0, GCS_VERBICONW, 64, S_OK, Case::kWide, kHelp},
      {"bits 0 and 1", 0, 0x3, 64, S_OK, Case::kAnsi, kHelp},
      {"bit 3 alone", 0, 0x8, 64, E_INVALIDARG, Case::kUntouched, ""},
      {"ANSI into 10 bytes", 0, GCS_HELPTEXTA, 10, S_OK, Case::kAnsi, "Paste fil"},
      {"UTF-16 into 10 units", 0, GCS_HELPTEXTW, 10, S_OK, Case::kWide, "Paste fil"},
      {"exactly the text and its NUL", 0, GCS_HELPTEXTW, 44, S_OK, Case::kWide, kHelp},
      {"no room at all", 0, GCS_HELPTEXTW, 0, S_OK, Case::kUntouched, ""},  // nothing written, yet success
      {"command offset 1", 1, GCS_HELPTEXTW, 64, E_INVALIDARG, Case::kUntouched, ""},
      {"a large command offset", 0x10000, GCS_HELPTEXTA, 64, E_INVALIDARG, Case::kUntouched, ""},
  };
  for (const Case &c : cases) {
    char buffer[256];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(c.result, menu_->GetCommandString(c.idCmd, c.uType, nullptr, buffer, c.cchMax)) << c.name;
    switch (c.written) {
      case Case::kUntouched:
        EXPECT_EQ(std::string(sizeof(buffer), 'x'), std::string(buffer, sizeof(buffer))) << c.name;
        break;
      case Case::kAnsi:
        EXPECT_EQ(c.text, std::string(buffer)) << c.name;
        EXPECT_EQ('x', buffer[c.text.size() + 1]) << c.name;
        break;
      case Case::kWide:
        EXPECT_EQ(U16(c.text), std::basic_string<WCHAR>(reinterpret_cast<const WCHAR *>(buffer))) << c.name;
        EXPECT_EQ('x', buffer[(c.text.size() + 1) * 2]) << c.name;
        break;
    }
  }
  EXPECT_EQ(S_OK, menu_->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 0));
}

TEST_F(CommandTest, InvokeCommandRefusalsLaunchNothing) {
  host::TempDirectory directory;
  struct Case {
    const char *name;
    std::function<void()> arrange;
    LPCSTR verb;
    HRESULT result;
  } cases[] = {
      {"a verb string", [] {}, "paste", E_INVALIDARG},
      {"command offset 1", [] {}, Offset(1), E_INVALIDARG},
      {"command offset 0xFFFF", [] {}, Offset(0xFFFF), E_INVALIDARG},
      {"no settings key", [] { host::ClearSettings(); }, Offset(0), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
      {"no CopyApp value",
       [] {
         host::ClearSettings();
         host::SetSettingText(TEXT("CopyBmp"), TEXT("x.bmp"));
       },
       Offset(0), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
      {"CopyApp over 1000 bytes", [] { host::SetSettingText(TEXT("CopyApp"), std::basic_string<WCHAR>(500, TEXT('a'))); }, Offset(0),
       HRESULT_FROM_WIN32(ERROR_MORE_DATA)},
      {"a program that does not exist",
       [&] { host::SetSettingText(TEXT("CopyApp"), U16(directory.path() + "/missing")); }, Offset(0),
       HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
  };
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\target")}));
  const std::string refused = directory.path() + "/refused";
  host::SetEchoOutput(refused);
  for (const Case &c : cases) {
    host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
    c.arrange();
    EXPECT_EQ(c.result, Invoke(c.verb)) << c.name;
  }
  ExpectNoLaunchSince(directory, refused);
}

TEST_F(CommandTest, InvokeCommandWithoutAKeptPathLaunchesNothing) {
  host::TempDirectory directory;
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  const std::string refused = directory.path() + "/refused";
  host::SetEchoOutput(refused);
  EXPECT_EQ(E_UNEXPECTED, Invoke(Offset(0)));
  ExpectNoLaunchSince(directory, refused);
}

TEST_F(CommandTest, TheLaunchPassesThePathUnquotedAfterThePrefix) {
  host::TempDirectory directory;
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  struct Case {
    std::basic_string<WCHAR> path;
    std::vector<std::string> arguments;  // as the program receives them
  } cases[] = {
      {TEXT("D:\\Backup 2011"), {"/oD:\\Backup", "2011"}},
      {TEXT("C:\\"), {"/oC:\\"}},
      {TEXT("E:\\Stra\u00dfe"), {"/oE:\\Stra\xc3\x9f" "e"}},
  };
  int n = 0;
  for (const Case &c : cases) {
    ASSERT_EQ(S_OK, host::InitializeWith(init_, {c.path}));
    const std::string output = directory.path() + "/echo" + std::to_string(n++);
    host::SetEchoOutput(output);
    EXPECT_EQ(S_OK, Invoke(Offset(0))) << c.arguments[0];
    std::vector<std::string> lines;
    ASSERT_TRUE(host::WaitForEcho(output, &lines)) << c.arguments[0];
    EXPECT_EQ(c.arguments, lines);
  }
}

// The road of one menu, as the file manager walks it.
TEST_F(CommandTest, RightClickShowHelpAndPick) {
  host::TempDirectory directory;
  host::SetSettingText(TEXT("CopyApp"), U16(ACTIVATION_ECHO_PATH));
  const std::string output = directory.path() + "/echo";
  host::SetEchoOutput(output);

  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("D:\\Backup 2011"), TEXT("D:\\Other")}));
  HMENU popup = host::MenuWith({TEXT("Open"), TEXT("Properties")});
  ASSERT_EQ(1, menu_->QueryContextMenu(popup, 1, 3000, 3999, CMF_NORMAL | CMF_EXPLORE));
  host::MenuItem item;
  ASSERT_TRUE(host::ReadMenuItem(popup, 1, &item));
  EXPECT_EQ(TEXT("Paste with Tovin Copy"), item.text);
  EXPECT_EQ(3000u, item.id);
  WCHAR help[64] = {};
  ASSERT_EQ(S_OK, menu_->GetCommandString(item.id - 3000, GCS_HELPTEXTW, nullptr, reinterpret_cast<char *>(help), 64));
  EXPECT_EQ(TEXT("Paste files from clipboard using Tovin Copy"), std::basic_string<WCHAR>(help));
  ASSERT_EQ(S_OK, Invoke(Offset(item.id - 3000)));
  std::vector<std::string> lines;
  ASSERT_TRUE(host::WaitForEcho(output, &lines));
  EXPECT_EQ((std::vector<std::string>{"/oD:\\Backup", "2011"}), lines);
  DestroyMenu(popup);
}

}  // namespace
