// Turning a registry subtree into regedit operations.
#pragma once
#include <vector>

#include "key_name.h"
#include "regedit_ops.h"

namespace tools {

// Appends to *out the operations that recreate `key` and everything below it:
// for each key, parents first and subkeys in enumeration order, a CreateKey
// followed by a SetValue for each of its values. Returns ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND for a missing key, or the failing call's code.
LSTATUS ExportKey(const KeyName &key, std::vector<RegeditOp> *out);

}  // namespace tools
