// ITypeLib and ITypeInfo over the records of a library.
#include "oleaut32/typelib_objects.h"
#include "core/single_interface.h"

#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace typelib {
namespace {

struct Wide {
  bool present = false;
  std::u16string text;
};

// A name or help text in the ANSI code page as UTF-16; an absent text stays absent.
HRESULT Widen(const Text &in, Wide *out) {
  out->present = in.present;
  out->text.clear();
  if (!in.present || in.bytes.empty()) return S_OK;
  int length = MultiByteToWideChar(CP_ACP, 0, in.bytes.data(), int(in.bytes.size()), nullptr, 0);
  if (length <= 0) return HRESULT_FROM_WIN32(GetLastError());
  out->text.resize(size_t(length));
  if (MultiByteToWideChar(CP_ACP, 0, in.bytes.data(), int(in.bytes.size()), out->text.data(), length) != length)
    return HRESULT_FROM_WIN32(GetLastError());
  return S_OK;
}

// The help texts GetDocumentation hands out.
struct Documentation {
  const Wide *name, *doc, *helpFile;
  DWORD helpContext;
};

// Fills every requested output, or none: on failure each is null again.
HRESULT Document(const Documentation &d, BSTR *name, BSTR *doc, DWORD *helpContext, BSTR *helpFile) {
  BSTR *outs[] = {name, doc, helpFile};
  const Wide *texts[] = {d.name, d.doc, d.helpFile};
  for (BSTR *out : outs)
    if (out) *out = nullptr;
  for (size_t i = 0; i < 3; ++i) {
    if (!outs[i] || !texts[i]->present) continue;
    *outs[i] = SysAllocStringLen(texts[i]->text.data(), UINT(texts[i]->text.size()));
    if (!*outs[i]) {
      for (BSTR *out : outs)
        if (out) {
          SysFreeString(*out);
          *out = nullptr;
        }
      return E_OUTOFMEMORY;
    }
  }
  if (helpContext) *helpContext = d.helpContext;
  return S_OK;
}

// TYPEATTR is handed out together with the nested descriptions of an alias's type.
struct AttrBlock {
  TYPEATTR attr;
  TYPEDESC steps[kMaxTypeSteps];
};

class TypeLib;

class TypeInfo final : public ITypeInfo {
 public:
  TypeInfo(TypeLib *library, UINT index, const TypeRecord &record)
      : library_(library), index_(index), record_(record) {}
  HRESULT Init() {
    HRESULT hr = Widen(record_.name, &name_);
    return SUCCEEDED(hr) ? Widen(record_.doc, &doc_) : hr;
  }
  const TypeRecord &record() const { return record_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    return com::QuerySingleInterface<ITypeInfo>(this, IID_ITypeInfo, riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR **ppTypeAttr) override;
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT, FUNCDESC **ppFuncDesc) override {
    if (ppFuncDesc) *ppFuncDesc = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC **ppVarDesc) override {
    if (ppVarDesc) *ppVarDesc = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID, BSTR *, UINT, UINT *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE *pRefType) override {
    if (!pRefType) return E_INVALIDARG;
    if (index >= record_.impls.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pRefType = record_.impls[index].ref;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT *pImplTypeFlags) override {
    if (!pImplTypeFlags) return E_INVALIDARG;
    if (index >= record_.impls.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pImplTypeFlags = record_.impls[index].flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR *, UINT, MEMBERID *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR *pBstrName, BSTR *pBstrDocString,
                                             DWORD *pdwHelpContext, BSTR *pBstrHelpFile) override;
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR *, BSTR *, WORD *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo **ppTInfo) override;
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID *ppv) override {
    if (ppv) *ppv = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, REFIID, PVOID *ppvObj) override {
    if (ppvObj) *ppvObj = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR *pBstrMops) override {
    if (pBstrMops) *pBstrMops = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib **ppTLib, UINT *pIndex) override;
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR *pTypeAttr) override {
    delete reinterpret_cast<AttrBlock *>(pTypeAttr);
  }
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC *) override {}
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC *) override {}

 private:
  TypeLib *library_;
  const UINT index_;
  const TypeRecord &record_;
  Wide name_, doc_;
  std::atomic<ULONG> references_{0};
};

class TypeLib final : public ITypeLib {
 public:
  explicit TypeLib(LibraryRecord &&record) : record_(std::move(record)) {}

  HRESULT Init() {
    HRESULT hr = Widen(record_.name, &name_);
    if (SUCCEEDED(hr)) hr = Widen(record_.doc, &doc_);
    if (SUCCEEDED(hr)) hr = Widen(record_.helpFile, &helpFile_);
    for (UINT i = 0; SUCCEEDED(hr) && i < record_.types.size(); ++i) {
      types_.push_back(std::make_unique<TypeInfo>(this, i, record_.types[i]));
      hr = types_.back()->Init();
    }
    return hr;
  }
  const LibraryRecord &record() const { return record_; }
  const Wide &helpFile() const { return helpFile_; }

