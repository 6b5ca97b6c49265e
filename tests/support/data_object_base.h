// The part of IDataObject that the extension never calls: test, fuzz and
// benchmark doubles derive from this and supply IUnknown and GetData.
#pragma once
#include <objidl.h>

class DataObjectBase : public IDataObject {
 public:
  STDMETHOD(GetDataHere)(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  STDMETHOD(QueryGetData)(FORMATETC *) override { return E_NOTIMPL; }
  STDMETHOD(GetCanonicalFormatEtc)(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
  STDMETHOD(SetData)(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  STDMETHOD(EnumFormatEtc)(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
  STDMETHOD(DAdvise)(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
  STDMETHOD(DUnadvise)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(EnumDAdvise)(IEnumSTATDATA **) override { return E_NOTIMPL; }
};
