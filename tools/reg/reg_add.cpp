#include <optional>

#include "exact_value.h"
#include "key_handle.h"
#include "reg_commands.h"
#include "reg_console.h"

int RunAdd(const RegArgs &args) {
  tools::KeyHandle key;
  LSTATUS r = RegCreateKeyExW(args.key.root, args.key.path.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              nullptr, key.out(), nullptr);
  if (r == ERROR_SUCCESS && args.value) {
    const std::u16string &name = *args.value;
    if (!args.force && RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        !Confirm(u"Value " + (name.empty() ? std::u16string(u"(Default)") : name) + u" exists, overwrite(Yes/No)?"))
      return Declined();
    r = tools::SetValueExactly(key.get(), name.c_str(), *args.type, args.data);
  }
  if (r) {
    Err(ErrorMessage(r));
    return 1;
  }
  Out(u"The operation completed successfully.\n");
  return 0;
}
