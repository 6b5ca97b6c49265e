#include "hresult_text.h"

#include <cstdio>

namespace tools {
namespace {

struct Text {
  unsigned long code;
  const char *text;
};

const Text kHresultTexts[] = {
    {static_cast<unsigned long>(S_OK), "The operation completed successfully."},
    {static_cast<unsigned long>(S_FALSE), "Success (S_FALSE)."},
    {static_cast<unsigned long>(E_UNEXPECTED), "Catastrophic failure"},
    {static_cast<unsigned long>(E_NOTIMPL), "Not implemented"},
    {static_cast<unsigned long>(E_NOINTERFACE), "No such interface supported"},
    {static_cast<unsigned long>(E_POINTER), "Invalid pointer"},
    {static_cast<unsigned long>(E_ABORT), "Operation aborted"},
    {static_cast<unsigned long>(E_FAIL), "Unspecified error"},
    {static_cast<unsigned long>(CLASS_E_NOAGGREGATION),
     "Class does not support aggregation (or class object is remote)"},
    {static_cast<unsigned long>(CLASS_E_CLASSNOTAVAILABLE), "ClassFactory cannot supply requested class"},
    {static_cast<unsigned long>(REGDB_E_CLASSNOTREG), "Class not registered"},
    {static_cast<unsigned long>(REGDB_E_READREGDB), "Could not read key from registry"},
    {static_cast<unsigned long>(CO_E_NOTINITIALIZED), "CoInitialize has not been called."},
    {static_cast<unsigned long>(CO_E_CLASSSTRING), "Invalid class string"},
    {static_cast<unsigned long>(CO_E_DLLNOTFOUND), "DLL for class not found"},
    {static_cast<unsigned long>(CO_E_ERRORINDLL), "Error in the DLL"},
    {static_cast<unsigned long>(DV_E_FORMATETC), "Invalid FORMATETC structure"},
    {static_cast<unsigned long>(DV_E_TYMED), "Invalid tymed"},
    {static_cast<unsigned long>(TYPE_E_REGISTRYACCESS), "Error accessing the OLE registry."},
};

const Text kWin32Texts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_BAD_EXE_FORMAT, "The file is not a valid Win32 application."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_DATATYPE_MISMATCH, "Data of this type is not supported."},
    {ERROR_NO_UNICODE_TRANSLATION, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_DLL_INIT_FAILED, "A dynamic link library (DLL) initialization routine failed."},
    {ERROR_NO_ASSOCIATION, "No application is associated with the specified file for this operation."},
    {ERROR_DLL_NOT_FOUND, "One of the library files needed to run this application cannot be found."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file."},
    {ERROR_REGISTRY_IO_FAILED, "An I/O operation initiated by the registry failed unrecoverably."},
};

const char *Find(const Text *table, size_t size, unsigned long code) {
  for (size_t i = 0; i < size; ++i)
    if (table[i].code == code) return table[i].text;
  return nullptr;
}

}  // namespace

const char *KnownWin32ErrorText(DWORD code) {
  return Find(kWin32Texts, sizeof kWin32Texts / sizeof *kWin32Texts, code);
}

const char *KnownHresultText(HRESULT hr) {
  const unsigned long code = static_cast<unsigned long>(static_cast<uint32_t>(hr));
  if (const char *text = Find(kHresultTexts, sizeof kHresultTexts / sizeof *kHresultTexts, code)) return text;
  if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_WIN32) return KnownWin32ErrorText(HRESULT_CODE(hr));
  return nullptr;
}

std::string Win32ErrorText(DWORD code) {
  const char *text = KnownWin32ErrorText(code);
  return text ? text : "Unknown error";
}

std::string HresultText(HRESULT hr) {
  if (const char *text = KnownHresultText(hr)) return text;
  return SUCCEEDED(hr) ? "Success" : "Unknown error";
}

std::string DescribeHresult(HRESULT hr) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(hr));
  return std::string(hex) + " " + HresultText(hr);
}

}  // namespace tools
