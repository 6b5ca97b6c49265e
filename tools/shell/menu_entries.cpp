#include "menu_entries.h"

namespace tools {

namespace {

// Submenus nest no deeper than this; a deeper (or cyclic) chain is cut.
constexpr int kMaxDepth = 8;
constexpr UINT kHelpUnits = 1024;

std::string ItemText(HMENU menu, UINT position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  if (!GetMenuItemInfoW(menu, position, TRUE, &info) || info.cch == 0) return std::string();
  std::vector<WCHAR> text(info.cch + 1, 0);
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return std::string();
  return Narrow(text.data());
}

std::string HelpText(const ContextMenu &owner, UINT id) {
  const MenuHandler *handler = owner.OwnerOf(id);
  if (!handler) return std::string();
  WCHAR help[kHelpUnits] = {};
  if (FAILED(handler->menu->GetCommandString(id - handler->idFirst, GCS_HELPTEXTW, nullptr,
                                             reinterpret_cast<CHAR *>(help), kHelpUnits)))
    return std::string();
  help[kHelpUnits - 1] = 0;
  return Narrow(help);
}

void ReadLevel(const ContextMenu &owner, HMENU menu, int depth, const std::string &parents,
               std::vector<MenuEntry> *out) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_CHECKMARKS;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    MenuEntry entry;
    entry.id = info.wID;
    entry.depth = depth;
    entry.separator = (info.fType & MFT_SEPARATOR) != 0;
    entry.submenu = info.hSubMenu != nullptr;
    if (!entry.separator) {
      entry.text = parents + ItemText(menu, static_cast<UINT>(position));
      entry.help = HelpText(owner, info.wID);
      HBITMAP mark = (info.fState & MFS_CHECKED) ? info.hbmpChecked : info.hbmpUnchecked;
      entry.hasBitmap = ReadBitmap(mark, &entry.bitmap);
    }
    const std::string prefix = entry.text + " > ";
    out->push_back(std::move(entry));
    if (info.hSubMenu && depth + 1 < kMaxDepth) ReadLevel(owner, info.hSubMenu, depth + 1, prefix, out);
  }
}

std::string WithoutAccelerators(const std::string &text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    // "&&" stands for one '&'.
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

}  // namespace

std::vector<MenuEntry> ReadMenuEntries(const ContextMenu &menu) {
  std::vector<MenuEntry> entries;
  if (menu.menu()) ReadLevel(menu, menu.menu(), 0, std::string(), &entries);
  return entries;
}

const MenuEntry *FindEntry(const std::vector<MenuEntry> &entries, const std::string *text, UINT id) {
  for (const MenuEntry &entry : entries) {
    if (entry.separator || entry.submenu) continue;
    if (!text) {
      if (entry.id == id) return &entry;
      continue;
    }
    const size_t last = entry.text.rfind(" > ");
    const std::string own = last == std::string::npos ? entry.text : entry.text.substr(last + 3);
    if (*text == entry.text || *text == own || *text == WithoutAccelerators(entry.text) ||
        *text == WithoutAccelerators(own))
      return &entry;
  }
  return nullptr;
}

}  // namespace tools
