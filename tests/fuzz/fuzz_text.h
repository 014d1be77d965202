#pragma once
// Turns fuzz bytes into UTF-16 text that reaches the interesting cases
// quickly: ASCII as it is, other bytes as units that the program treats
// specially (separators, quotes, kana, marks, full-width forms, surrogates).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

inline char16_t FuzzUnit(uint8_t byte) {
  static const char16_t kSpecial[] = {
      u'\\', u'"', u' ', u'\t', u'.', u':', u'/', u'0', u'9', u'\u3000', u'\u30FC', u'\uFF5E', u'\uFF70',
      u'\u3042', u'\u304C', u'\u3071', u'\u30AB', u'\u30AC', u'\u30F4', u'\u30A1', u'\u3041', u'\u3093',
      u'\uFF76', u'\uFF9E', u'\uFF9F', u'\uFF10', u'\uFF19', u'\uFF21', u'\uFF41', u'\uFF5A', u'\u6F22',
      u'\u00E9', u'\u00A5', static_cast<char16_t>(0xD800), static_cast<char16_t>(0xDC00), u'\uFFFF', u'\u2523', u'\u2517', u'\u0001', u'\u007F'};
  if (byte < 0x80) return byte == 0 ? u'a' : static_cast<char16_t>(byte);
  return kSpecial[(byte - 0x80) % (sizeof(kSpecial) / sizeof(kSpecial[0]))];
}

inline std::u16string FuzzText(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i < size; ++i) text += FuzzUnit(data[i]);
  return text;
}

// A copy at the very end of its own heap block, so that a read past the
// terminator is caught by the address sanitizer. Free with std::free.
inline char16_t* ExactCopy(const std::u16string& text) {
  char16_t* copy = static_cast<char16_t*>(std::malloc((text.size() + 1) * sizeof(char16_t)));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
  copy[text.size()] = 0;
  return copy;
}

#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) __builtin_trap(); \
  } while (0)
