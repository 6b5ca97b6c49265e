#include "module/class_factory.h"

#include "module/module.h"

namespace {

// Tables of constant rows; the marker and offsets are computed at load.
const InterfaceMapEntry factoryInterfaceMap[] = {
    {&IID_IClassFactory, InterfaceOffset<IClassFactory, CComClassFactory>(), SimpleInterfaceRow()},
    {nullptr, 0, nullptr},
};

}  // namespace

const InterfaceMapEntry *CComClassFactory::GetInterfaceMap() { return factoryInterfaceMap; }

HRESULT STDMETHODCALLTYPE CComClassFactory::CreateInstance(IUnknown *outer, REFIID iid, void **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer && !IsEqualGUID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  if (!instanceCreator) return E_UNEXPECTED;
  try {
    return instanceCreator(outer, iid, out);
  } catch (...) {
    *out = nullptr;
    return E_OUTOFMEMORY;
  }
}

HRESULT STDMETHODCALLTYPE CComClassFactory::LockServer(BOOL lock) {
  if (lock)
    LockModule();
  else
    UnlockModule();
  return S_OK;
}

HRESULT WINAPI CreateClassObject(void *argument, REFIID iid, LPVOID *out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CComObjectCached<CComClassFactory> *factory = nullptr;
  try {
    factory = new (std::nothrow) CComObjectCached<CComClassFactory>();
  } catch (...) {
    factory = nullptr;
  }
  if (!factory) return E_OUTOFMEMORY;
  factory->instanceCreator = reinterpret_cast<CreatorFunction>(argument);
  HRESULT hr = factory->InitializeObjectLock();
  if (FAILED(hr)) {
    delete factory;
    return hr;
  }
  hr = factory->QueryInterface(iid, out);
  if (hr != S_OK) {
    delete factory;
    *out = nullptr;
  }
  return hr;
}
