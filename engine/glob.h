#pragma once
// Globs as shells and git write them: '*', '?', '[...]' (ranges, '!' or '^',
// [:class:]) matching no '/', '\' escapes where on, and "**" spanning folders
// as a whole component ("**/", "/**"; other runs are one star). UTF-16 names
// match by code point, UTF-8 bytes (as git matches) by byte.

#include <cstddef>
#include <cstdint>

#include "platform/ascii.h"

enum GlobFlag : uint32_t {
  kGlobEscapes = 1,   // '\' takes the next character as it is
  kGlobFoldCase = 2,  // letters match in either case
};

// How a glob is matched, decided once: as text, as '*' and text, in general, never.
enum class GlobShape : uint8_t { Literal, Suffix, General, Never };

template <class Unit>
struct Glob {
  const Unit* text;  // not owned
  int32_t length;
  uint32_t flags;
  GlobShape shape;
  // The plain character every match ends with (small where letters fold),
  // 0 when none; most names are told apart by it alone.
  Unit last;
  bool lastFolds;
};

// What a set of globs' matches may end with: ASCII ones, any beyond, or any.
struct LastChars {
  uint64_t ascii[2] = {0, 0};
  bool beyond = false;
  bool any = false;
  // Notes a glob's last plain character (0: any), both cases where it folds.
  void Note(char32_t last, bool folds) {
    any = any || last == 0;
    beyond = beyond || last >= 0x80;
    char32_t other = folds ? last ^ 0x20 : last;
    if (last < 0x80) ascii[last / 64] |= uint64_t{1} << (last % 64);
    if (other < 0x80) ascii[other / 64] |= uint64_t{1} << (other % 64);
  }
  bool MayEnd(char32_t c) const { return any || (c >= 0x80 ? beyond : (ascii[c / 64] >> (c % 64) & 1) != 0); }
};

// Well formed: every '[' closed, every [:class:] known, no '\' escaping nothing.
bool GlobIsValid(const char16_t* text, size_t length, uint32_t flags);

// Unit is char16_t or char.
template <class Unit>
Glob<Unit> MakeGlob(const Unit* text, size_t length, uint32_t flags);
template <class Unit>
bool MatchGlob(const Glob<Unit>& glob, const Unit* text, size_t length);

// Inline: a listing asks for each entry and each pattern.
template <class Unit>
inline bool GlobMatches(const Glob<Unit>& glob, const Unit* text, size_t length) {
  Unit end = length > 0 ? text[length - 1] : Unit{0};
  if (glob.last != 0 && end != glob.last && !(glob.lastFolds && FoldAscii(end) == glob.last)) return false;
  return MatchGlob(glob, text, length);
}
