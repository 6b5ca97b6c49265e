// Automation: strings, number conversion, type libraries.
#pragma once
#include "oaidl.h"

WINOLEAUTAPI_(BSTR) SysAllocString(const OLECHAR *psz);
WINOLEAUTAPI_(BSTR) SysAllocStringLen(const OLECHAR *strIn, UINT ui);
WINOLEAUTAPI_(UINT) SysStringLen(BSTR pbstr);
WINOLEAUTAPI_(UINT) SysStringByteLen(BSTR bstr);
WINOLEAUTAPI_(void) SysFreeString(BSTR bstrString);

#define VAR_TIMEVALUEONLY ((DWORD)0x00000001)
#define VAR_DATEVALUEONLY ((DWORD)0x00000002)
#define LOCALE_NOUSEROVERRIDE 0x80000000
WINOLEAUTAPI VarUI4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG *pulOut);

typedef enum tagREGKIND { REGKIND_DEFAULT = 0, REGKIND_REGISTER = 1, REGKIND_NONE = 2 } REGKIND;

// Loading reads a stand-alone type library file or the "TYPELIB" resource 1 of
// a module. *pptlib receives the library with one reference, or null. Returns
// E_INVALIDARG for a null argument or an unknown REGKIND,
// TYPE_E_CANTLOADLIBRARY for a file that cannot be read or is neither a type
// library nor a module with one, TYPE_E_UNSUPFORMAT for an unknown version of
// the format, TYPE_E_INVDATAREAD for a damaged one. REGKIND_REGISTER registers
// the library under its absolute path and fails when that fails;
// REGKIND_DEFAULT (LoadTypeLib) does so, ignoring failures, only for a
// stand-alone type library named without a folder (looked for in the current
// folder only); REGKIND_NONE never registers.
WINOLEAUTAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib **pptlib);
WINOLEAUTAPI LoadTypeLibEx(LPCOLESTR szFile, REGKIND regkind, ITypeLib **pptlib);
// Registration writes under HKEY_CLASSES_ROOT (the ForUser forms under
// HKEY_CURRENT_USER\Software\Classes) the library's TypeLib key with its
// path, FLAGS and HELPDIR (szHelpDir, or the folder of szFullPath when null),
// and an Interface key for each dual, oleautomation or dispatch interface.
// Returns S_OK, E_INVALIDARG for a null library or path,
// TYPE_E_REGISTRYACCESS when a key cannot be written, or the library's own failure.
WINOLEAUTAPI RegisterTypeLib(ITypeLib *ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir);
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib *ptlib, OLECHAR *szFullPath, OLECHAR *szHelpDir);
// Unregistration removes the platform key of that version and locale, the keys
// above it that are left empty, and the Interface keys of the library's
// automation interfaces (read from the registered file) that name the library.
// Returns S_OK, E_INVALIDARG for an unknown system kind, TYPE_E_REGISTRYACCESS
// when the library is not registered so or a key cannot be removed.
WINOLEAUTAPI UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid,
                                      SYSKIND syskind);
