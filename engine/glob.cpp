#include "engine/glob.h"

#include <algorithm>

namespace {

// Letters whose cases the fold joins, as Windows file systems fold them: a
// block of capitals `delta` below their small letters, or capital-small pairs.
struct CaseRange {
  char32_t first, last;  // capitals
  int32_t delta;
  bool pairs;
};

constexpr CaseRange kCaseRanges[] = {
    {0x41, 0x5A, 32, false},   {0xC0, 0xD6, 32, false},   {0xD8, 0xDE, 32, false},  {0x100, 0x12F, 1, true},
    {0x132, 0x137, 1, true},   {0x139, 0x148, 1, true},   {0x14A, 0x177, 1, true},  {0x178, 0x178, -121, false},
    {0x179, 0x17E, 1, true},   {0x391, 0x3A1, 32, false}, {0x3A3, 0x3AB, 32, false}, {0x400, 0x40F, 80, false},
    {0x410, 0x42F, 32, false}, {0x460, 0x481, 1, true},   {0x48A, 0x4BF, 1, true},  {0xFF21, 0xFF3A, 32, false},
};

// c as a small letter, or (upper) as a capital; byte text folds ASCII only.
template <class Unit>
char32_t CaseOf(char32_t c, bool upper) {
  if (c < 0x80) return upper ? UpperAscii(c) : FoldAscii(c);
  if (sizeof(Unit) == 1) return c;
  for (const CaseRange& range : kCaseRanges) {
    char32_t capital = upper ? c - static_cast<char32_t>(range.delta) : c;
    if (capital >= range.first && capital <= range.last && (!range.pairs || (capital - range.first) % 2 == 0)) {
      return upper ? capital : c + static_cast<char32_t>(range.delta);
    }
  }
  return c;
}

// The character at s[*i], moving *i past it; a lone surrogate is itself.
char32_t NextChar(const char16_t* s, size_t n, size_t* i) {
  char32_t c = s[(*i)++];
  if (c >= 0xD800 && c < 0xDC00 && *i < n && s[*i] >= 0xDC00 && s[*i] < 0xE000) {
    c = 0x10000 + ((c - 0xD800) << 10) + (s[(*i)++] - 0xDC00u);
  }
  return c;
}

char32_t NextChar(const char* s, size_t, size_t* i) { return static_cast<unsigned char>(s[(*i)++]); }

template <class Unit>
bool SameChar(char32_t a, char32_t b, uint32_t flags) {
  return a == b || ((flags & kGlobFoldCase) != 0 && CaseOf<Unit>(a, false) == CaseOf<Unit>(b, false));
}

// The POSIX classes, of ASCII as in the C locale; InClass tests the k-th.
constexpr const char* kClassNames[] = {"alnum", "alpha", "blank", "cntrl", "digit", "graph",
                                       "lower", "print", "punct", "space", "upper", "xdigit"};

bool InClass(int k, char32_t c) {
  bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z', digit = c >= '0' && c <= '9';
  bool graph = c >= 0x21 && c <= 0x7E, hex = digit || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
  const bool in[] = {upper || lower || digit, upper || lower, c == ' ' || c == '\t', c < 0x20 || c == 0x7F,
                     digit, graph, lower, graph || c == ' ', graph && !upper && !lower && !digit,
                     c == ' ' || (c >= '\t' && c <= '\r'), upper, hex};
  return in[k];
}

// One character of a set at p[*i], escaped where escapes are on; false at the end.
template <class Unit>
bool ReadMember(const Unit* p, size_t n, size_t* i, uint32_t flags, char32_t* out) {
  if (*i < n && (flags & kGlobEscapes) != 0 && p[*i] == '\\') ++*i;
  if (*i >= n) return false;
  *out = NextChar(p, n, i);
  return true;
}

// The set at p[*i] ('['): moves *i past its ']' and tells whether c ('/'
// never) is in it; false when unclosed or naming an unknown class. A ']'
// first is a member, and so is a '[' of "[:" without ":]" before the ']'.
template <class Unit>
bool ScanBracket(const Unit* p, size_t n, size_t* i, char32_t c, uint32_t flags, bool* matched) {
  size_t at = *i + 1;
  bool negated = at < n && (p[at] == '!' || p[at] == '^');
  if (negated) ++at;
  bool fold = (flags & kGlobFoldCase) != 0;
  char32_t lower = fold ? CaseOf<Unit>(c, false) : c, upper = fold ? CaseOf<Unit>(c, true) : c;
  bool in = false;
  for (bool first = true;; first = false) {
    if (at >= n) return false;
    if (p[at] == ']' && !first) break;
    if (p[at] == '[' && at + 1 < n && p[at + 1] == ':') {
      size_t end = at + 2;
      while (end < n && p[end] != ']') ++end;
      if (end < n && end >= at + 3 && p[end - 1] == ':') {
        int k = 0;
        while (k < 12 && !SpellsWord(p + at + 2, end - at - 3, kClassNames[k], false)) ++k;
        if (k == 12) return false;
        in = in || InClass(k, c) || InClass(k, lower) || InClass(k, upper);
        at = end + 1;
        continue;
      }
    }
    char32_t low = 0;
    if (!ReadMember(p, n, &at, flags, &low)) return false;
    char32_t high = low;
    if (at + 1 < n && p[at] == '-' && p[at + 1] != ']') {
      ++at;
      if (!ReadMember(p, n, &at, flags, &high)) return false;
    }
    in = in || (c >= low && c <= high) || (lower >= low && lower <= high) || (upper >= low && upper <= high);
  }
  *i = at + 1;
  *matched = c != '/' && in != negated;
  return true;
}

// Iterative: no glob can exhaust the stack. A failing '*' (only the last
// needs to: it can take what an earlier one could) takes one more character
// and tries again; at a '/' or the end, the last "**/" takes a component.
template <class Unit>
bool MatchGeneral(const Unit* p, size_t pn, const Unit* t, size_t tn, uint32_t flags) {
  constexpr size_t kNone = SIZE_MAX;
  size_t pi = 0, ti = 0;
  size_t starP = kNone, starT = 0;
  size_t globP = kNone, globT = 0;
  for (;;) {
    if (pi < pn && p[pi] == '*') {
      size_t after = pi;
      while (after < pn && p[after] == '*') ++after;
      bool whole = after - pi >= 2 && (pi == 0 || p[pi - 1] == '/') && (after == pn || p[after] == '/');
      if (whole && after == pn) return true;
      if (whole) {
        pi = globP = after + 1;
        globT = ti;
        starP = kNone;
      } else {
        pi = starP = after;
        starT = ti;
      }
      continue;
    }
    if (pi == pn && ti == tn) return true;
    if (pi < pn && ti < tn) {
      size_t nextT = ti;
      char32_t c = NextChar(t, tn, &nextT);
      bool matched = false;
      if (p[pi] == '?') {
        matched = c != '/';
        ++pi;
      } else if (p[pi] == '[') {
        ScanBracket(p, pn, &pi, c, flags, &matched);  // well formed: MakeGlob saw to it
      } else {
        if ((flags & kGlobEscapes) != 0 && p[pi] == '\\') ++pi;
        matched = SameChar<Unit>(NextChar(p, pn, &pi), c, flags);
      }
      if (matched) {
        ti = nextT;
        continue;
      }
    }
    if (starP != kNone && starT < tn && t[starT] != '/') {
      NextChar(t, tn, &starT);
      pi = starP;
      ti = starT;
      continue;
    }
    if (globP == kNone) return false;
    while (globT < tn && t[globT] != '/') ++globT;
    if (globT >= tn) return false;
    pi = globP;
    ti = ++globT;
    starP = kNone;
  }
}

template <class Unit>
bool SameText(const Unit* a, const Unit* b, size_t n, uint32_t flags) {
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i] && !SameChar<Unit>(static_cast<char32_t>(a[i]), static_cast<char32_t>(b[i]), flags)) return false;
  }
  return true;
}

}  // namespace

