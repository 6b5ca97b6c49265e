// DllGetClassObject and DllCanUnloadNow as the host sees them.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

using ClassObjectTest = HostTest;

TEST_F(ClassObjectTest, NullOutPointerIsRefused) {
  EXPECT_EQ(E_POINTER, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, nullptr));
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

TEST_F(ClassObjectTest, LookupResults) {
  const CLSID otherClass = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x84}};
  struct Case {
    const char *name;
    const CLSID *clsid;
    const IID *iid;
    HRESULT result;
  } cases[] = {
      {"class factory", &host::kExtensionClsid, &IID_IClassFactory, S_OK},
      {"IUnknown", &host::kExtensionClsid, &IID_IUnknown, S_OK},
      {"interface the factory lacks", &host::kExtensionClsid, &IID_IShellExtInit, E_NOINTERFACE},
      {"interface of the type library", &host::kExtensionClsid, &host::kTypeLibraryInterface, E_NOINTERFACE},
      {"other class", &otherClass, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {"interface id as class id", &IID_IClassFactory, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Case &c : cases) {
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(c.result, library().GetClassObject(*c.clsid, *c.iid, &out)) << c.name;
    EXPECT_EQ(SUCCEEDED(c.result), out != nullptr) << c.name;
    if (out) static_cast<IUnknown *>(out)->Release();
  }
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

TEST_F(ClassObjectTest, RepeatedLookupsReturnTheOneCachedFactory) {
  void *first = nullptr;
  void *second = nullptr;
  void *unknown = nullptr;
  ASSERT_EQ(S_OK, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, &first));
  ASSERT_EQ(S_OK, library().GetClassObject(host::kExtensionClsid, IID_IClassFactory, &second));
  ASSERT_EQ(S_OK, library().GetClassObject(host::kExtensionClsid, IID_IUnknown, &unknown));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, unknown);
  // Cache 1, three client references.
  EXPECT_EQ(5u, static_cast<IUnknown *>(first)->AddRef());
  EXPECT_EQ(4u, static_cast<IUnknown *>(first)->Release());
  static_cast<IUnknown *>(unknown)->Release();
  static_cast<IUnknown *>(second)->Release();
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());
  static_cast<IUnknown *>(first)->Release();
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

// The module-count example: factory, instance, release of each.
TEST_F(ClassObjectTest, UnloadAnswerFollowsTheObjectsLifetimes) {
  EXPECT_EQ(S_OK, library().CanUnloadNow());
  IClassFactory *factory = library().Factory();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());
  IContextMenu *menu = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void **>(&menu)));
  EXPECT_EQ(1u, factory->Release());
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());  // the extension object's lock
  EXPECT_EQ(0u, menu->Release());
  EXPECT_EQ(S_OK, library().CanUnloadNow());  // the factory stays cached
}

}  // namespace
