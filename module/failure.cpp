#include "module/failure.h"

#include <string.h>

void RaiseHresult(HRESULT hr) { throw CHresultException(hr); }

int CheckRuntimeError(int code) {
  switch (code) {
    case kRuntimeOk:
    case kRuntimeTruncated:
      return code;
    case kRuntimeNoMemory:
      RaiseHresult(E_OUTOFMEMORY);
    case kRuntimeInvalid:
    case kRuntimeRange:
      RaiseHresult(E_INVALIDARG);
    default:
      RaiseHresult(E_FAIL);
  }
}

int BoundedMemoryCopy(void *dest, size_t destBytes, const void *src, size_t countBytes) {
  if (countBytes == 0) return kRuntimeOk;
  if (!dest) return kRuntimeInvalid;
  if (!src) {
    memset(dest, 0, destBytes);
    return kRuntimeInvalid;
  }
  if (destBytes < countBytes) {
    memset(dest, 0, destBytes);
    return kRuntimeRange;
  }
  memmove(dest, src, countBytes);
  return kRuntimeOk;
}

int BoundedStringCopy(WCHAR *dest, size_t destChars, const WCHAR *src) {
  if (!dest || destChars == 0) return kRuntimeInvalid;
  if (!src) {
    dest[0] = 0;
    return kRuntimeInvalid;
  }
  size_t i = 0;
  for (; i < destChars; ++i) {
    dest[i] = src[i];
    if (src[i] == 0) return kRuntimeOk;
  }
  dest[0] = 0;
  return kRuntimeRange;
}

int BoundedStringAppend(WCHAR *dest, size_t destChars, const WCHAR *src) {
  if (!dest || destChars == 0) return kRuntimeInvalid;
  if (!src) {
    dest[0] = 0;
    return kRuntimeInvalid;
  }
  size_t end = 0;
  while (end < destChars && dest[end] != 0) ++end;
  if (end == destChars) {
    dest[0] = 0;
    return kRuntimeInvalid;
  }
  for (size_t i = 0; end + i < destChars; ++i) {
    dest[end + i] = src[i];
    if (src[i] == 0) return kRuntimeOk;
  }
  dest[0] = 0;
  return kRuntimeRange;
}

void CheckedMemoryCopy(void *dest, size_t destBytes, const void *src, size_t countBytes) {
  CheckRuntimeError(BoundedMemoryCopy(dest, destBytes, src, countBytes));
}

void CheckedStringCopy(WCHAR *dest, size_t destChars, const WCHAR *src) {
  CheckRuntimeError(BoundedStringCopy(dest, destChars, src));
}

void CheckedStringAppend(WCHAR *dest, size_t destChars, const WCHAR *src) {
  CheckRuntimeError(BoundedStringAppend(dest, destChars, src));
}
