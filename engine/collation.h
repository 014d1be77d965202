#pragma once
// The program's name order: files before folders, then a natural,
// Japanese-aware comparison of the names.

#include <cstdint>

// -1: A goes before B; +1: A goes after B (also for pairs the rules cannot
// tell apart); 0: identical units and the same kind.
int CompareNames(const char16_t* nameA, uint8_t aIsFile, const char16_t* nameB, uint8_t bIsFile);

// Compares two characters by their ANSI code: -1, 0 or +1.
int CompareAnsiCodes(char16_t ch1, char16_t ch2);

// The folded form of S[i] (case, width, kana, voicing, prolonged sound mark).
char16_t FoldCharacter(const char16_t* s, int32_t i);

// The two constant tables, exposed for their tests.
struct KatakanaEntry {
  uint8_t unvoice;
  uint8_t vowel;
};
extern const KatakanaEntry kKatakanaTable[84];       // U+30A1 .. U+30F4
extern const char16_t kHalfwidthKanaTable[63];       // U+FF61 .. U+FF9F
