// The line rules are those of the system's own registry tool: a line is read
// on its own unless it is hex data ending in a comma and a backslash; a value
// line is taken whole or not at all; text after a value is allowed only as a
// ';' comment. A continued hex value takes every following line that is not
// blank or a ';' comment, so a broken continuation swallows the line after it.
#include "regedit_reader.h"

#include <optional>

#include "key_name.h"
#include "wide_text.h"

namespace tools {
namespace {

constexpr char16_t kHeader5[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kHeader4[] = u"REGEDIT4";
constexpr char16_t kHeaderWin31[] = u"REGEDIT";
constexpr char16_t kWin31Root[] = u"HKEY_CLASSES_ROOT\\";

enum class Format { Win31, Version4, Version5 };

// The numbers of the lines of `utf8` that do not convert back to their own
// bytes, which is where the conversion put U+FFFD for bytes that are not
// UTF-8. Line breaks are single bytes that no sequence holds, so the lines are
// those of the converted text.
std::vector<size_t> NotUtf8Lines(const std::string &utf8) {
  std::vector<size_t> lines;
  if (Narrow(Widen(utf8)) == utf8) return lines;
  for (size_t start = 0, i = 0, number = 1; i <= utf8.size(); ++i) {
    if (i < utf8.size() && utf8[i] != '\r' && utf8[i] != '\n') continue;
    const std::string line = utf8.substr(start, i - start);
    if (Narrow(Widen(line)) != line) lines.push_back(number);
    if (i + 1 < utf8.size() && utf8[i] == '\r' && utf8[i + 1] == '\n') ++i;
    start = i + 1;
    ++number;
  }
  return lines;
}

bool Decode(const std::string &bytes, std::u16string *text, std::vector<size_t> *notUtf8) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    if (bytes.size() % 2) return false;
    text->assign((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text->size(); ++i)
      (*text)[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                         static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
    return true;
  }
  const std::string utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  *text = Widen(utf8);
  *notUtf8 = NotUtf8Lines(utf8);
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

size_t SkipBlanks(const std::u16string &s, size_t at) {
  while (at < s.size() && Blank(s[at])) ++at;
  return at;
}

std::u16string TrimEnd(std::u16string s) {
  while (!s.empty() && Blank(s.back())) s.pop_back();
  return s;
}

// After blanks, the line ends or a ';' comment starts.
bool AtEnd(const std::u16string &s, size_t at) {
  at = SkipBlanks(s, at);
  return at == s.size() || s[at] == u';';
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The run of hex digits at s[*at], when it is 1 to `maxDigits` long; moves *at past it.
std::optional<uint32_t> HexNumber(const std::u16string &s, size_t *at, size_t maxDigits) {
  uint32_t value = 0;
  size_t i = *at;
  for (; i < s.size() && HexDigit(s[i]) >= 0; ++i) value = value << 4 | static_cast<uint32_t>(HexDigit(s[i]));
  if (i == *at || i - *at > maxDigits) return std::nullopt;
  *at = i;
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

enum class QuoteProblem { None, Unclosed, BadEscape };

// A quoted name or string starting at text[*at] == '"'. Only \\ and \" are
// escapes; any other backslash, like a missing closing quote, spoils the line.
// Moves *at past the closing quote.
QuoteProblem Quoted(const std::u16string &text, size_t *at, std::u16string *out) {
  for (size_t i = *at + 1; i < text.size(); ++i) {
    if (text[i] == u'"') {
      *at = i + 1;
      return QuoteProblem::None;
    }
    if (text[i] == u'\\') {
      if (i + 1 == text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"')) return QuoteProblem::BadEscape;
      ++i;
    }
    *out += text[i];
  }
  return QuoteProblem::Unclosed;
}

std::string QuoteReason(const char *what, QuoteProblem problem) {
  return std::string(what) + (problem == QuoteProblem::Unclosed ? " without a closing quote"
                                                                 : " with a backslash not before \\ or \"");
}

enum class HexEnd { Done, Continued, Bad };

// Comma-separated bytes of 1 or 2 hex digits from s[at] on, ending at the end
// of the line or a ';' comment. A backslash with only blanks or a comment after
// it continues the list on the next line; it must follow a comma, or stand in
// place of the first byte after the type (`first`), never a digit.
HexEnd HexList(const std::u16string &s, size_t at, bool first, std::string *out) {
  bool afterComma = first;
  for (;;) {
    at = SkipBlanks(s, at);
    if (at == s.size() || s[at] == u';') return HexEnd::Done;
    if (s[at] == u'\\') return afterComma && AtEnd(s, at + 1) ? HexEnd::Continued : HexEnd::Bad;
    std::optional<uint32_t> byte = HexNumber(s, &at, 2);
    if (!byte) return HexEnd::Bad;
    *out += static_cast<char>(*byte);
    at = SkipBlanks(s, at);
    if (at == s.size() || s[at] == u';') return HexEnd::Done;
    if (s[at] != u',') return HexEnd::Bad;
    ++at;
    afterComma = true;
  }
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
  Parser(Format format, RegeditParse *out) : format_(format), out_(out) {}

  void Line(const std::u16string &text, size_t number) {
    line_ = number;
    if (format_ == Format::Win31) return Win31Line(text);
    size_t at = SkipBlanks(text, 0);
    bool blank = at == text.size();
    // Names are passed on as NUL-terminated strings, which would cut them short.
    bool nul = text.find(u'\0') != std::u16string::npos;
    if (pending_) {
      if (blank || text[at] == u';') return;
      HexEnd end = nul ? HexEnd::Bad : HexList(text, at, false, &pending_->data);
      if (end == HexEnd::Continued) return;
      if (end == HexEnd::Done) return Finish();
      line_ = pending_->line;
      pending_.reset();
      return Skip("hex data broken on line " + std::to_string(number));
    }
    if (blank || text[at] == u';' || text[at] == u'#') return;
    if (nul) return Skip("line holds a NUL character");
    if (text[at] == u'[') return KeyLine(TrimEnd(text.substr(at)));
    if (text[at] == u'@' || text[at] == u'"') return ValueLine(text, at);
    Skip("not a key, value or comment line");
  }

  // A hex value continued past the last line ends there.
  void Finish() {
    if (!pending_) return;
    RegeditOp op = std::move(*pending_);
    pending_.reset();
    line_ = op.line;
    Set(std::move(op.name), op.type, std::move(op.data));
  }

 private:
  void Skip(std::string reason) { out_->skipped.push_back({line_, std::move(reason)}); }

  void Add(RegeditAction action, std::u16string name = {}, DWORD type = REG_NONE, std::string data = {}) {
    out_->ops.push_back({action, key_, std::move(name), type, std::move(data), line_});
  }

  void Set(std::u16string name, DWORD type, std::string data) {
    if (key_.empty()) return Skip(keyProblem_);
    // REGEDIT4 keeps the text of these types in single bytes.
    if (format_ == Format::Version4 && (type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
      data = Utf16Bytes(WidenFrom(CP_ACP, data));
    Add(RegeditAction::SetValue, std::move(name), type, std::move(data));
  }

  // [KEY] or [-KEY]; the name is taken as written between the brackets, so a
  // blank after '[' or '-' makes an unknown root.
  void KeyLine(const std::u16string &text) {
    key_.clear();
    keyProblem_ = "value line after a key line that was skipped";
    if (text.back() != u']') return Skip("key line without a closing bracket");
    bool remove = text.size() > 2 && text[1] == u'-';
    std::u16string name = text.substr(remove ? 2 : 1, text.size() - (remove ? 3 : 2));
    KeyName key;
    switch (ParseKeyName(TrimBackslashes(name), &key)) {
      case KeyNameError::None:
        break;
      case KeyNameError::UnknownRoot:
        return Skip("unknown root key");
      case KeyNameError::EmptyComponent:
        return Skip("key name with an empty component");
      case KeyNameError::ComponentTooLong:
        return Skip("key name component longer than 255 characters");
    }
    if (remove && key.path.empty()) return Skip("a root key cannot be deleted");
    key_ = key.Full();
    Add(remove ? RegeditAction::DeleteKey : RegeditAction::CreateKey);
    if (remove) {
      key_.clear();
      keyProblem_ = "value line after a key deletion";
    }
  }

  // Trailing backslashes name the key itself.
  static std::u16string TrimBackslashes(std::u16string name) {
    while (!name.empty() && name.back() == u'\\') name.pop_back();
    return name;
  }

  void ValueLine(const std::u16string &text, size_t at) {
    std::u16string name;
    if (text[at] == u'@') {
      ++at;
    } else if (QuoteProblem problem = Quoted(text, &at, &name); problem != QuoteProblem::None) {
      return Skip(QuoteReason("value name", problem));
    }
    at = SkipBlanks(text, at);
    if (at == text.size() || text[at] != u'=') return Skip("no '=' after the value name");
    at = SkipBlanks(text, at + 1);
    if (at < text.size() && text[at] == u'-') {
      if (!AtEnd(text, at + 1)) return Skip("text after '-'");
      if (key_.empty()) return Skip(keyProblem_);
      return Add(RegeditAction::DeleteValue, std::move(name));
    }
    if (at < text.size() && text[at] == u'"') {
      std::u16string value;
      if (QuoteProblem problem = Quoted(text, &at, &value); problem != QuoteProblem::None)
        return Skip(QuoteReason("string", problem));
      if (!AtEnd(text, at)) return Skip("text after the closing quote");
      return Set(std::move(name), REG_SZ, Utf16Bytes(value + u'\0'));
    }
    if (StartsWithNoCase(text, at, u"dword:")) {
      at = SkipBlanks(text, at + 6);
      std::optional<uint32_t> value = HexNumber(text, &at, 8);
      if (!value || !AtEnd(text, at)) return Skip("dword value is not 1 to 8 hex digits");
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(*value >> (8 * i));
      return Set(std::move(name), REG_DWORD, std::move(bytes));
    }
    if (!StartsWithNoCase(text, at, u"hex")) return Skip("unrecognized value data");
    at += 3;
    DWORD type = REG_BINARY;
    if (at < text.size() && text[at] == u'(') {
      ++at;
      std::optional<uint32_t> number = HexNumber(text, &at, 8);
      if (!number || at == text.size() || text[at] != u')') return Skip("hex(...) type is not 1 to 8 hex digits");
      type = *number;
      ++at;
    }
    if (at == text.size() || text[at] != u':') return Skip("unrecognized value data");
    std::string bytes;
    switch (HexList(text, at + 1, true, &bytes)) {
      case HexEnd::Done:
        return Set(std::move(name), type, std::move(bytes));
      case HexEnd::Continued:
        pending_ = RegeditOp{RegeditAction::SetValue, key_, std::move(name), type, std::move(bytes), line_};
        return;
      case HexEnd::Bad:
        return Skip("bad hex byte list");
    }
  }

  // "HKEY_CLASSES_ROOT\key [=] value" from the first column sets the key's
  // default string; after '=' one blank is part of the separator.
  void Win31Line(const std::u16string &text) {
    if (text.empty()) return;
    if (text.find(u'\0') != std::u16string::npos) return Skip("line holds a NUL character");
    if (text.compare(0, std::char_traits<char16_t>::length(kWin31Root), kWin31Root) != 0)
      return Skip("not a HKEY_CLASSES_ROOT\\ line");
    size_t end = text.find_first_of(u" \t=");
    if (end == std::u16string::npos) end = text.size();
    KeyName key;
    if (ParseKeyName(TrimBackslashes(text.substr(0, end)), &key) != KeyNameError::None || key.path.empty())
      return Skip("bad key name");
    size_t at = SkipBlanks(text, end);
    if (at < text.size() && text[at] == u'=') {
      ++at;
      if (at < text.size() && Blank(text[at])) ++at;
    }
    key_ = key.Full();
    Add(RegeditAction::CreateKey);
    Set({}, REG_SZ, Utf16Bytes(text.substr(at) + u'\0'));
  }

  Format format_;
  RegeditParse *out_;
  size_t line_ = 0;
  std::u16string key_;  // the key the value lines belong to; empty when none
  const char *keyProblem_ = "value line before any key line";
  std::optional<RegeditOp> pending_;  // a hex value whose line ended in a continuation
};

}  // namespace

bool ParseRegedit(const std::string &bytes, RegeditParse *out, std::string *reason) {
  *out = RegeditParse{};
  std::u16string text;
  std::vector<size_t> notUtf8;
  if (!Decode(bytes, &text, &notUtf8)) {
    *reason = "UTF-16 text with an odd number of bytes";
    return false;
  }
  std::vector<std::u16string> lines = SplitLines(text);
  std::u16string header = TrimEnd(lines[0].substr(SkipBlanks(lines[0], 0)));
  Format format;
  if (header == kHeader5) {
    format = Format::Version5;
  } else if (header == kHeader4) {
    format = Format::Version4;
  } else if (header == kHeaderWin31) {
    format = Format::Win31;
  } else if (header.compare(0, 7, kHeaderWin31) == 0) {
    // The system's tool accepts such a file and reads none of it.
    out->skipped.push_back({1, "the header names another REGEDIT version; nothing in the file is read"});
    return true;
  } else {
    *reason = "the first line is not \"Windows Registry Editor Version 5.00\", \"REGEDIT4\" or \"REGEDIT\"";
    return false;
  }
  out->notUtf8 = std::move(notUtf8);
  Parser parser(format, out);
  for (size_t i = 1; i < lines.size(); ++i) parser.Line(lines[i], i + 1);
  parser.Finish();
  return true;
}

}  // namespace tools
