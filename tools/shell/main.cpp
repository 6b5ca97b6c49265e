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

using tools::kExitArgs;
using tools::kExitFailed;
using tools::kExitOk;

int main(int argc, char **argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  // Before the first registry call, which opens the store.
  if (!tools::ChooseRegistryFile(&arguments, nullptr, &error)) {
    std::cerr << "shell: " << error << "\n";
    return kExitArgs;
  }
  tools::ShellArgs args;
  if (!tools::ParseShellArgs(arguments, &args, &error)) {
    std::cerr << "shell: " << error << "\n\n" << tools::ShellUsage();
    return kExitArgs;
  }
  if (args.help) {
    std::cout << tools::ShellUsage();
    return kExitOk;
  }
  if (LSTATUS status = tools::ProbeRegistry(); status != ERROR_SUCCESS) {
    std::cerr << "shell: the registry cannot be read: " << tools::Win32ErrorText(status) << "\n";
    return kExitFailed;
  }
  std::vector<tools::SelectedItem> items;
  for (const std::string &path : args.paths) {
    tools::SelectedItem item;
    if (DWORD status = tools::ResolveItem(path, &item); status != ERROR_SUCCESS) {
      std::cerr << "shell: " << path << ": " << tools::Win32ErrorText(status) << "\n";
      return kExitFailed;
    }
    items.push_back(std::move(item));
  }

  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init)) {
    std::cerr << "shell: CoInitializeEx: " << tools::DescribeHresult(init) << "\n";
    return kExitFailed;
  }
  tools::ShellExit status = kExitFailed;
  switch (args.command) {
    case tools::ShellCommand::Menu: status = tools::RunMenu(items, args); break;
    case tools::ShellCommand::Invoke: status = tools::RunInvoke(items, args); break;
    case tools::ShellCommand::Why: status = tools::RunWhy(items, args); break;
  }
  std::cout.flush();
  CoFreeUnusedLibraries();
  CoUninitialize();
  return status;
}
