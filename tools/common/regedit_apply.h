// Applying regedit operations to the registry as one unit.
#pragma once
#include <vector>

#include "regedit_ops.h"

namespace tools {

struct ApplyResult {
  LSTATUS status = ERROR_SUCCESS;  // the failure's code
  // With a failure: the index of the op that failed, or the count of ops when
  // the transaction could not begin or commit.
  size_t failed = 0;
};

// Applies `ops` in order through the Reg* functions inside one store
// transaction (registry_extension.h): CreateKey creates the key with any
// missing parents, DeleteKey removes the subtree (nothing when it is missing),
// SetValue writes, DeleteValue removes (nothing when it is missing). A value
// op acts on its op's key, created when needed. Either every op is applied or,
// on any failure, none is: other processes see the registry as before or as
// after, and a process killed part-way leaves it as before. Call it on a
// thread without a store transaction of its own.
ApplyResult ApplyRegedit(const std::vector<RegeditOp> &ops);

}  // namespace tools
