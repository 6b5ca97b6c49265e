// Fuzz target: a module's resources, read as a data file through
// LoadLibraryExW(LOAD_LIBRARY_AS_DATAFILE), FindResourceW, FindResourceExW,
// LoadResource, LockResource and SizeofResource. Input: byte 0 chooses the
// file: 0 the rest is the whole file (the ELF reader), 1 and 2 the rest is
// compiled-resource (.res) bytes carried as ".rsrc" in a well-formed 64-bit
// or 32-bit ELF object (the resource parser).
// Checks: a refused file fails with ERROR_BAD_EXE_FORMAT, and a well-formed
// object always loads; a lookup fails only with a documented code, and a
// damaged or missing ".rsrc" fails every lookup alike so that no resource of
// a broken section is handed out; a found resource loads, its bytes can be
// read to its size, and finding it again gives the same handle.
#include <string>

#include "fuzz/fuzz_support.h"
#include "tests/support/resource_module.h"

namespace {

const LPCWSTR kTypes[] = {MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(16), TEXT("REGISTRY"), TEXT("TYPELIB"),
                          TEXT("#5"), TEXT("x")};
const LPCWSTR kNames[] = {MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(102), TEXT("#101"),
                          TEXT("NAME")};
const WORD kLanguages[] = {0, 0x0409, 0x0407};

bool IsImageError(DWORD e) { return e == ERROR_RESOURCE_DATA_NOT_FOUND || e == ERROR_INVALID_DATA; }

bool IsLookupError(DWORD e) {
  return e == ERROR_RESOURCE_TYPE_NOT_FOUND || e == ERROR_RESOURCE_NAME_NOT_FOUND ||
         e == ERROR_RESOURCE_LANG_NOT_FOUND || IsImageError(e);
}

// Loads and reads the whole of a found resource; returns a sum of its bytes
// so the reads are not left out.
unsigned ReadFound(HMODULE module, HRSRC found) {
  HGLOBAL loaded = LoadResource(module, found);
  FUZZ_CHECK(loaded != nullptr);
  const auto *bytes = static_cast<const unsigned char *>(LockResource(loaded));
  FUZZ_CHECK(bytes != nullptr);
  const DWORD size = SizeofResource(module, found);
  unsigned sum = 0;
  for (DWORD i = 0; i < size; ++i) sum += bytes[i];
  return sum;
}

// One lookup's outcome: the handle, or null with the last error recorded in *errors.
HRSRC Check(HMODULE module, HRSRC found, std::set<DWORD> *errors, bool *anyFound) {
  if (!found) {
    const DWORD e = GetLastError();
    FUZZ_CHECK(IsLookupError(e));
    errors->insert(e);
    return nullptr;
  }
  *anyFound = true;
  static volatile unsigned sink;
  sink = sink + ReadFound(module, found);
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  static fuzz::InputFile file("resource");
  const std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
  const int mode = data[0] % 3;
  const std::string bytes = mode == 0 ? rest : testing_resources::BuildElfWithSection(".rsrc", rest, mode == 1);
  file.Write(bytes.data(), bytes.size());

  SetLastError(ERROR_SUCCESS);
  HMODULE module = LoadLibraryExW(file.wide(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    FUZZ_CHECK(mode == 0);
    FUZZ_CHECK(GetLastError() == ERROR_BAD_EXE_FORMAT);
    return 0;
  }
  std::set<DWORD> errors;
  bool anyFound = false;
  for (LPCWSTR type : kTypes) {
    for (LPCWSTR name : kNames) {
      HRSRC found = Check(module, FindResourceW(module, name, type), &errors, &anyFound);
      if (found) FUZZ_CHECK(FindResourceW(module, name, type) == found);
      for (WORD language : kLanguages) Check(module, FindResourceExW(module, type, name, language), &errors, &anyFound);
    }
  }
  for (DWORD e : errors) {
    if (!IsImageError(e)) continue;
    FUZZ_CHECK(errors.size() == 1 && !anyFound);
  }
  FUZZ_CHECK(FreeLibrary(module));
  return 0;
}
