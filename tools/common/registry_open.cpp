#include "registry_open.h"

#include <registry_extension.h>

namespace tools {

bool OpenRegistryFile(const std::string &file, RegistryUse use, std::string *error) {
  BOOL writable = FALSE;
  const LSTATUS status = RegOpenStoreFile(use == RegistryUse::Write, &writable);
  const std::string name = "The registry file " + file;
  switch (status) {
    case ERROR_SUCCESS:
      if (use == RegistryUse::Read || writable) return true;
      *error = "Access is denied. " + name + " may only be read.";
      return false;
    case ERROR_FILE_NOT_FOUND:
      *error = name + " does not exist.";
      return false;
    case ERROR_ACCESS_DENIED:
      *error = "Access is denied. " + name + " may not be read.";
      return false;
    case ERROR_NOT_REGISTRY_FILE:
      *error = name + " is not a registry database; it was left unchanged.";
      return false;
    case ERROR_BUSY:
      *error = name + " is in use by another program.";
      return false;
    default:
      *error = name + " cannot be opened (error " + std::to_string(status) + ").";
      return false;
  }
}

}  // namespace tools
