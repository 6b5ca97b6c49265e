// The regedit file format: what the writer produces reads back to the same
// operations, and the reader's handling of comments, continuations, skipped
// lines and refused files.
#include <gtest/gtest.h>

#include "regedit_reader.h"
#include "regedit_writer.h"
#include "support/text.h"

namespace {

using testing_text::U16;
using testing_text::U8;
using tools::RegeditAction;
using tools::RegeditOp;

const std::u16string kKey = u"HKEY_CURRENT_USER\\Software\\Tovin";

std::string Utf16(const std::u16string &text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// UTF-16 text and its terminating NUL, as a string value is stored.
std::string Sz(const std::u16string &text) { return Utf16(text + u'\0'); }

RegeditOp Op(RegeditAction action, std::u16string key, std::u16string name = {}, DWORD type = REG_NONE,
             std::string data = {}) {
  return {action, std::move(key), std::move(name), type, std::move(data), 0};
}

tools::RegeditParse Parse(const std::string &bytes) {
  tools::RegeditParse parse;
  std::string reason;
  EXPECT_TRUE(tools::ParseRegedit(bytes, &parse, &reason)) << reason;
  return parse;
}

tools::RegeditParse ParseBody(const std::string &body) {
  return Parse("Windows Registry Editor Version 5.00\r\n" + body);
}

void ExpectSameOps(const std::vector<RegeditOp> &actual, const std::vector<RegeditOp> &expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i)
    EXPECT_TRUE(actual[i].SameAs(expected[i])) << "op " << i << ": " << U8(actual[i].key) << " "
                                               << U8(actual[i].name) << " type " << actual[i].type;
}

TEST(RegeditFormat, EveryValueRoundTripsByteExact) {
  const struct {
    std::u16string name;
    DWORD type;
    std::string data;
    const char *line;  // the value line as written
  } cases[] = {
      {u"Path", REG_SZ, Sz(u"C:\\x \"q\""), R"("Path"="C:\\x \"q\"")"},
      {u"", REG_SZ, Sz(u"default"), R"(@="default")"},
      {u"a\"b\\c", REG_SZ, Sz(u""), R"("a\"b\\c"="")"},
      {u"wide", REG_SZ, Sz(u"\u00e9\U0001F600"), "\"wide\"=\"\u00e9\U0001F600\""},
      {u"lone surrogate", REG_SZ, Sz(std::u16string(1, u'\xD800')), nullptr},
      {u"no terminator", REG_SZ, Utf16(u"ab"), R"("no terminator"=hex(1):61,00,62,00)"},
      {u"odd size", REG_SZ, "a", R"("odd size"=hex(1):61)"},
      {u"inner NUL", REG_SZ, Sz(std::u16string(u"a\0b", 3)), R"("inner NUL"=hex(1):61,00,00,00,62,00,00,00)"},
      {u"line break", REG_SZ, Sz(u"a\nb"), R"("line break"=hex(1):61,00,0a,00,62,00,00,00)"},
      {u"expand", REG_EXPAND_SZ, Sz(u"%A%"), R"("expand"=hex(2):25,00,41,00,25,00,00,00)"},
      {u"multi", REG_MULTI_SZ, Utf16(std::u16string(u"a\0b\0\0", 5)), R"("multi"=hex(7):61,00,00,00,62,00,00,00,00,00)"},
      {u"dword", REG_DWORD, std::string("\x2a\0\0\0", 4), R"("dword"=dword:0000002a)"},
      {u"dword max", REG_DWORD, "\xff\xff\xff\xff", R"("dword max"=dword:ffffffff)"},
      {u"short dword", REG_DWORD, "\x01\x02", R"("short dword"=hex(4):01,02)"},
      {u"qword", REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8), R"("qword"=hex(b):01,00,00,00,00,00,00,80)"},
      {u"binary", REG_BINARY, std::string("\x00\xff\x10", 3), R"("binary"=hex:00,ff,10)"},
      {u"empty binary", REG_BINARY, "", R"("empty binary"=hex:)"},
      {u"none", REG_NONE, "\x01", R"("none"=hex(0):01)"},
      {u"big endian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x01", 4), R"("big endian"=hex(5):00,00,00,01)"},
      {u"any type", 0x12345678, "\xab", R"("any type"=hex(12345678):ab)"},
  };
  std::vector<RegeditOp> ops = {Op(RegeditAction::CreateKey, kKey)};
  for (const auto &c : cases) ops.push_back(Op(RegeditAction::SetValue, kKey, c.name, c.type, c.data));
  tools::RegeditParse parse = Parse(tools::RegeditFileBytes(ops));
  EXPECT_TRUE(parse.skipped.empty());
  ExpectSameOps(parse.ops, ops);

  std::string text = U8(tools::RegeditText(ops));
  for (const auto &c : cases) {
    if (!c.line) continue;
    EXPECT_NE(text.find(std::string("\r\n") + c.line + "\r\n"), std::string::npos) << c.line;
  }
}

