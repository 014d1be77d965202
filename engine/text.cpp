#include "engine/text.h"

#include <cstring>

#include "platform/memory.h"
#include "platform/utf8.h"

size_t TextLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// Exact: no linguistic folding may merge two entries' names.
bool TextEqual(const char16_t* a, const char16_t* b) {
  size_t i = 0;
  while (a[i] != 0 && a[i] == b[i]) ++i;
  return a[i] == b[i];
}

char16_t* CopyText(const char16_t* text, size_t length) {
  if (length == SIZE_MAX) return nullptr;
  char16_t* copy = static_cast<char16_t*>(PlatformAllocArray(length + 1, sizeof(char16_t)));
  if (copy != nullptr && length != 0) std::memcpy(copy, text, length * sizeof(char16_t));
  if (copy != nullptr) copy[length] = 0;
  return copy;
}

// Sized for one unit per byte: no sequence gives more units than bytes.
char16_t* DecodeUtf8(const char* bytes, size_t size, size_t* length) {
  auto* text = size < SIZE_MAX ? static_cast<char16_t*>(PlatformAllocArray(size + 1, sizeof(char16_t))) : nullptr;
  if (text == nullptr) return nullptr;
  size_t out = 0;
  for (size_t i = 0; i < size;) out += DecodeNextUtf8(bytes, size, &i, text + out);
  text[out] = 0;
  *length = out;
  return text;
}
