// The library's own path in what registration writes: apostrophes, length
// limits, and the type library it carries.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "path_length.h"
#include "registration_fixture.h"
#include "tests/support/text.h"

namespace {

using namespace registration;
using testing_text::U16;
using testing_text::U8;

using LibraryPath = Registration;

TEST_F(LibraryPath, ApostropheIsWrittenOnceInTheRegisteredPath) {
  TempDirectory directory;
  const std::string path = Below(Below(directory.path(), "Tovin's Tools"), LibraryFileName());
  ASSERT_TRUE(CopyLibrary(path));
  ServerLibrary copy(path);
  ASSERT_TRUE(copy.loaded());
  ASSERT_EQ(S_OK, copy.Register());
  EXPECT_EQ(Expected(Classes::kMachine, RegisteredListing(path)), MachineClasses());
}

class PathLength : public Registration, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(PathLength, PathsThatDoNotFitAreRefused) {
  TempDirectory directory;
  const std::string path = PathOfLength(directory.path(), GetParam().units);
  ASSERT_EQ(GetParam().units, path.size());
  ASSERT_TRUE(CopyLibrary(path));
  ServerLibrary copy(path);
  ASSERT_TRUE(copy.loaded());
  EXPECT_EQ(GetParam().expected, copy.Register());
  EXPECT_EQ(FAILED(GetParam().expected) ? "" : Expected(Classes::kMachine, RegisteredListing(path)), MachineClasses());
}

INSTANTIATE_TEST_SUITE_P(Limits, PathLength,
                         ::testing::Values(LengthCase{259, S_OK}, LengthCase{260, static_cast<HRESULT>(0x8007007A)},
                                           LengthCase{300, static_cast<HRESULT>(0x8007007A)}));

TEST(LibraryTypeLib, DescribesTheClassAndItsInterface) {
  ITypeLib *library = nullptr;
  ASSERT_EQ(S_OK, LoadTypeLib(U16(TOVINCOPYSHL_PATH).c_str(), &library));
  TLIBATTR *attributes = nullptr;
  ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
  EXPECT_EQ(1, attributes->wMajorVerNum);
  EXPECT_EQ(0, attributes->wMinorVerNum);
  EXPECT_EQ(0u, attributes->lcid);
#ifdef _WIN64
  EXPECT_EQ(SYS_WIN64, attributes->syskind);
#else
  EXPECT_EQ(SYS_WIN32, attributes->syskind);
#endif
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
