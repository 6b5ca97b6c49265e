#include "registry_tree.h"

#include <map>

#include "registry_text.h"

namespace registry {
namespace {

const std::u16string kSoftware = u"SOFTWARE";
const std::u16string kClasses = u"Classes";

// The store key at `names` below `from`, or 0.
int64_t Walk(Store &store, int64_t from, const std::vector<std::u16string> &names) {
  int64_t id = from;
  for (const std::u16string &name : names) {
    id = store.Child(id, name);
    if (!id) return 0;
  }
  return id;
}

// The classes key at `path` in one hive (HIVE\Software\Classes\path), or 0.
int64_t ClassesKey(Store &store, Hive hive, const std::vector<std::u16string> &path) {
  int64_t classes = store.Child(store.Child(store.Root(hive), kSoftware), kClasses);
  return classes ? Walk(store, classes, path) : 0;
}

KeyRef Below(const KeyRef &parent, const std::vector<std::u16string> &names) {
  KeyRef child;
  child.view = parent.view;
  child.path = parent.path;
  child.path.insert(child.path.end(), names.begin(), names.end());
  child.display = JoinPath(parent.display, names);
  return child;
}

REGSAM Grant(REGSAM desired) {
  REGSAM granted = desired & ~REGSAM(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (desired & GENERIC_READ) granted |= KEY_READ;
  if (desired & GENERIC_WRITE) granted |= KEY_WRITE;
  if (desired & GENERIC_EXECUTE) granted |= KEY_EXECUTE;
  if (desired & GENERIC_ALL) granted |= KEY_ALL_ACCESS;
  return granted;
}

// ERROR_KEY_DELETED when the parent of an open, create or delete is gone.
LSTATUS CheckAlive(Session &session, const KeyRef &parent) {
  if (parent.predefined) return ERROR_SUCCESS;
  Target target;
  return ReadTarget(session, parent, &target);
}

// Creates the missing keys of `names` below `from` (depth `fromDepth`).
LSTATUS CreatePath(Session &session, int64_t from, size_t fromDepth, const std::vector<std::u16string> &names,
                   const std::u16string *keyClass, bool isVolatile) {
  Store &store = *session.store;
  if (fromDepth + names.size() > kMaxDepth) return ERROR_INVALID_PARAMETER;
  int64_t id = from;
  bool creating = false;
  for (size_t i = 0; i < names.size(); ++i) {
    int64_t child = creating ? 0 : store.Child(id, names[i]);
    if (!child) {
      if (!creating && !isVolatile) {
        KeyRecord parent;
        if (store.Key(id, &parent) && parent.isVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
      }
      creating = true;
      child = store.AddChild(id, names[i], i + 1 == names.size() ? keyClass : nullptr, isVolatile);
    }
    id = child;
  }
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS ReadTarget(Session &session, const KeyRef &key, Target *out) {
  Store &store = *session.store;
  if (key.view != View::Classes) {
    if (!store.Exists(key.id)) return ERROR_KEY_DELETED;
    *out = Target{key.id, HiveOf(key.view)};
    return ERROR_SUCCESS;
  }
  if (int64_t user = ClassesKey(store, Hive::User, key.path)) {
    *out = Target{user, Hive::User};
    return ERROR_SUCCESS;
  }
  if (int64_t machine = ClassesKey(store, Hive::Machine, key.path)) {
    *out = Target{machine, Hive::Machine};
    return ERROR_SUCCESS;
  }
  return ERROR_KEY_DELETED;
}

LSTATUS WriteTarget(Session &session, const KeyRef &key, Target *out) {
  if (key.view == View::Classes) {
    if (int64_t machine = ClassesKey(*session.store, Hive::Machine, key.path)) {
      *out = Target{machine, Hive::Machine};
      return ERROR_SUCCESS;
    }
  }
  return ReadTarget(session, key, out);
}

LSTATUS CheckWritable(Session &session, Hive hive) {
  bool machine = hive == Hive::Machine || hive == Hive::Config;
  return machine && session.state.MachineReadOnly() ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

LSTATUS CheckRights(const KeyRef &key, REGSAM rights) {
  return (key.access & rights) == rights ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS OpenKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names, REGSAM desired,
                KeyRef *out) {
  Store &store = *session.store;
  if (LSTATUS r = CheckAlive(session, parent)) return r;
  KeyRef child = Below(parent, names);
  Target target;
  if (parent.view == View::Classes) {
    if (ReadTarget(session, child, &target) != ERROR_SUCCESS) return ERROR_FILE_NOT_FOUND;
    WriteTarget(session, child, &target);
  } else {
    child.id = Walk(store, parent.id, names);
    if (!child.id) return ERROR_FILE_NOT_FOUND;
    child.depth = parent.depth + names.size();
    target = Target{child.id, HiveOf(child.view)};
  }
  REGSAM asked = Grant(desired & ~REGSAM(MAXIMUM_ALLOWED));
  bool readOnly = CheckWritable(session, target.hive) != ERROR_SUCCESS;
  if (readOnly && (asked & kWriteRights)) return ERROR_ACCESS_DENIED;
  child.access = asked;
  if (desired & MAXIMUM_ALLOWED) child.access |= readOnly ? KEY_READ : KEY_ALL_ACCESS;
  *out = std::move(child);
  return ERROR_SUCCESS;
}

LSTATUS CreateKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                  const std::u16string *keyClass, bool isVolatile, REGSAM desired, KeyRef *out, bool *created) {
  Store &store = *session.store;
  *created = false;
  if (LSTATUS r = CheckAlive(session, parent)) return r;
  if (parent.view == View::Classes) {
    Target existing;
    if (names.empty() || ReadTarget(session, Below(parent, names), &existing) == ERROR_SUCCESS)
      return OpenKey(session, parent, names, desired, out);
    std::vector<std::u16string> full{kSoftware, kClasses};
    full.insert(full.end(), parent.path.begin(), parent.path.end());
    full.insert(full.end(), names.begin(), names.end());
    if (full.size() > kMaxDepth) return ERROR_INVALID_PARAMETER;
    if (LSTATUS r = CheckWritable(session, Hive::Machine)) return r;
    if (LSTATUS r = CreatePath(session, store.Root(Hive::Machine), 0, full, keyClass, isVolatile)) return r;
  } else {
    if (Walk(store, parent.id, names)) return OpenKey(session, parent, names, desired, out);
    if (parent.depth + names.size() > kMaxDepth) return ERROR_INVALID_PARAMETER;
    if (LSTATUS r = CheckWritable(session, HiveOf(parent.view))) return r;
    if (LSTATUS r = CreatePath(session, parent.id, parent.depth, names, keyClass, isVolatile)) return r;
  }
  *created = true;
  return OpenKey(session, parent, names, desired, out);
}

LSTATUS DeleteKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                  DeleteMode mode) {
  Store &store = *session.store;
  if (LSTATUS r = CheckAlive(session, parent)) return r;
  bool isRoot = names.empty() && (parent.view == View::Classes ? parent.path.empty() : parent.depth == 0);
  if (isRoot && mode != DeleteMode::Contents) return ERROR_ACCESS_DENIED;
  Target target;
  if (parent.view == View::Classes) {
    if (ReadTarget(session, Below(parent, names), &target) != ERROR_SUCCESS) return ERROR_FILE_NOT_FOUND;
  } else {
    target.id = Walk(store, parent.id, names);
    if (!target.id) return ERROR_FILE_NOT_FOUND;
    target.hive = HiveOf(parent.view);
  }
  if (LSTATUS r = CheckWritable(session, target.hive)) return r;
  if (mode == DeleteMode::Leaf && store.CountChildren(target.id) > 0) return ERROR_ACCESS_DENIED;
  store.RemoveTree(target.id, mode == DeleteMode::Contents);
  return ERROR_SUCCESS;
}

LSTATUS Subkeys(Session &session, const KeyRef &key, std::vector<KeyRecord> *out) {
  Store &store = *session.store;
  if (key.view != View::Classes) {
    if (!store.Exists(key.id)) return ERROR_KEY_DELETED;
    *out = store.Children(key.id);
    return ERROR_SUCCESS;
  }
  int64_t user = ClassesKey(store, Hive::User, key.path);
  int64_t machine = ClassesKey(store, Hive::Machine, key.path);
  if (!user && !machine && !key.predefined) return ERROR_KEY_DELETED;
  // Folds compare as unsigned bytes here as in the store, so the order is the same.
  std::map<std::string, KeyRecord> merged;
  if (machine)
    for (KeyRecord &r : store.Children(machine)) merged[r.fold] = std::move(r);
  if (user)
    for (KeyRecord &r : store.Children(user)) merged[r.fold] = std::move(r);
  out->clear();
  for (auto &entry : merged) out->push_back(std::move(entry.second));
  return ERROR_SUCCESS;
}

}  // namespace registry
