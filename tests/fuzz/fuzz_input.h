#pragma once
// Fuzz bytes read front to back, zeros past the end; as text, ASCII stays (NUL becomes 'a') and other bytes become
// units the program treats specially: separators, quotes, kana, marks, full-width forms, lone surrogates.
#include "tests/support/test_support.h"
#define FUZZ_CHECK(condition) do { if (!(condition)) __builtin_trap(); } while (0)
struct FuzzInput {
  static inline const std::u16string kSpecial = u"\\\" .:/09\u3000\u30FC\uFF5E\uFF70\u3042\u304C\u30AB\u30AC\u30F4"
      u"\u30A1\u3093\uFF76\uFF9E\uFF10\uFF19\uFF21\uFF41\u6F22\u00A5\uFFFF\u2523\u2517\U0001F600";  // halves of a pair
  const uint8_t* data;  // what is left
  size_t size;
  uint8_t Byte() { return size == 0 ? 0 : (--size, *data++); }
  char16_t Unit() { uint8_t b = Byte(); return b >= 0x80 ? kSpecial[b % kSpecial.size()] : b ? b : u'a'; }
  std::u16string Text(size_t n) { std::u16string t; while (n-- > 0 && size > 0) t += Unit(); return t; }
};
// The text and its terminator in a heap block of their own, so that AddressSanitizer sees a read past them.
inline std::vector<char16_t> Block(const std::u16string& t) { return {t.c_str(), t.c_str() + t.size() + 1}; }
