#include "bench/bench_support.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform_seams.h"
#include "tests/support/temp_directory.h"

namespace bench {
namespace {

testing_files::TempDirectory &Scratch() {
  static testing_files::TempDirectory directory;
  return directory;
}

}  // namespace

const char *StoreName(int kind) { return kind == kFile ? "file" : "memory"; }

const std::string &StoreFile() {
  static const std::string file = Scratch().path() + "/registry.db";
  return file;
}

void UseStore(int kind) {
  if (kind != kFile) {
    seams::SetRegistryFile("");
    return;
  }
  // Closed first, so that the database and its journal files go together.
  seams::SetRegistryFile("");
  std::error_code ignored;
  for (const char *suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(StoreFile() + suffix, ignored);
  seams::SetRegistryFile(StoreFile());
}

void RegisterForEachStore(const std::string &name, void (*body)(benchmark::State &, int)) {
  for (int kind : {kMemory, kFile}) {
    benchmark::RegisterBenchmark((name + "/" + StoreName(kind)).c_str(), [body, kind](benchmark::State &state) {
      UseStore(kind);
      body(state, kind);
    })->Unit(benchmark::kMicrosecond)->UseRealTime();
  }
}

std::u16string LibraryPath() {
  const std::string path = TOVINCOPYSHL_PATH;
  return std::u16string(path.begin(), path.end());
}

HMODULE Library() {
  static HMODULE library = [] {
    HMODULE loaded = LoadLibraryW(LibraryPath().c_str());
    if (!loaded) std::fprintf(stderr, "cannot load %s\n", TOVINCOPYSHL_PATH);
    return loaded;
  }();
  return library;
}

bool SetString(LPCWSTR keyPath, LPCWSTR name, const std::u16string &text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  LSTATUS rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool Check(benchmark::State &state, bool ok, const char *what) {
  if (!ok) state.SkipWithError(what);
  return ok;
}

}  // namespace bench
