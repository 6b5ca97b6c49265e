// Where a module's type library is loaded from: the module itself, else the
// ".tlb" file beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "module/type_library_registration.h"
#include "platform_seams.h"
#include "tests/support/resource_module.h"
#include "tests/support/temp_directory.h"
#include "tests/support/text.h"

namespace {

using namespace testing_resources;
using testing_text::U16;
using testing_text::U8;

std::string TypeLibraryBytes() {
  std::ifstream in(TOVINCOPYSHL_TLB, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct LocationCase {
  const char *name;
  const char *module;         // relative to a fresh directory
  const char *typeLibrary;    // the .tlb file written beside, or null
  bool embedded;              // the module carries "TYPELIB" 1 itself
  const char *loadedFrom;     // null: the load fails
};

class TypeLibraryLocation : public ::testing::TestWithParam<LocationCase> {};

TEST_P(TypeLibraryLocation, LoadsFromTheModuleOrTheFileBesideIt) {
  seams::Reset();
  const testing_files::TempDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());
  const std::string &directory = scratch.path();
  const LocationCase &c = GetParam();
  std::filesystem::create_directories(std::filesystem::path(directory + "/" + c.module).parent_path());
  std::vector<ResourceEntry> resources;
  if (c.embedded) resources.push_back({u"TYPELIB", 1, 0x0409, TypeLibraryBytes()});
  ASSERT_TRUE(WriteElfWithSection(directory + "/" + c.module, ".rsrc", BuildRes(resources)));
  if (c.typeLibrary) {
    ASSERT_TRUE(WriteFileBytes(directory + "/" + c.typeLibrary, TypeLibraryBytes()));
  }

  HMODULE module = LoadLibraryExW(U16(directory + "/" + c.module).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  BSTR path = nullptr;
  ITypeLib *library = nullptr;
  HRESULT hr = LoadModuleTypeLib(module, &path, &library);
  if (c.loadedFrom) {
    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(directory + "/" + c.loadedFrom, U8(std::u16string(path, SysStringLen(path))));
    EXPECT_NE(nullptr, library);
  } else {
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(nullptr, path);
    EXPECT_EQ(nullptr, library);
  }
  if (library) library->Release();
  SysFreeString(path);
  FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TypeLibraryLocation,
    ::testing::Values(LocationCase{"Embedded", "lib.so", nullptr, true, "lib.so"},
                      LocationCase{"ExtensionReplaced", "lib.so", "lib.tlb", false, "lib.tlb"},
                      LocationCase{"LastDotOnly", "a.b.so", "a.b.tlb", false, "a.b.tlb"},
                      LocationCase{"DotInDirectoryOnly", "dir.d/libmod", "dir.d/libmod.tlb", false,
                                   "dir.d/libmod.tlb"},
                      LocationCase{"Nowhere", "lib.so", nullptr, false, nullptr}),
    [](const ::testing::TestParamInfo<LocationCase> &info) { return std::string(info.param.name); });

TEST(TypeLibraryLocation, MissingOutputsArePointerErrors) {
  BSTR path = nullptr;
  ITypeLib *library = nullptr;
  EXPECT_EQ(E_POINTER, LoadModuleTypeLib(nullptr, nullptr, &library));
  EXPECT_EQ(E_POINTER, LoadModuleTypeLib(nullptr, &path, nullptr));
}

}  // namespace
