#include "key_handle.h"
#include "key_tree.h"
#include "reg_commands.h"
#include "reg_console.h"

namespace {

LSTATUS DeleteAllValues(HKEY key) {
  std::vector<tools::RegistryValue> values;
  if (LSTATUS r = tools::ReadValues(key, &values)) return r;
  for (const tools::RegistryValue &value : values) {
    LSTATUS r = RegDeleteValueW(key, value.name.c_str());
    if (r && r != ERROR_FILE_NOT_FOUND) return r;
  }
  return ERROR_SUCCESS;
}

}  // namespace

int RunDelete(const RegArgs &args) {
  std::u16string full = args.key.Full();
  tools::KeyHandle key;
  LSTATUS r = RegOpenKeyExW(args.key.root, args.key.path.c_str(), 0, KEY_READ | KEY_SET_VALUE, key.out());
  if (r == ERROR_SUCCESS && args.value) {
    const std::u16string &name = *args.value;
    r = RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_SUCCESS && !args.force &&
        !Confirm(u"Delete the registry value " + (name.empty() ? std::u16string(u"(Default)") : name) +
                 u" (Yes/No)?"))
      return Declined();
    if (r == ERROR_SUCCESS) r = RegDeleteValueW(key.get(), name.c_str());
  } else if (r == ERROR_SUCCESS && args.allValues) {
    if (!args.force && !Confirm(u"Delete all values under the registry key " + full + u" (Yes/No)?"))
      return Declined();
    r = DeleteAllValues(key.get());
  } else if (r == ERROR_SUCCESS) {
    key.Close();
    if (!args.force && !Confirm(u"Delete the registry key " + full + u" (Yes/No)?")) return Declined();
    r = RegDeleteTreeW(args.key.root, args.key.path.c_str());
  }
  if (r) {
    Err(ErrorMessage(r));
    return 1;
  }
  Out(u"The operation completed successfully.\n");
  return 0;
}
