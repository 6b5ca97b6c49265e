// Registry scripts read from the "REGISTRY" resources of module files.
#include <gtest/gtest.h>

#include "module/failure.h"
#include "platform_seams.h"
#include "registrar/reg_object.h"
#include "tests/support/registry_listing.h"
#include "tests/support/resource_module.h"
#include "tests/support/temp_directory.h"
#include "tests/support/text.h"

namespace {

using namespace testing_resources;
using registry_listing::KeyExists;
using registry_listing::Listing;
using testing_text::U16;

class ScriptResource : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    ASSERT_FALSE(scratch_.path().empty());
    directory_ = scratch_.path();
    path_ = U16(directory_ + "/module.so");
  }
  void WriteModule(const std::vector<ResourceEntry> &entries) {
    ASSERT_TRUE(WriteElfWithSection(directory_ + "/module.so", ".rsrc", BuildRes(entries)));
  }
  HRESULT Register(UINT id) {
    CRegObject registrar;
    return registrar.RegisterResource(path_.c_str(), id, u"REGISTRY");
  }

  testing_files::TempDirectory scratch_;
  std::string directory_;
  std::u16string path_;
};

TEST_F(ScriptResource, TextIsDecodedWithTheThreadsCodePage) {
  // 0xE9 is "й" in the Cyrillic code page and "é" in the Western one.
  WriteModule({{u"REGISTRY", 7, 0x0409, "HKCU\r\n{\r\n\tTovin\xE9\r\n}\r\n"}});
  ASSERT_TRUE(SetThreadLocale(0x0419));
  ASSERT_EQ(S_OK, Register(7));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Tovin\u0439"));
  ASSERT_TRUE(SetThreadLocale(0x0409));
  ASSERT_EQ(S_OK, Register(7));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Tovin\u00E9"));
}

// Scripts on both sides of the inline buffer's size, and a long one.
class ScriptSize : public ScriptResource, public ::testing::WithParamInterface<size_t> {};

TEST_P(ScriptSize, RegistersWholeScripts) {
  std::string script = "HKCU\r\n{\r\n\tSized = s 'end'\r\n}\r\n";
  script.insert(6, GetParam() - script.size(), ' ');
  ASSERT_EQ(GetParam(), script.size());
  WriteModule({{u"REGISTRY", 9, 0x0409, script}});
  ASSERT_EQ(S_OK, Register(9));
  EXPECT_EQ((std::vector<std::string>{" : @ = sz \"end\""}), Listing(HKEY_CURRENT_USER, u"Sized"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScriptSize, ::testing::Values(511, 512, 70000));

struct FailureCase {
  const char *name;
  std::vector<ResourceEntry> entries;
  UINT id;
  HRESULT expected;
};

class ScriptFailure : public ScriptResource, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ScriptFailure, RefusedWithoutTouchingTheRegistry) {
  WriteModule(GetParam().entries);
  const std::vector<std::string> before = Listing(HKEY_CURRENT_USER, u"");
  EXPECT_EQ(GetParam().expected, Register(GetParam().id));
  EXPECT_EQ(before, Listing(HKEY_CURRENT_USER, u""));
}

const std::string kScript = "HKCU\r\n{\r\n\tWritten\r\n}\r\n";

INSTANTIATE_TEST_SUITE_P(
    Resources, ScriptFailure,
    ::testing::Values(
        FailureCase{"EmptyResource", {{u"REGISTRY", 5, 0x0409, ""}}, 5, HresultFromWin32(ERROR_INVALID_PARAMETER)},
        FailureCase{"MissingName", {{u"REGISTRY", 5, 0x0409, kScript}}, 6,
                    HresultFromWin32(ERROR_RESOURCE_NAME_NOT_FOUND)},
        FailureCase{"MissingType", {{u"OTHER", 5, 0x0409, kScript}}, 5,
                    HresultFromWin32(ERROR_RESOURCE_TYPE_NOT_FOUND)}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST_F(ScriptResource, OnlyTheIdentifiersLow16BitsCount) {
  WriteModule({{u"REGISTRY", 5, 0x0409, kScript}});
  ASSERT_EQ(S_OK, Register(0x10005));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Written"));
}

TEST_F(ScriptResource, MissingModuleFileIsNotFound) {
  CRegObject registrar;
  std::u16string missing = U16(directory_ + "/absent.so");
  EXPECT_EQ(HresultFromWin32(ERROR_MOD_NOT_FOUND), registrar.RegisterResource(missing.c_str(), 1, u"REGISTRY"));
}

}  // namespace
