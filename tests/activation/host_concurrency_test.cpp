// Several threads activating at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host_fixture.h"
#include "platform_seams.h"

namespace {

constexpr int kThreads = 8;

// Runs body(index) on kThreads threads released together.
template <class Body>
void RunTogether(Body body) {
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (!go.load()) std::this_thread::yield();
      body(i);
    });
  while (ready.load() != kThreads) std::this_thread::yield();
  go.store(true);
  for (std::thread &t : threads) t.join();
}

TEST(Concurrency, SimultaneousFirstLookupsCreateOneFactory) {
  for (int round = 0; round < 25; ++round) {
    seams::Reset();
    host::Library library;
    ASSERT_TRUE(library.loaded());
    void *results[kThreads] = {};
    HRESULT codes[kThreads] = {};
    RunTogether([&](int i) { codes[i] = library.GetClassObject(host::kExtensionClsid, IID_IClassFactory, &results[i]); });
    for (int i = 0; i < kThreads; ++i) {
      ASSERT_EQ(S_OK, codes[i]) << "round " << round;
      EXPECT_EQ(results[0], results[i]) << "round " << round;
    }
    EXPECT_EQ(4u, seams::CallCount("InitializeCriticalSection")) << "round " << round;  // 3 records + 1 factory
    IUnknown *factory = static_cast<IUnknown *>(results[0]);
    EXPECT_EQ(static_cast<ULONG>(kThreads + 2), factory->AddRef());  // cache + 8 + this one
    factory->Release();
    RunTogether([&](int i) { static_cast<IUnknown *>(results[i])->Release(); });
    EXPECT_EQ(S_OK, library.CanUnloadNow()) << "round " << round;
  }
}

TEST(Concurrency, InterleavedReferencesKeepTheLockCountExact) {
  seams::Reset();
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
  seams::Reset();
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
