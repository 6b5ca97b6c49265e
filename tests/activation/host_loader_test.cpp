// The loader protocol: what loading and unloading the library does.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "platform_seams.h"

namespace {

TEST(Loader, LoadsWithOnlyTheEntryFunctionAndActivationExportsVisible) {
  seams::Reset();
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(S_OK, library.CanUnloadNow());
  EXPECT_NE(nullptr, GetProcAddress(library.module(), "DllMain"));
  // Internal names with C linkage would be found by their plain names.
  for (const char *internal : {"initFailed", "perUserRegistration", "objectMap", "moduleInstance",
                               "tovincopyshlModule", "currentModule", "CLSID_TovinCopyShlExt", "appIdText"})
    EXPECT_EQ(nullptr, GetProcAddress(library.module(), internal)) << internal;
}

TEST(Loader, FreeingTheLastReferenceUnmapsTheLibrary) {
  seams::Reset();
  {
    host::Library library;
    ASSERT_TRUE(library.loaded());
    EXPECT_TRUE(host::LibraryMapped());
  }
  EXPECT_FALSE(host::LibraryMapped());
}

TEST(Loader, UnloadsWithAClassFactoryStillCached) {
  seams::Reset();
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

// The three static records each create one critical section at load: the
// object map's, the instance record's and the module's, in that order.
class LoaderRefusal : public ::testing::TestWithParam<unsigned> {};

TEST_P(LoaderRefusal, ASectionThatCannotBeCreatedFailsTheLoadAndLeavesNothingLoaded) {
  seams::Reset();
  seams::FailOperation("InitializeCriticalSection", STATUS_NO_MEMORY, GetParam());
  SetLastError(0);
  HMODULE module = LoadLibraryW(host::LibraryPath().c_str());
  EXPECT_EQ(nullptr, module);
  EXPECT_EQ(static_cast<DWORD>(ERROR_DLL_INIT_FAILED), GetLastError());
  EXPECT_EQ(nullptr, GetModuleHandleW(host::LibraryPath().c_str()));
  EXPECT_FALSE(host::LibraryMapped());
  if (module) FreeLibrary(module);

  // The failed attempt left no state behind: the next load starts clean.
  seams::ClearFaults();
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(S_OK, library.CanUnloadNow());
  IClassFactory *factory = library.Factory();
  ASSERT_NE(nullptr, factory);
  factory->Release();
}

INSTANTIATE_TEST_SUITE_P(EachStaticRecord, LoaderRefusal, ::testing::Values(1u, 2u, 3u));

TEST(Loader, LoadingCreatesExactlyTheThreeSections) {
  seams::Reset();
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(3u, seams::CallCount("InitializeCriticalSection"));
}

}  // namespace
