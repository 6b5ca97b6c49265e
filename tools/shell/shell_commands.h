// The commands of `shell` over a resolved selection. Each returns the exit
// status: 0 success, 1 failure.
#pragma once
#include <vector>

#include "selection.h"
#include "shell_args.h"

// Builds the context menu and prints it (drawn on a colour terminal, else plain).
int RunMenu(const std::vector<SelectedItem> &items, const ShellArgs &args);
// Builds the context menu and invokes the item chosen by --item or --id.
int RunInvoke(const std::vector<SelectedItem> &items, const ShellArgs &args);
// Writes why each handler shows or not.
int RunWhy(const std::vector<SelectedItem> &items, const ShellArgs &args);
