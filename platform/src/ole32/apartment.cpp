// COM initialisation. The substitute has one apartment and no marshalling;
// each thread only counts its initialisations so that the results follow
// Windows: S_OK the first time, S_FALSE after, until balanced.
#include <windows.h>
#include <ole2.h>

namespace {

thread_local unsigned initialisations = 0;

}  // namespace

HRESULT STDAPICALLTYPE CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  constexpr DWORD kKnown =
      COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;
  if (pvReserved || (dwCoInit & ~kKnown)) return E_INVALIDARG;
  return initialisations++ == 0 ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE CoInitialize(LPVOID pvReserved) {
  return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void STDAPICALLTYPE CoUninitialize(void) {
  if (initialisations > 0) --initialisations;
}

HRESULT STDAPICALLTYPE OleInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

void STDAPICALLTYPE OleUninitialize(void) { CoUninitialize(); }
