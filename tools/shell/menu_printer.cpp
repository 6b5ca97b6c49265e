#include "menu_printer.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace tools {

namespace {

// The thumbnail's box in pixels, room for a 13 x 13 check-mark bitmap at full
// resolution; a half block shows two pixel rows, so it spans seven lines.
constexpr int kThumbWidth = 13;
constexpr int kThumbHeight = 14;
constexpr size_t kMaxTextColumns = 60;

std::string OneLine(const std::string &text) {
  std::string line = text;
  for (char &c : line)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return line;
}

// Display columns, taken as one per code point.
size_t Columns(const std::string &text) {
  size_t columns = 0;
  for (unsigned char c : text) columns += (c & 0xC0) != 0x80;
  return columns;
}

// At most `columns` code points, the last one "…" when cut.
std::string Fit(const std::string &text, size_t columns) {
  if (Columns(text) <= columns) return text;
  size_t kept = 0, at = 0;
  while (at < text.size()) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && kept++ == columns - 1) break;
    ++at;
  }
  return text.substr(0, at) + "\xE2\x80\xA6";
}

std::string Repeat(const char *piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::string Colour(bool foreground, uint32_t rgb) {
  return std::string(foreground ? "\x1b[38;2;" : "\x1b[48;2;") + std::to_string((rgb >> 16) & 0xFF) + ";" +
         std::to_string((rgb >> 8) & 0xFF) + ";" + std::to_string(rgb & 0xFF) + "m";
}

// The bitmap scaled into the thumbnail box (area average), kept to its aspect.
// In an image of more than one colour the colour of its top-left pixel is
// the background, left transparent as LR_LOADTRANSPARENT leaves it, so that
// the shape shows on any terminal.
struct Thumbnail {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  std::optional<uint32_t> background;

  // Lines the thumbnail spans, at least the two of an item's text and help.
  int Lines() const { return std::max(2, (height + 1) / 2); }
};

Thumbnail Scale(const BitmapImage &image) {
  Thumbnail thumb;
  if (image.pixels.empty()) return thumb;
  const double factor = std::min(double(kThumbWidth) / image.width, double(kThumbHeight) / image.height);
  thumb.width = std::clamp(int(image.width * factor + 0.5), 1, kThumbWidth);
  thumb.height = std::clamp(int(image.height * factor + 0.5), 1, kThumbHeight);
  for (int y = 0; y < thumb.height; ++y) {
    for (int x = 0; x < thumb.width; ++x) {
      const LONG x0 = x * image.width / thumb.width, x1 = std::max<LONG>(x0 + 1, (x + 1) * image.width / thumb.width);
      const LONG y0 = y * image.height / thumb.height,
                 y1 = std::max<LONG>(y0 + 1, (y + 1) * image.height / thumb.height);
      uint64_t r = 0, g = 0, b = 0, n = 0;
      for (LONG sy = y0; sy < y1; ++sy)
        for (LONG sx = x0; sx < x1; ++sx, ++n) {
          const uint32_t p = image.pixels[size_t(sy) * size_t(image.width) + size_t(sx)];
          r += (p >> 16) & 0xFF;
          g += (p >> 8) & 0xFF;
          b += p & 0xFF;
        }
      thumb.pixels.push_back(uint32_t(r / n) << 16 | uint32_t(g / n) << 8 | uint32_t(b / n));
    }
  }
  const uint32_t corner = thumb.pixels.front();
  if (std::any_of(thumb.pixels.begin(), thumb.pixels.end(), [corner](uint32_t p) { return p != corner; }))
    thumb.background = corner;
  return thumb;
}

// The pixel at (x, y), or null for one outside the image or of its background.
const uint32_t *Shown(const Thumbnail &thumb, int x, int y) {
  if (x < 0 || x >= thumb.width || y < 0 || y >= thumb.height) return nullptr;
  const uint32_t &pixel = thumb.pixels[size_t(y) * size_t(thumb.width) + size_t(x)];
  return pixel == thumb.background ? nullptr : &pixel;
}

// Line `row` of the thumbnail: kThumbWidth columns, each the two pixel rows
// 2 * row and 2 * row + 1 as a half or full block.
std::string ThumbnailLine(const Thumbnail &thumb, int row) {
  std::string line;
  const int left = (kThumbWidth - thumb.width) / 2;
  for (int x = 0; x < kThumbWidth; ++x) {
    const uint32_t *top = Shown(thumb, x - left, row * 2);
    const uint32_t *bottom = Shown(thumb, x - left, row * 2 + 1);
    if (!top && !bottom) {
      line += ' ';
    } else if (!bottom) {
      line += Colour(true, *top) + "\xE2\x96\x80\x1b[0m";  // upper half block
    } else if (!top) {
      line += Colour(true, *bottom) + "\xE2\x96\x84\x1b[0m";  // lower half block
    } else if (*top == *bottom) {
      line += Colour(true, *top) + "\xE2\x96\x88\x1b[0m";  // full block
    } else {
      line += Colour(true, *top) + Colour(false, *bottom) + "\xE2\x96\x80\x1b[0m";
    }
  }
  return line;
}

std::string Padded(const std::string &text, size_t columns) {
  return text + std::string(columns > Columns(text) ? columns - Columns(text) : 0, ' ');
}

}  // namespace

