// How the substitute's operations reach the test seams.
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform_seams.h"

namespace seams {

// Counts (and, when recording, records) one call. Returns true when a fault
// applies; *code then holds the fault's code.
bool Enter(Operation operation, const std::string &subject, const std::string &arguments, uint32_t *code);

// Enter for calls on hot paths: `describe(context, &subject, &arguments)`
// renders the call only when something looks at it (recording, or a fault
// armed for this operation), so that an unwatched call costs a count.
using Describe = void (*)(void *context, std::string *subject, std::string *arguments);
bool EnterDescribed(Operation operation, Describe describe, void *context, uint32_t *code);

// EnterDescribed with a callable `describe(std::string *subject, std::string *arguments)`.
template <typename F>
bool Enter(Operation operation, F &&describe, uint32_t *code) {
  return EnterDescribed(
      operation,
      [](void *context, std::string *subject, std::string *arguments) {
        (*static_cast<std::remove_reference_t<F> *>(context))(subject, arguments);
      },
      &describe, code);
}

// Registers `reset` to run at every seams::Reset, for state that one DLL's
// functions keep (the locale defaults); call it from a static initialiser.
void OnReset(void (*reset)());

// Whether the test seams have hidden this export of this module.
bool IsExportHidden(const std::string &module, const std::string &name);

// Renders a UTF-16 text as UTF-8 for records; a null text as "(null)".
std::string Utf8(const char16_t *text);

}  // namespace seams
