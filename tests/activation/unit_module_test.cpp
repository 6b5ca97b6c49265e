// The module object, the object map's lookup over its own tables, and the
// critical-section helper.
#include <gtest/gtest.h>

#include <excpt.h>

#include <string>
#include <vector>

#include "module/critical_section.h"
#include "module/module_flags.h"
#include "module/object_map.h"
#include "module/tovincopyshl_module.h"
#include "platform_seams.h"
#include "support/text.h"

namespace {

// Records the replacements it is given and answers with `result`.
struct RegistrarDouble : IRegistrarBase {
  STDMETHOD(QueryInterface)(REFIID, void **) override { return E_NOTIMPL; }
  STDMETHOD_(ULONG, AddRef)() override { return 2; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(PutReplacement)(LPCOLESTR name, LPCOLESTR value) override {
    puts.push_back(testing_text::U8(name) + "=" + testing_text::U8(value));
    return result;
  }
  STDMETHOD(ResetReplacements)() override { return S_OK; }
  std::vector<std::string> puts;
  HRESULT result = S_OK;
};

TEST(Module, AddCommonReplacementsPutsTheApplicationIdentifier) {
  for (HRESULT answer : {S_OK, E_OUTOFMEMORY}) {
    RegistrarDouble registrar;
    registrar.result = answer;
    EXPECT_EQ(answer, tovincopyshlModule.AddCommonReplacements(&registrar));
    EXPECT_EQ(std::vector<std::string>{"APPID={1BC25855-267B-479B-9D7D-6AD83DCCBD30}"}, registrar.puts);
  }
  EXPECT_EQ(E_INVALIDARG, tovincopyshlModule.AddCommonReplacements(nullptr));
}

TEST(Module, IsTheProcessWideModuleAndReady) {
  EXPECT_EQ(static_cast<CModuleBase *>(&tovincopyshlModule), currentModule);
  EXPECT_NE(0u, tovincopyshlModule.sizeMarker);
  EXPECT_NE(0u, objectMap.sizeMarker);
  EXPECT_FALSE(initFailed);
  EXPECT_EQ(TRUE, tovincopyshlModule.DllMain(DLL_PROCESS_ATTACH, nullptr));
}

TEST(Module, LockCountHasNoLowerBound) {
  const LONG start = tovincopyshlModule.GetLockCount();
  EXPECT_EQ(start + 1, currentModule->Lock());
  EXPECT_EQ(S_FALSE, tovincopyshlModule.DllCanUnloadNow());
  EXPECT_EQ(start, currentModule->Unlock());
  EXPECT_EQ(start - 1, currentModule->Unlock());
  EXPECT_EQ(start - 1, currentModule->GetLockCount());
  EXPECT_EQ(S_FALSE, tovincopyshlModule.DllCanUnloadNow());
  EXPECT_EQ(start, currentModule->Lock());
  EXPECT_EQ(start == 0 ? S_OK : S_FALSE, tovincopyshlModule.DllCanUnloadNow());
}

TEST(Module, DllMainRefusesOnlyTheAttachAfterAFailedRecord) {
  initFailed = true;
  EXPECT_EQ(FALSE, tovincopyshlModule.DllMain(DLL_PROCESS_ATTACH, nullptr));
  for (DWORD reason : {DLL_PROCESS_DETACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH})
    EXPECT_EQ(TRUE, tovincopyshlModule.DllMain(reason, nullptr)) << reason;
  initFailed = false;
}

TEST(Module, GlobalInterfaceTableIsCreatedOnceAndShared) {
  EXPECT_EQ(E_POINTER, currentModule->GetGlobalInterfaceTable(nullptr));
  seams::Reset();
  seams::FailOperation("CoCreateInstance", static_cast<uint32_t>(E_OUTOFMEMORY), 1);
  IGlobalInterfaceTable *table = reinterpret_cast<IGlobalInterfaceTable *>(1);
  EXPECT_EQ(E_OUTOFMEMORY, currentModule->GetGlobalInterfaceTable(&table));
  EXPECT_EQ(reinterpret_cast<IGlobalInterfaceTable *>(1), table);  // left as it was
  seams::ClearFaults();

  IGlobalInterfaceTable *first = nullptr;
  IGlobalInterfaceTable *second = nullptr;
  const HRESULT hr = currentModule->GetGlobalInterfaceTable(&first);
  ASSERT_EQ(S_OK, hr);
  ASSERT_EQ(S_OK, currentModule->GetGlobalInterfaceTable(&second));
  EXPECT_EQ(first, second);
  EXPECT_EQ(2u, seams::CallCount("CoCreateInstance"));  // the failed try and one creation
  first->Release();
  second->Release();
}

TEST(CriticalSection, ReportsNoMemoryAndLeavesTheSectionZeroed) {
  seams::Reset();
  CRITICAL_SECTION section;
  memset(&section, 0xA5, sizeof(section));
  seams::FailOperation("InitializeCriticalSection", STATUS_NO_MEMORY, 1);
  EXPECT_EQ(E_OUTOFMEMORY, CreateCriticalSection(&section));
  CRITICAL_SECTION zero;
  memset(&zero, 0, sizeof(zero));
  EXPECT_EQ(0, memcmp(&zero, &section, sizeof(section)));

  EXPECT_EQ(S_OK, CreateCriticalSection(&section));
  EnterCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, OtherStructuredExceptionsPassThrough) {
  seams::Reset();
  CRITICAL_SECTION section;
  seams::FailOperation("InitializeCriticalSection", STATUS_ACCESS_VIOLATION, 1);
  DWORD code = 0;
  try {
    CreateCriticalSection(&section);
  } catch (const PLATFORM_STRUCTURED_EXCEPTION &exception) {
    code = exception.code;
  }
  EXPECT_EQ(STATUS_ACCESS_VIOLATION, code);
}

// An object map over the test's own entries.
int creations = 0;
std::vector<std::string> mainCalls;

struct Unknown : IUnknown {
  STDMETHOD(QueryInterface)(REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *out = this;
    ++references;
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++references; }
  STDMETHOD_(ULONG, Release)() override { return --references; }
  ULONG references = 0;
};
Unknown classObject;

HRESULT WINAPI MakeClassObject(void *argument, REFIID iid, LPVOID *out) {
  ++creations;
  EXPECT_EQ(reinterpret_cast<void *>(0x1234), argument);
  EXPECT_EQ(IID_IUnknown, iid);
  return classObject.QueryInterface(iid, out);
}
HRESULT WINAPI FailClassObject(void *, REFIID, LPVOID *out) {
  ++creations;
  *out = nullptr;
  return E_OUTOFMEMORY;
}
HRESULT WINAPI NeverCalled(void *, REFIID, LPVOID *) {
  ADD_FAILURE() << "a hidden entry was used";
  return E_FAIL;
}
void MainOfFirst(bool starting) { mainCalls.push_back(starting ? "first+" : "first-"); }
void MainOfSecond(bool starting) { mainCalls.push_back(starting ? "second+" : "second-"); }

const CLSID kHidden = {1, 0, 0, {0}};
const CLSID kWorking = {2, 0, 0, {0}};
const CLSID kFailing = {3, 0, 0, {0}};

class ObjectMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams::Reset();
    creations = 0;
    mainCalls.clear();
    classObject.references = 0;
  }
  CreatorFunction instance = reinterpret_cast<CreatorFunction>(0x1234);
  ObjectMapEntry hidden = {&kHidden, nullptr, nullptr, &NeverCalled, nullptr, nullptr, &MainOfFirst};
  ObjectMapEntry working = {&kWorking, nullptr, &MakeClassObject, instance, nullptr, nullptr, &MainOfSecond};
  ObjectMapEntry workingAgain = {&kWorking, nullptr, &NeverCalled, instance, nullptr, nullptr, nullptr};
  ObjectMapEntry failing = {&kFailing, nullptr, &FailClassObject, instance, nullptr, nullptr, nullptr};
  ObjectMapEntry *table[5] = {nullptr, &hidden, &working, &workingAgain, &failing};
};

