// The screen's device context, the one GetDC(NULL) hands out.
#pragma once
#include <windows.h>

#include <cstdint>

namespace gdi {

// A fixed handle: there are no windows, so no other device context exists.
inline HDC ScreenDc() { return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x30000004)); }

}  // namespace gdi
