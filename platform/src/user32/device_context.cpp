// GetDC and ReleaseDC. There are no windows here, so the only device context
// is the screen's, a fixed handle that needs no release.
#include "core/screen_dc.h"

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return gdi::ScreenDc();
}

int WINAPI ReleaseDC(HWND /*hWnd*/, HDC hDC) { return hDC == gdi::ScreenDc() ? 1 : 0; }
