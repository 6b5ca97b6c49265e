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

bool WidenExact(const std::string &utf8, std::u16string *out) {
  out->clear();
  if (utf8.empty()) return true;
  if (utf8.size() > INT_MAX / 2) return false;
  const int size = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (units <= 0) return false;
  out->resize(static_cast<size_t>(units));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, out->data(), units) == units) return true;
  out->clear();
  return false;
}

std::string Narrow(const std::u16string &text) {
  if (text.empty() || text.size() > INT_MAX / 4) return std::string();
  int size = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string Narrow(const char16_t *text) { return text ? Narrow(std::u16string(text)) : std::string(); }

}  // namespace tools