TEST_F(ObjectMapTest, LookupSkipsNullSlotsAndHiddenEntriesAndCaches) {
  CObjectMap map(table, table + 5);
  struct Case {
    const CLSID *clsid;
    const IID *iid;
    HRESULT result;
    int creations;  // total so far
  } cases[] = {
      {&kHidden, &IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE, 0},
      {&kWorking, &IID_IClassFactory, E_NOINTERFACE, 1},  // created, cached, QI refused
      {&kWorking, &IID_IUnknown, S_OK, 1},
      {&kFailing, &IID_IUnknown, E_OUTOFMEMORY, 2},
      {&kFailing, &IID_IUnknown, E_OUTOFMEMORY, 3},  // nothing cached: tried again
  };
  for (const Case &c : cases) {
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(c.result, map.GetClassObject(*c.clsid, *c.iid, &out)) << c.clsid->Data1;
    EXPECT_EQ(c.result == S_OK, out != nullptr);
    EXPECT_EQ(c.creations, creations);
    if (out) static_cast<IUnknown *>(out)->Release();
  }
  EXPECT_EQ(static_cast<IUnknown *>(&classObject), working.classObject);
  EXPECT_EQ(E_POINTER, map.GetClassObject(kWorking, IID_IUnknown, nullptr));
  EXPECT_EQ(1u, classObject.references);  // the cache's own
}

TEST_F(ObjectMapTest, TerminationReleasesTheCache) {
  {
    CObjectMap map(table, table + 5);
    void *out = nullptr;
    ASSERT_EQ(S_OK, map.GetClassObject(kWorking, IID_IUnknown, &out));
    static_cast<IUnknown *>(out)->Release();
  }
  EXPECT_EQ(0u, classObject.references);
  EXPECT_EQ(nullptr, working.classObject);
}

TEST_F(ObjectMapTest, AMapWithoutItsLockIsNotReady) {
  seams::FailOperation("InitializeCriticalSection", STATUS_NO_MEMORY, 1);
  {
    CObjectMap map(table, table + 5);
    EXPECT_EQ(0u, map.sizeMarker);
    EXPECT_TRUE(initFailed);
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(E_UNEXPECTED, map.GetClassObject(kWorking, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, creations);
  }
  initFailed = false;
}

TEST_F(ObjectMapTest, ObjectMainRunsInTableOrder) {
  CObjectMap map(table, table + 5);
  map.ObjectMain(true);
  map.ObjectMain(false);
  EXPECT_EQ((std::vector<std::string>{"first+", "second+", "first-", "second-"}), mainCalls);
}

}  // namespace
