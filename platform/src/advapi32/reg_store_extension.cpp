// The registry functions beyond the Windows API: opening the store's file up
// front and store transactions.
#include "registry_extension.h"

#include <sys/stat.h>

#include <cerrno>

#include "advapi32/registry_call.h"
#include "advapi32/registry_state.h"

namespace {

using registry::State;
using registry::Store;

template <typename F>
LSTATUS Guarded(F &&body) noexcept {
  try {
    return body();
  } catch (...) {
    return registry::CurrentExceptionStatus();
  }
}

// Opens this thread's transaction, or its snapshot, once no other thread has one.
LSTATUS BeginForThread(bool snapshot) {
  return Guarded([snapshot]() -> LSTATUS {
    State &state = State::Get();
    std::unique_lock<std::mutex> lock(state.mutex);
    state.AwaitOtherTransactions(lock);
    if (state.InTransaction()) return ERROR_INVALID_STATE;
    state.store().Begin(!snapshot);
    state.TransactionBegun(snapshot);
    return ERROR_SUCCESS;
  });
}

}  // namespace

LSTATUS WINAPI RegOpenStoreFile(BOOL create, BOOL *writable) {
  return Guarded([&]() -> LSTATUS {
    State &state = State::Get();
    std::unique_lock<std::mutex> lock(state.mutex);
    state.AwaitOtherTransactions(lock);
    struct stat info;
    const std::string &file = state.File();
    if (!create && !state.StoreOpen() && !file.empty() && ::stat(file.c_str(), &info) != 0 &&
        (errno == ENOENT || errno == ENOTDIR))
      return ERROR_FILE_NOT_FOUND;
    const Store &store = state.store();
    if (writable) *writable = store.ReadOnly() ? FALSE : TRUE;
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegBeginStoreTransaction(void) { return BeginForThread(false); }

LSTATUS WINAPI RegBeginStoreSnapshot(void) { return BeginForThread(true); }

LSTATUS WINAPI RegEndStoreSnapshot(void) {
  return Guarded([]() -> LSTATUS {
    State &state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.InSnapshot()) return ERROR_INVALID_STATE;
    state.store().Rollback();
    state.TransactionEnded(false);
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegCommitStoreTransaction(void) {
  return Guarded([]() -> LSTATUS {
    State &state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.InTransaction() || state.InSnapshot()) return ERROR_INVALID_STATE;
    // Open since the transaction began: closing the store ends the transaction.
    Store &store = state.store();
    try {
      store.Commit();
    } catch (...) {
      store.Rollback();
      state.TransactionEnded(true);
      throw;
    }
    state.TransactionEnded(false);
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegRollbackStoreTransaction(void) {
  return Guarded([]() -> LSTATUS {
    State &state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.InTransaction() || state.InSnapshot()) return ERROR_INVALID_STATE;
    state.store().Rollback();
    state.TransactionEnded(true);
    return ERROR_SUCCESS;
  });
}
