#include "bench/raw_store.h"

#include <sqlite3.h>

#include <cstring>

namespace bench {
namespace {

enum : int { kBegin, kBeginWrite, kCommit, kChild, kInsertKey, kTouch, kExists, kValue, kSetValue };

// The statements of the substitute's store, word for word.
const char *const kSql[] = {
    "BEGIN DEFERRED",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "SELECT id FROM reg_keys WHERE parent = ?1 AND fold = ?2",
    "INSERT INTO reg_keys(parent, name, fold, class, volatile, written) VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
    "UPDATE reg_keys SET written = ?1 WHERE id = ?2",
    "SELECT 1 FROM reg_keys WHERE id = ?1",
    "SELECT name, type, data FROM reg_values WHERE key = ?1 AND fold = ?2",
    "INSERT INTO reg_values(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
};
const char kSchema[] =
    "CREATE TABLE reg_keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name BLOB NOT NULL,"
    " fold BLOB NOT NULL, class BLOB, volatile INTEGER NOT NULL DEFAULT 0, written INTEGER NOT NULL,"
    " UNIQUE(parent, fold));"
    "CREATE TABLE reg_values(key INTEGER NOT NULL, fold BLOB NOT NULL, name BLOB NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold));";

// Runs a prepared statement to its end and resets it; true when it ended well.
bool Finish(sqlite3_stmt *statement) {
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  sqlite3_reset(statement);
  return rc == SQLITE_DONE;
}

}  // namespace

std::string FoldName(const std::u16string &name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (char16_t unit : name) {
    char16_t upper = unit >= u'a' && unit <= u'z' ? char16_t(unit - 0x20) : unit;
    out += char(upper >> 8);
    out += char(upper & 0xFF);
  }
  return out;
}

RawStore::RawStore(const std::string &path) {
  const std::string target = path.empty() ? ":memory:" : path;
  if (sqlite3_open_v2(target.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    return;
  sqlite3_busy_timeout(db_, 20000);
  if (!path.empty() && (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL"))) return;
  if (!Exec(kSchema)) return;
  root_ = AddChild(0, u"HKEY_CURRENT_USER");
  int64_t software = AddChild(root_, u"Software");
  bench_ = AddChild(software, u"Bench");
  ok_ = bench_ != 0;
}

RawStore::~RawStore() {
  for (sqlite3_stmt *statement : statements_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

bool RawStore::Exec(const char *sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

sqlite3_stmt *RawStore::Statement(int index) {
  if (!statements_[index]) sqlite3_prepare_v2(db_, kSql[index], -1, &statements_[index], nullptr);
  return statements_[index];
}

int64_t RawStore::Child(int64_t parent, const std::u16string &name) {
  sqlite3_stmt *q = Statement(kChild);
  const std::string fold = FoldName(name);
  sqlite3_bind_int64(q, 1, parent);
  sqlite3_bind_blob64(q, 2, fold.data(), fold.size(), SQLITE_TRANSIENT);
  int64_t id = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : 0;
  sqlite3_reset(q);
  return id;
}

int64_t RawStore::AddChild(int64_t parent, const std::u16string &name) {
  sqlite3_stmt *q = Statement(kInsertKey);
  const std::string fold = FoldName(name);
  sqlite3_bind_int64(q, 1, parent);
  sqlite3_bind_blob64(q, 2, name.data(), name.size() * 2, SQLITE_TRANSIENT);
  sqlite3_bind_blob64(q, 3, fold.data(), fold.size(), SQLITE_TRANSIENT);
  sqlite3_bind_null(q, 4);
  sqlite3_bind_int64(q, 5, 0);
  sqlite3_bind_int64(q, 6, 1);
  if (!Finish(q)) return 0;
  int64_t id = sqlite3_last_insert_rowid(db_);
  return parent && !Touch(parent) ? 0 : id;
}

bool RawStore::Touch(int64_t id) {
  sqlite3_stmt *q = Statement(kTouch);
  sqlite3_bind_int64(q, 1, 2);
  sqlite3_bind_int64(q, 2, id);
  return Finish(q);
}

int64_t RawStore::ReadValue(int64_t key, const std::string &fold, void *buffer, size_t capacity) {
  if (!Finish(Statement(kBegin))) return -1;
  sqlite3_stmt *exists = Statement(kExists);
  sqlite3_bind_int64(exists, 1, key);
  bool alive = sqlite3_step(exists) == SQLITE_ROW;
  sqlite3_reset(exists);
  int64_t size = -1;
  if (alive) {
    sqlite3_stmt *q = Statement(kValue);
    sqlite3_bind_int64(q, 1, key);
    sqlite3_bind_blob64(q, 2, fold.data(), fold.size(), SQLITE_TRANSIENT);
    if (sqlite3_step(q) == SQLITE_ROW) {
      size = sqlite3_column_bytes(q, 2);
      if (static_cast<size_t>(size) <= capacity) std::memcpy(buffer, sqlite3_column_blob(q, 2), size);
    }
    sqlite3_reset(q);
  }
  return Finish(Statement(kCommit)) ? size : -1;
}

int64_t RawStore::CreateKey(const std::u16string &name) {
  if (!Finish(Statement(kBeginWrite))) return 0;
  int64_t parent = Child(Child(root_, u"Software"), u"Bench");
  int64_t id = parent && !Child(parent, name) ? AddChild(parent, name) : 0;
  return Finish(Statement(kCommit)) ? id : 0;
}

bool RawStore::SetValue(int64_t key, const std::u16string &name, const void *data, size_t size) {
  if (!Finish(Statement(kBeginWrite))) return false;
  sqlite3_stmt *exists = Statement(kExists);
  sqlite3_bind_int64(exists, 1, key);
  bool alive = sqlite3_step(exists) == SQLITE_ROW;
  sqlite3_reset(exists);
  bool written = false;
  if (alive) {
    sqlite3_stmt *q = Statement(kSetValue);
    const std::string fold = FoldName(name);
    sqlite3_bind_int64(q, 1, key);
    sqlite3_bind_blob64(q, 2, fold.data(), fold.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob64(q, 3, name.data(), name.size() * 2, SQLITE_TRANSIENT);
    sqlite3_bind_int64(q, 4, 1);
    sqlite3_bind_blob64(q, 5, data, size, SQLITE_TRANSIENT);
    written = Finish(q) && Touch(key);
  }
  return Finish(Statement(kCommit)) && written;
}

}  // namespace bench
