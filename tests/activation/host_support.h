// The test host's side: loading the library as the file manager does, a
// file-drop data object, the per-user settings, menus and launched programs.
// Written only against the SDK's names.
#pragma once
#include <windows.h>
#include "support/data_object_base.h"
#include "support/temp_directory.h"
#include <shlobj.h>

#include <string>
#include <vector>

namespace host {

// {1955A1E8-C828-42AF-A571-081D65B07B83}
extern const CLSID kExtensionClsid;
// {A2FA2CBA-FA7A-42EA-8F96-080BACFF0317}
extern const IID kTypeLibraryInterface;

typedef HRESULT(STDAPICALLTYPE *GetClassObjectFunction)(REFCLSID, REFIID, LPVOID *);
typedef HRESULT(STDAPICALLTYPE *CanUnloadNowFunction)();

// The library loaded with LoadLibraryW and its two activation exports; freed
// on destruction.
class Library {
 public:
  Library();
  ~Library();
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;

  bool loaded() const { return module_ != nullptr && getClassObject_ != nullptr && canUnloadNow_ != nullptr; }
  HMODULE module() const { return module_; }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) const { return getClassObject_(clsid, iid, out); }
  HRESULT CanUnloadNow() const { return canUnloadNow_(); }

  // The factory's IClassFactory, or null.
  IClassFactory *Factory() const;
  // A new extension object's `iid` interface from a fresh factory reference, or null.
  template <class T>
  T *Create(REFIID iid) const {
    IClassFactory *factory = Factory();
    if (!factory) return nullptr;
    void *object = nullptr;
    factory->CreateInstance(nullptr, iid, &object);
    factory->Release();
    return static_cast<T *>(object);
  }

 private:
  HMODULE module_ = nullptr;
  GetClassObjectFunction getClassObject_ = nullptr;
  CanUnloadNowFunction canUnloadNow_ = nullptr;
};

// The library's path as UTF-16.
std::basic_string<WCHAR> LibraryPath();
// True when the library's file is mapped into this process.
bool LibraryMapped();

// A CF_HDROP data object: each GetData hands out a new DROPFILES block in
// global memory holding `names`, wide or ANSI. Reference counted; starts at 1.
class FileDropObject : public DataObjectBase {
 public:
  FileDropObject(std::vector<std::basic_string<WCHAR>> names, bool wide);
  // Makes GetData fail with `hr`, or succeed with another medium kind.
  void FailGetData(HRESULT hr) { getDataResult_ = hr; }
  void HandOutMedium(DWORD tymed) { tymed_ = tymed; }
  // How often GetData was called.
  int GetDataCalls() const { return getDataCalls_; }

  STDMETHOD(QueryInterface)(REFIID iid, void **out) override;
  STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) override;

 protected:
  virtual ~FileDropObject() = default;

 private:
  std::vector<std::basic_string<WCHAR>> names_;
  bool wide_;
  ULONG references_ = 1;
  HRESULT getDataResult_ = S_OK;
  DWORD tymed_ = TYMED_HGLOBAL;
  int getDataCalls_ = 0;
};

// Initialize over a new drop object holding `names`; returns its result.
HRESULT InitializeWith(IShellExtInit *init, const std::vector<std::basic_string<WCHAR>> &names, bool wide = true);

// Per-user settings under HKEY_CURRENT_USER\Software\Tovin Copy.
void ClearSettings();
// Stores exactly `bytes` bytes as REG_SZ.
void SetSettingBytes(const WCHAR *name, const void *data, DWORD bytes);
// Stores the text with its NUL.
void SetSettingText(const WCHAR *name, const std::basic_string<WCHAR> &text);

// One menu item as GetMenuItemInfoW reports it.
struct MenuItem {
  UINT id = 0;
  UINT type = 0;
  std::basic_string<WCHAR> text;
  HBITMAP checked = nullptr;
  HBITMAP unchecked = nullptr;
};
bool ReadMenuItem(HMENU menu, UINT position, MenuItem *item);
// A popup menu with the given items (identifiers 1000, 1001, ...).
HMENU MenuWith(const std::vector<std::basic_string<WCHAR>> &texts);

using testing_files::TempDirectory;

// Writes a 24-bit bottom-up BMP file of the given size.
void WriteBmpFile(const std::string &path, int width, int height);

// Points ACTIVATION_ECHO_OUTPUT at `path`; the echo program started later
// writes its arguments there.
void SetEchoOutput(const std::string &path);
// Waits up to `milliseconds` for the echo program's file; its lines, or
// false when it did not appear.
bool WaitForEcho(const std::string &path, std::vector<std::string> *lines, int milliseconds = 5000);

}  // namespace host
