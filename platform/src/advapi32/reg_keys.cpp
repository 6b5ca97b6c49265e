// The key functions of the registry: open, create, close, delete.
#include <string>
#include <vector>

#include "advapi32/registry_call.h"
#include "advapi32/registry_text.h"
#include "advapi32/registry_tree.h"
#include "windows.h"

using registry::Access;
using registry::Hex;
using registry::Quote;
using registry::Run;
using registry::Session;

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  LSTATUS result = Run(
      "RegOpenKeyExW", Access::Read, hKey, lpSubKey,
      [&] {
        return "subkey=" + Quote(lpSubKey) + " options=" + std::to_string(ulOptions) + " sam=" + Hex(samDesired);
      },
      [&](Session &s) -> LSTATUS {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        // Options and view bits are not checked; without symbolic links,
        // opening a link is opening the key.
        // The classes root takes one leading backslash, which other keys refuse;
        // a lone backslash then opens a new handle of the root.
        const bool classesRoot = s.key.predefined && s.key.view == registry::View::Classes;
        LPCWSTR path = classesRoot && lpSubKey && *lpSubKey == u'\\' ? lpSubKey + 1 : lpSubKey;
        std::vector<std::u16string> names;
        if (LSTATUS r = registry::SplitPath(path, &names)) return r;
        // A predefined root with no subkey gives the root itself.
        if (s.key.predefined && (!lpSubKey || !*lpSubKey)) {
          *phkResult = hKey;
          return ERROR_SUCCESS;
        }
        registry::KeyRef opened;
        if (LSTATUS r = registry::OpenKey(s, s.key, names, samDesired, &opened)) return r;
        s.opened = std::move(opened);
        s.openedOut = phkResult;
        return ERROR_SUCCESS;
      });
  if (result != ERROR_SUCCESS && phkResult) *phkResult = nullptr;
  return result;
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  bool refused = false;  // an argument was refused
  LSTATUS result = Run(
      "RegCreateKeyExW", Access::Write, hKey, lpSubKey,
      [&] {
        return "subkey=" + Quote(lpSubKey) + " class=" + Quote(lpClass) + " options=" + std::to_string(dwOptions) +
               " sam=" + Hex(samDesired);
      },
      [&](Session &s) -> LSTATUS {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        // Reserved must be zero; symbolic links are not kept by this registry.
        // Other options and the view bits are not checked.
        if (Reserved || (dwOptions & REG_OPTION_CREATE_LINK)) {
          refused = true;
          return ERROR_INVALID_PARAMETER;
        }
        std::vector<std::u16string> names;
        if (LSTATUS r = registry::SplitPath(lpSubKey, &names)) return r;
        std::u16string keyClass = lpClass ? std::u16string(lpClass) : std::u16string();
        registry::KeyRef opened;
        bool created = false;
        if (LSTATUS r = registry::CreateKey(s, s.key, names, lpClass ? &keyClass : nullptr,
                                            (dwOptions & REG_OPTION_VOLATILE) != 0, samDesired, &opened, &created))
          return r;
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        s.opened = std::move(opened);
        s.openedOut = phkResult;
        return ERROR_SUCCESS;
      });
  // An invalid parent handle or refused argument leaves the out argument as it was.
  if (result != ERROR_SUCCESS && result != ERROR_INVALID_HANDLE && !refused && phkResult) *phkResult = nullptr;
  return result;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  return Run(
      "RegCloseKey", Access::None, hKey, nullptr, [] { return std::string(); },
      [&](Session &s) -> LSTATUS {
        if (s.key.predefined) return ERROR_SUCCESS;
        return s.state.Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
      });
}

namespace {

LSTATUS DeleteSubkey(Session &s, LPCWSTR lpSubKey, registry::DeleteMode mode) {
  std::vector<std::u16string> names;
  if (LSTATUS r = registry::SplitPath(lpSubKey, &names)) return r;
  return registry::DeleteKey(s, s.key, names, mode);
}

}  // namespace

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  return Run(
      "RegDeleteKeyW", Access::Write, hKey, lpSubKey, [&] { return "subkey=" + Quote(lpSubKey); },
      [&](Session &s) -> LSTATUS {
        if (!lpSubKey) return ERROR_INVALID_PARAMETER;
        return DeleteSubkey(s, lpSubKey, registry::DeleteMode::Leaf);
      });
}

// The registry has one view; the view bits and Reserved are recorded and otherwise ignored.
LSTATUS WINAPI RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD /*Reserved*/) {
  return Run(
      "RegDeleteKeyExW", Access::Write, hKey, lpSubKey,
      [&] { return "subkey=" + Quote(lpSubKey) + " sam=" + Hex(samDesired); },
      [&](Session &s) -> LSTATUS {
        if (!lpSubKey) return ERROR_INVALID_PARAMETER;
        return DeleteSubkey(s, lpSubKey, registry::DeleteMode::Leaf);
      });
}

LSTATUS WINAPI RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
  return Run(
      "RegDeleteTreeW", Access::Write, hKey, lpSubKey, [&] { return "subkey=" + Quote(lpSubKey); },
      [&](Session &s) -> LSTATUS {
        if (!lpSubKey || !*lpSubKey) {
          if (LSTATUS r = registry::CheckRights(s.key, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) return r;
          return DeleteSubkey(s, nullptr, registry::DeleteMode::Contents);
        }
        return DeleteSubkey(s, lpSubKey, registry::DeleteMode::Tree);
      });
}
