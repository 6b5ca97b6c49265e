// The registrar as the module sees it: IUnknown, then the replacement operations.
#pragma once
#include <objbase.h>

struct IRegistrarBase : public IUnknown {
  // Appends a (name, value) pair to the replacement map. S_OK; E_INVALIDARG
  // for a null name or value; E_OUTOFMEMORY when nothing could be added.
  virtual HRESULT STDMETHODCALLTYPE PutReplacement(LPCOLESTR name, LPCOLESTR value) = 0;
  // Empties the replacement map. Always S_OK.
  virtual HRESULT STDMETHODCALLTYPE ResetReplacements() = 0;
};
