#pragma once
// A reference-counted owner; the last holder ends the object. The count lives
// in the object (a SharedCount member named holders): no other allocation.

#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/owned.h"

struct SharedCount {
  std::atomic<int32_t> count{0};
};

template <class T>
class Shared {
 public:
  Shared() = default;
  // Takes over an object nothing holds yet.
  explicit Shared(Owned<T> owned) : object_(owned.release()) { Hold(); }
  Shared(const Shared& other) : object_(other.object_) { Hold(); }
  Shared(Shared&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Shared& operator=(Shared other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Shared() {
    // The last holder's release orders every holder's reads before the end.
    if (object_ != nullptr && object_->holders.count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      PlatformDelete{}(object_);
    }
  }

  explicit operator bool() const { return object_ != nullptr; }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }

 private:
  void Hold() {
    if (object_ != nullptr) object_->holders.count.fetch_add(1, std::memory_order_relaxed);
  }
  T* object_ = nullptr;
};
