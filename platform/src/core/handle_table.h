// The objects behind a kind of handle (registry keys, menus, graphics objects,
// global memory blocks), looked up by the handle's value so that a stale or
// foreign handle is recognised instead of being followed.
#pragma once
#include <cstdint>
#include <mutex>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace core {

// Objects of type T under handle values. Numbered handles (Add) are never
// reused within the process. Not thread-safe: the owner holds the lock that
// guards the table (LockedHandleTable's, or one that guards more).
template <typename T>
class HandleTable {
 public:
  // Numbered handles are `first`, `first + step`, ...; step keeps the low bits
  // free for Add's tag. A table whose handles the caller chooses (Put) needs
  // no numbering.
  explicit HandleTable(uintptr_t first = 0, uintptr_t step = 0) : next_(first), step_(step) {}

  // Stores `object` under the next number with `tag` or'ed in. Throws
  // std::bad_alloc, leaving the table as it was.
  template <typename H>
  H Add(T object, uintptr_t tag = 0) {
    const uintptr_t value = next_ | tag;
    objects_.emplace(value, std::move(object));
    next_ += step_;
    return reinterpret_cast<H>(value);
  }
  // Stores `object` under a handle the caller chose, replacing any object
  // under it. Throws std::bad_alloc.
  template <typename H>
  void Put(H handle, T object) {
    objects_.insert_or_assign(Value(handle), std::move(object));
  }

  // The object of a live handle, or null.
  template <typename H>
  T *Find(H handle) {
    auto it = objects_.find(Value(handle));
    return it == objects_.end() ? nullptr : &it->second;
  }
  template <typename H>
  const T *Find(H handle) const {
    auto it = objects_.find(Value(handle));
    return it == objects_.end() ? nullptr : &it->second;
  }
  // Removes a live handle, moving its object to *removed when given; false
  // for an unknown handle.
  template <typename H>
  bool Remove(H handle, T *removed = nullptr) {
    auto it = objects_.find(Value(handle));
    if (it == objects_.end()) return false;
    if (removed) *removed = std::move(it->second);
    objects_.erase(it);
    return true;
  }
  // Removes every handle numbered `first` or later.
  void RemoveFrom(uintptr_t first) {
    for (auto it = objects_.begin(); it != objects_.end();) it = it->first >= first ? objects_.erase(it) : std::next(it);
  }
  void Clear() { objects_.clear(); }

  // The number the next Add gives (without its tag).
  uintptr_t Next() const { return next_; }
  size_t Size() const { return objects_.size(); }
  // Pairs of handle value and object, in no particular order.
  auto begin() { return objects_.begin(); }
  auto end() { return objects_.end(); }

 private:
  template <typename H>
  static uintptr_t Value(H handle) {
    if constexpr (std::is_integral_v<H>) {
      return static_cast<uintptr_t>(handle);
    } else {
      return reinterpret_cast<uintptr_t>(handle);
    }
  }

  uintptr_t next_;
  uintptr_t step_;
  std::unordered_map<uintptr_t, T> objects_;
};

// A HandleTable with the mutex that guards it, for a table nothing else
// guards. Made once and never destroyed, since hosts use handles during static
// destruction too.
template <typename T>
struct LockedHandleTable {
  explicit LockedHandleTable(uintptr_t first = 0, uintptr_t step = 0) : objects(first, step) {}

  std::mutex mutex;
  HandleTable<T> objects;  // requires `mutex`
};

}  // namespace core
