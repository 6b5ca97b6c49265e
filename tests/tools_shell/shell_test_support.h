// Test support for the shell stand-in: registrations written with Reg*
// calls, scratch directories, and running the `shell` program.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "support/temp_directory.h"

namespace shell_test {

// {1955A1E8-C828-42AF-A571-081D65B07B83}, the extension's class.
extern const char16_t kExtensionClsid[];

// Sets a REG_SZ value (name null: the default value), creating the key.
void SetText(HKEY root, const std::u16string &path, const char16_t *name, const std::u16string &value);

// Registers the extension's class with `library` as its InprocServer32 and the
// handler key "TovinCopyShlExt" under "*", "Folder", "Drive" and "Directory",
// all below root\Software\Classes (root: HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER).
void RegisterExtension(HKEY root, const std::string &library);

using testing_files::TempDirectory;

struct RunResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs the shell program with `args` and `environment` ("NAME=value") added
// to this process's environment; standard output and error go to files in `scratch`.
RunResult RunShell(const std::vector<std::string> &args, const std::string &scratch,
                   const std::vector<std::string> &environment = {});

// Waits up to five seconds for `path` to appear; its lines, or false.
bool WaitForFile(const std::string &path, std::vector<std::string> *lines);

}  // namespace shell_test
