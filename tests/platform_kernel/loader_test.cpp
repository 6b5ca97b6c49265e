// The loader: entry-function protocol, reference counts, module handles and
// names, and the system libraries' pseudo modules.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "loader_support.h"
#include "support/temp_directory.h"
#include "support/text.h"
#include "test_events.h"

using loader_support::FullPath;
using loader_support::StillMapped;
using testing_text::U16;
using testing_text::U8;
using testing_text::WideString;

namespace {

std::mutex eventsMutex;
std::vector<std::pair<std::string, HMODULE>> events;

std::vector<std::string> EventNames() {
  std::lock_guard<std::mutex> lock(eventsMutex);
  std::vector<std::string> names;
  for (auto &e : events) names.push_back(e.first);
  return names;
}

HMODULE EventModule(const std::string &name) {
  std::lock_guard<std::mutex> lock(eventsMutex);
  for (auto &e : events)
    if (e.first == name) return e.second;
  return nullptr;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    std::lock_guard<std::mutex> lock(eventsMutex);
    events.clear();
  }
  const WideString plain = U16(PLAIN_DLL_PATH);
  const WideString refusing = U16(REFUSING_DLL_PATH);
};

}  // namespace

extern "C" KERNEL_TEST_EXPORT void KernelTestRecordEvent(const char *event, HMODULE module) {
  std::lock_guard<std::mutex> lock(eventsMutex);
  events.emplace_back(event, module);
}

TEST_F(Loader, RefusedLoadIsDetachedUnloadedAndFailsWithInitFailed) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(refusing.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"construct", "attach", "detach", "destruct"}));
  EXPECT_FALSE(StillMapped(REFUSING_DLL_PATH));
  EXPECT_EQ(GetModuleHandleW(refusing.c_str()), nullptr);
}

TEST_F(Loader, AcceptedLoadConstructsThenAttachesAndCountsReferences) {
  HMODULE first = LoadLibraryW(plain.c_str());
  ASSERT_NE(first, nullptr);
  HMODULE second = LoadLibraryW(plain.c_str());
  EXPECT_EQ(second, first);
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"construct", "attach"}));
  // The handle the library found for itself while being constructed is the one LoadLibraryW returns.
  EXPECT_EQ(EventModule("construct"), first);
  EXPECT_EQ(EventModule("attach"), first);
  EXPECT_EQ(GetModuleHandleW(plain.c_str()), first);

  ASSERT_TRUE(FreeLibrary(first));
  EXPECT_EQ(EventNames().size(), 2u);
  EXPECT_TRUE(StillMapped(PLAIN_DLL_PATH));
  ASSERT_TRUE(FreeLibrary(second));
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"construct", "attach", "detach", "destruct"}));
  EXPECT_FALSE(StillMapped(PLAIN_DLL_PATH));
  EXPECT_EQ(GetModuleHandleW(plain.c_str()), nullptr);
}

TEST_F(Loader, FileNameIsKnownDuringConstructionAndCutToCapacity) {
  HMODULE module = LoadLibraryW(plain.c_str());
  ASSERT_NE(module, nullptr);
  const std::string resolved = FullPath(PLAIN_DLL_PATH);
  ASSERT_FALSE(resolved.empty());
  const WideString full = U16(resolved);
  auto constructedPath = reinterpret_cast<const WCHAR *(*)()>(
      reinterpret_cast<void *>(GetProcAddress(module, "PlainDllConstructedPath")));
  ASSERT_NE(constructedPath, nullptr);
  EXPECT_EQ(U8(constructedPath()), resolved);

  // A short buffer takes what fits; whether its last unit is the NUL is the
  // substitute's own answer (loader_seams_test.cpp).
  const DWORD n = DWORD(full.size());
  struct Case {
    DWORD capacity;
    DWORD result;
    WideString text;  // the buffer's first units
  } cases[] = {
      {n + 10, n, full + WideString(1, 0)},
      {n + 1, n, full + WideString(1, 0)},
      {n, n, full.substr(0, n - 1)},
      {5, 5, full.substr(0, 4)},
      {1, 1, TEXT("")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.capacity);
    std::vector<WCHAR> buffer(c.capacity + 4, TEXT('#'));
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(module, buffer.data(), c.capacity), c.result);
    EXPECT_EQ(WideString(buffer.data(), c.text.size()), c.text);
    EXPECT_EQ(buffer[c.capacity], TEXT('#'));
    if (c.capacity > n) {
      EXPECT_EQ(GetLastError(), 0u);
    }
  }
  FreeLibrary(module);
}