template <class Unit>
Glob<Unit> MakeGlob(const Unit* text, size_t length, uint32_t flags) {
  Glob<Unit> glob{text, static_cast<int32_t>(length), flags, GlobShape::Literal, Unit{0}, false};
  if (length > INT32_MAX) glob.shape = GlobShape::Never;
  bool suffix = length > 0 && text[0] == '*';
  for (size_t i = 0; i < length && glob.shape != GlobShape::Never;) {
    char32_t unit = static_cast<char32_t>(text[i]);
    bool escape = unit == '\\' && (flags & kGlobEscapes) != 0;
    bool wild = escape || unit == '*' || unit == '?' || unit == '[';
    suffix = suffix && (i == 0 || !(wild || unit == '/'));
    if (wild) glob.shape = GlobShape::General;
    bool matched = false;
    if ((escape && i + 1 >= length) || (unit == '[' && !ScanBracket(text, length, &i, 0, flags, &matched))) {
      glob.shape = GlobShape::Never;
    }
    if (unit != '[') i += escape ? 2 : 1;
  }
  if (glob.shape == GlobShape::General && suffix) glob.shape = GlobShape::Suffix;
  // A last unit that is no wildcard, closes no set and ends no "**/"
  // (which may match nothing) is a plain character that every match ends
  // with; where letters fold, an ASCII one only.
  Unit last = length > 0 ? text[length - 1] : Unit{0};
  bool folds = (flags & kGlobFoldCase) != 0;
  if (last != '*' && last != '?' && last != ']' && last != '/' && !(folds && static_cast<char32_t>(last) >= 0x80)) {
    glob.lastFolds = folds && IsAsciiLetter(static_cast<char32_t>(last));
    glob.last = glob.lastFolds ? FoldAscii(last) : last;
  }
  return glob;
}

template <class Unit>
bool MatchGlob(const Glob<Unit>& glob, const Unit* text, size_t length) {
  size_t n = static_cast<size_t>(glob.length);
  if (glob.shape == GlobShape::General) return MatchGeneral(glob.text, n, text, length, glob.flags);
  if (glob.shape == GlobShape::Literal) return length == n && SameText(glob.text, text, n, glob.flags);
  if (glob.shape == GlobShape::Never || length < n - 1) return false;
  const Unit* end = text + length - (n - 1);  // where the plain end starts
  return std::find(text, end, Unit{'/'}) == end && SameText(glob.text + 1, end, n - 1, glob.flags);
}

bool GlobIsValid(const char16_t* text, size_t length, uint32_t flags) {
  return MakeGlob(text, length, flags).shape != GlobShape::Never;
}

template Glob<char16_t> MakeGlob(const char16_t*, size_t, uint32_t);
template Glob<char> MakeGlob(const char*, size_t, uint32_t);
template bool MatchGlob(const Glob<char16_t>&, const char16_t*, size_t);
template bool MatchGlob(const Glob<char>&, const char*, size_t);
