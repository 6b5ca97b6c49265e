// Process-wide state of the registry: its configuration, the open store and
// the table of open key handles.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "advapi32/registry_store.h"
#include "core/handle_table.h"
#include "windows.h"

namespace registry {

// Where a key lives: one of the store's trees, or the merged classes view.
enum class View { Machine, User, Users, Config, Classes };

// What a handle (or a predefined root) stands for.
struct KeyRef {
  View view = View::Machine;
  int64_t id = 0;                    // the store key (not for View::Classes)
  size_t depth = 0;                  // levels below the tree's root (not for View::Classes)
  std::vector<std::u16string> path;  // View::Classes: names below Software\Classes
  // View::Classes handles: the store keys of the user's and the machine's half
  // as they were when the handle was opened (0 for a half that was absent).
  int64_t user = 0;
  int64_t machine = 0;
  REGSAM access = 0;                 // granted rights, with the registry-view bits asked for
  bool predefined = false;
  std::string display;  // the full path, e.g. "HKEY_CURRENT_USER\Software\Tovin Copy"
};

Hive HiveOf(View view);

// Where one enumeration of a handle stands, so that asking for the next index
// continues from the entry last handed out instead of counting from the first.
// Valid while the store's Generation is the one it was taken at.
struct Cursor {
  bool valid = false;
  Generation generation;
  int64_t target = 0;  // the store key listed; 0 for a listing of both classes halves
  size_t index = 0;    // the entry last handed out
  KeyRecord key;       // subkey cursors: that entry
  ValueRecord value;   // value cursors: that entry
  // A listing of both classes halves, merged once and kept whole.
  std::vector<KeyRecord> keys;
  std::vector<ValueRecord> values;
};

struct HandleCursors {
  Cursor subkeys;
  Cursor values;
};

// All members require `mutex` to be held.
class State {
 public:
  State();
  static State &Get();

  std::mutex mutex;

  // The store of the current configuration, opened on first use. Throws StoreError.
  Store &store();
  // Whether HKEY_LOCAL_MACHINE (with HKEY_CURRENT_CONFIG) refuses writes.
  bool MachineReadOnly();
  // The registry file of the current configuration; empty for the in-memory store.
  const std::string &File();
  bool StoreOpen() const { return store_ != nullptr; }
  // Closes the store (rolling back an open transaction).
  void CloseStore();
  // Store::Checkpoint, unless the store is closed or a transaction is open.
  void Checkpoint();

  // Store transactions (registry_extension.h). Whether the calling thread has one open.
  bool InTransaction() const { return transactionOwner_ == std::this_thread::get_id(); }
  // Whether that transaction is a snapshot, which only reads.
  bool InSnapshot() const { return InTransaction() && snapshot_; }
  // Waits, releasing `lock` meanwhile, while another thread has a transaction open.
  void AwaitOtherTransactions(std::unique_lock<std::mutex> &lock);
  // Records the calling thread's transaction (or snapshot), begun in the store, as open.
  void TransactionBegun(bool snapshot = false);
  // Records its end and wakes waiting threads; after a rollback, closes the
  // handles opened during it, whose keys may be gone and their ids given again.
  void TransactionEnded(bool rolledBack);

  // Fills *out for a predefined root (id left 0), matched on the low 32 bits
  // of the value, or an open handle; false for anything else, including null
  // and closed handles.
  bool Lookup(HKEY key, KeyRef *out) const;
  // A new handle for `ref`; handle values are never reused within the process.
  // Handles of the classes view end in binary 10, all others in 00.
  HKEY Add(KeyRef ref);
  // false when `key` is not an open handle.
  bool Remove(HKEY key);

  size_t OpenHandles() const { return handles_.Size(); }

  // The enumeration cursors of `key` (an open handle or a predefined root),
  // made empty on first use and forgotten when the handle is closed.
  HandleCursors &CursorsOf(HKEY key, const KeyRef &ref);

  // Test configuration. UseFile and Reset close the store and forget every handle.
  void UseFile(const std::string &path);
  void UseMachineReadOnly(bool on);
  void Reset();

 private:
  void Close();

  bool fileChosen_ = false;
  std::string file_;
  std::thread::id transactionOwner_;  // no thread when none is open
  bool snapshot_ = false;
  uintptr_t transactionFirstHandle_ = 0;
  std::condition_variable transactionEnded_;
  bool readOnlyChosen_ = false;
  bool readOnly_ = false;
  std::unique_ptr<Store> store_;
  core::HandleTable<KeyRef> handles_;
  std::unordered_map<uintptr_t, HandleCursors> cursors_;
};

}  // namespace registry
