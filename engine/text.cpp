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

// Sized for the worst case, one unit per byte: a sequence never gives more
// units than it has bytes.
char16_t* DecodeUtf8(const char* bytes, size_t size, size_t* length) {
  auto* text = size < SIZE_MAX ? static_cast<char16_t*>(PlatformAllocArray(size + 1, sizeof(char16_t))) : nullptr;
  if (text == nullptr) return nullptr;
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  size_t out = 0;
  for (size_t i = 0; i < size;) {
    unsigned char lead = s[i];
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t cp = extra == 0 ? lead : extra == 1 ? lead & 0x1Fu : extra == 2 ? lead & 0x0Fu : lead & 0x07u;
    int k = 0;
    while (k < extra && i + 1 + static_cast<size_t>(k) < size && (s[i + 1 + static_cast<size_t>(k)] & 0xC0) == 0x80) {
      cp = (cp << 6) | (s[i + 1 + static_cast<size_t>(k)] & 0x3Fu);
      ++k;
    }
    static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (extra < 0 || k < extra || cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      text[out++] = 0xFFFD;
      i += 1;
      continue;
    }
    i += 1 + static_cast<size_t>(extra);
    if (cp >= 0x10000) {
      text[out++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      text[out++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      text[out++] = static_cast<char16_t>(cp);
    }
  }
  text[out] = 0;
  *length = out;
  return text;
}