TEST(RegeditFormat, FileLayout) {
  std::vector<RegeditOp> ops = {
      Op(RegeditAction::CreateKey, kKey),        Op(RegeditAction::SetValue, kKey, u"a", REG_SZ, Sz(u"1")),
      Op(RegeditAction::DeleteValue, kKey, u"b"), Op(RegeditAction::DeleteKey, kKey + u"\\Old"),
      Op(RegeditAction::CreateKey, kKey + u"\\Empty"),
  };
  std::string bytes = tools::RegeditFileBytes(ops);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(U8(tools::RegeditText(ops)),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tovin]\r\n\"a\"=\"1\"\r\n\"b\"=-\r\n\r\n"
            "[-HKEY_CURRENT_USER\\Software\\Tovin\\Old]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tovin\\Empty]\r\n\r\n");
  ExpectSameOps(Parse(bytes).ops, ops);
  // A REG_SZ without any bytes is the empty string too.
  EXPECT_NE(U8(tools::RegeditText({Op(RegeditAction::CreateKey, kKey), Op(RegeditAction::SetValue, kKey, u"e", REG_SZ)}))
                .find("\r\n\"e\"=\"\"\r\n"),
            std::string::npos);
}

TEST(RegeditFormat, NamesRoundTripUnlessALineBreakWouldEndTheirLine) {
  const struct {
    std::u16string name;  // given to a key and to a value
    bool writable;
  } cases[] = {
      {u"j]", true},      {u" lead", true},   {u"trail ", true}, {u"a;b", true},     {u"[x]=", true},
      {u"q\"", true},   {u"\t\x1b[31m", true}, {u"a\rb", false}, {u"a\nb", false},
      {u"j]\r\n[-HKEY_CLASSES_ROOT\\CLSID", false},
  };
  for (const auto &c : cases) {
    const std::u16string key = kKey + u"\\" + c.name;
    const std::vector<RegeditOp> asKey = {Op(RegeditAction::CreateKey, key), Op(RegeditAction::DeleteKey, key)};
    const std::vector<RegeditOp> asValue = {Op(RegeditAction::CreateKey, kKey),
                                            Op(RegeditAction::SetValue, kKey, c.name, REG_SZ, Sz(u"1")),
                                            Op(RegeditAction::DeleteValue, kKey, c.name)};
    for (const std::vector<RegeditOp> *ops : {&asKey, &asValue}) {
      const std::u16string refused = c.writable ? u"-" : ops == &asKey ? key : kKey;
      EXPECT_EQ(tools::KeyWithUnwritableName(*ops).value_or(u"-"), refused) << U8(c.name);
      if (c.writable) ExpectSameOps(Parse(tools::RegeditFileBytes(*ops)).ops, *ops);
    }
  }
}

