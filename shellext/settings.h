// The per-user settings of the extension: values under HKEY_CURRENT_USER,
// key "Software\Tovin Copy". Read at every use, never written.
#pragma once
#include <windows.h>

// Path of the Tovin Copy application's program file.
extern const WCHAR copyAppValueName[];
// Path of the bitmap file shown beside the menu item.
extern const WCHAR copyBmpValueName[];

// Bytes the reads of the two values may take.
constexpr DWORD kCopyAppReadBytes = 1000;
constexpr DWORD kCopyBmpReadBytes = 520;

// Reads the setting `name` as UTF-16 text into buffer[bufferUnits], giving the
// registry read `readBytes`, which must leave at least one unit of the buffer
// spare. The text ends at its first NUL or at the end of the data read, and is
// always terminated inside the buffer (an odd last byte is dropped). Returns
// ERROR_SUCCESS, or the registry's code (no key, no value, data larger than
// readBytes) with buffer[0] set to NUL; ERROR_INVALID_PARAMETER for a buffer
// that leaves no spare unit.
LONG ReadSetting(LPCWSTR name, WCHAR *buffer, DWORD bufferUnits, DWORD readBytes);
