// Where the host programs keep their shared registry database file.
#pragma once
#include <string>
#include <vector>

namespace tools {

// The default database file: $XDG_STATE_HOME/tovincopyshl/registry.db when
// that variable holds an absolute path, else $HOME/.local/state/tovincopyshl/
// registry.db (HOME from the password database when unset). Empty when no
// home directory can be found. Pure: reads the values it is given.
std::string DefaultRegistryFile(const char *xdgStateHome, const char *home);

// Chooses the registry file for this process; call it before the first
// registry call. Precedence: "--registry FILE" (or "--registry=FILE") in
// *args, which is removed from *args; else a non-empty TOVIN_REGISTRY_FILE;
// else the default, whose directories are created (mode 0700) when missing.
// Sets TOVIN_REGISTRY_FILE to the choice and writes it to *file (may be null).
// Returns false with *error (UTF-8) for "--registry" without a file name or a
// default directory that cannot be made; the environment is then unchanged.
bool ChooseRegistryFile(std::vector<std::string> *args, std::string *file, std::string *error);

}  // namespace tools
