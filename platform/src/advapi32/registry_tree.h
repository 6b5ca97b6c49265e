// Key operations shared by the registry functions: resolving a key reference
// to a store key, opening, creating and deleting keys, access checks. All run
// inside a Session (lock held, transaction open).
#pragma once
#include <string>
#include <vector>

#include "advapi32/registry_call.h"

namespace registry {

// Rights that change a key or its values.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

struct Target {
  int64_t id = 0;
  Hive hive = Hive::Machine;
};

// The store key that `key` stands for, which value writes, deletes of the key
// itself and key information use. For a classes handle that is the half it was
// opened on, the user's when the key was in both; for the classes root the
// user's classes. ERROR_KEY_DELETED when that key is gone, even when the other
// half remains.
LSTATUS KeyTarget(Session &session, const KeyRef &key, Target *out);

// The value `name` of `key` into *out and, when `where` is not null, the store
// key holding it into *where. Through the classes view the user half's value
// hides the machine half's of the same name. ERROR_FILE_NOT_FOUND when absent,
// ERROR_KEY_DELETED when the key is gone.
LSTATUS FindValue(Session &session, const KeyRef &key, const std::u16string &name, ValueRecord *out,
                  Target *where);

// The values of `key` in enumeration order into *out: through the classes view
// the user half's, then those of the machine half whose names the user half
// lacks. ERROR_KEY_DELETED when the key is gone.
LSTATUS ListValues(Session &session, const KeyRef &key, std::vector<ValueRecord> *out);

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
// (*created tells which). Through the classes view new keys go to the
// machine's classes, unless their deepest existing ancestor is in the user's
// alone (or in both while the machine's refuse writes); keys directly below
// the classes root always go to the machine's.
// ERROR_INVALID_PARAMETER beyond the depth limit, ERROR_CHILD_MUST_BE_VOLATILE
// below a volatile key, ERROR_ACCESS_DENIED in the read-only machine store.
// The parent handle's rights are not asked for, as on every Windows version.
LSTATUS CreateKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names,
                  const std::u16string *keyClass, bool isVolatile, REGSAM desired, KeyRef *out, bool *created);

enum class DeleteMode {
  Leaf,      // the key, which must have no subkeys (else ERROR_ACCESS_DENIED)
  Tree,      // the key and everything below it
  Contents,  // everything below the key and its values; the key stays
};
// Deletes parent\names (no names: the parent itself, as KeyTarget finds it).
// Through the classes view a subkey is deleted in the user half when it is
// there, else in the machine half. ERROR_ACCESS_DENIED for a predefined root,
// for the hive key HKEY_LOCAL_MACHINE\SOFTWARE and for the contents of
// HKEY_LOCAL_MACHINE.
LSTATUS DeleteKey(Session &session, const KeyRef &parent, const std::vector<std::u16string> &names, DeleteMode mode);

// The subkeys of `key` in enumeration order; for the classes view the union of
// both halves, a per-user key hiding the machine key of the same name.
LSTATUS Subkeys(Session &session, const KeyRef &key, std::vector<KeyRecord> *out);
// The one store key whose subkeys and values `key` lists into *only, or 0
// when a classes key has two halves to merge. ERROR_KEY_DELETED when gone.
LSTATUS ListedKey(Session &session, const KeyRef &key, int64_t *only);

// Subkeys(key)[index] into *out, or ERROR_NO_MORE_ITEMS past the end. The
// session's handle keeps a cursor, so that rising indexes cost one indexed
// read each while nothing changes; both halves of a classes key are merged
// once per change. (registry_cursor.cpp)
LSTATUS SubkeyAt(Session &session, const KeyRef &key, size_t index, KeyRecord *out);
// ListValues(key)[index] into *out, or ERROR_NO_MORE_ITEMS past the end; as
// SubkeyAt, through the handle's cursor.
LSTATUS ValueAt(Session &session, const KeyRef &key, size_t index, ValueRecord *out);

}  // namespace registry
