// StringFromGUID2 and CLSIDFromString.
#include <objbase.h>

#include <cstring>

#include "core/guid_text.h"

int STDAPICALLTYPE StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  if (!lpsz || cchMax < 39) return 0;
  std::u16string text = com::GuidText(rguid);
  std::memcpy(lpsz, text.c_str(), (text.size() + 1) * sizeof(OLECHAR));
  return 39;
}

HRESULT STDAPICALLTYPE CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (!pclsid) return E_INVALIDARG;
  // A null text is the null class identifier, as on Windows.
  if (!lpsz) {
    std::memset(pclsid, 0, sizeof *pclsid);
    return S_OK;
  }
  if (!com::ParseGuid(lpsz, pclsid)) return CO_E_CLASSSTRING;
  return S_OK;
}
