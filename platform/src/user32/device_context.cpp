// GetDC and ReleaseDC. There are no windows here, so the only device context
// is the screen's, a fixed handle that needs no release.
#include "gdi_device_context.h"

namespace gdi {

HDC ScreenDc() { return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x30000004)); }

}  // namespace gdi

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return gdi::ScreenDc();
}

int WINAPI ReleaseDC(HWND /*hWnd*/, HDC hDC) { return hDC == gdi::ScreenDc() ? 1 : 0; }
