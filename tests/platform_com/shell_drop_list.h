// File-drop lists in global memory, as the shell builds them, for the
// DragQueryFileW tests.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/text.h"

namespace drop_list {

using testing_text::U16;
using testing_text::U8;
using testing_text::WideString;

// A drop list as the shell builds it: header, names with NULs, an empty name.
inline std::vector<uint8_t> DropList(const std::vector<std::string> &names, bool wide) {
  std::vector<uint8_t> bytes(sizeof(DROPFILES));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = wide;
  std::memcpy(bytes.data(), &header, sizeof header);
  auto append = [&](const void *p, size_t n) {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    bytes.insert(bytes.end(), b, b + n);
  };
  for (const std::string &name : names) {
    if (wide) {
      WideString w = U16(name);
      append(w.c_str(), (w.size() + 1) * sizeof(WCHAR));
    } else {
      append(name.c_str(), name.size() + 1);
    }
  }
  const WCHAR terminator = 0;
  append(&terminator, wide ? sizeof(WCHAR) : 1);
  return bytes;
}

// Owns a moveable global block holding the given bytes.
class GlobalBlock {
 public:
  explicit GlobalBlock(const std::vector<uint8_t> &bytes, UINT flags = GMEM_MOVEABLE)
      : handle_(GlobalAlloc(flags, bytes.size())) {
    void *p = GlobalLock(handle_);
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(handle_);
  }
  GlobalBlock(const GlobalBlock &) = delete;
  GlobalBlock &operator=(const GlobalBlock &) = delete;
  ~GlobalBlock() { GlobalFree(handle_); }
  HDROP drop() const { return reinterpret_cast<HDROP>(handle_); }
  HGLOBAL handle() const { return handle_; }

 private:
  HGLOBAL handle_;
};

inline const std::vector<std::string> kNames = {"/home/user/Backup 2011", "/tmp/a", "/srv/caf\xc3\xa9"};

inline std::string Query(HDROP drop, UINT index, UINT *result) {
  WCHAR buffer[MAX_PATH];
  std::memset(buffer, 0x55, sizeof buffer);
  *result = DragQueryFileW(drop, index, buffer, MAX_PATH);
  return *result ? U8(buffer) : std::string();
}

}  // namespace drop_list
