// Registration helpers below the exports: apostrophe doubling and the
// component categories of a class.
#include <gtest/gtest.h>

#include "module/object_map_registration.h"
#include "module/script_resource_update.h"
#include "platform_seams.h"
#include "tests/support/registry_listing.h"

namespace {

using registry_listing::KeyExists;
using registry_listing::Seed;

struct DoublingCase {
  size_t capacity;
  const char16_t *source;
  const char16_t *expected;
};

class Doubling : public ::testing::TestWithParam<DoublingCase> {};

TEST_P(Doubling, DoublesApostrophesWithinTheCapacity) {
  char16_t out[16];
  std::fill(std::begin(out), std::end(out), u'#');
  DoubleApostrophes(out, GetParam().capacity, GetParam().source);
  EXPECT_EQ(std::u16string(GetParam().expected), std::u16string(out, std::char_traits<char16_t>::length(out)));
}

INSTANTIATE_TEST_SUITE_P(Sources, Doubling,
                         ::testing::Values(DoublingCase{16, u"C:\\a'b", u"C:\\a''b"},
                                           DoublingCase{16, u"plain", u"plain"},
                                           // The first apostrophe twice, the second once, the third not at all.
                                           DoublingCase{4, u"'''", u"'''"}, DoublingCase{1, u"abc", u""},
                                           DoublingCase{3, u"ab'", u"ab"}));

TEST(Doubling, ZeroCapacityWritesNothing) {
  char16_t out[2] = {u'#', u'#'};
  DoubleApostrophes(out, 0, u"abc");
  EXPECT_EQ(u'#', out[0]);
}

const GUID kClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
const GUID kImplemented = {0xAAAAAAAA, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
const GUID kRequired = {0xBBBBBBBB, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
const CategoryMapEntry kCategories[] = {{1, &kImplemented}, {2, &kRequired}, {0, nullptr}};
const std::u16string kClassKey = u"CLSID\\{11111111-2222-3333-4444-555555555555}";
const std::u16string kImplementedKey = kClassKey + u"\\Implemented Categories";
const std::u16string kRequiredKey = kClassKey + u"\\Required Categories";

class Categories : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
};

TEST_F(Categories, RegisteredAndRemovedWithTheirEmptyKeys) {
  ASSERT_EQ(S_OK, UpdateClassCategories(kClass, kCategories, TRUE));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kImplementedKey + u"\\{AAAAAAAA-0000-0000-0000-000000000001}"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kRequiredKey + u"\\{BBBBBBBB-0000-0000-0000-000000000002}"));

  Seed(HKEY_CLASSES_ROOT, kRequiredKey + u"\\Foreign");
  ASSERT_EQ(S_OK, UpdateClassCategories(kClass, kCategories, FALSE));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kImplementedKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kRequiredKey + u"\\Foreign"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kRequiredKey + u"\\{BBBBBBBB-0000-0000-0000-000000000002}"));
}

TEST_F(Categories, MissingManagerFailsRegistrationButNotRemoval) {
  const HRESULT notRegistered = static_cast<HRESULT>(0x80040154);
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(notRegistered));
  EXPECT_EQ(notRegistered, UpdateClassCategories(kClass, kCategories, TRUE));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_EQ(S_OK, UpdateClassCategories(kClass, kCategories, FALSE));
}

TEST_F(Categories, NoMapOrNoClassTouchesNothing) {
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(E_FAIL));
  const GUID none = {};
  EXPECT_EQ(S_OK, UpdateClassCategories(kClass, nullptr, TRUE));
  EXPECT_EQ(S_OK, UpdateClassCategories(none, kCategories, TRUE));
  EXPECT_EQ(0u, seams::CallCount("CoCreateInstance"));
}

}  // namespace
