// The register and unregister passes over a preprocessed registry script.
#include <objbase.h>

#include "module/failure.h"
#include "registrar/script_parser.h"

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
constexpr int kRememberedNameUnits = MAX_PATH;

bool IsKeyword(LPCWSTR token, LPCWSTR keyword) { return lstrcmpiW(token, keyword) == 0; }

bool OpensBlock(LPCWSTR token) { return token[0] == '{' && token[1] == 0; }

// A key entry names exactly one existing or new subkey: an empty name would
// address the parent itself, a backslash a key further down.
bool IsSingleKeyName(LPCWSTR name) {
  if (name[0] == 0) return false;
  for (LPCWSTR at = name; *at != 0; ++at) {
    if (*at == '\\') return false;
  }
  return true;
}

// Copies `name` into `remembered`; false when it had to be truncated.
bool RememberName(LPWSTR remembered, LPCWSTR name) {
  int i = 0;
  for (; i < kRememberedNameUnits - 1 && name[i] != 0; ++i) remembered[i] = name[i];
  remembered[i] = 0;
  return name[i] == 0;
}

}  // namespace

bool CRegScriptParser::KeyHasSubkeys(HKEY key) {
  DWORD subkeys = 0;
  LONG code = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
  return code == ERROR_SUCCESS && subkeys > 0;
}

HRESULT CRegScriptParser::RunScript(LPCWSTR text, bool registering) {
  LPWSTR expanded = nullptr;
  HRESULT hr;
  // Nothing of ours raises; the guard keeps a raising platform call from
  // leaving through here or leaking the expanded text.
  try {
    hr = ExpandScript(text, &expanded);
    if (SUCCEEDED(hr)) hr = RunExpanded(expanded, registering);
  } catch (...) {
    hr = E_OUTOFMEMORY;
  }
  if (expanded) CoTaskMemFree(expanded);
  return hr;
}

HRESULT CRegScriptParser::RunExpanded(LPCWSTR text, bool registering) {
  WCHAR token[kTokenUnits];
  position = text;
  if (*position == 0) return S_OK;
  for (;;) {
    HRESULT hr = NextToken(token);
    if (FAILED(hr)) return hr;
    HKEY root = RootKeyFromName(token);
    if (!root) return DISP_E_EXCEPTION;
    hr = NextToken(token);
    if (FAILED(hr)) return hr;
    if (token[0] != '{') return DISP_E_EXCEPTION;
    if (registering) {
      LPCWSTR blockStart = position;
      hr = ProcessBlock(token, root, true, false, 1);
      if (FAILED(hr)) {
        // Not an undo: removes what the unregister pass of this entry would remove.
        position = blockStart;
        ProcessBlock(token, root, false, false, 1);
        return hr;
      }
    } else {
      hr = ProcessBlock(token, root, false, false, 1);
      if (FAILED(hr)) return hr;
    }
    SkipBlanks();
    if (*position == 0) return hr;
  }
}

HRESULT CRegScriptParser::ProcessBlock(LPWSTR token, HKEY parent, bool registering, bool recovering, int level) {
  // Each level holds under 1 KB of the stack, the token buffers being shared
  // by all levels: the bound keeps a hostile script well inside a 1 MB thread
  // stack.
  if (level > kMaxBlockDepth) return DISP_E_EXCEPTION;
  return registering ? RegisterBlock(token, parent, level) : UnregisterBlock(token, parent, recovering, level);
}

