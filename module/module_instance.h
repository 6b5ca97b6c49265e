// The instance record: the library's own instance handle.
#pragma once
#include <windows.h>

// The static record that holds the library's instance handle. Built at load
// after the object map and before the module; `sizeMarker` is non-zero only
// while its critical section exists.
class CModuleInstance {
 public:
  // Finds this library's handle and creates the record's critical section; on
  // failure to create it sets initFailed and stays not ready.
  CModuleInstance();
  // Deletes the critical section, when it was created.
  ~CModuleInstance();
  CModuleInstance(const CModuleInstance &) = delete;
  CModuleInstance &operator=(const CModuleInstance &) = delete;

  DWORD sizeMarker;
  // The library's load address, as the loader knows it; null if not found.
  HINSTANCE instanceHandle;
  // Created and deleted with the record; never entered.
  CRITICAL_SECTION instanceLock;
};

// The library's instance record (one static record).
extern CModuleInstance moduleInstance;
