#pragma once
// Owners of PlatformAlloc storage. Whatever way a function leaves, its
// owners free what they hold, so no body frees by hand; every allocation
// still goes through PlatformAlloc, so a test can make any one of them fail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "platform/memory.h"

// Ends an object made by MakeOwned and gives its storage back.
struct PlatformDelete {
  template <class T>
  void operator()(T* object) const {
    object->~T();
    PlatformFree(object);
  }
};

// Gives back a block of trivial units (bytes, UTF-16 text).
struct PlatformBlockFree {
  void operator()(void* block) const { PlatformFree(block); }
};

// A move-only owner of one object.
template <class T>
using Owned = std::unique_ptr<T, PlatformDelete>;

// A move-only owner of a block of trivial units from PlatformAlloc.
template <class T>
using OwnedBlock = std::unique_ptr<T[], PlatformBlockFree>;

// Makes a T from args (a constructor's or an aggregate's) in PlatformAlloc
// storage; empty when storage runs out.
template <class T, class... Args>
Owned<T> MakeOwned(Args&&... args) {
  void* block = PlatformAlloc(sizeof(T));
  if (block == nullptr) return Owned<T>();
  return Owned<T>(new (block) T(std::forward<Args>(args)...));
}

// Room for count units of a trivial type, uninitialised; empty when storage
// runs out or the size does not fit.
template <class T>
OwnedBlock<T> MakeBlock(size_t count) {
  return OwnedBlock<T>(static_cast<T*>(PlatformAllocArray(count, sizeof(T))));
}

// An owned UTF-16 text: its units, a terminator after them, and its length.
// Empty (null) after a failed copy; an empty text that was made is not null.
class Text {
 public:
  Text() = default;
  // A copy of length units and a terminator; null when storage runs out.
  static Text Copy(const char16_t* units, size_t length) {
    Text text;
    if (length >= SIZE_MAX / sizeof(char16_t)) return text;
    text.units_ = MakeBlock<char16_t>(length + 1);
    if (text.units_ == nullptr) return text;
    for (size_t i = 0; i < length; ++i) text.units_[i] = units[i];
    text.units_[length] = u'\0';
    text.length_ = length;
    return text;
  }
  // Takes a terminated block of length units from PlatformAlloc.
  static Text Adopt(char16_t* units, size_t length) {
    Text text;
    text.units_.reset(units);
    text.length_ = units != nullptr ? length : 0;
    return text;
  }
  explicit operator bool() const { return units_ != nullptr; }
  const char16_t* get() const { return units_.get(); }
  char16_t* data() { return units_.get(); }
  size_t length() const { return length_; }

 private:
  OwnedBlock<char16_t> units_;
  size_t length_ = 0;
};
