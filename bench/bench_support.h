// What the benchmarks share: the registry store a benchmark runs over, the
// built library as the file manager loads it, and small registry helpers.
#pragma once
#include <windows.h>

#include <string>

#include <benchmark/benchmark.h>

namespace bench {

// The store kinds a benchmark runs over, given as its argument.
enum StoreKind : int { kMemory = 0, kFile = 1 };
const char *StoreName(int kind);

// Gives the process a new, empty registry store of `kind`: the in-memory one,
// or a fresh database file in a private directory (removed at exit).
void UseStore(int kind);
// The file the file store lives in.
const std::string &StoreFile();
// Registers `name`/memory and `name`/file, each running `body` over a new
// store of its kind; times in microseconds of wall-clock time.
void RegisterForEachStore(const std::string &name, void (*body)(benchmark::State &, int));

// The built library, loaded once with LoadLibraryW; null (with a message on
// standard error) when it can't be loaded.
HMODULE Library();
// An export of the library as a function pointer of type F, or null.
template <class F>
F Export(const char *name) {
  HMODULE library = Library();
  // Through void(*)(): an export's address carries no signature of its own.
  return library ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name))) : nullptr;
}
// The library's file path as UTF-16.
std::u16string LibraryPath();

// Writes the REG_SZ `text` as `name` of HKCU\`keyPath`, creating the key;
// false on failure.
bool SetString(LPCWSTR keyPath, LPCWSTR name, const std::u16string &text);

// Marks the benchmark failed with `what` unless `ok`; returns `ok`, so that a
// loop can stop at the first failure.
bool Check(benchmark::State &state, bool ok, const char *what);

}  // namespace bench
