#include "module/module_instance.h"

#include "module/critical_section.h"
#include "module/module_flags.h"
#include "module/object_map.h"

CModuleInstance::CModuleInstance() : sizeMarker(0), instanceHandle(ThisModuleHandle()) {
  if (FAILED(CreateCriticalSection(&instanceLock))) {
    initFailed = true;
    return;
  }
  sizeMarker = sizeof(*this);
}

CModuleInstance::~CModuleInstance() {
  if (sizeMarker == 0) return;
  DeleteCriticalSection(&instanceLock);
  sizeMarker = 0;
}
