// The loader protocol: what loading and unloading the library does.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

TEST(Loader, ShowsTheServerExportsAndNoInternalNames) {
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(S_OK, library.CanUnloadNow());
  for (const char *name : {"DllRegisterServer", "DllUnregisterServer", "DllInstall"})
    EXPECT_NE(nullptr, GetProcAddress(library.module(), name)) << name;
  // Internal names with C linkage would be found by their plain names.
  for (const char *internal : {"initFailed", "perUserRegistration", "objectMap", "moduleInstance",
                               "tovincopyshlModule", "currentModule", "CLSID_TovinCopyShlExt", "appIdText"})
    EXPECT_EQ(nullptr, GetProcAddress(library.module(), internal)) << internal;
}

TEST(Loader, FreeingTheLastReferenceUnmapsTheLibrary) {
  {
    host::Library library;
    ASSERT_TRUE(library.loaded());
    EXPECT_TRUE(host::LibraryMapped());
  }
  EXPECT_FALSE(host::LibraryMapped());
}

TEST(Loader, UnloadsWithAClassFactoryStillCached) {
  {
    host::Library library;
    IClassFactory *factory = library.Factory();
    ASSERT_NE(nullptr, factory);
    factory->Release();
  }
  EXPECT_FALSE(host::LibraryMapped());
  host::Library again;
  ASSERT_TRUE(again.loaded());
  EXPECT_EQ(S_OK, again.CanUnloadNow());
}

}  // namespace
