// Per-thread last error and raised structured exceptions.
#include <windows.h>
#include <excpt.h>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

void WINAPI RaiseException(DWORD dwExceptionCode, DWORD, DWORD, const ULONG_PTR *) {
  throw PLATFORM_STRUCTURED_EXCEPTION{dwExceptionCode};
}
