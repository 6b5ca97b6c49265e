#include "exact_value.h"

namespace tools {

LSTATUS SetValueExactly(HKEY key, const WCHAR *name, DWORD type, const std::string &data) {
  std::string padded = data;
  padded.append(2, '\xFF');
  return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE *>(padded.data()),
                        static_cast<DWORD>(data.size()));
}

}  // namespace tools
