#include "advapi32/registry_tree.h"

#include <map>
#include <set>

#include "advapi32/registry_text.h"

namespace registry {
namespace {

const std::u16string kSoftware = u"SOFTWARE";

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
  int64_t classes = store.ClassesRoot(hive);
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

// The two halves of a classes key; `primary` is the one the key stands for.
struct Halves {
  int64_t user = 0;
  int64_t machine = 0;
  Hive primary = Hive::Machine;
};

// Both halves of the classes key `key`. The half a handle was opened on must
// still exist (else ERROR_KEY_DELETED): a handle keeps to the key it opened, as
// handles of one tree do. The other half is looked up afresh, so a handle
// opened on the machine's key turns to the user's once one is made.
LSTATUS ClassHalves(Session &session, const KeyRef &key, Halves *out) {
  Store &store = *session.store;
  if (key.predefined || (!key.user && !key.machine)) {
    out->user = ClassesKey(store, Hive::User, key.path);
    out->machine = ClassesKey(store, Hive::Machine, key.path);
    if (!out->user && !out->machine) return ERROR_KEY_DELETED;
  } else if (key.user) {
    if (!store.Exists(key.user)) return ERROR_KEY_DELETED;
    out->user = key.user;
    out->machine = ClassesKey(store, Hive::Machine, key.path);
  } else {
    if (!store.Exists(key.machine)) return ERROR_KEY_DELETED;
    out->user = ClassesKey(store, Hive::User, key.path);
    out->machine = key.machine;
  }
  out->primary = out->user ? Hive::User : Hive::Machine;
  return ERROR_SUCCESS;
}

// The halves of the classes key parent\names as lookups from the root would
// find them now, walked from the parent's halves: a half a handle was opened
// on is still at its path while it exists, as keys never move and ids are
// never reused. Fails as CheckAlive does when the parent is gone.
LSTATUS ChildHalves(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names, int64_t *user,
                    int64_t *machine) {
  Store &store = *session.store;
  Halves halves;
  if (LSTATUS r = ClassHalves(session, parent, &halves)) {
    if (!parent.predefined) return r;
    halves = Halves{};  // neither half of the classes root: nothing below it either
  }
  *user = halves.user ? Walk(store, halves.user, names) : 0;
  *machine = halves.machine ? Walk(store, halves.machine, names) : 0;
  return ERROR_SUCCESS;
}

// ERROR_KEY_DELETED when the parent of an open, create or delete is gone.
LSTATUS CheckAlive(Session &session, const KeyRef &parent) {
  if (parent.predefined) return ERROR_SUCCESS;
  Target target;
  return KeyTarget(session, parent, &target);
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

// Creates parent\names through the classes view; *created is false when it already existed.
LSTATUS CreateClassesKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                         const std::u16string *keyClass, bool isVolatile, bool *created) {
  Store &store = *session.store;
  Halves halves;
  if (LSTATUS r = ClassHalves(session, parent, &halves)) return r;
  // The deepest existing ancestor decides the half; it is `level` names down.
  size_t level = 0;
  int64_t user = halves.user, machine = halves.machine;
  while (level < names.size()) {
    int64_t nextUser = user ? store.Child(user, names[level]) : 0;
    int64_t nextMachine = machine ? store.Child(machine, names[level]) : 0;
    if (!nextUser && !nextMachine) break;
    user = nextUser;
    machine = nextMachine;
    ++level;
  }
  *created = level < names.size();
  if (!*created) return ERROR_SUCCESS;
  // New keys go to the machine's classes unless their deepest existing
  // ancestor is the user's alone, or the machine's classes refuse writes and
  // the user's hold that ancestor too; at the top of the root they always do.
  bool machineRefuses = CheckWritable(session, Hive::Machine) != ERROR_SUCCESS;
  bool toUser = user && (!machine || machineRefuses) && (parent.path.size() + level) > 0;
  Hive hive = toUser ? Hive::User : Hive::Machine;
  if (LSTATUS r = CheckWritable(session, hive)) return r;
  std::vector<std::u16string> rest(names.begin() + static_cast<std::ptrdiff_t>(level), names.end());
  size_t depth = 2 + parent.path.size() + level;  // below HIVE\Software\Classes
  return CreatePath(session, toUser ? user : machine, depth, rest, keyClass, isVolatile);
}

// HKEY_LOCAL_MACHINE\SOFTWARE stands for a hive and cannot be deleted, nor can
// the contents of HKEY_LOCAL_MACHINE that hold it; such a deletion fails whole.
LSTATUS CheckDeletable(Store &store, int64_t id, DeleteMode mode) {
  int64_t machineRoot = store.Root(Hive::Machine);
  int64_t software = store.Child(machineRoot, kSoftware);
  if (software && id == software && mode != DeleteMode::Contents) return ERROR_ACCESS_DENIED;
  return software && id == machineRoot ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

}  // namespace

LSTATUS KeyTarget(Session &session, const KeyRef &key, Target *out) {
  Store &store = *session.store;
  if (key.view != View::Classes) {
    if (!store.Exists(key.id)) return ERROR_KEY_DELETED;
    *out = Target{key.id, HiveOf(key.view)};
    return ERROR_SUCCESS;
  }
  Halves halves;
  if (LSTATUS r = ClassHalves(session, key, &halves)) return r;
  *out = Target{halves.primary == Hive::User ? halves.user : halves.machine, halves.primary};
  return ERROR_SUCCESS;
}

LSTATUS FindValue(Session &session, const KeyRef &key, const std::u16string &name, ValueRecord *out,
                  Target *where) {
  Store &store = *session.store;
  Target found;
  if (key.view != View::Classes) {
    if (LSTATUS r = KeyTarget(session, key, &found)) return r;
    if (!store.Value(found.id, name, out)) return ERROR_FILE_NOT_FOUND;
  } else {
    Halves halves;
    if (LSTATUS r = ClassHalves(session, key, &halves)) return r;
    if (halves.user && store.Value(halves.user, name, out))
      found = Target{halves.user, Hive::User};
    else if (halves.machine && store.Value(halves.machine, name, out))
      found = Target{halves.machine, Hive::Machine};
    else
      return ERROR_FILE_NOT_FOUND;
  }
  if (where) *where = found;
  return ERROR_SUCCESS;
}

LSTATUS ListValues(Session &session, const KeyRef &key, std::vector<ValueRecord> *out) {
  Store &store = *session.store;
  if (key.view != View::Classes) {
    Target target;
    if (LSTATUS r = KeyTarget(session, key, &target)) return r;
    *out = store.Values(target.id);
    return ERROR_SUCCESS;
  }
  Halves halves;
  if (LSTATUS r = ClassHalves(session, key, &halves)) return r;
  out->clear();
  std::set<std::string> seen;
  if (halves.user)
    for (ValueRecord &v : store.Values(halves.user)) {
      seen.insert(Fold(v.name));
      out->push_back(std::move(v));
    }
  if (halves.machine)
    for (ValueRecord &v : store.Values(halves.machine))
      if (!seen.count(Fold(v.name))) out->push_back(std::move(v));
  return ERROR_SUCCESS;
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
  KeyRef child = Below(parent, names);
  Hive hive;
  if (parent.view == View::Classes) {
    if (LSTATUS r = ChildHalves(session, parent, names, &child.user, &child.machine)) return r;
    if (!child.user && !child.machine) return ERROR_FILE_NOT_FOUND;
    hive = child.user ? Hive::User : Hive::Machine;
  } else {
    if (LSTATUS r = CheckAlive(session, parent)) return r;
    child.id = Walk(store, parent.id, names);
    if (!child.id) return ERROR_FILE_NOT_FOUND;
    child.depth = parent.depth + names.size();
    hive = HiveOf(child.view);
  }
  REGSAM asked = Grant(desired & ~REGSAM(MAXIMUM_ALLOWED));
  bool readOnly = CheckWritable(session, hive) != ERROR_SUCCESS;
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
    if (LSTATUS r = CreateClassesKey(session, parent, names, keyClass, isVolatile, created)) return r;
  } else {
    size_t level = 0;
    for (int64_t id = parent.id; level < names.size(); ++level)
      if (!(id = store.Child(id, names[level]))) break;
    if (level < names.size()) {
      if (parent.depth + names.size() > kMaxDepth) return ERROR_INVALID_PARAMETER;
      if (LSTATUS r = CheckWritable(session, HiveOf(parent.view))) return r;
      if (LSTATUS r = CreatePath(session, parent.id, parent.depth, names, keyClass, isVolatile)) return r;
      *created = true;
    }
  }
  return OpenKey(session, parent, names, desired, out);
}

LSTATUS DeleteKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                  DeleteMode mode) {
  Store &store = *session.store;
  if (LSTATUS r = CheckAlive(session, parent)) return r;
  bool isRoot = names.empty() && (parent.view == View::Classes ? parent.path.empty() : parent.depth == 0);
  if (isRoot && mode != DeleteMode::Contents) return ERROR_ACCESS_DENIED;
  Target target;
  if (names.empty()) {
    if (LSTATUS r = KeyTarget(session, parent, &target)) return r;
  } else if (parent.view == View::Classes) {
    int64_t user = 0, machine = 0;
    if (LSTATUS r = ChildHalves(session, parent, names, &user, &machine)) return r;
    if (user)
      target = Target{user, Hive::User};
    else if (machine)
      target = Target{machine, Hive::Machine};
    else
      return ERROR_FILE_NOT_FOUND;
  } else {
    target.id = Walk(store, parent.id, names);
    if (!target.id) return ERROR_FILE_NOT_FOUND;
    target.hive = HiveOf(parent.view);
  }
  if (LSTATUS r = CheckWritable(session, target.hive)) return r;
  if (LSTATUS r = CheckDeletable(store, target.id, mode)) return r;
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
  Halves halves;
  if (LSTATUS r = ClassHalves(session, key, &halves)) return r;
  // Folds compare as unsigned bytes here as in the store, so the order is the same.
  std::map<std::string, KeyRecord> merged;
  if (halves.machine)
    for (KeyRecord &r : store.Children(halves.machine)) merged[r.fold] = std::move(r);
  if (halves.user)
    for (KeyRecord &r : store.Children(halves.user)) merged[r.fold] = std::move(r);
  out->clear();
  for (auto &entry : merged) out->push_back(std::move(entry.second));
  return ERROR_SUCCESS;
}

LSTATUS ListedKey(Session &session, const KeyRef &key, int64_t *only) {
  if (key.view != View::Classes) {
    if (!session.store->Exists(key.id)) return ERROR_KEY_DELETED;
    *only = key.id;
    return ERROR_SUCCESS;
  }
  Halves halves;
  if (LSTATUS r = ClassHalves(session, key, &halves)) return r;
  *only = !halves.user ? halves.machine : !halves.machine ? halves.user : 0;
  return ERROR_SUCCESS;
}

}  // namespace registry
