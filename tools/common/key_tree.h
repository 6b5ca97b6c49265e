// Reading keys through the Reg* functions: values, subkeys, whole subtrees.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tools {

struct RegistryValue {
  std::u16string name;  // empty for the default value
  DWORD type = REG_NONE;
  std::string data;  // the stored bytes

  bool operator==(const RegistryValue &) const = default;
};

struct KeySnapshot {
  std::u16string path;  // below the tree's top key ("" for the top key itself, "a\b" deeper)
  std::u16string keyClass;
  std::vector<RegistryValue> values;  // in enumeration order

  bool operator==(const KeySnapshot &) const = default;
};

// The values of `key` (opened with KEY_QUERY_VALUE) in enumeration order,
// appended to *out. Returns ERROR_SUCCESS or the failing call's code; *out is
// then incomplete.
LSTATUS ReadValues(HKEY key, std::vector<RegistryValue> *out);

// The names of the subkeys of `key` (opened with KEY_ENUMERATE_SUB_KEYS) in
// enumeration order, appended to *names. Returns as ReadValues.
LSTATUS ReadSubkeys(HKEY key, std::vector<std::u16string> *names);

// root\path and everything below it, parents before children, subkeys in
// enumeration order, appended to *out. ERROR_FILE_NOT_FOUND when the key is
// missing; any other failing call's code.
LSTATUS ReadTree(HKEY root, const std::u16string &path, std::vector<KeySnapshot> *out);

}  // namespace tools
