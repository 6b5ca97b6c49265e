#include "advapi32/registry_state.h"

#include <cstdlib>

#include "platform_seams.h"

namespace registry {
namespace {

// Handles of keys opened through HKEY_CLASSES_ROOT carry 2 in their low two
// bits, which callers use to tell them from handles of the trees themselves.
constexpr uintptr_t kClassesTag = 0x2;

struct Predefined {
  HKEY key;
  View view;
  const char *name;
};

const Predefined kPredefined[] = {
    {HKEY_CLASSES_ROOT, View::Classes, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, View::User, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, View::Machine, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, View::Users, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, View::Config, "HKEY_CURRENT_CONFIG"},
};

}  // namespace

Hive HiveOf(View view) {
  switch (view) {
    case View::User:
      return Hive::User;
    case View::Users:
      return Hive::Users;
    case View::Config:
      return Hive::Config;
    default:
      return Hive::Machine;
  }
}

// Handle values step by 0x10 from 0x10000, leaving the low bits for the tag.
State::State() : handles_(0x10000, 0x10) {}

State &State::Get() {
  static State *state = new State;  // never destroyed: registry calls may come from static destructors
  return *state;
}

const std::string &State::File() {
  if (!fileChosen_) {
    const char *file = std::getenv("TOVIN_REGISTRY_FILE");
    file_ = file ? file : "";
    fileChosen_ = true;
  }
  return file_;
}

namespace {

// At exit the log is moved into the database file, so that the file alone is
// whole once the programs have ended (a copy of it is a backup). The
// connection stays open for registry calls from static destructors.
void CheckpointAtExit() {
  State &state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.Checkpoint();
}

}  // namespace

Store &State::store() {
  if (!store_) {
    store_ = std::make_unique<Store>(File());
    static bool checkpointsAtExit = false;
    if (!checkpointsAtExit && !file_.empty()) checkpointsAtExit = std::atexit(CheckpointAtExit) == 0;
  }
  return *store_;
}

void State::Checkpoint() {
  // A transaction left open at exit is not committed; the log stays as it is.
  if (store_ && transactionOwner_ == std::thread::id()) store_->Checkpoint();
}

void State::CloseStore() {
  store_.reset();
  transactionOwner_ = std::thread::id();
  transactionEnded_.notify_all();
}

void State::AwaitOtherTransactions(std::unique_lock<std::mutex> &lock) {
  transactionEnded_.wait(lock, [this] {
    return transactionOwner_ == std::thread::id() || transactionOwner_ == std::this_thread::get_id();
  });
}

void State::TransactionBegun(bool snapshot) {
  transactionOwner_ = std::this_thread::get_id();
  snapshot_ = snapshot;
  transactionFirstHandle_ = handles_.Next();
}

void State::TransactionEnded(bool rolledBack) {
  if (rolledBack) {
    handles_.RemoveFrom(transactionFirstHandle_);
    for (auto it = cursors_.begin(); it != cursors_.end();)
      it = it->first >= transactionFirstHandle_ ? cursors_.erase(it) : std::next(it);
  }
  transactionOwner_ = std::thread::id();
  snapshot_ = false;
  transactionEnded_.notify_all();
}

bool State::MachineReadOnly() {
  if (!readOnlyChosen_) {
    const char *flag = std::getenv("TOVIN_REGISTRY_MACHINE_READONLY");
    readOnly_ = flag && std::string(flag) == "1";
    readOnlyChosen_ = true;
  }
  return readOnly_;
}

bool State::Lookup(HKEY key, KeyRef *out) const {
  // A predefined root is known by the low 32 bits of its value alone, so a
  // root that lost or gained its sign extension on the way still names it.
  const auto low = [](HKEY k) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(k)); };
  for (const Predefined &p : kPredefined) {
    if (low(p.key) != low(key)) continue;
    *out = KeyRef{};
    out->view = p.view;
    out->access = KEY_ALL_ACCESS;
    out->predefined = true;
    out->display = p.name;
    return true;
  }
  const KeyRef *ref = handles_.Find(key);
  if (!ref) return false;
  *out = *ref;
  return true;
}

HKEY State::Add(KeyRef ref) {
  const uintptr_t tag = ref.view == View::Classes ? kClassesTag : 0;
  ref.predefined = false;
  return handles_.Add<HKEY>(std::move(ref), tag);
}

bool State::Remove(HKEY key) {
  cursors_.erase(reinterpret_cast<uintptr_t>(key));
  return handles_.Remove(key);
}

HandleCursors &State::CursorsOf(HKEY key, const KeyRef &ref) {
  // A predefined root has many spellings of its value; it keeps one slot per
  // view, below the first handle value.
  uintptr_t slot = ref.predefined ? static_cast<uintptr_t>(ref.view) + 1 : reinterpret_cast<uintptr_t>(key);
  return cursors_[slot];
}

void State::Close() {
  CloseStore();
  handles_.Clear();
  cursors_.clear();
}

void State::UseFile(const std::string &path) {
  Close();
  file_ = path;
  fileChosen_ = true;
}

void State::UseMachineReadOnly(bool on) {
  readOnly_ = on;
  readOnlyChosen_ = true;
}

void State::Reset() {
  Close();
  FailStoreWrite(0, 0);
  fileChosen_ = false;
  readOnlyChosen_ = false;
}

}  // namespace registry

namespace seams {

void SetRegistryFile(const std::string &path) {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.UseFile(path);
}

void SetMachineReadOnly(bool on) {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.UseMachineReadOnly(on);
}

unsigned OpenRegistryKeys() {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.OpenHandles();
}

void ResetRegistry() {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.Reset();
}

}  // namespace seams
