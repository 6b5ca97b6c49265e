// QueryInterface of the substitute's objects that answer IUnknown and one
// interface of their own.
#pragma once
#include <objbase.h>

namespace com {

// E_POINTER for a null `ppv`. For IUnknown or `own`, *ppv is `self` with one
// reference added and the result S_OK; for anything else *ppv is null and the
// result E_NOINTERFACE.
template <class Interface>
HRESULT QuerySingleInterface(Interface *self, REFIID own, REFIID riid, void **ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != own) return E_NOINTERFACE;
  *ppv = self;
  self->AddRef();
  return S_OK;
}

}  // namespace com
