// The loader under the substitute's seams: hidden exports, injected failures
// and the call record; and the substitute's answers where Windows's are not
// recorded: a cut file name ends with a NUL, a data file keeps its path.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform_seams.h"
#include "loader_support.h"
#include "support/text.h"

TEST(LoaderSeams, HiddenExportIsNotFound) {
  seams::Reset();
  HMODULE advapi = GetModuleHandleW(TEXT("Advapi32.dll"));
  ASSERT_NE(advapi, nullptr);
  seams::HideExport("Advapi32.dll", "RegDeleteKeyExW");
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_NE(GetProcAddress(advapi, "RegCreateKeyExW"), nullptr);
  seams::Reset();
  EXPECT_NE(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
}

TEST(LoaderSeams, FaultsFailLoadsAndLookups) {
  seams::Reset();
  const testing_text::WideString plain = testing_text::U16(PLAIN_DLL_PATH);
  seams::SetRecording(true);
  seams::FailOperation("LoadLibraryW", ERROR_ACCESS_DENIED);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(plain.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetModuleHandleW(plain.c_str()), nullptr) << "nothing was loaded";
  auto calls = seams::Calls("LoadLibraryW");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].subject, PLAIN_DLL_PATH);

  seams::FailOperation("GetModuleFileNameW", 0);
  WCHAR buffer[64];
  SetLastError(ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 64), 0u);
  EXPECT_EQ(GetLastError(), 0u);

  seams::FailOperation("GetProcAddress", ERROR_PROC_NOT_FOUND, 0, "Kernel32.dll");
  EXPECT_EQ(GetProcAddress(GetModuleHandleW(TEXT("kernel32.dll")), "lstrlenW"), nullptr);
  EXPECT_NE(GetProcAddress(GetModuleHandleW(TEXT("user32.dll")), "CharNextW"), nullptr);
  EXPECT_EQ(seams::CallCount("GetProcAddress"), 2u);
}

TEST(LoaderSeams, CutFileNameEndsWithANulAndInsufficientBuffer) {
  seams::Reset();
  HMODULE module = LoadLibraryW(testing_text::U16(PLAIN_DLL_PATH).c_str());
  ASSERT_NE(module, nullptr);
  const testing_text::WideString full = testing_text::U16(loader_support::FullPath(PLAIN_DLL_PATH));
  for (DWORD capacity : {DWORD(full.size()), DWORD(5), DWORD(1)}) {
    SCOPED_TRACE(capacity);
    std::vector<WCHAR> buffer(capacity + 4, TEXT('#'));
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(module, buffer.data(), capacity), capacity);
    EXPECT_EQ(testing_text::WideString(buffer.data()), full.substr(0, capacity - 1));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  }
  FreeLibrary(module);
}

TEST(LoaderSeams, DataFileKeepsItsPathUntilFreed) {
  seams::Reset();
  HMODULE data = LoadLibraryExW(testing_text::U16(PLAIN_DLL_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  WCHAR path[1024];
  ASSERT_GT(GetModuleFileNameW(data, path, 1024), 0u);
  EXPECT_EQ(testing_text::U8(path), loader_support::FullPath(PLAIN_DLL_PATH));
  EXPECT_TRUE(FreeLibrary(data));
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(data, path, 1024), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}
