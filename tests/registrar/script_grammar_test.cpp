// The script language's grammar and value kinds, read back from the registry.
#include <gtest/gtest.h>

#include "module/module_flags.h"
#include "platform_seams.h"
#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;
using Lines = std::vector<std::string>;

class ScriptGrammarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    perUserRegistration = false;
  }
};

TEST_F(ScriptGrammarTest, TopLevel) {
  const struct {
    const char *label;
    std::u16string script;
    HRESULT hr;
  } cases[] = {
      {"empty text", u"", S_OK},
      {"blanks only", u" \r\n\t", DISP_E_EXCEPTION},
      {"empty block, blanks after it", u"HKCU { }\r\n\t ", S_OK},
      {"long root name in any case", u"hkey_Current_USER { }", S_OK},
      {"two roots", u"HKCU { } HKLM { }", S_OK},
      {"root name only", u"HKCU", DISP_E_EXCEPTION},
      {"unknown root", u"HKCX { }", DISP_E_EXCEPTION},
      {"root without block", u"HKCU T { }", DISP_E_EXCEPTION},
      {"missing closing brace", u"HKCU { T", DISP_E_EXCEPTION},
      {"a root block opens with any token beginning with a brace", u"HKCU {x }", S_OK},
      {"a token beginning with a brace closes a block", u"HKCU { }x", S_OK},
      {"value name without assignment", u"HKCU { val V }", DISP_E_EXCEPTION},
      {"val without name", u"HKCU { val", DISP_E_EXCEPTION},
      {"text after the last root", u"HKCU { } x", DISP_E_EXCEPTION},
  };
  for (const auto &c : cases) {
    for (bool registering : {true, false}) {
      EXPECT_EQ(RunText(c.script, registering), c.hr) << c.label << (registering ? " (register)" : " (unregister)");
    }
  }
  EXPECT_EQ(seams::CallCount("RegSetValueExW"), 0u);
}

TEST_F(ScriptGrammarTest, KeywordPositionsAndKeyNames) {
  const struct {
    const char *label;
    std::u16string entries;
    Lines listing;
  } cases[] = {
      {"an assignment needs blanks around '='", u"x=s 'y'", {"x=s", "y"}},
      {"a bare braced identifier is a key name",
       u"{1955A1E8-C828-42AF-A571-081D65B07B83}", {"{1955A1E8-C828-42AF-A571-081D65B07B83}"}},
      {"a quoted brace opens a block", u"k '{' c '}'", {"k", "k\\c"}},
      {"a quoted keyword is the keyword", u"'ForceRemove' 'NoRemove' k", {"k"}},
      {"keywords in any case", u"forceremove k1 noremove k2 VAL v = s 'y'", {" : v = sz \"y\"", "k1", "k2"}},
      {"NoRemove before ForceRemove makes ForceRemove a key", u"NoRemove ForceRemove x", {"ForceRemove", "x"}},
      {"Val after NoRemove", u"NoRemove Val v = s 'y'", {" : v = sz \"y\""}},
      {"quoted and bare names are the same key", u"'a.DLL' { val v = s '1' } a.DLL { val w = s '2' }",
       {"a.DLL", "a.DLL : v = sz \"1\"", "a.DLL : w = sz \"2\""}},
      {"a value name may hold a backslash", u"val A\\B = s 'c'", {" : A\\B = sz \"c\""}},
      {"default value and nested block", u"k = s 'v' { val n = s 'w' }",
       {"k", "k : @ = sz \"v\"", "k : n = sz \"w\""}},
      {"an empty quoted default value", u"x = s ''", {"x", "x : @ = sz \"\""}},
      {"vertical tab and form feed are part of names", u"a\vb c\fd", {"a\vb", "c\fd"}},
      {"a block after Delete runs below the level's last key", u"k Delete z { c }", {"k", "k\\c"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(RunText(u"HKCU { T { " + c.entries + u" } }", true), S_OK);
    EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), c.listing);
    RegDeleteTreeW(HKEY_CURRENT_USER, u"T");
  }
}

TEST_F(ScriptGrammarTest, CompoundKeyNamesAreRefusedInBothPasses) {
  for (bool registering : {true, false}) {
    for (const char16_t *entry : {u"A\\B", u"ForceRemove A\\B", u"Delete A\\B", u"NoRemove A\\B"}) {
      EXPECT_EQ(RunText(u"HKCU { T { " + std::u16string(entry) + u" } }", registering), DISP_E_EXCEPTION)
          << U8(entry);
    }
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"T\\A"));
}

struct ValueCase {
  const char *label;
  std::u16string assignment;  // after "val V = "
  HRESULT hr;
  DWORD type;
  std::vector<BYTE> bytes;
};

