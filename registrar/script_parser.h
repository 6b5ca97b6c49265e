// CRegScriptParser: preprocessing and interpretation of registry scripts.
// A parser is made on the stack for one run, used by one thread, and owns
// nothing between runs.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "registrar/reg_object.h"
#include "registrar/registry_key.h"

class CRegScriptParser {
 public:
  // Units of every token buffer; a token holds at most kTokenUnits - 2 units.
  static constexpr int kTokenUnits = 4096;
  // Deepest block nesting accepted; the block of a root entry is level 1.
  static constexpr int kMaxBlockDepth = 64;

  explicit CRegScriptParser(CRegObject *registrar) : registrar(registrar) {}

  // Preprocesses `text` and makes the register pass (`registering` true) or
  // the unregister pass over it. A failed register pass of a root entry is
  // followed by the unregister pass of that entry. Returns S_OK or the first
  // failure; `text` is never modified. Raises nothing.
  HRESULT RunScript(LPCWSTR text, bool registering);

  // Expands "%NAME%" references from the registrar's map, turns "%%" into
  // "%" and, under per-user registration, moves every "HKCR" root below
  // HKCU\Software\Classes. On success *result is a new text in COM task
  // memory that the caller frees with CoTaskMemFree; on failure it is null.
  // E_POINTER, E_OUTOFMEMORY, DISP_E_EXCEPTION (unclosed "%", unknown name)
  // or E_FAIL (name longer than 31 units).
  HRESULT ExpandScript(LPCWSTR text, LPWSTR *result);

  // True when `position` is at an apostrophe not followed by another one.
  bool IsClosingQuote() const;
  // The first `c` in `text`, stepping by characters; null when there is
  // none or `text` is null.
  static LPCWSTR FindChar(LPCWSTR text, WCHAR c);

  // Reads the next token at `position` into `buffer` (kTokenUnits units).
  // S_OK, or DISP_E_EXCEPTION at the end of the text, for an unterminated
  // quotation or for a token longer than kTokenUnits - 2 units.
  HRESULT NextToken(LPWSTR buffer);
  // Advances `position` past tab, line feed, carriage return and space.
  void SkipBlanks();
  // When `token` begins with "=", reads past the type letter and the value
  // text and reads the following token into `token`; otherwise consumes
  // nothing. S_OK or the reading failure.
  HRESULT SkipValueAssignment(LPWSTR token);
  // Interprets the entries of one block below `parent` up to and including
  // its closing "}"; `level` is the block's nesting level. With `recovering`
  // set (unregister pass only) nothing is opened or removed. `token` is the
  // run's shared token buffer.
  HRESULT ProcessBlock(LPWSTR token, HKEY parent, bool registering, bool recovering, int level);
  // Reads the type letter and the value text after the "=" in `token`,
  // writes the value `valueName` (null for the default value) of `key`, and
  // reads the next token into `token`.
  HRESULT WriteValue(CRegistryKey &key, LPCWSTR valueName, LPWSTR token);

  // False for the names of the keys that "ForceRemove" and "Delete" never
  // delete ("AppID", "CLSID", "Software", ...), true otherwise.
  static bool IsRemovableKey(LPCWSTR name);
  // True when the key's subkey count can be read and is not 0.
  static bool KeyHasSubkeys(HKEY key);
  // VT_BSTR, VT_BSTR | VT_ARRAY, VT_UI4 or VT_UI1 for the letters S, M, D
  // and B in either case; VT_EMPTY for any other token.
  static VARTYPE ValueTypeFromLetter(LPCWSTR token);
  // 0 to 15 for a hexadecimal digit, 0 for any other character.
  static BYTE HexDigitValue(WCHAR c);
  // The predefined key of a root name in either case, long or short form;
  // null for any other token.
  static HKEY RootKeyFromName(LPCWSTR token);

  // Reading position in the text being processed.
  LPCWSTR position = nullptr;
  // Supplies the replacement map; not owned.
  CRegObject *registrar;

 private:
  HRESULT ReadToken(LPWSTR buffer, int *stored);
  HRESULT RunExpanded(LPCWSTR text, bool registering);
  HRESULT RegisterBlock(LPWSTR token, HKEY parent, int level);
  HRESULT UnregisterBlock(LPWSTR token, HKEY parent, bool recovering, int level);
  HRESULT RemoveNamedValue(HKEY parent, LPCWSTR valueName);

  // The name of the value entry being read. A value entry is done with before
  // any nested block starts, so one buffer serves every level and the
  // recursion's frames stay small.
  WCHAR valueName[kTokenUnits];
};
