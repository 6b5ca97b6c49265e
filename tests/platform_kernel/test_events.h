// What the test libraries report about their construction, entry calls and
// destruction. The test program exports KernelTestRecordEvent; a library finds
// it among its host program's exports, as any library finds a host's entry.
#pragma once
#include <windows.h>

#ifdef _WIN32
#define KERNEL_TEST_EXPORT __declspec(dllexport)
#else
#define KERNEL_TEST_EXPORT __attribute__((visibility("default")))
#endif

typedef void (*KernelTestRecordFunction)(const char *event, HMODULE module);

// Passes the event to the program's KernelTestRecordEvent, when it has one.
inline void KernelTestRecord(const char *event, HMODULE module) {
  auto record = reinterpret_cast<KernelTestRecordFunction>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(nullptr), "KernelTestRecordEvent")));
  if (record) record(event, module);
}
