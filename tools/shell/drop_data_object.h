// The data object the shell hands to a handler's Initialize: the selection
// as CF_HDROP, a DROPFILES block with wide names in global memory.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "wide_text.h"

namespace tools {

// Creates a data object holding `paths` (absolute). Returns S_OK with *out
// holding one reference the caller releases, E_INVALIDARG for an empty
// selection or a path holding a NUL, E_OUTOFMEMORY.
HRESULT CreateDropDataObject(const std::vector<std::u16string> &paths, IDataObject **out);

}  // namespace tools
