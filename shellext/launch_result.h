// The outcome of a program launch as an HRESULT.
#pragma once
#include <windows.h>

// S_OK for a ShellExecuteW result above 32. For 32 and below: 0 gives
// E_OUTOFMEMORY; the results that are Win32 codes of the same meaning (2, 3,
// 5, 8, 11) give HresultFromWin32 of themselves; SE_ERR_SHARE gives that of
// ERROR_SHARING_VIOLATION, SE_ERR_ASSOCINCOMPLETE and SE_ERR_NOASSOC that of
// ERROR_NO_ASSOCIATION, the three DDE results that of ERROR_DDE_FAIL,
// SE_ERR_DLLNOTFOUND that of ERROR_DLL_NOT_FOUND; anything else gives E_FAIL.
HRESULT HresultFromShellExecute(HINSTANCE result);
