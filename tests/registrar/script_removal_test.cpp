// ForceRemove, Delete, NoRemove, the unregister pass and the roll-back of a
// failed root entry.
#include <gtest/gtest.h>

#include "module/failure.h"
#include "module/module_flags.h"
#include "platform_seams.h"
#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;
using Lines = std::vector<std::string>;

class ScriptRemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    perUserRegistration = false;
  }
};

TEST_F(ScriptRemovalTest, ForceRemoveAndDeleteInTheRegisterPass) {
  const struct {
    const char *label;
    std::u16string entry;
    Lines listing;
  } cases[] = {
      {"ForceRemove replaces the whole subtree", u"ForceRemove X = s 'new'", {"X", "X : @ = sz \"new\"", "keep"}},
      {"ForceRemove of an absent key creates it", u"ForceRemove Y", {"X", "X : v = sz \"old\"", "X\\Sub", "Y", "keep"}},
      {"Delete removes without creating", u"Delete X", {"keep"}},
      {"Delete reads past an assignment", u"Delete X = s 'ignored'", {"keep"}},
      {"Delete of an absent key is no error", u"Delete Y", {"X", "X : v = sz \"old\"", "X\\Sub", "keep"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    Seed(HKEY_CURRENT_USER, u"T\\X\\Sub");
    Seed(HKEY_CURRENT_USER, u"T\\X", u"v", u"old");
    Seed(HKEY_CURRENT_USER, u"T\\keep");
    ASSERT_EQ(RunText(u"HKCU { NoRemove T { " + c.entry + u" } }", true), S_OK);
    EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), c.listing);
    RegDeleteTreeW(HKEY_CURRENT_USER, u"T");
  }
}

TEST_F(ScriptRemovalTest, ProtectedNamesAreNeverDeletedAtAnyLevel) {
  const char16_t *names[] = {u"AppID",    u"CLSID",    u"Component Categories", u"FileType",
                             u"Interface", u"Hardware", u"Mime",                 u"SAM",
                             u"SECURITY", u"SYSTEM",   u"Software",             u"TypeLib",
                             u"clsid",    u"SOFTWARE"};
  for (const char16_t *name : names) {
    const std::u16string n = name;
    SCOPED_TRACE(U8(n));
    Seed(HKEY_CURRENT_USER, u"T\\deeper\\" + n + u"\\child");
    ASSERT_EQ(RunText(u"HKCU { T { deeper { ForceRemove '" + n + u"' Delete '" + n + u"' } } }", true), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"T\\deeper\\" + n + u"\\child"));
    RegDeleteTreeW(HKEY_CURRENT_USER, u"T");
  }
  EXPECT_EQ(seams::CallCount("RegDeleteKeyExW") + seams::CallCount("RegDeleteKeyW"), 0u);
}

TEST_F(ScriptRemovalTest, UnregistrationRemovesBottomUp) {
  const std::u16string script =
      u"HKCU { NoRemove T { A = s 'a' { B { val v = s 'x' NoRemove val keep = s 'y' } C } NoRemove D { E } } }";
  ASSERT_EQ(RunText(script, true), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"),
            (Lines{"A", "A : @ = sz \"a\"", "A\\B", "A\\B : keep = sz \"y\"", "A\\B : v = sz \"x\"", "A\\C", "D",
                   "D\\E"}));

  // A foreign subkey keeps its key and every key above it; foreign values keep nothing.
  Seed(HKEY_CURRENT_USER, u"T\\A\\C\\foreign");
  Seed(HKEY_CURRENT_USER, u"T\\A\\B", u"other", u"z");
  Seed(HKEY_CURRENT_USER, u"T\\D\\E", u"other", u"z");
  ASSERT_EQ(RunText(script, false), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"A", "A : @ = sz \"a\"", "A\\C", "A\\C\\foreign", "D"}));

  RegDeleteTreeW(HKEY_CURRENT_USER, u"T\\A\\C\\foreign");
  ASSERT_EQ(RunText(script, false), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"D"}));
}

TEST_F(ScriptRemovalTest, DeleteAndForceRemoveAreOrdinaryEntriesWhenUnregistering) {
  Seed(HKEY_CURRENT_USER, u"T\\X");
  Seed(HKEY_CURRENT_USER, u"T\\Y\\child");
  Seed(HKEY_CURRENT_USER, u"T\\CLSID");
  ASSERT_EQ(RunText(u"HKCU { NoRemove T { Delete X ForceRemove Y ForceRemove CLSID } }", false), S_OK);
  // The protected list is not consulted here; Y keeps its unnamed child.
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"Y", "Y\\child"}));
}

TEST_F(ScriptRemovalTest, AbsentKeysAreReadWithoutBeingOpened) {
  Seed(HKEY_CURRENT_USER, u"T\\keep", u"v", u"1");
  seams::SetRecording(true);
  EXPECT_EQ(RunText(u"HKCU { T { missing { deeper { deepest } val v = s 'x' } keep2 } }", false), S_OK);
  Lines opened;
  for (const seams::Call &call : seams::Calls("RegOpenKeyExW")) opened.push_back(call.subject);
  EXPECT_EQ(opened, (Lines{"HKEY_CURRENT_USER\\T", "HKEY_CURRENT_USER\\T\\missing", "HKEY_CURRENT_USER\\T\\keep2"}));
  EXPECT_EQ(seams::CallCount("RegDeleteValueW"), 0u);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"keep", "keep : v = sz \"1\""}));
  // An entirely absent script changes nothing either.
  EXPECT_EQ(RunText(u"HKLM { nothing { here = s 'x' { val v = s 'y' } } }", false), S_OK);
}

