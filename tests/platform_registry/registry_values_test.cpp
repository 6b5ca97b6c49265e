// Values: exact round trips, sizes, ERROR_MORE_DATA, RegGetValueW's restrictions.
#include <cstring>

#include "registry_fixture.h"

namespace registry_test {
namespace {

class RegistryValues : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Values", &key_), ERROR_SUCCESS);
  }
  Key key_;
};

std::string Wide(const std::u16string &text) {
  return std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2);
}

struct RoundTrip {
  const char *label;
  DWORD type;
  std::string bytes;
};

TEST_F(RegistryValues, TypeAndBytesRoundTripExactly) {
  const RoundTrip cases[] = {
      {"empty binary", REG_BINARY, ""},
      {"odd byte count", REG_BINARY, std::string("\x01\x02\x03", 3)},
      {"embedded NULs", REG_BINARY, std::string("a\0b\0\0", 5)},
      {"string of odd length", REG_SZ, Wide(u"ab") + "x"},
      {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {"short dword", REG_DWORD, std::string("\x01", 1)},
      {"multi-string", REG_MULTI_SZ, Wide(std::u16string(u"a\0b\0\0", 5))},
      {"unknown type", 0x12345678u, "payload"},
      {"none", REG_NONE, std::string("\xff", 1)},
  };
  for (const RoundTrip &c : cases) {
    ASSERT_EQ(SetBytes(key_.get(), c.label, c.type, c.bytes), ERROR_SUCCESS) << c.label;
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key_.get(), U16(c.label).c_str(), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type) << c.label;
    ASSERT_EQ(size, c.bytes.size()) << c.label;
    std::string back(size + 4, '\x55');
    DWORD capacity = static_cast<DWORD>(back.size());
    ASSERT_EQ(RegQueryValueExW(key_.get(), U16(c.label).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(back.data()),
                               &capacity),
              ERROR_SUCCESS);
    EXPECT_EQ(capacity, c.bytes.size()) << c.label;
    EXPECT_EQ(back.substr(0, capacity), c.bytes) << c.label;
    // (A string may get a terminator after it where there is room.)
    if (c.type != REG_SZ && c.type != REG_MULTI_SZ) {
      EXPECT_EQ(back.substr(capacity), std::string(4, '\x55')) << c.label << ": nothing written past the data";
    }
  }
}

