// Script preprocessing: references, "%%" and the per-user rewrite.
#include <gtest/gtest.h>
#include <objbase.h>

#include "module/module_flags.h"
#include "platform_seams.h"
#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;

const std::u16string kStart = u"HKCU\r\n{\tSoftware\r\n\t{\r\n\t\tClasses";
const std::u16string kEnd = u"\r\n\t}\r\n}\r\n";

class ScriptExpandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    perUserRegistration = false;
    ASSERT_EQ(registrar_.PutReplacement(u"Module", u"C:\\dir\\m.dll"), S_OK);
    ASSERT_EQ(registrar_.PutReplacement(u"APPID", u"{ID}"), S_OK);
    ASSERT_EQ(registrar_.PutReplacement(u"Pct", u"50%x%"), S_OK);
    ASSERT_EQ(registrar_.PutReplacement(std::u16string(31, u'N').c_str(), u"long"), S_OK);
    ASSERT_EQ(registrar_.PutReplacement(std::u16string(32, u'N').c_str(), u"too long"), S_OK);
  }
  void TearDown() override { perUserRegistration = false; }

  // The expansion's HRESULT; *out receives the text on success.
  HRESULT Expand(const std::u16string &text, std::u16string *out) {
    CRegScriptParser parser(&registrar_);
    LPWSTR result = reinterpret_cast<LPWSTR>(1);
    HRESULT hr = parser.ExpandScript(text.c_str(), &result);
    if (SUCCEEDED(hr)) {
      *out = result;
      CoTaskMemFree(result);
    } else {
      EXPECT_EQ(result, nullptr);
    }
    return hr;
  }

  CRegObject registrar_;
};

struct ExpandCase {
  std::u16string in;
  HRESULT hr;
  std::u16string out;
};

TEST_F(ScriptExpandTest, ReferencesAndPercentPairs) {
  const std::u16string n31(31, u'N'), n32(32, u'N');
  const ExpandCase cases[] = {
      {u"", S_OK, u""},
      {u"100%%", S_OK, u"100%"},
      {u"%%%%", S_OK, u"%%"},
      {u"'%MODULE%'", S_OK, u"'C:\\dir\\m.dll'"},
      {u"'%module%'", S_OK, u"'C:\\dir\\m.dll'"},
      {u"'%Module%'", S_OK, u"'C:\\dir\\m.dll'"},
      {u"'x%APPID%y'", S_OK, u"'x{ID}y'"},
      {u"%PCT%%%", S_OK, u"50%x%%"},  // a value's own "%" is not expanded again
      {u"a%" + n31 + u"%b", S_OK, u"along" u"b"},
      {u"%" + n32 + u"%", E_FAIL, u""},
      {u"%APPID", DISP_E_EXCEPTION, u""},
      {u"tail%", DISP_E_EXCEPTION, u""},
      {u"%NOSUCH%", DISP_E_EXCEPTION, u""},
      {u"HKCR\r\n{\r\n\tx = s 'it''s'\r\n}\r\n", S_OK, u"HKCR\r\n{\r\n\tx = s 'it''s'\r\n}\r\n"},
  };
  for (const ExpandCase &c : cases) {
    std::u16string out;
    EXPECT_EQ(Expand(c.in, &out), c.hr) << U8(c.in);
    if (c.hr == S_OK) {
      EXPECT_EQ(U8(out), U8(c.out)) << U8(c.in);
    }
  }
}

TEST_F(ScriptExpandTest, LongNameFailsBeforeAnyLookup) {
  // Not in the map, yet the length decides first.
  std::u16string out;
  EXPECT_EQ(Expand(u"%" + std::u16string(40, u'Q') + u"%", &out), E_FAIL);
  EXPECT_EQ(Expand(u"%" + std::u16string(31, u'Q') + u"%", &out), DISP_E_EXCEPTION);
}

TEST_F(ScriptExpandTest, AbsentArguments) {
  CRegScriptParser parser(&registrar_);
  LPWSTR result = nullptr;
  EXPECT_EQ(parser.ExpandScript(nullptr, &result), E_POINTER);
  EXPECT_EQ(parser.ExpandScript(u"x", nullptr), E_POINTER);
}

TEST_F(ScriptExpandTest, OutOfMemory) {
  std::u16string out;
  seams::FailOperation("CoTaskMemAlloc", 0);
  EXPECT_EQ(Expand(u"HKCR { }", &out), E_OUTOFMEMORY);
  seams::ClearFaults();
  seams::FailOperation("CoTaskMemRealloc", 0);
  EXPECT_EQ(Expand(u"%MODULE%" + std::u16string(600, u' ') + u"%MODULE%", &out), S_OK);  // fits 2x length
  std::u16string grows(60, u'%');  // 60 units in, 30 out: no growth either
  EXPECT_EQ(Expand(grows, &out), S_OK);
  std::u16string big = u"%PCT%";
  for (int i = 0; i < 300; ++i) big += u"%PCT%";  // 5 units in, 6 out each
  EXPECT_EQ(Expand(big, &out), S_OK);
  registrar_.ResetReplacements();
  ASSERT_EQ(registrar_.PutReplacement(u"Wide", std::u16string(5000, u'w').c_str()), S_OK);
  EXPECT_EQ(Expand(u"HKCR { x = s '%WIDE%' }", &out), E_OUTOFMEMORY);
}

TEST_F(ScriptExpandTest, PerUserRewrite) {
  perUserRegistration = true;
  const ExpandCase cases[] = {
      {u"HKCR { x }", S_OK, kStart + u" { x " + kEnd + u"}"},
      // Quoted braces and doubled apostrophes do not move the depth.
      {u"HKCR { x = s '{' y = s 'it''s}' }", S_OK, kStart + u" { x = s '{' y = s 'it''s}' " + kEnd + u"}"},
      // A bare brace-wrapped name opens and closes.
      {u"HKCR { {ab} }", S_OK, kStart + u" { {ab} " + kEnd + u"}"},
      {u"HKCR { a } HKCR { b }", S_OK, kStart + u" { a " + kEnd + u"} " + kStart + u" { b " + kEnd + u"}"},
      {u"HKLM { a } HKCR { b }", S_OK, u"HKLM { a } " + kStart + u" { b " + kEnd + u"}"},
      {u"HKEY_CLASSES_ROOT { a } hkcr { b }", S_OK, u"HKEY_CLASSES_ROOT { a } hkcr { b }"},
      {u"HKCR { '%APPID%' }", S_OK, kStart + u" { '{ID}' " + kEnd + u"}"},
      {u"HKCR { {abc }", S_OK, kStart + u" { {abc }"},
      // The root as the text's last characters, and a combining mark after it.
      {u"x HKCR", S_OK, u"x " + kStart},
      {u"HKCR\u0301 { }", S_OK, kStart + u"\u0301 { " + kEnd + u"}"},
  };
  for (const ExpandCase &c : cases) {
    std::u16string out;
    EXPECT_EQ(Expand(c.in, &out), c.hr) << U8(c.in);
    EXPECT_EQ(U8(out), U8(c.out)) << U8(c.in);
  }
}

TEST_F(ScriptExpandTest, FlagIsReadAtEachExpansion) {
  std::u16string out;
  ASSERT_EQ(Expand(u"HKCR { }", &out), S_OK);
  EXPECT_EQ(out, u"HKCR { }");
  perUserRegistration = true;
  ASSERT_EQ(Expand(u"HKCR { }", &out), S_OK);
  EXPECT_EQ(out, kStart + u" { " + kEnd + u"}");
}

}  // namespace
