// IShellExtInit::Initialize: which selected path the object keeps.
#include <gtest/gtest.h>

#include <functional>

#include "initialize_fixture.h"

namespace {

TEST_F(InitializeTest, SelectionsAndTheirOutcome) {
  const std::basic_string<WCHAR> longest(259, TEXT('a'));
  const std::basic_string<WCHAR> tooLong(260, TEXT('b'));
  struct Case {
    const char *name;
    std::function<HRESULT(IShellExtInit *)> run;
    HRESULT result;
    std::string kept;  // after an earlier Initialize kept "C:\Before"
  } cases[] = {
      {"one wide name", [](IShellExtInit *i) { return host::InitializeWith(i, {TEXT("D:\\Backup 2011")}); }, S_OK,
       " /oD:\\Backup 2011"},
      {"one ANSI name", [](IShellExtInit *i) { return host::InitializeWith(i, {TEXT("E:\\Ansi dir")}, false); }, S_OK,
       " /oE:\\Ansi dir"},
      {"several names keep the first",
       [](IShellExtInit *i) { return host::InitializeWith(i, {TEXT("C:\\"), TEXT("C:\\b"), TEXT("C:\\c")}); }, S_OK, " /oC:\\"},
      {"a name of 259 characters", [&](IShellExtInit *i) { return host::InitializeWith(i, {longest}); }, S_OK,
       " /o" + std::string(259, 'a')},
      {"a name of 260 characters", [&](IShellExtInit *i) { return host::InitializeWith(i, {tooLong}); },
       E_INVALIDARG, " /oC:\\Before"},
      // Each name is read in turn: the first is kept though a later one is refused.
      {"a long name after a good one",
       [&](IShellExtInit *i) { return host::InitializeWith(i, {TEXT("C:\\good"), tooLong}); }, E_INVALIDARG,
       " /oC:\\good"},
      {"an empty drop list", [](IShellExtInit *i) { return host::InitializeWith(i, {}); }, E_INVALIDARG,
       " /oC:\\Before"},
      {"no data object", [](IShellExtInit *i) { return i->Initialize(nullptr, nullptr, nullptr); }, E_INVALIDARG,
       " /oC:\\Before"},
      {"GetData refuses",
       [](IShellExtInit *i) {
         host::FileDropObject *data = new host::FileDropObject({TEXT("C:\\x")}, true);
         data->FailGetData(DV_E_FORMATETC);
         HRESULT hr = i->Initialize(nullptr, data, nullptr);
         data->Release();
         return hr;
       },
       E_INVALIDARG, " /oC:\\Before"},
      {"a medium that is no global block",
       [](IShellExtInit *i) {
         host::FileDropObject *data = new host::FileDropObject({TEXT("C:\\x")}, true);
         data->HandOutMedium(TYMED_ISTREAM);
         HRESULT hr = i->Initialize(nullptr, data, nullptr);
         data->Release();
         return hr;
       },
       E_INVALIDARG, " /oC:\\Before"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\Before")})) << c.name;
    EXPECT_EQ(c.result, c.run(init_)) << c.name;
    EXPECT_EQ(c.kept, KeptParameters()) << c.name;
  }
}

TEST_F(InitializeTest, GetDataIsAskedForTheDropListInGlobalMemory) {
  struct Recorder : host::FileDropObject {
    Recorder() : FileDropObject({TEXT("C:\\x")}, true) {}
    STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) override {
      seen = *format;
      return FileDropObject::GetData(format, medium);
    }
    FORMATETC seen = {};
  };
  Recorder *data = new Recorder;
  EXPECT_EQ(S_OK, init_->Initialize(nullptr, data, nullptr));
  EXPECT_EQ(CF_HDROP, data->seen.cfFormat);
  EXPECT_EQ(nullptr, data->seen.ptd);
  EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT), data->seen.dwAspect);
  EXPECT_EQ(-1, data->seen.lindex);
  EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), data->seen.tymed);
  data->Release();
}

TEST_F(InitializeTest, ALaterSelectionReplacesThePath) {
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\first")}));
  ASSERT_EQ(S_OK, host::InitializeWith(init_, {TEXT("C:\\second")}));
  EXPECT_EQ(" /oC:\\second", KeptParameters());
}

TEST_F(InitializeTest, WithoutAnyKeptPathNothingIsLaunched) {
  EXPECT_EQ("(none)", KeptParameters());
  ASSERT_EQ(E_INVALIDARG, host::InitializeWith(init_, {std::basic_string<WCHAR>(300, TEXT('c'))}));
  EXPECT_EQ("(none)", KeptParameters());
}

}  // namespace
