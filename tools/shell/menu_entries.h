// The built menu read back item by item, with each item's help text from its
// handler and its check-mark bitmap: what the printer shows.
#pragma once
#include <string>
#include <vector>

#include "bitmap_pixels.h"
#include "menu_builder.h"

namespace tools {

struct MenuEntry {
  UINT id = 0;
  int depth = 0;  // 0 for the menu's own items, 1 inside a submenu, ...
  bool separator = false;
  bool submenu = false;    // opens a submenu; its items follow it
  std::string text;        // UTF-8; for items inside submenus the parents' texts come first, joined by " > "
  std::string help;        // GetCommandString(GCS_HELPTEXTW) of the owning handler; empty when none
  bool hasBitmap = false;  // the check-mark bitmap shown for the item's state
  BitmapImage bitmap;
};

// The items of `menu` in order, submenus depth first.
std::vector<MenuEntry> ReadMenuEntries(const ContextMenu &menu);

// The entry whose full text or own text (after the last " > ") is `text`,
// ignoring '&' accelerator marks; or the first with `id` when `text` is null.
// Null when there is none.
const MenuEntry *FindEntry(const std::vector<MenuEntry> &entries, const std::string *text, UINT id);

}  // namespace tools
