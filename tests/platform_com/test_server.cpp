// A minimal in-process server: one class answering IUnknown and ITestValue,
// a class factory, and a lock count that DllCanUnloadNow reports from.
#include "test_server.h"

#include <atomic>
#include <new>

namespace {

std::atomic<long> moduleLocks{0};

class ValueObject final : public ITestValue {
 public:
  ValueObject() { ++moduleLocks; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != kTestValueInterface) return E_NOINTERFACE;
    *ppv = static_cast<ITestValue *>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  LONG STDMETHODCALLTYPE Value() override { return 42; }

 private:
  ~ValueObject() { --moduleLocks; }
  std::atomic<ULONG> references_{1};
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory *>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    ++moduleLocks;
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    --moduleLocks;
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto *object = new (std::nothrow) ValueObject;
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++moduleLocks : --moduleLocks;
    return S_OK;
  }
};

Factory factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (rclsid != kTestServerClass) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow(void) { return moduleLocks == 0 ? S_OK : S_FALSE; }
