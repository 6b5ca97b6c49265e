// Sections of ELF objects, read from the file itself: nothing is mapped for
// execution and none of the object's code runs.
#pragma once
#include <windows.h>

#include <string>

namespace platform_elf {

// Reads the section called `name` from the ELF object at `path` (32 or 64 bit,
// either byte order), after checking the header, the section header table, the
// section-name table and the extent of every section with file contents
// against the file's size.
// Returns 0 on success, with *found telling whether the object has the section
// and *bytes holding its contents when it has. Fails with ERROR_MOD_NOT_FOUND
// for a missing file, ERROR_ACCESS_DENIED for one that cannot be read and
// ERROR_BAD_EXE_FORMAT for anything that is not a well-formed ELF object.
DWORD ReadSection(const std::string &path, const std::string &name, std::string *bytes, bool *found);

}  // namespace platform_elf
