// Creation of the critical sections that the module's records and objects own.
#pragma once
#include <windows.h>

// Zeroes *section and initialises it. Returns S_OK, or E_OUTOFMEMORY when the
// system has no memory for the section (the section is then left zeroed and
// must not be deleted). Any other structured exception is not handled here.
HRESULT CreateCriticalSection(CRITICAL_SECTION *section);
