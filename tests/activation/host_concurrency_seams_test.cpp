// Several threads activating at once, counted through the seams.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "platform_seams.h"
#include "run_together.h"

namespace {

TEST(Concurrency, SimultaneousFirstLookupsCreateOneFactoryLock) {
  for (int round = 0; round < 25; ++round) {
    seams::Reset();
    host::Library library;
    ASSERT_TRUE(library.loaded());
    void *results[kThreads] = {};
    RunTogether([&](int i) { library.GetClassObject(host::kExtensionClsid, IID_IClassFactory, &results[i]); });
    EXPECT_EQ(4u, seams::CallCount("InitializeCriticalSection")) << "round " << round;  // 3 records + 1 factory
    for (void *result : results)
      if (result) static_cast<IUnknown *>(result)->Release();
  }
}

}  // namespace