HRESULT CRegScriptParser::RegisterBlock(LPWSTR token, HKEY parent, int level) {
  CRegistryKey current;
  HRESULT hr = NextToken(token);
  if (FAILED(hr)) return hr;
  while (token[0] != '}') {
    const bool forceRemove = IsKeyword(token, TEXT("ForceRemove"));
    const bool deleteOnly = !forceRemove && IsKeyword(token, TEXT("Delete"));
    bool valueOrKeyEntry = true;
    if (forceRemove || deleteOnly) {
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
      if (!IsSingleKeyName(token)) return DISP_E_EXCEPTION;
      if (IsRemovableKey(token)) {
        CRegistryKeyView(parent).key().RemoveSubtree(token);  // absent or undeletable: the entry goes on regardless
      }
      if (deleteOnly) {
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
        hr = SkipValueAssignment(token);
        if (FAILED(hr)) return hr;
        valueOrKeyEntry = false;
      }
    }
    if (valueOrKeyEntry) {
      // "NoRemove" only matters to the unregister pass.
      if (IsKeyword(token, TEXT("NoRemove"))) {
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
      }
      if (IsKeyword(token, TEXT("Val"))) {
        hr = NextToken(valueName);
        if (FAILED(hr)) return hr;
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
        if (token[0] != '=') return DISP_E_EXCEPTION;
        CRegistryKeyView parentKey(parent);
        hr = WriteValue(parentKey.key(), valueName, token);
        if (FAILED(hr)) return hr;
      } else {
        if (!IsSingleKeyName(token)) return DISP_E_EXCEPTION;
        if (current.Open(parent, token, kReadWrite) != ERROR_SUCCESS &&
            current.Open(parent, token, KEY_READ) != ERROR_SUCCESS) {
          LONG code = current.Create(parent, token);
          if (code != ERROR_SUCCESS) return HresultFromWin32(code);
        }
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
        if (token[0] == '=') {
          hr = WriteValue(current, nullptr, token);
          if (FAILED(hr)) return hr;
        }
      }
    }
    if (OpensBlock(token)) {
      hr = ProcessBlock(token, current.handle, true, false, level + 1);
      if (FAILED(hr)) return hr;
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT CRegScriptParser::RemoveNamedValue(HKEY parent, LPCWSTR valueName) {
  CRegistryKey writable;
  LONG code = writable.Open(parent, nullptr, KEY_WRITE);
  if (code != ERROR_SUCCESS) return HresultFromWin32(code);
  code = writable.RemoveValue(valueName);
  if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND) return HresultFromWin32(code);
  return HresultFromWin32(writable.Close());
}

HRESULT CRegScriptParser::UnregisterBlock(LPWSTR token, HKEY parent, bool recovering, int level) {
  WCHAR rememberedName[kRememberedNameUnits];
  CRegistryKey current;
  HRESULT hr = NextToken(token);
  if (FAILED(hr)) return hr;
  while (token[0] != '}') {
    bool removable = true;
    // Both prefixes only introduce an ordinary entry in this pass.
    if (IsKeyword(token, TEXT("ForceRemove")) || IsKeyword(token, TEXT("Delete"))) {
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
    }
    if (IsKeyword(token, TEXT("NoRemove"))) {
      removable = false;
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
    }
    if (IsKeyword(token, TEXT("Val"))) {
      hr = NextToken(valueName);
      if (FAILED(hr)) return hr;
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
      if (token[0] != '=') return DISP_E_EXCEPTION;
      if (!recovering && removable) {
        hr = RemoveNamedValue(parent, valueName);
        if (FAILED(hr)) return hr;
      }
      hr = SkipValueAssignment(token);
      if (FAILED(hr)) return hr;
      continue;
    }

    if (!IsSingleKeyName(token)) return DISP_E_EXCEPTION;
    LONG openCode = ERROR_FILE_NOT_FOUND;
    if (!recovering) openCode = current.Open(parent, token, KEY_READ);
    const bool blockRecovering = recovering || openCode != ERROR_SUCCESS;
    const bool nameKept = RememberName(rememberedName, token);
    hr = NextToken(token);
    if (FAILED(hr)) return hr;
    hr = SkipValueAssignment(token);
    if (FAILED(hr)) return hr;
    if (OpensBlock(token)) {
      // A failure below an absent key is still a malformed script: reading on
      // from where it stopped would take the rest of that block for entries of
      // this level and remove values and keys of the wrong key, so it ends the
      // pass here as well.
      hr = ProcessBlock(token, current.handle, false, blockRecovering, level + 1);
      if (FAILED(hr)) return hr;
      hr = NextToken(token);
      if (FAILED(hr)) return hr;
    }
    if (openCode == ERROR_FILE_NOT_FOUND) continue;
    if (openCode != ERROR_SUCCESS) return HresultFromWin32(openCode);
    const bool hasSubkeys = KeyHasSubkeys(current.handle);
    LONG code = current.Close();
    if (code != ERROR_SUCCESS) return HresultFromWin32(code);
    // Under a truncated name the delete could hit a different key.
    if (removable && !hasSubkeys && nameKept) {
      code = CRegistryKeyView(parent).key().RemoveSubkey(rememberedName);
      if (code != ERROR_SUCCESS) return HresultFromWin32(code);
    }
  }
  return S_OK;
}
