// The registry's storage: keys and values in one SQLite database.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace registry {

// Thrown by the store on any database failure; a registry call that meets it
// rolls its transaction back and returns ERROR_REGISTRY_IO_FAILED.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The four trees of the store; HKEY_CLASSES_ROOT is a view over two of them.
enum class Hive { Machine = 0, User = 1, Users = 2, Config = 3 };

struct KeyRecord {
  int64_t id = 0;
  std::u16string name;  // as first spelled
  std::string fold;     // registry::Fold(name)
  bool hasClass = false;
  std::u16string keyClass;
  bool isVolatile = false;
  int64_t written = 0;  // last write, in FILETIME units
};

struct ValueRecord {
  std::u16string name;
  uint32_t type = 0;
  std::string data;
  int64_t order = 0;  // rises in the order values were first set within a key
};

// Changes since the store was opened: one count of this connection's writes
// (and of rolled-back writes) and SQLite's count of other connections'
// commits. Unchanged means every key and value is as it was.
struct Generation {
  uint64_t own = 0;
  int64_t others = 0;
  bool operator==(const Generation &other) const { return own == other.own && others == other.others; }
};

// One connection. Not thread-safe: the caller serializes all use. Every
// method but Begin/Commit/Rollback must run inside a transaction. Key ids are
// never reused, so an id identifies one key for the life of the database.
class Store {
 public:
  // Opens the database file `path` (created with mode 0600 when missing) or,
  // for an empty path, a new in-memory database. Throws StoreError.
  explicit Store(const std::string &path);
  ~Store();
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;

  // `write` takes the write lock at once (BEGIN IMMEDIATE), so a transaction
  // never has to upgrade; other processes are waited for up to the busy timeout.
  void Begin(bool write);
  void Commit();
  void Rollback() noexcept;

  int64_t Root(Hive hive) const { return roots_[static_cast<int>(hive)]; }
  // HIVE\Software\Classes, or 0 when it is missing.
  int64_t ClassesRoot(Hive hive);
  bool Exists(int64_t id);
  // The child of `parent` named `name` (case-insensitively), or 0.
  int64_t Child(int64_t parent, const std::u16string &name);
  // Adds a child that must not exist yet; returns its id.
  int64_t AddChild(int64_t parent, const std::u16string &name, const std::u16string *keyClass, bool isVolatile);
  bool Key(int64_t id, KeyRecord *out);
  // The children of `parent` in enumeration order (by fold).
  std::vector<KeyRecord> Children(int64_t parent);
  // Children(parent)[index] into *out without reading the others; false past the end.
  bool ChildAt(int64_t parent, int64_t index, KeyRecord *out);
  // The first child of `parent` after the one whose fold is `fold`; false when none.
  bool ChildAfter(int64_t parent, const std::string &fold, KeyRecord *out);
  int64_t CountChildren(int64_t parent);
  // Removes everything below `id` and its values, and the key itself unless `keepKey`.
  void RemoveTree(int64_t id, bool keepKey);

  bool Value(int64_t key, const std::u16string &name, ValueRecord *out);
  void SetValue(int64_t key, const std::u16string &name, uint32_t type, const void *data, size_t size);
  // Returns false when there was no such value.
  bool RemoveValue(int64_t key, const std::u16string &name);
  // The values of `key` in the order they were first set.
  std::vector<ValueRecord> Values(int64_t key);
  // Values(key)[index] without reading the others; false past the end.
  bool ValueAt(int64_t key, int64_t index, ValueRecord *out);
  // The first value of `key` set after the one of order `order`; false when none.
  bool ValueAfter(int64_t key, int64_t order, ValueRecord *out);

  // Reads SQLite's commit count, so it must run inside a transaction as every
  // other method.
  Generation Changes();

 private:
  sqlite3_stmt *Prepare(const char *sql);
  void Execute(const char *sql);
  void Touch(int64_t id);
  int64_t EnsureChild(int64_t parent, const std::u16string &name);
  void CreateSchema();

  sqlite3 *db_ = nullptr;
  std::map<const char *, sqlite3_stmt *> statements_;
  int64_t roots_[4] = {};
  // ClassesRoot's last answers; an id that still exists is still that key.
  int64_t classesRoots_[4] = {};
  uint64_t ownChanges_ = 0;
  bool dirty_ = false;  // the open transaction has written
};

}  // namespace registry
