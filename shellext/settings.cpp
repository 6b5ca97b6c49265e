#include "shellext/settings.h"

const WCHAR copyAppValueName[] = TEXT("CopyApp");
const WCHAR copyBmpValueName[] = TEXT("CopyBmp");

namespace {

const WCHAR settingsKeyPath[] = TEXT("Software\\Tovin Copy");

}  // namespace

LONG ReadSetting(LPCWSTR name, WCHAR *buffer, DWORD bufferUnits, DWORD readBytes) {
  if (!buffer || bufferUnits == 0) return ERROR_INVALID_PARAMETER;
  buffer[0] = 0;
  if (readBytes / sizeof(WCHAR) >= bufferUnits) return ERROR_INVALID_PARAMETER;

  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, settingsKeyPath, 0, KEY_QUERY_VALUE, &key);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD type = 0;
  DWORD size = readBytes;
  rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) {
    buffer[0] = 0;
    return rc;
  }
  // Data stored without its NUL, or with an odd byte count, still ends here.
  if (size > readBytes) size = readBytes;
  buffer[size / sizeof(WCHAR)] = 0;
  return ERROR_SUCCESS;
}
