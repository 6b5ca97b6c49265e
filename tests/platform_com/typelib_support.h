// Shared by the type library tests: the built libraries, their identities,
// a scratch folder for altered copies, and little-endian patching.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_directory.h"
#include "support/text.h"

namespace typelib_test {

using testing_text::U16;
using testing_text::U8;
using testing_text::WideString;

// {308D0CF8-2449-4115-9E32-FD0217BE1B79}
constexpr GUID kLibrary = {0x308D0CF8, 0x2449, 0x4115, {0x9E, 0x32, 0xFD, 0x02, 0x17, 0xBE, 0x1B, 0x79}};
// {1955A1E8-C828-42AF-A571-081D65B07B83}
constexpr CLSID kClass = {0x1955A1E8, 0xC828, 0x42AF, {0xA5, 0x71, 0x08, 0x1D, 0x65, 0xB0, 0x7B, 0x83}};
// {A2FA2CBA-FA7A-42EA-8F96-080BACFF0317}
constexpr IID kInterface = {0xA2FA2CBA, 0xFA7A, 0x42EA, {0x8F, 0x96, 0x08, 0x0B, 0xAC, 0xFF, 0x03, 0x17}};
// {5E1A0001-0000-4000-8000-000000000001}: the interface of the sample library (typelib_sample.idl).
constexpr IID kSampleInterface = {0x5E1A0001, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
constexpr char kLibraryText[] = "{308D0CF8-2449-4115-9E32-FD0217BE1B79}";
constexpr char kInterfaceText[] = "{A2FA2CBA-FA7A-42EA-8F96-080BACFF0317}";

inline std::vector<uint8_t> ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t Get32(const std::vector<uint8_t> &b, size_t at) {
  return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}
inline void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = uint8_t(v >> (8 * i));
}
inline void Put16(std::vector<uint8_t> &b, size_t at, uint16_t v) {
  b.at(at) = uint8_t(v);
  b.at(at + 1) = uint8_t(v >> 8);
}

// Where the directory entry of segment `i` lies (no help DLL named), and where the segment starts.
inline size_t DirectoryEntry(const std::vector<uint8_t> &b, size_t i) { return 0x54 + 4 * Get32(b, 0x20) + 16 * i; }
inline size_t SegmentStart(const std::vector<uint8_t> &b, size_t i) { return Get32(b, DirectoryEntry(b, i)); }
// The file offset of type info `index`.
inline size_t TypeInfoAt(const std::vector<uint8_t> &b, size_t index) {
  return SegmentStart(b, 0) + Get32(b, 0x54 + 4 * index);
}

// A scratch folder removed with its files at the end of the test.
class Scratch {
 public:
  const std::string &dir() const { return directory_.path(); }
  std::string Write(const std::string &name, const std::vector<uint8_t> &bytes) const {
    std::string path = dir() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

 private:
  testing_files::TempDirectory directory_;
};

// RegisterTypeLib with the SDK's non-const parameters.
inline HRESULT Register(ITypeLib *lib, const WCHAR *path, const WCHAR *help) {
  return RegisterTypeLib(lib, const_cast<OLECHAR *>(path), const_cast<OLECHAR *>(help));
}

// The per-user forms, found among the automation library's exports as callers
// that also run on older systems find them.
inline HRESULT RegisterForUser(ITypeLib *lib, const WCHAR *path, const WCHAR *help) {
  typedef HRESULT(WINAPI * Function)(ITypeLib *, OLECHAR *, OLECHAR *);
  auto function = reinterpret_cast<Function>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(TEXT("oleaut32.dll")), "RegisterTypeLibForUser")));
  return function ? function(lib, const_cast<OLECHAR *>(path), const_cast<OLECHAR *>(help)) : E_NOTIMPL;
}
inline HRESULT UnregisterForUser(REFGUID library, WORD major, WORD minor, LCID lcid, SYSKIND kind) {
  typedef HRESULT(WINAPI * Function)(REFGUID, WORD, WORD, LCID, SYSKIND);
  auto function = reinterpret_cast<Function>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(TEXT("oleaut32.dll")), "UnRegisterTypeLibForUser")));
  return function ? function(library, major, minor, lcid, kind) : E_NOTIMPL;
}

// Loads without registering; null on failure with *code set.
inline ITypeLib *Load(const std::string &path, HRESULT *code = nullptr) {
  ITypeLib *lib = nullptr;
  HRESULT hr = LoadTypeLibEx(U16(path).c_str(), REGKIND_NONE, &lib);
  if (code) *code = hr;
  return lib;
}

}  // namespace typelib_test
