// The class factory handed out by DllGetClassObject, and the creator functions
// of the object map.
#pragma once
#include <objbase.h>

#include <new>

#include "module/com_object.h"
#include "module/interface_map.h"
#include "module/object_map.h"

// The factory of one class: builds instances with the creator it was given.
// Used as CComObjectCached<CComClassFactory>; its count is interlocked.
class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComMultiThreadModel> {
 public:
  // IClassFactory first, at the object's start; then the end row.
  static const InterfaceMapEntry *GetInterfaceMap();

  // E_POINTER for a null out; otherwise *out null first. CLASS_E_NOAGGREGATION
  // for an outer object with any interface but IUnknown; else the result of
  // the instance creator. Any thread; takes no lock.
  STDMETHOD(CreateInstance)(IUnknown *outer, REFIID iid, void **out) override;
  // TRUE locks the module, FALSE unlocks it; no count of its own. Always S_OK.
  STDMETHOD(LockServer)(BOOL lock) override;

  // Set once, right after allocation.
  CreatorFunction instanceCreator = nullptr;
};

// The class-object creator: builds a cached factory around the instance
// creator `argument` and answers `iid` from it. E_POINTER for a null out;
// otherwise *out is null on failure: E_OUTOFMEMORY when the factory or its
// lock can't be had, or the QueryInterface result (the factory destroyed).
HRESULT WINAPI CreateClassObject(void *argument, REFIID iid, LPVOID *out);

// Builds a CComObject<T> and answers `iid` from its interface map. E_POINTER
// for a null out; otherwise *out is null on failure: E_OUTOFMEMORY (nothing
// allocated, no module lock taken), the failure of T's final construction or
// the QueryInterface result (the object destroyed, its lock released).
template <class T>
HRESULT CreateComObject(REFIID iid, LPVOID *out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CComObject<T> *object = nullptr;
  try {
    object = new (std::nothrow) CComObject<T>();
  } catch (...) {
    object = nullptr;
  }
  if (!object) return E_OUTOFMEMORY;
  object->InternalAddRef();
  HRESULT hr = object->FinalConstruct();
  object->InternalRelease();
  if (SUCCEEDED(hr)) hr = object->QueryInterface(iid, out);
  if (hr != S_OK) {
    delete object;
    *out = nullptr;
  }
  return hr;
}

// The instance creator of a class that refuses aggregation: with an outer
// object, E_POINTER for a null out, else *out null and CLASS_E_NOAGGREGATION;
// without one, CreateComObject<T>.
template <class T>
HRESULT WINAPI CreateInstanceNoAggregation(void *outer, REFIID iid, LPVOID *out) {
  if (!outer) return CreateComObject<T>(iid, out);
  if (!out) return E_POINTER;
  *out = nullptr;
  return CLASS_E_NOAGGREGATION;
}
