#include "shell_commands.h"

#include <iostream>

#include "hresult_text.h"
#include "menu_builder.h"
#include "menu_entries.h"
#include "menu_printer.h"
#include "why_report.h"

namespace tools {

ShellExit RunMenu(const std::vector<SelectedItem> &items, const ShellArgs &args) {
  ContextMenu menu;
  if (!BuildContextMenu(items, args.flags, &menu, std::cerr)) return kExitFailed;
  const std::vector<MenuEntry> entries = ReadMenuEntries(menu);
  if (!args.plain && ColourTerminal())
    DrawMenu(entries, std::cout);
  else
    PrintPlain(entries, std::cout);
  return kExitOk;
}

ShellExit RunInvoke(const std::vector<SelectedItem> &items, const ShellArgs &args) {
  ContextMenu menu;
  if (!BuildContextMenu(items, args.flags, &menu, std::cerr)) return kExitFailed;
  const std::vector<MenuEntry> entries = ReadMenuEntries(menu);
  const MenuEntry *entry = FindEntry(entries, args.item ? &*args.item : nullptr, args.id.value_or(0));
  if (!entry) {
    if (args.item)
      std::cerr << "shell: the menu has no item \"" << *args.item << "\"\n";
    else
      std::cerr << "shell: the menu has no item with identifier " << *args.id << "\n";
    return kExitFailed;
  }
  const MenuHandler *handler = menu.OwnerOf(entry->id);
  if (!handler) {
    std::cerr << "shell: item \"" << entry->text << "\" belongs to no handler\n";
    return kExitFailed;
  }
  // The verb is the item's offset from the handler's first identifier.
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(entry->id - handler->idFirst);
  info.nShow = SW_SHOWNORMAL;
  const HRESULT hr = handler->menu->InvokeCommand(&info);
  std::cout << "\"" << entry->text << "\" (" << entry->id << "): InvokeCommand " << DescribeHresult(hr) << "\n";
  return SUCCEEDED(hr) ? kExitOk : kExitFailed;
}

ShellExit RunWhy(const std::vector<SelectedItem> &items, const ShellArgs &args) {
  WriteWhyReport(items, args.flags, std::cout);
  return kExitOk;
}

}  // namespace tools
