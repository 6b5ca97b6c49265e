#include "file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace tools {
namespace {

// Closes its descriptor on destruction.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int get() const { return fd_; }
  // Closes now, for the error that closing can report.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool Failed(std::string *error) {
  *error = std::strerror(errno ? errno : EIO);
  return false;
}

bool TooLarge(std::string *error) {
  *error = "larger than " + std::to_string(kMaxReadBytes >> 20) + " MiB, the most a file read whole may hold";
  return false;
}

bool WriteAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Writes everything from `from` to `to`.
bool CopyAll(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t count = ::read(from, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return count == 0;
    if (!WriteAll(to, buffer, static_cast<size_t>(count))) return false;
  }
}

// The file a write to `path` lands in: a symbolic link's target. A missing
// file (or a link to one) is made as named.
std::string Target(const std::string &path) {
  char *real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string target = real;
  std::free(real);
  return target;
}

// A new file beside `target`, open for writing, its name in *name.
int CreateBeside(const std::string &target, std::string *name) {
  const size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  // Short enough that the suffix cannot make the name too long.
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = directory + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Fills a new file beside the target with `fill` and renames it over the target.
bool Replace(const std::string &path, const std::function<bool(int)> &fill, std::string *error) {
  const std::string target = Target(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    Descriptor file(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (file.get() < 0 || !fill(file.get()) || !file.Close()) return Failed(error);
    return true;
  }
  std::string temporary;
  Descriptor file(CreateBeside(target, &temporary));
  if (file.get() < 0) return Failed(error);
  bool ok = (!exists || ::fchmod(file.get(), old.st_mode & 07777) == 0) && fill(file.get()) &&
            ::fsync(file.get()) == 0;
  ok = file.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    const int reason = errno;
    ::unlink(temporary.c_str());
    errno = reason;
    return Failed(error);
  }
  // The rename itself reaches the disk with the directory.
  const size_t slash = target.rfind('/');
  Descriptor directory(::open(slash == std::string::npos ? "." : target.substr(0, slash + 1).c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return true;
}

}  // namespace

bool ReadFileBytes(const std::string &path, std::string *out, std::string *error) {
  // The kind is checked before opening, which could have effects on a device.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Failed(error);
  Descriptor file(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1);
  if (file.get() >= 0 && ::fstat(file.get(), &info) != 0) return Failed(error);
  if (S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return Failed(error);
  }
  if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)) {
    *error = "not a regular file or a pipe";
    return false;
  }
  if (file.get() < 0) return Failed(error);
  if (S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) > kMaxReadBytes) return TooLarge(error);
  out->clear();
  char buffer[65536];
  for (;;) {
    ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Failed(error);
    if (count == 0) return true;
    // A file that grows while read is held to the limit too.
    if (out->size() + static_cast<size_t>(count) > kMaxReadBytes) {
      out->clear();
      return TooLarge(error);
    }
    out->append(buffer, static_cast<size_t>(count));
  }
}

bool WriteFileBytes(const std::string &path, const std::string &bytes, std::string *error) {
  return Replace(path, [&bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, error);
}

bool CopyFileBytes(const std::string &from, const std::string &to, std::string *error) {
  Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) return Failed(error);
  return Replace(to, [&source](int fd) { return CopyAll(source.get(), fd); }, error);
}

bool FileExists(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace tools
