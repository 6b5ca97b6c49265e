// What the registry functions write to their out arguments when they fail or
// meet a short buffer.
#include <cstdint>
#include <cstring>

#include "registry_fixture.h"

namespace registry_test {
namespace {

class RegistryOutArguments : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Out", &key_), ERROR_SUCCESS);
  }
  Key key_;
};

const HKEY kPoison = reinterpret_cast<HKEY>(uintptr_t(0xBAD0));

// A failed open or create leaves a null handle behind; a create through an
// invalid handle or with a refused argument leaves it as it was.
TEST_F(RegistryOutArguments, FailedOpenAndCreateGiveANullHandle) {
  struct {
    const char *label;
    LSTATUS expected;
    LSTATUS (*call)(HKEY parent, HKEY *out);
    bool nulled;
  } cases[] = {
      {"open missing", ERROR_FILE_NOT_FOUND,
       [](HKEY p, HKEY *o) { return RegOpenKeyExW(p, TEXT("Missing"), 0, KEY_READ, o); }, true},
      {"open with a bad handle", ERROR_INVALID_HANDLE,
       [](HKEY, HKEY *o) { return RegOpenKeyExW(nullptr, TEXT("Missing"), 0, KEY_READ, o); }, true},
      {"open with a leading backslash", ERROR_BAD_PATHNAME,
       [](HKEY p, HKEY *o) { return RegOpenKeyExW(p, TEXT("\\Missing"), 0, KEY_READ, o); }, true},
      {"create with a reserved argument", ERROR_INVALID_PARAMETER,
       [](HKEY p, HKEY *o) { return RegCreateKeyExW(p, TEXT("New"), 1, nullptr, 0, KEY_READ, nullptr, o, nullptr); },
       false},
      {"create with a bad handle", ERROR_INVALID_HANDLE,
       [](HKEY, HKEY *o) { return RegCreateKeyExW(nullptr, TEXT("New"), 0, nullptr, 0, KEY_READ, nullptr, o, nullptr); },
       false},
  };
  for (const auto &c : cases) {
    HKEY out = kPoison;
    EXPECT_EQ(c.call(key_.get(), &out), c.expected) << c.label;
    EXPECT_EQ(out, c.nulled ? nullptr : kPoison) << c.label;
  }
}

// A size query of a missing value gives 0, a read into a buffer leaves the
// size alone; one variable may take both the type and the size.
TEST_F(RegistryOutArguments, QueryValueSizes) {
  DWORD type = 0, size = 0xBAD0;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("Missing"), nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 0u);
  BYTE data[8];
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("Missing"), nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, DWORD(sizeof data));

  const DWORD four = 0x01020304;
  ASSERT_EQ(RegSetValueExW(key_.get(), TEXT("Bin"), 0, REG_BINARY, reinterpret_cast<const BYTE *>(&four), 4),
            ERROR_SUCCESS);
  DWORD both = 4;
  EXPECT_EQ(RegQueryValueExW(key_.get(), TEXT("Bin"), nullptr, &both, data, &both), ERROR_SUCCESS);
  EXPECT_EQ(std::memcmp(data, &four, 4), 0);
}

