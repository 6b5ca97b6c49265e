// A library whose DllMain refuses the load.
#include <windows.h>

#include "test_events.h"

namespace {

struct Construction {
  Construction() { KernelTestRecord("construct", nullptr); }
  ~Construction() { KernelTestRecord("destruct", nullptr); }
} construction;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  KernelTestRecord(reason == DLL_PROCESS_ATTACH ? "attach" : reason == DLL_PROCESS_DETACH ? "detach" : "other",
                   instance);
  return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}
