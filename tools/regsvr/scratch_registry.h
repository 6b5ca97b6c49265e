// A private copy of a registry database file that the process uses in place
// of the original.
#pragma once
#include <string>

// Owns a private temporary directory holding the copy; removes it with
// everything in it on destruction.
class ScratchRegistry {
 public:
  ScratchRegistry() = default;
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry &) = delete;
  ScratchRegistry &operator=(const ScratchRegistry &) = delete;

  // Copies `original` (with its write-ahead log when there is one; nothing
  // when the file does not exist, which starts an empty registry) into a new
  // temporary directory and points TOVIN_REGISTRY_FILE at the copy. Call it
  // before the first registry call. Returns false with *error (UTF-8) when
  // the directory or the copy cannot be made; nothing is left behind then.
  bool Open(const std::string &original, std::string *error);

  const std::string &file() const { return file_; }

 private:
  std::string directory_;
  std::string file_;
};
