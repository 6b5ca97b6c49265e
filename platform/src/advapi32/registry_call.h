// How every registry function runs: the test seam, the lock, one transaction.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "advapi32/registry_state.h"
#include "advapi32/registry_store.h"
#include "platform_seams.h"
#include "windows.h"

namespace registry {

enum class Access { None, Read, Write };

// What a registry function's body works with; valid only during the call.
struct Session {
  State &state;
  Store *store;  // null for Access::None
  KeyRef key;    // the hKey argument; for a predefined root of a store tree, id is that root
  HKEY handle;
  // A body that opens a key puts it here; the handle is made and written to
  // *openedOut only once the transaction has committed.
  std::optional<KeyRef> opened;
  PHKEY openedOut = nullptr;
};

using Body = LSTATUS (*)(void *context, Session &session);
using Render = std::string (*)(void *context);

// Runs one registry function: counts and records it with the test seams
// (subject: hKey's path with subKey appended; arguments: "key=<path> " and what
// `render` gives), returns an injected fault's code untouched,
// ERROR_INVALID_HANDLE for an unknown hKey, and otherwise calls `body` with the
// lock held and, unless Access::None, inside one transaction that commits only
// when the body returns ERROR_SUCCESS (inside the calling thread's store
// transaction: a savepoint, released or rolled back alike). Calls of other
// threads wait while one thread has a store transaction open. A store failure
// gives its StoreError's status, exhausted memory ERROR_OUTOFMEMORY; nothing
// is thrown.
LSTATUS RunCall(seams::Operation operation, Access access, HKEY hKey, const char16_t *subKey, Render render,
                void *renderContext, Body body, void *bodyContext) noexcept;

template <typename A, typename F>
LSTATUS Run(seams::Operation operation, Access access, HKEY hKey, const char16_t *subKey, A &&arguments,
            F &&body) noexcept {
  return RunCall(
      operation, access, hKey, subKey,
      [](void *context) -> std::string { return (*static_cast<std::remove_reference_t<A> *>(context))(); },
      &arguments,
      [](void *context, Session &session) -> LSTATUS {
        return (*static_cast<std::remove_reference_t<F> *>(context))(session);
      },
      &body);
}

// The status of the exception being handled: ERROR_OUTOFMEMORY for exhausted
// memory, a store error's own code, else ERROR_REGISTRY_IO_FAILED. Call only
// inside a catch block.
LSTATUS CurrentExceptionStatus() noexcept;

// Argument renderings for the seam records: "text" or (null); 0x%08X; a
// pointed-to number in decimal or (null).
std::string Quote(const char16_t *text);
std::string Hex(uint32_t value);
std::string Pointee(const DWORD *value);

}  // namespace registry