TEST(RegeditFormat, LongDataWrapsAtEightyColumns) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>(i);
  std::vector<RegeditOp> ops = {Op(RegeditAction::CreateKey, kKey),
                                Op(RegeditAction::SetValue, kKey, u"Blob", REG_BINARY, data)};
  std::u16string text = tools::RegeditText(ops);
  size_t continued = 0;
  for (size_t start = 0, end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
    std::u16string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 80u) << U8(line);
    if (line.rfind(u"  ", 0) == 0) ++continued;
  }
  EXPECT_GE(continued, 11u);  // 900 columns of bytes
  EXPECT_NE(text.find(u"\"Blob\"=hex:00,01,"), std::u16string::npos);
  ExpectSameOps(Parse(tools::RegeditFileBytes(ops)).ops, ops);
}

TEST(RegeditReader, CommentsBlankLinesContinuationsAndLineNumbers) {
  tools::RegeditParse parse = ParseBody(
      "\r\n"
      "; a comment\n"
      "  [HKEY_CURRENT_USER\\Software\\Tovin]  \r\n"
      "\t; indented comment\r"
      "\"Blob\"=hex:01,02,\\\r\n"
      "    03,\\\r\n"
      "  04\r\n"
      "@ = \"x\"\r\n"
      "\"n\"=DWORD:A\r\n"
      "# a comment too\r\n"
      "\t\"s\"\t=\t\"a;b\" ; c\r\n"
      "\"d\" = dword:\t1;c\r\n"
      "\"h\"=hex:01 ;c\r\n"
      "\"r\" = - ;c\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tovin\\Sub \\\\] \r\n");
  EXPECT_TRUE(parse.skipped.empty());
  ASSERT_EQ(parse.ops.size(), 9u);
  EXPECT_EQ(parse.ops[0].line, 4u);
  EXPECT_TRUE(parse.ops[1].SameAs(Op(RegeditAction::SetValue, kKey, u"Blob", REG_BINARY, "\x01\x02\x03\x04")));
  EXPECT_EQ(parse.ops[1].line, 6u);
  EXPECT_TRUE(parse.ops[2].SameAs(Op(RegeditAction::SetValue, kKey, u"", REG_SZ, Sz(u"x"))));
  EXPECT_EQ(parse.ops[2].line, 9u);
  EXPECT_EQ(parse.ops[3].data, std::string("\x0a\0\0\0", 4));
  EXPECT_TRUE(parse.ops[4].SameAs(Op(RegeditAction::SetValue, kKey, u"s", REG_SZ, Sz(u"a;b"))));
  EXPECT_EQ(parse.ops[5].data, std::string("\1\0\0\0", 4));
  EXPECT_EQ(parse.ops[6].data, "\x01");
  EXPECT_EQ(parse.ops[7].action, RegeditAction::DeleteValue);
  EXPECT_EQ(parse.ops[8].key, kKey + u"\\Sub ");  // trailing backslashes name the key itself
}

// After "hex:01,\" every line but blank and ';' lines continues the data: a
// line that does not parse as bytes spoils the value and is lost with it.
TEST(RegeditReader, HexContinuation) {
  const struct {
    const char *rest;  // the lines after "v"=hex:01,\ and before "ok"="1"
    const char *bytes;  // the value's bytes; null when it is skipped
    std::vector<size_t> skipped;
    bool ok;  // "ok" is read
  } cases[] = {
      {"  02", "\x01\x02", {}, true},
      {"\r\n\t\r\n  ;c\r\n  02 ;c", "\x01\x02", {}, true},
      {"  02,\\ ;c\r\n03", "\x01\x02\x03", {}, true},
      {"  02,\r\n  03", "\x01\x02", {5}, true},  // the list ended at the comma
      {"#c", nullptr, {3}, true},
      {"", nullptr, {3}, false},  // "ok" is read as bytes
      {"\r\n;c", nullptr, {3}, false},
      {"  \\\r\n  02", nullptr, {3, 5}, true},
      {"  ,02", nullptr, {3}, true},
      {"[HKCU\\x]", nullptr, {3}, true},  // the key line is lost, so "ok" lands under the first key
  };
  for (const auto &c : cases) {
    std::string body = "[HKEY_CURRENT_USER\\Software\\Tovin]\r\n\"v\"=hex:01,\\\r\n";
    if (*c.rest) body += std::string(c.rest) + "\r\n";
    tools::RegeditParse parse = ParseBody(body + "\"ok\"=\"1\"\r\n");
    std::vector<size_t> skipped;
    for (const auto &skip : parse.skipped) skipped.push_back(skip.line);
    EXPECT_EQ(skipped, c.skipped) << c.rest;
    bool found = false, ok = false;
    for (const auto &op : parse.ops) {
      if (op.name == u"v") found = op.data == (c.bytes ? c.bytes : "") && op.line == 3;
      ok = ok || (op.name == u"ok" && op.key == kKey);
    }
    EXPECT_EQ(found, c.bytes != nullptr) << c.rest;
    EXPECT_EQ(ok, c.ok) << c.rest;
  }
  // A continuation on the last line ends the value there.
  tools::RegeditParse last = ParseBody("[HKCU\\x]\r\n\"v\"=hex(2):,\\");
  EXPECT_EQ(last.ops.size(), 1u);
  last = ParseBody("[HKCU\\x]\r\n\"v\"=hex(2):\\\r\n41,00");
  ASSERT_EQ(last.ops.size(), 2u);
  EXPECT_EQ(last.ops[1].data, std::string("A\0", 2));
}

