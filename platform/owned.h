#pragma once
// Owners of PlatformAlloc storage: whatever way a function leaves, its owners
// free what they hold, so no body frees by hand.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "platform/memory.h"

// Ends an object (or a block of trivial units) and gives its storage back.
struct PlatformDelete {
  template <class T>
  void operator()(T* object) const {
    object->~T();
    PlatformFree(object);
  }
};

template <class T>
using Owned = std::unique_ptr<T, PlatformDelete>;

// A block of trivial units (bytes, UTF-16 text).
template <class T>
using OwnedBlock = std::unique_ptr<T[], PlatformDelete>;

// Makes a T from a constructor's or an aggregate's args; empty when storage
// runs out.
template <class T, class... Args>
Owned<T> MakeOwned(Args&&... args) {
  void* block = PlatformAlloc(sizeof(T));
  if (block == nullptr) return Owned<T>();
  return Owned<T>(new (block) T(std::forward<Args>(args)...));
}

// Room for count units, uninitialised; empty when storage runs out or the
// size does not fit.
template <class T>
OwnedBlock<T> MakeBlock(size_t count) {
  return OwnedBlock<T>(static_cast<T*>(PlatformAllocArray(count, sizeof(T))));
}

// An owned UTF-16 text: its units, a terminator after them, and its length.
// Null after a failed copy; an empty text that was made is not null.
class Text {
 public:
  Text() = default;
  static Text Copy(const char16_t* units, size_t length) {
    OwnedBlock<char16_t> copy = length < SIZE_MAX / 2 ? MakeBlock<char16_t>(length + 1) : nullptr;
    if (copy == nullptr) return Text();
    for (size_t i = 0; i < length; ++i) copy[i] = units[i];
    copy[length] = u'\0';
    return Adopt(copy.release(), length);
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
