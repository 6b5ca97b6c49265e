// How the substitute's operations reach the test seams.
#pragma once
#include <cstdint>
#include <string>

namespace seams {

// Counts (and, when recording, records) one call. Returns true when a fault
// applies; *code then holds the fault's code.
bool Enter(const char *operation, const std::string &subject, const std::string &arguments, uint32_t *code);

// For callers whose subject and argument texts cost to build: counts the call
// and returns true when nothing would use those texts (calls are not recorded
// and no fault is armed for the operation); else counts nothing and returns
// false, and the caller builds the texts and calls Enter.
bool CountUnwatched(const char *operation);

// Whether the test seams have hidden this export of this module.
bool IsExportHidden(const std::string &module, const std::string &name);

// Renders a UTF-16 text as UTF-8 for records; a null text as "(null)".
std::string Utf8(const char16_t *text);

}  // namespace seams
