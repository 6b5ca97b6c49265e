// CoCreateInstance, CoGetClassObject and CoFreeUnusedLibraries with an
// in-process server registered in the registry.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "support/fresh_state.h"
#include "test_server_registration.h"

using namespace test_server;
using testing_text::WideString;

namespace {

// An outer object for aggregation attempts; it is never called.
class Outer : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_UNEXPECTED; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class InprocServer : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_state::Begin();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    Unregister();
    CoUninitialize();
    fresh_state::End();
  }
};

TEST_F(InprocServer, CreatesTheObjectAndFreesTheLibraryWhenUnused) {
  ASSERT_TRUE(Register(COM_TEST_SERVER_PATH));
  ITestValue *value = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, kTestValueInterface,
                             reinterpret_cast<void **>(&value)),
            S_OK);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->Value(), 42);
  EXPECT_TRUE(ServerLoaded());

  ITestValue *second = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_ALL, kTestValueInterface,
                             reinterpret_cast<void **>(&second)),
            S_OK);
  second->Release();

  CoFreeUnusedLibraries();
  EXPECT_TRUE(ServerLoaded()) << "a live object keeps its server";
  EXPECT_EQ(value->Value(), 42);

  value->Release();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded()) << "two creations, one reference held: one free unloads it";
}

TEST_F(InprocServer, ClassObjectComesFromTheServer) {
  ASSERT_TRUE(Register(COM_TEST_SERVER_PATH));
  IClassFactory *factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  IUnknown *object = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
  object->Release();
  factory->Release();
  EXPECT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, nullptr),
            E_INVALIDARG);
}

TEST_F(InprocServer, FailuresGiveTheDocumentedCodesAndANullResult) {
  struct Case {
    const char *name;
    std::string serverPath;  // empty: no registration at all
    IID iid;
    bool outer;
    DWORD context;
    HRESULT result;
  };
  const Case cases[] = {
      {"not registered", "", kTestValueInterface, false, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
      {"unknown interface", COM_TEST_SERVER_PATH, IID_IDispatch, false, CLSCTX_INPROC_SERVER, E_NOINTERFACE},
      {"aggregation with another interface", COM_TEST_SERVER_PATH, kTestValueInterface, true, CLSCTX_INPROC_SERVER,
       CLASS_E_NOAGGREGATION},
      {"aggregation refused by the server", COM_TEST_SERVER_PATH, IID_IUnknown, true, CLSCTX_INPROC_SERVER,
       CLASS_E_NOAGGREGATION},
      {"out-of-process only", COM_TEST_SERVER_PATH, kTestValueInterface, false, CLSCTX_LOCAL_SERVER,
       REGDB_E_CLASSNOTREG},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Unregister();
    if (!c.serverPath.empty()) {
      ASSERT_TRUE(Register(c.serverPath));
    }
    Outer outer;
    void *object = &object;
    EXPECT_EQ(CoCreateInstance(kTestServerClass, c.outer ? &outer : nullptr, c.context, c.iid, &object),
              c.result);
    EXPECT_EQ(object, nullptr);
  }
}

}  // namespace