TEST(RegeditReader, EncodingsAndVersions) {
  const std::u16string body = u"\r\n[HKCU\\Software\\Tovin]\r\n\"t\"=\"\u00e9\"\r\n";
  const std::vector<RegeditOp> expected = {Op(RegeditAction::CreateKey, kKey),
                                           Op(RegeditAction::SetValue, kKey, u"t", REG_SZ, Sz(u"\u00e9"))};
  const std::string header = "Windows Registry Editor Version 5.00";
  ExpectSameOps(Parse("\xFF\xFE" + Utf16(U16(header) + body)).ops, expected);
  ExpectSameOps(Parse(header + U8(body)).ops, expected);
  ExpectSameOps(Parse("\xEF\xBB\xBF" + header + U8(body)).ops, expected);
  ExpectSameOps(Parse("REGEDIT4" + U8(body)).ops, expected);
  ExpectSameOps(Parse(" \t" + header + " \t" + U8(body)).ops, expected);
  ExpectSameOps(Parse("\xFF\xFE" + Utf16(u"REGEDIT4" + body)).ops, expected);

  // Bytes that are not UTF-8 read as U+FFFD, and their lines are listed (a real U+FFFD is no such byte).
  tools::RegeditParse damaged = Parse("REGEDIT4\n[HKCU\\x\xE2]\r\n\"a\"=\"\xC3\"\r\r\"\xEF\xBF\xBD\"=\"\xFF\"\n");
  EXPECT_EQ(damaged.notUtf8, (std::vector<size_t>{2, 3, 5}));
  ExpectSameOps(damaged.ops, {Op(RegeditAction::CreateKey, u"HKEY_CURRENT_USER\\x\uFFFD"),
                              Op(RegeditAction::SetValue, u"HKEY_CURRENT_USER\\x\uFFFD", u"a", REG_SZ, Sz(u"\uFFFD")),
                              Op(RegeditAction::SetValue, u"HKEY_CURRENT_USER\\x\uFFFD", u"\uFFFD", REG_SZ, Sz(u"\uFFFD"))});
  EXPECT_TRUE(Parse(header + U8(body)).notUtf8.empty());

  // Another REGEDIT version is accepted and nothing of it is read.
  for (const char *other : {"REGEDIT5", "REGEDIT 4", "REGEDIT4 x", "REGEDIT3"}) {
    tools::RegeditParse parse = Parse(other + U8(body));
    EXPECT_TRUE(parse.ops.empty()) << other;
    ASSERT_EQ(parse.skipped.size(), 1u) << other;
    EXPECT_EQ(parse.skipped[0].line, 1u) << other;
  }

  // "REGEDIT": lines "HKEY_CLASSES_ROOT\key [=] text" set the key's default string.
  const struct {
    const char *line;
    const char16_t *value;  // null when the line is skipped
  } win31[] = {
      {"HKEY_CLASSES_ROOT\\.t = a b ", u"a b "}, {"HKEY_CLASSES_ROOT\\.t =  a", u" a"},
      {"HKEY_CLASSES_ROOT\\.t=a", u"a"},          {"HKEY_CLASSES_ROOT\\.t  a", u"a"},
      {"HKEY_CLASSES_ROOT\\.t", u""},             {"HKEY_CLASSES_ROOT\\.t\t", u""},
      {" HKEY_CLASSES_ROOT\\.t = a", nullptr},    {"hkey_classes_root\\.t = a", nullptr},
      {"HKEY_CLASSES_ROOT = a", nullptr},          {";HKEY_CLASSES_ROOT\\.t = a", nullptr},
  };
  for (const auto &c : win31) {
    tools::RegeditParse parse = Parse(std::string("REGEDIT\r\n") + c.line);
    if (!c.value) {
      EXPECT_TRUE(parse.ops.empty() && parse.skipped.size() == 1) << c.line;
      continue;
    }
    ExpectSameOps(parse.ops, {Op(RegeditAction::CreateKey, u"HKEY_CLASSES_ROOT\\.t"),
                              Op(RegeditAction::SetValue, u"HKEY_CLASSES_ROOT\\.t", u"", REG_SZ, Sz(c.value))});
  }

  // REGEDIT4 keeps hex(2) and hex(7) text in single bytes; they are widened.
  tools::RegeditParse old = Parse("REGEDIT4\r\n[HKCU\\x]\r\n\"e\"=hex(2):41,00\r\n\"m\"=hex(7):61,00,62,00,00\r\n");
  ASSERT_EQ(old.ops.size(), 3u);
  EXPECT_EQ(old.ops[1].data, Sz(u"A"));
  EXPECT_EQ(old.ops[2].data, Utf16(std::u16string(u"a\0b\0\0", 5)));
}

