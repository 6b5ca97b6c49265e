// Object creation under the substitute's seams: an injected failure; and the
// substitute's answer where Windows's is not recorded.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "platform_seams.h"
#include "test_server_registration.h"

namespace {

using namespace test_server;

TEST(InprocServerSeams, FaultFailsTheCreationWithoutLoading) {
  seams::Reset();
  ASSERT_TRUE(Register(COM_TEST_SERVER_PATH));
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(E_ACCESSDENIED));
  void *object = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            E_ACCESSDENIED);
  EXPECT_FALSE(ServerLoaded());
  Unregister();
  seams::Reset();
}

TEST(InprocServerSeams, MissingLibraryIsDllNotFound) {
  seams::Reset();
  ASSERT_TRUE(Register(COM_TEST_SERVER_PATH ".missing"));
  void *object = &object;
  EXPECT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, kTestValueInterface, &object),
            CO_E_DLLNOTFOUND);
  EXPECT_EQ(object, nullptr);
  Unregister();
}

}  // namespace
