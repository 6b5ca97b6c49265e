// A library whose registration is hostile to regsvr /export: registering
// makes a key whose name holds a line break, unregistering crashes.
#include <windows.h>

#include <cstdlib>

STDAPI DllRegisterServer() {
  HKEY key = nullptr;
  const LSTATUS r = RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\j]\r\n[-HKEY_CLASSES_ROOT\\CLSID", 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  RegCloseKey(key);
  return S_OK;
}

STDAPI DllUnregisterServer() { std::abort(); }
