#include "shellext/menu_texts.h"

const WCHAR menuItemText[] = TEXT("Paste with Tovin Copy");
const WCHAR helpText[] = TEXT("Paste files from clipboard using Tovin Copy");
const WCHAR launchVerb[] = TEXT("Open");
const WCHAR parameterPrefix[] = TEXT(" /o");

static_assert(sizeof(TEXT("Paste with Tovin Copy")) / sizeof(WCHAR) == kMenuItemTextLength + 1);
static_assert(sizeof(TEXT("Paste files from clipboard using Tovin Copy")) / sizeof(WCHAR) == kHelpTextLength + 1);
