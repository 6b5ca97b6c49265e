// The drawn menu's thumbnail: a 13 x 13 check-mark bitmap at full resolution.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "menu_printer.h"

namespace {

// The drawing without its colour escapes.
std::string WithoutEscapes(const std::string &drawn) {
  std::string text;
  for (size_t at = 0; at < drawn.size(); ++at) {
    if (drawn[at] == '\x1b')
      at = drawn.find('m', at);
    else
      text += drawn[at];
  }
  return text;
}

TEST(MenuPrinter, ACheckMarkBitmapShowsItsShape) {
  const char *const mark[] = {
      ".............", "...........#.", "..........##.", ".........##..", "........##...", ".#.....##....",
      ".##...##.....", "..##.##......", "...###.......", "....#........", ".............", ".............",
      ".............",
  };
  tools::MenuEntry entry;
  entry.id = 1;
  entry.text = "Paste";
  entry.hasBitmap = true;
  entry.bitmap.width = entry.bitmap.height = 13;
  for (const char *row : mark)
    for (const char *pixel = row; *pixel; ++pixel) entry.bitmap.pixels.push_back(*pixel == '#' ? 0x28A028 : 0xFFFFFF);
  std::ostringstream out;
  tools::DrawMenu({entry}, out);

  std::vector<std::string> thumbnail;
  std::istringstream lines(WithoutEscapes(out.str()));
  std::string line;
  std::getline(lines, line);  // the box's top
  // Each line inside the box: the side (3 bytes), a space, the thumbnail.
  while (std::getline(lines, line) && line.rfind("\xE2\x94\x82 ", 0) == 0) {
    size_t end = 4;
    for (int column = 0; column < 13 && end < line.size(); ++column) end += line[end] == ' ' ? 1 : 3;
    thumbnail.push_back(line.substr(4, end - 4));
  }
  EXPECT_EQ((std::vector<std::string>{
                "           ▄ ",
                "         ▄█▀ ",
                " ▄     ▄█▀   ",
                " ▀█▄ ▄█▀     ",
                "   ▀█▀       ",
                "             ",
                "             ",
            }),
            thumbnail);
}

}  // namespace
