// Reading tokens: blanks, quotations, limits, character steps.
#include <gtest/gtest.h>

#include "tests/registrar/registry_listing.h"

namespace {

using namespace registrar_test;

struct TokenCase {
  const char *label;
  std::u16string text;
  HRESULT hr;
  std::u16string token;
  std::u16string rest;  // the text left at `position` after a successful read
};

TEST(ScriptTokensTest, NextToken) {
  const TokenCase cases[] = {
      {"bare", u"abc def", S_OK, u"abc", u" def"},
      {"leading blanks of all four kinds", u"\t\r\n x", S_OK, u"x", u""},
      {"vertical tab and form feed are token characters", u"\va\fb c", S_OK, u"\va\fb", u" c"},
      {"brace, equals and apostrophe inside a bare token", u"a=b{'}", S_OK, u"a=b{'}", u""},
      {"quoted with blanks and braces", u"'a b\r\n{=}' z", S_OK, u"a b\r\n{=}", u" z"},
      {"doubled apostrophe", u"'it''s'", S_OK, u"it's", u""},
      {"quotation of one apostrophe", u"''''", S_OK, u"'", u""},
      {"empty quotation", u"'' x", S_OK, u"", u" x"},
      {"quotation ends a token without a blank", u"'a'b", S_OK, u"a", u"b"},
      {"unterminated quotation", u"'abc", DISP_E_EXCEPTION, u"", u""},
      {"unterminated after a doubled apostrophe", u"'ab''", DISP_E_EXCEPTION, u"", u""},
      {"only blanks", u" \t\r\n", DISP_E_EXCEPTION, u"", u""},
      {"empty text", u"", DISP_E_EXCEPTION, u"", u""},
      {"surrogate pair stays whole", u"a\U0001F600b c", S_OK, u"a\U0001F600b", u" c"},
      {"a combining mark belongs to the blank before it", u" \u0301x y", S_OK, u"x", u" y"},
      {"the closing apostrophe takes its combining mark", u"'a'\u0301 b", S_OK, u"a", u" b"},
  };
  for (const TokenCase &c : cases) {
    SCOPED_TRACE(c.label);
    CRegObject registrar;
    CRegScriptParser parser(&registrar);
    parser.position = c.text.c_str();
    WCHAR token[CRegScriptParser::kTokenUnits];
    EXPECT_EQ(parser.NextToken(token), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(U8(token), U8(c.token));
      EXPECT_EQ(U8(parser.position), U8(c.rest));
    }
  }
}

TEST(ScriptTokensTest, LengthLimit) {
  const std::u16string units4094(4094, u'x'), units4095(4095, u'x');
  // Doubled apostrophes count once; the enclosing ones not at all.
  const std::u16string quoted4094 = u"'" + std::u16string(4092, u'q') + u"''''" + u"'";
  const std::u16string quoted4095 = u"'" + std::u16string(4093, u'q') + u"''''" + u"'";
  const struct {
    const char *label;
    std::u16string text;
    HRESULT hr;
  } cases[] = {
      {"bare 4094", units4094, S_OK},
      {"bare 4095", units4095, DISP_E_EXCEPTION},
      {"quoted 4094", u"'" + units4094 + u"'", S_OK},
      {"quoted 4095", u"'" + units4095 + u"'", DISP_E_EXCEPTION},
      {"quoted 4094 with doubled apostrophes", quoted4094, S_OK},
      {"quoted 4095 with doubled apostrophes", quoted4095, DISP_E_EXCEPTION},
      // A pair of units that would pass 4094 is refused whole, not split.
      {"surrogate pair at 4093", std::u16string(4093, u'x') + u"\U0001F600", DISP_E_EXCEPTION},
      {"surrogate pair at 4092", std::u16string(4092, u'x') + u"\U0001F600", S_OK},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    CRegObject registrar;
    CRegScriptParser parser(&registrar);
    parser.position = c.text.c_str();
    WCHAR token[CRegScriptParser::kTokenUnits];
    EXPECT_EQ(parser.NextToken(token), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(std::u16string(token).size(), 4094u);
    }
  }
}

TEST(ScriptTokensTest, LimitHoldsForKeyNamesAndValueTexts) {
  // The same limit in every buffer a token is read into.
  const std::u16string long4095(4095, u'v');
  EXPECT_EQ(RunText(u"HKCU { Software { T = s '" + long4095 + u"' } }", true), DISP_E_EXCEPTION);
  EXPECT_EQ(RunText(u"HKCU { Software { val " + long4095 + u" = s 'x' } }", true), DISP_E_EXCEPTION);
  EXPECT_EQ(RunText(u"HKCU { Software { T = s '" + std::u16string(4094, u'v') + u"' } }", true), S_OK);
  RawValue value = ReadValue(HKEY_CURRENT_USER, u"Software\\T", nullptr);
  EXPECT_EQ(value.bytes.size(), 4095u * 2);
}

TEST(ScriptTokensTest, SkipValueAssignment) {
  const struct {
    std::u16string text;
    std::u16string token;
    HRESULT hr;
    std::u16string after;
  } cases[] = {
      {u"s 'v' next", u"=", S_OK, u"next"},
      {u"q 'v' next", u"=x", S_OK, u"next"},  // the type letter is not checked
      {u"s 'v' next", u"x", S_OK, u"x"},      // no assignment: nothing consumed
      {u"s 'v'", u"=", DISP_E_EXCEPTION, u""},
      {u"s", u"=", DISP_E_EXCEPTION, u""},
  };
  for (const auto &c : cases) {
    CRegObject registrar;
    CRegScriptParser parser(&registrar);
    parser.position = c.text.c_str();
    WCHAR token[CRegScriptParser::kTokenUnits];
    std::copy(c.token.begin(), c.token.end(), token);
    token[c.token.size()] = 0;
    EXPECT_EQ(parser.SkipValueAssignment(token), c.hr) << U8(c.text);
    if (c.hr == S_OK) {
      EXPECT_EQ(U8(token), U8(c.after));
    }
  }
}

TEST(ScriptTokensTest, FindCharAndClosingQuote) {
  EXPECT_EQ(CRegScriptParser::FindChar(nullptr, '%'), nullptr);
  const char16_t *text = u"ab%c%";
  EXPECT_EQ(CRegScriptParser::FindChar(text, '%'), text + 2);
  EXPECT_EQ(CRegScriptParser::FindChar(text, 'z'), nullptr);
  CRegObject registrar;
  CRegScriptParser parser(&registrar);
  const struct {
    const char16_t *at;
    bool closing;
  } quotes[] = {{u"'", true}, {u"'x", true}, {u"''", false}, {u"x'", false}};
  for (const auto &q : quotes) {
    parser.position = q.at;
    EXPECT_EQ(parser.IsClosingQuote(), q.closing) << U8(q.at);
  }
}

TEST(ScriptTokensTest, Tables) {
  const struct {
    const char16_t *token;
    VARTYPE kind;
  } letters[] = {{u"s", VT_BSTR}, {u"S", VT_BSTR}, {u"m", VT_BSTR | VT_ARRAY}, {u"D", VT_UI4},
                 {u"b", VT_UI1},  {u"sz", VT_EMPTY}, {u"", VT_EMPTY},           {u"x", VT_EMPTY}};
  for (const auto &l : letters) EXPECT_EQ(CRegScriptParser::ValueTypeFromLetter(l.token), l.kind) << U8(l.token);

  const struct {
    char16_t c;
    int value;
  } digits[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'f', 15}, {'F', 15}, {'g', 0}, {' ', 0}, {0x0660, 0}};
  for (const auto &d : digits) EXPECT_EQ(CRegScriptParser::HexDigitValue(d.c), d.value) << int(d.c);

