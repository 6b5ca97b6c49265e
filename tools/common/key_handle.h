// An owned open registry key.
#pragma once
#include <windows.h>

#include <utility>

namespace tools {

// Closes its key on destruction; move-only.
class KeyHandle {
 public:
  KeyHandle() = default;
  explicit KeyHandle(HKEY key) : key_(key) {}
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
  explicit operator bool() const { return key_ != nullptr; }
  // Gives up ownership without closing.
  HKEY release() { return std::exchange(key_, nullptr); }
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
