// A library that accepts being loaded. During static construction it finds its
// own handle and file name, as a real library does before DllMain runs.
#include <windows.h>

#include "test_events.h"

namespace {

HMODULE constructedAs = nullptr;
WCHAR constructedPath[1024];

struct Construction {
  Construction() {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&constructedAs), &constructedAs);
    GetModuleFileNameW(constructedAs, constructedPath, 1024);
    KernelTestRecord("construct", constructedAs);
  }
  ~Construction() { KernelTestRecord("destruct", constructedAs); }
} construction;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  KernelTestRecord(reason == DLL_PROCESS_ATTACH ? "attach" : reason == DLL_PROCESS_DETACH ? "detach" : "other",
                   instance);
  return TRUE;
}

extern "C" const WCHAR *PlainDllConstructedPath() { return constructedPath; }
