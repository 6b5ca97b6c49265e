// CoCreateInstance, CoGetClassObject and CoFreeUnusedLibraries with an
// in-process server registered in the registry.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "platform_seams.h"
#include "support/text.h"
#include "test_server.h"

using testing_text::U16;

namespace {

const char kClassKey[] = "CLSID\\{6A0F1B2C-3D4E-4F50-8A61-72B3C4D5E6F7}";

void RegisterServer(const std::string &path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, U16(std::string(kClassKey) + "\\InprocServer32").c_str(), 0, nullptr,
                            0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string value = U16(path);
  ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool ServerLoaded() { return GetModuleHandleW(U16(COM_TEST_SERVER_PATH).c_str()) != nullptr; }

// An outer object for aggregation attempts; it is never called.
class Outer : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_UNEXPECTED; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class InprocServer : public ::testing::Test {
 protected:
  void SetUp() override { seams::Reset(); }
  void TearDown() override {
    CoFreeUnusedLibraries();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, U16(kClassKey).c_str());
    seams::Reset();
  }
};

TEST_F(InprocServer, CreatesTheObjectAndFreesTheLibraryWhenUnused) {
  RegisterServer(COM_TEST_SERVER_PATH);
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
  RegisterServer(COM_TEST_SERVER_PATH);
  IClassFactory *factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  IUnknown *object = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
  object->Release();
  factory->Release();
  EXPECT_EQ(CoGetClassObject(kTestServerClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, nullptr),
            E_POINTER);
}

TEST_F(InprocServer, FailuresGiveTheDocumentedCodesAndANullResult) {
  struct Case {
    const char *name;
    const char *serverPath;  // null: no registration at all
    IID iid;
    bool outer;
    DWORD context;
    HRESULT result;
  };
  const Case cases[] = {
      {"not registered", nullptr, kTestValueInterface, false, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
      {"missing library", "/nonexistent/server.so", kTestValueInterface, false, CLSCTX_INPROC_SERVER,
       CO_E_DLLNOTFOUND},
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
    RegDeleteTreeW(HKEY_CLASSES_ROOT, U16(kClassKey).c_str());
    if (c.serverPath) RegisterServer(c.serverPath);
    Outer outer;
    void *object = &object;
    EXPECT_EQ(CoCreateInstance(kTestServerClass, c.outer ? &outer : nullptr, c.context, c.iid, &object),
              c.result);
    EXPECT_EQ(object, nullptr);
  }
}

TEST_F(InprocServer, SeamFaultFailsTheCreationWithoutLoading) {
  RegisterServer(COM_TEST_SERVER_PATH);
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(E_ACCESSDENIED));
  void *object = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestServerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            E_ACCESSDENIED);
  EXPECT_FALSE(ServerLoaded());
}

}  // namespace
