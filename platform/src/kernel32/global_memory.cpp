// Global memory blocks: fixed blocks are their own handles; moveable blocks have
// a distinct handle and a lock count, and one of size 0 is born discarded (no
// memory: locking it gives null). Every handle is validated against the live set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <mutex>

#include "core/handle_table.h"
#include "core/seams_internal.h"

namespace {

struct Block {
  void *data;
  SIZE_T size;
  bool moveable;
  unsigned locks = 0;
};

// Handles are the blocks' own addresses (Put), not numbers.
using Heap = core::LockedHandleTable<Block *>;

Heap &heap() {
  static Heap *h = new Heap;  // outlives static destruction of users
  return *h;
}

// The block of a handle, or null; call with the heap's mutex held.
Block *Find(Heap &h, HGLOBAL handle) {
  Block **block = h.objects.Find(handle);
  return block ? *block : nullptr;
}

std::string Hex(const void *p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  // Contents are always zeroed, GMEM_ZEROINIT or not, so nothing reads stale bytes.
  const bool moveable = (uFlags & GMEM_MOVEABLE) != 0;
  const bool discarded = moveable && dwBytes == 0;
  void *data = discarded ? nullptr : std::calloc(dwBytes ? dwBytes : 1, 1);
  Block *block = data || discarded ? new (std::nothrow) Block{data, dwBytes, moveable} : nullptr;
  if (!block) {
    std::free(data);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HGLOBAL handle = block->moveable ? static_cast<HGLOBAL>(block) : static_cast<HGLOBAL>(block->data);
  Heap &h = heap();
  std::lock_guard<std::mutex> lock(h.mutex);
  h.objects.Put(handle, block);
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
  uint32_t code = 0;
  if (seams::Enter("GlobalLock", [&](std::string *subject, std::string *) { *subject = Hex(hMem); }, &code)) {
    SetLastError(code);
    return nullptr;
  }
  Heap &h = heap();
  std::lock_guard<std::mutex> lock(h.mutex);
  Block *block = Find(h, hMem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (block->moveable && block->data) ++block->locks;
  return block->data;
}

// An unknown handle "succeeds" with ERROR_INVALID_HANDLE, as Windows's does.
BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
  Heap &h = heap();
  std::lock_guard<std::mutex> lock(h.mutex);
  Block *block = Find(h, hMem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return TRUE;
  }
  if (!block->moveable) return TRUE;
  if (block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  Block *block;
  {
    Heap &h = heap();
    std::lock_guard<std::mutex> lock(h.mutex);
    block = Find(h, hMem);
    if (!block) {
      SetLastError(ERROR_INVALID_HANDLE);
      return hMem;
    }
    h.objects.Remove(hMem);
  }
  std::free(block->data);
  delete block;
  return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
  Heap &h = heap();
  std::lock_guard<std::mutex> lock(h.mutex);
  Block *block = Find(h, hMem);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return block->size;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pMem) {
  Heap &h = heap();
  std::lock_guard<std::mutex> lock(h.mutex);
  for (const auto &[handle, block] : h.objects)
    if (block->data && block->data == pMem) return reinterpret_cast<HGLOBAL>(handle);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}
