// IContextMenu::InvokeCommand of the extension: starting the Tovin Copy application.
#include "module/failure.h"
#include "shellext/launch_result.h"
#include "shellext/menu_texts.h"
#include "shellext/settings.h"
#include "shellext/tovincopyshl_ext.h"

namespace {

constexpr DWORD kTextUnits = 1024;
constexpr size_t kPrefixBound = 1020;
constexpr size_t kPathBound = 1000;

}  // namespace

HRESULT STDMETHODCALLTYPE CTovinCopyShlExt::InvokeCommand(CMINVOKECOMMANDINFO *info) {
  if (!info) return E_INVALIDARG;
  const ULONG_PTR verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
  // A verb string (anything above the low 16 bits) and every command offset
  // but 0 are refused alike.
  if (verb != 0) return E_INVALIDARG;
  if (targetPath[0] == 0) return E_UNEXPECTED;

  WCHAR application[kTextUnits];
  const LONG rc = ReadSetting(copyAppValueName, application, kTextUnits, kCopyAppReadBytes);
  if (rc != ERROR_SUCCESS) return HresultFromWin32(rc);

  WCHAR parameters[kTextUnits];
  parameters[0] = 0;
  try {
    CheckedStringAppend(parameters, kPrefixBound, parameterPrefix);
    CheckedStringAppend(parameters, kPathBound, targetPath);
  } catch (const CHresultException &exception) {
    return exception.Hresult();
  }
  return HresultFromShellExecute(
      ShellExecuteW(nullptr, launchVerb, application, parameters, nullptr, SW_SHOW));
}
