// COM initialisation counts and ReleaseStgMedium.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(CoInitialize, FirstCallPerThreadIsOkLaterOnesFalseUntilBalanced) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  HRESULT other = E_FAIL;
  std::thread([&] {
    other = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
  }).join();
  EXPECT_EQ(other, S_OK) << "each thread counts its own initialisations";
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
  CoUninitialize();  // an extra call is harmless
}

class CountingUnknown : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
  ULONG STDMETHODCALLTYPE Release() override { return --count; }
  ULONG count = 1;
};

TEST(ReleaseStgMedium, FreesGlobalMemoryOrReleasesTheOwnerInstead) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_NE(block, nullptr);
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  ReleaseStgMedium(&medium);
  EXPECT_EQ(GlobalSize(block), 0u) << "the block is freed";
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));

  block = GlobalAlloc(GMEM_MOVEABLE, 16);
  CountingUnknown owner;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  medium.pUnkForRelease = &owner;
  ReleaseStgMedium(&medium);
  EXPECT_EQ(owner.count, 0u);
  EXPECT_EQ(GlobalSize(block), 16u) << "the owner, not ReleaseStgMedium, frees the block";
  GlobalFree(block);

  STGMEDIUM empty{};
  ReleaseStgMedium(&empty);
  ReleaseStgMedium(nullptr);
}

}  // namespace
