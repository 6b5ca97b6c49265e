#include "regedit_reader.h"

#include <cstring>
#include <optional>

#include "key_name.h"
#include "wide_text.h"

namespace tools {
namespace {

constexpr char16_t kHeader5[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kHeader4[] = u"REGEDIT4";

bool Decode(const std::string &bytes, std::u16string *text) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    if (bytes.size() % 2) return false;
    text->assign((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text->size(); ++i)
      (*text)[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                         static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
    return true;
  }
  *text = Widen(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes);
  return true;
}

// Lines split at CRLF, LF or CR.
std::vector<std::u16string> SplitLines(const std::u16string &text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  return lines;
}

bool Blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(const std::u16string &s) {
  size_t begin = 0, end = s.size();
  while (begin < end && Blank(s[begin])) ++begin;
  while (end > begin && Blank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// 1 to `maxDigits` hex digits, the whole of `text`.
std::optional<uint32_t> HexValue(const std::u16string &text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : text) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return value;
}

bool StartsWithNoCase(const std::u16string &text, size_t at, const char16_t *prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (at + i >= text.size()) return false;
    char16_t c = text[at + i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// Reads a quoted string starting at text[*at] == '"', with \\ and \" escapes
// (any other backslash stays as written). Moves *at past the closing quote.
bool Quoted(const std::u16string &text, size_t *at, std::u16string *out) {
  for (size_t i = *at + 1; i < text.size(); ++i) {
    if (text[i] == u'"') {
      *at = i + 1;
      return true;
    }
    if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) ++i;
    *out += text[i];
  }
  return false;
}

// "01,ab, 2" into bytes; an empty list is no bytes, one trailing comma is allowed.
bool HexBytes(const std::u16string &list, std::string *out) {
  if (Trim(list).empty()) return true;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(u',', start);
    if (comma == std::u16string::npos) comma = list.size();
    std::u16string token = Trim(list.substr(start, comma - start));
    if (token.empty() && comma == list.size() && !out->empty()) return true;
    std::optional<uint32_t> byte = HexValue(token, 2);
    if (!byte) return false;
    *out += static_cast<char>(*byte);
    start = comma + 1;
  }
  return true;
}

std::string Utf16Bytes(const std::u16string &text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

class Parser {
 public:
  Parser(bool version4, RegeditParse *out) : version4_(version4), out_(out) {}

  // One logical line (continuations joined, trimmed, not blank or a comment).
  void Line(const std::u16string &text, size_t number) {
    line_ = number;
    // Names are passed on as NUL-terminated strings, which would cut them short.
    if (text.find(u'\0') != std::u16string::npos) return Skip("line holds a NUL character");
    if (text[0] == u'[') return KeyLine(text);
    if (text[0] == u'@' || text[0] == u'"') return ValueLine(text);
    Skip("not a key, value or comment line");
  }

 private:
  void Skip(const char *reason) { out_->skipped.push_back({line_, reason}); }

  void Add(RegeditAction action, std::u16string name = {}, DWORD type = REG_NONE, std::string data = {}) {
    out_->ops.push_back({action, key_, std::move(name), type, std::move(data), line_});
  }

  void KeyLine(const std::u16string &text) {
    key_.clear();
    keyProblem_ = "value line after a key line that was skipped";
    if (text.back() != u']') return Skip("key line without a closing bracket");
    bool remove = text.size() > 2 && text[1] == u'-';
    KeyName name;
    switch (ParseKeyName(text.substr(remove ? 2 : 1, text.size() - (remove ? 3 : 2)), &name)) {
      case KeyNameError::None:
        break;
      case KeyNameError::UnknownRoot:
        return Skip("unknown root key");
      case KeyNameError::EmptyComponent:
        return Skip("key name with an empty component");
      case KeyNameError::ComponentTooLong:
        return Skip("key name component longer than 255 characters");
    }
    if (remove && name.path.empty()) return Skip("a root key cannot be deleted");
    key_ = name.Full();
    Add(remove ? RegeditAction::DeleteKey : RegeditAction::CreateKey);
    if (remove) {
      key_.clear();
      keyProblem_ = "value line after a key deletion";
    }
  }

  void ValueLine(const std::u16string &text) {
    if (key_.empty()) return Skip(keyProblem_);
    std::u16string name;
    size_t at = text[0] == u'@' ? 1 : 0;
    if (text[0] == u'"' && !Quoted(text, &at, &name)) return Skip("value name without a closing quote");
    while (at < text.size() && Blank(text[at])) ++at;
    if (at >= text.size() || text[at] != u'=') return Skip("no '=' after the value name");
    std::u16string data = Trim(text.substr(at + 1));
    if (data == u"-") return Add(RegeditAction::DeleteValue, std::move(name));
    if (!data.empty() && data[0] == u'"') {
      std::u16string value;
      size_t end = 0;
      if (!Quoted(data, &end, &value)) return Skip("string without a closing quote");
      if (end != data.size()) return Skip("text after the closing quote");
      return Add(RegeditAction::SetValue, std::move(name), REG_SZ, Utf16Bytes(value + u'\0'));
    }
    if (StartsWithNoCase(data, 0, u"dword:")) {
      std::optional<uint32_t> value = HexValue(data.substr(6), 8);
      if (!value) return Skip("dword value is not 1 to 8 hex digits");
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(*value >> (8 * i));
      return Add(RegeditAction::SetValue, std::move(name), REG_DWORD, std::move(bytes));
    }
    if (!StartsWithNoCase(data, 0, u"hex")) return Skip("unrecognized value data");
    DWORD type = REG_BINARY;
    size_t colon = 3;
    if (data.size() > 3 && data[3] == u'(') {
      size_t close = data.find(u')', 4);
      std::optional<uint32_t> number =
          close == std::u16string::npos ? std::nullopt : HexValue(data.substr(4, close - 4), 8);
      if (!number) return Skip("hex(...) type is not 1 to 8 hex digits");
      type = *number;
      colon = close + 1;
    }
    if (colon >= data.size() || data[colon] != u':') return Skip("unrecognized value data");
    std::string bytes;
    if (!HexBytes(data.substr(colon + 1), &bytes)) return Skip("bad hex byte list");
    if (version4_ && (type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
      bytes = Utf16Bytes(WidenFrom(CP_ACP, bytes));
    Add(RegeditAction::SetValue, std::move(name), type, std::move(bytes));
  }

  bool version4_;
  RegeditParse *out_;
  size_t line_ = 0;
  std::u16string key_;  // the key the value lines belong to; empty when none
  const char *keyProblem_ = "value line before any key line";
};

}  // namespace

bool ParseRegedit(const std::string &bytes, RegeditParse *out, std::string *reason) {
  *out = RegeditParse{};
  std::u16string text;
  if (!Decode(bytes, &text)) {
    *reason = "UTF-16 text with an odd number of bytes";
    return false;
  }
  std::vector<std::u16string> lines = SplitLines(text);
  std::u16string header = lines.empty() ? std::u16string() : Trim(lines[0]);
  if (header != kHeader5 && header != kHeader4) {
    *reason = "the first line is not \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"";
    return false;
  }
  Parser parser(header == kHeader4, out);
  for (size_t i = 1; i < lines.size();) {
    size_t number = i + 1;
    std::u16string line = Trim(lines[i++]);
    if (line.empty() || line[0] == u';') continue;
    while (!line.empty() && line.back() == u'\\' && line[0] != u'[' && i < lines.size()) {
      line.pop_back();
      line += Trim(lines[i++]);
    }
    if (!line.empty()) parser.Line(line, number);
  }
  return true;
}

}  // namespace tools
