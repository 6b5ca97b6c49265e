// What the loader tests ask of the system beneath the loader: whether a file
// is mapped into the process (without asking the loader under test), a
// file's full path, and the program's own path. loader_support_posix.cpp and
// loader_support_win32.cpp answer for each runtime.
#pragma once
#include <string>

namespace loader_support {

// True when the library file at `path` (UTF-8) is mapped into this process.
bool StillMapped(const char *path);
// The full path of an existing file, symbolic links resolved; empty on failure.
std::string FullPath(const char *path);
// The path of the running program.
std::string ProgramPath();

}  // namespace loader_support
