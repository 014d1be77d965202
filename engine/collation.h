#pragma once
// The program's name order: files before folders, then a natural,
// Japanese-aware comparison of the names.

#include <cstdint>

// -1: A goes before B; +1: A goes after B (also for pairs the rules cannot
// tell apart); 0: identical units and the same kind.
int CompareNames(const char16_t* nameA, uint8_t aIsFile, const char16_t* nameB, uint8_t bIsFile);
