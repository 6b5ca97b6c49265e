#include "advapi32/registry_call.h"

#include <cstdio>
#include <new>

#include "advapi32/registry_text.h"
#include "core/seams_internal.h"

namespace registry {
namespace {

std::string HandleText(HKEY key) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(key)));
  return text;
}

std::string Subject(const std::string &display, const char16_t *subKey) {
  if (!subKey || !*subKey) return display;
  std::vector<std::u16string> names;
  if (SplitPath(subKey, &names) == ERROR_SUCCESS) return JoinPath(display, names);
  return display + "\\" + seams::Utf8(subKey);
}

}  // namespace

LSTATUS RunCall(seams::Operation operation, Access access, HKEY hKey, const char16_t *subKey, Render render,
                void *renderContext, Body body, void *bodyContext) noexcept {
  try {
    State &state = State::Get();
    std::unique_lock<std::mutex> lock(state.mutex);
    state.AwaitOtherTransactions(lock);
    KeyRef key;
    bool known = state.Lookup(hKey, &key);
    uint32_t fault = 0;
    auto describe = [&](std::string *subject, std::string *described) {
      const std::string display = known ? key.display : HandleText(hKey);
      const std::string arguments = render(renderContext);
      *subject = Subject(display, subKey);
      *described = "key=" + display + (arguments.empty() ? "" : " " + arguments);
    };
    if (seams::Enter(operation, describe, &fault)) return static_cast<LSTATUS>(fault);
    if (!known) return ERROR_INVALID_HANDLE;

    Session session{state, nullptr, std::move(key), hKey, std::nullopt, nullptr};
    if (access == Access::None) return body(bodyContext, session);

    Store &store = state.store();
    session.store = &store;
    // A snapshot only reads: nothing to undo, and nothing may be written.
    if (state.InSnapshot()) {
      if (access == Access::Write) return ERROR_ACCESS_DENIED;
      if (session.key.predefined && session.key.view != View::Classes)
        session.key.id = store.Root(HiveOf(session.key.view));
      LSTATUS result = body(bodyContext, session);
      if (result == ERROR_SUCCESS && session.opened && session.openedOut)
        *session.openedOut = state.Add(std::move(*session.opened));
      return result;
    }
    // Inside a store transaction a call is a savepoint: its failure undoes
    // what it did and keeps what the calls before it did.
    const bool nested = state.InTransaction();
    if (nested)
      store.Savepoint();
    else
      store.Begin(access == Access::Write);
    const auto undo = [&] { nested ? store.RollbackToSavepoint() : store.Rollback(); };
    LSTATUS result;
    try {
      if (session.key.predefined && session.key.view != View::Classes)
        session.key.id = store.Root(HiveOf(session.key.view));
      result = body(bodyContext, session);
      if (result != ERROR_SUCCESS)
        undo();
      else if (nested)
        store.Release();
      else
        store.Commit();
    } catch (...) {
      undo();
      throw;
    }
    if (result == ERROR_SUCCESS && session.opened && session.openedOut)
      *session.openedOut = state.Add(std::move(*session.opened));
    return result;
  } catch (...) {
    return CurrentExceptionStatus();
  }
}

LSTATUS CurrentExceptionStatus() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    return ERROR_OUTOFMEMORY;
  } catch (const StoreError &e) {
    return static_cast<LSTATUS>(e.status());
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

std::string Quote(const char16_t *text) { return text ? "\"" + seams::Utf8(text) + "\"" : "(null)"; }

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string Pointee(const DWORD *value) { return value ? std::to_string(*value) : "(null)"; }

}  // namespace registry
