// COM task memory on the C heap.
#include <objbase.h>

#include <cstdlib>

#include "seams_internal.h"

LPVOID STDAPICALLTYPE CoTaskMemAlloc(SIZE_T cb) {
  uint32_t code = 0;
  if (seams::Enter("CoTaskMemAlloc", "", std::to_string(cb), &code)) return nullptr;
  return std::malloc(cb ? cb : 1);
}

LPVOID STDAPICALLTYPE CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
  uint32_t code = 0;
  if (seams::Enter("CoTaskMemRealloc", "", std::to_string(cb), &code)) return nullptr;
  if (pv && cb == 0) {
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb ? cb : 1);
}

void STDAPICALLTYPE CoTaskMemFree(LPVOID pv) { std::free(pv); }
