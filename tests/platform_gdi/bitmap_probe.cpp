// Loads each bitmap file named on the command line and prints one line for it:
//   name ext=WIDTHxHEIGHT:HASH plain=WIDTHxHEIGHT:HASH dib=WIDTHxHEIGHT:HASH
// "ext" is the load the extension makes (LR_LOADFROMFILE | LR_LOADTRANSPARENT),
// "plain" the load with LR_LOADFROMFILE alone and "dib" the load as a DIB
// section (LR_LOADFROMFILE | LR_CREATEDIBSECTION); each reads "refused" when
// LoadImageW gives null. HASH is the 64-bit FNV-1a of the colours GetDIBits
// gives as 32-bit top-down rows (blue, green, red of each pixel; the fourth
// byte is not a colour and is left out). Runs unchanged under the substitute
// and on Windows, so that the two outputs can be compared.
// With --pixels first, each line is followed by the pixels of the three loads,
// one row a line, as RRGGBB. A fault while loading ends the program at once
// with status 70, leaving the lines printed so far: the caller knows the next
// file as the one that faulted.
#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "bitmap_files.h"

namespace {

extern "C" void Crashed(int) { std::_Exit(70); }

bool showPixels = false;

std::string Describe(const std::string &path, UINT flags, std::string *pixels) {
  HBITMAP bitmap = bitmap_files::Load(path, LR_LOADFROMFILE | flags);
  if (!bitmap) return "refused";
  std::string result = "unreadable";
  BITMAP bm = {};
  std::vector<uint32_t> colours;
  if (GetObjectW(bitmap, sizeof bm, &bm) == static_cast<int>(sizeof bm) && bm.bmWidth > 0 && bm.bmHeight > 0 &&
      bitmap_files::Pixels(bitmap, &colours)) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (uint32_t colour : colours)
      for (int shift : {0, 8, 16}) hash = (hash ^ ((colour >> shift) & 0xFF)) * 0x100000001b3u;
    char text[64];
    std::snprintf(text, sizeof text, "%ldx%ld:%016llx", long(bm.bmWidth), long(bm.bmHeight),
                  static_cast<unsigned long long>(hash));
    result = text;
    for (size_t i = 0; showPixels && i < colours.size(); ++i) {
      std::snprintf(text, sizeof text, "%06x%s", static_cast<unsigned>(colours[i]),
                    (i + 1) % size_t(bm.bmWidth) ? " " : "\n");
      *pixels += text;
    }
  }
  DeleteObject(bitmap);
  return result;
}

}  // namespace

int main(int argc, char **argv) {
  std::signal(SIGSEGV, Crashed);
  std::signal(SIGILL, Crashed);
  std::signal(SIGFPE, Crashed);
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "--pixels") showPixels = true, ++first;
  for (int i = first; i < argc; ++i) {
    std::string ext, plain, dib;
    const std::string extLine = Describe(argv[i], LR_LOADTRANSPARENT, &ext);
    const std::string plainLine = Describe(argv[i], 0, &plain);
    const std::string dibLine = Describe(argv[i], LR_CREATEDIBSECTION, &dib);
    std::printf("%s ext=%s plain=%s dib=%s\n%s%s%s", argv[i], extLine.c_str(), plainLine.c_str(), dibLine.c_str(),
                ext.c_str(), plain.c_str(), dib.c_str());
    std::fflush(stdout);
  }
  return 0;
}
