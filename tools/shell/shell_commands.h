// The exit codes of `shell`, and its commands over a resolved selection.
#pragma once
#include <vector>

#include "selection.h"
#include "shell_args.h"

namespace tools {

// The exit codes: success, a failure (the registry, a path, COM, the menu or
// the handler), a bad command line.
enum ShellExit { kExitOk = 0, kExitFailed = 1, kExitArgs = 2 };

// Builds the context menu and prints it (drawn on a colour terminal, else plain).
ShellExit RunMenu(const std::vector<SelectedItem> &items, const ShellArgs &args);
// Builds the context menu and invokes the item chosen by --item or --id.
ShellExit RunInvoke(const std::vector<SelectedItem> &items, const ShellArgs &args);
// Writes why each handler shows or not.
ShellExit RunWhy(const std::vector<SelectedItem> &items, const ShellArgs &args);

}  // namespace tools
