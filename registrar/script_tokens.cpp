// Reading tokens of a registry script.
#include "registrar/script_parser.h"

namespace {

bool IsBlank(WCHAR c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// Appends the units [from, to) of one character to the token; false when the
// token and its terminator would no longer fit in its buffer.
bool StoreCharacter(LPWSTR buffer, int *stored, LPCWSTR from, LPCWSTR to) {
  int units = static_cast<int>(to - from);
  if (*stored + units + 1 >= CRegScriptParser::kTokenUnits) return false;
  for (int i = 0; i < units; ++i) buffer[(*stored)++] = from[i];
  return true;
}

}  // namespace

void CRegScriptParser::SkipBlanks() {
  while (IsBlank(*position)) position = CharNextW(position);
}

HRESULT CRegScriptParser::NextToken(LPWSTR buffer) {
  int stored = 0;
  HRESULT hr = ReadToken(buffer, &stored);
  // Terminated on failure too, so the buffer never holds an unterminated text.
  buffer[stored] = 0;
  return hr;
}

HRESULT CRegScriptParser::ReadToken(LPWSTR buffer, int *stored) {
  SkipBlanks();
  if (*position == 0) return DISP_E_EXCEPTION;
  if (*position == '\'') {
    position = CharNextW(position);
    for (;;) {
      if (*position == 0) return DISP_E_EXCEPTION;
      if (IsClosingQuote()) break;
      // The doubled apostrophe is the only escape: keep the second of the pair.
      if (*position == '\'') position = CharNextW(position);
      LPCWSTR next = CharNextW(position);
      if (!StoreCharacter(buffer, stored, position, next)) return DISP_E_EXCEPTION;
      position = next;
    }
    position = CharNextW(position);
  } else {
    while (*position != 0 && !IsBlank(*position)) {
      LPCWSTR next = CharNextW(position);
      if (!StoreCharacter(buffer, stored, position, next)) return DISP_E_EXCEPTION;
      position = next;
    }
  }
  return S_OK;
}

HRESULT CRegScriptParser::SkipValueAssignment(LPWSTR token) {
  if (token[0] != '=') return S_OK;
  WCHAR valueText[kTokenUnits];
  HRESULT hr = NextToken(token);
  if (FAILED(hr)) return hr;
  hr = NextToken(valueText);
  if (FAILED(hr)) return hr;
  return NextToken(token);
}
