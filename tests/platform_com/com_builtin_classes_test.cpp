// The built-in classes: their class objects and the component categories
// manager.
#include <windows.h>
#include <objbase.h>
#include <comcat.h>

#include <gtest/gtest.h>

#include <atomic>

#include "support/fresh_state.h"
#include "support/key_handle.h"
#include "support/text.h"

using testing_text::U16;
using testing_text::WideString;

namespace {

// {11111111-2222-3333-4444-555555555555}
constexpr CLSID kClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
// {0DE86A52-2BAA-11CF-A229-00AA003D7352}
constexpr CATID kCategoryA = {0x0DE86A52, 0x2BAA, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}};
// {0DE86A53-2BAA-11CF-A229-00AA003D7352}
constexpr CATID kCategoryB = {0x0DE86A53, 0x2BAA, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}};

const char kClassKey[] = "CLSID\\{11111111-2222-3333-4444-555555555555}";
const char kCategoryAText[] = "{0DE86A52-2BAA-11CF-A229-00AA003D7352}";
const char kCategoryBText[] = "{0DE86A53-2BAA-11CF-A229-00AA003D7352}";

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

// COM initialised on the test's thread for its duration.
struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

TEST(CoCreateInstance, BuiltinClassesRefuseAggregationAndUnknownInterfaces) {
  ComScope com;
  Counted outer;
  void *object = &outer;
  EXPECT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, &outer, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                             &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                             nullptr),
            E_POINTER);
}

TEST(CoGetClassObject, BuiltinClassesHaveClassObjects) {
  ComScope com;
  for (const CLSID &clsid : {CLSID_StdGlobalInterfaceTable, CLSID_StdComponentCategoriesMgr}) {
    IClassFactory *factory = nullptr;
    ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void **>(&factory)),
              S_OK);
    IUnknown *object = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
    if (object) object->Release();
    factory->Release();
  }
}

bool KeyExists(const std::string &path) {
  testing_registry::KeyHandle key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, U16(path).c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

class CategoriesManager : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_state::Begin();
    CoInitialize(nullptr);
    ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                               reinterpret_cast<void **>(&manager_)),
              S_OK);
  }
  void TearDown() override {
    if (manager_) manager_->Release();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, U16(kClassKey).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, U16(std::string("Component Categories\\") + kCategoryAText).c_str());
    CoUninitialize();
    fresh_state::End();
  }
  ICatRegister *manager_ = nullptr;
};

TEST_F(CategoriesManager, ClassCategoriesAreAddedAndRemovedLeavingTheParentKey) {
  struct Kind {
    const char *key;
    HRESULT (STDMETHODCALLTYPE ICatRegister::*add)(REFCLSID, ULONG, CATID[]);
    HRESULT (STDMETHODCALLTYPE ICatRegister::*remove)(REFCLSID, ULONG, CATID[]);
  };
  for (const Kind &kind : {Kind{"Implemented Categories", &ICatRegister::RegisterClassImplCategories,
                                &ICatRegister::UnRegisterClassImplCategories},
                           Kind{"Required Categories", &ICatRegister::RegisterClassReqCategories,
                                &ICatRegister::UnRegisterClassReqCategories}}) {
    SCOPED_TRACE(kind.key);
    const std::string parent = std::string(kClassKey) + "\\" + kind.key;
    CATID both[] = {kCategoryA, kCategoryB};
    ASSERT_EQ((manager_->*kind.add)(kClass, 2, both), S_OK);
    EXPECT_TRUE(KeyExists(parent + "\\" + kCategoryAText));
    EXPECT_TRUE(KeyExists(parent + "\\" + kCategoryBText));

    CATID one[] = {kCategoryA};
    ASSERT_EQ((manager_->*kind.remove)(kClass, 1, one), S_OK);
    EXPECT_FALSE(KeyExists(parent + "\\" + kCategoryAText));
    EXPECT_TRUE(KeyExists(parent + "\\" + kCategoryBText));
    EXPECT_EQ((manager_->*kind.remove)(kClass, 1, one), S_OK) << "removing a missing category is not an error";

    CATID other[] = {kCategoryB};
    ASSERT_EQ((manager_->*kind.remove)(kClass, 1, other), S_OK);
    EXPECT_TRUE(KeyExists(parent)) << "the parent key stays, as on Windows";
  }
}

TEST_F(CategoriesManager, CategoryDescriptionsAreStoredUnderTheHexLocale) {
  CATEGORYINFO info{};
  info.catid = kCategoryA;
  info.lcid = 0x409;
  const WideString description = U16("Controls that are safely scriptable");
  std::copy(description.begin(), description.end(), info.szDescription);
  ASSERT_EQ(manager_->RegisterCategories(1, &info), S_OK);

  const std::string key = std::string("Component Categories\\") + kCategoryAText;
  WCHAR text[128] = {};
  DWORD bytes = sizeof text;
  ASSERT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, U16(key).c_str(), U16("409").c_str(), RRF_RT_REG_SZ, nullptr, text,
                         &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(WideString(text), description);

  CATID ids[] = {kCategoryA};
  ASSERT_EQ(manager_->UnRegisterCategories(1, ids), S_OK);
  EXPECT_FALSE(KeyExists(key));
}

}  // namespace
