#include "registrar/replacement_map.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A heap copy of `text` with its terminator, or null when memory ran out.
WCHAR *CopyText(LPCWSTR text) {
  size_t units = 0;
  while (text[units] != 0) ++units;
  ++units;
  auto *copy = static_cast<WCHAR *>(malloc(units * sizeof(WCHAR)));
  if (copy) memcpy(copy, text, units * sizeof(WCHAR));
  return copy;
}

// Grows `*slots` to `count` entries; false (and `*slots` untouched) when memory ran out.
bool GrowSlots(WCHAR ***slots, int count) {
  auto *grown = static_cast<WCHAR **>(realloc(*slots, static_cast<size_t>(count) * sizeof(WCHAR *)));
  if (!grown) return false;
  *slots = grown;
  return true;
}

}  // namespace

CReplacementMap::~CReplacementMap() { Reset(); }

HRESULT CReplacementMap::Add(LPCWSTR name, LPCWSTR value) {
  if (!name || !value) return E_INVALIDARG;
  WCHAR *nameCopy = CopyText(name);
  WCHAR *valueCopy = CopyText(value);
  // A larger `names` array left behind by a failed `values` growth is harmless:
  // only `count` slots are ever read.
  if (!nameCopy || !valueCopy || !GrowSlots(&names, count + 1) || !GrowSlots(&values, count + 1)) {
    free(nameCopy);
    free(valueCopy);
    return E_OUTOFMEMORY;
  }
  names[count] = nameCopy;
  values[count] = valueCopy;
  ++count;
  return S_OK;
}

LPCWSTR CReplacementMap::Find(LPCWSTR name) const {
  if (!name) return nullptr;
  for (int i = 0; i < count; ++i) {
    if (lstrcmpiW(names[i], name) == 0) return values[i];
  }
  return nullptr;
}

void CReplacementMap::Reset() {
  for (int i = 0; i < count; ++i) {
    free(names[i]);
    free(values[i]);
  }
  free(names);
  free(values);
  names = nullptr;
  values = nullptr;
  count = 0;
}
