// Applying regedit operations: the result of a full apply, and that a failure
// at any registry write leaves every touched key as it was.
#include <gtest/gtest.h>

#include "exact_value.h"
#include "key_handle.h"
#include "key_name.h"
#include "key_tree.h"
#include "platform_seams.h"
#include "regedit_apply.h"
#include "regedit_export.h"
#include "support/text.h"

namespace {

using testing_text::U8;
using tools::RegeditAction;
using tools::RegeditOp;

std::string Sz(const std::u16string &text) {
  std::string out;
  for (char16_t c : text + u'\0') out += static_cast<char>(c & 0xFF), out += static_cast<char>(c >> 8);
  return out;
}

RegeditOp Op(RegeditAction action, std::u16string key, std::u16string name = {}, std::string text = {}) {
  return {action, u"HKEY_CURRENT_USER\\Software\\" + key, std::move(name), REG_SZ, Sz(std::u16string(text.begin(), text.end())), 0};
}

class RegeditApply : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    seams::SetRegistryFile("");
    seams::SetMachineReadOnly(false);
    // What the import below meets: values to overwrite and delete, and a
    // subtree with a key class to delete.
    ASSERT_EQ(tools::ApplyRegedit({Op(RegeditAction::CreateKey, u"T"), Op(RegeditAction::SetValue, u"T", u"a", "1"),
                                   Op(RegeditAction::SetValue, u"T", u"b", "2"),
                                   Op(RegeditAction::SetValue, u"T\\Old\\Inner", u"", "deep")})
                  .status,
              ERROR_SUCCESS);
    tools::KeyHandle key;
    char16_t keyClass[] = u"cls";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\T\\Old\\Classy", 0, keyClass, 0, KEY_WRITE, nullptr,
                              key.out(), nullptr),
              ERROR_SUCCESS);
  }

  static std::vector<tools::KeySnapshot> Tree() {
    std::vector<tools::KeySnapshot> tree;
    EXPECT_EQ(tools::ReadTree(HKEY_CURRENT_USER, u"Software", &tree), ERROR_SUCCESS);
    return tree;
  }

  const std::vector<RegeditOp> import_ = {
      Op(RegeditAction::CreateKey, u"T"),
      Op(RegeditAction::SetValue, u"T", u"a", "9"),
      Op(RegeditAction::DeleteValue, u"T", u"b"),
      Op(RegeditAction::DeleteValue, u"T", u"missing"),
      Op(RegeditAction::DeleteKey, u"T\\Old"),
      Op(RegeditAction::DeleteKey, u"T\\NotThere"),
      Op(RegeditAction::CreateKey, u"T\\Old"),
      Op(RegeditAction::SetValue, u"T\\Old", u"again", "x"),
      Op(RegeditAction::CreateKey, u"New\\Deeper\\Deepest"),
      Op(RegeditAction::SetValue, u"New\\Deeper\\Deepest", u"v", "n"),
      Op(RegeditAction::SetValue, u"T", u"a", "10"),
  };
};

TEST_F(RegeditApply, AppliesEveryKindOfOperation) {
  EXPECT_EQ(tools::ApplyRegedit(import_).status, ERROR_SUCCESS);
  std::vector<RegeditOp> ops;
  ASSERT_EQ(tools::ExportKey({HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"Software\\T"}, &ops), ERROR_SUCCESS);
  std::vector<std::string> lines;
  for (const RegeditOp &op : ops) lines.push_back(U8(op.key) + (op.action == RegeditAction::SetValue ? " " + U8(op.name) : ""));
  EXPECT_EQ(lines, (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\T", "HKEY_CURRENT_USER\\Software\\T a",
                                             "HKEY_CURRENT_USER\\Software\\T\\Old",
                                             "HKEY_CURRENT_USER\\Software\\T\\Old again"}));
  EXPECT_EQ(ops[1].data, Sz(u"10"));
  tools::KeyHandle key;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\New\\Deeper\\Deepest", 0, KEY_READ, key.out()),
            ERROR_SUCCESS);
}

