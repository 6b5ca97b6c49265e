#include "library_allocations.h"

#include <link.h>
#include <stdlib.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// glibc's own allocator, which the replacements below forward to.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
}
#endif

namespace library_allocations {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)

bool Available() { return false; }
bool Watch(const std::string &) { return false; }
void StopWatching() {}
unsigned Count() { return 0; }
void FailNth(unsigned) {}
unsigned Live() { return 0; }

}  // namespace library_allocations

#else

namespace {

// The library's executable segments; allocations whose caller returns into
// them are the library's own.
struct Range {
  uintptr_t begin = 0, end = 0;
};
constexpr int kMaxRanges = 4;
Range ranges[kMaxRanges];
std::atomic<int> rangeCount{0};
std::atomic<unsigned> counted{0};
std::atomic<unsigned> failAt{0};

// Live blocks in a fixed table: the tracker must not allocate.
constexpr int kSlots = 8192;
std::mutex slotsMutex;
void *slots[kSlots];
int used = 0;  // slots in use; empty ones below it are null
unsigned live = 0;

bool FromLibrary(void *caller) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(caller);
  const int n = rangeCount.load(std::memory_order_acquire);
  for (int i = 0; i < n; ++i)
    if (address >= ranges[i].begin && address < ranges[i].end) return true;
  return false;
}

void Track(void *block) {
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (int i = 0; i < kSlots; ++i) {
    if (slots[i]) continue;
    slots[i] = block;
    if (i >= used) used = i + 1;
    ++live;
    return;
  }
}

void Untrack(void *block) {
  if (!block) return;
  std::lock_guard<std::mutex> lock(slotsMutex);
  if (live == 0) return;
  for (int i = 0; i < used; ++i) {
    if (slots[i] != block) continue;
    slots[i] = nullptr;
    --live;
    return;
  }
}

// Counts one allocation from `caller`; true when it is to fail.
bool Refuse(void *caller) {
  if (rangeCount.load(std::memory_order_acquire) == 0 || !FromLibrary(caller)) return false;
  const unsigned n = ++counted;
  return n == failAt.load();
}

struct SearchContext {
  std::string path;  // resolved
  int found;
};

std::string Resolved(const char *path) {
  char *resolved = realpath(path, nullptr);
  if (!resolved) return path;
  std::string text = resolved;
  free(resolved);
  return text;
}

int AddSegments(struct dl_phdr_info *info, size_t, void *data) {
  auto *search = static_cast<SearchContext *>(data);
  if (!info->dlpi_name || !*info->dlpi_name || Resolved(info->dlpi_name) != search->path) return 0;
  for (int i = 0; i < info->dlpi_phnum && search->found < kMaxRanges; ++i) {
    const ElfW(Phdr) &header = info->dlpi_phdr[i];
    if (header.p_type != PT_LOAD || !(header.p_flags & PF_X)) continue;
    ranges[search->found].begin = info->dlpi_addr + header.p_vaddr;
    ranges[search->found].end = ranges[search->found].begin + header.p_memsz;
    ++search->found;
  }
  return 1;
}

void *Allocate(size_t size, void *caller) {
  if (Refuse(caller)) return nullptr;
  void *block = __libc_malloc(size ? size : 1);
  if (block && FromLibrary(caller)) Track(block);
  return block;
}

}  // namespace

bool Available() { return true; }

bool Watch(const std::string &path) {
  StopWatching();
  SearchContext search{Resolved(path.c_str()), 0};
  dl_iterate_phdr(AddSegments, &search);
  rangeCount.store(search.found, std::memory_order_release);
  return search.found > 0;
}

void StopWatching() {
  rangeCount.store(0, std::memory_order_release);
  counted = 0;
  failAt = 0;
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (int i = 0; i < used; ++i) slots[i] = nullptr;
  used = 0;
  live = 0;
}

unsigned Count() { return counted; }

void FailNth(unsigned n) {
  counted = 0;
  failAt = n;
}

unsigned Live() {
  std::lock_guard<std::mutex> lock(slotsMutex);
  return live;
}

}  // namespace library_allocations

using library_allocations::Allocate;
using library_allocations::Untrack;

extern "C" {
void *malloc(size_t size) { return Allocate(size, __builtin_return_address(0)); }

void *calloc(size_t count, size_t size) {
  void *caller = __builtin_return_address(0);
  if (library_allocations::Refuse(caller)) return nullptr;
  void *block = __libc_calloc(count, size);
  if (block && library_allocations::FromLibrary(caller)) library_allocations::Track(block);
  return block;
}

void *realloc(void *block, size_t size) {
  void *caller = __builtin_return_address(0);
  if (library_allocations::Refuse(caller)) return nullptr;
  void *moved = __libc_realloc(block, size);
  if (moved || size == 0) Untrack(block);
  if (moved && library_allocations::FromLibrary(caller)) library_allocations::Track(moved);
  return moved;
}

void free(void *block) {
  Untrack(block);
  __libc_free(block);
}
}

// Each form calls Allocate itself, so that the caller seen is the library's code.
void *operator new(size_t size) {
  void *block = Allocate(size, __builtin_return_address(0));
  if (!block) throw std::bad_alloc();
  return block;
}
void *operator new[](size_t size) {
  void *block = Allocate(size, __builtin_return_address(0));
  if (!block) throw std::bad_alloc();
  return block;
}
void *operator new(size_t size, const std::nothrow_t &) noexcept { return Allocate(size, __builtin_return_address(0)); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept {
  return Allocate(size, __builtin_return_address(0));
}
void operator delete(void *block) noexcept { free(block); }
void operator delete[](void *block) noexcept { free(block); }
void operator delete(void *block, size_t) noexcept { free(block); }
void operator delete[](void *block, size_t) noexcept { free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { free(block); }

#endif
