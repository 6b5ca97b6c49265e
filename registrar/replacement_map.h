// CReplacementMap: the (name, value) pairs that "%NAME%" references in a
// registry script expand to. Not thread-safe; owned by one registrar.
#pragma once
#include <windows.h>

class CReplacementMap {
 public:
  CReplacementMap() = default;
  // Frees every name, value and both arrays.
  ~CReplacementMap();
  CReplacementMap(const CReplacementMap &) = delete;
  CReplacementMap &operator=(const CReplacementMap &) = delete;

  // Appends private copies of `name` and `value`, even when the name is
  // already present. S_OK; E_INVALIDARG for a null argument; E_OUTOFMEMORY
  // when memory ran out. On failure the map's entries are unchanged.
  HRESULT Add(LPCWSTR name, LPCWSTR value);
  // The value of the earliest entry whose name equals `name` without regard
  // to case, or null. Owned by the map; valid until Reset or destruction.
  LPCWSTR Find(LPCWSTR name) const;
  // Frees every entry and both arrays; count becomes 0.
  void Reset();

  // Names and values in the order added; both arrays hold `count` used slots
  // and grow by exactly one slot per addition.
  WCHAR **names = nullptr;
  WCHAR **values = nullptr;
  int count = 0;
};
