// Loading the library under the substitute's loader: the entry function it
// calls by name, and the three sections the static records create.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "platform_seams.h"

namespace {

// The shared library shows its entry function, which the substitute's loader
// calls; the DLL names it in its header instead.
TEST(LoaderSeams, TheEntryFunctionIsVisible) {
  seams::Reset();
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_NE(nullptr, GetProcAddress(library.module(), "DllMain"));
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

TEST(LoaderSeams, LoadingCreatesExactlyTheThreeSections) {
  seams::Reset();
  host::Library library;
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(3u, seams::CallCount("InitializeCriticalSection"));
}

}  // namespace
