// An owned storage medium, as IDataObject::GetData hands one out.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <utility>

// Holds the medium of one successful GetData and gives it back with
// ReleaseStgMedium on destruction; a failed GetData leaves nothing to release.
// Copy deleted, move allowed.
class StorageMedium {
 public:
  StorageMedium() = default;
  ~StorageMedium() { Reset(); }
  StorageMedium(const StorageMedium &) = delete;
  StorageMedium &operator=(const StorageMedium &) = delete;
  StorageMedium(StorageMedium &&other) noexcept
      : medium_(std::exchange(other.medium_, STGMEDIUM{})), held_(std::exchange(other.held_, false)) {}
  StorageMedium &operator=(StorageMedium &&other) noexcept {
    if (this != &other) {
      Reset();
      medium_ = std::exchange(other.medium_, STGMEDIUM{});
      held_ = std::exchange(other.held_, false);
    }
    return *this;
  }

  // Releases any medium held, then asks `data` for `format`. Returns GetData's result.
  HRESULT Get(IDataObject *data, FORMATETC *format) {
    Reset();
    const HRESULT hr = data->GetData(format, &medium_);
    held_ = SUCCEEDED(hr);
    return hr;
  }
  const STGMEDIUM &medium() const { return medium_; }
  void Reset() {
    if (held_) ReleaseStgMedium(&medium_);
    medium_ = STGMEDIUM{};
    held_ = false;
  }

 private:
  STGMEDIUM medium_ = {};
  bool held_ = false;
};
