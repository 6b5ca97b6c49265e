// DllGetClassObject's factory creation, counted and refused through the seams.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "platform_seams.h"

namespace {

using ClassObjectSeamsTest = HostTest;

// Loading creates three critical sections; the factory makes the fourth.
TEST_F(ClassObjectSeamsTest, OnlyTheFirstSuccessfulLookupCreatesTheFactory) {
  EXPECT_EQ(E_POINTER, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, nullptr));
  EXPECT_EQ(3u, seams::CallCount("InitializeCriticalSection"));
  const CLSID otherClass = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x84}};
  struct Case {
    const CLSID *clsid;
    const IID *iid;
  } cases[] = {{&otherClass, &IID_IClassFactory},
               {&host::kExtensionClsid, &IID_IClassFactory},
               {&host::kExtensionClsid, &IID_IShellExtInit},
               {&host::kExtensionClsid, &IID_IUnknown}};
  for (const Case &c : cases) {
    void *out = nullptr;
    library().GetClassObject(*c.clsid, *c.iid, &out);
    if (out) static_cast<IUnknown *>(out)->Release();
  }
  EXPECT_EQ(4u, seams::CallCount("InitializeCriticalSection"));
}

TEST_F(ClassObjectSeamsTest, AFactoryWhoseLockCannotBeCreatedIsNotCached) {
  seams::FailOperation("InitializeCriticalSection", STATUS_NO_MEMORY, 1);
  void *out = reinterpret_cast<void *>(1);
  EXPECT_EQ(E_OUTOFMEMORY, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, library().CanUnloadNow());
  ASSERT_EQ(S_OK, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, &out));
  static_cast<IUnknown *>(out)->Release();
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

}  // namespace
