#include "engine/text.h"

#include <cstring>

#include "platform/memory.h"

size_t TextLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// Exact equality of units: two names are the same entry only if every unit
// matches, so no linguistic folding may merge different names.
bool TextEqual(const char16_t* a, const char16_t* b) {
  size_t i = 0;
  while (a[i] != 0 && a[i] == b[i]) ++i;
  return a[i] == b[i];
}

char16_t* CopyText(const char16_t* text, size_t length) {
  if (length == SIZE_MAX) return nullptr;
  char16_t* copy = static_cast<char16_t*>(PlatformAllocArray(length + 1, sizeof(char16_t)));
  if (copy == nullptr) return nullptr;
  if (length != 0) std::memcpy(copy, text, length * sizeof(char16_t));
  copy[length] = 0;
  return copy;
}
