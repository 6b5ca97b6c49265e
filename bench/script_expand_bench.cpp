// Preprocessing of a large script against a plain copy of the same bytes.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "bench/script_generator.h"
#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

namespace {

constexpr int kKeys = 20000;

const std::u16string &Script() {
  static const std::u16string script = bench::GenerateScript(kKeys);
  return script;
}

int64_t ScriptBytes() { return static_cast<int64_t>(Script().size() * sizeof(WCHAR)); }

void ExpandScript(benchmark::State &state) {
  CRegObject registrar;
  registrar.PutReplacement(TEXT("MODULE"), bench::LibraryPath().c_str());
  for (auto _ : state) {
    CRegScriptParser parser(&registrar);
    LPWSTR expanded = nullptr;
    if (!bench::Check(state, parser.ExpandScript(Script().c_str(), &expanded) == S_OK, "ExpandScript")) break;
    benchmark::DoNotOptimize(expanded);
    CoTaskMemFree(expanded);
  }
  state.SetBytesProcessed(state.iterations() * ScriptBytes());
}

void CopyScript(benchmark::State &state) {
  std::vector<char> copy(static_cast<size_t>(ScriptBytes()));
  for (auto _ : state) {
    std::memcpy(copy.data(), Script().data(), copy.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * ScriptBytes());
}

BENCHMARK(ExpandScript)->Name("expand_script")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CopyScript)->Name("memcpy_script")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
