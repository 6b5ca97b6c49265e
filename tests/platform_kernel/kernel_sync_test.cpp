// Last error, structured exceptions, critical sections and interlocked operations.
#include <windows.h>
#include <excpt.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform_seams.h"

namespace {

class KernelSync : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
};

// Whether another thread can enter the section right now.
bool OtherThreadCanEnter(CRITICAL_SECTION *cs) {
  bool entered = false;
  std::thread([&] {
    entered = TryEnterCriticalSection(cs);
    if (entered) LeaveCriticalSection(cs);
  }).join();
  return entered;
}

}  // namespace

TEST_F(KernelSync, LastErrorBelongsToEachThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 1, setByOther = 0;
  std::thread([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_MORE_DATA);
    setByOther = GetLastError();
  }).join();
  EXPECT_EQ(seenByOther, 0u);
  EXPECT_EQ(setByOther, DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(KernelSync, RaiseExceptionThrowsItsCode) {
  try {
    RaiseException(0xE0000001, 0, 0, nullptr);
    FAIL() << "no exception";
  } catch (const PLATFORM_STRUCTURED_EXCEPTION &e) {
    EXPECT_EQ(e.code, 0xE0000001u);
  }
}

TEST_F(KernelSync, InitializationFaultsRaiseOrReport) {
  seams::FailOperation("InitializeCriticalSection", STATUS_NO_MEMORY, 2);
  CRITICAL_SECTION first{}, second{}, third{};
  InitializeCriticalSection(&first);
  DWORD raised = 0;
  try {
    InitializeCriticalSection(&second);
  } catch (const PLATFORM_STRUCTURED_EXCEPTION &e) {
    raised = e.code;
  }
  EXPECT_EQ(raised, STATUS_NO_MEMORY);
  EXPECT_EQ(second.DebugInfo, nullptr);  // left as the caller zeroed it
  InitializeCriticalSection(&third);     // only the second call fails
  DeleteCriticalSection(&first);
  DeleteCriticalSection(&third);

  seams::FailOperation("InitializeCriticalSectionAndSpinCount", ERROR_NOT_ENOUGH_MEMORY);
  CRITICAL_SECTION spun{};
  SetLastError(0);
  EXPECT_FALSE(InitializeCriticalSectionAndSpinCount(&spun, 4000));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  seams::ClearFaults();
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&spun, 4000));
  DeleteCriticalSection(&spun);
}

TEST_F(KernelSync, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION cs{};
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));  // recursion on the owning thread
  EXPECT_EQ(cs.RecursionCount, 2);
  EXPECT_FALSE(OtherThreadCanEnter(&cs));
  LeaveCriticalSection(&cs);
  EXPECT_FALSE(OtherThreadCanEnter(&cs));
  std::thread([&] { LeaveCriticalSection(&cs); }).join();  // a non-owner cannot release it
  EXPECT_FALSE(OtherThreadCanEnter(&cs));
  LeaveCriticalSection(&cs);
  EXPECT_TRUE(OtherThreadCanEnter(&cs));

  long counter = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        EnterCriticalSection(&cs);
        ++counter;
        LeaveCriticalSection(&cs);
      }
    });
  for (auto &w : workers) w.join();
  EXPECT_EQ(counter, 40000);
  DeleteCriticalSection(&cs);
  EXPECT_EQ(cs.DebugInfo, nullptr);
}

TEST_F(KernelSync, InterlockedOperationsReturnSdkValues) {
  LONG volatile value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 8), 9);  // no match: unchanged
  EXPECT_EQ(value, 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(value, 1);

  LONG volatile shared = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(&shared);
        InterlockedIncrement(&shared);
        InterlockedDecrement(&shared);
      }
    });
  for (auto &w : workers) w.join();
  EXPECT_EQ(shared, 40000);
}
