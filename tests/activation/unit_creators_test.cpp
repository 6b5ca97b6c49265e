// The creators over test classes: final construction, the guard value seen at
// destruction, and that every failed creation leaves no object and no lock.
#include <gtest/gtest.h>

#include "module/class_factory.h"
#include "module/com_object.h"
#include "module/tovincopyshl_module.h"

namespace {

const IID kProbeInterface = {0x6B1D0C11, 0x3A51, 0x4C8E, {0x9E, 0x21, 0x5F, 0x0A, 0x44, 0x71, 0x2B, 0x01}};

// What the probe objects saw; reset by each test.
struct Observed {
  int constructions = 0;
  int destructions = 0;
  LONG countAtFinalConstruct = 0;
  LONG countAtFinalRelease = 0;
  LONG moduleLocksAtFinalRelease = 0;
  HRESULT finalConstructResult = S_OK;
};
Observed observed;

LONG ModuleLocks() { return tovincopyshlModule.GetLockCount(); }

class CProbeObject : public CComObjectRootEx<CComSingleThreadModel>, public IUnknown {
 public:
  CProbeObject() { ++observed.constructions; }
  ~CProbeObject() { ++observed.destructions; }
  static const InterfaceMapEntry *GetInterfaceMap();
  HRESULT FinalConstruct() {
    observed.countAtFinalConstruct = referenceCount;
    return observed.finalConstructResult;
  }
  void FinalRelease() {
    observed.countAtFinalRelease = referenceCount;
    observed.moduleLocksAtFinalRelease = ModuleLocks();
  }
};

const InterfaceMapEntry probeMap[] = {
    {&kProbeInterface, InterfaceOffset<IUnknown, CProbeObject>(), SimpleInterfaceRow()},
    {nullptr, 0, nullptr},
};
const InterfaceMapEntry *CProbeObject::GetInterfaceMap() { return probeMap; }

class CProbeFactory : public CComClassFactory {
 public:
  void FinalRelease() { observed.countAtFinalRelease = referenceCount; }
};

class CreatorsTest : public ::testing::Test {
 protected:
  void SetUp() override { observed = Observed(); }
};

TEST_F(CreatorsTest, CreateComObjectOutcomes) {
  struct Case {
    const char *name;
    const IID *iid;
    HRESULT finalConstruct;
    HRESULT result;
  } cases[] = {
      {"an interface of the map", &kProbeInterface, S_OK, S_OK},
      {"IUnknown", &IID_IUnknown, S_OK, S_OK},
      {"an interface the class lacks", &IID_IClassFactory, S_OK, E_NOINTERFACE},
      {"a failed final construction", &kProbeInterface, E_ACCESSDENIED, E_ACCESSDENIED},
  };
  for (const Case &c : cases) {
    observed = Observed();
    observed.finalConstructResult = c.finalConstruct;
    const LONG locks = ModuleLocks();
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(c.result, CreateComObject<CProbeObject>(*c.iid, &out)) << c.name;
    EXPECT_EQ(1, observed.constructions) << c.name;
    // The final construction runs under one temporary reference.
    EXPECT_EQ(1, observed.countAtFinalConstruct) << c.name;
    if (FAILED(c.result)) {
      EXPECT_EQ(nullptr, out) << c.name;
      EXPECT_EQ(1, observed.destructions) << c.name;
      EXPECT_EQ(kDestructionGuard, observed.countAtFinalRelease) << c.name;
      EXPECT_EQ(locks, ModuleLocks()) << c.name;
      continue;
    }
    ASSERT_NE(nullptr, out) << c.name;
    EXPECT_EQ(locks + 1, ModuleLocks()) << c.name;
    IUnknown *object = static_cast<IUnknown *>(out);
    EXPECT_EQ(2u, object->AddRef()) << c.name;
    EXPECT_EQ(1u, object->Release()) << c.name;
    EXPECT_EQ(0, observed.destructions) << c.name;
    EXPECT_EQ(0u, object->Release()) << c.name;
    EXPECT_EQ(1, observed.destructions) << c.name;
    // The guard is set first; the module lock goes after.
    EXPECT_EQ(kDestructionGuard, observed.countAtFinalRelease) << c.name;
    EXPECT_EQ(locks + 1, observed.moduleLocksAtFinalRelease) << c.name;
    EXPECT_EQ(locks, ModuleLocks()) << c.name;
  }
  EXPECT_EQ(E_POINTER, CreateComObject<CProbeObject>(kProbeInterface, nullptr));
  EXPECT_EQ(1, observed.constructions);  // nothing built for the null out
}

TEST_F(CreatorsTest, CreateClassObjectOutcomes) {
  const LONG locks = ModuleLocks();
  void *out = reinterpret_cast<void *>(1);
  EXPECT_EQ(E_NOINTERFACE,
            CreateClassObject(reinterpret_cast<void *>(&CreateInstanceNoAggregation<CProbeObject>), kProbeInterface,
                              &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(locks, ModuleLocks());
  EXPECT_EQ(E_POINTER, CreateClassObject(nullptr, IID_IUnknown, nullptr));

  // Created for the cache: one reference, no module lock; the factory builds
  // instances with the creator it was given.
  ASSERT_EQ(S_OK, CreateClassObject(reinterpret_cast<void *>(&CreateInstanceNoAggregation<CProbeObject>),
                                    IID_IUnknown, &out));
  IClassFactory *factory = static_cast<IClassFactory *>(out);
  EXPECT_EQ(locks, ModuleLocks());
  void *instance = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, kProbeInterface, &instance));
  EXPECT_EQ(1, observed.constructions);
  static_cast<IUnknown *>(instance)->Release();
  EXPECT_EQ(0u, factory->Release());
  EXPECT_EQ(locks, ModuleLocks());
}

TEST_F(CreatorsTest, TheCachedFactorySetsTheGuardFirst) {
  CComObjectCached<CProbeFactory> *factory = new CComObjectCached<CProbeFactory>();
  ASSERT_EQ(S_OK, factory->InitializeObjectLock());
  void *out = nullptr;
  ASSERT_EQ(S_OK, factory->QueryInterface(IID_IClassFactory, &out));
  EXPECT_EQ(static_cast<void *>(static_cast<IClassFactory *>(factory)), out);
  EXPECT_EQ(0u, factory->Release());
  EXPECT_EQ(kDestructionGuard, observed.countAtFinalRelease);
}

}  // namespace
