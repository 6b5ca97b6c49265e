#include "registrar/script_buffer.h"

#include <objbase.h>
#include <string.h>

namespace {

constexpr int kSmallestRequest = 100;
constexpr int kDefaultCapacity = 1000;
constexpr int kLargestDoubled = 0x3FFFFFFF;

}  // namespace

CScriptBuffer::CScriptBuffer(int requested) {
  capacity = requested < kSmallestRequest ? kDefaultCapacity : requested;
  data = static_cast<WCHAR *>(CoTaskMemAlloc(static_cast<SIZE_T>(capacity) * sizeof(WCHAR)));
  if (data) data[0] = 0;
}

CScriptBuffer::~CScriptBuffer() { CoTaskMemFree(data); }

bool CScriptBuffer::Append(const WCHAR *units, int count) {
  if (!data || count < 0 || (count > 0 && !units)) return false;
  long long needed = static_cast<long long>(length) + count + 1;
  if (needed > 0x7FFFFFFF) return false;
  if (needed >= capacity) {
    // Committed only once the reallocation succeeded, so a failure leaves the buffer as it was.
    int grown = capacity;
    while (needed >= grown) {
      if (grown > kLargestDoubled) return false;
      grown *= 2;
    }
    auto *moved = static_cast<WCHAR *>(CoTaskMemRealloc(data, static_cast<SIZE_T>(grown) * sizeof(WCHAR)));
    if (!moved) return false;
    data = moved;
    capacity = grown;
  }
  if (count > 0) memcpy(data + length, units, static_cast<size_t>(count) * sizeof(WCHAR));
  length += count;
  data[length] = 0;
  return true;
}

bool CScriptBuffer::AppendText(LPCWSTR text) {
  if (!text) return false;
  int units = lstrlenW(text);
  return Append(text, units);
}

WCHAR *CScriptBuffer::TakeText() {
  WCHAR *text = data;
  data = nullptr;
  length = 0;
  capacity = 0;
  return text;
}
