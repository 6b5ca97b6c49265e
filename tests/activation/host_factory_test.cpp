// The class factory: instance creation, server locks and the cache rule.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

class FactoryTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    factory_ = library().Factory();
    ASSERT_NE(nullptr, factory_);
  }
  void TearDown() override {
    if (factory_) factory_->Release();
    HostTest::TearDown();
  }
  IClassFactory *factory_ = nullptr;
};

// The module's lock count, when it is not negative. DllCanUnloadNow tells
// only "zero or not", so server unlocks are counted until it answers S_OK,
// then taken back.
LONG ModuleCount(const host::Library &library, IClassFactory *factory) {
  LONG count = 0;
  while (library.CanUnloadNow() == S_FALSE && count < 100) {
    factory->LockServer(FALSE);
    ++count;
  }
  for (LONG i = 0; i < count; ++i) factory->LockServer(TRUE);
  return count;
}

TEST_F(FactoryTest, CreateInstanceResults) {
  IUnknown *outer = reinterpret_cast<IUnknown *>(factory_);  // any non-null object
  struct Case {
    const char *name;
    IUnknown *outer;
    const IID *iid;
    HRESULT result;
  } cases[] = {
      {"aggregation for IShellExtInit", outer, &IID_IShellExtInit, CLASS_E_NOAGGREGATION},
      {"aggregation for IUnknown", outer, &IID_IUnknown, CLASS_E_NOAGGREGATION},
      {"IContextMenu", nullptr, &IID_IContextMenu, S_OK},
      {"IShellExtInit", nullptr, &IID_IShellExtInit, S_OK},
      {"IUnknown", nullptr, &IID_IUnknown, S_OK},
      {"IClassFactory", nullptr, &IID_IClassFactory, E_NOINTERFACE},
      {"IContextMenu2", nullptr, &IID_IContextMenu2, E_NOINTERFACE},
      {"interface of the type library", nullptr, &host::kTypeLibraryInterface, E_NOINTERFACE},
  };
  const LONG before = ModuleCount(library(), factory_);
  for (const Case &c : cases) {
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(c.result, factory_->CreateInstance(c.outer, *c.iid, &out)) << c.name;
    if (FAILED(c.result)) {
      EXPECT_EQ(nullptr, out) << c.name;
      EXPECT_EQ(before, ModuleCount(library(), factory_)) << c.name;
      continue;
    }
    ASSERT_NE(nullptr, out) << c.name;
    EXPECT_EQ(before + 1, ModuleCount(library(), factory_)) << c.name;
    IUnknown *object = static_cast<IUnknown *>(out);
    EXPECT_EQ(2u, object->AddRef()) << c.name;  // handed out with a count of 1
    object->Release();
    EXPECT_EQ(0u, object->Release()) << c.name;
    EXPECT_EQ(before, ModuleCount(library(), factory_)) << c.name;
  }
  EXPECT_EQ(E_POINTER, factory_->CreateInstance(nullptr, IID_IContextMenu, nullptr));
  EXPECT_EQ(E_POINTER, factory_->CreateInstance(outer, IID_IContextMenu, nullptr));
}

TEST_F(FactoryTest, LockServerMovesTheModuleCountFreely) {
  EXPECT_EQ(1, ModuleCount(library(), factory_));
  EXPECT_EQ(S_OK, factory_->LockServer(TRUE));
  EXPECT_EQ(2, ModuleCount(library(), factory_));
  EXPECT_EQ(S_OK, factory_->LockServer(FALSE));
  EXPECT_EQ(S_OK, factory_->LockServer(FALSE));  // without a matching TRUE
  factory_->Release();
  factory_ = nullptr;
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());  // the count is -1
  IClassFactory *again = library().Factory();
  ASSERT_NE(nullptr, again);
  EXPECT_EQ(S_OK, library().CanUnloadNow());  // -1 + 1
  EXPECT_EQ(S_OK, again->LockServer(TRUE));
  again->Release();
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

TEST_F(FactoryTest, OnlyReferencesBeyondTheCachesHoldTheModule) {
  IClassFactory *cached = factory_;
  EXPECT_EQ(1u, cached->Release());  // only the cache holds it now
  factory_ = nullptr;
  EXPECT_EQ(S_OK, library().CanUnloadNow());
  EXPECT_EQ(2u, cached->AddRef());
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());
  EXPECT_EQ(3u, cached->AddRef());
  EXPECT_EQ(2u, cached->Release());
  EXPECT_EQ(S_FALSE, library().CanUnloadNow());
  EXPECT_EQ(1u, cached->Release());
  EXPECT_EQ(S_OK, library().CanUnloadNow());
}

TEST_F(FactoryTest, QueryInterfaceAnswersIUnknownAndIClassFactoryWithOnePointer) {
  void *unknown = nullptr;
  void *classFactory = nullptr;
  ASSERT_EQ(S_OK, factory_->QueryInterface(IID_IUnknown, &unknown));
  ASSERT_EQ(S_OK, factory_->QueryInterface(IID_IClassFactory, &classFactory));
  EXPECT_EQ(unknown, classFactory);
  EXPECT_EQ(static_cast<void *>(factory_), unknown);
  static_cast<IUnknown *>(unknown)->Release();
  static_cast<IUnknown *>(classFactory)->Release();
  for (const IID *iid : {&IID_IShellExtInit, &IID_IContextMenu, &IID_IDataObject}) {
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(E_NOINTERFACE, factory_->QueryInterface(*iid, &out));
    EXPECT_EQ(nullptr, out);
  }
  EXPECT_EQ(E_POINTER, factory_->QueryInterface(IID_IUnknown, nullptr));
}

}  // namespace
