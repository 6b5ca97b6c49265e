#include "module/module.h"

#include <atomic>

#include "module/critical_section.h"
#include "module/module_flags.h"

CModuleBase *currentModule = nullptr;

CModuleBase::CModuleBase() {
  sizeMarker = 0;
  lockCount = 0;
  globalInterfaceTable = nullptr;
  currentModule = this;
  if (FAILED(CreateCriticalSection(&moduleLock))) {
    initFailed = true;
    return;
  }
  sizeMarker = sizeof(*this);
}

CModuleBase::~CModuleBase() {
  if (sizeMarker != 0) {
    if (globalInterfaceTable) {
      globalInterfaceTable->Release();
      globalInterfaceTable = nullptr;
    }
    DeleteCriticalSection(&moduleLock);
    sizeMarker = 0;
  }
  if (currentModule == this) currentModule = nullptr;
}

LONG CModuleBase::Lock() { return InterlockedIncrement(&lockCount); }

LONG CModuleBase::Unlock() { return InterlockedDecrement(&lockCount); }

LONG CModuleBase::GetLockCount() {
  return std::atomic_ref<LONG>(lockCount).load(std::memory_order_relaxed);
}

HRESULT CModuleBase::GetGlobalInterfaceTable(IGlobalInterfaceTable **out) {
  if (!out) return E_POINTER;
  HRESULT hr = S_OK;
  if (!globalInterfaceTable) {
    IGlobalInterfaceTable *table = nullptr;
    hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                          reinterpret_cast<LPVOID *>(&table));
    if (FAILED(hr)) return hr;
    if (!table) return E_UNEXPECTED;
    globalInterfaceTable = table;
  }
  globalInterfaceTable->AddRef();
  *out = globalInterfaceTable;
  return hr;
}

LONG LockModule() { return currentModule ? currentModule->Lock() : 0; }

LONG UnlockModule() { return currentModule ? currentModule->Unlock() : 0; }