// A string stored without its terminator keeps the size given, unless the
// unit right after the data is NUL: that one is counted in.
TEST_F(RegistryValues, StringsCountANulRightAfterTheirData) {
  const std::u16string text(u"abcd\0e", 6);
  struct {
    DWORD type;
    DWORD given, stored;
  } cases[] = {{REG_SZ, 6, 6}, {REG_SZ, 8, 10}, {REG_EXPAND_SZ, 8, 10}, {REG_BINARY, 8, 8}, {REG_SZ, 7, 7}};
  for (const auto &c : cases) {
    ASSERT_EQ(RegSetValueExW(key_.get(), TEXT("s"), 0, c.type, reinterpret_cast<const BYTE *>(text.data()), c.given),
              ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key_.get(), TEXT("s"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, c.stored) << c.type << " " << c.given;
  }
}

TEST_F(RegistryValues, ShortBufferGivesMoreDataWithTheSizeNeeded) {
  ASSERT_EQ(SetString(key_.get(), "CopyApp", "C:\\Tools\\copy.exe"), ERROR_SUCCESS);  // 17 units + NUL
  BYTE buffer[64];
  struct {
    DWORD capacity;
    LSTATUS status;
  } cases[] = {{0, ERROR_MORE_DATA}, {35, ERROR_MORE_DATA}, {36, ERROR_SUCCESS}, {64, ERROR_SUCCESS}};
  for (const auto &c : cases) {
    DWORD size = c.capacity, type = 0;
    EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("CopyApp"), nullptr, &type, buffer, &size), c.status) << c.capacity;
    EXPECT_EQ(size, 36u) << c.capacity;
    EXPECT_EQ(type, DWORD(REG_SZ)) << c.capacity;
  }
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("CopyApp"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 36u);
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("CopyApp"), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("CopyApp"), nullptr, nullptr, buffer, nullptr),
            ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("CopyApp"), &reserved, nullptr, nullptr, &size),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValues, MissingValuesAndTheDefaultValue) {
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("absent"), nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key_.get(), nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetString(key_.get(), "", "default"), ERROR_SUCCESS);
  WCHAR text[16];
  size = sizeof text;
  ASSERT_EQ(RegQueryValueExW(key_.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(U8(text), "default");
  EXPECT_EQ(RegDeleteValueW(key_.get(), nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key_.get(), nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueExW(key_.get(), TEXT("x"), 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
  EXPECT_EQ(RegSetValueExW(key_.get(), TEXT("x"), 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
}

TEST_F(RegistryValues, EnumerationKeepsTheOrderOfFirstSetting) {
  for (const char *name : {"zeta", "alpha", "Mid"}) ASSERT_EQ(SetString(key_.get(), name, name), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key_.get(), "ALPHA", "again"), ERROR_SUCCESS);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[16];
    DWORD size = 16;
    if (RegEnumValueW(key_.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    EXPECT_EQ(size, WideString(name).size());
    names.push_back(U8(name));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "Mid"}));
}

TEST_F(RegistryValues, EnumValueReportsShortNameAndDataBuffers) {
  ASSERT_EQ(SetString(key_.get(), "Name", "data"), ERROR_SUCCESS);  // 10 bytes
  WCHAR name[8];
  BYTE data[16];
  DWORD nameSize = 4, dataSize = 16, type = 0;
  EXPECT_EQ(RegEnumValueW(key_.get(), 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  nameSize = 5;
  dataSize = 9;
  EXPECT_EQ(RegEnumValueW(key_.get(), 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 10u);
  nameSize = 5;
  dataSize = 10;
  ASSERT_EQ(RegEnumValueW(key_.get(), 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(nameSize, 4u);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(U8(reinterpret_cast<WCHAR *>(data)), "data");
  nameSize = 5;
  dataSize = 0;
  EXPECT_EQ(RegEnumValueW(key_.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(dataSize, 10u);
  EXPECT_EQ(RegEnumValueW(key_.get(), 0, nullptr, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
}

struct GetCase {
  const char *label;
  DWORD type;
  std::string bytes;
  DWORD flags;
  LSTATUS status;
  DWORD typeOut;
  std::string bytesOut;
};

// Stores the case's value and reads it back through RegGetValueW.
void CheckGetValue(HKEY key, const GetCase &c) {
  ASSERT_EQ(SetBytes(key, c.label, c.type, c.bytes), ERROR_SUCCESS) << c.label;
  BYTE buffer[64];
  DWORD size = sizeof buffer, type = 0;
  EXPECT_EQ(RegGetValueW(key, nullptr, U16(c.label).c_str(), c.flags, &type, buffer, &size), c.status)
      << c.label;
  if (c.status != ERROR_SUCCESS) return;
  EXPECT_EQ(type, c.typeOut) << c.label;
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), size), c.bytesOut) << c.label;
  DWORD sizeOnly = 0;
  EXPECT_EQ(RegGetValueW(key, nullptr, U16(c.label).c_str(), c.flags, nullptr, nullptr, &sizeOnly),
            ERROR_SUCCESS);
  EXPECT_EQ(sizeOnly, c.bytesOut.size()) << c.label;
}

TEST_F(RegistryValues, GetValueRestrictsTypes) {
  const std::string dword("\x01\x00\x00\x00", 4);
  const std::string qword("\x01\x00\x00\x00\x00\x00\x00\x00", 8);
  const GetCase cases[] = {
      {"sz any", REG_SZ, Wide(u"ab") + Wide(std::u16string(1, 0)), RRF_RT_ANY, ERROR_SUCCESS, REG_SZ,
       Wide(std::u16string(u"ab\0", 3))},
      {"sz unterminated", REG_SZ, Wide(u"ab"), RRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ, Wide(std::u16string(u"ab\0", 3))},
      {"sz as dword", REG_SZ, Wide(u"1"), RRF_RT_REG_DWORD, ERROR_UNSUPPORTED_TYPE, 0, ""},
      {"dword", REG_DWORD, dword, RRF_RT_DWORD, ERROR_SUCCESS, REG_DWORD, dword},
      {"binary as dword", REG_BINARY, dword, RRF_RT_DWORD, ERROR_SUCCESS, REG_BINARY, dword},
      {"long binary as dword", REG_BINARY, qword, RRF_RT_DWORD, ERROR_DATATYPE_MISMATCH, 0, ""},
      {"short dword", REG_DWORD, "\x01", RRF_RT_REG_DWORD, ERROR_SUCCESS, REG_DWORD, "\x01"},
      {"qword", REG_QWORD, qword, RRF_RT_QWORD, ERROR_SUCCESS, REG_QWORD, qword},
      {"dword as qword", REG_DWORD, dword, RRF_RT_QWORD, ERROR_UNSUPPORTED_TYPE, 0, ""},
      {"odd type binary", 0x99, "z", RRF_RT_REG_BINARY, ERROR_UNSUPPORTED_TYPE, 0, ""},
      {"expand kept", REG_EXPAND_SZ, Wide(u"%X%"), RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, ERROR_SUCCESS, REG_EXPAND_SZ,
       Wide(std::u16string(u"%X%\0", 4))},
      {"expand without noexpand", REG_EXPAND_SZ, Wide(u"%X%"), RRF_RT_REG_EXPAND_SZ, ERROR_INVALID_PARAMETER, 0, ""},
      {"no type admitted", REG_SZ, Wide(u"a"), 0, ERROR_UNSUPPORTED_TYPE, 0, ""},
  };
  for (const GetCase &c : cases) CheckGetValue(key_.get(), c);
}

// Strings come back terminated, whatever their stored length, and RRF_RT_ANY
// admits every type.
TEST_F(RegistryValues, GetValueTerminatesStringsAndAdmitsAnyType) {
  const GetCase cases[] = {
      {"sz odd bytes", REG_SZ, Wide(u"ab") + "x", RRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ,
       Wide(std::u16string(u"ab\0", 3))},
      {"sz empty", REG_SZ, "", RRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ, Wide(std::u16string(1, 0))},
      {"multi unterminated", REG_MULTI_SZ, Wide(std::u16string(u"a\0b", 3)), RRF_RT_REG_MULTI_SZ, ERROR_SUCCESS,
       REG_MULTI_SZ, Wide(std::u16string(u"a\0b\0\0", 5))},
      {"odd type any", 0x99, "z", RRF_RT_ANY, ERROR_SUCCESS, 0x99, "z"},
  };
  for (const GetCase &c : cases) CheckGetValue(key_.get(), c);
}

TEST_F(RegistryValues, GetValueCountsTheAddedTerminatorInShortBuffers) {
  ASSERT_EQ(SetBytes(key_.get(), "v", REG_SZ, Wide(u"abc")), ERROR_SUCCESS);
  WCHAR buffer[4];
  DWORD size = 6;
  EXPECT_EQ(RegGetValueW(key_.get(), nullptr, TEXT("v"), RRF_RT_REG_SZ, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  size = 8;
  ASSERT_EQ(RegGetValueW(key_.get(), nullptr, TEXT("v"), RRF_RT_REG_SZ, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(U8(buffer), "abc");
}

TEST_F(RegistryValues, GetValueOpensTheSubkeyExpandsAndZeroesOnFailure) {
  Key sub;
  ASSERT_EQ(Create(key_.get(), "Sub", &sub), ERROR_SUCCESS);
  SetEnvironment("REGISTRY_TEST_HOME", "/home/tovin");
  ASSERT_EQ(SetBytes(sub.get(), "path", REG_EXPAND_SZ, Wide(std::u16string(u"%REGISTRY_TEST_HOME%\\x %NOPE%\0", 30))),
            ERROR_SUCCESS);
  WCHAR text[64];
  DWORD size = sizeof text, type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, TEXT("Software\\Values\\Sub"), TEXT("path"), RRF_RT_REG_SZ, &type, text,
                         &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(U8(text), "/home/tovin\\x %NOPE%");

  BYTE buffer[8];
  std::memset(buffer, 0xAA, sizeof buffer);
  size = sizeof buffer;
  EXPECT_EQ(RegGetValueW(key_.get(), TEXT("Sub"), TEXT("absent"), RRF_RT_ANY | RRF_ZEROONFAILURE, nullptr, buffer,
                         &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 8), std::string(8, '\0'));
  EXPECT_EQ(RegGetValueW(key_.get(), TEXT("Absent"), TEXT("path"), RRF_RT_ANY, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace registry_test
