// The fixed tables of the script language: root names, protected key names,
// value-type letters and hexadecimal digits.
#include "registrar/script_parser.h"

namespace {

struct RootName {
  LPCWSTR name;
  HKEY key;
};

// Searched in this order.
const RootName kRootNames[] = {
    {TEXT("HKCR"), HKEY_CLASSES_ROOT},
    {TEXT("HKCU"), HKEY_CURRENT_USER},
    {TEXT("HKLM"), HKEY_LOCAL_MACHINE},
    {TEXT("HKU"), HKEY_USERS},
    {TEXT("HKPD"), HKEY_PERFORMANCE_DATA},
    {TEXT("HKDD"), HKEY_DYN_DATA},
    {TEXT("HKCC"), HKEY_CURRENT_CONFIG},
    {TEXT("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT},
    {TEXT("HKEY_CURRENT_USER"), HKEY_CURRENT_USER},
    {TEXT("HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE},
    {TEXT("HKEY_USERS"), HKEY_USERS},
    {TEXT("HKEY_PERFORMANCE_DATA"), HKEY_PERFORMANCE_DATA},
    {TEXT("HKEY_DYN_DATA"), HKEY_DYN_DATA},
    {TEXT("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG},
};

// Keys whose loss would break the system; compared with a key's own name only.
const LPCWSTR kProtectedNames[] = {
    TEXT("AppID"),    TEXT("CLSID"),    TEXT("Component Categories"), TEXT("FileType"),
    TEXT("Interface"), TEXT("Hardware"), TEXT("Mime"),                 TEXT("SAM"),
    TEXT("SECURITY"), TEXT("SYSTEM"),   TEXT("Software"),             TEXT("TypeLib"),
};

struct TypeLetter {
  LPCWSTR letter;
  VARTYPE kind;
};

const TypeLetter kTypeLetters[] = {
    {TEXT("S"), VT_BSTR},
    {TEXT("M"), VT_BSTR | VT_ARRAY},
    {TEXT("D"), VT_UI4},
    {TEXT("B"), VT_UI1},
};

}  // namespace

HKEY CRegScriptParser::RootKeyFromName(LPCWSTR token) {
  for (const RootName &root : kRootNames) {
    if (lstrcmpiW(token, root.name) == 0) return root.key;
  }
  return nullptr;
}

bool CRegScriptParser::IsRemovableKey(LPCWSTR name) {
  for (LPCWSTR protectedName : kProtectedNames) {
    if (lstrcmpiW(name, protectedName) == 0) return false;
  }
  return true;
}

VARTYPE CRegScriptParser::ValueTypeFromLetter(LPCWSTR token) {
  for (const TypeLetter &type : kTypeLetters) {
    if (lstrcmpiW(token, type.letter) == 0) return type.kind;
  }
  return VT_EMPTY;
}

BYTE CRegScriptParser::HexDigitValue(WCHAR c) {
  if (c >= '0' && c <= '9') return static_cast<BYTE>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<BYTE>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<BYTE>(c - 'a' + 10);
  return 0;
}