// Fails the Nth call of each writing function in turn, for every N the import
// reaches, and expects the registry exactly as before each time.
TEST_F(RegeditApply, AFailureAnywhereLeavesEverythingAsBefore) {
  const std::vector<tools::KeySnapshot> before = Tree();
  const seams::Operation operations[] = {"RegCreateKeyExW", "RegSetValueExW", "RegDeleteValueW", "RegDeleteTreeW"};
  for (seams::Operation operation : operations) {
    for (unsigned n = 1;; ++n) {
      seams::ClearFaults();
      unsigned calls = seams::CallCount(operation);
      seams::FailOperation(operation, ERROR_REGISTRY_IO_FAILED, n);
      tools::ApplyResult result = tools::ApplyRegedit(import_);
      seams::ClearFaults();
      if (result.status == ERROR_SUCCESS) {
        // The import never reached call N: everything was applied; start the next function afresh.
        EXPECT_GT(n, 1u) << operation << " is never called";
        SetUp();
        break;
      }
      EXPECT_EQ(result.status, ERROR_REGISTRY_IO_FAILED) << operation << " #" << n;
      EXPECT_EQ(Tree(), before) << operation << " #" << n << " (" << seams::CallCount(operation) - calls << " calls)";
    }
  }
}

// A refusal of the last op (a read-only machine part, a hive key that cannot
// be deleted) takes back what the ops before it did to the user's keys.
TEST_F(RegeditApply, MachineKeyRefusedAfterUserKeysUndoesTheUserKeys) {
  const struct {
    bool machineReadOnly;
    RegeditOp last;
  } cases[] = {
      {true, {RegeditAction::CreateKey, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\T", {}, REG_NONE, {}, 0}},
      {true, {RegeditAction::DeleteKey, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", {}, REG_NONE, {}, 0}},
      {false, {RegeditAction::DeleteKey, u"HKEY_LOCAL_MACHINE\\SOFTWARE", {}, REG_NONE, {}, 0}},
  };
  for (const auto &c : cases) {
    SetUp();
    const std::vector<tools::KeySnapshot> before = Tree();
    std::vector<tools::KeySnapshot> machineBefore;
    ASSERT_EQ(tools::ReadTree(HKEY_LOCAL_MACHINE, u"SOFTWARE", &machineBefore), ERROR_SUCCESS);
    seams::SetMachineReadOnly(c.machineReadOnly);
    std::vector<RegeditOp> ops = import_;
    ops.push_back(c.last);
    tools::ApplyResult result = tools::ApplyRegedit(ops);
    seams::SetMachineReadOnly(false);
    EXPECT_EQ(result.status, ERROR_ACCESS_DENIED) << U8(c.last.key);
    EXPECT_EQ(result.failed, ops.size() - 1);
    EXPECT_EQ(Tree(), before);
    std::vector<tools::KeySnapshot> machine;
    EXPECT_EQ(tools::ReadTree(HKEY_LOCAL_MACHINE, u"SOFTWARE", &machine), ERROR_SUCCESS);
    EXPECT_EQ(machine, machineBefore) << U8(c.last.key);
  }
}

}  // namespace

// A string without its terminator keeps exactly its bytes, though a NUL unit
// follows them in memory (which the registry counts as the terminator).
TEST_F(RegeditApply, StringsWithoutTerminatorKeepTheirBytes) {
  std::string unterminated("a\0\0\0", 4);
  unterminated.resize(2);
  tools::KeyHandle key;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(tools::SetValueExactly(key.get(), u"sz", REG_SZ, unterminated), ERROR_SUCCESS);
  DWORD bytes = 0;
  EXPECT_EQ(RegQueryValueExW(key.get(), u"sz", nullptr, nullptr, nullptr, &bytes), ERROR_SUCCESS);
  key.Close();
  EXPECT_EQ(bytes, 2u);
}
