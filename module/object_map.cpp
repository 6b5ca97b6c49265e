#include "module/object_map.h"

#include <atomic>

#include "module/critical_section.h"
#include "module/module_flags.h"

namespace {

// The cached pointer is read outside the lock while another thread may be
// publishing it: the reads and the one write go through atomic references so
// a reader that sees the pointer also sees the object behind it.
IUnknown *CachedClassObject(ObjectMapEntry *entry) {
  return std::atomic_ref<IUnknown *>(entry->classObject).load(std::memory_order_acquire);
}

void PublishClassObject(ObjectMapEntry *entry, IUnknown *classObject) {
  std::atomic_ref<IUnknown *>(entry->classObject).store(classObject, std::memory_order_release);
}

ObjectMapEntry *FindEntry(ObjectMapEntry **first, ObjectMapEntry **last, REFCLSID clsid) {
  for (ObjectMapEntry **slot = first; slot < last; ++slot) {
    ObjectMapEntry *entry = *slot;
    if (!entry || !entry->getClassObject || !entry->clsid) continue;
    if (IsEqualGUID(*entry->clsid, clsid)) return entry;
  }
  return nullptr;
}

}  // namespace

HINSTANCE ThisModuleHandle() {
  static const int anchor = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&anchor), &module))
    return nullptr;
  return module;
}

CObjectMap::CObjectMap(ObjectMapEntry **first, ObjectMapEntry **last)
    : sizeMarker(0), typeLibraryModule(ThisModuleHandle()), entryFirst(first), entryLast(last) {
  if (FAILED(CreateCriticalSection(&objectMapLock))) {
    initFailed = true;
    return;
  }
  sizeMarker = sizeof(*this);
}

CObjectMap::~CObjectMap() {
  if (sizeMarker == 0) return;
  for (ObjectMapEntry **slot = entryFirst; slot < entryLast; ++slot) {
    ObjectMapEntry *entry = *slot;
    if (!entry || !entry->classObject) continue;
    IUnknown *classObject = entry->classObject;
    entry->classObject = nullptr;
    classObject->Release();
  }
  DeleteCriticalSection(&objectMapLock);
  sizeMarker = 0;
}

HRESULT CObjectMap::GetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (sizeMarker == 0) return E_UNEXPECTED;
  ObjectMapEntry *entry = FindEntry(entryFirst, entryLast, clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;

  HRESULT hr = S_OK;
  if (!CachedClassObject(entry)) {
    const CriticalSectionGuard guard(&objectMapLock);
    if (!CachedClassObject(entry)) {
      IUnknown *created = nullptr;
      hr = entry->getClassObject(reinterpret_cast<void *>(entry->createInstance), IID_IUnknown,
                                 reinterpret_cast<LPVOID *>(&created));
      if (SUCCEEDED(hr) && created) PublishClassObject(entry, created);
    }
  }
  IUnknown *classObject = CachedClassObject(entry);
  if (classObject) hr = classObject->QueryInterface(iid, out);
  if (!*out && hr == S_OK) return CLASS_E_CLASSNOTAVAILABLE;
  return hr;
}

void CObjectMap::ObjectMain(bool starting) {
  for (ObjectMapEntry **slot = entryFirst; slot < entryLast; ++slot) {
    if (*slot && (*slot)->objectMain) (*slot)->objectMain(starting);
  }
}
