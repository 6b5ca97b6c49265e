#include "regedit_export.h"

#include "key_tree.h"

namespace tools {

LSTATUS ExportKey(const KeyName &key, std::vector<RegeditOp> *out) {
  std::vector<KeySnapshot> tree;
  if (LSTATUS r = ReadTree(key.root, key.path, &tree)) return r;
  for (const KeySnapshot &snapshot : tree) {
    std::u16string name = key.Child(snapshot.path).Full();
    out->push_back({RegeditAction::CreateKey, name, {}, REG_NONE, {}, 0});
    for (const RegistryValue &value : snapshot.values)
      out->push_back({RegeditAction::SetValue, name, value.name, value.type, value.data, 0});
  }
  return ERROR_SUCCESS;
}

}  // namespace tools
