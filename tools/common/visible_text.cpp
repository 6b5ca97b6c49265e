#include "visible_text.h"

namespace tools {

std::u16string VisibleControls(const std::u16string &text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c >= 0x80 && c < 0xA0) {
      out += u"M-";
      c = static_cast<char16_t>(c - 0x80);
    }
    if (c < 0x20 || c == 0x7F) {
      out += u'^';
      out += c == 0x7F ? u'?' : static_cast<char16_t>(c + u'@');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tools
