// Whole files in and out.
#pragma once
#include <cstddef>
#include <string>

namespace tools {

// The most ReadFileBytes reads: far beyond any registry file people write,
// yet little enough to hold in memory with the text decoded from it.
constexpr size_t kMaxReadBytes = size_t{64} << 20;

// Reads the file at `path` (UTF-8) into *out. Only a regular file or a pipe
// (standard input, as /dev/stdin, too) is read: a regular file larger than
// kMaxReadBytes is refused before anything is read, a pipe once it has given
// more; a device, a directory or a socket is refused without reading. Returns
// false with *error (UTF-8) then, or when the file cannot be opened or read.
bool ReadFileBytes(const std::string &path, std::string *out, std::string *error);

// Replaces the file at `path` with `bytes`, creating it when missing, so that
// readers and failures see the old file or the new one, never a part: the
// bytes go to a new file beside it, flushed to the disk and then renamed over
// it. A failed write (a full disk) leaves the old file byte for byte and no
// new file behind. A symbolic link is followed and the file it names
// replaced; a replaced file keeps its permissions, a new one gets 0666 less
// the umask. Something that is no regular file (a device, a pipe) has nothing
// to keep and is written directly. Returns false with *error when the file
// cannot be written completely.
bool WriteFileBytes(const std::string &path, const std::string &bytes, std::string *error);

// Copies the file at `from`, of any size, to `to` as WriteFileBytes writes.
// Returns false with *error when it cannot be read or written.
bool CopyFileBytes(const std::string &from, const std::string &to, std::string *error);

// Whether something exists at `path`.
bool FileExists(const std::string &path);

}  // namespace tools
