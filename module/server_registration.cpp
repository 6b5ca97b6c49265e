// The whole server's registration and removal.
#include "module/failure.h"
#include "module/module.h"
#include "module/object_map_registration.h"
#include "module/thread_locale.h"
#include "resources/resource.h"

// Scripts are stored as 8-bit text and decoded with the thread's ANSI code
// page: under the system default locale they read the same whoever runs them.
HRESULT CModuleBase::RegisterServer(BOOL registerTypeLibrary) {
  CThreadLocaleSwitch locale(LOCALE_SYSTEM_DEFAULT);
  const ReplacementPair appId[] = {{TEXT("APPID"), AppIdText()}, {nullptr, nullptr}};
  HRESULT hr = ApplyScriptResource(IDR_APPID_SCRIPT, TRUE, appId);
  if (FAILED(hr)) return hr;
  return RegisterObjectMap(objectMap, registerTypeLibrary);
}

// Removal goes on past a failed part (see UnregisterObjectMap) and returns
// the first failure.
HRESULT CModuleBase::UnregisterServer(BOOL unregisterTypeLibrary) {
  CThreadLocaleSwitch locale(LOCALE_SYSTEM_DEFAULT);
  HRESULT hr = UnregisterObjectMap(objectMap, unregisterTypeLibrary);
  const ReplacementPair appId[] = {{TEXT("APPID"), AppIdText()}, {nullptr, nullptr}};
  HRESULT appIdResult = ApplyScriptResource(IDR_APPID_SCRIPT, FALSE, appId);
  return FAILED(hr) ? hr : appIdResult;
}
