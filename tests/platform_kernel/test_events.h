// What the test libraries report about their construction, entry calls and destruction.
#pragma once
#include <windows.h>

// Exported by the test program; the test libraries call it.
extern "C" __attribute__((visibility("default"))) void KernelTestRecord(const char *event, HMODULE module);
