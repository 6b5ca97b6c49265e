// Identities of the current process and thread, and sleeping.
#include <windows.h>

#include <cerrno>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0xFFFFFFFF) {  // INFINITE
    for (;;) pause();
  }
  timespec rest{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}
