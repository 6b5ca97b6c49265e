// The substitute's registry against SQLite driven by hand over the same
// tables and statements: a value read on an open key, and a new key created,
// written and closed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "bench/raw_store.h"

namespace {

const WCHAR kBenchKey[] = TEXT("Software\\Bench");
const std::u16string kValueText = u"C:\\Program Files\\Tovin Copy\\TovinCopy.exe";
const DWORD kValueBytes = static_cast<DWORD>((kValueText.size() + 1) * sizeof(WCHAR));

std::u16string KeyName(int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "Key%09lld", static_cast<long long>(index));
  return std::u16string(name, name + std::char_traits<char>::length(name));
}

void ValueRead(benchmark::State &state, int) {
  HKEY key = nullptr;
  if (!bench::Check(state, bench::SetString(kBenchKey, TEXT("Value"), kValueText), "value") ||
      !bench::Check(state, RegOpenKeyExW(HKEY_CURRENT_USER, kBenchKey, 0, KEY_READ, &key) == ERROR_SUCCESS, "open"))
    return;
  BYTE buffer[512];
  for (auto _ : state) {
    DWORD type = 0;
    DWORD size = sizeof buffer;
    LSTATUS rc = RegQueryValueExW(key, TEXT("Value"), nullptr, &type, buffer, &size);
    if (!bench::Check(state, rc == ERROR_SUCCESS && size == kValueBytes, "RegQueryValueExW")) break;
  }
  RegCloseKey(key);
}

void KeyCreateWriteClose(benchmark::State &state, int) {
  int64_t index = 0;
  for (auto _ : state) {
    const std::u16string path = u"Software\\Bench\\" + KeyName(index++);
    HKEY key = nullptr;
    LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (!bench::Check(state, rc == ERROR_SUCCESS, "RegCreateKeyExW")) break;
    rc = RegSetValueExW(key, TEXT("Value"), 0, REG_SZ, reinterpret_cast<const BYTE *>(kValueText.c_str()),
                        kValueBytes);
    RegCloseKey(key);
    if (!bench::Check(state, rc == ERROR_SUCCESS, "RegSetValueExW")) break;
  }
}

// The raw store in the file store's directory, beside the substitute's file.
std::string RawPath(int kind) { return kind == bench::kFile ? bench::StoreFile() + ".raw" : std::string(); }

void RemoveRawFiles(int kind) {
  if (kind != bench::kFile) return;
  for (const char *suffix : {"", "-wal", "-shm"}) std::remove((RawPath(kind) + suffix).c_str());
}

void RawValueRead(benchmark::State &state, int kind) {
  RemoveRawFiles(kind);
  bench::RawStore store(RawPath(kind));
  const std::u16string name = u"Value";
  const std::string fold = bench::FoldName(name);
  if (!bench::Check(state, store.ok() && store.SetValue(store.bench(), name, kValueText.c_str(), kValueBytes),
                    "raw store"))
    return;
  BYTE buffer[512];
  for (auto _ : state)
    if (!bench::Check(state, store.ReadValue(store.bench(), fold, buffer, sizeof buffer) == kValueBytes, "read"))
      break;
}

void RawKeyCreateWrite(benchmark::State &state, int kind) {
  RemoveRawFiles(kind);
  bench::RawStore store(RawPath(kind));
  if (!bench::Check(state, store.ok(), "raw store")) return;
  int64_t index = 0;
  for (auto _ : state) {
    int64_t key = store.CreateKey(KeyName(index++));
    if (!bench::Check(state, key != 0 && store.SetValue(key, u"Value", kValueText.c_str(), kValueBytes), "create"))
      break;
  }
}

[[maybe_unused]] const bool registered = [] {
  bench::RegisterForEachStore("registry_value_read", ValueRead);
  bench::RegisterForEachStore("sqlite_value_read", RawValueRead);
  bench::RegisterForEachStore("registry_key_create_write", KeyCreateWriteClose);
  bench::RegisterForEachStore("sqlite_key_create_write", RawKeyCreateWrite);
  return true;
}();

}  // namespace
