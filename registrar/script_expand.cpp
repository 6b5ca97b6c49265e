// Script preprocessing: replacement references, "%%", and the per-user
// rewrite of "HKCR" roots.
#include <limits.h>
#include <objbase.h>

#include "module/module_flags.h"
#include "registrar/script_buffer.h"
#include "registrar/script_parser.h"

namespace {

constexpr int kNameUnits = 32;

// Read as tokens: "HKCU { Software { Classes"; the root's own "{" then opens Classes.
const WCHAR kPerUserStart[] = TEXT("HKCU\r\n{\tSoftware\r\n\t{\r\n\t\tClasses");
// Closes Classes and Software just before the root's own "}".
const WCHAR kPerUserEnd[] = TEXT("\r\n\t}\r\n}\r\n");

bool StartsWithClassesRoot(LPCWSTR at) { return at[0] == 'H' && at[1] == 'K' && at[2] == 'C' && at[3] == 'R'; }

// The first unit from `at` on that preprocessing acts on ("%", and under
// per-user registration also the apostrophe, braces and the "H" of "HKCR"),
// or the terminator. Stepping by characters never passes over such an ASCII
// unit, so this finds the same position as stepping by characters would.
LPCWSTR NextMarkup(LPCWSTR at, bool redirect) {
  for (;; ++at) {
    const WCHAR c = *at;
    if (c == 0 || c == '%') return at;
    if (redirect && (c == '\'' || c == '{' || c == '}' || c == 'H')) return at;
  }
}

}  // namespace

bool CRegScriptParser::IsClosingQuote() const { return *position == '\'' && *CharNextW(position) != '\''; }

LPCWSTR CRegScriptParser::FindChar(LPCWSTR text, WCHAR c) {
  if (!text) return nullptr;
  for (LPCWSTR at = text; *at != 0; at = CharNextW(at)) {
    if (*at == c) return at;
  }
  return nullptr;
}

HRESULT CRegScriptParser::ExpandScript(LPCWSTR text, LPWSTR *result) {
  if (!text || !result) return E_POINTER;
  *result = nullptr;
  long long requested = 2LL * lstrlenW(text);
  if (requested > INT_MAX) return E_OUTOFMEMORY;
  CScriptBuffer out(static_cast<int>(requested));
  if (!out.data) return E_OUTOFMEMORY;

  position = text;
  const bool redirect = perUserRegistration;
  int depth = 0;
  bool inQuotes = false;
  bool endNeeded = false;
  // Text that passes through unchanged is copied a run at a time: `copied`
  // is where the text not yet copied starts.
  LPCWSTR copied = text;
  auto copyUpTo = [&](LPCWSTR end) {
    bool appended = out.Append(copied, static_cast<int>(end - copied));
    copied = end;
    return appended;
  };
  while (*position != 0) {
    if (redirect) {
      // Checked at every position of depth 0, whatever precedes it.
      if (depth == 0 && StartsWithClassesRoot(position)) {
        if (!copyUpTo(position)) return E_OUTOFMEMORY;
        position += 4;
        copied = position;
        if (!out.AppendText(kPerUserStart)) return E_OUTOFMEMORY;
        endNeeded = true;
      }
      if (*position == '\'') {
        if (!inQuotes) {
          inQuotes = true;
        } else if (IsClosingQuote()) {
          inQuotes = false;
        } else {
          // A doubled apostrophe: both pass through and the quotation stays open.
          if (!copyUpTo(position)) return E_OUTOFMEMORY;
          position = CharNextW(position);
          copied = position;
          if (!out.Append(position, 1)) return E_OUTOFMEMORY;
        }
      }
      if (!inQuotes) {
        if (*position == '{') {
          ++depth;
        } else if (*position == '}') {
          --depth;
          if (depth == 0 && endNeeded) {
            if (!copyUpTo(position) || !out.AppendText(kPerUserEnd)) return E_OUTOFMEMORY;
            endNeeded = false;
          }
        }
      }
    }
    if (*position == '%') {
      if (!copyUpTo(position)) return E_OUTOFMEMORY;
      position = CharNextW(position);
      if (*position == '%') {
        if (!out.Append(position, 1)) return E_OUTOFMEMORY;
      } else {
        LPCWSTR closing = FindChar(position, '%');
        if (!closing) return DISP_E_EXCEPTION;
        if (closing - position >= kNameUnits) return E_FAIL;
        WCHAR name[kNameUnits];
        int units = static_cast<int>(closing - position);
        for (int i = 0; i < units; ++i) name[i] = position[i];
        name[units] = 0;
        LPCWSTR value = registrar ? registrar->FindReplacement(name) : nullptr;
        if (!value) return DISP_E_EXCEPTION;
        if (!out.AppendText(value)) return E_OUTOFMEMORY;
        position = closing;
      }
      position = CharNextW(position);
      copied = position;
    } else if (*position != 0) {
      position = NextMarkup(position + 1, redirect);
    }
  }
  if (!copyUpTo(position)) return E_OUTOFMEMORY;
  *result = out.TakeText();
  return S_OK;
}
