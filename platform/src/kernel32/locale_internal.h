// The substitute's locale state as the conversion and locale services see it.
#pragma once
#include <windows.h>

namespace platform_locale {

// The code pages of a known locale; false for an unknown LCID.
bool CodePagesOf(LCID lcid, UINT *ansi, UINT *oem);

// LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT and LOCALE_NEUTRAL resolved to the
// system default locale; any other LCID unchanged.
LCID Resolve(LCID lcid);

LCID SystemDefault();

// Restores the system default locale to 0x0409 and lets the calling thread
// follow it again; used by seams::Reset.
void ResetDefaults();

}  // namespace platform_locale
