#include "drop_data_object.h"

#include <cstring>
#include <new>

namespace tools {

namespace {

class DropDataObject : public IDataObject {
 public:
  explicit DropDataObject(std::vector<WCHAR> names) : names_(std::move(names)) {}

  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
    *out = static_cast<IDataObject *>(this);
    AddRef();
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG count = --references_;
    if (count == 0) delete this;
    return count;
  }

  // Each call hands out a new block that the caller frees (ReleaseStgMedium).
  STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) override {
    if (!format || !medium) return E_INVALIDARG;
    if (HRESULT hr = QueryGetData(format); hr != S_OK) return hr;
    const size_t bytes = sizeof(DROPFILES) + names_.size() * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block) return E_OUTOFMEMORY;
    BYTE *data = static_cast<BYTE *>(GlobalLock(block));
    if (!data) {
      GlobalFree(block);
      return E_OUTOFMEMORY;
    }
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(data, &header, sizeof header);
    std::memcpy(data + sizeof header, names_.data(), names_.size() * sizeof(WCHAR));
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHOD(QueryGetData)(FORMATETC *format) override {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (format->lindex != -1) return DV_E_LINDEX;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return S_OK;
  }
  STDMETHOD(GetDataHere)(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  STDMETHOD(GetCanonicalFormatEtc)(FORMATETC *, FORMATETC *out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHOD(SetData)(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  STDMETHOD(EnumFormatEtc)(DWORD, IEnumFORMATETC **out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHOD(DAdvise)(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHOD(DUnadvise)(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHOD(EnumDAdvise)(IEnumSTATDATA **out) override {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  virtual ~DropDataObject() = default;

  std::vector<WCHAR> names_;  // each name and its NUL, then the closing NUL
  ULONG references_ = 1;
};

}  // namespace

HRESULT CreateDropDataObject(const std::vector<std::u16string> &paths, IDataObject **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (paths.empty()) return E_INVALIDARG;
  try {
    std::vector<WCHAR> names;
    for (const std::u16string &path : paths) {
      // An empty name or an embedded NUL would end the list early.
      if (path.empty() || path.find(WCHAR(0)) != std::u16string::npos) return E_INVALIDARG;
      names.insert(names.end(), path.begin(), path.end());
      names.push_back(0);
    }
    names.push_back(0);
    *out = new DropDataObject(std::move(names));
    return S_OK;
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tools