// A short name buffer gives ERROR_MORE_DATA, leaves the name and its size as
// they were, and still tells the type and the data size.
TEST_F(RegistryOutArguments, EnumValueWithAShortNameBuffer) {
  ASSERT_EQ(SetString(key_.get(), "LongName", "data"), ERROR_SUCCESS);  // 10 bytes
  WCHAR name[4] = {TEXT('x'), TEXT('x'), TEXT('x'), TEXT('x')};
  BYTE data[16];
  std::memset(data, 0x55, sizeof data);
  DWORD nameSize = 4, type = 0, dataSize = sizeof data;
  EXPECT_EQ(RegEnumValueW(key_.get(), 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(nameSize, 4u);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(dataSize, 10u);
  EXPECT_EQ(name[0], TEXT('x'));
  EXPECT_EQ(data[0], 0x55);
}

// An index past the end gives ERROR_NO_MORE_ITEMS and touches nothing.
TEST_F(RegistryOutArguments, EnumerationPastTheEndWritesNothing) {
  ASSERT_EQ(SetString(key_.get(), "v", "x"), ERROR_SUCCESS);
  ASSERT_EQ(Create(key_.get(), "Sub"), ERROR_SUCCESS);
  WCHAR name[8] = {TEXT('x')};
  DWORD nameSize = 8, type = 77, dataSize = 9, classSize = 8;
  WCHAR keyClass[8] = {TEXT('x')};
  FILETIME written{1, 2};
  EXPECT_EQ(RegEnumValueW(key_.get(), 1, name, &nameSize, nullptr, &type, nullptr, &dataSize), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyExW(key_.get(), 1, name, &nameSize, nullptr, keyClass, &classSize, &written),
            ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(name[0], TEXT('x'));
  EXPECT_EQ(keyClass[0], TEXT('x'));
  EXPECT_EQ(nameSize + type + dataSize + classSize, 8u + 77u + 9u + 8u);
  EXPECT_EQ(written.dwLowDateTime + written.dwHighDateTime, 3u);
}

// A refused type still gives the value's type, size and data; with
// RRF_ZEROONFAILURE the buffer is zeroed instead.
TEST_F(RegistryOutArguments, GetValueRefusingATypeTellsWhatIsThere) {
  ASSERT_EQ(SetBytes(key_.get(), "dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key_.get(), "long", REG_BINARY, std::string(8, '\x01')), ERROR_SUCCESS);
  struct {
    const char *value;
    DWORD flags;
    LSTATUS status;
    DWORD type, size;
    uint32_t data;
  } cases[] = {
      {"dword", RRF_RT_REG_BINARY, ERROR_UNSUPPORTED_TYPE, REG_DWORD, 4, 0x12345678u},
      {"dword", RRF_RT_REG_SZ | RRF_ZEROONFAILURE, ERROR_UNSUPPORTED_TYPE, REG_DWORD, 4, 0},
      {"long", RRF_RT_DWORD, ERROR_DATATYPE_MISMATCH, REG_BINARY, 8, 0x01010101u},
  };
  for (const auto &c : cases) {
    uint32_t buffer[2] = {0xAAAAAAAAu, 0xAAAAAAAAu};
    DWORD type = 0xDEAD, size = sizeof buffer;
    EXPECT_EQ(RegGetValueW(key_.get(), nullptr, U16(c.value).c_str(), c.flags, &type, buffer, &size), c.status)
        << c.value;
    EXPECT_EQ(type, c.type) << c.value;
    EXPECT_EQ(size, c.size) << c.value;
    EXPECT_EQ(buffer[0], c.data) << c.value;
  }
}

// A short class buffer gives ERROR_INSUFFICIENT_BUFFER with the class length,
// and every other number all the same.
TEST_F(RegistryOutArguments, QueryInfoWithAShortClassBuffer) {
  Key key;
  ASSERT_EQ(RegCreateKeyExW(key_.get(), TEXT("Classy"), 0, const_cast<LPWSTR>(TEXT("KeyClass")), 0, KEY_ALL_ACCESS,
                            nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(Create(key.get(), "abc"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key.get(), "value", REG_BINARY, "0123456789"), ERROR_SUCCESS);
  WCHAR keyClass[4] = {TEXT('x')};
  DWORD classLength = 4, subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxValue = 0;
  FILETIME written{};
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), keyClass, &classLength, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                             &maxName, &maxValue, nullptr, &written),
            ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(classLength, 8u);
  EXPECT_EQ(keyClass[0], TEXT('x'));
  EXPECT_EQ(subkeys, 1u);
  EXPECT_EQ(maxSubkey, 3u);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(maxName, 5u);
  EXPECT_EQ(maxValue, 10u);
  EXPECT_NE(written.dwHighDateTime, 0u);
  classLength = 0;
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS)
      << "a buffer of no units";
  EXPECT_TRUE(classLength == 0u || classLength == 8u) << classLength << ": 0, or the length on older versions";
  EXPECT_EQ(keyClass[0], TEXT('x'));
}

}  // namespace
}  // namespace registry_test
