#include "advapi32/registry_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "advapi32/registry_text.h"

namespace registry {
namespace {

constexpr int kBusyTimeoutMs = 20000;
// The application identifier in every registry database's header ("TvRg"),
// by which a registry file is told from other programs' SQLite files.
constexpr int32_t kApplicationId = 0x54765267;
constexpr char kSetApplicationId[] = "PRAGMA application_id = 1417040487";
static_assert(kApplicationId == 1417040487);
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;

int64_t Now() {
  auto since = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpochInFileTime + std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

// A registry call's answer to SQLite's result code `rc`.
long StatusOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_READONLY:
      return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
      return ERROR_BUSY;
    case SQLITE_NOTADB:
      return ERROR_NOT_REGISTRY_FILE;
    case SQLITE_NOMEM:
      return ERROR_OUTOFMEMORY;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

[[noreturn]] void Fail(sqlite3 *db, int rc) { throw StoreError(sqlite3_errmsg(db), StatusOf(rc)); }

// FailStoreWrite's countdown and code.
unsigned writesBeforeFailure = 0;
long writeFailure = 0;

// Every statement that changes the database runs through here.
void CountWrite() {
  if (writesBeforeFailure == 0 || --writesBeforeFailure > 0) return;
  throw StoreError("a write failed (test seam)", writeFailure);
}

// One use of a prepared statement; resets it when done so it can be reused.
// Every use binds all of the statement's parameters, so earlier bindings
// need not be cleared.
class Query {
 public:
  Query(sqlite3 *db, sqlite3_stmt *statement) : db_(db), statement_(statement) {}
  ~Query() { sqlite3_reset(statement_); }
  Query(const Query &) = delete;
  Query &operator=(const Query &) = delete;

  Query &Int(int index, int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Query &Blob(int index, const void *data, size_t size) {
    static const char kEmpty = 0;  // a null pointer would bind NULL, not an empty blob
    Check(sqlite3_bind_blob64(statement_, index, size ? data : &kEmpty, size, SQLITE_TRANSIENT));
    return *this;
  }
  Query &Text16(int index, const std::u16string &text) { return Blob(index, text.data(), text.size() * 2); }
  Query &Bytes(int index, const std::string &bytes) { return Blob(index, bytes.data(), bytes.size()); }
  Query &Null(int index) {
    Check(sqlite3_bind_null(statement_, index));
    return *this;
  }

  bool Step() {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, rc);
  }
  void Run() {
    if (!sqlite3_stmt_readonly(statement_)) CountWrite();
    while (Step()) {
    }
  }

  int64_t ColumnInt(int index) { return sqlite3_column_int64(statement_, index); }
  bool ColumnNull(int index) { return sqlite3_column_type(statement_, index) == SQLITE_NULL; }
  std::string ColumnBytes(int index) {
    const void *data = sqlite3_column_blob(statement_, index);
    int size = sqlite3_column_bytes(statement_, index);
    return data ? std::string(static_cast<const char *>(data), size) : std::string();
  }
  std::u16string ColumnText16(int index) {
    std::string bytes = ColumnBytes(index);
    std::u16string out(bytes.size() / 2, u'\0');
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(db_, rc);
  }
  sqlite3 *db_;
  sqlite3_stmt *statement_;
};

const char16_t *const kRootNames[4] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_USERS",
                                       u"HKEY_CURRENT_CONFIG"};

}  // namespace

Store::Store(const std::string &path) {
  std::string target = path.empty() ? std::string(":memory:") : path;
  int mode = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (!path.empty()) {
    // Created here rather than by SQLite so that the owner-only mode is set from the start.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
      // A file the user may only read still serves reads; writes are refused.
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      readOnly_ = fd >= 0;
      mode = SQLITE_OPEN_READONLY;
    }
    if (fd < 0) {
      const long status = errno == EACCES || errno == EPERM ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
      throw StoreError("cannot open registry file " + path + ": " + std::strerror(errno), status);
    }
    ::close(fd);
  }
  int rc = sqlite3_open_v2(target.c_str(), &db_, mode | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "cannot open registry database";
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError(message, StatusOf(rc));
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  try {
    // Recognised before anything is written: even the journal mode below
    // rewrites the file's header.
    Begin(false);
    const bool fresh = Identify();
    Commit();
    if (readOnly_) {
      if (fresh) throw StoreError("the registry file " + path + " holds no registry", ERROR_NOT_REGISTRY_FILE);
      Begin(false);
      FindRoots();
      Commit();
      return;
    }
    if (!path.empty()) {
      // Write-ahead logging keeps each transaction atomic across crashes while
      // readers and the one writer don't block each other. Should another
      // process hold the file so that the mode cannot change now, the rollback
      // journal it keeps is just as safe, only slower.
      sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    Begin(true);
    // Asked again under the write lock: another process may have made the file meanwhile.
    if (Identify()) Execute(kSetApplicationId);
    CreateSchema();
    Commit();
  } catch (...) {
    Rollback();
    for (auto &entry : statements_) sqlite3_finalize(entry.second);
    sqlite3_close(db_);
    throw;
  }
}

bool Store::Identify() {
  int64_t id = 0;
  {
    Query q(db_, Prepare("PRAGMA application_id"));
    if (q.Step()) id = q.ColumnInt(0);
  }
  if (id == kApplicationId) return false;
  bool other = false;
  {
    Query q(db_, Prepare("SELECT name FROM sqlite_master WHERE type = 'table'"));
    while (q.Step()) {
      const std::string name = q.ColumnBytes(0);
      other |= name != "reg_keys" && name != "reg_values" && name != "sqlite_sequence";
    }
  }
  // An empty file, or a registry made before files carried the identifier.
  if (id == 0 && !other) return true;
  throw StoreError("not a registry database", ERROR_NOT_REGISTRY_FILE);
}

void Store::FindRoots() {
  for (int i = 0; i < 4; ++i) {
    roots_[i] = Child(0, kRootNames[i]);
    if (!roots_[i]) throw StoreError("the registry file lacks a root key", ERROR_NOT_REGISTRY_FILE);
  }
}

void FailStoreWrite(unsigned nth, long status) {
  writesBeforeFailure = nth;
  writeFailure = status;
}

void Store::LimitGrowth(unsigned pages) {
  int64_t count = 0;
  {
    Query q(db_, Prepare("PRAGMA page_count"));
    if (q.Step()) count = q.ColumnInt(0);
  }
  const std::string limit = "PRAGMA max_page_count = " + std::to_string(count + pages);
  if (int rc = sqlite3_exec(db_, limit.c_str(), nullptr, nullptr, nullptr)) Fail(db_, rc);
}

void Store::Checkpoint() noexcept {
  // Readers in other processes are not waited for; what they still read stays
  // in the log, and the last of them moves it.
  sqlite3_busy_timeout(db_, 0);
  sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

void Store::Savepoint() {
  if (sqlite3_get_autocommit(db_)) throw StoreError("the store transaction was ended by an earlier failure");
  Execute("SAVEPOINT call");
}

void Store::Release() { Execute("RELEASE call"); }

void Store::RollbackToSavepoint() noexcept {
  // As in Rollback: a key made after the savepoint is gone, and its id may be given again.
  for (int64_t &remembered : classesRoots_) remembered = 0;
  if (sqlite3_get_autocommit(db_)) return;
  try {
    Execute("ROLLBACK TO call");
    Execute("RELEASE call");
  } catch (...) {
    // Left open, the savepoint would only nest the next call one level deeper.
  }
}

Store::~Store() {
  for (auto &entry : statements_) sqlite3_finalize(entry.second);
  sqlite3_close(db_);
}

void Store::CreateSchema() {
  // fold holds the upper-cased name as big-endian units: unique per parent and
  // ordered as subkeys are enumerated. Key ids are AUTOINCREMENT so a deleted
  // key's id is never given to a new key, which keeps stale handles detectable.
  Execute(
      "CREATE TABLE IF NOT EXISTS reg_keys("
      " id INTEGER PRIMARY KEY AUTOINCREMENT,"
      " parent INTEGER NOT NULL,"
      " name BLOB NOT NULL,"
      " fold BLOB NOT NULL,"
      " class BLOB,"
      " volatile INTEGER NOT NULL DEFAULT 0,"
      " written INTEGER NOT NULL,"
      " UNIQUE(parent, fold))");
  Execute(
      "CREATE TABLE IF NOT EXISTS reg_values("
      " key INTEGER NOT NULL,"
      " fold BLOB NOT NULL,"
      " name BLOB NOT NULL,"
      " type INTEGER NOT NULL,"
      " data BLOB NOT NULL,"
      " PRIMARY KEY(key, fold))");
  // The values of a key in the order they were set, for enumeration by index.
  Execute("CREATE INDEX IF NOT EXISTS reg_values_order ON reg_values(key)");
  for (int i = 0; i < 4; ++i) roots_[i] = EnsureChild(0, kRootNames[i]);
  // Both halves of the classes view exist on every installed system.
  EnsureChild(EnsureChild(Root(Hive::Machine), u"SOFTWARE"), u"Classes");
  EnsureChild(EnsureChild(Root(Hive::User), u"Software"), u"Classes");
}

int64_t Store::EnsureChild(int64_t parent, const std::u16string &name) {
  int64_t id = Child(parent, name);
  return id ? id : AddChild(parent, name, nullptr, false);
}

sqlite3_stmt *Store::Prepare(const char *sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt *statement = nullptr;
  if (int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr)) Fail(db_, rc);
  statements_[sql] = statement;
  return statement;
}

void Store::Execute(const char *sql) { Query(db_, Prepare(sql)).Run(); }

void Store::Begin(bool write) { Execute(write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED"); }

void Store::Commit() {
  Execute("COMMIT");
  dirty_ = false;
}

void Store::Rollback() noexcept {
  // A key made in the transaction is gone, and its id may be given again.
  for (int64_t &remembered : classesRoots_) remembered = 0;
  // What the transaction wrote is undone, which is a change too.
  if (dirty_) ++ownChanges_;
  dirty_ = false;
  if (sqlite3_get_autocommit(db_)) return;
  // Prepared once, as every other statement: a read that finds nothing ends
  // here, and parsing the statement each time cost more than the read.
  try {
    Execute("ROLLBACK");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

bool Store::Exists(int64_t id) {
  Query q(db_, Prepare("SELECT 1 FROM reg_keys WHERE id = ?1"));
  return q.Int(1, id).Step();
}

int64_t Store::Child(int64_t parent, const std::u16string &name) {
  Query q(db_, Prepare("SELECT id FROM reg_keys WHERE parent = ?1 AND fold = ?2"));
  q.Int(1, parent).Bytes(2, Fold(name));
  return q.Step() ? q.ColumnInt(0) : 0;
}

int64_t Store::ClassesRoot(Hive hive) {
  // Asked for by every call through the classes view. Keys never move and
  // committed ids are never reused (Rollback forgets the rest), so a
  // remembered key that exists is the one asked for.
  int64_t &remembered = classesRoots_[static_cast<int>(hive)];
  if (remembered && Exists(remembered)) return remembered;
  remembered = Child(Child(Root(hive), u"SOFTWARE"), u"Classes");
  return remembered;
}

int64_t Store::AddChild(int64_t parent, const std::u16string &name, const std::u16string *keyClass,
                        bool isVolatile) {
  int64_t now = Now();
  {
    Query q(db_, Prepare("INSERT INTO reg_keys(parent, name, fold, class, volatile, written) "
                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6)"));
    q.Int(1, parent).Text16(2, name).Bytes(3, Fold(name)).Int(5, isVolatile ? 1 : 0).Int(6, now);
    if (keyClass)
      q.Text16(4, *keyClass);
    else
      q.Null(4);
    q.Run();
  }
  int64_t id = sqlite3_last_insert_rowid(db_);
  if (parent) Touch(parent);
  return id;
}

bool Store::Key(int64_t id, KeyRecord *out) {
  Query q(db_, Prepare("SELECT name, fold, class, volatile, written FROM reg_keys WHERE id = ?1"));
  if (!q.Int(1, id).Step()) return false;
  out->id = id;
  out->name = q.ColumnText16(0);
  out->fold = q.ColumnBytes(1);
  out->hasClass = !q.ColumnNull(2);
  out->keyClass = q.ColumnText16(2);
  out->isVolatile = q.ColumnInt(3) != 0;
  out->written = q.ColumnInt(4);
  return true;
}

namespace {

// A key row of the columns id, name, fold, class, volatile, written.
KeyRecord ChildRecord(Query &q) {
  KeyRecord r;
  r.id = q.ColumnInt(0);
  r.name = q.ColumnText16(1);
  r.fold = q.ColumnBytes(2);
  r.hasClass = !q.ColumnNull(3);
  r.keyClass = q.ColumnText16(3);
  r.isVolatile = q.ColumnInt(4) != 0;
  r.written = q.ColumnInt(5);
  return r;
}

}  // namespace

std::vector<KeyRecord> Store::Children(int64_t parent) {
  Query q(db_, Prepare("SELECT id, name, fold, class, volatile, written FROM reg_keys "
                       "WHERE parent = ?1 ORDER BY fold"));
  q.Int(1, parent);
  std::vector<KeyRecord> out;
  while (q.Step()) out.push_back(ChildRecord(q));
  return out;
}

bool Store::ChildAt(int64_t parent, int64_t index, KeyRecord *out) {
  Query q(db_, Prepare("SELECT id, name, fold, class, volatile, written FROM reg_keys "
                       "WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2"));
  q.Int(1, parent).Int(2, index);
  if (!q.Step()) return false;
  *out = ChildRecord(q);
  return true;
}

bool Store::ChildAfter(int64_t parent, const std::string &fold, KeyRecord *out) {
  Query q(db_, Prepare("SELECT id, name, fold, class, volatile, written FROM reg_keys "
                       "WHERE parent = ?1 AND fold > ?2 ORDER BY fold LIMIT 1"));
  q.Int(1, parent).Bytes(2, fold);
  if (!q.Step()) return false;
  *out = ChildRecord(q);
  return true;
}

int64_t Store::CountChildren(int64_t parent) {
  Query q(db_, Prepare("SELECT count(*) FROM reg_keys WHERE parent = ?1"));
  q.Int(1, parent).Step();
  return q.ColumnInt(0);
}

void Store::RemoveTree(int64_t id, bool keepKey) {
  int64_t parent = 0;
  {
    Query q(db_, Prepare("SELECT parent FROM reg_keys WHERE id = ?1"));
    if (q.Int(1, id).Step()) parent = q.ColumnInt(0);
  }
  // The subtree's keys, found through the parent index one level at a time:
  // one recursive statement would build temporary tables on every call,
  // which costs far more than the few keys a removal usually meets.
  std::vector<int64_t> tree{id};
  for (size_t i = 0; i < tree.size(); ++i) {
    Query q(db_, Prepare("SELECT id FROM reg_keys WHERE parent = ?1"));
    q.Int(1, tree[i]);
    while (q.Step()) tree.push_back(q.ColumnInt(0));
  }
  for (int64_t key : tree) {
    Query(db_, Prepare("DELETE FROM reg_values WHERE key = ?1")).Int(1, key).Run();
    if (key != id || !keepKey) Query(db_, Prepare("DELETE FROM reg_keys WHERE id = ?1")).Int(1, key).Run();
  }
  if (keepKey)
    Touch(id);
  else if (parent)
    Touch(parent);
  ++ownChanges_;
  dirty_ = true;
}

void Store::Touch(int64_t id) {
  // Every write stamps a key, so counting here counts every change.
  ++ownChanges_;
  dirty_ = true;
  Query q(db_, Prepare("UPDATE reg_keys SET written = ?1 WHERE id = ?2"));
  q.Int(1, Now()).Int(2, id).Run();
}

namespace {

// A value row of the columns name, type, data, rowid.
ValueRecord ValueRow(Query &q) {
  ValueRecord r;
  r.name = q.ColumnText16(0);
  r.type = static_cast<uint32_t>(q.ColumnInt(1));
  r.data = q.ColumnBytes(2);
  r.order = q.ColumnInt(3);
  return r;
}

}  // namespace

bool Store::Value(int64_t key, const std::u16string &name, ValueRecord *out) {
  Query q(db_, Prepare("SELECT name, type, data, rowid FROM reg_values WHERE key = ?1 AND fold = ?2"));
  q.Int(1, key).Bytes(2, Fold(name));
  if (!q.Step()) return false;
  *out = ValueRow(q);
  return true;
}

void Store::SetValue(int64_t key, const std::u16string &name, uint32_t type, const void *data, size_t size) {
  {
    Query q(db_, Prepare("INSERT INTO reg_values(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                         "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data"));
    q.Int(1, key).Bytes(2, Fold(name)).Text16(3, name).Int(4, type).Blob(5, data, size).Run();
  }
  Touch(key);
}

bool Store::RemoveValue(int64_t key, const std::u16string &name) {
  {
    Query q(db_, Prepare("DELETE FROM reg_values WHERE key = ?1 AND fold = ?2"));
    q.Int(1, key).Bytes(2, Fold(name)).Run();
  }
  if (sqlite3_changes(db_) == 0) return false;
  Touch(key);
  return true;
}

std::vector<ValueRecord> Store::Values(int64_t key) {
  Query q(db_, Prepare("SELECT name, type, data, rowid FROM reg_values WHERE key = ?1 ORDER BY rowid"));
  q.Int(1, key);
  std::vector<ValueRecord> out;
  while (q.Step()) out.push_back(ValueRow(q));
  return out;
}

bool Store::ValueAt(int64_t key, int64_t index, ValueRecord *out) {
  Query q(db_, Prepare("SELECT name, type, data, rowid FROM reg_values WHERE key = ?1 "
                       "ORDER BY rowid LIMIT 1 OFFSET ?2"));
  q.Int(1, key).Int(2, index);
  if (!q.Step()) return false;
  *out = ValueRow(q);
  return true;
}

bool Store::ValueAfter(int64_t key, int64_t order, ValueRecord *out) {
  Query q(db_, Prepare("SELECT name, type, data, rowid FROM reg_values WHERE key = ?1 AND rowid > ?2 "
                       "ORDER BY rowid LIMIT 1"));
  q.Int(1, key).Int(2, order);
  if (!q.Step()) return false;
  *out = ValueRow(q);
  return true;
}

Generation Store::Changes() {
  Query q(db_, Prepare("PRAGMA data_version"));
  q.Step();
  return Generation{ownChanges_, q.ColumnInt(0)};
}

}  // namespace registry
