// The host support that needs the Windows system: whether the library is
// mapped, and the environment the echo program inherits.
#include <windows.h>

#include "host_support.h"

namespace host {

bool LibraryMapped() { return GetModuleHandleW(LibraryPath().c_str()) != nullptr; }

void SetEchoOutput(const std::string &path) {
  SetEnvironmentVariableA("ACTIVATION_ECHO_OUTPUT", path.c_str());
}

}  // namespace host
