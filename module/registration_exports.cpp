// The registration exports, called by installers and registration tools.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

#include <new>

#include "module/failure.h"
#include "module/module_flags.h"
#include "module/tovincopyshl_module.h"

namespace {

// True for "user" in any mix of letter cases, and for nothing longer or shorter.
bool IsUserSwitch(LPCWSTR commandLine) {
  static const WCHAR kUser[] = {'u', 's', 'e', 'r', 0};
  for (int i = 0; i < 5; ++i) {
    WCHAR c = commandLine[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<WCHAR>(c - 'A' + 'a');
    if (c != kUser[i]) return false;
    if (c == 0) break;
  }
  return true;
}

// Runs `work`, turning anything it raises into its HRESULT: no exception may
// reach the installer.
template <class Work>
HRESULT Guarded(Work work) {
  try {
    return work();
  } catch (const CHresultException &exception) {
    return exception.Hresult();
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

STDAPI DllRegisterServer(void) {
  return Guarded([] { return tovincopyshlModule.RegisterServer(TRUE); });
}

STDAPI DllUnregisterServer(void) {
  return Guarded([] { return tovincopyshlModule.UnregisterServer(TRUE); });
}

// "user" selects per-user registration for this and every later call while
// the library stays loaded. A failed installation is undone as far as it can
// be before its failure is returned.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  if (commandLine && IsUserSwitch(commandLine)) perUserRegistration = true;
  if (!install) return Guarded([] { return tovincopyshlModule.UnregisterServer(TRUE); });
  HRESULT hr = Guarded([] { return tovincopyshlModule.RegisterServer(TRUE); });
  if (FAILED(hr)) Guarded([] { return tovincopyshlModule.UnregisterServer(TRUE); });
  return hr;
}
