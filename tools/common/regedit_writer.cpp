#include "regedit_writer.h"

#include <cstring>

namespace tools {
namespace {

constexpr char16_t kHeader[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kNewLine[] = u"\r\n";
// A hex line holds at most this many columns before its continuation mark.
constexpr size_t kHexColumns = 79;

std::u16string Quoted(const std::u16string &text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  return out + u"\"";
}

std::u16string HexNumber(uint64_t value, size_t minDigits) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value);
  if (out.size() < minDigits) out.insert(0, minDigits - out.size(), u'0');
  return out;
}

// The text of a REG_SZ that reads back to the same string: one NUL at the end
// and no other, no line breaks; no data at all is the empty string (reading
// "" back gives its lone NUL). False when there is none.
bool PlainString(const std::string &data, std::u16string *text) {
  if (data.empty()) {
    text->clear();
    return true;
  }
  if (data.size() < 2 || data.size() % 2) return false;
  std::u16string units(data.size() / 2, u'\0');
  std::memcpy(units.data(), data.data(), data.size());
  if (units.back() != 0) return false;
  units.pop_back();
  for (char16_t c : units)
    if (c == 0 || c == u'\r' || c == u'\n') return false;
  *text = std::move(units);
  return true;
}

// Appends `data` as comma-separated hex bytes to the one-line *line, breaking
// it with a trailing backslash and a two-space indent where it would grow too wide.
void AppendHexBytes(const std::string &data, std::u16string *line) {
  size_t column = line->size();
  for (size_t i = 0; i < data.size(); ++i) {
    if (i > 0 && column + 3 > kHexColumns) {
      *line += u"\\";
      *line += kNewLine;
      *line += u"  ";
      column = 2;
    }
    std::u16string byte = HexNumber(static_cast<unsigned char>(data[i]), 2);
    if (i + 1 < data.size()) byte += u',';
    *line += byte;
    column += byte.size();
  }
}

std::u16string ValueLine(const RegeditOp &op) {
  std::u16string line = (op.name.empty() ? std::u16string(u"@") : Quoted(op.name)) + u"=";
  if (op.action == RegeditAction::DeleteValue) return line + u"-";
  std::u16string text;
  if (op.type == REG_SZ && PlainString(op.data, &text)) return line + Quoted(text);
  if (op.type == REG_DWORD && op.data.size() == 4) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(op.data[i]);
    return line + u"dword:" + HexNumber(value, 8);
  }
  line += op.type == REG_BINARY ? std::u16string(u"hex:") : u"hex(" + HexNumber(op.type, 1) + u"):";
  AppendHexBytes(op.data, &line);
  return line;
}

bool HasLineBreak(const std::u16string &text) { return text.find_first_of(u"\r\n") != std::u16string::npos; }

}  // namespace

std::optional<std::u16string> KeyWithUnwritableName(const std::vector<RegeditOp> &ops) {
  for (const RegeditOp &op : ops)
    if (HasLineBreak(op.key) || HasLineBreak(op.name)) return op.key;
  return std::nullopt;
}

std::u16string RegeditText(const std::vector<RegeditOp> &ops) {
  std::u16string out = std::u16string(kHeader) + kNewLine;
  for (const RegeditOp &op : ops) {
    if (op.action == RegeditAction::CreateKey || op.action == RegeditAction::DeleteKey) {
      out += kNewLine;
      out += (op.action == RegeditAction::DeleteKey ? u"[-" : u"[") + op.key + u"]";
    } else {
      out += ValueLine(op);
    }
    out += kNewLine;
  }
  return out + kNewLine;
}

std::string RegeditFileBytes(const std::vector<RegeditOp> &ops) {
  std::u16string text = RegeditText(ops);
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace tools
