// Runs work on a thread with a stack of a chosen size, as a host's thread has
// (a file manager's or installer's: 1 MiB), and measures how deep it went.
// Builds with address or thread checking enlarge every frame, so the stack
// grows with them: the same work then passes under every build.
#pragma once
#include <pthread.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace testing_stack {

inline constexpr size_t kHostThreadStack = 1024 * 1024;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr size_t kBuildFrameFactor = 4;
#else
inline constexpr size_t kBuildFrameFactor = 1;
#endif

// `bytes` of an uninstrumented build, in this build.
constexpr size_t ScaledForBuild(size_t bytes) { return bytes * kBuildFrameFactor; }

namespace detail {

constexpr unsigned char kUntouched = 0xA5;

template <class Work>
void *RunWork(void *work) {
  (*static_cast<Work *>(work))();
  return nullptr;
}

// Reads what the finished thread left on its stack, including what address
// checking had marked as its frames' guard zones.
__attribute__((no_sanitize_address)) inline size_t TouchedBytes(const unsigned char *stack, size_t size) {
  size_t untouched = 0;
  while (untouched < size && stack[untouched] == kUntouched) ++untouched;
  return size - untouched;
}

}  // namespace detail

// Runs work() to its end on a new thread whose stack is `bytes` long, below
// it an inaccessible page on which an overrun faults. Returns how many bytes
// of the stack were used at the deepest point (the thread's own bookkeeping at
// the top included), or 0 when no thread could be started.
template <class Work>
size_t RunOnStack(size_t bytes, Work &&work) {
  constexpr size_t kPage = 4096;
  bytes = (bytes + kPage - 1) / kPage * kPage;
  void *mapping = mmap(nullptr, kPage + bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return 0;
  mprotect(mapping, kPage, PROT_NONE);
  auto *stack = static_cast<unsigned char *>(mapping) + kPage;
  std::memset(stack, detail::kUntouched, bytes);
  using Body = std::remove_reference_t<Work>;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstack(&attributes, stack, bytes);
  pthread_t thread;
  const bool started = pthread_create(&thread, &attributes, detail::RunWork<Body>, &work) == 0;
  pthread_attr_destroy(&attributes);
  size_t touched = 0;
  if (started) {
    pthread_join(thread, nullptr);
    touched = detail::TouchedBytes(stack, bytes);
  }
  munmap(mapping, kPage + bytes);
  return touched;
}

}  // namespace testing_stack
