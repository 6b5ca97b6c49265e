// Running the library's own registry script resources.
#include "module/script_resource_update.h"

#include "module/failure.h"
#include "module/module.h"
#include "module/module_instance.h"
#include "registrar/reg_object.h"

namespace {

constexpr size_t kEscapedUnits = 2 * MAX_PATH;
constexpr size_t kQuotedUnits = kEscapedUnits + 4;

}  // namespace

void DoubleApostrophes(LPWSTR dest, size_t capacity, LPCWSTR source) {
  if (capacity == 0) return;
  size_t used = 0;
  for (; *source != 0 && used < capacity - 1; ++source) {
    dest[used++] = *source;
    if (*source == '\'' && used < capacity - 1) dest[used++] = '\'';
  }
  dest[used] = 0;
}

HRESULT CModuleBase::ApplyScriptResource(UINT resourceId, BOOL registering, const ReplacementPair *extra) {
  CRegObject registrar;
  if (extra) {
    for (const ReplacementPair *pair = extra; pair->name; ++pair) registrar.PutReplacement(pair->name, pair->value);
  }
  HRESULT hr = AddCommonReplacements(&registrar);
  if (FAILED(hr)) return hr;

  HINSTANCE instance = moduleInstance.instanceHandle;
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
  if (length == 0) return HresultFromFailedCall();
  if (length == MAX_PATH) return HresultFromWin32(ERROR_INSUFFICIENT_BUFFER);

  WCHAR escaped[kEscapedUnits];
  DoubleApostrophes(escaped, kEscapedUnits, path);
  // A path for the process's own executable goes in quotes; a library's never does.
  WCHAR quoted[kQuotedUnits];
  LPCWSTR moduleValue = escaped;
  if (!instance || instance == GetModuleHandleW(nullptr)) {
    quoted[0] = '"';
    CheckedStringCopy(quoted + 1, kQuotedUnits - 2, escaped);
    CheckedStringAppend(quoted, kQuotedUnits, TEXT("\""));
    moduleValue = quoted;
  }
  hr = registrar.PutReplacement(TEXT("Module"), moduleValue);
  if (FAILED(hr)) return hr;
  hr = registrar.PutReplacement(TEXT("Module_Raw"), escaped);
  if (FAILED(hr)) return hr;

  return registering ? registrar.RegisterResource(path, resourceId, TEXT("REGISTRY"))
                     : registrar.UnregisterResource(path, resourceId, TEXT("REGISTRY"));
}
