// The classes view's tests share one layout of keys in its two halves.
#pragma once
#include "registry_fixture.h"

namespace registry_test {

inline constexpr const char *kMachine = "SOFTWARE\\Classes\\";
inline constexpr const char *kUser = "Software\\Classes\\";

class RegistryClasses : public RegistryTest {
 protected:
  // HKCR\Shared exists in both halves; HKCR\MachineOnly and HKCR\UserOnly in one each.
  void SetUp() override {
    RegistryTest::SetUp();
    Key key;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared\\FromMachine", &key), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "Shared", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.get(), "", "machine"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "shared\\FromUser", &key), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "SHARED", &key), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key.get(), "", "user"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, std::string(kMachine) + "MachineOnly"), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, std::string(kUser) + "UserOnly"), ERROR_SUCCESS);
  }
};

}  // namespace registry_test
