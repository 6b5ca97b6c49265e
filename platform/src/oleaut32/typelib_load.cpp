// LoadTypeLib and LoadTypeLibEx: a stand-alone type library file or a module
// carrying one, told apart by their first bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/seams_internal.h"
#include "core/utf.h"
#include "oleaut32/typelib_internal.h"
#include "oleaut32/typelib_objects.h"

namespace typelib {
namespace {

constexpr uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};

class File {
 public:
  explicit File(const std::string &path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File &) = delete;
  File &operator=(const File &) = delete;

  // Reads the whole of a regular file; false on any failure. The format's
  // offsets are signed 32-bit, so a larger file cannot be a type library.
  bool ReadAll(std::vector<uint8_t> *out) {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > INT32_MAX) return false;
    out->clear();
    uint8_t chunk[65536];
    for (;;) {
      ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n < 0) return false;
      if (n == 0) return true;
      out->insert(out->end(), chunk, chunk + n);
    }
  }

  // The first `size` bytes, or fewer for a shorter file; false when unreadable.
  bool Head(uint8_t *buffer, size_t size, size_t *got) {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    ssize_t n = pread(fd_, buffer, size, 0);
    if (n < 0) return false;
    *got = size_t(n);
    return true;
  }

 private:
  int fd_;
};

bool HasFolder(const char16_t *path) {
  for (const char16_t *p = path; *p; ++p)
    if (*p == u'/' || *p == u'\\') return true;
  return false;
}

HRESULT Load(LPCOLESTR szFile, REGKIND regkind, ITypeLib **pptlib) {
  // Without a file name the result is left as it was.
  if (!pptlib || !szFile) return E_INVALIDARG;
  *pptlib = nullptr;
  if (regkind < REGKIND_DEFAULT || regkind > REGKIND_NONE) return E_INVALIDARG;
  std::string utf8;
  std::u16string full;
  char resolved[PATH_MAX];
  try {
    if (!platform_utf::ToUtf8(szFile, &utf8) || utf8.empty() || !realpath(utf8.c_str(), resolved) ||
        !platform_utf::ToUtf16(resolved, &full))
      return TYPE_E_CANTLOADLIBRARY;
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  bool standAlone = false;
  ITypeLib *library = nullptr;
  HRESULT hr = LoadPath(resolved, &library, &standAlone);
  if (FAILED(hr)) return hr;

  if (regkind == REGKIND_REGISTER || (regkind == REGKIND_DEFAULT && standAlone && !HasFolder(szFile))) {
    hr = RegisterTypeLib(library, full.c_str(), nullptr);
    if (FAILED(hr) && regkind == REGKIND_REGISTER) {
      library->Release();
      return hr;
    }
  }
  *pptlib = library;
  return S_OK;
}

}  // namespace

HRESULT LoadPath(const std::string &path, ITypeLib **ppLib, bool *standAlone) {
  *ppLib = nullptr;
  try {
    File file(path);
    uint8_t head[4];
    size_t got = 0;
    if (!file.Head(head, sizeof head, &got)) return TYPE_E_CANTLOADLIBRARY;
    const bool isModule = got == sizeof head && std::memcmp(head, kElfMagic, sizeof head) == 0;
    if (!isModule && !IsTypeLibrary(head, got)) return TYPE_E_CANTLOADLIBRARY;
    std::vector<uint8_t> bytes;
    if (isModule ? !ModuleTypeLibResource(path, &bytes) : !file.ReadAll(&bytes)) return TYPE_E_CANTLOADLIBRARY;
    LibraryRecord record;
    HRESULT hr = ReadLibrary(bytes.data(), bytes.size(), &record);
    if (FAILED(hr)) return hr;
    if (standAlone) *standAlone = !isModule;
    return NewTypeLib(std::move(record), ppLib);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace typelib

HRESULT STDAPICALLTYPE LoadTypeLib(LPCOLESTR szFile, ITypeLib **pptlib) {
  uint32_t code = 0;
  if (seams::Enter("LoadTypeLib", seams::Utf8(szFile), "", &code)) {
    if (pptlib) *pptlib = nullptr;
    return HRESULT(code);
  }
  return typelib::Load(szFile, REGKIND_DEFAULT, pptlib);
}

HRESULT STDAPICALLTYPE LoadTypeLibEx(LPCOLESTR szFile, REGKIND regkind, ITypeLib **pptlib) {
  uint32_t code = 0;
  if (seams::Enter("LoadTypeLibEx", seams::Utf8(szFile), "regkind=" + std::to_string(int(regkind)), &code)) {
    if (pptlib) *pptlib = nullptr;
    return HRESULT(code);
  }
  return typelib::Load(szFile, regkind, pptlib);
}
