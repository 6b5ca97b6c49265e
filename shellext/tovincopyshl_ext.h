// The context-menu extension: adds "Paste with Tovin Copy" to the shell's
// context menu and starts the Tovin Copy application on the first selected item.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "module/com_object.h"
#include "shellext/identifiers.h"
#include "shellext/menu_bitmaps.h"

// Always created as CComObject<CTovinCopyShlExt> by the class factory; single
// thread model: use each object only in the apartment that created it.
class CTovinCopyShlExt : public CComObjectRootEx<CComSingleThreadModel>,
                         public CComCoClass<CTovinCopyShlExt, &CLSID_TovinCopyShlExt>,
                         public IShellExtInit,
                         public IContextMenu {
 public:
  CTovinCopyShlExt();
  CTovinCopyShlExt(const CTovinCopyShlExt &) = delete;
  CTovinCopyShlExt &operator=(const CTovinCopyShlExt &) = delete;

  // IShellExtInit, then IContextMenu; then the end row.
  static const InterfaceMapEntry *GetInterfaceMap();
  // Registers or removes the class's registry entries.
  static HRESULT WINAPI UpdateRegistry(BOOL registering);
  // Deletes every bitmap the object loaded; runs first at destruction.
  void FinalRelease();

  // Keeps the first name of the selection's file-drop list in targetPath.
  // S_OK when every name could be read; E_INVALIDARG when the data object is
  // missing or has no drop list in global memory, the list is empty, or a name
  // can't be read (260 characters or more counts as unreadable). targetPath is
  // replaced only when the first name was read.
  STDMETHOD(Initialize)(PCIDLIST_ABSOLUTE folder, IDataObject *dataObject, HKEY programKey) override;

  // Inserts the item at indexMenu with identifier idCmdFirst, with the
  // "CopyBmp" bitmap as check marks when it loads. Returns 1 (one identifier
  // used), or 0 without touching the menu when uFlags has CMF_DEFAULTONLY.
  STDMETHOD(QueryContextMenu)(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) override;
  // Starts "CopyApp" with " /o" followed by targetPath. S_OK once launched;
  // E_INVALIDARG for a verb string or an offset other than 0, E_UNEXPECTED when
  // no path is kept, the registry code's HRESULT when the setting can't be
  // read, or the HRESULT of the failed launch (see HresultFromShellExecute).
  STDMETHOD(InvokeCommand)(CMINVOKECOMMANDINFO *info) override;
  // Copies the help text, UTF-16 when uType has GCS_UNICODE, else ANSI in the
  // thread's code page, at most cchMax units with the NUL. S_OK; E_INVALIDARG
  // for an idCmd other than 0 or a uType with neither bit 0 nor bit 2.
  STDMETHOD(GetCommandString)(UINT_PTR idCmd, UINT uType, UINT *reserved, CHAR *name, UINT cchMax) override;

  // Path of the first selected item of the last Initialize that read it;
  // empty before. Always terminated, at most MAX_PATH - 1 characters.
  WCHAR targetPath[MAX_PATH];

 private:
  CMenuBitmaps menuBitmaps_;
};
