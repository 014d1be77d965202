#pragma once
// A growable array in PlatformAlloc storage whose appends report failure
// instead of throwing: when storage runs out the array is as it was.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "platform/memory.h"

template <class T>
class Array {
 public:
  Array() = default;
  Array(Array&& other) noexcept
      : items_(std::exchange(other.items_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  Array& operator=(Array&& other) noexcept {
    Array moved(std::move(other));
    std::swap(items_, moved.items_);
    std::swap(size_, moved.size_);
    std::swap(capacity_, moved.capacity_);
    return *this;
  }
  ~Array() {
    Clear();
    PlatformFree(items_);
  }

  // Room for at least capacity items without another allocation.
  [[nodiscard]] bool Reserve(size_t capacity) {
    if (capacity <= capacity_) return true;
    T* grown = static_cast<T*>(PlatformAllocArray(capacity, sizeof(T)));
    if (grown == nullptr) return false;
    for (size_t i = 0; i < size_; ++i) {
      new (grown + i) T(std::move(items_[i]));
      items_[i].~T();
    }
    PlatformFree(items_);
    items_ = grown;
    capacity_ = capacity;
    return true;
  }
  [[nodiscard]] bool Append(T item) {
    if (!Grow(1)) return false;
    new (items_ + size_++) T(std::move(item));
    return true;
  }
  // Appends count copies of units (a trivial type).
  [[nodiscard]] bool AppendUnits(const T* units, size_t count) {
    if (!Grow(count)) return false;
    for (size_t i = 0; i < count; ++i) new (items_ + size_++) T(units[i]);
    return true;
  }
  // Hands the block (PlatformAlloc storage) to the caller, leaving the array empty.
  T* Release() {
    size_ = capacity_ = 0;
    return std::exchange(items_, nullptr);
  }
  void PopBack() { items_[--size_].~T(); }
  // Drops the items after the first size.
  void Truncate(size_t size) {
    while (size_ > size) PopBack();
  }
  void Clear() { Truncate(0); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return items_; }
  const T* data() const { return items_; }
  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }
  T& back() { return items_[size_ - 1]; }
  T* begin() { return items_; }
  T* end() { return items_ + size_; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + size_; }

 private:
  // Room for count more items, doubling (from 8) so appends take amortised
  // constant time.
  bool Grow(size_t count) {
    if (count > SIZE_MAX - size_) return false;
    if (size_ + count <= capacity_) return true;
    size_t grown = capacity_ < 8 ? 8 : capacity_;
    while (grown < size_ + count) grown = grown <= SIZE_MAX / 2 ? grown * 2 : size_ + count;
    return Reserve(grown);
  }

  T* items_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
