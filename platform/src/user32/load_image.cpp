// LoadImageW for bitmap files. Images are kept at their own size: a requested
// width or height is recorded with the bitmap but the pixels are not scaled.
// Loading from a module's resources, icons and cursors are not supported.
#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "core/bitmap_table.h"
#include "core/seams_internal.h"
#include "core/utf.h"
#include "user32/bmp_decode.h"

namespace {

// Larger files cannot hold a bitmap within the decoder's limits.
constexpr off_t kMaxFileSize = off_t(1) << 27;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;
  FileDescriptor(FileDescriptor &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

DWORD ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES: case EPERM: return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    default: return ERROR_INVALID_DATA;
  }
}

// The last error for a path that names something other than a regular file.
DWORD NotAFile(const struct stat &st) { return S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ERROR_BAD_FORMAT; }

// Reads the whole regular file; on failure returns the Win32 code:
// ERROR_ACCESS_DENIED for a directory, ERROR_BAD_FORMAT for another kind of
// file (pipe, device, socket) or one too large to hold a bitmap.
DWORD ReadWholeFile(const std::string &path, std::vector<uint8_t> *data) {
  // Opening a pipe or device can block or act on the device, so only what is a
  // regular file before the open is opened, without waiting, and checked again after.
  struct stat before;
  if (stat(path.c_str(), &before) != 0) {
    const int e = errno;
    // As on Windows, a missing directory on the way is a missing path, not a missing file.
    if (e == ENOENT) {
      const size_t slash = path.rfind('/');
      struct stat parent;
      if (slash != std::string::npos && slash > 0 && stat(path.substr(0, slash).c_str(), &parent) != 0)
        return ERROR_PATH_NOT_FOUND;
    }
    return ErrorFromErrno(e);
  }
  if (!S_ISREG(before.st_mode)) return NotAFile(before);
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  struct stat st;
  if (fstat(fd.get(), &st) != 0) return ErrorFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return NotAFile(st);
  if (st.st_size > kMaxFileSize) return ERROR_BAD_FORMAT;
  data->resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < data->size()) {
    ssize_t n = read(fd.get(), data->data() + done, data->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorFromErrno(errno);
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<size_t>(n);
  }
  data->resize(done);
  return ERROR_SUCCESS;
}

HANDLE Fail(DWORD code) {
  SetLastError(code);
  return nullptr;
}

}  // namespace

HANDLE WINAPI LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  try {
    uint32_t code = 0;
    const std::string subject = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name))
                                                     : seams::Utf8(name);
    if (seams::Enter("LoadImageW", subject,
                     "type=" + std::to_string(type) + ", cx=" + std::to_string(cx) + ", cy=" + std::to_string(cy) +
                         ", flags=" + std::to_string(fuLoad),
                     &code))
      return Fail(code ? code : ERROR_FILE_NOT_FOUND);
    (void)hInst;
    if (type != IMAGE_BITMAP || !(fuLoad & LR_LOADFROMFILE)) return Fail(ERROR_NOT_SUPPORTED);
    if (!name || IS_INTRESOURCE(name) || cx < 0 || cy < 0) return Fail(ERROR_INVALID_PARAMETER);
    // Windows copies the name into a MAX_PATH buffer: a longer one names no file.
    size_t length = 0;
    while (name[length] && length < MAX_PATH) ++length;
    if (length >= MAX_PATH) return Fail(ERROR_FILE_NOT_FOUND);
    std::string path;
    if (!platform_utf::ToUtf8(name, &path) || path.empty()) return Fail(ERROR_INVALID_NAME);

    std::vector<uint8_t> data;
    if (DWORD e = ReadWholeFile(path, &data); e != ERROR_SUCCESS) return Fail(e);
    auto bitmap = std::make_unique<gdi::Bitmap>();
    if (DWORD e = gdi::DecodeBmp(data.data(), data.size(), (fuLoad & LR_LOADTRANSPARENT) != 0, bitmap.get());
        e != ERROR_SUCCESS)
      return Fail(e);
    bitmap->requestedWidth = cx;
    bitmap->requestedHeight = cy;
    return gdi::AddBitmap(std::move(bitmap));
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
