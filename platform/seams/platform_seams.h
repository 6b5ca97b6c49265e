// Test seams of the Windows API substitute: call recording and fault injection.
// Only tests include this header. All functions are thread-safe.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace seams {

// One recorded call of a named operation. `subject` is what the operation acts
// on (for registry calls the full key path such as
// "HKEY_CURRENT_USER\Software\Tovin Copy", for DragQueryFileW the index), and
// `arguments` a rendering of the other arguments, both UTF-8.
struct Call {
  std::string operation;
  std::string subject;
  std::string arguments;
};

// Forgets every record, counter, fault and hidden export, and restores the
// defaults (system default locale, recording off). Call at the start of each test.
__attribute__((visibility("default"))) void Reset();

// Recording is off by default; while on, every seam-aware operation is appended.
__attribute__((visibility("default"))) void SetRecording(bool on);
__attribute__((visibility("default"))) std::vector<Call> Calls();
__attribute__((visibility("default"))) std::vector<Call> Calls(const std::string &operation);
// Number of calls of the operation since the last Reset, counted whether or not recording is on.
__attribute__((visibility("default"))) unsigned CallCount(const std::string &operation);

// Makes the operation fail with `code` (its own failure convention: a Win32
// code for registry calls, an exception code for raising calls, ignored for
// calls that fail by returning null). onCall = 0 fails every matching call,
// N fails only the Nth call of the operation counted from this point. A
// non-empty subject restricts the fault to calls whose subject equals it
// (registry paths compare case-insensitively).
__attribute__((visibility("default"))) void FailOperation(const std::string &operation, uint32_t code,
                                                          unsigned onCall = 0, const std::string &subject = "");
__attribute__((visibility("default"))) void ClearFaults();

// Hides an export from GetProcAddress, e.g. ("Advapi32.dll", "RegDeleteKeyExW").
__attribute__((visibility("default"))) void HideExport(const std::string &module, const std::string &name);

}  // namespace seams
