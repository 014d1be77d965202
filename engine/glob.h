#pragma once
// Globs as shells and git write them: '*' any run of characters but '/',
// '?' one character but '/', '[...]' one character of a set (ranges, '!' or
// '^' negation, [:class:] names), '\' taking the next character as it is
// (where escapes are on); and "**" that spans folders when it stands for
// whole components: "**/" at the start or after a '/' (zero or more
// folders), "/**" at the end (everything inside). Other runs of stars are
// one star.
//
// Two kinds of text: UTF-16 names, where a character is a code point (a
// surrogate pair taken whole), and UTF-8 bytes, where a character is a
// byte, as git matches its patterns.

#include <cstddef>
#include <cstdint>

#include "platform/ascii.h"

enum GlobFlag : uint32_t {
  kGlobEscapes = 1,   // '\' takes the next character as it is
  kGlobFoldCase = 2,  // letters match in either case
};

// How a glob is matched, decided once: a plain comparison where it has no
// wildcards, a comparison of the end where it is one '*' and a plain text,
// the matcher for the rest; Never for a glob that is not well formed.
enum class GlobShape : uint8_t { Literal, Suffix, General, Never };

template <class Unit>
struct Glob {
  const Unit* text;  // not owned
  int32_t length;
  uint32_t flags;
  GlobShape shape;
  // The plain character every match ends with (small, where letters fold),
  // 0 when there is none; most names are told apart by it alone.
  Unit last;
  bool lastFolds;
};

// The characters that the matches of a set of globs may end with: a bit
// for each ASCII one, and whether one beyond ASCII or any at all may end
// one. Most names are told apart from a whole set by their last alone.
struct LastChars {
  uint64_t ascii[2] = {0, 0};
  bool beyond = false;
  bool any = false;
  // Notes a glob's last plain character (0: none, so any) and, where it
  // folds, its other case.
  void Note(char32_t last, bool folds) {
    any = any || last == 0;
    beyond = beyond || last >= 0x80;
    char32_t other = folds ? last ^ 0x20 : last;
    if (last < 0x80) ascii[last / 64] |= uint64_t{1} << (last % 64);
    if (other < 0x80) ascii[other / 64] |= uint64_t{1} << (other % 64);
  }
  bool MayEnd(char32_t c) const { return any || (c >= 0x80 ? beyond : (ascii[c / 64] >> (c % 64) & 1) != 0); }
};

// Whether the glob is well formed: every '[' closed, every [:class:] known,
// and (with escapes) no '\' at its end.
bool GlobIsValid(const char16_t* text, size_t length, uint32_t flags);

// Unit is char16_t or char.
template <class Unit>
Glob<Unit> MakeGlob(const Unit* text, size_t length, uint32_t flags);
template <class Unit>
bool MatchGlob(const Glob<Unit>& glob, const Unit* text, size_t length);

// Inline: a listing asks for each entry and each pattern.
template <class Unit>
inline bool GlobMatches(const Glob<Unit>& glob, const Unit* text, size_t length) {
  if (glob.last != 0) {
    Unit end = length > 0 ? text[length - 1] : Unit{0};
    if (end != glob.last && !(glob.lastFolds && FoldAscii(end) == glob.last)) return false;
  }
  return MatchGlob(glob, text, length);
}
