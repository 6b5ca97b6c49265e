#include "wide_text.h"

#include <windows.h>

#include <climits>

namespace tools {

namespace {

// Converts non-empty `bytes` with MultiByteToWideChar's `flags` into *out;
// false, with *out empty, when the conversion fails or the size is beyond an int.
bool Convert(unsigned codePage, DWORD flags, const std::string &bytes, std::u16string *out) {
  out->clear();
  if (bytes.size() > INT_MAX / 2) return false;
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (units <= 0) return false;
  out->resize(static_cast<size_t>(units));
  if (MultiByteToWideChar(codePage, flags, bytes.data(), size, out->data(), units) == units) return true;
  out->clear();
  return false;
}

}  // namespace

std::u16string WidenFrom(unsigned codePage, const std::string &bytes) {
  std::u16string out;
  // The conversion functions refuse empty input.
  if (bytes.empty() || Convert(codePage, 0, bytes, &out)) return out;
  for (unsigned char c : bytes) out += static_cast<char16_t>(c);
  return out;
}

std::u16string Widen(const std::string &utf8) { return WidenFrom(CP_UTF8, utf8); }

bool WidenExact(const std::string &utf8, std::u16string *out) {
  if (utf8.empty()) {
    out->clear();
    return true;
  }
  return Convert(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, out);
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
