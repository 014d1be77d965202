#pragma once
// ASCII case, as Windows compares file names, git its words and patterns, and
// the registry key names.

#include <cstddef>

constexpr bool IsAsciiLetter(char32_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

template <class Unit>
constexpr Unit FoldAscii(Unit c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Unit>(c + 32) : c;
}

template <class Unit>
constexpr Unit UpperAscii(Unit c) {
  return c >= 'a' && c <= 'z' ? static_cast<Unit>(c - 32) : c;
}

// Whether text (length units) spells word (small letters), its ASCII
// capitals taken as small where fold.
template <class Unit>
bool SpellsWord(const Unit* text, size_t length, const char* word, bool fold) {
  size_t i = 0;
  for (; i < length && word[i] != 0; ++i) {
    if ((fold ? FoldAscii(text[i]) : text[i]) != static_cast<Unit>(word[i])) return false;
  }
  return i == length && word[i] == 0;
}