  // The type info with one more reference.
  ITypeInfo *Type(size_t index) {
    types_[index]->AddRef();
    return types_[index].get();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    return com::QuerySingleInterface<ITypeLib>(this, IID_ITypeLib, riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  UINT STDMETHODCALLTYPE GetTypeInfoCount() override { return UINT(types_.size()); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo **ppTInfo) override {
    if (!ppTInfo) return E_INVALIDARG;
    *ppTInfo = nullptr;
    if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *ppTInfo = Type(index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND *pTKind) override {
    if (!pTKind) return E_INVALIDARG;
    if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pTKind = record_.types[index].kind;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **ppTinfo) override {
    if (!ppTinfo) return E_INVALIDARG;
    *ppTinfo = nullptr;
    for (size_t i = 0; i < types_.size(); ++i)
      if (record_.types[i].guid == guid) {
        *ppTinfo = Type(i);
        return S_OK;
      }
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR **ppTLibAttr) override {
    if (!ppTLibAttr) return E_INVALIDARG;
    *ppTLibAttr = new (std::nothrow)
        TLIBATTR{record_.guid, record_.lcid, record_.syskind, record_.major, record_.minor,
                 WORD(record_.flags | LIBFLAG_FHASDISKIMAGE)};  // every library here was read from a file
    return *ppTLibAttr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR *pBstrName, BSTR *pBstrDocString, DWORD *pdwHelpContext,
                                             BSTR *pBstrHelpFile) override {
    if (index == -1)
      return Document(Documentation{&name_, &doc_, &helpFile_, record_.helpContext}, pBstrName, pBstrDocString,
                      pdwHelpContext, pBstrHelpFile);
    if (index < -1 || size_t(index) >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
    return types_[size_t(index)]->GetDocumentation(MEMBERID_NIL, pBstrName, pBstrDocString, pdwHelpContext,
                                                   pBstrHelpFile);
  }
  HRESULT STDMETHODCALLTYPE IsName(LPOLESTR, ULONG, BOOL *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindName(LPOLESTR, ULONG, ITypeInfo **, MEMBERID *, USHORT *) override { return E_NOTIMPL; }
  void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR *pTLibAttr) override { delete pTLibAttr; }

 private:
  ~TypeLib() = default;

  const LibraryRecord record_;
  Wide name_, doc_, helpFile_;
  std::vector<std::unique_ptr<TypeInfo>> types_;
  std::atomic<ULONG> references_{1};
};

// The first reference taken on a type info takes one on its library, the last
// one released gives it back.
ULONG TypeInfo::AddRef() {
  ULONG count = ++references_;
  if (count == 1) library_->AddRef();
  return count;
}

ULONG TypeInfo::Release() {
  ULONG left = --references_;
  if (left == 0) library_->Release();
  return left;
}

HRESULT TypeInfo::GetTypeAttr(TYPEATTR **ppTypeAttr) {
  if (!ppTypeAttr) return E_INVALIDARG;
  AttrBlock *block = new (std::nothrow) AttrBlock{};
  *ppTypeAttr = block ? &block->attr : nullptr;
  if (!block) return E_OUTOFMEMORY;
  TYPEATTR &a = block->attr;
  const TypeRecord &t = record_;
  a.guid = t.guid;
  a.lcid = library_->record().lcid;
  a.memidConstructor = MEMBERID_NIL;
  a.memidDestructor = MEMBERID_NIL;
  a.cbSizeInstance = t.instanceSize;
  a.typekind = t.kind;
  a.cFuncs = t.funcs;
  a.cVars = t.vars;
  a.cImplTypes = WORD(t.impls.size());
  // The table's size counts this process's pointers, whatever the library was built for.
  a.cbSizeVft = WORD(t.vftSlots * sizeof(void *));
  a.cbAlignment = t.alignment;
  a.wTypeFlags = t.flags;
  a.wMajorVerNum = t.major;
  a.wMinorVerNum = t.minor;
  TYPEDESC *target = &a.tdescAlias;
  for (size_t i = 0; i < t.alias.size(); ++i) {
    target->vt = t.alias[i].vt;
    if (target->vt == VT_USERDEFINED) {
      target->hreftype = t.alias[i].ref;
    } else if (i + 1 < t.alias.size()) {
      target->lptdesc = &block->steps[i];
      target = target->lptdesc;
    }
  }
  return S_OK;
}

HRESULT TypeInfo::GetDocumentation(MEMBERID memid, BSTR *pBstrName, BSTR *pBstrDocString, DWORD *pdwHelpContext,
                                   BSTR *pBstrHelpFile) {
  if (memid != MEMBERID_NIL) {
    for (BSTR *out : {pBstrName, pBstrDocString, pBstrHelpFile})
      if (out) *out = nullptr;
    return record_.funcs || record_.vars ? E_NOTIMPL : TYPE_E_ELEMENTNOTFOUND;
  }
  return Document(Documentation{&name_, &doc_, &library_->helpFile(), record_.helpContext}, pBstrName, pBstrDocString,
                  pdwHelpContext, pBstrHelpFile);
}

HRESULT TypeInfo::GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo **ppTInfo) {
  if (!ppTInfo) return E_INVALIDARG;
  *ppTInfo = nullptr;
  const std::vector<TypeRecord> &types = library_->record().types;
  for (size_t i = 0; i < types.size(); ++i)
    if (types[i].self == hRefType) {
      *ppTInfo = library_->Type(i);
      return S_OK;
    }
  // The low bit marks a type of an imported library, which is not loaded.
  return hRefType & 1 ? E_NOTIMPL : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfo::GetContainingTypeLib(ITypeLib **ppTLib, UINT *pIndex) {
  if (ppTLib) {
    *ppTLib = library_;
    library_->AddRef();
  }
  if (pIndex) *pIndex = index_;
  return S_OK;
}

}  // namespace

HRESULT NewTypeLib(LibraryRecord &&record, ITypeLib **out) {
  *out = nullptr;
  TypeLib *library = nullptr;
  try {
    library = new TypeLib(std::move(record));
    HRESULT hr = library->Init();
    if (FAILED(hr)) {
      library->Release();
      return hr;
    }
  } catch (const std::bad_alloc &) {
    if (library) library->Release();
    return E_OUTOFMEMORY;
  }
  *out = library;
  return S_OK;
}

}  // namespace typelib
