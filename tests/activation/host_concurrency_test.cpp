// Several threads activating at once.
#include <gtest/gtest.h>

#include <vector>

#include "host_fixture.h"
#include "run_together.h"

namespace {

TEST(Concurrency, SimultaneousFirstLookupsCreateOneFactory) {
  for (int round = 0; round < 25; ++round) {
    host::Library library;
    ASSERT_TRUE(library.loaded());
    void *results[kThreads] = {};
    HRESULT codes[kThreads] = {};
    RunTogether([&](int i) { codes[i] = library.GetClassObject(host::kExtensionClsid, IID_IClassFactory, &results[i]); });
    for (int i = 0; i < kThreads; ++i) {
      ASSERT_EQ(S_OK, codes[i]) << "round " << round;
      EXPECT_EQ(results[0], results[i]) << "round " << round;
    }
    IUnknown *factory = static_cast<IUnknown *>(results[0]);
    EXPECT_EQ(static_cast<ULONG>(kThreads + 2), factory->AddRef());  // cache + 8 + this one
    factory->Release();
    RunTogether([&](int i) { static_cast<IUnknown *>(results[i])->Release(); });
    EXPECT_EQ(S_OK, library.CanUnloadNow()) << "round " << round;
  }
}

TEST(Concurrency, InterleavedReferencesKeepTheLockCountExact) {
  host::Library library;
  IClassFactory *factory = library.Factory();
  ASSERT_NE(nullptr, factory);
  factory->Release();  // only the cache holds it: the count crosses 1 and 2 often
  RunTogether([&](int) {
    for (int n = 0; n < 2000; ++n) {
      void *object = nullptr;
      if (library.GetClassObject(host::kExtensionClsid, IID_IClassFactory, &object) == S_OK) {
        static_cast<IClassFactory *>(object)->AddRef();
        static_cast<IClassFactory *>(object)->Release();
        static_cast<IClassFactory *>(object)->Release();
      }
    }
  });
  EXPECT_EQ(S_OK, library.CanUnloadNow());
  EXPECT_EQ(2u, factory->AddRef());
  EXPECT_EQ(S_FALSE, library.CanUnloadNow());
  EXPECT_EQ(1u, factory->Release());
  EXPECT_EQ(S_OK, library.CanUnloadNow());
}

TEST(Concurrency, ObjectsCreatedOnManyThreadsEachHoldOneLock) {
  host::Library library;
  IClassFactory *factory = library.Factory();
  ASSERT_NE(nullptr, factory);
  std::vector<IUnknown *> objects(kThreads * 50, nullptr);
  RunTogether([&](int i) {
    for (int n = 0; n < 50; ++n)
      factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&objects[i * 50 + n]));
  });
  factory->Release();
  for (IUnknown *object : objects) ASSERT_NE(nullptr, object);
  for (size_t i = 0; i + 1 < objects.size(); ++i) {
    objects[i]->Release();
    ASSERT_EQ(S_FALSE, library.CanUnloadNow());
  }
  objects.back()->Release();
  EXPECT_EQ(S_OK, library.CanUnloadNow());
}

}  // namespace
