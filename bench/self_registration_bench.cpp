// DllRegisterServer followed by DllUnregisterServer, as an installer and its
// uninstaller call them.
#include <windows.h>

#include "bench/bench_support.h"

namespace {

typedef HRESULT(STDAPICALLTYPE *RegistrationFunction)();

void RegisterAndUnregister(benchmark::State &state, int) {
  auto registerServer = bench::Export<RegistrationFunction>("DllRegisterServer");
  auto unregisterServer = bench::Export<RegistrationFunction>("DllUnregisterServer");
  if (!bench::Check(state, registerServer && unregisterServer, "registration exports")) return;
  for (auto _ : state) {
    if (!bench::Check(state, registerServer() == S_OK, "DllRegisterServer")) break;
    if (!bench::Check(state, unregisterServer() == S_OK, "DllUnregisterServer")) break;
  }
}

[[maybe_unused]] const bool registered = [] {
  bench::RegisterForEachStore("register_unregister", RegisterAndUnregister);
  return true;
}();

}  // namespace
