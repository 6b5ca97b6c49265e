// Fuzz target: the extension's Initialize over an arbitrary file-drop block.
// Input: the bytes of the global memory block the data object hands out.
// Checks the documented results and that the kept path always ends within
// MAX_PATH units.
#include <windows.h>
#include "tests/support/data_object_base.h"
#include <shlobj.h>

#include <cstring>

#include "fuzz/fuzz_support.h"
#include "module/com_object.h"
#include "shellext/tovincopyshl_ext.h"

namespace {

// A data object whose GetData hands out a new global block holding the bytes
// it was made with. Lives on the stack; reference counting is not tracked.
class BlockDataObject : public DataObjectBase {
 public:
  BlockDataObject(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
    *out = static_cast<IDataObject *>(this);
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 2; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) override {
    if (!format || !medium || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size_);
    if (!block) return E_OUTOFMEMORY;
    if (size_ != 0) {
      void *bytes = GlobalLock(block);
      if (!bytes) {
        GlobalFree(block);
        return E_OUTOFMEMORY;
      }
      std::memcpy(bytes, data_, size_);
      GlobalUnlock(block);
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }

 private:
  const uint8_t *data_;
  size_t size_;
};

// Length of the text in path[MAX_PATH], or MAX_PATH when it has no terminator.
size_t KeptLength(const WCHAR *path) {
  size_t n = 0;
  while (n < MAX_PATH && path[n] != 0) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  auto *extension = new CComObject<CTovinCopyShlExt>();
  extension->AddRef();
  BlockDataObject dataObject(data, size);

  const HRESULT hr = extension->Initialize(nullptr, &dataObject, nullptr);
  FUZZ_CHECK(hr == S_OK || hr == E_INVALIDARG);
  const size_t kept = KeptLength(extension->targetPath);
  FUZZ_CHECK(kept < MAX_PATH);
  if (hr == S_OK) FUZZ_CHECK(kept > 0);

  extension->Release();
  return 0;
}
