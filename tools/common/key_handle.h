// An owned open registry key.
#pragma once
#include <windows.h>

#include <utility>

namespace tools {

// Closes its key on destruction; move-only.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() { Close(); }
  KeyHandle(const KeyHandle &) = delete;
  KeyHandle &operator=(const KeyHandle &) = delete;
  KeyHandle(KeyHandle &&other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  KeyHandle &operator=(KeyHandle &&other) noexcept {
    if (this != &other) {
      Close();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }

  HKEY get() const { return key_; }
  // Closes any held key and gives the slot to write a new one to.
  HKEY *out() {
    Close();
    return &key_;
  }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace tools
