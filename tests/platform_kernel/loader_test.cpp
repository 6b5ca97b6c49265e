// The loader: entry-function protocol, reference counts, module handles and
// names, and the system libraries' pseudo modules.
#include <windows.h>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform_seams.h"
#include "support/text.h"
#include "test_events.h"

using testing_text::U16;
using testing_text::U8;

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

bool StillMapped(const char *path) {
  void *dl = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
  if (dl) dlclose(dl);
  return dl != nullptr;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    std::lock_guard<std::mutex> lock(eventsMutex);
    events.clear();
  }
  const std::u16string plain = U16(PLAIN_DLL_PATH);
  const std::u16string refusing = U16(REFUSING_DLL_PATH);
};

}  // namespace

extern "C" void KernelTestRecord(const char *event, HMODULE module) {
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
  char resolved[PATH_MAX];
  ASSERT_NE(realpath(PLAIN_DLL_PATH, resolved), nullptr);
  const std::u16string full = U16(resolved);
  auto constructedPath = reinterpret_cast<const WCHAR *(*)()>(
      reinterpret_cast<void *>(GetProcAddress(module, "PlainDllConstructedPath")));
  ASSERT_NE(constructedPath, nullptr);
  EXPECT_EQ(U8(constructedPath()), resolved);

  const DWORD n = DWORD(full.size());
  struct Case {
    DWORD capacity;
    DWORD result;
    std::u16string text;
    DWORD error;  // 0: untouched
  } cases[] = {
      {n + 10, n, full, 0},
      {n + 1, n, full, 0},
      {n, n, full.substr(0, n - 1), ERROR_INSUFFICIENT_BUFFER},
      {5, 5, full.substr(0, 4), ERROR_INSUFFICIENT_BUFFER},
      {1, 1, u"", ERROR_INSUFFICIENT_BUFFER},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.capacity);
    std::vector<WCHAR> buffer(c.capacity + 4, u'#');
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(module, buffer.data(), c.capacity), c.result);
    EXPECT_EQ(std::u16string(buffer.data()), c.text);
    EXPECT_EQ(buffer[c.capacity], u'#');
    EXPECT_EQ(GetLastError(), c.error);
  }
  FreeLibrary(module);
}

TEST_F(Loader, BadModulesAndFilesFailWithTheirCodes) {
  char textFile[] = "/tmp/kernel_not_a_library_XXXXXX";
  int fd = mkstemp(textFile);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "not a library\n", 14), 14);
  close(fd);
  struct Case {
    std::u16string name;
    DWORD error;
  } cases[] = {
      {u"/nonexistent/dir/library.so", ERROR_MOD_NOT_FOUND},
      {u"no_such_library.dll", ERROR_MOD_NOT_FOUND},
      {U16(textFile), ERROR_BAD_EXE_FORMAT},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(U8(c.name));
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(c.name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  unlink(textFile);

  WCHAR buffer[16];
  int local = 0;
  HMODULE bogus = reinterpret_cast<HMODULE>(&local);
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(bogus, buffer, 16), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleW(u"no_such_library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(bogus, "DllMain"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Loader, DataFileLoadRunsNoCodeAndKeepsThePath) {
  HMODULE data = LoadLibraryExW(plain.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(EventNames().empty());
  EXPECT_EQ(GetProcAddress(data, "DllMain"), nullptr);
  WCHAR path[PATH_MAX];
  char resolved[PATH_MAX];
  ASSERT_NE(realpath(PLAIN_DLL_PATH, resolved), nullptr);
  ASSERT_GT(GetModuleFileNameW(data, path, PATH_MAX), 0u);
  EXPECT_EQ(U8(path), resolved);

  HMODULE code = LoadLibraryW(plain.c_str());
  ASSERT_NE(code, nullptr);
  EXPECT_NE(code, data);
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"construct", "attach"}));
  EXPECT_TRUE(FreeLibrary(code));
  EXPECT_TRUE(FreeLibrary(data));
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(data, path, PATH_MAX), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
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
                                 reinterpret_cast<LPCWSTR>(&KernelTestRecord), &fromAddress));
  EXPECT_EQ(fromAddress, main);
  WCHAR viaNull[PATH_MAX], viaHandle[PATH_MAX];
  ASSERT_GT(GetModuleFileNameW(nullptr, viaNull, PATH_MAX), 0u);
  ASSERT_GT(GetModuleFileNameW(main, viaHandle, PATH_MAX), 0u);
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  EXPECT_EQ(U8(viaNull), self);
  EXPECT_EQ(U8(viaHandle), self);
  EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(nullptr, "KernelTestRecord")),
            reinterpret_cast<void *>(&KernelTestRecord));
}

TEST_F(Loader, SystemLibrariesResolveToTheSubstitutesOwnExports) {
  HMODULE advapi = GetModuleHandleW(u"Advapi32.dll");
  ASSERT_NE(advapi, nullptr);
  for (const char16_t *alias : {u"advapi32", u"ADVAPI32.DLL", u"AdVaPi32"}) EXPECT_EQ(GetModuleHandleW(alias), advapi);
  HMODULE oleaut = GetModuleHandleW(u"OLEAUT32.DLL");
  ASSERT_NE(oleaut, nullptr);
  EXPECT_NE(oleaut, advapi);
  EXPECT_EQ(LoadLibraryW(u"oleaut32.dll"), oleaut);
  EXPECT_TRUE(FreeLibrary(oleaut));

  EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(u"kernel32"), "lstrlenW")),
            reinterpret_cast<void *>(&lstrlenW));
  EXPECT_NE(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(advapi, "malloc"), nullptr);  // the C library's, not the substitute's
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(advapi, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));

  seams::HideExport("Advapi32.dll", "RegDeleteKeyExW");
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_NE(GetProcAddress(advapi, "RegCreateKeyExW"), nullptr);
  seams::Reset();
  EXPECT_NE(GetProcAddress(advapi, "RegDeleteKeyExW"), nullptr);
}

TEST_F(Loader, SeamsFailLoadsAndLookups) {
  seams::SetRecording(true);
  seams::FailOperation("LoadLibraryW", ERROR_ACCESS_DENIED);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(plain.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(EventNames().empty());
  auto calls = seams::Calls("LoadLibraryW");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].subject, PLAIN_DLL_PATH);

  seams::FailOperation("GetModuleFileNameW", 0);
  WCHAR buffer[64];
  SetLastError(ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 64), 0u);
  EXPECT_EQ(GetLastError(), 0u);

  seams::FailOperation("GetProcAddress", ERROR_PROC_NOT_FOUND, 0, "Kernel32.dll");
  EXPECT_EQ(GetProcAddress(GetModuleHandleW(u"kernel32.dll"), "lstrlenW"), nullptr);
  EXPECT_NE(GetProcAddress(GetModuleHandleW(u"user32.dll"), "CharNextW"), nullptr);
  EXPECT_EQ(seams::CallCount("GetProcAddress"), 2u);
}