  const struct {
    const char16_t *name;
    HKEY key;
  } roots[] = {
      {u"HKCR", HKEY_CLASSES_ROOT},          {u"hkcu", HKEY_CURRENT_USER},
      {u"HkLm", HKEY_LOCAL_MACHINE},         {u"HKU", HKEY_USERS},
      {u"HKPD", HKEY_PERFORMANCE_DATA},      {u"HKDD", HKEY_DYN_DATA},
      {u"HKCC", HKEY_CURRENT_CONFIG},        {u"hkey_classes_root", HKEY_CLASSES_ROOT},
      {u"HKEY_CURRENT_USER", HKEY_CURRENT_USER}, {u"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
      {u"HKEY_USERS", HKEY_USERS},           {u"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
      {u"HKEY_DYN_DATA", HKEY_DYN_DATA},     {u"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
      {u"HKCR2", nullptr},                   {u"", nullptr},
  };
  for (const auto &r : roots) EXPECT_EQ(CRegScriptParser::RootKeyFromName(r.name), r.key) << U8(r.name);

  const char16_t *protectedNames[] = {u"AppID",    u"CLSID",  u"Component Categories", u"FileType",
                                      u"Interface", u"Hardware", u"Mime",               u"SAM",
                                      u"SECURITY", u"SYSTEM", u"Software",             u"TypeLib",
                                      u"clsid",    u"SOFTWARE", u"typelib"};
  for (const char16_t *name : protectedNames) EXPECT_FALSE(CRegScriptParser::IsRemovableKey(name)) << U8(name);
  const char16_t *removable[] = {u"CLSID2", u"Soft", u"App ID", u"Classes", u""};
  for (const char16_t *name : removable) EXPECT_TRUE(CRegScriptParser::IsRemovableKey(name)) << U8(name);
}

}  // namespace
