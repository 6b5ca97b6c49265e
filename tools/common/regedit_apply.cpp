#include "regedit_apply.h"

#include <registry_extension.h>

#include "exact_value.h"
#include "key_handle.h"
#include "key_name.h"

namespace tools {
namespace {

class Applier {
 public:
  LSTATUS Apply(const RegeditOp &op) {
    KeyName name;
    if (ParseKeyName(op.key, &name) != KeyNameError::None) return ERROR_INVALID_PARAMETER;
    switch (op.action) {
      case RegeditAction::CreateKey:
        return Open(name);
      case RegeditAction::DeleteKey:
        return DeleteKey(name);
      case RegeditAction::SetValue:
      case RegeditAction::DeleteValue:
        return Value(name, op);
    }
    return ERROR_INVALID_PARAMETER;
  }

  // Closes the current key; its handle would not survive a rollback.
  void Close() {
    current_.Close();
    currentName_.clear();
  }

 private:
  // Makes `name` the current key, creating it (with missing parents) when absent.
  LSTATUS Open(const KeyName &name) {
    std::u16string full = name.Full();
    if (current_.get() && currentName_ == full) return ERROR_SUCCESS;
    // A key below the current one is reached from there: files list a tree
    // parent first, and walking each key's path from its root would cost the
    // square of the tree's depth.
    const std::u16string below = currentName_ + u"\\";
    if (current_.get() && full.size() > below.size() && full.compare(0, below.size(), below) == 0) {
      KeyHandle child;
      LSTATUS r = RegCreateKeyExW(current_.get(), full.c_str() + below.size(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                  nullptr, child.out(), nullptr);
      Close();
      if (r != ERROR_SUCCESS) return r;
      current_ = std::move(child);
      currentName_ = full;
      return ERROR_SUCCESS;
    }
    Close();
    LSTATUS r = RegCreateKeyExW(name.root, name.path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                current_.out(), nullptr);
    if (r == ERROR_SUCCESS) currentName_ = full;
    return r;
  }

  LSTATUS DeleteKey(const KeyName &name) {
    Close();
    if (name.path.empty()) return ERROR_ACCESS_DENIED;  // a root key stays
    LSTATUS r = RegDeleteTreeW(name.root, name.path.c_str());
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
  }

  LSTATUS Value(const KeyName &name, const RegeditOp &op) {
    if (LSTATUS r = Open(name)) return r;
    if (op.action == RegeditAction::SetValue) return SetValueExactly(current_.get(), op.name.c_str(), op.type, op.data);
    LSTATUS r = RegDeleteValueW(current_.get(), op.name.c_str());
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
  }

  KeyHandle current_;
  std::u16string currentName_;
};

}  // namespace

ApplyResult ApplyRegedit(const std::vector<RegeditOp> &ops) {
  ApplyResult result{ERROR_SUCCESS, ops.size()};
  if ((result.status = RegBeginStoreTransaction())) return result;
  Applier applier;
  for (size_t i = 0; i < ops.size(); ++i) {
    if ((result.status = applier.Apply(ops[i]))) {
      result.failed = i;
      applier.Close();
      RegRollbackStoreTransaction();
      return result;
    }
  }
  applier.Close();
  result.status = RegCommitStoreTransaction();
  if (result.status == ERROR_SUCCESS) result.failed = 0;
  return result;
}

}  // namespace tools
