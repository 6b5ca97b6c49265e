// The built-in classes under the substitute's seams: an injected creation
// failure with its record, and a registry failure inside the categories
// manager; and the substitute's answers where Windows's are not recorded: the
// global table's reference counts, unknown interfaces and null arrays.
#include <windows.h>
#include <objbase.h>
#include <comcat.h>

#include <gtest/gtest.h>

#include <atomic>

#include "platform_seams.h"

namespace {

// An object that counts its references and answers IUnknown and IDispatch.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
  ULONG STDMETHODCALLTYPE Release() override { return --count; }
  std::atomic<ULONG> count{1};
};

IGlobalInterfaceTable *Table() {
  IGlobalInterfaceTable *table = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IGlobalInterfaceTable, reinterpret_cast<void **>(&table)),
            S_OK);
  return table;
}

TEST(GlobalInterfaceTable, RegistersGetsAndRevokesWithReferences) {
  IGlobalInterfaceTable *table = Table();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(Table(), table) << "one table per process";

  Counted object;
  DWORD cookie = 0;
  ASSERT_EQ(table->RegisterInterfaceInGlobal(&object, IID_IUnknown, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  EXPECT_EQ(object.count, 2u) << "the table holds a reference";

  IUnknown *got = nullptr;
  ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void **>(&got)), S_OK);
  EXPECT_EQ(got, &object);
  EXPECT_EQ(object.count, 3u) << "each get adds a reference";
  got->Release();

  void *other = &object;
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IDispatch, &other), S_OK) << "other interfaces by query";
  static_cast<IUnknown *>(other)->Release();
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IClassFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
  EXPECT_EQ(object.count, 1u);
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IUnknown, &other), E_INVALIDARG);
  EXPECT_EQ(table->RegisterInterfaceInGlobal(nullptr, IID_IUnknown, &cookie), E_INVALIDARG);
  EXPECT_EQ(table->RegisterInterfaceInGlobal(&object, IID_IUnknown, nullptr), E_INVALIDARG);
  table->Release();
  table->Release();
}


TEST(BuiltinClassSeams, UnknownInterfacesAndNullArraysAreRefused) {
  seams::Reset();
  void *object = &object;
  EXPECT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  ICatRegister *manager = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                             reinterpret_cast<void **>(&manager)),
            S_OK);
  const CLSID someClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
  EXPECT_EQ(manager->RegisterClassImplCategories(someClass, 1, nullptr), E_INVALIDARG);
  EXPECT_EQ(manager->RegisterClassReqCategories(someClass, 1, nullptr), E_INVALIDARG);
  manager->Release();
}

TEST(BuiltinClassSeams, CreationFaultIsReturnedAndCallIsRecorded) {
  seams::Reset();
  seams::SetRecording(true);
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(E_OUTOFMEMORY), 0,
                       "{0002E005-0000-0000-C000-000000000046}");
  void *object = &object;
  EXPECT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                             &object),
            E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(seams::Calls("CoCreateInstance").size(), 1u);
  EXPECT_EQ(seams::Calls("CoCreateInstance")[0].subject, "{0002E005-0000-0000-C000-000000000046}");
  seams::Reset();
}

TEST(BuiltinClassSeams, RegistryFailureBecomesAnHresult) {
  seams::Reset();
  ICatRegister *manager = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                             reinterpret_cast<void **>(&manager)),
            S_OK);
  // {11111111-2222-3333-4444-555555555555}, {0DE86A52-2BAA-11CF-A229-00AA003D7352}
  const CLSID someClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
  CATID ids[] = {{0x0DE86A52, 0x2BAA, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}}};
  seams::FailOperation("RegCreateKeyExW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(manager->RegisterClassImplCategories(someClass, 1, ids), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  seams::Reset();
  manager->Release();
}

}  // namespace
