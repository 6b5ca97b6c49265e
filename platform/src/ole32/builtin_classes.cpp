// Dispatch to the built-in classes.
#include "ole32/builtin_classes.h"
#include "core/single_interface.h"

#include <comcat.h>

namespace com {
namespace {

// The class object of a built-in class; static, so its count is only reported.
class BuiltinFactory final : public IClassFactory {
 public:
  explicit BuiltinFactory(const CLSID &clsid) : clsid_(clsid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    return com::QuerySingleInterface<IClassFactory>(this, IID_IClassFactory, riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateBuiltin(clsid_, riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  const CLSID clsid_;
};

}  // namespace

bool IsBuiltinClass(REFCLSID clsid) {
  return clsid == CLSID_StdGlobalInterfaceTable || clsid == CLSID_StdComponentCategoriesMgr;
}

HRESULT CreateBuiltin(REFCLSID clsid, REFIID iid, void **ppv) {
  *ppv = nullptr;
  try {
    IUnknown *object = nullptr;
    if (clsid == CLSID_StdGlobalInterfaceTable) {
      object = GlobalInterfaceTable();
      object->AddRef();
    } else if (clsid == CLSID_StdComponentCategoriesMgr) {
      object = NewCategoriesManager();
      if (!object) return E_OUTOFMEMORY;
    } else {
      return CLASS_E_CLASSNOTAVAILABLE;
    }
    HRESULT hr = object->QueryInterface(iid, ppv);
    object->Release();
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace com

namespace com {

HRESULT BuiltinClassObject(REFCLSID clsid, REFIID iid, void **ppv) {
  static BuiltinFactory globalTable(CLSID_StdGlobalInterfaceTable);
  static BuiltinFactory categories(CLSID_StdComponentCategoriesMgr);
  *ppv = nullptr;
  if (clsid == CLSID_StdGlobalInterfaceTable) return globalTable.QueryInterface(iid, ppv);
  if (clsid == CLSID_StdComponentCategoriesMgr) return categories.QueryInterface(iid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace com
