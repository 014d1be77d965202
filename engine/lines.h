#pragma once
// Files of one item a line: git's pattern files, --exclude-from files.

#include <cstddef>
#include <cstring>

// A CR that ends a last line with no LF after it: git keeps it in the line,
// while a CR before a LF always goes with the LF.
enum class FinalCr { Kept, Dropped };

// Calls onLine(line, length) for each line of text (length units: UTF-8
// bytes or UTF-16 units) until it returns false: a LF ends a line, a CR
// right before it goes with it, and a byte order mark at the start is
// skipped.
template <class Unit, class OnLine>
void ForEachLine(const Unit* text, size_t length, FinalCr finalCr, OnLine onLine) {
  size_t i = 0;
  if constexpr (sizeof(Unit) == 1) {
    if (length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) i = 3;
  } else if (length > 0 && text[0] == 0xFEFF) {
    i = 1;
  }
  while (i < length) {
    size_t end = i;
    while (end < length && text[end] != '\n') ++end;
    bool crGoes = end > i && text[end - 1] == '\r' && (end < length || finalCr == FinalCr::Dropped);
    if (!onLine(text + i, crGoes ? end - 1 - i : end - i)) return;
    i = end + 1;
  }
}
