// The system's failure convention: one exception type carrying an HRESULT,
// the bounded-copy helpers that raise it, and Win32-code conversion.
#pragma once
#include <windows.h>

// The one exception type of the system's own code. Raised only by the helpers
// below; caught only where the calling code says so (allocation catch-alls
// and the export boundaries), never past a COM method or an export.
class CHresultException {
 public:
  explicit CHresultException(HRESULT hr) : hr_(hr) {}
  HRESULT Hresult() const { return hr_; }

 private:
  HRESULT hr_;
};

// Error numbers of the run-time's bounded copy functions.
enum : int {
  kRuntimeOk = 0,
  kRuntimeNoMemory = 12,    // ENOMEM
  kRuntimeInvalid = 22,     // EINVAL
  kRuntimeRange = 34,       // ERANGE
  kRuntimeTruncated = 80,   // STRUNCATE
};

// Raises CHresultException carrying hr. Never returns.
[[noreturn]] void RaiseHresult(HRESULT hr);

// Returns 0 and 80 unchanged; raises E_OUTOFMEMORY for 12, E_INVALIDARG for
// 22 and 34, E_FAIL for anything else.
int CheckRuntimeError(int code);

// Bounded copies with the run-time's contracts (memcpy_s, wcscpy_s, wcscat_s):
// on a bad argument or a destination too small the destination is cleared
// where it can be and the error raises through CheckRuntimeError.
void CheckedMemoryCopy(void *dest, size_t destBytes, const void *src, size_t countBytes);
void CheckedStringCopy(WCHAR *dest, size_t destChars, const WCHAR *src);
void CheckedStringAppend(WCHAR *dest, size_t destChars, const WCHAR *src);

// The raw bounded copies, returning the run-time's error number.
int BoundedMemoryCopy(void *dest, size_t destBytes, const void *src, size_t countBytes);
int BoundedStringCopy(WCHAR *dest, size_t destChars, const WCHAR *src);
int BoundedStringAppend(WCHAR *dest, size_t destChars, const WCHAR *src);

// A code of 0 or less is returned unchanged; a positive one becomes
// 0x80070000 | (code & 0xFFFF).
inline HRESULT HresultFromWin32(LONG code) {
  return code <= 0 ? static_cast<HRESULT>(code)
                   : static_cast<HRESULT>((static_cast<DWORD>(code) & 0xFFFF) | 0x80070000u);
}

// HresultFromWin32 of the calling thread's last error (S_OK when it is 0).
inline HRESULT HresultFromLastError() { return HresultFromWin32(static_cast<LONG>(GetLastError())); }

// For a platform call that has just failed: HresultFromLastError, or E_FAIL
// when the call left no error code, so that a failure never reads as success.
inline HRESULT HresultFromFailedCall() {
  HRESULT hr = HresultFromLastError();
  return SUCCEEDED(hr) ? E_FAIL : hr;
}
