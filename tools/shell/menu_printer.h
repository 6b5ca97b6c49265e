// Showing the menu: plain lines for pipes and scripts, or drawn as a menu
// with colour thumbnails of the item bitmaps on a colour terminal.
#pragma once
#include <ostream>
#include <vector>

#include "menu_entries.h"

namespace tools {

// True when standard output is a terminal, TERM is set and not "dumb", and
// NO_COLOR is not set.
bool ColourTerminal();

// One line per item: "<id>\t<text>\t<help text>\t<bitmap WxH or ->"; a
// separator is a line "-". Tabs and line breaks inside texts become spaces.
void PrintPlain(const std::vector<MenuEntry> &entries, std::ostream &out);

// The menu in a box: per item a thumbnail of its bitmap in 24-bit colour
// (half and full blocks, two pixel rows per line, up to 13 x 14 pixels so a
// check-mark bitmap shows whole, its top-left colour as a transparent
// background), its text and command identifier, and its help text below.
void DrawMenu(const std::vector<MenuEntry> &entries, std::ostream &out);

}  // namespace tools
