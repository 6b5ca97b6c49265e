// The enumeration functions of the registry: subkeys, values, key information.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "advapi32/registry_call.h"
#include "advapi32/registry_tree.h"
#include "windows.h"

using registry::Access;
using registry::Pointee;
using registry::Run;
using registry::Session;

namespace {

void CopyText(const std::u16string &text, LPWSTR buffer) {
  std::memcpy(buffer, text.data(), text.size() * 2);
  buffer[text.size()] = 0;
}

void GiveTime(int64_t written, PFILETIME out) {
  if (!out) return;
  out->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(written) & 0xFFFFFFFFu);
  out->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(written) >> 32);
}

}  // namespace

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                             LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  return Run(
      "RegEnumKeyExW", Access::Read, hKey, nullptr,
      [&] { return "index=" + std::to_string(dwIndex) + " size=" + Pointee(lpcchName); },
      [&](Session &s) -> LSTATUS {
        if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
        if (LSTATUS r = registry::CheckRights(s.key, KEY_ENUMERATE_SUB_KEYS)) return r;
        // One subkey is read, not all of them: removing a tree asks for index
        // 0 once per subkey, and a listing asks for each index in turn.
        registry::KeyRecord key;
        if (LSTATUS r = registry::SubkeyAt(s, s.key, dwIndex, &key)) return r;
        if (key.name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
        if (lpClass && key.keyClass.size() + 1 > *lpcchClass) return ERROR_MORE_DATA;
        CopyText(key.name, lpName);
        *lpcchName = static_cast<DWORD>(key.name.size());
        if (lpClass) {
          CopyText(key.keyClass, lpClass);
          *lpcchClass = static_cast<DWORD>(key.keyClass.size());
        }
        GiveTime(key.written, lpftLastWriteTime);
        return ERROR_SUCCESS;
      });
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return Run(
      "RegEnumValueW", Access::Read, hKey, nullptr,
      [&] {
        return "index=" + std::to_string(dwIndex) + " namesize=" + Pointee(lpcchValueName) +
               " size=" + Pointee(lpcbData);
      },
      [&](Session &s) -> LSTATUS {
        if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
        if (LSTATUS r = registry::CheckRights(s.key, KEY_QUERY_VALUE)) return r;
        registry::ValueRecord value;
        if (LSTATUS r = registry::ValueAt(s, s.key, dwIndex, &value)) return r;
        if (lpType) *lpType = value.type;
        DWORD needed = static_cast<DWORD>(value.data.size());
        // A short name buffer still learns the type and the data size; the
        // name's size is left as the caller gave it.
        if (value.name.size() + 1 > *lpcchValueName) {
          if (lpcbData) *lpcbData = needed;
          return ERROR_MORE_DATA;
        }
        CopyText(value.name, lpValueName);
        *lpcchValueName = static_cast<DWORD>(value.name.size());
        if (!lpcbData) return ERROR_SUCCESS;
        if (lpData && *lpcbData < needed) {
          *lpcbData = needed;
          return ERROR_MORE_DATA;
        }
        if (lpData && needed) std::memcpy(lpData, value.data.data(), needed);
        *lpcbData = needed;
        return ERROR_SUCCESS;
      });
}

LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  return Run(
      "RegQueryInfoKeyW", Access::Read, hKey, nullptr, [] { return std::string(); },
      [&](Session &s) -> LSTATUS {
        if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
        if (LSTATUS r = registry::CheckRights(s.key, KEY_QUERY_VALUE)) return r;
        registry::Target target;
        if (LSTATUS r = registry::KeyTarget(s, s.key, &target)) return r;
        registry::KeyRecord self;
        if (!s.store->Key(target.id, &self)) return ERROR_KEY_DELETED;
        // Only what the caller asks about is read: the target check above has
        // already met every failure these reads could meet.
        std::vector<registry::KeyRecord> subkeys;
        if (lpcSubKeys || lpcbMaxSubKeyLen || lpcbMaxClassLen)
          if (LSTATUS r = registry::Subkeys(s, s.key, &subkeys)) return r;
        std::vector<registry::ValueRecord> values;
        if (lpcValues || lpcbMaxValueNameLen || lpcbMaxValueLen)
          if (LSTATUS r = registry::ListValues(s, s.key, &values)) return r;

        // A short class buffer is left alone and told the class's length with
        // ERROR_INSUFFICIENT_BUFFER; the other numbers are given all the same.
        // A buffer of no units asks for nothing and is told 0.
        LSTATUS result = ERROR_SUCCESS;
        if (lpcchClass && !(lpClass && *lpcchClass == 0)) {
          DWORD length = static_cast<DWORD>(self.keyClass.size());
          if (lpClass && length + 1 > *lpcchClass)
            result = ERROR_INSUFFICIENT_BUFFER;
          else if (lpClass)
            CopyText(self.keyClass, lpClass);
          *lpcchClass = length;
        }
        size_t maxName = 0, maxClass = 0, maxValueName = 0, maxValue = 0;
        for (const registry::KeyRecord &k : subkeys) {
          maxName = std::max(maxName, k.name.size());
          maxClass = std::max(maxClass, k.keyClass.size());
        }
        for (const registry::ValueRecord &v : values) {
          maxValueName = std::max(maxValueName, v.name.size());
          maxValue = std::max(maxValue, v.data.size());
        }
        if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(subkeys.size());
        if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = static_cast<DWORD>(maxName);
        if (lpcbMaxClassLen) *lpcbMaxClassLen = static_cast<DWORD>(maxClass);
        if (lpcValues) *lpcValues = static_cast<DWORD>(values.size());
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = static_cast<DWORD>(maxValueName);
        if (lpcbMaxValueLen) *lpcbMaxValueLen = static_cast<DWORD>(maxValue);
        if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
        GiveTime(self.written, lpftLastWriteTime);
        return result;
      });
}
