// The standard global interface table: a process-wide registry of interface
// pointers under cookies. With a single apartment nothing is marshalled; the
// table holds one reference on each registered pointer until it is revoked.
#include <windows.h>
#include <objbase.h>

#include <mutex>
#include <unordered_map>

#include "core/single_interface.h"
#include "ole32/builtin_classes.h"

namespace com {
namespace {

class GlobalTable final : public IGlobalInterfaceTable {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    return com::QuerySingleInterface<IGlobalInterfaceTable>(this, IID_IGlobalInterfaceTable, riid, ppv);
  }
  // The table lives as long as the process; its count is only reported.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown *pUnk, REFIID riid, DWORD *pdwCookie) override {
    if (!pdwCookie) return E_INVALIDARG;
    *pdwCookie = 0;
    if (!pUnk) return E_INVALIDARG;
    try {
      pUnk->AddRef();
      std::lock_guard<std::mutex> lock(mutex_);
      DWORD cookie = next_++;
      if (next_ == 0) next_ = 0x100;
      entries_.emplace(cookie, Entry{pUnk, riid});
      *pdwCookie = cookie;
      return S_OK;
    } catch (...) {
      pUnk->Release();
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) override {
    IUnknown *held = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      held = it->second.pointer;
      entries_.erase(it);
    }
    // Released outside the lock: the object's destructor may use the table.
    held->Release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void **ppv) override {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    Entry entry;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      entry = it->second;
      entry.pointer->AddRef();  // keeps it alive should another thread revoke it now
    }
    HRESULT hr = S_OK;
    if (entry.iid == riid) {
      *ppv = entry.pointer;
      return S_OK;
    }
    hr = entry.pointer->QueryInterface(riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    entry.pointer->Release();
    return hr;
  }

 private:
  struct Entry {
    IUnknown *pointer = nullptr;
    IID iid{};
  };
  std::mutex mutex_;
  DWORD next_ = 0x100;
  std::unordered_map<DWORD, Entry> entries_;
};

}  // namespace

IUnknown *GlobalInterfaceTable() {
  static GlobalTable *table = new GlobalTable;  // never destroyed: clients may revoke during static destruction
  return table;
}

}  // namespace com
