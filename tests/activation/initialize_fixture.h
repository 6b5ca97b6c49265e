// The fixture of the Initialize tests: which selected path the object keeps,
// read back through what InvokeCommand starts the echo program with.
#pragma once
#include <string>
#include <vector>

#include "host_fixture.h"
#include "support/text.h"

class InitializeTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::SetSettingText(TEXT("CopyApp"), testing_text::U16(ACTIVATION_ECHO_PATH));
    init_ = Create<IShellExtInit>(IID_IShellExtInit);
    ASSERT_NE(nullptr, init_);
    ASSERT_EQ(S_OK, init_->QueryInterface(IID_IContextMenu, reinterpret_cast<void **>(&menu_)));
  }
  void TearDown() override {
    if (menu_) menu_->Release();
    if (init_) init_->Release();
    HostTest::TearDown();
  }

  // The parameters InvokeCommand launches with, as the echo program received
  // them joined by spaces, or "(none)" when it launched nothing.
  std::string KeptParameters() {
    const std::string output = directory_.path() + "/echo" + std::to_string(launches_++);
    host::SetEchoOutput(output);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = nullptr;
    if (FAILED(menu_->InvokeCommand(&info))) return "(none)";
    std::vector<std::string> lines;
    if (!host::WaitForEcho(output, &lines)) return "(no output)";
    std::string parameters;
    for (const std::string &line : lines) parameters += " " + line;
    return parameters;
  }

  IShellExtInit *init_ = nullptr;
  IContextMenu *menu_ = nullptr;

 private:
  host::TempDirectory directory_;
  int launches_ = 0;
};