TEST_F(Loader, BadModulesAndFilesFailWithTheirCodes) {
  testing_files::TempDirectory directory;
  ASSERT_FALSE(directory.path().empty());
  const std::string textFile = directory.path() + "/not_a_library.dll";
  std::ofstream(textFile) << "not a library\n";
  struct Case {
    WideString name;
    DWORD error;
  } cases[] = {
      {TEXT("/nonexistent/dir/library.dll"), ERROR_MOD_NOT_FOUND},
      {TEXT("no_such_library.dll"), ERROR_MOD_NOT_FOUND},
      {U16(textFile), ERROR_BAD_EXE_FORMAT},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(U8(c.name));
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(c.name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }

  WCHAR buffer[16];
  int local = 0;
  HMODULE bogus = reinterpret_cast<HMODULE>(&local);
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(bogus, buffer, 16), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleW(TEXT("no_such_library.dll")), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(bogus, "DllMain"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

// A data file's handle serves the resource functions only (its path is the substitute's own extra).
TEST_F(Loader, DataFileLoadRunsNoCode) {
  HMODULE data = LoadLibraryExW(plain.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(EventNames().empty());
  EXPECT_EQ(GetProcAddress(data, "DllMain"), nullptr);

  HMODULE code = LoadLibraryW(plain.c_str());
  ASSERT_NE(code, nullptr);
  EXPECT_NE(code, data);
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"construct", "attach"}));
  EXPECT_TRUE(FreeLibrary(code));
  EXPECT_TRUE(FreeLibrary(data));
}

TEST_F(Loader, ModuleHandleExTakesAndLeavesReferences) {
  HMODULE module = LoadLibraryW(plain.c_str());
  ASSERT_NE(module, nullptr);
  HMODULE found = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(0, plain.c_str(), &found));
  EXPECT_EQ(found, module);
  FreeLibrary(module);
  EXPECT_TRUE(StillMapped(PLAIN_DLL_PATH));  // the reference GetModuleHandleExW took
  FreeLibrary(found);
  EXPECT_FALSE(StillMapped(PLAIN_DLL_PATH));

  struct Case {
    DWORD flags;
    const void *name;
  } invalid[] = {
      {GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, nullptr},
      {0x100, nullptr},
  };
  for (const Case &c : invalid) {
    found = reinterpret_cast<HMODULE>(1);
    SetLastError(0);
    EXPECT_FALSE(GetModuleHandleExW(c.flags, static_cast<LPCWSTR>(c.name), &found));
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  int local = 0;
  EXPECT_FALSE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCWSTR>(&local), &found));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Loader, MainProgramIsTheNullModule) {
  HMODULE main = GetModuleHandleW(nullptr);
  ASSERT_NE(main, nullptr);
  HMODULE fromAddress = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCWSTR>(&KernelTestRecordEvent), &fromAddress));
  EXPECT_EQ(fromAddress, main);
  WCHAR viaNull[1024], viaHandle[1024];
  ASSERT_GT(GetModuleFileNameW(nullptr, viaNull, 1024), 0u);
  ASSERT_GT(GetModuleFileNameW(main, viaHandle, 1024), 0u);
  const std::string self = loader_support::ProgramPath();
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(U8(viaNull), self);
  EXPECT_EQ(U8(viaHandle), self);
  for (HMODULE module : {static_cast<HMODULE>(nullptr), main}) {
    EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(module, "KernelTestRecordEvent")),
              reinterpret_cast<void *>(&KernelTestRecordEvent));
  }
}

TEST_F(Loader, SystemLibrariesAnswerByAnyFormOfTheirNames) {
  HMODULE advapi = GetModuleHandleW(TEXT("Advapi32.dll"));
  ASSERT_NE(advapi, nullptr);
  for (const WCHAR *alias : {TEXT("advapi32"), TEXT("ADVAPI32.DLL"), TEXT("AdVaPi32")}) EXPECT_EQ(GetModuleHandleW(alias), advapi);
  HMODULE oleaut = GetModuleHandleW(TEXT("OLEAUT32.DLL"));
  ASSERT_NE(oleaut, nullptr);
  EXPECT_NE(oleaut, advapi);
  EXPECT_EQ(LoadLibraryW(TEXT("oleaut32.dll")), oleaut);
  EXPECT_TRUE(FreeLibrary(oleaut));

  EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(TEXT("kernel32")), "lstrlenW")),
            reinterpret_cast<void *>(&lstrlenW));
  EXPECT_NE(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(advapi, "malloc"), nullptr);  // the C library's, not the substitute's
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(advapi, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
}

