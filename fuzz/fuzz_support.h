// Shared pieces of the fuzz targets: the input's script text, the check that
// aborts on a broken invariant, and a snapshot of the substitute registry.
#pragma once
#include <windows.h>

#include "platform_seams.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

// Aborts with the failed condition, so the fuzzer and the replay test see it.
#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

namespace fuzz {

// A script input: byte 0 holds the flags, the rest is the text, each byte
// widened to one unit, or with kUtf16 read as little-endian unit pairs (an odd
// last byte dropped). The text ends at its first NUL unit.
struct ScriptInput {
  static constexpr uint8_t kPerUser = 1;
  static constexpr uint8_t kUtf16 = 2;

  ScriptInput(const uint8_t *data, size_t size) {
    if (size == 0) return;
    perUser = (data[0] & kPerUser) != 0;
    const bool utf16 = (data[0] & kUtf16) != 0;
    for (size_t i = 1; i < size; i += utf16 ? 2 : 1) {
      char16_t unit = data[i];
      if (utf16) {
        if (i + 1 >= size) break;
        unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      }
      if (unit == 0) break;
      text += unit;
    }
  }

  bool perUser = false;
  std::u16string text;
};

// Every key and value of the stores behind the predefined roots, one line
// each: key paths, and "path : name = type bytes" for values.
// The whole registry as lines: a key's path, or "path : name = " with the
// value's type digit and data bytes. Read straight from the store in one
// transaction: a walk through the registry calls would cost more than most runs.
inline std::set<std::u16string> SnapshotRegistry() {
  const std::vector<std::u16string> lines = seams::RegistryContents();
  return std::set<std::u16string>(lines.begin(), lines.end());
}

// Aborts, listing the differing lines, when the registry is not `expected`.
inline void CheckRegistryIs(const std::set<std::u16string> &expected, const char *file, int line) {
  const std::set<std::u16string> now = SnapshotRegistry();
  if (now == expected) return;
  auto print = [](const char *mark, const std::u16string &text) {
    std::string narrow;
    for (char16_t c : text) narrow += c < 0x80 && c >= 0x20 ? static_cast<char>(c) : '?';
    std::fprintf(stderr, "%s %s\n", mark, narrow.c_str());
  };
  for (const auto &l : expected)
    if (!now.count(l)) print("-", l);
  for (const auto &l : now)
    if (!expected.count(l)) print("+", l);
  std::fprintf(stderr, "%s:%d: check failed: the registry changed\n", file, line);
  std::abort();
}
#define FUZZ_CHECK_REGISTRY_IS(expected) fuzz::CheckRegistryIs(expected, __FILE__, __LINE__)

// A file of this process's own that holds each input in turn, for the
// services that read files. Its name stays the same for the whole run.
class InputFile {
 public:
  explicit InputFile(const char *target) {
    const char *dir = std::getenv("TMPDIR");
    path_ = std::string(dir && *dir ? dir : "/tmp") + "/fuzz_" + target + "_" + std::to_string(getpid());
    for (char c : path_) wide_ += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  ~InputFile() { unlink(path_.c_str()); }
  InputFile(const InputFile &) = delete;
  InputFile &operator=(const InputFile &) = delete;

  // Replaces the file's contents; aborts when the file can't be written.
  void Write(const void *data, size_t size) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    out.close();
    FUZZ_CHECK(out.good());
  }
  const std::string &path() const { return path_; }
  LPCWSTR wide() const { return wide_.c_str(); }

 private:
  std::string path_;
  std::u16string wide_;
};

}  // namespace fuzz
