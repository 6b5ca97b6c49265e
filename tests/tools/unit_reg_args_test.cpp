// The reg command line: what each accepted line asks for, the message for each
// refused one, and how query shows value data.
#include <gtest/gtest.h>

#include "reg_args.h"
#include "reg_values.h"
#include "support/text.h"

namespace {

using testing_text::U16;
using testing_text::U8;

const char *const kOperationNames[] = {"Help", "Query", "Add", "Delete", "Export", "Import"};

std::string Hex(const std::string &bytes) {
  std::string out;
  for (unsigned char b : bytes) out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
  return out;
}

// A compact rendering of everything the parse decided.
std::string Summary(const RegArgs &a) {
  std::string out = kOperationNames[static_cast<int>(a.operation)];
  if (a.operation == RegOperation::Help) return out + " " + kOperationNames[static_cast<int>(a.helpFor)];
  if (!a.machine.empty()) out += " \\\\" + U8(a.machine);
  if (a.operation != RegOperation::Import) out += " " + U8(a.key.Full());
  if (!a.file.empty()) out += " file=" + U8(a.file);
  if (a.value) out += " v=" + U8(*a.value);
  if (a.allValues) out += " va";
  if (a.recurse) out += " s";
  if (a.search) out += " f=" + U8(*a.search);
  if (a.keysOnly) out += " k";
  if (a.dataOnly) out += " d";
  if (a.caseSensitive) out += " c";
  if (a.exact) out += " e";
  if (a.type) out += " t=" + std::to_string(*a.type);
  if (a.operation == RegOperation::Add && a.value) out += " data=" + Hex(a.data);
  if (a.force) out += " force";
  return out;
}

bool Parse(const std::vector<std::string> &args, RegArgs *out, std::string *error) {
  std::vector<std::u16string> wide;
  for (const std::string &arg : args) wide.push_back(U16(arg));
  std::u16string message;
  bool ok = ParseRegArgs(wide, out, &message);
  *error = U8(message);
  return ok;
}

TEST(RegArgs, AcceptedCommandLines) {
  const struct {
    std::vector<std::string> args;
    const char *summary;
  } cases[] = {
      {{"/?"}, "Help Help"},
      {{"query", "/?"}, "Help Query"},
      {{"ADD", "-?"}, "Help Add"},
      {{"delete", "/h"}, "Help Delete"},
      {{"Export", "-H"}, "Help Export"},
      {{"query", "hklm\\Software\\X"}, "Query HKEY_LOCAL_MACHINE\\Software\\X"},
      {{"Query", "HKEY_CURRENT_USER\\A\\", "-V", "n", "/S", "/f", "x", "/K", "/c", "/E", "/t", "reg_dword"},
       "Query HKEY_CURRENT_USER\\A v=n s f=x k c e t=4"},
      {{"query", "HKCR", "/ve", "/reg:64"}, "Query HKEY_CLASSES_ROOT v="},
      {{"query", "\\\\pc\\HKLM\\a"}, "Query \\\\pc HKEY_LOCAL_MACHINE\\a"},
      {{"add", "HKU\\x", "/v", "n", "/t", "REG_DWORD", "/d", "0x2A", "/f"},
       "Add HKEY_USERS\\x v=n t=4 data=2a000000 force"},
      {{"add", "HKCC\\x", "/v", "n", "/t", "REG_DWORD", "/d", "4294967295"}, "Add HKEY_CURRENT_CONFIG\\x v=n t=4 data=ffffffff"},
      {{"add", "HKCU\\x", "/v", "q", "/t", "REG_QWORD", "/d", "0xFFFFFFFFFFFFFFFF"},
       "Add HKEY_CURRENT_USER\\x v=q t=11 data=ffffffffffffffff"},
      {{"add", "HKCU\\x", "/v", "q", "/t", "REG_QWORD"}, "Add HKEY_CURRENT_USER\\x v=q t=11 data=0000000000000000"},
      {{"add", "HKCU\\x", "/t", "REG_QWORD", "/d", "-1"}, "Add HKEY_CURRENT_USER\\x v= t=11 data=ffffffffffffffff"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x456"}, "Add HKEY_CURRENT_USER\\x v= t=5 data=56040000"},
      {{"add", "HKCU\\x", "/t", "reg_dword_little_endian", "/d", "1"}, "Add HKEY_CURRENT_USER\\x v= t=4 data=01000000"},
      {{"add", "HKCU\\x", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0b\\0"},
       "Add HKEY_CURRENT_USER\\x v=m t=7 data=61000000620000000000"},
      {{"add", "HKCU\\x", "/v", "m", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b"},
       "Add HKEY_CURRENT_USER\\x v=m t=7 data=61000000620000000000"},
      {{"add", "HKCU\\x", "/v", "m", "/t", "REG_MULTI_SZ", "/d", ""}, "Add HKEY_CURRENT_USER\\x v=m t=7 data=0000"},
      {{"add", "HKCU\\x", "/v", "m", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#"},
       "Add HKEY_CURRENT_USER\\x v=m t=7 data=00000000"},
      {{"add", "HKCU\\x", "/v", "b", "/t", "REG_BINARY", "/d", "00fF"}, "Add HKEY_CURRENT_USER\\x v=b t=3 data=00ff"},
      {{"add", "HKCU\\x", "/v", "b", "/t", "REG_BINARY", "/d", "DeAdBeEf0DD"},
       "Add HKEY_CURRENT_USER\\x v=b t=3 data=0deadbeef0dd"},
      {{"add", "HKCU\\x", "/v", "n", "/t", "REG_NONE", "/d", "z"}, "Add HKEY_CURRENT_USER\\x v=n t=0 data=7a000000"},
      {{"add", "HKCU\\x", "/d", "-5"}, "Add HKEY_CURRENT_USER\\x v= t=1 data=2d0035000000"},
      {{"add", "HKCU\\x", "/v", "e", "/t", "REG_EXPAND_SZ", "/d", "%P%"},
       "Add HKEY_CURRENT_USER\\x v=e t=2 data=250050002500" "0000"},
      {{"add", "HKCU\\x\\"}, "Add HKEY_CURRENT_USER\\x v= t=1 data=0000"},
      {{"delete", "HKCU\\x", "/va", "/f"}, "Delete HKEY_CURRENT_USER\\x va force"},
      {{"delete", "HKCU", "/v", "n"}, "Delete HKEY_CURRENT_USER v=n"},
      {{"export", "HKCU\\x", "out.reg", "/y"}, "Export HKEY_CURRENT_USER\\x file=out.reg force"},
      {{"import", "in.reg", "/reg:32"}, "Import file=in.reg"},
      {{"import", "/tmp/in.reg"}, "Import file=/tmp/in.reg"},
      {{"export", "HKCU\\x", "/tmp/out.reg", "/y"}, "Export HKEY_CURRENT_USER\\x file=/tmp/out.reg force"},
  };
  for (const auto &c : cases) {
    RegArgs parsed;
    std::string error;
    EXPECT_TRUE(Parse(c.args, &parsed, &error)) << c.summary << ": " << error;
    EXPECT_EQ(Summary(parsed), c.summary);
  }
}

TEST(RegArgs, RefusedCommandLinesNameTheProblemAndTheUsage) {
  const std::string longName(256, 'k');
  const struct {
    std::vector<std::string> args;
    const char *message;
    const char *usage;
  } cases[] = {
      {{}, "Invalid syntax.", "REG"},
      {{"copy", "HKCU\\a", "HKCU\\b"}, "Invalid syntax.", "REG"},
      {{"/?", "query"}, "Invalid syntax.", "REG"},
      {{"query"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "extra"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKXX\\a"}, "Invalid key name.", "REG QUERY"},
      {{"query", "HKCU\\"}, "Invalid key name.", "REG QUERY"},
      {{"query", "HKCU\\a\\\\"}, "Invalid key name.", "REG QUERY"},
      {{"query", "\\HKCU\\a"}, "Invalid key name.", "REG QUERY"},
      {{"query", "\\\\HKCU\\Software"}, "Invalid key name.", "REG QUERY"},
      {{"query", "/s", "HKCU"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "/?", "/s"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU\\" + longName}, "Invalid key name.", "REG QUERY"},
      {{"query", "HKCU\\a\\\\b"}, "Invalid key name.", "REG QUERY"},
      {{"query", "HKCU", "/zz"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "/s", "-S"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "/v"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "/v", "a", "/ve"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "/k"}, "Invalid syntax.", "REG QUERY"},
      {{"query", "HKCU", "/y"}, "Invalid syntax.", "REG QUERY"},
      {{"add", "HKCU\\x", "/t", "REG_FOO"}, "Invalid syntax.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_LINK"}, "Invalid syntax.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "0x100000000"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "-1"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "12a"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD", "/d", "0x"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_DWORD"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_QWORD", "/d", "-0x1"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_QWORD", "/d", "18446744073709551616"}, "Invalid syntax. Specify valid numeric value.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_BINARY", "/d", "0x12"}, "Invalid syntax. Specify hexadecimal digits only.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_BINARY", "/d", "x01"}, "Invalid syntax. Specify hexadecimal digits only.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, "Invalid syntax. REG_MULTI_SZ cannot hold an empty string.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#a"}, "Invalid syntax. REG_MULTI_SZ cannot hold an empty string.", "REG ADD"},
      {{"add", "HKCU\\x", "/t", "REG_MULTI_SZ", "/s", "ab", "/d", "a"}, "Invalid syntax.", "REG ADD"},
      {{"add", "HKCU\\x", "/va"}, "Invalid syntax.", "REG ADD"},
      {{"delete", "HKCU"}, "Invalid key name.", "REG DELETE"},
      {{"delete", "HKCU\\x", "/v", "a", "/va"}, "Invalid syntax.", "REG DELETE"},
      {{"export", "HKCU\\x"}, "Invalid syntax.", "REG EXPORT"},
      {{"export", "HKQQ", "a.reg"}, "Invalid key name.", "REG EXPORT"},
      {{"export", "\\\\pc\\HKLM\\a", "a.reg"}, "Invalid key name.", "REG EXPORT"},
      {{"export", "/y", "HKCU\\x", "a.reg"}, "Invalid syntax.", "REG EXPORT"},
      {{"export", "HKCU\\x", "/y", "a.reg"}, "Invalid syntax.", "REG EXPORT"},
      {{"import"}, "Invalid syntax.", "REG IMPORT"},
      {{"import", "a.reg", "/y"}, "Invalid syntax.", "REG IMPORT"},
  };
  for (const auto &c : cases) {
    RegArgs parsed;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &parsed, &error)) << c.message;
    EXPECT_EQ(error, std::string("ERROR: ") + c.message + "\nType \"" + c.usage + " /?\" for usage.\n");
  }
}

TEST(RegValues, QueryShowsDataAsReg) {
  const struct {
    DWORD type;
    std::string data;
    const char *shown;
  } cases[] = {
      {REG_SZ, std::string("a\0b\0", 4), "ab"},
      {REG_SZ, std::string("a\0\0\0b\0", 6), "a"},
      {REG_EXPAND_SZ, std::string("%\0", 2), "%"},
      {REG_MULTI_SZ, std::string("a\0\0\0b\0\0\0\0\0", 10), "a\\0b"},
      {REG_MULTI_SZ, std::string("\0\0", 2), ""},
      {REG_MULTI_SZ, std::string("a\0", 2), "a"},
      {REG_DWORD, std::string("\x2a\0\0\0", 4), "0x2a"},
      {REG_DWORD, std::string("\x2a\0", 2), "2A00"},
      {REG_QWORD, std::string("\0\0\0\0\0\0\0\x80", 8), "0x8000000000000000"},
      {REG_BINARY, std::string("\x01\xab", 2), "01AB"},
      {REG_NONE, "", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(U8(DataText(c.type, c.data)), c.shown) << c.shown;
  EXPECT_EQ(U8(TypeName(REG_MULTI_SZ)), "REG_MULTI_SZ");
  EXPECT_EQ(U8(TypeName(0x12345678)), "0x12345678");
}

}  // namespace
