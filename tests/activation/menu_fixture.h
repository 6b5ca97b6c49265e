// The fixtures of the QueryContextMenu tests: an extension object's
// IContextMenu and a popup menu of three items; with a bitmap file.
#pragma once
#include <string>

#include "host_fixture.h"

class MenuTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    menu_ = Create<IContextMenu>(IID_IContextMenu);
    ASSERT_NE(nullptr, menu_);
    popup_ = host::MenuWith({TEXT("Open"), TEXT("Cut"), TEXT("Copy")});
  }
  void TearDown() override {
    if (menu_) menu_->Release();
    DestroyMenu(popup_);
    HostTest::TearDown();
  }
  IContextMenu *menu_ = nullptr;
  HMENU popup_ = nullptr;
};

class MenuBitmapTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    bmpPath_ = directory_.path() + "/paste.bmp";
    host::WriteBmpFile(bmpPath_, 13, 11);
  }
  host::TempDirectory directory_;
  std::string bmpPath_;
};
