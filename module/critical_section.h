// Creation of the critical sections that the module's records and objects
// own, and holding one entered for a scope.
#pragma once
#include <windows.h>

// Zeroes *section and initialises it. Returns S_OK, or E_OUTOFMEMORY when the
// system has no memory for the section (the section is then left zeroed and
// must not be deleted). Any other structured exception is not handled here.
HRESULT CreateCriticalSection(CRITICAL_SECTION *section);

// Enters `section` on construction and leaves it on destruction, so that every
// way out of the scope leaves it. The section must outlive the guard.
class CriticalSectionGuard {
 public:
  explicit CriticalSectionGuard(CRITICAL_SECTION *section) : section_(section) { EnterCriticalSection(section_); }
  ~CriticalSectionGuard() { LeaveCriticalSection(section_); }
  CriticalSectionGuard(const CriticalSectionGuard &) = delete;
  CriticalSectionGuard &operator=(const CriticalSectionGuard &) = delete;

 private:
  CRITICAL_SECTION *section_;
};
