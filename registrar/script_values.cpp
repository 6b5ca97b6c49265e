// Writing the value of an assignment: the four value kinds of the language.
#include <new>

#include "module/failure.h"
#include "registrar/script_parser.h"

namespace {

// Binary values and multi-strings that fit are built here without allocating.
constexpr size_t kInlineBytes = 256;

// A byte buffer of a requested size: the inline one when the size fits, heap
// memory (released on destruction) otherwise. `bytes` is null when the heap
// memory could not be obtained.
class CValueBuffer {
 public:
  explicit CValueBuffer(size_t size) {
    if (size <= kInlineBytes) {
      bytes = inline_;
      return;
    }
    try {
      heap_ = new BYTE[size];
    } catch (...) {
      heap_ = nullptr;
    }
    bytes = heap_;
  }
  ~CValueBuffer() { delete[] heap_; }
  CValueBuffer(const CValueBuffer &) = delete;
  CValueBuffer &operator=(const CValueBuffer &) = delete;

  BYTE *bytes;

 private:
  alignas(WCHAR) BYTE inline_[kInlineBytes];
  BYTE *heap_ = nullptr;
};

// "0A1B" gives 0x0A 0x1B; a unit that is not a hexadecimal digit counts as 0.
HRESULT WriteBinaryText(CRegistryKey &key, LPCWSTR name, LPCWSTR text) {
  int units = lstrlenW(text);
  if (units % 2 != 0) return E_FAIL;
  size_t count = static_cast<size_t>(units) / 2;
  CValueBuffer buffer(count);
  if (!buffer.bytes) return E_FAIL;
  for (size_t i = 0; i < count; ++i) buffer.bytes[i] = 0;
  for (int i = 0; i < units; ++i) {
    BYTE digit = CRegScriptParser::HexDigitValue(text[i]);
    buffer.bytes[i / 2] |= static_cast<BYTE>(i % 2 == 0 ? digit << 4 : digit);
  }
  return HresultFromWin32(key.WriteBinary(name, buffer.bytes, static_cast<DWORD>(count)));
}

// Each "\0" of the text ends one string; the strings up to the first empty
// one are stored.
HRESULT WriteMultiStringText(CRegistryKey &key, LPCWSTR name, LPCWSTR text) {
  size_t units = static_cast<size_t>(lstrlenW(text));
  CValueBuffer buffer((units + 2) * sizeof(WCHAR));
  if (!buffer.bytes) return HresultFromWin32(ERROR_OUTOFMEMORY);
  auto *multi = reinterpret_cast<WCHAR *>(buffer.bytes);
  size_t out = 0;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] == '\\' && text[i + 1] == '0') {
      multi[out++] = 0;
      ++i;
    } else {
      multi[out++] = text[i];
    }
  }
  multi[out++] = 0;
  multi[out] = 0;
  return HresultFromWin32(key.WriteMultiString(name, multi));
}

}  // namespace

HRESULT CRegScriptParser::WriteValue(CRegistryKey &key, LPCWSTR valueName, LPWSTR token) {
  WCHAR valueText[kTokenUnits];
  HRESULT hr = NextToken(valueText);
  if (FAILED(hr)) return hr;
  VARTYPE kind = ValueTypeFromLetter(valueText);
  if (kind == VT_EMPTY) return DISP_E_EXCEPTION;
  hr = NextToken(valueText);
  if (FAILED(hr)) return hr;

  switch (kind) {
    case VT_BSTR:
      hr = HresultFromWin32(key.WriteString(valueName, valueText, REG_SZ));
      break;
    case VT_UI4: {
      ULONG number = 0;
      // A number the conversion refuses is an error, not some arbitrary value written.
      hr = VarUI4FromStr(valueText, 0, 0, &number);
      if (SUCCEEDED(hr)) hr = HresultFromWin32(key.WriteDword(valueName, number));
      break;
    }
    case VT_UI1:
      hr = WriteBinaryText(key, valueName, valueText);
      break;
    default:
      hr = WriteMultiStringText(key, valueName, valueText);
      break;
  }
  if (FAILED(hr)) return hr;
  return NextToken(token);
}
