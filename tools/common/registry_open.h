// Opening the host programs' registry file before the first registry call.
#pragma once
#include <string>

namespace tools {

enum class RegistryUse { Read, Write };

// Opens `file` (the choice of ChooseRegistryFile) for `use`: Read leaves a
// missing file missing and reports it; Write creates it when missing and
// refuses a file that may only be read. Returns true when the registry
// calls to come can work; else false with *error, a sentence naming the file
// (UTF-8): missing, may not be read, may only be read, not a registry
// database, in use too long by another program, or cannot be opened.
bool OpenRegistryFile(const std::string &file, RegistryUse use, std::string *error);

}  // namespace tools
