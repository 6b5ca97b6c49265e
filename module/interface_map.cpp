#include "module/interface_map.h"

namespace {

IUnknown *InterfaceAt(void *object, DWORD offset) {
  return reinterpret_cast<IUnknown *>(static_cast<BYTE *>(object) + offset);
}

}  // namespace

HRESULT LookupInterface(void *object, const InterfaceMapEntry *map, REFIID iid, void **out) {
  if (!object || !map) return E_INVALIDARG;
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualGUID(iid, IID_IUnknown)) {
    IUnknown *unknown = InterfaceAt(object, map->offsetOrArgument);
    unknown->AddRef();
    *out = unknown;
    return S_OK;
  }
  for (const InterfaceMapEntry *row = map; row->handler; ++row) {
    if (row->iid && !IsEqualGUID(*row->iid, iid)) continue;
    if (row->handler == SimpleInterfaceRow()) {
      IUnknown *unknown = InterfaceAt(object, row->offsetOrArgument);
      unknown->AddRef();
      *out = unknown;
      return S_OK;
    }
    HRESULT hr = row->handler(object, iid, out, row->offsetOrArgument);
    if (hr == S_OK) return S_OK;
    // Only S_OK hands out a pointer: whatever a declining handler left there
    // must not reach the caller.
    *out = nullptr;
    if (FAILED(hr) && row->iid) return hr;
  }
  return E_NOINTERFACE;
}
