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
    if (end != glob.last && !(glob.lastFolds && (end | 0x20) == glob.last)) return false;
  }
  return MatchGlob(glob, text, length);
}