TEST_F(ScriptRemovalTest, KeyThatCannotBeOpenedEndsThePassAfterItsBlock) {
  Seed(HKEY_CURRENT_USER, u"T\\locked\\inner");
  Seed(HKEY_CURRENT_USER, u"T\\before");
  Seed(HKEY_CURRENT_USER, u"T\\after");
  seams::FailOperation("RegOpenKeyExW", ERROR_ACCESS_DENIED, 0, "HKEY_CURRENT_USER\\T\\locked");
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { before locked { inner } after } }", false),
            HresultFromWin32(ERROR_ACCESS_DENIED));
  seams::ClearFaults();
  // Nothing below the locked key was touched, nothing after it read.
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"after", "locked", "locked\\inner"}));
}

TEST_F(ScriptRemovalTest, FailedValueRemovalIsReported) {
  Seed(HKEY_CURRENT_USER, u"T", u"v", u"1");
  seams::FailOperation("RegDeleteValueW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { val v = s '1' } }", false), HresultFromWin32(ERROR_ACCESS_DENIED));
  seams::ClearFaults();
  // An absent value is not an error.
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { val v = s '1' val absent = s '2' } }", false), S_OK);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, u"T", u"v").code, ERROR_FILE_NOT_FOUND);
}

TEST_F(ScriptRemovalTest, FailedSecondRootEntryIsRolledBackAlone) {
  Seed(HKEY_CURRENT_USER, u"R2\\A", u"existing", u"before registration");
  seams::FailOperation("RegCreateKeyExW", ERROR_ACCESS_DENIED, 0, "HKEY_CURRENT_USER\\R2\\B");
  const std::u16string script =
      u"HKCU { R1 { val v = s '1' } }\r\n"
      u"HKCU { R2 { A { val existing = s 'x' } B { val w = s '2' } } }\r\n"
      u"HKCU { R3 } HKCX { this root is never read";
  EXPECT_EQ(RunText(script, true), HresultFromWin32(ERROR_ACCESS_DENIED));
  // The first entry stays; the roll-back removed all of the second's, the
  // value that predates the registration included; the third was not read.
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"R1"), (Lines{" : v = sz \"1\""}));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"R2"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"R3"));
}

TEST_F(ScriptRemovalTest, RollBackFollowsAnUnknownTypeLetter) {
  Seed(HKEY_CURRENT_USER, u"T\\foreign");
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { a { b = s 'x' } c = z 'bad' } }", true), DISP_E_EXCEPTION);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{"foreign"}));
}

TEST_F(ScriptRemovalTest, EmptyKeyNameIsRefusedBeforeAnythingIsTouched) {
  Seed(HKEY_CLASSES_ROOT, u"Existing\\child", u"v", u"1");
  Seed(HKEY_CURRENT_USER, u"T", u"v", u"1");
  const Lines classesBefore = Listing(HKEY_CLASSES_ROOT, u"");
  const struct {
    std::u16string script;
    bool registering;
  } cases[] = {
      {u"HKCR { ForceRemove '' }", true},
      {u"HKCR { Delete '' }", true},
      {u"HKCR { ForceRemove '' }", false},
      {u"HKCU { NoRemove T { '' = s 'x' } }", true},
      {u"HKCU { T { '' } }", false},
      {u"HKCU { T { NoRemove '' { val v = s '1' } } }", false},
  };
  for (const auto &c : cases) {
    seams::Reset();
    EXPECT_EQ(RunText(c.script, c.registering), DISP_E_EXCEPTION) << U8(c.script);
    EXPECT_EQ(seams::CallCount("RegDeleteKeyExW") + seams::CallCount("RegDeleteValueW"), 0u) << U8(c.script);
    EXPECT_EQ(seams::CallCount("RegSetValueExW"), 0u) << U8(c.script);
  }
  EXPECT_EQ(Listing(HKEY_CLASSES_ROOT, u""), classesBefore);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{" : v = sz \"1\""}));
}

TEST_F(ScriptRemovalTest, OverlongKeyNameIsNeverDeletedUnderATruncatedName) {
  // The registry holds no key names beyond 255 units, so such an entry can
  // only fail or be absent; in no case does a delete run.
  const std::u16string longName(300, u'k');
  Seed(HKEY_CURRENT_USER, u"T\\" + std::u16string(255, u'k'));
  RunText(u"HKCU { NoRemove T { '" + longName + u"' } }", false);
  EXPECT_EQ(seams::CallCount("RegDeleteKeyExW") + seams::CallCount("RegDeleteKeyW"), 0u);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"T\\" + std::u16string(255, u'k')));
}

TEST_F(ScriptRemovalTest, MalformedTextBelowAnAbsentKeyEndsThePass) {
  // Read on from the failure, the rest of the broken block would be taken for
  // entries of T itself: its value v, or its subkey c, would be removed.
  const std::u16string scripts[] = {
      u"HKCU { NoRemove T { absent { a\\b val v = s '1' } } }",
      u"HKCU { NoRemove T { absent { a\\b { c } } } }",
      u"HKCU { NoRemove T { absent { '' { c } } } }",
  };
  for (const std::u16string &script : scripts) {
    Seed(HKEY_CURRENT_USER, u"T", u"v", u"1");
    Seed(HKEY_CURRENT_USER, u"T\\c");
    EXPECT_EQ(RunText(script, false), DISP_E_EXCEPTION) << U8(script);
    EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), (Lines{" : v = sz \"1\"", "c"})) << U8(script);
  }
}

}  // namespace
