// COM task memory on the C heap.
#include <objbase.h>

#include <atomic>
#include <cstdlib>

#include "core/seams_internal.h"
#include "platform_seams.h"

namespace {

std::atomic<unsigned> liveBlocks{0};

}  // namespace

LPVOID STDAPICALLTYPE CoTaskMemAlloc(SIZE_T cb) {
  uint32_t code = 0;
  if (seams::Enter("CoTaskMemAlloc", "", std::to_string(cb), &code)) return nullptr;
  void *block = std::malloc(cb ? cb : 1);
  if (block) ++liveBlocks;
  return block;
}

LPVOID STDAPICALLTYPE CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
  uint32_t code = 0;
  if (seams::Enter("CoTaskMemRealloc", "", std::to_string(cb), &code)) return nullptr;
  if (pv && cb == 0) {
    CoTaskMemFree(pv);
    return nullptr;
  }
  void *block = std::realloc(pv, cb ? cb : 1);
  if (block && !pv) ++liveBlocks;
  return block;
}

void STDAPICALLTYPE CoTaskMemFree(LPVOID pv) {
  if (pv) --liveBlocks;
  std::free(pv);
}

unsigned seams::LiveTaskMemoryBlocks() { return liveBlocks; }
