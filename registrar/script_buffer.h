// CScriptBuffer: the growable UTF-16 text that script preprocessing writes
// into, held in COM task memory. One thread; no locks.
#pragma once
#include <windows.h>

class CScriptBuffer {
 public:
  // Allocates `requested` units (1000 when fewer than 100 are asked for) and
  // starts with the empty text. `data` stays null when the allocation fails.
  explicit CScriptBuffer(int requested);
  // Frees `data` unless TakeText passed it on.
  ~CScriptBuffer();
  CScriptBuffer(const CScriptBuffer &) = delete;
  CScriptBuffer &operator=(const CScriptBuffer &) = delete;

  // Appends `count` units and a terminator, doubling `capacity` as needed.
  // False, with the text unchanged, when the buffer holds no data, the size
  // overflows or memory ran out.
  bool Append(const WCHAR *units, int count);
  // Append of the whole NUL-terminated `text`; false for a null text.
  bool AppendText(LPCWSTR text);
  // Hands `data` to the caller, who frees it with CoTaskMemFree; the buffer
  // then holds nothing.
  WCHAR *TakeText();

  // Units in use, terminator not counted.
  int length = 0;
  // Units allocated.
  int capacity = 0;
  // NUL-terminated at `length` while allocated; owned until TakeText.
  WCHAR *data = nullptr;
};
