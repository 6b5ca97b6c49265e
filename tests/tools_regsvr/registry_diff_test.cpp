// The difference of two readings of a subtree, as the regedit text it gives.
#include <gtest/gtest.h>

#include "regedit_writer.h"
#include "registry_diff.h"
#include "support/text.h"

namespace {

using tools::KeySnapshot;
using tools::RegistryValue;

RegistryValue Sz(const std::u16string &name, const std::string &text) {
  std::string data;
  for (char c : text + '\0') data += {c, '\0'};
  return {name, REG_SZ, data};
}

RegistryValue Dword(const std::u16string &name, char low) { return {name, REG_DWORD, {low, 0, 0, 0}}; }

std::string Diff(const std::vector<KeySnapshot> &before, const std::vector<KeySnapshot> &after) {
  std::string text = testing_text::U8(tools::RegeditText(DiffTrees(u"HKEY_CURRENT_USER\\Software", before, after)));
  return text.substr(text.find("\r\n\r\n") + 4);  // without the header
}

TEST(RegistryDiff, NewKeysComeWithAllTheirValuesParentsFirst) {
  const std::vector<KeySnapshot> before = {{u"", {}, {}}};
  const std::vector<KeySnapshot> after = {
      {u"", {}, {}}, {u"B", {}, {}}, {u"A", {}, {Sz(u"", "x")}}, {u"A\\Sub", {}, {Dword(u"n", 1)}}, {u"A b", {}, {}}};
  EXPECT_EQ(Diff(before, after),
            "[HKEY_CURRENT_USER\\Software\\A]\r\n@=\"x\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A\\Sub]\r\n\"n\"=dword:00000001\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A b]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\B]\r\n\r\n");
}

TEST(RegistryDiff, KeptKeysGiveOnlyTheirChangedValues) {
  const std::vector<KeySnapshot> before = {
      {u"", {}, {}}, {u"Same", {}, {Sz(u"v", "1")}}, {u"K", {}, {Sz(u"keep", "1"), Sz(u"Old", "o"), Sz(u"t", "1")}}};
  // Names of keys and values match whatever their case.
  const std::vector<KeySnapshot> after = {{u"", {}, {}},
                                          {u"SAME", {}, {Sz(u"V", "1")}},
                                          {u"k", {}, {Dword(u"t", '1'), Sz(u"KEEP", "1"), Sz(u"new", "2")}}};
  EXPECT_EQ(Diff(before, after), "[HKEY_CURRENT_USER\\Software\\k]\r\n\"t\"=dword:00000031\r\n\"new\"=\"2\"\r\n"
                                 "\"Old\"=-\r\n\r\n");
  EXPECT_EQ(Diff(after, after), "");
}

TEST(RegistryDiff, RemovedSubtreeIsOneDeletionAtItsTop) {
  const std::vector<KeySnapshot> before = {{u"", {}, {}},          {u"A", {}, {}},      {u"A\\Gone", {}, {}},
                                           {u"A\\Gone\\X", {}, {}}, {u"A\\Gone\\X\\Y", {}, {}}, {u"B", {}, {}}};
  const std::vector<KeySnapshot> after = {{u"", {}, {}}, {u"A", {}, {}}};
  EXPECT_EQ(Diff(before, after),
            "[-HKEY_CURRENT_USER\\Software\\A\\Gone]\r\n\r\n[-HKEY_CURRENT_USER\\Software\\B]\r\n\r\n");
}

}  // namespace
