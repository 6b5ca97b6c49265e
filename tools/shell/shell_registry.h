// Where the registry lives for this program.
#pragma once
#include <string>

// Makes the registry the file `path` by setting TOVIN_REGISTRY_FILE; call
// before the first registry call. Returns false when the environment cannot
// be changed.
bool UseRegistryFile(const std::string &path);
