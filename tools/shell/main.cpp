// shell: a stand-in for the file manager's context menu. Builds the menu of
// a selection from the registered context-menu handlers, prints it, invokes
// an item or explains why a handler shows or not. See ShellUsage().
#include <windows.h>
#include <objbase.h>

#include <iostream>
#include <string>
#include <vector>

#include "hresult_text.h"
#include "registry_read.h"
#include "selection.h"
#include "shell_args.h"
#include "shell_commands.h"
#include "registry_location.h"

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  // Before the first registry call, which opens the store.
  if (!tools::ChooseRegistryFile(&arguments, nullptr, &error)) {
    std::cerr << "shell: " << error << "\n";
    return 2;
  }
  ShellArgs args;
  if (!ParseShellArgs(arguments, &args, &error)) {
    std::cerr << "shell: " << error << "\n\n" << ShellUsage();
    return 2;
  }
  if (args.help) {
    std::cout << ShellUsage();
    return 0;
  }
  if (LSTATUS status = ProbeRegistry(); status != ERROR_SUCCESS) {
    std::cerr << "shell: the registry cannot be read: " << tools::Win32ErrorText(status) << "\n";
    return 1;
  }
  std::vector<SelectedItem> items;
  for (const std::string &path : args.paths) {
    SelectedItem item;
    if (DWORD status = ResolveItem(path, &item); status != ERROR_SUCCESS) {
      std::cerr << "shell: " << path << ": " << tools::Win32ErrorText(status) << "\n";
      return 1;
    }
    items.push_back(std::move(item));
  }

  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init)) {
    std::cerr << "shell: CoInitializeEx: " << tools::DescribeHresult(init) << "\n";
    return 1;
  }
  int status = 1;
  switch (args.command) {
    case ShellCommand::Menu: status = RunMenu(items, args); break;
    case ShellCommand::Invoke: status = RunInvoke(items, args); break;
    case ShellCommand::Why: status = RunWhy(items, args); break;
  }
  std::cout.flush();
  CoFreeUnusedLibraries();
  CoUninitialize();
  return status;
}
