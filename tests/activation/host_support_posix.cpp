// The host support that needs the POSIX system under the substitute: the
// process's mappings and environment.
// host_support_win32.cpp is its counterpart in the Windows test tree.
#include <stdlib.h>

#include <fstream>
#include <string>

#include "host_support.h"

namespace host {

bool LibraryMapped() {
  char resolved[4096];
  if (!realpath(TOVINCOPYSHL_PATH, resolved)) return false;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find(resolved) != std::string::npos) return true;
  return false;
}

void SetEchoOutput(const std::string &path) { setenv("ACTIVATION_ECHO_OUTPUT", path.c_str(), 1); }

}  // namespace host
