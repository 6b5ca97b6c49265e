#include "reg_values.h"

#include <cstring>
#include <vector>

namespace {

struct TypeEntry {
  DWORD type;
  const char16_t *name;
  bool writable;  // accepted by /t
};

const TypeEntry kTypes[] = {
    {REG_NONE, u"REG_NONE", true},
    {REG_SZ, u"REG_SZ", true},
    {REG_EXPAND_SZ, u"REG_EXPAND_SZ", true},
    {REG_BINARY, u"REG_BINARY", true},
    {REG_DWORD, u"REG_DWORD", true},
    {REG_DWORD_LITTLE_ENDIAN, u"REG_DWORD_LITTLE_ENDIAN", true},
    {REG_DWORD_BIG_ENDIAN, u"REG_DWORD_BIG_ENDIAN", true},
    {REG_LINK, u"REG_LINK", false},
    {REG_MULTI_SZ, u"REG_MULTI_SZ", true},
    {REG_RESOURCE_LIST, u"REG_RESOURCE_LIST", false},
    {9, u"REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, u"REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, u"REG_QWORD", true},
};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

std::u16string HexText(uint64_t value, bool upper) {
  const char16_t *digits = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value);
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  c = Upper(c);
  return c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
}

// Decimal, or hex after 0x, no sign, at most `max`.
std::optional<uint64_t> Number(const std::u16string &text, uint64_t max) {
  bool hex = text.size() > 2 && text[0] == u'0' && Upper(text[1]) == u'X';
  if (text.empty()) return std::nullopt;
  uint64_t base = hex ? 16 : 10, value = 0;
  for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    int d = HexDigit(text[i]);
    if (d < 0 || static_cast<uint64_t>(d) >= base || value > (max - d) / base) return std::nullopt;
    value = value * base + d;
  }
  return value;
}

void AppendUnits(const std::u16string &text, std::string *out) {
  for (char16_t c : text) {
    *out += static_cast<char>(c & 0xFF);
    *out += static_cast<char>(c >> 8);
  }
}

std::u16string Units(const std::string &data) {
  std::u16string units(data.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data.data(), units.size() * 2);
  return units;
}

}  // namespace

std::optional<DWORD> TypeFromName(const std::u16string &name) {
  std::u16string upper;
  for (char16_t c : name) upper += Upper(c);
  for (const TypeEntry &entry : kTypes)
    if (entry.writable && upper == entry.name) return entry.type;
  return std::nullopt;
}

std::u16string TypeName(DWORD type) {
  for (const TypeEntry &entry : kTypes)
    if (entry.type == type) return entry.name;
  return u"0x" + HexText(type, false);
}

DataError DataFromText(DWORD type, const std::optional<std::u16string> &given, const std::u16string &separator,
                       std::string *out) {
  const std::u16string text = given.value_or(std::u16string());
  std::string bytes;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_NONE:
      AppendUnits(text + u'\0', &bytes);
      break;
    case REG_MULTI_SZ: {
      std::u16string mark = separator.empty() ? u"\\0" : separator;
      std::vector<std::u16string> items;
      for (size_t start = 0; !text.empty();) {
        size_t at = text.find(mark, start);
        items.push_back(text.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start));
        if (at == std::u16string::npos) break;
        start = at + mark.size();
      }
      if (items.size() > 1 && items.back().empty()) items.pop_back();
      // An empty string would end the list early for every reader; alone it is the whole list.
      for (const std::u16string &item : items)
        if (item.empty() && items.size() > 1) return DataError::EmptyString;
      for (const std::u16string &item : items) AppendUnits(item + u'\0', &bytes);
      AppendUnits(std::u16string(1, u'\0'), &bytes);
      break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
      // Both dword types are stored little-endian, as the system's tool stores them.
      size_t size = type == REG_QWORD ? 8 : 4;
      std::optional<uint64_t> value = Number(text, size == 4 ? 0xFFFFFFFFull : ~0ull);
      if (size == 8 && text.empty()) value = 0;
      // A decimal quadword may be negative and is then stored as its two's complement.
      if (size == 8 && !text.empty() && text[0] == u'-' && text.find_first_of(u"xX") == std::u16string::npos)
        if ((value = Number(text.substr(1), ~0ull))) value = 0 - *value;
      if (!value) return DataError::BadNumber;
      for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(*value >> (8 * i));
      break;
    }
    default: {
      // An odd count of digits reads the first one alone, as a byte of its own.
      size_t i = 0;
      if (text.size() % 2) {
        int low = HexDigit(text[0]);
        if (low < 0) return DataError::BadHex;
        bytes += static_cast<char>(low);
        i = 1;
      }
      for (; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return DataError::BadHex;
        bytes += static_cast<char>(high << 4 | low);
      }
      break;
    }
  }
  *out = std::move(bytes);
  return DataError::None;
}

std::u16string DataText(DWORD type, const std::string &data) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::u16string units = Units(data);
      return units.substr(0, units.find(u'\0'));
    }
    case REG_MULTI_SZ: {
      std::u16string units = Units(data), out;
      for (size_t start = 0; start < units.size();) {
        size_t end = units.find(u'\0', start);
        if (end == start) break;  // the empty string that ends the list
        if (start) out += u"\\0";
        out += units.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        start = end == std::u16string::npos ? units.size() : end + 1;
      }
      return out;
    }
    case REG_DWORD:
    case REG_QWORD:
      if (data.size() == (type == REG_DWORD ? 4u : 8u)) {
        uint64_t value = 0;
        for (size_t i = data.size(); i-- > 0;) value = value << 8 | static_cast<unsigned char>(data[i]);
        return u"0x" + HexText(value, false);
      }
      break;
  }
  std::u16string out;
  for (unsigned char byte : data) {
    out += u"0123456789ABCDEF"[byte >> 4];
    out += u"0123456789ABCDEF"[byte & 0xF];
  }
  return out;
}
