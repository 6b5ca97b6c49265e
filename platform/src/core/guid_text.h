// The braced text form of GUIDs: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once
#include <windows.h>

#include <string>

namespace com {

// 38 characters, upper-case hexadecimal digits.
std::u16string GuidText(REFGUID guid);
// Same text in UTF-8, for seam records and registry paths.
std::string GuidText8(REFGUID guid);

// Parses exactly the braced form (either case); returns false otherwise.
bool ParseGuid(const char16_t *text, GUID *out);

}  // namespace com
