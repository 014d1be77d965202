#include "engine/collation.h"

#include "engine/path_rules.h"
#include "platform/ansi_code.h"

namespace {

// unvoice: how far a (semi-)voiced katakana lies from its plain form; vowel:
// the offset from ァ of the small vowel that a prolonged sound mark after it is.
struct KatakanaEntry {
  uint8_t unvoice;
  uint8_t vowel;
};

const KatakanaEntry kKatakanaTable[84] = {
    // ァ ア ィ イ ゥ ウ ェ エ ォ オ カ ガ
    {0, 0}, {0, 0}, {0, 2}, {0, 2}, {0, 4}, {0, 4}, {0, 6}, {0, 6}, {0, 8}, {0, 8}, {0, 0}, {1, 0},
    // キ ギ ク グ ケ ゲ コ ゴ サ ザ シ ジ
    {0, 2}, {1, 2}, {0, 4}, {1, 4}, {0, 6}, {1, 6}, {0, 8}, {1, 8}, {0, 0}, {1, 0}, {0, 2}, {1, 2},
    // ス ズ セ ゼ ソ ゾ タ ダ チ ヂ ッ ツ
    {0, 4}, {1, 4}, {0, 6}, {1, 6}, {0, 8}, {1, 8}, {0, 0}, {1, 0}, {0, 2}, {1, 2}, {0, 0}, {0, 4},
    // ヅ テ デ ト ド ナ ニ ヌ ネ ノ ハ バ
    {1, 4}, {0, 6}, {1, 6}, {0, 8}, {1, 8}, {0, 0}, {0, 2}, {0, 4}, {0, 6}, {0, 8}, {0, 0}, {1, 0},
    // パ ヒ ビ ピ フ ブ プ ヘ ベ ペ ホ ボ
    {2, 0}, {0, 2}, {1, 2}, {2, 2}, {0, 4}, {1, 4}, {2, 4}, {0, 6}, {1, 6}, {2, 6}, {0, 8}, {1, 8},
    // ポ マ ミ ム メ モ ャ ヤ ュ ユ ョ ヨ
    {2, 8}, {0, 0}, {0, 2}, {0, 4}, {0, 6}, {0, 8}, {0, 0}, {0, 0}, {0, 4}, {0, 4}, {0, 8}, {0, 8},
    // ラ リ ル レ ロ ヮ ワ ヰ ヱ ヲ ン ヴ
    {0, 0}, {0, 2}, {0, 4}, {0, 6}, {0, 8}, {0, 0}, {0, 0}, {0, 2}, {0, 6}, {0, 8}, {0, 0}, {78, 4},
};

// The full-width form of U+FF61..U+FF9F; the sound marks become ゛ and ゜.
const char16_t kHalfwidthKanaTable[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオ"
    u"カキクケコサシスセソタチツテトナニヌネノハ"
    u"ヒフヘホマミムメモヤユヨラリルレロワン゛゜";

constexpr char16_t kSmallA = 0x30A1;  // ァ, the first entry of the katakana table
constexpr char16_t kFullwidthZero = 0xFF10;

bool IsAsciiDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }
bool IsFullwidthDigit(char16_t ch) { return ch >= kFullwidthZero && ch <= kFullwidthZero + 9; }
bool IsDigit(char16_t ch) { return IsAsciiDigit(ch) || IsFullwidthDigit(ch); }
bool IsHiragana(char16_t ch) { return ch >= 0x3041 && ch <= 0x3093; }
bool IsKatakana(char16_t ch) { return ch >= kSmallA && ch <= 0x30F4; }  // ァ..ヴ
char16_t ToKatakana(char16_t ch) { return IsHiragana(ch) ? static_cast<char16_t>(ch + 0x60) : ch; }
int DigitValue(char16_t ch) { return IsAsciiDigit(ch) ? ch - u'0' : ch - kFullwidthZero; }

// The value of the digit run (ASCII and full-width) at s[start], rounded to a
// double each step (exact below 10^15: 15 digits sum as integers), *end after it.
double ReadDigitRun(const char16_t* s, int32_t start, int32_t* end) {
  uint64_t exact = 0;
  int32_t i = start;
  for (; i - start < 15 && IsDigit(s[i]); ++i) exact = exact * 10 + static_cast<uint64_t>(DigitValue(s[i]));
  double value = static_cast<double>(exact);
  for (; IsDigit(s[i]); ++i) {
    value = value * 10;
    value = value + DigitValue(s[i]);
  }
  *end = i;
  return value;
}

// Compares the digit runs that hold position i (false unless both start with a
// digit): by value, then the shorter first; equal lengths give +1.
bool CompareDigitRuns(const char16_t* a, const char16_t* b, int32_t i, int* result) {
  int32_t start = i;
  while (start > 0 && IsDigit(a[start - 1]) && IsDigit(b[start - 1])) --start;
  if (!IsDigit(a[start]) || !IsDigit(b[start])) return false;
  int32_t endA = 0, endB = 0;
  double valueA = ReadDigitRun(a, start, &endA), valueB = ReadDigitRun(b, start, &endB);
  *result = valueA < valueB || (valueA == valueB && endA < endB) ? -1 : 1;
  return true;
}

// The place of ch (s[i] or its folded form): its ANSI code, and for a lone
// surrogate the unit too: lone ones (on POSIX, bytes of names not in UTF-8)
// share the code of '?' and would go in arrival order, which differs from
// disk to disk. s[i + 1] is still inside the name.
uint32_t OrderKey(const char16_t* s, int32_t i, char16_t ch) {
  auto high = [](char16_t c) { return (c & 0xFC00) == 0xD800; };
  auto low = [](char16_t c) { return (c & 0xFC00) == 0xDC00; };
  bool lone = high(s[i]) ? !low(s[i + 1]) : low(s[i]) && (i == 0 || !high(s[i - 1]));
  return (static_cast<uint32_t>(AnsiCode(ch)) << 16) | (lone ? ch : 0u);
}

// Folds s[i] step by step: full-width digits, case, full-width letters,
// hiragana, voicing, half-width forms, and last the prolonged sound mark (or
// tilde): the small vowel of the kana before it, but not first in a component.
char16_t FoldCharacter(const char16_t* s, int32_t i) {
  char16_t ch = s[i];
  if (IsFullwidthDigit(ch)) ch = static_cast<char16_t>(ch - kFullwidthZero + u'0');
  if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 0x20);
  if (ch >= 0xFF41 && ch <= 0xFF5A) ch = static_cast<char16_t>(ch - 0x20);
  if (ch >= 0xFF21 && ch <= 0xFF3A) ch = static_cast<char16_t>(ch - 0xFF21 + u'A');
  ch = ToKatakana(ch);
  if (IsKatakana(ch)) ch = static_cast<char16_t>(ch - kKatakanaTable[ch - kSmallA].unvoice);
  if (ch >= 0xFF61 && ch <= 0xFF9F) ch = kHalfwidthKanaTable[ch - 0xFF61];
  if ((ch == 0x30FC || ch == 0xFF5E) && i > 0 && s[i - 1] != kBackslash && s[i - 1] != kSlash) {
    char16_t previous = ToKatakana(s[i - 1]);
    ch = IsKatakana(previous) ? static_cast<char16_t>(kSmallA + kKatakanaTable[previous - kSmallA].vowel) : kSmallA;
  }
  return ch;
}

}  // namespace

