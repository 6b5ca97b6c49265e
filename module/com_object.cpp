#include "module/com_object.h"

#include <string.h>

#include "module/critical_section.h"

CComObjectRootEx<CComMultiThreadModel>::CComObjectRootEx() : lockCreated(false) {
  memset(&objectLock, 0, sizeof(objectLock));
}

CComObjectRootEx<CComMultiThreadModel>::~CComObjectRootEx() {
  if (!lockCreated) return;
  lockCreated = false;
  DeleteCriticalSection(&objectLock);
}

HRESULT CComObjectRootEx<CComMultiThreadModel>::InitializeObjectLock() {
  HRESULT hr = CreateCriticalSection(&objectLock);
  if (SUCCEEDED(hr)) lockCreated = true;
  return hr;
}
