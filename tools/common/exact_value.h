// Writing a value's bytes exactly as given.
#pragma once
#include <windows.h>

#include <string>

namespace tools {

// RegSetValueExW on `data` as the value's bytes. The registry counts a NUL
// unit just past a string's data as its terminator, so the bytes are passed
// from a copy whose next unit is not NUL: a string stored without its
// terminator stays so. Returns the registry's code.
LSTATUS SetValueExactly(HKEY key, const WCHAR *name, DWORD type, const std::string &data);

}  // namespace tools
