// Applying regedit operations to the registry as one unit.
#pragma once
#include <vector>

#include "regedit_ops.h"

namespace tools {

struct ApplyResult {
  LSTATUS status = ERROR_SUCCESS;      // the first failing call's code
  size_t failed = 0;                   // with a failure: the index of the op that failed
  LSTATUS undoStatus = ERROR_SUCCESS;  // the first failure while undoing; success when all was restored
};

// Applies `ops` in order through the Reg* functions: CreateKey creates the key
// with any missing parents, DeleteKey removes the subtree (nothing when it is
// missing), SetValue writes, DeleteValue removes (nothing when it is missing).
// A value op acts on its op's key, created when needed. When an op fails,
// everything the earlier ops changed is put back as it was before, and the
// result tells the failure and whether undoing it succeeded.
ApplyResult ApplyRegedit(const std::vector<RegeditOp> &ops);

}  // namespace tools
