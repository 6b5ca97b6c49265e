// The library's own path in what registration writes: apostrophes, length
// limits, and the type library it carries.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "host_registration.h"
#include "platform_seams.h"
#include "tests/support/text.h"

namespace {

using namespace registration;
using testing_text::U16;
using testing_text::U8;

// A path of exactly `units` characters for a copy of the library below `base`.
std::string PathOfLength(const std::string &base, size_t units) {
  const std::string file = "/libtovincopyshl.so";
  std::string path = base;
  while (path.size() + file.size() < units) {
    size_t room = units - path.size() - file.size();
    // Each directory takes its name and a slash; never leave room for a slash alone.
    size_t name = std::min<size_t>(room - 1, 200);
    if (room - (name + 1) == 1) --name;
    path += "/" + std::string(name, 'd');
  }
  return path + file;
}

TEST(LibraryPath, ApostropheIsWrittenOnceInTheRegisteredPath) {
  seams::Reset();
  TempDirectory directory;
  const std::string path = directory.path() + "/Tovin's Tools/libtovincopyshl.so";
  ASSERT_TRUE(CopyLibrary(path));
  ServerLibrary library(path);
  ASSERT_TRUE(library.loaded());
  ASSERT_EQ(S_OK, library.Register());
  EXPECT_EQ(RegisteredListing(path), MachineClasses());
}

struct LengthCase {
  size_t units;
  HRESULT expected;
};

class PathLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(PathLength, PathsThatDoNotFitAreRefusedBeforeAnyScriptRuns) {
  seams::Reset();
  TempDirectory directory;
  const std::string path = PathOfLength(directory.path(), GetParam().units);
  ASSERT_EQ(GetParam().units, path.size());
  ASSERT_TRUE(CopyLibrary(path));
  ServerLibrary library(path);
  ASSERT_TRUE(library.loaded());
  EXPECT_EQ(GetParam().expected, library.Register());
  if (FAILED(GetParam().expected)) {
    EXPECT_EQ(0u, seams::CallCount("FindResourceW"));
    EXPECT_EQ("", MachineClasses());
  } else {
    EXPECT_EQ(RegisteredListing(path), MachineClasses());
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, PathLength,
                         ::testing::Values(LengthCase{259, S_OK}, LengthCase{260, static_cast<HRESULT>(0x8007007A)},
                                           LengthCase{300, static_cast<HRESULT>(0x8007007A)}));

TEST(LibraryTypeLib, DescribesTheClassAndItsInterface) {
  seams::Reset();
  ITypeLib *library = nullptr;
  ASSERT_EQ(S_OK, LoadTypeLib(U16(TOVINCOPYSHL_PATH).c_str(), &library));
  TLIBATTR *attributes = nullptr;
  ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
  EXPECT_EQ(1, attributes->wMajorVerNum);
  EXPECT_EQ(0, attributes->wMinorVerNum);
  EXPECT_EQ(0u, attributes->lcid);
  EXPECT_EQ(SYS_WIN32, attributes->syskind);
  library->ReleaseTLibAttr(attributes);

  ASSERT_EQ(2u, library->GetTypeInfoCount());
  std::vector<std::string> types;
  for (UINT i = 0; i < 2; ++i) {
    ITypeInfo *info = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfo(i, &info));
    BSTR name = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(-1, &name, nullptr, nullptr, nullptr));
    TYPEATTR *type = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&type));
    types.push_back(U8(std::basic_string<WCHAR>(name, SysStringLen(name))) + " kind=" + std::to_string(type->typekind) +
                    " functions=" + std::to_string(type->cFuncs));
    info->ReleaseTypeAttr(type);
    SysFreeString(name);
    info->Release();
  }
  std::sort(types.begin(), types.end());
  EXPECT_EQ((std::vector<std::string>{"ITovinCopyShlExt kind=3 functions=0", "TovinCopyShlExt kind=5 functions=0"}),
            types);
  library->Release();
}

}  // namespace
