// Every Reg* call commits on its own, and the registry functions offer no
// transaction spanning several calls. The unit is therefore made by undoing:
// before an op changes anything, what it is about to change is recorded (the
// previous state of a value, the topmost key it will create, the whole
// subtree it will delete). When an op fails, the records are played back
// newest first, which returns every touched key and value to its state before
// the import. Through HKEY_CLASSES_ROOT the previous value is read where reads
// go, the per-user half first, while writes go to the machine half when it has
// the key; a value present in both halves is restored to the machine half.
// Another process writing the same keys at the same time can see the
// intermediate state, and its writes to them may be undone as well.
#include "regedit_apply.h"

#include "key_handle.h"
#include "key_name.h"
#include "exact_value.h"
#include "key_tree.h"

namespace tools {
namespace {

struct UndoRecord {
  enum class Kind { RemoveKey, RestoreValue, RestoreTree } kind;
  HKEY root;
  std::u16string path;
  RegistryValue value;  // RestoreValue: the value before
  bool existed = false;  // RestoreValue: whether there was one
  std::vector<KeySnapshot> tree;  // RestoreTree: the subtree before its deletion
};

LSTATUS Exists(HKEY root, const std::u16string &path, bool *exists) {
  KeyHandle key;
  LSTATUS r = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.out());
  *exists = r == ERROR_SUCCESS;
  return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
}

// The value `name` of `key`; *existed false when there is none.
LSTATUS ReadValue(HKEY key, const std::u16string &name, RegistryValue *out, bool *existed) {
  for (;;) {
    DWORD size = 0;
    LSTATUS r = RegQueryValueExW(key, name.c_str(), nullptr, &out->type, nullptr, &size);
    *existed = r == ERROR_SUCCESS;
    if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (r) return r;
    out->name = name;
    out->data.assign(size, '\0');
    r = RegQueryValueExW(key, name.c_str(), nullptr, &out->type, reinterpret_cast<BYTE *>(out->data.data()), &size);
    if (r == ERROR_MORE_DATA) continue;  // grown meanwhile
    out->data.resize(size);
    return r;
  }
}

LSTATUS SetValue(HKEY key, const RegistryValue &value) {
  return SetValueExactly(key, value.name.c_str(), value.type, value.data);
}

bool Gone(LSTATUS r) { return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND; }

LSTATUS RestoreTree(const UndoRecord &undo) {
  LSTATUS r = RegDeleteTreeW(undo.root, undo.path.c_str());
  if (!Gone(r)) return r;
  for (const KeySnapshot &snapshot : undo.tree) {
    std::u16string path = snapshot.path.empty() ? undo.path : undo.path + u"\\" + snapshot.path;
    std::u16string keyClass = snapshot.keyClass;
    KeyHandle key;
    if ((r = RegCreateKeyExW(undo.root, path.c_str(), 0, keyClass.empty() ? nullptr : keyClass.data(), 0,
                             KEY_WRITE, nullptr, key.out(), nullptr)))
      return r;
    for (const RegistryValue &value : snapshot.values)
      if ((r = SetValue(key.get(), value))) return r;
  }
  return ERROR_SUCCESS;
}

LSTATUS Play(const UndoRecord &undo) {
  switch (undo.kind) {
    case UndoRecord::Kind::RemoveKey:
    {
      LSTATUS r = RegDeleteTreeW(undo.root, undo.path.c_str());
      return Gone(r) ? ERROR_SUCCESS : r;
    }
    case UndoRecord::Kind::RestoreValue: {
      KeyHandle key;
      LSTATUS r = RegOpenKeyExW(undo.root, undo.path.c_str(), 0, KEY_SET_VALUE, key.out());
      if (r == ERROR_FILE_NOT_FOUND && !undo.existed) return ERROR_SUCCESS;
      if (r) return r;
      if (undo.existed) return SetValue(key.get(), undo.value);
      r = RegDeleteValueW(key.get(), undo.value.name.c_str());
      return Gone(r) ? ERROR_SUCCESS : r;
    }
    case UndoRecord::Kind::RestoreTree:
      return RestoreTree(undo);
  }
  return ERROR_INVALID_PARAMETER;
}

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

  // Plays the records back, newest first; returns the first failure.
  LSTATUS Undo() {
    current_.Close();
    currentName_.clear();
    LSTATUS first = ERROR_SUCCESS;
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
      LSTATUS r = Play(*it);
      if (first == ERROR_SUCCESS) first = r;
    }
    undo_.clear();
    return first;
  }

 private:
  // Makes `name` the current key, creating it (with missing parents) when absent.
  LSTATUS Open(const KeyName &name) {
    std::u16string full = name.Full();
    if (current_.get() && currentName_ == full) return ERROR_SUCCESS;
    current_.Close();
    currentName_.clear();
    // The first missing key on the way down is the top of what creating makes.
    size_t end = 0;
    while (end < name.path.size()) {
      end = name.path.find(u'\\', end + 1);
      if (end == std::u16string::npos) end = name.path.size();
      std::u16string prefix = name.path.substr(0, end);
      bool exists = false;
      if (LSTATUS r = Exists(name.root, prefix, &exists)) return r;
      if (!exists) {
        undo_.push_back({UndoRecord::Kind::RemoveKey, name.root, prefix, {}, false, {}});
        break;
      }
    }
    LSTATUS r = RegCreateKeyExW(name.root, name.path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                current_.out(), nullptr);
    if (r == ERROR_SUCCESS) currentName_ = full;
    return r;
  }

  LSTATUS DeleteKey(const KeyName &name) {
    current_.Close();
    currentName_.clear();
    if (name.path.empty()) return ERROR_ACCESS_DENIED;  // a root key stays
    UndoRecord record{UndoRecord::Kind::RestoreTree, name.root, name.path, {}, false, {}};
    LSTATUS r = ReadTree(name.root, name.path, &record.tree);
    if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (r) return r;
    undo_.push_back(std::move(record));
    r = RegDeleteTreeW(name.root, name.path.c_str());
    // A refused deletion (a hive key, a read-only part) that left the tree as it
    // was has nothing to undo; restoring it would only be refused in turn.
    std::vector<KeySnapshot> after;
    if (r && ReadTree(name.root, name.path, &after) == ERROR_SUCCESS && after == undo_.back().tree) undo_.pop_back();
    return r;
  }

  LSTATUS Value(const KeyName &name, const RegeditOp &op) {
    if (LSTATUS r = Open(name)) return r;
    UndoRecord record{UndoRecord::Kind::RestoreValue, name.root, name.path, {}, false, {}};
    if (LSTATUS r = ReadValue(current_.get(), op.name, &record.value, &record.existed)) return r;
    record.value.name = op.name;
    if (op.action == RegeditAction::DeleteValue && !record.existed) return ERROR_SUCCESS;
    undo_.push_back(std::move(record));
    if (op.action == RegeditAction::DeleteValue) return RegDeleteValueW(current_.get(), op.name.c_str());
    return SetValue(current_.get(), {op.name, op.type, op.data});
  }

  KeyHandle current_;
  std::u16string currentName_;
  std::vector<UndoRecord> undo_;
};

}  // namespace

ApplyResult ApplyRegedit(const std::vector<RegeditOp> &ops) {
  ApplyResult result;
  Applier applier;
  for (size_t i = 0; i < ops.size(); ++i) {
    if (LSTATUS r = applier.Apply(ops[i])) {
      result.status = r;
      result.failed = i;
      result.undoStatus = applier.Undo();
      return result;
    }
  }
  return result;
}

}  // namespace tools