TEST_F(ScriptGrammarTest, ValueKindsWriteExactBytes) {
  std::u16string hex600;
  std::vector<BYTE> bytes300;
  for (int i = 0; i < 300; ++i) {
    hex600 += u"A5";
    bytes300.push_back(0xA5);
  }
  std::u16string multiLong(200, u'm');
  std::vector<BYTE> multiLongBytes = Utf16Bytes(multiLong);
  multiLongBytes.push_back(0);
  multiLongBytes.push_back(0);

  const ValueCase cases[] = {
      {"string", u"s 'ab c'", S_OK, REG_SZ, Utf16Bytes(u"ab c")},
      {"string, letter in upper case", u"S 'x'", S_OK, REG_SZ, Utf16Bytes(u"x")},
      {"empty string", u"s ''", S_OK, REG_SZ, {0, 0}},
      {"number", u"d '123'", S_OK, REG_DWORD, {123, 0, 0, 0}},
      {"bare number", u"D 4294967295", S_OK, REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"number zero", u"d 0", S_OK, REG_DWORD, {0, 0, 0, 0}},
      {"binary pairs, high nibble first", u"b '0A1B'", S_OK, REG_BINARY, {0x0A, 0x1B}},
      {"binary lower case", u"b 'ff0c'", S_OK, REG_BINARY, {0xFF, 0x0C}},
      {"binary non-digits count as 0", u"b 'zz'", S_OK, REG_BINARY, {0x00}},
      {"binary mixed", u"b 'gF'", S_OK, REG_BINARY, {0x0F}},
      {"empty binary", u"b ''", S_OK, REG_BINARY, {}},
      {"binary beyond the inline buffer", u"b '" + hex600 + u"'", S_OK, REG_BINARY, bytes300},
      {"binary of odd length", u"b 'ABC'", E_FAIL, 0, {}},
      {"two strings", u"m 'a\\0b'", S_OK, REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
      {"empty multi-string", u"m ''", S_OK, REG_MULTI_SZ, {0, 0}},
      {"trailing separator adds nothing", u"m 'a\\0'", S_OK, REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}},
      {"empty string ends the list", u"m 'a\\0\\0b'", S_OK, REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}},
      {"lone backslash is text", u"m 'a\\b\\'", S_OK, REG_MULTI_SZ,
       {'a', 0, '\\', 0, 'b', 0, '\\', 0, 0, 0, 0, 0}},
      {"multi-string beyond the inline buffer", u"m '" + multiLong + u"'", S_OK, REG_MULTI_SZ, multiLongBytes},
      {"unknown type letter", u"q 'y'", DISP_E_EXCEPTION, 0, {}},
      {"type word instead of letter", u"sz 'y'", DISP_E_EXCEPTION, 0, {}},
      {"number the conversion refuses", u"d 'abc'", DISP_E_TYPEMISMATCH, 0, {}},
      {"number out of range", u"d '4294967296'", DISP_E_OVERFLOW, 0, {}},
  };
  for (const ValueCase &c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(RunText(u"HKCU { T { val V = " + c.assignment + u" } }", true), c.hr);
    RawValue value = ReadValue(HKEY_CURRENT_USER, u"T", u"V");
    if (c.hr == S_OK) {
      ASSERT_EQ(value.code, ERROR_SUCCESS);
      EXPECT_EQ(value.type, c.type);
      EXPECT_EQ(value.bytes, c.bytes);
    } else {
      EXPECT_EQ(value.code, ERROR_FILE_NOT_FOUND);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, u"T");
  }
}

TEST_F(ScriptGrammarTest, UnknownTypeLetterUnregistersButDoesNotRegister) {
  Seed(HKEY_CURRENT_USER, u"T\\x", u"V", u"old");
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { x = q 'y' { val V = s 'z' } } }", false), S_OK);
  EXPECT_EQ(Listing(HKEY_CURRENT_USER, u"T"), Lines{});
  EXPECT_EQ(RunText(u"HKCU { NoRemove T { x = q 'y' } }", true), DISP_E_EXCEPTION);
}

TEST_F(ScriptGrammarTest, RefusedNumberFailsTheRegisterPassOnly) {
  // The failed root entry is rolled back: its earlier value goes too.
  EXPECT_EQ(RunText(u"HKCU { T { val A = s 'a' val N = d '12x' } }", true), DISP_E_TYPEMISMATCH);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"T"));
  ASSERT_EQ(RunText(u"HKCU { T { val A = s 'a' } }", true), S_OK);
  EXPECT_EQ(RunText(u"HKCU { T { val A = s 'a' val N = d '12x' } }", false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"T"));
}

}  // namespace
