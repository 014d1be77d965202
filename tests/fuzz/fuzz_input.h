#pragma once
// Fuzz bytes read front to back, zeros past the end; as text, ASCII stays (NUL becomes 'a') and other bytes
// become units the program treats specially: separators, quotes, kana, marks, full-width forms, surrogates.
#include <cstdint>
#include <string>

#define FUZZ_CHECK(condition) do { if (!(condition)) __builtin_trap(); } while (0)

struct FuzzInput {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() { return size == 0 ? 0 : (--size, *data++); }
  std::u16string Text(size_t n) {
    // The pair at the end is picked one unit at a time: lone surrogates.
    static const std::u16string kSpecial =
        u"\\\" .:/09\u3000\u30FC\uFF5E\uFF70\u3042\u304C\u30AB\u30AC\u30F4\u30A1\u3093\uFF76\uFF9E\uFF10\uFF19"
        u"\uFF21\uFF41\u6F22\u00A5\uFFFF\u2523\u2517\U0001F600";
    std::u16string text;
    for (; n > 0 && size > 0; --n) {
      uint8_t b = Byte();
      text += b >= 0x80 ? kSpecial[b % kSpecial.size()] : b != 0 ? char16_t(b) : u'a';
    }
    return text;
  }
};
