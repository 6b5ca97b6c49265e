#include "module/critical_section.h"

#include <string.h>

#ifdef _WIN32
// Without structured exception handling in the compiler, the variant that
// reports a lack of memory by its result stands in for catching
// STATUS_NO_MEMORY; a spin count of 0 makes it equivalent otherwise.
HRESULT CreateCriticalSection(CRITICAL_SECTION *section) {
  memset(section, 0, sizeof(*section));
  if (!InitializeCriticalSectionAndSpinCount(section, 0)) {
    memset(section, 0, sizeof(*section));
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
#else
#include <excpt.h>

HRESULT CreateCriticalSection(CRITICAL_SECTION *section) {
  memset(section, 0, sizeof(*section));
  try {
    InitializeCriticalSection(section);
  } catch (const PLATFORM_STRUCTURED_EXCEPTION &exception) {
    if (exception.code != STATUS_NO_MEMORY) throw;
    memset(section, 0, sizeof(*section));
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
#endif
