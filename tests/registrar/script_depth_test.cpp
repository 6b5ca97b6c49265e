// The nesting bound, with the interpreter on a thread whose stack is as small
// as a file manager's or installer's (1 MB).
#include <gtest/gtest.h>

#include "module/module_flags.h"
#include "platform_seams.h"
#include "tests/support/deep_stack.h"
#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;

// "HKCU { k { k { ... } } }" with `levels` blocks, the root's included.
std::u16string NestedScript(int levels) {
  std::u16string script = u"HKCU {";
  for (int i = 1; i < levels; ++i) script += u" k {";
  for (int i = 0; i < levels; ++i) script += u" }";
  return script;
}

HRESULT RunWithOneMegabyteStack(const std::u16string &script, bool registering) {
  HRESULT hr = E_UNEXPECTED;
  testing_stack::RunOnStack(testing_stack::ScaledForBuild(testing_stack::kHostThreadStack),
                            [&] { hr = RunText(script, registering); });
  return hr;
}

// k\k\...\k with `count` names.
std::u16string Chain(int count) {
  std::u16string path = u"k";
  for (int i = 1; i < count; ++i) path += u"\\k";
  return path;
}

class ScriptDepthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    perUserRegistration = false;
  }
};

TEST_F(ScriptDepthTest, SixtyFourLevelsRegisterAndUnregister) {
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(64), true), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Chain(63)));
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(64), false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"k"));
}

TEST_F(ScriptDepthTest, SixtyFiveLevelsFailCleanly) {
  const std::u16string script = u"HKCU { first" + NestedScript(65).substr(6);
  EXPECT_EQ(RunWithOneMegabyteStack(script, true), DISP_E_EXCEPTION);
  // Nothing was written at the refused level. The roll-back ran as after any
  // register failure: it removed the entry before the chain and stopped at
  // the same bound, so the chain's keys stay.
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Chain(64)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Chain(65)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"first"));
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(65), false), DISP_E_EXCEPTION);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Chain(64)));
}

TEST_F(ScriptDepthTest, HostileNestingCannotExhaustTheStack) {
  // Without the bound, 5000 levels of up to 1 KB each would overrun 1 MB.
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(5000), true), DISP_E_EXCEPTION);
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(5000), false), DISP_E_EXCEPTION);
  // Also when the deep part lies below an absent key.
  EXPECT_EQ(RunWithOneMegabyteStack(u"HKCU { absent" + NestedScript(5000).substr(4) + u" }", false),
            DISP_E_EXCEPTION);
}

TEST_F(ScriptDepthTest, DeepestWorkLeavesMostOfAHostThreadsStack) {
  // The host's own frames below the handler's share the thread's 1 MB: the
  // deepest nesting, and removal of a tree as deep as the registry allows
  // (512 levels from HKCU), must leave at least half of it.
  const size_t stack = testing_stack::ScaledForBuild(testing_stack::kHostThreadStack);
  const struct {
    const char *name;
    std::u16string script;
    bool registering;
    bool seedDeepTree;
  } cases[] = {
      {"nesting, register", NestedScript(64), true, false},
      {"nesting, unregister", NestedScript(64), false, false},
      {"ForceRemove of a deepest tree", u"HKCU { ForceRemove T }", true, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    if (c.seedDeepTree) Seed(HKEY_CURRENT_USER, u"T\\" + Chain(511));
    HRESULT hr = E_UNEXPECTED;
    const size_t used = testing_stack::RunOnStack(stack, [&] { hr = RunText(c.script, c.registering); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_LT(used, stack / 2);
  }
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"T"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"T\\k"));
}

TEST_F(ScriptDepthTest, ServerScriptDepthIsWellInsideTheBound) {
  perUserRegistration = true;
  // HKCU, Software, Classes, then CLSID, the class key, InprocServer32: 7 levels of keys, 6 blocks.
  const std::u16string script =
      u"HKCR { NoRemove CLSID { ForceRemove {X} = s 'c' { InprocServer32 = s 'm' { val ThreadingModel = s 'A' } } } }";
  EXPECT_EQ(RunWithOneMegabyteStack(script, true), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Classes\\CLSID\\{X}\\InprocServer32"));
}

}  // namespace
