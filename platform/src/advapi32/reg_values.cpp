// The value functions of the registry: query, set, delete, and RegGetValueW.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "advapi32/registry_call.h"
#include "advapi32/registry_text.h"
#include "advapi32/registry_tree.h"
#include "windows.h"

using registry::Access;
using registry::Hex;
using registry::Pointee;
using registry::Quote;
using registry::Run;
using registry::Session;

namespace {

std::u16string ValueName(LPCWSTR name) { return name ? std::u16string(name) : std::u16string(); }

// Reads the value `name` of `key` into *out; ERROR_FILE_NOT_FOUND when absent.
LSTATUS ReadValue(Session &s, const registry::KeyRef &key, LPCWSTR name, registry::ValueRecord *out) {
  if (LSTATUS r = registry::CheckRights(key, KEY_QUERY_VALUE)) return r;
  return registry::FindValue(s, key, ValueName(name), out, nullptr);
}

// The value's bytes into the caller's buffer of `capacity` bytes (the size
// argument as it came in): a null buffer asks for the size, a short one gives
// ERROR_MORE_DATA with the size needed.
LSTATUS GiveData(const std::string &data, void *buffer, DWORD capacity, DWORD *size) {
  if (!size) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(data.size());
  if (buffer && capacity < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (buffer && needed) std::memcpy(buffer, data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

std::u16string Units(const std::string &bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return units;
}

std::string Bytes(const std::u16string &units) {
  return std::string(reinterpret_cast<const char *>(units.data()), units.size() * 2);
}

// %NAME% replaced by the environment variable's value; unknown names stay as written.
std::u16string ExpandEnvironment(const std::u16string &text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : std::u16string::npos;
    if (close == std::u16string::npos) {
      out += text[i++];
      continue;
    }
    std::string name = registry::ToUtf8(text.substr(i + 1, close - i - 1));
    const char *value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value) {
      out += registry::FromUtf8(value);
      i = close + 1;
    } else {
      out += text.substr(i, close - i);
      i = close;
    }
  }
  return out;
}

DWORD RestrictionOf(DWORD type) {
  switch (type) {
    case REG_NONE:
      return RRF_RT_REG_NONE;
    case REG_SZ:
      return RRF_RT_REG_SZ;
    case REG_EXPAND_SZ:
      return RRF_RT_REG_EXPAND_SZ;
    case REG_BINARY:
      return RRF_RT_REG_BINARY;
    case REG_DWORD:
      return RRF_RT_REG_DWORD;
    case REG_MULTI_SZ:
      return RRF_RT_REG_MULTI_SZ;
    case REG_QWORD:
      return RRF_RT_REG_QWORD;
    default:
      return 0;
  }
}

// The data RegGetValueW hands out for `value`, after expansion, type
// restriction and NUL termination of strings.
LSTATUS Shape(DWORD flags, registry::ValueRecord *value) {
  DWORD allowed = flags & RRF_RT_ANY;
  if (value->type == REG_EXPAND_SZ && !(flags & RRF_NOEXPAND)) {
    std::u16string text = Units(value->data);
    text = ExpandEnvironment(text.substr(0, registry::TextLength(text.c_str())));
    text += u'\0';
    value->data = Bytes(text);
    value->type = REG_SZ;
  }
  DWORD restriction = RestrictionOf(value->type);
  if (allowed != RRF_RT_ANY && !(restriction & allowed)) return ERROR_UNSUPPORTED_TYPE;
  size_t size = value->data.size();
  if (allowed != RRF_RT_ANY) {
    // Binary data asked for as a number must have the number's size.
    bool dword = allowed == RRF_RT_DWORD && value->type == REG_BINARY;
    bool qword = allowed == RRF_RT_QWORD && value->type == REG_BINARY;
    if ((dword && size != 4) || (qword && size != 8)) return ERROR_DATATYPE_MISMATCH;
  }
  if (value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ) {
    std::u16string text = Units(value->data);
    if (value->type == REG_MULTI_SZ) {
      while (!(text == std::u16string(1, u'\0') ||
               (text.size() >= 2 && text[text.size() - 1] == 0 && text[text.size() - 2] == 0)))
        text += u'\0';
    } else if (text.empty() || text.back() != 0) {
      text += u'\0';
    }
    value->data = Bytes(text);
  }
  return ERROR_SUCCESS;
}

// The size a string value is stored with: a string whose last unit is not
// NUL but whose next unit in memory is gets that terminator counted too. That
// unit lies past the caller's size, so the address checker is told to let the
// read be.
__attribute__((no_sanitize_address)) DWORD StringSize(DWORD type, const BYTE *data, DWORD size) {
  if ((type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) || !data || size < 2) return size;
  const DWORD units = size / 2;
  auto unit = [&](DWORD i) { return data[2 * i] | (data[2 * i + 1] << 8); };
  return size % 2 == 0 && unit(units - 1) != 0 && unit(units) == 0 ? size + 2 : size;
}

}  // namespace

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  return Run(
      "RegQueryValueExW", Access::Read, hKey, nullptr,
      [&] { return "value=" + Quote(lpValueName) + " size=" + Pointee(lpcbData); },
      [&](Session &s) -> LSTATUS {
        if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
        // Read before the type is written: callers may pass one variable for both.
        const DWORD capacity = lpcbData ? *lpcbData : 0;
        registry::ValueRecord value;
        if (LSTATUS r = ReadValue(s, s.key, lpValueName, &value)) {
          // A size query of a missing value learns that there is nothing.
          if (r == ERROR_FILE_NOT_FOUND && !lpData && lpcbData) *lpcbData = 0;
          return r;
        }
        if (lpType) *lpType = value.type;
        return GiveData(value.data, lpData, capacity, lpcbData);
      });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE *lpData,
                              DWORD cbData) {
  return Run(
      "RegSetValueExW", Access::Write, hKey, nullptr,
      [&] {
        return "value=" + Quote(lpValueName) + " type=" + std::to_string(dwType) + " size=" + std::to_string(cbData);
      },
      [&](Session &s) -> LSTATUS {
        if (!lpData && cbData) return ERROR_NOACCESS;
        if (registry::TextLength(lpValueName) > registry::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
        if (LSTATUS r = registry::CheckRights(s.key, KEY_SET_VALUE)) return r;
        registry::Target target;
        if (LSTATUS r = registry::KeyTarget(s, s.key, &target)) return r;
        if (LSTATUS r = registry::CheckWritable(s, target.hive)) return r;
        s.store->SetValue(target.id, ValueName(lpValueName), dwType, lpData, StringSize(dwType, lpData, cbData));
        return ERROR_SUCCESS;
      });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return Run(
      "RegDeleteValueW", Access::Write, hKey, nullptr, [&] { return "value=" + Quote(lpValueName); },
      [&](Session &s) -> LSTATUS {
        if (LSTATUS r = registry::CheckRights(s.key, KEY_SET_VALUE)) return r;
        registry::Target target;
        if (LSTATUS r = registry::KeyTarget(s, s.key, &target)) return r;
        if (LSTATUS r = registry::CheckWritable(s, target.hive)) return r;
        // Through the classes view the value that reading finds goes, so that
        // deleting the user's value shows the machine's again.
        registry::ValueRecord value;
        if (LSTATUS r = registry::FindValue(s, s.key, ValueName(lpValueName), &value, &target)) return r;
        if (LSTATUS r = registry::CheckWritable(s, target.hive)) return r;
        return s.store->RemoveValue(target.id, value.name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
      });
}

LSTATUS WINAPI RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType,
                            PVOID pvData, LPDWORD pcbData) {
  DWORD capacity = pcbData ? *pcbData : 0;
  LSTATUS result = Run(
      "RegGetValueW", Access::Read, hkey, lpSubKey,
      [&] {
        return "subkey=" + Quote(lpSubKey) + " value=" + Quote(lpValue) + " flags=" + Hex(dwFlags) +
               " size=" + Pointee(pcbData);
      },
      [&](Session &s) -> LSTATUS {
        // Unknown flags are ignored; no type bits at all admit no type
        // (ERROR_UNSUPPORTED_TYPE once the value is read).
        if (pvData && !pcbData) return ERROR_INVALID_PARAMETER;
        if ((dwFlags & RRF_WOW64_MASK) == RRF_WOW64_MASK) return ERROR_INVALID_PARAMETER;
        // Expansion turns REG_EXPAND_SZ into REG_SZ, so asking for the unexpanded type alone is contradictory.
        DWORD restriction = dwFlags & RRF_RT_ANY;
        if ((restriction & RRF_RT_REG_EXPAND_SZ) && restriction != RRF_RT_ANY && !(dwFlags & RRF_NOEXPAND))
          return ERROR_INVALID_PARAMETER;
        std::vector<std::u16string> names;
        if (LSTATUS r = registry::SplitPath(lpSubKey, &names)) return r;
        registry::KeyRef key = s.key;
        if (!names.empty())
          if (LSTATUS r = registry::OpenKey(s, s.key, names, KEY_QUERY_VALUE, &key)) return r;
        registry::ValueRecord value;
        if (LSTATUS r = ReadValue(s, key, lpValue, &value)) return r;
        // A refused type still hands out the value's type, size and data, so
        // that the caller learns what is there.
        LSTATUS refused = Shape(dwFlags, &value);
        if (pdwType) *pdwType = value.type;
        LSTATUS given = GiveData(value.data, pvData, capacity, pcbData);
        return refused != ERROR_SUCCESS ? refused : given;
      });
  if (result != ERROR_SUCCESS && (dwFlags & RRF_ZEROONFAILURE) && pvData && capacity)
    std::memset(pvData, 0, capacity);
  return result;
}
