// The registry's test seams: what is recorded and how faults are injected.
#include "platform_seams.h"
#include "registry_fixture.h"

namespace registry_test {
namespace {

using RegistrySeams = RegistryTest;

TEST_F(RegistrySeams, RecordsKeyPathsAndArguments) {
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Tovin Copy"), ERROR_SUCCESS);
  seams::SetRecording(true);
  Key key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\Tovin Copy"), 0, KEY_QUERY_VALUE, key.out()),
            ERROR_SUCCESS);
  BYTE buffer[1000];
  DWORD size = sizeof buffer, type = 0;
  EXPECT_EQ(RegQueryValueExW(key.get(), TEXT("CopyApp"), nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Create(HKEY_CLASSES_ROOT, "CLSID\\{0000}"), ERROR_SUCCESS);
  key.Close();

  std::vector<seams::Call> calls = seams::Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].operation, seams::Operation("RegOpenKeyExW"));
  EXPECT_EQ(calls[0].subject, "HKEY_CURRENT_USER\\Software\\Tovin Copy");
  EXPECT_EQ(calls[0].arguments, "key=HKEY_CURRENT_USER subkey=\"Software\\Tovin Copy\" options=0 sam=0x00000001");
  EXPECT_EQ(calls[1].operation, seams::Operation("RegQueryValueExW"));
  EXPECT_EQ(calls[1].subject, "HKEY_CURRENT_USER\\Software\\Tovin Copy");
  EXPECT_EQ(calls[1].arguments, "key=HKEY_CURRENT_USER\\Software\\Tovin Copy value=\"CopyApp\" size=1000");
  EXPECT_EQ(calls[2].operation, seams::Operation("RegCreateKeyExW"));
  EXPECT_EQ(calls[2].subject, "HKEY_CLASSES_ROOT\\CLSID\\{0000}");
  EXPECT_EQ(calls[2].arguments, "key=HKEY_CLASSES_ROOT subkey=\"CLSID\\{0000}\" class=(null) options=0 sam=0x000F003F");
  EXPECT_EQ(calls[3].operation, seams::Operation("RegCloseKey"));
  EXPECT_EQ(calls[3].subject, "HKEY_CLASSES_ROOT\\CLSID\\{0000}");
  EXPECT_EQ(calls[4].operation, seams::Operation("RegCloseKey"));
  EXPECT_EQ(calls[4].subject, "HKEY_CURRENT_USER\\Software\\Tovin Copy");
  EXPECT_EQ(seams::CallCount("RegQueryValueExW"), 1u);
}

TEST_F(RegistrySeams, FaultForOnePathFailsOnlyThatPathAndChangesNothing) {
  seams::FailOperation("RegCreateKeyExW", ERROR_ACCESS_DENIED, 0, "HKEY_CURRENT_USER\\Software\\Tovin Copy");
  Key key;
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "software\\tovin copy", &key), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(key);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Tovin Copy"));
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\Other"), ERROR_SUCCESS);
  Key software;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software", &software, KEY_ALL_ACCESS), ERROR_SUCCESS);
  EXPECT_EQ(Create(software.get(), "Tovin Copy"), ERROR_ACCESS_DENIED) << "the subject is the full path";
}

TEST_F(RegistrySeams, NthCallFaultsAndReadFaultsLeaveOutputsAlone) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\S", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "v", "value"), ERROR_SUCCESS);
  seams::FailOperation("RegSetValueExW", ERROR_OUTOFMEMORY, 2);
  EXPECT_EQ(SetString(key.get(), "a", "1"), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key.get(), "b", "2"), ERROR_OUTOFMEMORY);
  EXPECT_EQ(SetString(key.get(), "c", "3"), ERROR_SUCCESS);
  LSTATUS status = 0;
  GetString(key.get(), "b", &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

  seams::FailOperation("RegQueryValueExW", ERROR_FILE_NOT_FOUND);
  BYTE buffer[4] = {7, 7, 7, 7};
  DWORD size = 4, type = 99;
  EXPECT_EQ(RegQueryValueExW(key.get(), TEXT("v"), nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, 99u);
  EXPECT_EQ(buffer[0], 7);
}

TEST_F(RegistrySeams, EveryOperationIsASeam) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\All\\Sub", &key), ERROR_SUCCESS);
  seams::Reset();
  const seams::Operation operations[] = {"RegOpenKeyExW",  "RegCreateKeyExW",  "RegQueryValueExW", "RegSetValueExW",
                              "RegDeleteValueW", "RegEnumKeyExW",   "RegEnumValueW",    "RegDeleteKeyW",
                              "RegDeleteKeyExW", "RegDeleteTreeW",  "RegQueryInfoKeyW", "RegGetValueW",
                              "RegCloseKey"};
  for (seams::Operation operation : operations) seams::FailOperation(operation, 1234);
  char16_t name[16];
  DWORD size = 16;
  HKEY h = HKEY_CURRENT_USER;
  Key out;
  EXPECT_EQ(RegOpenKeyExW(h, TEXT("Software"), 0, KEY_READ, out.out()), 1234);
  EXPECT_EQ(RegCreateKeyExW(h, TEXT("Software"), 0, nullptr, 0, KEY_READ, nullptr, out.out(), nullptr), 1234);
  EXPECT_EQ(RegQueryValueExW(h, nullptr, nullptr, nullptr, nullptr, &size), 1234);
  EXPECT_EQ(RegSetValueExW(h, nullptr, 0, REG_NONE, nullptr, 0), 1234);
  EXPECT_EQ(RegDeleteValueW(h, nullptr), 1234);
  EXPECT_EQ(RegEnumKeyExW(h, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 1234);
  EXPECT_EQ(RegEnumValueW(h, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 1234);
  EXPECT_EQ(RegDeleteKeyW(h, TEXT("Software\\All\\Sub")), 1234);
  EXPECT_EQ(RegDeleteKeyExW(h, TEXT("Software\\All\\Sub"), 0, 0), 1234);
  EXPECT_EQ(RegDeleteTreeW(h, TEXT("Software\\All")), 1234);
  EXPECT_EQ(RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
            1234);
  EXPECT_EQ(RegGetValueW(h, nullptr, nullptr, RRF_RT_ANY, nullptr, nullptr, nullptr), 1234);
  EXPECT_EQ(RegCloseKey(key.get()), 1234);
  for (seams::Operation operation : operations) EXPECT_EQ(seams::CallCount(operation), 1u) << operation;
  seams::ClearFaults();
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\All\\Sub"));
}

}  // namespace
}  // namespace registry_test
