// The nesting bound, with the interpreter on a thread whose stack is as small
// as a file manager's or installer's (1 MB).
#include <gtest/gtest.h>
#include <pthread.h>

#include "module/module_flags.h"
#include "platform_seams.h"
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

struct RunOnThread {
  std::u16string script;
  bool registering;
  HRESULT hr = E_UNEXPECTED;
};

void *RunScriptThread(void *argument) {
  auto *run = static_cast<RunOnThread *>(argument);
  run->hr = RunText(run->script, run->registering);
  return nullptr;
}

HRESULT RunWithOneMegabyteStack(const std::u16string &script, bool registering) {
  RunOnThread run{script, registering};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 1024 * 1024);
  pthread_t thread;
  if (pthread_create(&thread, &attributes, RunScriptThread, &run) != 0) {
    pthread_attr_destroy(&attributes);
    return E_UNEXPECTED;
  }
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return run.hr;
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
  // Without the bound, 5000 levels of about 9 KB each would overrun 1 MB many times.
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(5000), true), DISP_E_EXCEPTION);
  EXPECT_EQ(RunWithOneMegabyteStack(NestedScript(5000), false), DISP_E_EXCEPTION);
  // Also when the deep part lies below an absent key.
  EXPECT_EQ(RunWithOneMegabyteStack(u"HKCU { absent" + NestedScript(5000).substr(4) + u" }", false),
            DISP_E_EXCEPTION);
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
