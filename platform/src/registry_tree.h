// Key operations shared by the registry functions: resolving a key reference
// to a store key, opening, creating and deleting keys, access checks. All run
// inside a Session (lock held, transaction open).
#pragma once
#include <string>
#include <vector>

#include "registry_call.h"

namespace registry {

// Rights that change a key or its values.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

struct Target {
  int64_t id = 0;
  Hive hive = Hive::Machine;
};

// The store key that reads through `key` see: for the classes view the
// per-user key when it exists, else the machine's. ERROR_KEY_DELETED when the
// key is gone.
LSTATUS ReadTarget(Session &session, const KeyRef &key, Target *out);
// The store key that value writes through `key` change: for the classes view
// the machine's key when it exists, else the per-user one.
LSTATUS WriteTarget(Session &session, const KeyRef &key, Target *out);

// ERROR_ACCESS_DENIED when `hive` is the read-only machine store.
LSTATUS CheckWritable(Session &session, Hive hive);
// ERROR_ACCESS_DENIED when the handle was opened without all of `rights`.
LSTATUS CheckRights(const KeyRef &key, REGSAM rights);

// Opens parent\names (no names: the parent itself) for `desired` access.
// ERROR_FILE_NOT_FOUND when absent, ERROR_KEY_DELETED when the parent is gone,
// ERROR_ACCESS_DENIED for write access to the read-only machine store.
LSTATUS OpenKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names, REGSAM desired,
                KeyRef *out);

// Opens parent\names, creating it and any missing ancestors when absent
// (*created tells which). Through the classes view new keys go to the machine's
// classes. ERROR_INVALID_PARAMETER beyond the depth limit,
// ERROR_CHILD_MUST_BE_VOLATILE below a volatile key, ERROR_ACCESS_DENIED in the
// read-only machine store.
LSTATUS CreateKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                  const std::u16string *keyClass, bool isVolatile, REGSAM desired, KeyRef *out, bool *created);

enum class DeleteMode {
  Leaf,      // the key, which must have no subkeys (else ERROR_ACCESS_DENIED)
  Tree,      // the key and everything below it
  Contents,  // everything below the key and its values; the key stays
};
// Deletes parent\names (no names: the parent itself). Through the classes view
// it deletes the key that reading finds. A predefined root cannot be deleted
// (ERROR_ACCESS_DENIED).
LSTATUS DeleteKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names, DeleteMode mode);

// The subkeys of `key` in enumeration order; for the classes view the union of
// both halves, a per-user key hiding the machine key of the same name.
LSTATUS Subkeys(Session &session, const KeyRef &key, std::vector<KeyRecord> *out);

}  // namespace registry
