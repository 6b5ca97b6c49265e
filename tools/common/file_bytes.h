// Whole files in and out.
#pragma once
#include <string>

namespace tools {

// Reads the file at `path` (UTF-8) into *out. Returns false with *error (the
// system's reason, UTF-8) when it cannot be opened or read.
bool ReadFileBytes(const std::string &path, std::string *out, std::string *error);

// Replaces the file at `path` with `bytes`, creating it when missing. Returns
// false with *error when it cannot be written completely.
bool WriteFileBytes(const std::string &path, const std::string &bytes, std::string *error);

// Whether something exists at `path`.
bool FileExists(const std::string &path);

}  // namespace tools
