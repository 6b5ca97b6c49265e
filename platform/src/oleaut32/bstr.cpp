// Length-prefixed strings: a 32-bit byte count, the text, then a NUL unit.
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/seams_internal.h"
#include "platform_seams.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

std::atomic<unsigned> liveStrings{0};

uint32_t &ByteLength(BSTR s) { return *reinterpret_cast<uint32_t *>(reinterpret_cast<char *>(s) - kPrefix); }

// A new string of `bytes` bytes (copied from `data` when given), or null.
BSTR Allocate(const void *data, uint64_t bytes) {
  if (bytes > UINT32_MAX - kPrefix - sizeof(OLECHAR) - 1) return nullptr;
  char *block = static_cast<char *>(std::malloc(kPrefix + bytes + sizeof(OLECHAR) + 1));
  if (!block) return nullptr;
  uint32_t length = static_cast<uint32_t>(bytes);
  std::memcpy(block, &length, kPrefix);
  if (data) std::memcpy(block + kPrefix, data, bytes);
  else std::memset(block + kPrefix, 0, bytes);
  // Two NUL bytes after the text, plus one more so an odd byte length still ends in a NUL unit.
  std::memset(block + kPrefix + bytes, 0, sizeof(OLECHAR) + 1);
  ++liveStrings;
  return reinterpret_cast<BSTR>(block + kPrefix);
}

// Whether the test seams fail this allocation of `characters` characters.
bool Refused(uint64_t characters) {
  uint32_t code = 0;
  return seams::Enter("SysAllocString", "", std::to_string(characters), &code);
}

}  // namespace

BSTR STDAPICALLTYPE SysAllocString(const OLECHAR *psz) {
  if (!psz) return nullptr;
  uint64_t n = 0;
  while (psz[n]) ++n;
  if (Refused(n)) return nullptr;
  return Allocate(psz, n * sizeof(OLECHAR));
}

BSTR STDAPICALLTYPE SysAllocStringLen(const OLECHAR *strIn, UINT ui) {
  if (Refused(ui)) return nullptr;
  return Allocate(strIn, uint64_t(ui) * sizeof(OLECHAR));
}

UINT STDAPICALLTYPE SysStringLen(BSTR pbstr) { return pbstr ? ByteLength(pbstr) / sizeof(OLECHAR) : 0; }

UINT STDAPICALLTYPE SysStringByteLen(BSTR bstr) { return bstr ? ByteLength(bstr) : 0; }

void STDAPICALLTYPE SysFreeString(BSTR bstrString) {
  if (!bstrString) return;
  --liveStrings;
  std::free(reinterpret_cast<char *>(bstrString) - kPrefix);
}

unsigned seams::LiveSysStrings() { return liveStrings; }
