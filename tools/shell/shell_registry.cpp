#include "shell_registry.h"

#include <cstdlib>

bool UseRegistryFile(const std::string &path) { return setenv("TOVIN_REGISTRY_FILE", path.c_str(), 1) == 0; }
