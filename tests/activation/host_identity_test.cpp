// The extension object's interfaces and its one reference count.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

using IdentityTest = HostTest;

TEST_F(IdentityTest, QueryInterfaceOnEitherPointer) {
  IShellExtInit *init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_NE(nullptr, init);
  IContextMenu *menu = nullptr;
  ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void **>(&menu)));
  ASSERT_NE(nullptr, menu);
  EXPECT_NE(static_cast<void *>(init), static_cast<void *>(menu));

  struct Case {
    const char *name;
    const IID *iid;
    void *expected;  // null: E_NOINTERFACE
  } cases[] = {
      {"IUnknown", &IID_IUnknown, init},
      {"IShellExtInit", &IID_IShellExtInit, init},
      {"IContextMenu", &IID_IContextMenu, menu},
      {"IContextMenu2", &IID_IContextMenu2, nullptr},
      {"IContextMenu3", &IID_IContextMenu3, nullptr},
      {"ITovinCopyShlExt", &host::kTypeLibraryInterface, nullptr},
      {"IClassFactory", &IID_IClassFactory, nullptr},
      {"IDataObject", &IID_IDataObject, nullptr},
  };
  for (IUnknown *through : {static_cast<IUnknown *>(init), static_cast<IUnknown *>(menu)}) {
    for (const Case &c : cases) {
      void *out = reinterpret_cast<void *>(1);
      EXPECT_EQ(c.expected ? S_OK : E_NOINTERFACE, through->QueryInterface(*c.iid, &out)) << c.name;
      EXPECT_EQ(c.expected, out) << c.name;
      if (out) static_cast<IUnknown *>(out)->Release();
    }
    EXPECT_EQ(E_POINTER, through->QueryInterface(IID_IUnknown, nullptr));
  }
  menu->Release();
  EXPECT_EQ(0u, init->Release());
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

TEST_F(IdentityTest, BothPointersShareOneCount) {
  IContextMenu *menu = Create<IContextMenu>(IID_IContextMenu);
  ASSERT_NE(nullptr, menu);
  IShellExtInit *init = nullptr;
  ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void **>(&init)));
  EXPECT_EQ(3u, init->AddRef());
  EXPECT_EQ(2u, menu->Release());
  EXPECT_EQ(1u, init->Release());
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());
  EXPECT_EQ(0u, init->Release());  // the last reference, through the other pointer
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

}  // namespace
