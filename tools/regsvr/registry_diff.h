// What changed between two readings of one registry subtree, as regedit operations.
#pragma once
#include <string>
#include <vector>

#include "key_tree.h"
#include "regedit_ops.h"

// The operations that turn `before` into `after`, two ReadTree readings below
// the key named `top` (full name with the long root name). Keys come sorted
// by path, component by component and ignoring ASCII case, so parents precede
// their children. A key that is new gives a CreateKey and a SetValue for each
// value; a key that stayed gives, when any value changed, a CreateKey, a
// SetValue for each new or changed value and a DeleteValue for each removed
// one; a removed subtree gives one DeleteKey at its top. Key names take the
// spelling of `after` where the key is in it. Key classes are not compared.
std::vector<tools::RegeditOp> DiffTrees(const std::u16string &top, const std::vector<tools::KeySnapshot> &before,
                                        const std::vector<tools::KeySnapshot> &after);