// Files first; then the folded names character by character, digit runs by
// value; then the first differing unit, then length. Allocates nothing.
int CompareNames(const char16_t* nameA, uint8_t aIsFile, const char16_t* nameB, uint8_t bIsFile) {
  if ((aIsFile != 0) != (bIsFile != 0)) return aIsFile != 0 ? -1 : 1;
  int32_t first = -1;
  int32_t i = 0;
  for (; nameA[i] != 0 && nameB[i] != 0; ++i) {
    char16_t a = nameA[i], b = nameB[i];
    if (a == b) continue;
    if (first < 0) first = i;
    int runs = 0;
    if ((IsAsciiDigit(a) || IsAsciiDigit(b)) && CompareDigitRuns(nameA, nameB, i, &runs)) return runs;
    char16_t foldedA = FoldCharacter(nameA, i), foldedB = FoldCharacter(nameB, i);
    if (foldedA != foldedB) return OrderKey(nameA, i, foldedA) < OrderKey(nameB, i, foldedB) ? -1 : 1;
  }
  if (first >= 0) return OrderKey(nameA, first, nameA[first]) < OrderKey(nameB, first, nameB[first]) ? -1 : 1;
  if (nameA[i] == 0 && nameB[i] == 0) return 0;
  return nameA[i] == 0 ? -1 : 1;
}
