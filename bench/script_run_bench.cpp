// The registrar's interpreter registering and removing generated scripts of
// growing size: the cost should grow with the script, not faster.
#include <windows.h>

#include "bench/bench_support.h"
#include "bench/script_generator.h"
#include "registrar/reg_object.h"
#include "registrar/script_parser.h"

namespace {

void RunScript(benchmark::State &state, int keys) {
  bench::UseStore(bench::kMemory);
  const std::u16string script = bench::GenerateScript(keys);
  CRegObject registrar;
  registrar.PutReplacement(TEXT("MODULE"), bench::LibraryPath().c_str());
  for (auto _ : state) {
    CRegScriptParser registering(&registrar);
    if (!bench::Check(state, registering.RunScript(script.c_str(), true) == S_OK, "register pass")) break;
    CRegScriptParser removing(&registrar);
    if (!bench::Check(state, removing.RunScript(script.c_str(), false) == S_OK, "unregister pass")) break;
  }
  state.SetItemsProcessed(state.iterations() * keys);
}

[[maybe_unused]] const bool registered = [] {
  for (int keys : {1000, 10000, 100000}) {
    auto *run = benchmark::RegisterBenchmark(("run_script/" + std::to_string(keys)).c_str(), RunScript, keys);
    run->Unit(benchmark::kMillisecond)->UseRealTime();
    // Seconds a run: three runs give its median.
    if (keys == 100000) run->Repetitions(3);
  }
  return true;
}();

}  // namespace
