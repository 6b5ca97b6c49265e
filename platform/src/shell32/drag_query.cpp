// DragQueryFileW over a file-drop list (DROPFILES followed by NUL-terminated
// names and an empty name) in global memory.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/seams_internal.h"

namespace {

// The drop list's bytes for the call's duration. HDROP is the global block's
// handle; shell extensions commonly pass the pointer GlobalLock returned
// instead, which is accepted too. A pointer that no global block is known for
// carries no size, so its list is read up to its terminator, as Windows does.
class DropBytes {
 public:
  explicit DropBytes(HDROP drop) {
    // Probing must not disturb the caller's last error.
    const DWORD savedError = GetLastError();
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(drop);
    SetLastError(ERROR_SUCCESS);
    size_t size = GlobalSize(handle);
    bool known = size != 0 || GetLastError() == ERROR_SUCCESS;
    if (!known) {
      handle = GlobalHandle(drop);
      SetLastError(ERROR_SUCCESS);
      size = handle ? GlobalSize(handle) : 0;
      known = handle && (size != 0 || GetLastError() == ERROR_SUCCESS);
    }
    if (known) {
      const uint8_t *data = static_cast<const uint8_t *>(GlobalLock(handle));
      if (data) {
        handle_ = handle;
        locked_ = true;
        const uintptr_t at = reinterpret_cast<uintptr_t>(drop), start = reinterpret_cast<uintptr_t>(data);
        // The list starts where the caller points, which may be inside the block.
        const size_t offset = (at >= start && at - start < size) ? size_t(at - start) : 0;
        base_ = data + offset;
        size_ = size - offset;
      }
    } else {
      base_ = reinterpret_cast<const uint8_t *>(drop);
      size_ = SIZE_MAX - reinterpret_cast<uintptr_t>(drop);
    }
    SetLastError(savedError);
  }
  DropBytes(const DropBytes &) = delete;
  DropBytes &operator=(const DropBytes &) = delete;
  ~DropBytes() {
    if (locked_) {
      const DWORD savedError = GetLastError();
      GlobalUnlock(handle_);
      SetLastError(savedError);
    }
  }
  const uint8_t *base() const { return base_; }
  size_t size() const { return size_; }

 private:
  HGLOBAL handle_ = nullptr;
  const uint8_t *base_ = nullptr;
  size_t size_ = 0;
  bool locked_ = false;
};

struct Name {
  size_t offset;  // in bytes from the block's start
  size_t units;   // characters (wide) or bytes (ANSI), without the NUL
};

// Splits the list into names. Returns false for a malformed block: the list's
// offset outside the block, or a name or the list without its terminator.
bool Parse(const DropBytes &bytes, bool *wide, std::vector<Name> *names) {
  if (!bytes.base() || bytes.size() < sizeof(DROPFILES)) return false;
  DROPFILES header;
  std::memcpy(&header, bytes.base(), sizeof header);
  if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= bytes.size()) return false;
  *wide = header.fWide != FALSE;
  const size_t unit = *wide ? sizeof(WCHAR) : 1;
  size_t at = header.pFiles;
  for (;;) {
    size_t length = 0;
    for (;; ++length) {
      const size_t pos = at + length * unit;
      if (pos > bytes.size() || bytes.size() - pos < unit) return false;
      uint16_t c = 0;
      std::memcpy(&c, bytes.base() + pos, unit);
      if (c == 0) break;
    }
    if (length == 0) return true;
    names->push_back(Name{at, length});
    at += (length + 1) * unit;
  }
}

// The name at `index` as UTF-16; ANSI names are converted from the ANSI code page.
bool NameText(const DropBytes &bytes, bool wide, const Name &name, std::u16string *out) {
  if (wide) {
    out->resize(name.units);
    std::memcpy(out->data(), bytes.base() + name.offset, name.units * sizeof(WCHAR));
    return true;
  }
  if (name.units > INT32_MAX) return false;
  const char *text = reinterpret_cast<const char *>(bytes.base() + name.offset);
  int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(name.units), nullptr, 0);
  if (n <= 0) return false;
  out->resize(static_cast<size_t>(n));
  return MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(name.units), out->data(), n) == n;
}

}  // namespace

UINT WINAPI DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  try {
    uint32_t code = 0;
    auto describe = [&](std::string *subject, std::string *arguments) {
      *subject = std::to_string(iFile);
      *arguments = "buffer=" + std::string(lpszFile ? "yes" : "null") + ", cch=" + std::to_string(cch);
    };
    if (seams::Enter("DragQueryFileW", describe, &code)) {
      SetLastError(code);
      return 0;
    }
    if (!hDrop) return 0;
    DropBytes bytes(hDrop);
    bool wide = false;
    std::vector<Name> names;
    if (!Parse(bytes, &wide, &names)) return 0;
    if (iFile == 0xFFFFFFFF) return static_cast<UINT>(names.size());
    if (iFile >= names.size()) return 0;
    std::u16string text;
    if (!NameText(bytes, wide, names[iFile], &text)) return 0;
    if (!lpszFile) return static_cast<UINT>(text.size());
    if (cch == 0) return 0;
    const size_t copied = std::min<size_t>(text.size(), cch - 1);
    std::memcpy(lpszFile, text.data(), copied * sizeof(WCHAR));
    lpszFile[copied] = 0;
    return static_cast<UINT>(copied);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}
