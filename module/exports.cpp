// The library's entry function and activation exports.
#include <windows.h>
#include <objbase.h>

#include "module/failure.h"
#include "module/tovincopyshl_module.h"

// Refuses the process attach when a static record could not be built.
extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID reserved) {
  return tovincopyshlModule.DllMain(reason, reserved);
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv) {
  // No exception may cross into the host.
  try {
    return tovincopyshlModule.DllGetClassObject(rclsid, riid, ppv);
  } catch (const CHresultException &exception) {
    return exception.Hresult();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllCanUnloadNow(void) { return tovincopyshlModule.DllCanUnloadNow(); }
