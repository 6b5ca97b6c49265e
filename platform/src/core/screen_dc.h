// The screen's device context, the one GetDC(NULL) hands out.
#pragma once
#include <windows.h>

#include <cstdint>

namespace gdi {

HDC ScreenDc();

}  // namespace gdi
