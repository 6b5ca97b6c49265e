#include "wide_text.h"

#include <windows.h>

#include <climits>

namespace tools {

std::u16string WidenFrom(unsigned codePage, const std::string &bytes) {
  // The conversion functions refuse empty input and take int sizes.
  if (bytes.empty() || bytes.size() > INT_MAX / 2) return std::u16string(bytes.begin(), bytes.end());
  int size = static_cast<int>(bytes.size());
  int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) {
    std::u16string latin1;
    for (unsigned char c : bytes) latin1 += static_cast<char16_t>(c);
    return latin1;
  }
  std::u16string out(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), units);
  return out;
}

std::u16string Widen(const std::string &utf8) { return WidenFrom(CP_UTF8, utf8); }

std::string Narrow(const std::u16string &text) {
  if (text.empty() || text.size() > INT_MAX / 4) return std::string();
  int size = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace tools
