// The registry's storage: keys and values in one SQLite database.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "winerror.h"

struct sqlite3;
struct sqlite3_stmt;

namespace registry {

// Thrown by the store on any database failure; a registry call that meets it
// rolls its transaction back and returns status(): ERROR_ACCESS_DENIED for a
// write to a file that may only be read, ERROR_BUSY when another writer held
// the file past the busy timeout, ERROR_NOT_REGISTRY_FILE for a file that is
// not a registry database, else ERROR_REGISTRY_IO_FAILED.
class StoreError : public std::runtime_error {
 public:
  explicit StoreError(const std::string &what, long status = ERROR_REGISTRY_IO_FAILED)
      : std::runtime_error(what), status_(status) {}
  long status() const { return status_; }

 private:
  long status_;
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
  // for an empty path, a new in-memory database. A file the user may only
  // read opens read-only (ReadOnly()). A file that is not a registry database
  // (one carrying another application identifier, or tables of another
  // schema) is refused unchanged. Throws StoreError.
  explicit Store(const std::string &path);
  ~Store();
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;

  // `write` takes the write lock at once (BEGIN IMMEDIATE), so a transaction
  // never has to upgrade; other processes are waited for up to the busy timeout.
  void Begin(bool write);
  void Commit();
  void Rollback() noexcept;
  // Nesting inside a transaction that Begin started: Savepoint marks where
  // Release keeps and RollbackToSavepoint undoes what came after, leaving the
  // transaction open either way. Savepoint throws when SQLite has already
  // ended the transaction after a failure (a full disk, an I/O error), so that
  // later calls cannot commit on their own.
  void Savepoint();
  void Release();
  void RollbackToSavepoint() noexcept;
  bool ReadOnly() const { return readOnly_; }
  // Moves what the write-ahead log holds into the database file itself and
  // empties the log, as far as other processes' readers allow, so that the
  // file alone is whole. Outside a transaction; failures leave the log as it was.
  void Checkpoint() noexcept;
  // Test seam: lets the database grow by `pages` pages more, as a full disk
  // would, until the store is closed. Outside a transaction.
  void LimitGrowth(unsigned pages);

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
  // Whether the database still lacks the registry's identifier (it is empty,
  // or a registry from before files carried one); throws StoreError with
  // ERROR_NOT_REGISTRY_FILE for any other database.
  bool Identify();
  // Reads the roots of a file that cannot be written; throws when one is missing.
  void FindRoots();

  sqlite3 *db_ = nullptr;
  std::map<const char *, sqlite3_stmt *> statements_;
  int64_t roots_[4] = {};
  // ClassesRoot's last answers; an id that still exists is still that key.
  int64_t classesRoots_[4] = {};
  bool readOnly_ = false;
  uint64_t ownChanges_ = 0;
  bool dirty_ = false;  // the open transaction has written
};

// Test seam: the `nth` statement from now that changes any store fails with a
// StoreError of `status`, once; 0 fails none. Call with the state's lock held.
void FailStoreWrite(unsigned nth, long status);

}  // namespace registry
