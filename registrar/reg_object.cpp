#include "registrar/reg_object.h"

HRESULT STDMETHODCALLTYPE CRegObject::QueryInterface(REFIID, void **) { return E_NOTIMPL; }

ULONG STDMETHODCALLTYPE CRegObject::AddRef() { return 1; }

ULONG STDMETHODCALLTYPE CRegObject::Release() { return 0; }

HRESULT STDMETHODCALLTYPE CRegObject::PutReplacement(LPCOLESTR name, LPCOLESTR value) {
  return replacements.Add(name, value);
}

HRESULT STDMETHODCALLTYPE CRegObject::ResetReplacements() {
  replacements.Reset();
  return S_OK;
}

CRegObject::~CRegObject() = default;

LPCOLESTR CRegObject::FindReplacement(LPCOLESTR name) const { return replacements.Find(name); }