TEST(RegeditReader, BadLinesAreSkippedWithTheirNumbersAndTheRestApplied) {
  const struct {
    std::string line;
    const char *reason;
  } cases[] = {
      {"garbage", "not a key, value or comment line"},
      {std::string("\"a\0b\"=\"1\"", 9), "line holds a NUL character"},
      {"\"open=1", "value name without a closing quote"},
      {"\"n\" \"x\"", "no '=' after the value name"},
      {"\"n\"=\"abc", "string without a closing quote"},
      {"\"n\"=\"abc\" x", "text after the closing quote"},
      {"\"n\"=\"abc\"#x", "text after the closing quote"},
      {"\"n\"=\"a\\0\"", "string with a backslash not before \\ or \""},
      {"\"n\\", "value name with a backslash not before \\ or \""},
      {"\"n\"=#\"x\"", "unrecognized value data"},
      {"\"n\"=- x", "text after '-'"},
      {"\"n\"=dword:123456789", "dword value is not 1 to 8 hex digits"},
      {"\"n\"=dword:", "dword value is not 1 to 8 hex digits"},
      {"\"n\"=dword:-1", "dword value is not 1 to 8 hex digits"},
      {"\"n\"=dword:1 #x", "dword value is not 1 to 8 hex digits"},
      {"\"n\"=dword:0x1", "dword value is not 1 to 8 hex digits"},
      {"\"n\"=hex:1g", "bad hex byte list"},
      {"\"n\"=hex:123", "bad hex byte list"},
      {"\"n\"=hex:01,,02", "bad hex byte list"},
      {"\"n\"=hex:,01", "bad hex byte list"},
      {"\"n\"=hex:01 #x", "bad hex byte list"},
      {"\"n\"=hex:01\\", "bad hex byte list"},  // a continuation follows a comma
      {"\"n\"=hex:01,\\ 02", "bad hex byte list"},
      {"\"n\"=hex(0x2):00", "hex(...) type is not 1 to 8 hex digits"},
      {"\"n\"=hex(100000000):00", "hex(...) type is not 1 to 8 hex digits"},
      {"\"n\"=hex(zz):00", "hex(...) type is not 1 to 8 hex digits"},
      {"\"n\"=hex(1:00", "hex(...) type is not 1 to 8 hex digits"},
      {"\"n\"=text", "unrecognized value data"},
      {"\"n\"=hexa:00", "unrecognized value data"},
      {"\"n\"=", "unrecognized value data"},
  };
  for (const auto &c : cases) {
    tools::RegeditParse parse =
        ParseBody("[HKEY_CURRENT_USER\\Software\\Tovin]\r\n" + c.line + "\r\n\"ok\"=\"1\"\r\n");
    ASSERT_EQ(parse.skipped.size(), 1u) << c.line;
    EXPECT_EQ(parse.skipped[0].line, 3u) << c.line;
    EXPECT_EQ(parse.skipped[0].reason, c.reason) << c.line;
    ASSERT_EQ(parse.ops.size(), 2u) << c.line;
    EXPECT_EQ(parse.ops[1].line, 4u) << c.line;
  }
}

