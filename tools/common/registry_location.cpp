#include "registry_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tools {
namespace {

constexpr char kVariable[] = "TOVIN_REGISTRY_FILE";
constexpr char kOption[] = "--registry";

// Creates every missing directory of `dir`; false with *error when one cannot be made.
bool MakeDirectories(const std::string &dir, std::string *error) {
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string part = dir.substr(0, slash);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = "cannot create directory " + part + ": " + std::strerror(errno);
      return false;
    }
    if (slash == std::string::npos) return true;
  }
}

// Takes "--registry FILE" or "--registry=FILE" out of *args. Returns false for
// the option without a file; *file stays empty when the option is absent.
bool TakeOption(std::vector<std::string> *args, std::string *file) {
  const size_t length = std::strlen(kOption);
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string &arg = (*args)[i];
    if (arg == kOption) {
      if (i + 1 >= args->size() || (*args)[i + 1].empty()) return false;
      *file = (*args)[i + 1];
      args->erase(args->begin() + i, args->begin() + i + 2);
      return true;
    }
    if (arg.compare(0, length + 1, std::string(kOption) + "=") == 0) {
      *file = arg.substr(length + 1);
      if (file->empty()) return false;
      args->erase(args->begin() + i);
      return true;
    }
  }
  return true;
}

}  // namespace

std::string DefaultRegistryFile(const char *xdgStateHome, const char *home) {
  std::string base;
  // Relative values of XDG_STATE_HOME are to be ignored.
  if (xdgStateHome && xdgStateHome[0] == '/') {
    base = xdgStateHome;
  } else {
    std::string homeDir = home && *home ? home : "";
    if (homeDir.empty()) {
      if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir) homeDir = entry->pw_dir;
    }
    if (homeDir.empty()) return std::string();
    base = homeDir + "/.local/state";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/tovincopyshl/registry.db";
}

bool ChooseRegistryFile(std::vector<std::string> *args, std::string *file, std::string *error) {
  std::string chosen;
  if (!TakeOption(args, &chosen)) {
    *error = std::string(kOption) + " needs a file name";
    return false;
  }
  if (chosen.empty()) {
    const char *variable = std::getenv(kVariable);
    if (variable && *variable) chosen = variable;
  }
  if (chosen.empty()) {
    chosen = DefaultRegistryFile(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    if (chosen.empty()) {
      *error = "no home directory for the registry file; use --registry FILE";
      return false;
    }
    if (!MakeDirectories(chosen.substr(0, chosen.rfind('/')), error)) return false;
  }
  ::setenv(kVariable, chosen.c_str(), 1);
  if (file) *file = chosen;
  return true;
}

}  // namespace tools
