// The module object: the library's lock count and the frame around the
// exports. One static instance, CtovincopyshlModule, built at load after the
// object map and the instance record.
#pragma once
#include <objbase.h>

#include "module/module_flags.h"
#include "module/object_map.h"
#include "registrar/registrar_base.h"

// The module's fields, in their fixed order.
struct ModuleRecord {
  // 0 until construction has succeeded and again after termination; the
  // record's size while the module is ready.
  DWORD sizeMarker;
  // Locks held on the library by live objects and clients; may go negative.
  LONG lockCount;
  // Created with the module and deleted at termination; never entered.
  CRITICAL_SECTION moduleLock;
  // Filled only by GetGlobalInterfaceTable; released at termination.
  IGlobalInterfaceTable *globalInterfaceTable;
};

// One extra replacement for a script run; a list of them ends with a pair
// whose name is null.
struct ReplacementPair {
  LPCOLESTR name;
  LPCOLESTR value;
};

class CModuleBase : public ModuleRecord {
 public:
  // Stores the process-wide module pointer and creates the module lock; on
  // failure to create it sets initFailed and stays not ready.
  CModuleBase();
  // Termination: when ready, releases the global interface table, deletes the
  // module lock and clears sizeMarker. Clears the process-wide pointer.
  virtual ~CModuleBase();
  CModuleBase(const CModuleBase &) = delete;
  CModuleBase &operator=(const CModuleBase &) = delete;

  // Interlocked increment of lockCount; returns the new value. Any thread.
  virtual LONG Lock();
  // Interlocked decrement of lockCount, with no lower bound; returns the new
  // value. Any thread.
  virtual LONG Unlock();
  // The current lockCount (a plain read).
  virtual LONG GetLockCount();
  // Stores the process's global interface table in *out with one reference
  // added, creating it on first use. E_POINTER for a null out; on a failed
  // creation its HRESULT, *out left as it was.
  virtual HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable **out);
  // Puts the replacements every script of the library may use into the
  // registrar's map; returns the registrar's result, E_INVALIDARG for a null one.
  virtual HRESULT AddCommonReplacements(IRegistrarBase *registrar) = 0;
  // The application identifier as registry text, braces included.
  virtual LPCOLESTR AppIdText() = 0;

  // Runs this library's "REGISTRY" resource `resourceId` for registration or
  // removal, with the pairs of `extra` (may be null), the common replacements
  // and "Module"/"Module_Raw" (this library's path, apostrophes doubled).
  // Returns the script's HRESULT; 0x8007007A for a path of MAX_PATH units or
  // more, before any script runs; the HRESULT of a failed replacement or of a
  // failed file-name query (E_FAIL when it left no error code). Caller's thread.
  HRESULT ApplyScriptResource(UINT resourceId, BOOL registering, const ReplacementPair *extra = nullptr);
  // The whole registration: the application-identifier script, each class's
  // script and categories, then (when asked) the type library, under the
  // system default thread locale; the caller's locale is back on return.
  // The first failure ends it and is returned; what was done stays done.
  HRESULT RegisterServer(BOOL registerTypeLibrary);
  // The removal in reverse order: each class's categories and script, the
  // type library (when asked), the application-identifier script last.
  HRESULT UnregisterServer(BOOL unregisterTypeLibrary);
};

// The module-specific part: the replacements named by the concrete module.
template <class T>
class CModuleT : public CModuleBase {
 public:
  HRESULT AddCommonReplacements(IRegistrarBase *registrar) override {
    if (!registrar) return E_INVALIDARG;
    return registrar->PutReplacement(TEXT("APPID"), T::GetAppIdText());
  }
  LPCOLESTR AppIdText() override { return T::GetAppIdText(); }
};

// The in-process server's part: the entry function and the exports' logic.
template <class T>
class CDllModuleT : public CModuleT<T> {
 public:
  CDllModuleT() { objectMap.ObjectMain(true); }
  ~CDllModuleT() override { objectMap.ObjectMain(false); }

  // FALSE for DLL_PROCESS_ATTACH when a record could not be built; TRUE otherwise.
  BOOL DllMain(DWORD reason, LPVOID /*reserved*/) {
    return reason == DLL_PROCESS_ATTACH && initFailed ? FALSE : TRUE;
  }
  // The class-object lookup of the object map.
  HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out) {
    return objectMap.GetClassObject(clsid, iid, out);
  }
  // S_OK when the lock count (read through GetLockCount) is 0; S_FALSE otherwise.
  HRESULT DllCanUnloadNow() { return this->GetLockCount() == 0 ? S_OK : S_FALSE; }
};

// The process-wide pointer to the module; null before it is built and after
// it is destroyed.
extern CModuleBase *currentModule;

// Lock and Unlock of the module through the process-wide pointer; 0 when no
// module exists (before load or after termination).
LONG LockModule();
LONG UnlockModule();
