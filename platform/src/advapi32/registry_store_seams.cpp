// The test seams that make the registry store itself fail.
#include "advapi32/registry_state.h"
#include "platform_seams.h"

namespace seams {

void FailRegistryWrite(unsigned nth, uint32_t code) {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  registry::FailStoreWrite(nth, static_cast<long>(code));
}

void LimitRegistryGrowth(unsigned pages) {
  registry::State &state = registry::State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.store().LimitGrowth(pages);
}

}  // namespace seams
