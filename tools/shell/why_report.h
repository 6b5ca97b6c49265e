// "Why does my item (not) show?": for a selection, the class keys that apply
// to each item, every handler key registered under them in the machine's and
// the user's classes, and for each handler its server registration, whether
// its library loads, and each activation step down to the items it adds.
#pragma once
#include <windows.h>

#include <ostream>
#include <vector>

#include "selection.h"

namespace tools {

// Writes the report for `items` with QueryContextMenu flags `flags`.
void WriteWhyReport(const std::vector<SelectedItem> &items, UINT flags, std::ostream &out);

}  // namespace tools
