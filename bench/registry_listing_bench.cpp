// Listing and importing at scale: RegEnumKeyExW and RegEnumValueW over every
// entry of one key, `reg query /s` over a tree, and `reg import` of nested
// keys, each beside the same work on ten times fewer entries.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "platform_seams.h"
#include "tests/support/temp_directory.h"

namespace {

std::u16string Wide(const std::string &text) { return std::u16string(text.begin(), text.end()); }

std::string Numbered(const char *prefix, int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%07lld", prefix, static_cast<long long>(index));
  return name;
}

// HKCU\Software\Listing with `count` subkeys (or values); false on failure.
bool Fill(HKEY *key, int64_t count, bool values) {
  seams::SetRegistryFile("");
  if (RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\Listing"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD data = 1;
  for (int64_t i = 0; i < count; ++i) {
    const std::u16string name = Wide(Numbered(values ? "Value" : "Key", i));
    HKEY child = nullptr;
    LSTATUS rc = values ? RegSetValueExW(*key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), 4)
                        : RegCreateKeyExW(*key, name.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr);
    if (child) RegCloseKey(child);
    if (rc != ERROR_SUCCESS) return false;
  }
  return true;
}

void ListSubkeys(benchmark::State &state) {
  HKEY key = nullptr;
  if (!bench::Check(state, Fill(&key, state.range(0), false), "fill")) return;
  for (auto _ : state) {
    int64_t listed = 0;
    for (DWORD i = 0;; ++i, ++listed) {
      WCHAR name[64];
      DWORD size = 64;
      if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    }
    if (!bench::Check(state, listed == state.range(0), "RegEnumKeyExW")) break;
  }
  RegCloseKey(key);
}

void ListValues(benchmark::State &state) {
  HKEY key = nullptr;
  if (!bench::Check(state, Fill(&key, state.range(0), true), "fill")) return;
  for (auto _ : state) {
    int64_t listed = 0;
    for (DWORD i = 0;; ++i, ++listed) {
      WCHAR name[64];
      BYTE data[16];
      DWORD size = 64, bytes = sizeof data, type = 0;
      if (RegEnumValueW(key, i, name, &size, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
    }
    if (!bench::Check(state, listed == state.range(0), "RegEnumValueW")) break;
  }
  RegCloseKey(key);
}

// The reg program over a registry file of its own, output discarded; its exit status.
int Reg(const std::string &file, const std::string &arguments) {
  const std::string command = "TOVIN_REGISTRY_FILE='" + file + "' '" TOVIN_REG_PATH "' " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

// A regedit file of `count` keys: side by side below one key (two levels, a
// value in each) or each inside the one before.
std::string WriteRegedit(const std::string &directory, int64_t count, bool nested) {
  const std::string path = directory + (nested ? "/nested.reg" : "/tree.reg");
  std::ofstream out(path, std::ios::binary);
  out << "Windows Registry Editor Version 5.00\r\n\r\n";
  std::string key = "HKEY_CURRENT_USER\\Software\\Tree";
  for (int64_t i = 0; i < count; ++i) {
    if (nested)
      key += "\\" + Numbered("N", i);
    std::string at = nested ? key : key + "\\" + Numbered("G", i / 100) + "\\" + Numbered("K", i);
    out << "[" << at << "]\r\n\"v\"=dword:00000001\r\n\r\n";
  }
  return path;
}

void QueryTree(benchmark::State &state) {
  testing_files::TempDirectory directory;
  const std::string file = directory.path() + "/registry.db";
  const std::string source = WriteRegedit(directory.path(), state.range(0), false);
  if (!bench::Check(state, Reg(file, "import '" + source + "'") == 0, "reg import")) return;
  for (auto _ : state)
    if (!bench::Check(state, Reg(file, "query HKCU\\\\Software\\\\Tree /s") == 0, "reg query /s")) break;
}

void ImportNested(benchmark::State &state) {
  testing_files::TempDirectory directory;
  const std::string source = WriteRegedit(directory.path(), state.range(0), true);
  int64_t run = 0;
  for (auto _ : state) {
    const std::string file = directory.path() + "/" + Numbered("registry", run++) + ".db";
    if (!bench::Check(state, Reg(file, "import '" + source + "'") == 0, "reg import")) break;
  }
}

struct Listing {
  const char *name;
  void (*body)(benchmark::State &);
  int64_t fewer;  // the smaller size; the larger is ten times as many
};

const int kRegistered = [] {
  const Listing listings[] = {{"list_subkeys", ListSubkeys, 10000},
                              {"list_values", ListValues, 1000},
                              {"reg_query_tree", QueryTree, 10000},
                              {"reg_import_nested", ImportNested, 50}};
  for (const Listing &l : listings) {
    benchmark::RegisterBenchmark(l.name, l.body)->Arg(l.fewer)->Unit(benchmark::kMillisecond)->UseRealTime();
    // The larger tree takes seconds to build and to query: three runs, not nine.
    auto *more = benchmark::RegisterBenchmark(l.name, l.body)->Arg(l.fewer * 10)->Unit(benchmark::kMillisecond);
    more->UseRealTime();
    if (l.body == QueryTree) more->Repetitions(3);
  }
  return 0;
}();

}  // namespace