bool ColourTerminal() {
  const char *term = std::getenv("TERM");
  return isatty(STDOUT_FILENO) && term && *term && std::strcmp(term, "dumb") != 0 && !std::getenv("NO_COLOR");
}

void PrintPlain(const std::vector<MenuEntry> &entries, std::ostream &out) {
  for (const MenuEntry &entry : entries) {
    if (entry.separator) {
      out << "-\n";
      continue;
    }
    out << entry.id << '\t' << OneLine(entry.text) << '\t' << OneLine(entry.help) << '\t';
    if (entry.hasBitmap)
      out << entry.bitmap.width << 'x' << entry.bitmap.height;
    else
      out << '-';
    out << '\n';
  }
}

void DrawMenu(const std::vector<MenuEntry> &entries, std::ostream &out) {
  // Each line inside the box: " " thumbnail "  " text (indented) "  " id " ".
  size_t textColumns = 10, idColumns = 1;
  for (const MenuEntry &entry : entries) {
    const size_t indent = 2 * size_t(entry.depth);
    const size_t own = entry.text.rfind(" > ") == std::string::npos ? 0 : entry.text.rfind(" > ") + 3;
    textColumns = std::max(textColumns, indent + std::min(kMaxTextColumns, Columns(entry.text.substr(own))) + 2);
    textColumns = std::max(textColumns, indent + std::min(kMaxTextColumns, Columns(OneLine(entry.help))));
    idColumns = std::max(idColumns, std::to_string(entry.id).size());
  }
  const size_t inner = 1 + kThumbWidth + 2 + textColumns + 2 + idColumns + 1;
  out << "\xE2\x94\x8C" << Repeat("\xE2\x94\x80", inner) << "\xE2\x94\x90\n";
  if (entries.empty()) out << "\xE2\x94\x82" << Padded(" (no items)", inner) << "\xE2\x94\x82\n";
  const std::string side = "\xE2\x94\x82";
  for (const MenuEntry &entry : entries) {
    if (entry.separator) {
      out << "\xE2\x94\x9C" << Repeat("\xE2\x94\x80", inner) << "\xE2\x94\xA4\n";
      continue;
    }
    const std::string indent(2 * size_t(entry.depth), ' ');
    const size_t own = entry.text.rfind(" > ") == std::string::npos ? 0 : entry.text.rfind(" > ") + 3;
    std::string text = indent + Fit(OneLine(entry.text.substr(own)), kMaxTextColumns);
    if (entry.submenu) text += " \xE2\x96\xB8";  // small right-pointing triangle
    const std::string id = std::to_string(entry.id);
    const Thumbnail thumb = Scale(entry.bitmap);
    out << side << ' ' << ThumbnailLine(thumb, 0) << "  " << Padded(text, textColumns) << "  "
        << std::string(idColumns - id.size(), ' ') << "\x1b[2m" << id << "\x1b[0m " << side << '\n';
    const std::string help = indent + Fit(OneLine(entry.help), kMaxTextColumns);
    out << side << ' ' << ThumbnailLine(thumb, 1) << "  \x1b[2m" << Padded(help, textColumns) << "\x1b[0m  "
        << std::string(idColumns, ' ') << ' ' << side << '\n';
    for (int row = 2; row < thumb.Lines(); ++row)
      out << side << ' ' << ThumbnailLine(thumb, row) << std::string(2 + textColumns + 2 + idColumns + 1, ' ') << side
          << '\n';
  }
  out << "\xE2\x94\x94" << Repeat("\xE2\x94\x80", inner) << "\xE2\x94\x98\n";
}

}  // namespace tools
