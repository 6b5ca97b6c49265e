#include "shellext/launch_result.h"

#include <shellapi.h>

#include "module/failure.h"

HRESULT HresultFromShellExecute(HINSTANCE result) {
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return S_OK;
  switch (code) {
    case 0:
      return E_OUTOFMEMORY;
    case ERROR_FILE_NOT_FOUND:      // SE_ERR_FNF
    case ERROR_PATH_NOT_FOUND:      // SE_ERR_PNF
    case ERROR_ACCESS_DENIED:       // SE_ERR_ACCESSDENIED
    case ERROR_NOT_ENOUGH_MEMORY:   // SE_ERR_OOM
    case ERROR_BAD_FORMAT:
      return HresultFromWin32(static_cast<LONG>(code));
    case SE_ERR_SHARE:
      return HresultFromWin32(ERROR_SHARING_VIOLATION);
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      return HresultFromWin32(ERROR_NO_ASSOCIATION);
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return HresultFromWin32(ERROR_DDE_FAIL);
    case SE_ERR_DLLNOTFOUND:
      return HresultFromWin32(ERROR_DLL_NOT_FOUND);
    default:
      return E_FAIL;
  }
}
