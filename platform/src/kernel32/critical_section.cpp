// Critical sections: a recursive pthread mutex kept behind DebugInfo.
#include <windows.h>

#include <new>
#include <pthread.h>

#include "core/seams_internal.h"

namespace {

struct Lock {
  pthread_mutex_t mutex;
};

Lock *LockOf(LPCRITICAL_SECTION cs) { return cs ? reinterpret_cast<Lock *>(cs->DebugInfo) : nullptr; }

// Returns the new lock, or null when memory or the mutex cannot be had.
Lock *NewLock() {
  Lock *lock = new (std::nothrow) Lock;
  if (!lock) return nullptr;
  pthread_mutexattr_t attr;
  bool ok = pthread_mutexattr_init(&attr) == 0;
  ok = ok && pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
       pthread_mutex_init(&lock->mutex, &attr) == 0;
  pthread_mutexattr_destroy(&attr);
  if (!ok) {
    delete lock;
    return nullptr;
  }
  return lock;
}

void Attach(LPCRITICAL_SECTION cs, Lock *lock, DWORD spinCount) {
  cs->DebugInfo = reinterpret_cast<PRTL_CRITICAL_SECTION_DEBUG>(lock);
  cs->LockCount = -1;
  cs->RecursionCount = 0;
  cs->OwningThread = nullptr;
  cs->LockSemaphore = nullptr;
  cs->SpinCount = spinCount;
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  uint32_t code = 0;
  if (seams::Enter("InitializeCriticalSection", "", "", &code)) RaiseException(code, 0, 0, nullptr);
  if (!lpCriticalSection) RaiseException(STATUS_ACCESS_VIOLATION, 0, 0, nullptr);
  Lock *lock = NewLock();
  if (!lock) RaiseException(STATUS_NO_MEMORY, 0, 0, nullptr);
  Attach(lpCriticalSection, lock, 0);
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount) {
  uint32_t code = 0;
  if (seams::Enter("InitializeCriticalSectionAndSpinCount", "", std::to_string(dwSpinCount), &code)) {
    SetLastError(code);
    return FALSE;
  }
  if (!lpCriticalSection) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Lock *lock = NewLock();
  if (!lock) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  Attach(lpCriticalSection, lock, dwSpinCount);
  return TRUE;
}

// A section that was never initialised (or was deleted) has no lock; entering
// and leaving it do nothing rather than touch memory that is not a mutex.
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  Lock *lock = LockOf(lpCriticalSection);
  if (!lock) return;
  pthread_mutex_lock(&lock->mutex);
  ++lpCriticalSection->RecursionCount;
  lpCriticalSection->OwningThread = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  Lock *lock = LockOf(lpCriticalSection);
  if (!lock || pthread_mutex_trylock(&lock->mutex) != 0) return FALSE;
  ++lpCriticalSection->RecursionCount;
  lpCriticalSection->OwningThread = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
  return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  Lock *lock = LockOf(lpCriticalSection);
  // Only the owner may leave; anyone else would corrupt the counts.
  if (!lock || lpCriticalSection->RecursionCount <= 0 ||
      lpCriticalSection->OwningThread != reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId())))
    return;
  if (--lpCriticalSection->RecursionCount == 0) lpCriticalSection->OwningThread = nullptr;
  pthread_mutex_unlock(&lock->mutex);
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  Lock *lock = LockOf(lpCriticalSection);
  if (!lock) return;
  pthread_mutex_destroy(&lock->mutex);
  delete lock;
  lpCriticalSection->DebugInfo = nullptr;
  lpCriticalSection->LockCount = -1;
  lpCriticalSection->RecursionCount = 0;
  lpCriticalSection->OwningThread = nullptr;
}
