#include "text_convert.h"

#include <climits>

bool Utf8ToWide(const std::string &text, WideString *out) {
  out->clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  const int length = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (units <= 0) return false;
  out->resize(static_cast<size_t>(units));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, out->data(), units) == units;
}

std::string WideToUtf8(const WideString &text) {
  if (text.empty() || text.size() > INT_MAX / 3) return std::string();
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string WideToUtf8(const WCHAR *text) { return text ? WideToUtf8(WideString(text)) : std::string(); }
