// Reading a per-user setting as terminated text.
#include <gtest/gtest.h>

#include <string>

#include "platform_seams.h"
#include "shellext/settings.h"
#include "support/key_handle.h"

namespace {

const char16_t kKey[] = u"Software\\Tovin Copy";

void Store(const void *data, DWORD bytes) {
  testing_registry::KeyHandle key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), u"CopyBmp", 0, REG_SZ, static_cast<const BYTE *>(data), bytes));
}

// Stores `bytes` from a buffer that goes on with a unit that is not NUL, so
// that the size given is the size stored.
void StoreExactly(const std::string &bytes) {
  const std::string padded = bytes + "~~";
  Store(padded.data(), static_cast<DWORD>(bytes.size()));
}

TEST(ReadSetting, TextAlwaysEndsInsideTheBuffer) {
  const std::u16string full(260, u'f');
  const std::u16string text = u"C:\\pic.bmp";
  struct Case {
    const char *name;
    std::string bytes;
    LONG rc;
    std::u16string result;
  } cases[] = {
      {"with its NUL", std::string(reinterpret_cast<const char *>(text.c_str()), (text.size() + 1) * 2),
       ERROR_SUCCESS, text},
      {"without a NUL", std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2), ERROR_SUCCESS,
       text},
      {"an odd last byte", std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2) + "A",
       ERROR_SUCCESS, text},
      {"all 520 bytes, no NUL", std::string(reinterpret_cast<const char *>(full.data()), 520), ERROR_SUCCESS, full},
      {"521 bytes", std::string(reinterpret_cast<const char *>(full.data()), 520) + "A", ERROR_MORE_DATA, u""},
      {"empty data", std::string(), ERROR_SUCCESS, u""},
  };
  for (const Case &c : cases) {
    StoreExactly(c.bytes);
    WCHAR buffer[MAX_PATH + 2];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(c.rc, ReadSetting(copyBmpValueName, buffer, MAX_PATH + 1, kCopyBmpReadBytes)) << c.name;
    EXPECT_EQ(c.result, std::u16string(buffer)) << c.name;
    EXPECT_EQ(u'#', buffer[MAX_PATH + 1]) << c.name;
  }
}

TEST(ReadSetting, MissingKeyOrValueAndBadBuffers) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  WCHAR buffer[MAX_PATH + 1] = {u'#'};
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadSetting(copyBmpValueName, buffer, MAX_PATH + 1, kCopyBmpReadBytes));
  EXPECT_EQ(0, buffer[0]);
  Store(u"x", 4);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadSetting(copyAppValueName, buffer, MAX_PATH + 1, kCopyBmpReadBytes));
  // A buffer without a spare unit beyond the bytes read is refused before any read.
  seams::Reset();
  EXPECT_EQ(ERROR_INVALID_PARAMETER, ReadSetting(copyBmpValueName, buffer, MAX_PATH, kCopyBmpReadBytes));
  EXPECT_EQ(0u, seams::CallCount("RegOpenKeyExW"));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, ReadSetting(copyBmpValueName, nullptr, MAX_PATH + 1, kCopyBmpReadBytes));
}

}  // namespace
