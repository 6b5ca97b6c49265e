// Full registry key names as users and regedit files write them:
// "HKEY_LOCAL_MACHINE\Software\X" or "HKLM\Software\X".
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace tools {

struct KeyName {
  HKEY root = nullptr;
  std::u16string rootName;  // the long form, e.g. u"HKEY_CURRENT_USER"
  std::u16string path;      // below the root, without leading or trailing backslash; empty for the root

  // rootName, and "\" path when there is one.
  std::u16string Full() const;
  // The key `child` (a path below this key) as a KeyName.
  KeyName Child(const std::u16string &child) const;
};

enum class KeyNameError {
  None,
  UnknownRoot,       // not one of HKLM, HKCU, HKCR, HKU, HKCC or their long forms
  EmptyComponent,    // "a\\b": two backslashes in a row
  ComponentTooLong,  // a name of more than 255 units
};

// Splits `text` into root and path. Root names compare case-insensitively;
// trailing backslashes are dropped. On failure *out is unchanged.
KeyNameError ParseKeyName(std::u16string_view text, KeyName *out);

}  // namespace tools
