// The registry's tables driven by hand through SQLite: the floor that the
// substitute's value read and key creation are measured against.
#pragma once
#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

class RawStore {
 public:
  // Opens `path` (empty: a new in-memory database) as the substitute opens its
  // store, creates its tables and the keys HKEY_CURRENT_USER\Software\Bench.
  // ok() tells whether all of that worked.
  explicit RawStore(const std::string &path);
  ~RawStore();
  RawStore(const RawStore &) = delete;
  RawStore &operator=(const RawStore &) = delete;

  bool ok() const { return ok_; }
  // The key Software\Bench below the user's root.
  int64_t bench() const { return bench_; }

  // One read transaction: the key still exists, then its value `fold` into
  // `buffer`; the value's size, or -1 when absent or on failure.
  int64_t ReadValue(int64_t key, const std::string &fold, void *buffer, size_t capacity);
  // One write transaction that finds Software\Bench from the root by name,
  // adds the child `name` and stamps its parent; the new key's id or 0.
  int64_t CreateKey(const std::u16string &name);
  // One write transaction: the key still exists, then the value is set and
  // the key stamped. False on failure.
  bool SetValue(int64_t key, const std::u16string &name, const void *data, size_t size);

 private:
  sqlite3_stmt *Statement(int index);
  bool Exec(const char *sql);
  int64_t Child(int64_t parent, const std::u16string &name);
  int64_t AddChild(int64_t parent, const std::u16string &name);
  bool Touch(int64_t id);

  sqlite3 *db_ = nullptr;
  sqlite3_stmt *statements_[9] = {};
  int64_t root_ = 0;
  int64_t bench_ = 0;
  bool ok_ = false;
};

// The store's key-name fold: upper-cased ASCII units, big-endian.
std::string FoldName(const std::u16string &name);

}  // namespace bench
