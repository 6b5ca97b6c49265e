#include "scratch_registry.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "file_bytes.h"

ScratchRegistry::~ScratchRegistry() {
  std::error_code ignored;
  if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
}

bool ScratchRegistry::Open(const std::string &original, std::string *error) {
  std::error_code code;
  std::filesystem::path temp = std::filesystem::temp_directory_path(code);
  if (code) temp = "/tmp";
  std::string pattern = (temp / "regsvr-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    *error = "cannot create a temporary directory in " + temp.string();
    return false;
  }
  directory_ = pattern;
  file_ = directory_ + "/registry.db";
  // Committed transactions may still sit in the log beside the file.
  for (const char *suffix : {"", "-wal"}) {
    const std::string from = original + suffix;
    if (!tools::FileExists(from)) continue;
    std::string reason;
    if (!tools::CopyFileBytes(from, file_ + suffix, &reason)) {
      *error = "cannot copy the registry file " + from + ": " + reason;
      std::filesystem::remove_all(directory_, code);
      directory_.clear();
      return false;
    }
  }
  ::setenv("TOVIN_REGISTRY_FILE", file_.c_str(), 1);
  return true;
}
