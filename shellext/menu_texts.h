// The fixed texts of the extension's menu command.
#pragma once
#include <windows.h>

// "Paste with Tovin Copy", 21 characters.
extern const WCHAR menuItemText[];
constexpr UINT kMenuItemTextLength = 21;
// "Paste files from clipboard using Tovin Copy", 43 characters.
extern const WCHAR helpText[];
constexpr UINT kHelpTextLength = 43;
// The verb and the parameter prefix of the launch.
extern const WCHAR launchVerb[];
extern const WCHAR parameterPrefix[];
