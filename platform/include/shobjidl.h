// Shell extension interfaces, with the SDK's slot orders.
#pragma once
#include "objidl.h"
#include "shtypes.h"
#include "winreg.h"
#include "winuser.h"

DEFINE_GUID(IID_IShellExtInit, 0x000214E8, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IContextMenu, 0x000214E4, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IContextMenu2, 0x000214F4, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IContextMenu3, 0xBCFCE0A0, 0xEC17, 0x11D0, 0x8D, 0x10, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x19);

// QueryContextMenu flags.
#define CMF_NORMAL 0x00000000
#define CMF_DEFAULTONLY 0x00000001
#define CMF_VERBSONLY 0x00000002
#define CMF_EXPLORE 0x00000004
#define CMF_NOVERBS 0x00000008
#define CMF_CANRENAME 0x00000010
#define CMF_NODEFAULT 0x00000020
#define CMF_ITEMMENU 0x00000080
// Only for systems before Vista; compiled for Vista or later, as the DLL is, the name does not exist.
#if defined(_WIN32_WINNT) && _WIN32_WINNT < 0x0600
#define CMF_INCLUDESTATIC 0x00000040
#endif
#define CMF_EXTENDEDVERBS 0x00000100
#define CMF_DISABLEDVERBS 0x00000200
#define CMF_ASYNCVERBSTATE 0x00000400
#define CMF_OPTIMIZEFORINVOKE 0x00000800
#define CMF_SYNCCASCADEMENU 0x00001000
#define CMF_DONOTPICKDEFAULT 0x00002000
#define CMF_RESERVED 0xffff0000

// GetCommandString request types.
#define GCS_VERBA 0x00000000
#define GCS_HELPTEXTA 0x00000001
#define GCS_VALIDATEA 0x00000002
#define GCS_VERBW 0x00000004
#define GCS_HELPTEXTW 0x00000005
#define GCS_VALIDATEW 0x00000006
#define GCS_VERBICONW 0x00000014
#define GCS_UNICODE 0x00000004
#define GCS_VERB GCS_VERBW
#define GCS_HELPTEXT GCS_HELPTEXTW
#define GCS_VALIDATE GCS_VALIDATEW

// CMINVOKECOMMANDINFO(EX) fMask bits.
#define CMIC_MASK_HOTKEY 0x00000020
#if defined(_WIN32_WINNT) && _WIN32_WINNT < 0x0600
#define CMIC_MASK_ICON 0x00000010
#endif
#define CMIC_MASK_FLAG_NO_UI 0x00000400
#define CMIC_MASK_UNICODE 0x00004000
#define CMIC_MASK_NO_CONSOLE 0x00008000
#define CMIC_MASK_ASYNCOK 0x00100000
#define CMIC_MASK_NOASYNC 0x00000100
#define CMIC_MASK_SHIFT_DOWN 0x10000000
#define CMIC_MASK_CONTROL_DOWN 0x40000000
#define CMIC_MASK_FLAG_LOG_USAGE 0x04000000
#define CMIC_MASK_NOZONECHECKS 0x00800000
#define CMIC_MASK_PTINVOKE 0x20000000

#define MAKE_HRESULT_CMD_COUNT(count) MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, (USHORT)(count))

typedef struct _CMINVOKECOMMANDINFO {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  DWORD dwHotKey;
  HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;
typedef const CMINVOKECOMMANDINFO *PCCMINVOKECOMMANDINFO;

// The extended form, passed where cbSize says so: CMIC_MASK_UNICODE makes the
// W strings valid, CMIC_MASK_PTINVOKE ptInvoke.
typedef struct _CMINVOKECOMMANDINFOEX {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  DWORD dwHotKey;
  HANDLE hIcon;
  LPCSTR lpTitle;
  LPCWSTR lpVerbW;
  LPCWSTR lpParametersW;
  LPCWSTR lpDirectoryW;
  LPCWSTR lpTitleW;
  POINT ptInvoke;
} CMINVOKECOMMANDINFOEX, *LPCMINVOKECOMMANDINFOEX;
typedef const CMINVOKECOMMANDINFOEX *PCCMINVOKECOMMANDINFOEX;

struct IShellExtInit : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject *pdtobj,
                                               HKEY hkeyProgID) = 0;
};
typedef IShellExtInit *LPSHELLEXTINIT;

struct IContextMenu : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                                     UINT uFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO *pici) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT uType, UINT *pReserved, CHAR *pszName,
                                                     UINT cchMax) = 0;
};
typedef IContextMenu *LPCONTEXTMENU;

struct IContextMenu2 : public IContextMenu {
  virtual HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
};

struct IContextMenu3 : public IContextMenu2 {
  virtual HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT *plResult) = 0;
};
