// CRegObject and its replacement map.
#include "registrar/reg_object.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(LPCOLESTR text) { return text ? std::u16string(text) : u"(none)"; }

TEST(RegObjectTest, UnknownMethodsAreInert) {
  CRegObject registrar;
  IRegistrarBase *base = &registrar;
  void *object = &registrar;
  EXPECT_EQ(base->QueryInterface(IID_IUnknown, &object), E_NOTIMPL);
  EXPECT_EQ(object, &registrar);  // not written
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(base->AddRef(), 1u);
    EXPECT_EQ(base->Release(), 0u);
  }
  // Still alive and usable after all those releases.
  EXPECT_EQ(base->PutReplacement(u"A", u"1"), S_OK);
}

TEST(RegObjectTest, ReplacementsThroughTheInterfaceSlots) {
  CRegObject registrar;
  IRegistrarBase *base = &registrar;
  EXPECT_EQ(base->PutReplacement(u"Module", u"C:\\m.dll"), S_OK);
  EXPECT_EQ(base->PutReplacement(u"APPID", u"{first}"), S_OK);
  EXPECT_EQ(base->PutReplacement(u"appid", u"{second}"), S_OK);
  EXPECT_EQ(base->PutReplacement(u"", u""), S_OK);
  EXPECT_EQ(registrar.replacements.count, 4);

  const struct {
    const char16_t *name;
    const char16_t *expected;
  } lookups[] = {
      {u"MODULE", u"C:\\m.dll"}, {u"module", u"C:\\m.dll"}, {u"APPID", u"{first}"},
      {u"AppId", u"{first}"},    {u"", u""},                {u"Missing", nullptr},
  };
  for (const auto &lookup : lookups) {
    EXPECT_EQ(Text(registrar.FindReplacement(lookup.name)), Text(lookup.expected));
  }

  EXPECT_EQ(base->ResetReplacements(), S_OK);
  EXPECT_EQ(registrar.replacements.count, 0);
  EXPECT_EQ(registrar.replacements.names, nullptr);
  EXPECT_EQ(registrar.FindReplacement(u"MODULE"), nullptr);
  EXPECT_EQ(base->PutReplacement(u"Module", u"again"), S_OK);
  EXPECT_EQ(Text(registrar.FindReplacement(u"module")), u"again");
}

TEST(RegObjectTest, NullArgumentsAddNothing) {
  CRegObject registrar;
  EXPECT_EQ(registrar.PutReplacement(nullptr, u"v"), E_INVALIDARG);
  EXPECT_EQ(registrar.PutReplacement(u"n", nullptr), E_INVALIDARG);
  EXPECT_EQ(registrar.replacements.count, 0);
  EXPECT_EQ(registrar.FindReplacement(u"n"), nullptr);
}

TEST(RegObjectTest, MapKeepsPrivateCopies) {
  CRegObject registrar;
  std::u16string name = u"Name", value = u"Value";
  ASSERT_EQ(registrar.PutReplacement(name.c_str(), value.c_str()), S_OK);
  name[0] = 'X';
  value[0] = 'X';
  EXPECT_EQ(Text(registrar.FindReplacement(u"name")), u"Value");
}

}  // namespace
