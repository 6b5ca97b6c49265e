// Reading one section of an ELF object with pread, every extent checked
// against the file's size before anything is read or allocated.
#include "kernel32/elf_sections.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform_elf {
namespace {

constexpr uint32_t kNoBits = 8;           // SHT_NOBITS: occupies no file space
constexpr uint32_t kNull = 0;             // SHT_NULL
constexpr uint64_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX

class File {
 public:
  explicit File(const std::string &path)
      : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)), openErrno_(fd_ < 0 ? errno : 0) {}
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File &) = delete;
  File &operator=(const File &) = delete;

  // 0 when open on a regular file, else the error.
  DWORD Open() {
    if (fd_ < 0) return openErrno_ == ENOENT || openErrno_ == ENOTDIR ? ERROR_MOD_NOT_FOUND : ERROR_ACCESS_DENIED;
    struct stat st;
    if (fstat(fd_, &st) != 0) return ERROR_ACCESS_DENIED;
    if (!S_ISREG(st.st_mode)) return ERROR_BAD_EXE_FORMAT;
    size_ = uint64_t(st.st_size);
    return 0;
  }

  // Whether [offset, offset + length) lies inside the file.
  bool Holds(uint64_t offset, uint64_t length) const { return offset <= size_ && length <= size_ - offset; }

  // Reads exactly `length` bytes at `offset`; false when they are not all in the file.
  bool Read(uint64_t offset, uint64_t length, std::string *out) const {
    if (!Holds(offset, length)) return false;
    out->resize(size_t(length));
    size_t done = 0;
    while (done < length) {
      ssize_t n = pread(fd_, out->data() + done, size_t(length) - done, off_t(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += size_t(n);
    }
    return true;
  }

 private:
  int fd_;
  int openErrno_;
  uint64_t size_ = 0;
};

// Fixed-width fields of a buffer in the object's byte order. Callers keep
// `offset + width` inside the buffer.
struct Fields {
  const std::string &buffer;
  bool bigEndian;

  uint64_t At(size_t offset, size_t width) const {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
      uint8_t byte = uint8_t(buffer[offset + (bigEndian ? i : width - 1 - i)]);
      value = (value << 8) | byte;
    }
    return value;
  }
};

// Where the header fields of the two classes lie.
struct Layout {
  size_t headerSize, shoff, shentsize, shnum, shstrndx;
  size_t entrySize, name, type, offset, size, link, word;  // section header; `word` is an address's width
};
constexpr Layout kElf32{52, 32, 46, 48, 50, 40, 0, 4, 16, 20, 24, 4};
constexpr Layout kElf64{64, 40, 58, 60, 62, 64, 0, 4, 24, 32, 40, 8};

struct Section {
  uint32_t name, type;
  uint64_t offset, size, link;
};

Section SectionAt(const Fields &table, const Layout &l, uint64_t index) {
  size_t base = size_t(index) * l.entrySize;
  return Section{uint32_t(table.At(base + l.name, 4)), uint32_t(table.At(base + l.type, 4)),
                 table.At(base + l.offset, l.word), table.At(base + l.size, l.word), table.At(base + l.link, 4)};
}

// The section header table, and its entry count, as the header declares them
// (with the extended numbering of objects with 0xFF00 sections or more).
DWORD ReadTable(const File &file, const Fields &header, const Layout &l, std::string *table, uint64_t *count,
                uint64_t *namesIndex) {
  uint64_t shoff = header.At(l.shoff, l.word);
  uint64_t entsize = header.At(l.shentsize, 2);
  *count = header.At(l.shnum, 2);
  *namesIndex = header.At(l.shstrndx, 2);
  if (shoff == 0) return *count == 0 ? 0 : ERROR_BAD_EXE_FORMAT;
  if (entsize < l.entrySize) return ERROR_BAD_EXE_FORMAT;
  std::string first;
  if (!file.Read(shoff, entsize, &first)) return ERROR_BAD_EXE_FORMAT;
  Fields firstFields{first, header.bigEndian};
  Section zero = SectionAt(firstFields, l, 0);
  if (*count == 0) *count = zero.size;
  if (*namesIndex == kExtendedIndex) *namesIndex = zero.link;
  // The count comes from the file: bound it by the file before multiplying.
  if (*count == 0 || *count > (uint64_t(~0ull) - shoff) / entsize ||
      !file.Holds(shoff, *count * entsize))
    return ERROR_BAD_EXE_FORMAT;
  std::string raw;
  if (!file.Read(shoff, *count * entsize, &raw)) return ERROR_BAD_EXE_FORMAT;
  // Re-pack at the standard entry size so that SectionAt can index it.
  table->clear();
  table->reserve(size_t(*count) * l.entrySize);
  for (uint64_t i = 0; i < *count; ++i) table->append(raw, size_t(i * entsize), l.entrySize);
  return 0;
}

}  // namespace

DWORD ReadSection(const std::string &path, const std::string &name, std::string *bytes, bool *found) {
  *found = false;
  bytes->clear();
  File file(path);
  if (DWORD error = file.Open()) return error;

  std::string ident;
  if (!file.Read(0, 16, &ident) || std::memcmp(ident.data(), "\x7f" "ELF", 4) != 0) return ERROR_BAD_EXE_FORMAT;
  uint8_t elfClass = uint8_t(ident[4]), order = uint8_t(ident[5]), version = uint8_t(ident[6]);
  if ((elfClass != 1 && elfClass != 2) || (order != 1 && order != 2) || version != 1) return ERROR_BAD_EXE_FORMAT;
  const Layout &l = elfClass == 2 ? kElf64 : kElf32;
  std::string headerBytes;
  if (!file.Read(0, l.headerSize, &headerBytes)) return ERROR_BAD_EXE_FORMAT;
  Fields header{headerBytes, order == 2};

  std::string tableBytes;
  uint64_t count = 0, namesIndex = 0;
  if (DWORD error = ReadTable(file, header, l, &tableBytes, &count, &namesIndex)) return error;
  if (count == 0 || namesIndex == 0) return 0;  // no sections, or no section names: nothing is called `name`
  if (namesIndex >= count) return ERROR_BAD_EXE_FORMAT;
  Fields table{tableBytes, header.bigEndian};

  for (uint64_t i = 0; i < count; ++i) {
    Section s = SectionAt(table, l, i);
    if (s.type != kNull && s.type != kNoBits && !file.Holds(s.offset, s.size)) return ERROR_BAD_EXE_FORMAT;
  }
  Section namesSection = SectionAt(table, l, namesIndex);
  std::string names;
  if (namesSection.type == kNoBits || !file.Read(namesSection.offset, namesSection.size, &names))
    return ERROR_BAD_EXE_FORMAT;

  for (uint64_t i = 1; i < count; ++i) {
    Section s = SectionAt(table, l, i);
    if (s.name >= names.size()) return ERROR_BAD_EXE_FORMAT;
    const char *text = names.data() + s.name;
    const void *end = std::memchr(text, '\0', names.size() - s.name);
    if (!end) return ERROR_BAD_EXE_FORMAT;
    if (*found || name != text) continue;
    // The first section of the name counts; a name-sake without file contents is damage.
    if (s.type == kNoBits || !file.Read(s.offset, s.size, bytes)) return ERROR_BAD_EXE_FORMAT;
    *found = true;
  }
  return 0;
}

}  // namespace platform_elf
