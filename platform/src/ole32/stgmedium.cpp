// ReleaseStgMedium. A medium with pUnkForRelease is released through that
// object alone; otherwise its own storage is freed. A file medium's name is
// freed but the file itself is left in place.
#include <windows.h>
#include <ole2.h>

void STDAPICALLTYPE ReleaseStgMedium(LPSTGMEDIUM pmedium) {
  if (!pmedium) return;
  IUnknown *owner = pmedium->pUnkForRelease;
  switch (pmedium->tymed) {
    case TYMED_HGLOBAL:
      if (!owner && pmedium->hGlobal) GlobalFree(pmedium->hGlobal);
      break;
    case TYMED_ISTREAM:
      if (pmedium->pstm) reinterpret_cast<IUnknown *>(pmedium->pstm)->Release();
      break;
    case TYMED_ISTORAGE:
      if (pmedium->pstg) reinterpret_cast<IUnknown *>(pmedium->pstg)->Release();
      break;
    case TYMED_FILE:
      if (!owner && pmedium->lpszFileName) CoTaskMemFree(pmedium->lpszFileName);
      break;
    case TYMED_GDI:
      if (!owner && pmedium->hBitmap) DeleteObject(pmedium->hBitmap);
      break;
    default:
      break;
  }
  if (owner) owner->Release();
  pmedium->tymed = TYMED_NULL;
  pmedium->hGlobal = nullptr;
  pmedium->pUnkForRelease = nullptr;
}