TEST(RegeditReader, ValuesWithoutAValidKeyAreSkipped) {
  const struct {
    std::string keyLine;
    const char *reason;
    const char *valueReason;
  } cases[] = {
      {"", nullptr, "value line before any key line"},
      {"[HKEY_CURRENT_USER\\x", "key line without a closing bracket", "value line after a key line that was skipped"},
      {"[HKEY_NOPE\\x]", "unknown root key", "value line after a key line that was skipped"},
      {"[HKCU\\a\\\\b]", "key name with an empty component", "value line after a key line that was skipped"},
      {"[HKCU\\" + std::string(256, 'k') + "]", "key name component longer than 255 characters",
       "value line after a key line that was skipped"},
      {"[-HKEY_CURRENT_USER]", "a root key cannot be deleted", "value line after a key line that was skipped"},
      {"[-HKCU\\x]", nullptr, "value line after a key deletion"},
  };
  for (const auto &c : cases) {
    tools::RegeditParse parse = ParseBody("; first\r\n" + c.keyLine + "\r\n\"v\"=\"1\"\r\n[HKCU\\ok]\r\n");
    std::vector<tools::RegeditSkip> expected;
    if (c.reason) expected.push_back({3, c.reason});
    expected.push_back({4, c.valueReason});
    ASSERT_EQ(parse.skipped.size(), expected.size()) << c.keyLine;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(parse.skipped[i].line, expected[i].line) << c.keyLine;
      EXPECT_EQ(parse.skipped[i].reason, expected[i].reason) << c.keyLine;
    }
    EXPECT_EQ(parse.ops.back().key, u"HKEY_CURRENT_USER\\ok") << c.keyLine;
  }
}

TEST(RegeditReader, FilesWithoutAHeaderAreRefusedWhole) {
  const struct {
    const char *label;
    std::string bytes;
    const char *reason;
  } cases[] = {
      {"empty", "", "first line"},
      {"lower case", "regedit4\r\n[HKCU\\x]\r\n", "first line"},
      {"other version", "Windows Registry Editor Version 4.00\r\n", "first line"},
      {"UTF-16 without a byte-order mark", Utf16(u"REGEDIT4\r\n"), "first line"},
      {"header not first", "\r\nREGEDIT4\r\n[HKCU\\x]\r\n", "first line"},
      {"big-endian UTF-16", "\xFE\xFF" + std::string("\0R\0E\0G", 6), "first line"},
      {"odd UTF-16", "\xFF\xFE" + Utf16(u"REGEDIT4\r\n") + "x", "odd number of bytes"},
      {"binary", std::string("\x00\x01\x02\x03", 4), "first line"},
  };
  for (const auto &c : cases) {
    tools::RegeditParse parse;
    parse.ops.push_back(Op(RegeditAction::CreateKey, kKey));
    std::string reason;
    EXPECT_FALSE(tools::ParseRegedit(c.bytes, &parse, &reason)) << c.label;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.label << ": " << reason;
    EXPECT_TRUE(parse.ops.empty() && parse.skipped.empty()) << c.label;
  }
}

}  // namespace
