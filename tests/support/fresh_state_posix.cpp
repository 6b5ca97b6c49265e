// Under the substitute every test process has its own registry: a new empty
// in-memory store per test, and the seams back at their defaults.
#include "support/fresh_state.h"

#include "platform_seams.h"

namespace fresh_state {

void Begin() {
  seams::Reset();
  seams::SetRegistryFile("");
  seams::SetMachineReadOnly(false);
}

void End() {
  seams::Reset();
  seams::ResetRegistry();
}

}  // namespace fresh_state
