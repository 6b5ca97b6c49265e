// The fixture of the InvokeCommand and GetCommandString tests: an extension
// object's IContextMenu and IShellExtInit.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "support/text.h"

class CommandTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    menu_ = Create<IContextMenu>(IID_IContextMenu);
    ASSERT_NE(nullptr, menu_);
    ASSERT_EQ(S_OK, menu_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void **>(&init_)));
  }
  void TearDown() override {
    if (init_) init_->Release();
    if (menu_) menu_->Release();
    HostTest::TearDown();
  }
  static HRESULT Invoke(IContextMenu *menu, LPCSTR verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = verb;
    info.nShow = SW_HIDE;  // not consulted
    return menu->InvokeCommand(&info);
  }
  HRESULT Invoke(LPCSTR verb) { return Invoke(menu_, verb); }
  static LPCSTR Offset(UINT offset) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(offset)); }

  // Expects that no echo program wrote `refused`: another object then starts
  // the echo program with a second file, whose arrival shows that a program
  // started before it would have written by now.
  void ExpectNoLaunchSince(const host::TempDirectory &directory, const std::string &refused) {
    const std::string later = directory.path() + "/later";
    host::SetSettingText(TEXT("CopyApp"), testing_text::U16(ACTIVATION_ECHO_PATH));
    host::SetEchoOutput(later);
    IContextMenu *other = Create<IContextMenu>(IID_IContextMenu);
    ASSERT_NE(nullptr, other);
    IShellExtInit *init = nullptr;
    ASSERT_EQ(S_OK, other->QueryInterface(IID_IShellExtInit, reinterpret_cast<void **>(&init)));
    EXPECT_EQ(S_OK, host::InitializeWith(init, {TEXT("C:\\later")}));
    EXPECT_EQ(S_OK, Invoke(other, Offset(0)));
    init->Release();
    other->Release();
    std::vector<std::string> lines;
    EXPECT_TRUE(host::WaitForEcho(later, &lines));
    std::error_code error;
    EXPECT_FALSE(std::filesystem::exists(refused, error));
  }

  IContextMenu *menu_ = nullptr;
  IShellExtInit *init_ = nullptr;
};
